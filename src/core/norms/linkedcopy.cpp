#include "norms/linkedcopy.h"

#include "norms/designationrule.h"
#include "text/copyoutput.h"
#include "text/textwindow.h"

#include <QString>

#include <optional>
#include <vector>

namespace LinkedCopy {

QByteArray linked(const QByteArray& page, const std::function<Wrap(const Designation&)>& wrap,
                  int* wrapped)
{
    return linked(page, Wrappers{wrap, {}}, wrapped);
}

QByteArray linked(const QByteArray& page, const Wrappers& wrappers, int* wrapped)
{
    constexpr qsizetype piece = 256 * 1024;
    constexpr qsizetype lookAt = 64 * 1024; // characters gathered before they are looked at
    // Longer than any designation, and than the reach of a reference to the designation after
    // it in its sentence.
    constexpr qsizetype tail = 256;
    const TextEncoding::Encoding encoding = TextEncoding::detect(page.constData(), page.size());
    CopyOutput out(page, encoding, true);
    TextWindow window(encoding);
    // The text not yet looked at, and the units of the page each of its characters came from.
    QString text;
    std::vector<std::pair<qsizetype, qsizetype>> units;
    qsizetype from = 0;
    int count = 0;
    // The latest designation looked at: a reference just after it may name its document.
    std::optional<Designation> previous;
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
        QList<Designation> designations = DesignationRule::find(text, from);
        std::vector<PartReference> references;
        if (wrappers.part) {
            if (previous)
                designations.prepend(*previous);
            references = PartReferences::find(text, from, designations);
            if (previous) {
                designations.removeFirst();
                // Bound to the one kept from before: -2; to one of this look: its index here.
                for (PartReference& reference : references)
                    if (reference.designation >= 0)
                        reference.designation -= reference.designation == 0 ? 2 : 1;
            }
        }
        const auto mark = [&](qsizetype begin, qsizetype end, const Wrap& tags) {
            if (tags.open.isEmpty())
                return;
            out.markPieces(window, units[size_t(begin)].first, units[size_t(end - 1)].second,
                           tags.open, tags.close);
            ++count;
        };
        // Both in the order of the text: the pieces are marked from the start on.
        auto reference = references.cbegin();
        const auto markReferencesBefore = [&](qsizetype place) {
            for (; reference != references.cend() && reference->begin < place &&
                   reference->begin < limit;
                 ++reference) {
                const Designation* named = reference->designation >= 0
                                               ? &designations[reference->designation]
                                           : reference->designation == -2 && previous ? &*previous
                                                                                      : nullptr;
                if (reference->designation == -1 || named)
                    mark(reference->begin, reference->end, wrappers.part(*reference, named));
                next = std::max(next, reference->end);
            }
        };
        for (const Designation& designation : designations) {
            if (designation.begin >= limit)
                break;
            markReferencesBefore(designation.begin);
            next = std::max(next, designation.end);
            mark(designation.begin, designation.end, wrappers.designation(designation));
            previous = designation;
        }
        markReferencesBefore(limit);
        // One character before the next place is kept: it tells whether a word goes on.
        const qsizetype keep = std::max<qsizetype>(0, next - 1);
        text.remove(0, keep);
        units.erase(units.begin(), units.begin() + keep);
        if (previous) {
            previous->begin -= keep;
            previous->end -= keep;
        }
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
