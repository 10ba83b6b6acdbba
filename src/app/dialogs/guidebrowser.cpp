#include "dialogs/guidebrowser.h"

#include "library/guidefile.h"

#include <QImage>
#include <QTextDocument>

QVariant GuideBrowser::loadResource(int type, const QUrl& name)
{
    const QUrl url = name.isRelative() ? source().resolved(name) : name;
    const std::optional<QByteArray> bytes =
        url.isLocalFile() ? GuideFile::read(m_folder, url.toLocalFile()) : std::nullopt;
    if (bytes)
        return *bytes;
    if (type != QTextDocument::ImageResource)
        return {};
    // A picture refused is an empty one: without any, the document would load the name
    // itself from wherever it points.
    QImage nothing(1, 1, QImage::Format_ARGB32);
    nothing.fill(Qt::transparent);
    return nothing;
}
