#include "norms/linkedcopy.h"

#include "norms/designationrule.h"
#include "text/copyoutput.h"
#include "text/textwindow.h"

#include <QString>

#include <vector>

namespace LinkedCopy {

QByteArray linked(const QByteArray& page, const std::function<Wrap(const Designation&)>& wrap,
                  int* wrapped)
{
    constexpr qsizetype piece = 256 * 1024;
    constexpr qsizetype lookAt = 64 * 1024; // characters gathered before they are looked at
    constexpr qsizetype tail = 256;         // longer than any designation
    const TextEncoding::Encoding encoding = TextEncoding::detect(page.constData(), page.size());
    CopyOutput out(page, encoding, true);
    TextWindow window(encoding);
    // The text not yet looked at, and the units of the page each of its characters came from.
    QString text;
    std::vector<std::pair<qsizetype, qsizetype>> units;
    qsizetype from = 0;
    int count = 0;
    const auto take = [&] {
        const TextWindow::Char* chars = window.newCharacters();
        for (qsizetype i = 0; i < window.newCount(); ++i) {
            // A unit of the text each: both halves of a surrogate pair come from the character.
            const auto character = QChar::fromUcs4(chars[i].c);
            const QStringView units16 = character;
            text += units16;
            for (qsizetype u = 0; u < units16.size(); ++u)
                units.emplace_back(chars[i].begin, chars[i].end);
        }
    };
    const auto look = [&](bool last) {
        const qsizetype limit = last ? text.size() : text.size() - tail;
        qsizetype next = std::max(limit, from);
        for (const Designation& designation : DesignationRule::find(text, from)) {
            if (designation.begin >= limit)
                break;
            next = std::max(next, designation.end);
            const Wrap tags = wrap(designation);
            if (tags.open.isEmpty())
                continue;
            out.markPieces(window, units[size_t(designation.begin)].first,
                           units[size_t(designation.end - 1)].second, tags.open, tags.close);
            ++count;
        }
        // One character before the next place is kept: it tells whether a word goes on.
        const qsizetype keep = std::max<qsizetype>(0, next - 1);
        text.remove(0, keep);
        units.erase(units.begin(), units.begin() + keep);
        from = next - keep;
        window.forgetBefore(units.empty() ? window.textEnd() : units.front().first);
    };
    for (qsizetype at = 0; at < page.size(); at += piece) {
        window.read(page.constData() + at, std::min(piece, page.size() - at));
        take();
        if (text.size() > lookAt)
            look(false);
    }
    window.finish();
    take();
    look(true);
    if (wrapped)
        *wrapped = count;
    return out.finish();
}

QByteArray attributeText(const QString& text)
{
    QByteArray out;
    for (const uint c : text.toUcs4()) {
        if (c < 0x80 && c != '\'' && c != '"' && c != '&' && c != '<' && c != '>')
            out += char(c);
        else
            out += "&#" + QByteArray::number(c) + ';';
    }
    return out;
}

} // namespace LinkedCopy
