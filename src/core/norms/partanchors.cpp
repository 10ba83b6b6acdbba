#include "norms/partanchors.h"

#include "text/copyoutput.h"
#include "text/textencoding.h"

namespace {

constexpr QLatin1StringView prefix("lectoria-part-");

} // namespace

namespace PartAnchors {

QString idOf(int part)
{
    return prefix + QString::number(part);
}

int partOf(const QString& id)
{
    if (!id.startsWith(prefix))
        return -1;
    bool ok = false;
    const int part = id.mid(prefix.size()).toInt(&ok);
    return ok && part >= 0 ? part : -1;
}

QByteArray anchored(const QByteArray& page, const DocumentStructure& structure)
{
    CopyOutput out(page, TextEncoding::detect(page.constData(), page.size()), true);
    qsizetype last = -1;
    const std::vector<DocumentPart>& parts = structure.parts();
    for (size_t i = 0; i < parts.size(); ++i) {
        if (parts[i].unit < last)
            continue; // out of order: a damaged structure, never the page's own
        last = parts[i].unit;
        out.insert(parts[i].unit, "<a id=\"" + idOf(int(i)).toLatin1() + "\"></a>");
    }
    return out.finish();
}

} // namespace PartAnchors
