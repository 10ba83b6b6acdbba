#include "norms/documentnorms.h"

#include "norms/designationrule.h"
#include "norms/documentheadings.h"
#include "norms/partreferences.h"
#include "pdf/documentfile.h"
#include "platform/platform.h"
#include "text/documenttext.h"
#include "text/looseletters.h"
#include "text/textreader.h"

#include <QHash>

namespace {

// The places just after the words that name what a document replaces.
QList<qsizetype> replacementMarks(QStringView text)
{
    static const QString markers[] = {QStringLiteral("взамен"),
                                      QStringLiteral("актуализированная редакция")};
    QList<qsizetype> out;
    for (const QString& marker : markers) {
        for (qsizetype at = text.indexOf(marker, 0, Qt::CaseInsensitive); at >= 0;
             at = text.indexOf(marker, at + marker.size(), Qt::CaseInsensitive)) {
            if (at == 0 || !text[at - 1].isLetter())
                out.append(at + marker.size());
        }
    }
    return out;
}

// Whether only blanks, punctuation and "и" stand between two designations of a list.
bool joinsList(QStringView gap)
{
    if (gap.size() > 16)
        return false;
    QString kept;
    for (const QChar c : gap) {
        if (c.isLetterOrNumber())
            kept += c.toLower();
        else if (!c.isSpace() && c != u',' && c != u';' && c != u'(' && c != u')' &&
                 c != u'\u00A0' && c != u':' && !LooseLetters::isDash(c.unicode()))
            return false;
    }
    return kept.isEmpty() || kept == u"и";
}

} // namespace

DocumentNorms::DocumentNorms(const QStringList& names)
{
    for (const QString& name : names) {
        const QList<Designation> found = DesignationRule::find(name);
        for (Designation designation : found) {
            designation.begin = designation.end = -1; // not a place of the text
            if (!isOwn(designation))
                m_own.append(designation);
        }
        addReplaced(name, found);
    }
}

DocumentNorms DocumentNorms::ofText(const QStringList& names, const QString& text)
{
    DocumentNorms norms(names);
    norms.addText(text, 0, 0, text.size());
    return norms;
}

DocumentNorms DocumentNorms::ofPage(const QByteArray& raw, const QStringList& names,
                                    const QString* text)
{
    const DocumentHeadings headings = DocumentHeadings::read(raw);
    const QStringList all = names + QStringList{headings.title, headings.heading};
    return ofText(all, text ? *text : DocumentText(raw).text());
}

QString DocumentNorms::fileNameOf(const QString& path)
{
    const QString name = Platform::displayName(path.mid(path.lastIndexOf(u'/') + 1));
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.left(dot) : name;
}

std::optional<DocumentNorms> DocumentNorms::ofFile(const QString& path, const QStringList& names,
                                                   const std::atomic<bool>* cancel)
{
    DocumentFile file(path, cancel);
    if (!file.isOpen())
        return std::nullopt;
    constexpr qsizetype piece = 256 * 1024;
    QByteArray bytes(piece, Qt::Uninitialized);
    qsizetype got = file.readFull(bytes.data(), piece);
    if (got < 0)
        return std::nullopt;
    bytes.resize(got);
    const DocumentHeadings headings = DocumentHeadings::read(bytes);
    DocumentNorms norms(names + QStringList{headings.title, headings.heading});
    TextReader reader(TextEncoding::detect(bytes.constData(), bytes.size()));
    std::vector<TextReader::Char> chars;
    // The text read and not yet looked at; a designation is never longer than the tail kept.
    constexpr qsizetype lookAt = 1024 * 1024;
    constexpr qsizetype tail = 256;
    QString text;
    qsizetype offset = 0; // of text[0] in the whole text
    qsizetype from = 0;
    const auto take = [&](bool last) {
        for (const TextReader::Char& c : chars)
            text += QChar::fromUcs4(c.c);
        chars.clear();
        if (!last && text.size() < lookAt)
            return;
        const qsizetype next =
            norms.addText(text, offset, from, last ? text.size() : text.size() - tail);
        // One character before the next place is kept: it tells whether a word goes on.
        const qsizetype keep = std::max<qsizetype>(0, next - 1);
        text.remove(0, keep);
        offset += keep;
        from = next - keep;
    };
    for (;;) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return std::nullopt;
        reader.read(bytes.constData(), bytes.size(), chars);
        take(false);
        bytes.resize(piece);
        got = file.readFull(bytes.data(), piece);
        if (got < 0)
            return std::nullopt;
        bytes.resize(got);
        if (got == 0)
            break;
    }
    reader.finish(chars);
    take(true);
    return norms;
}

qsizetype DocumentNorms::addText(QStringView text, qsizetype offset, qsizetype from,
                                 qsizetype beginLimit)
{
    qsizetype next = beginLimit;
    QList<Designation> early; // in the first pages
    const QList<Designation> found = DesignationRule::find(text, from);
    for (Designation designation : found) {
        if (designation.begin >= beginLimit)
            break;
        next = std::max(next, designation.end);
        if (offset + designation.end <= FirstPages)
            early.append(designation);
        if (isOwn(designation))
            continue;
        designation.begin += offset;
        designation.end += offset;
        const QString id = designation.key() + u'|' + QString::number(designation.edition);
        if (const auto known = m_citationAt.constFind(id); known != m_citationAt.constEnd()) {
            ++m_citations[*known].count;
            continue;
        }
        m_citationAt.insert(id, m_citations.size());
        m_citations.append(Citation{designation, 1});
    }
    // The parts of other documents named with them. (A reference just after a designation of
    // the piece before is not seen: the pieces are a megabyte long.)
    for (const PartReference& reference : PartReferences::find(text, from, found)) {
        if (reference.begin >= beginLimit)
            break;
        next = std::max(next, reference.end);
        if (reference.designation < 0 || isOwn(found[reference.designation]))
            continue;
        Designation cited = found[reference.designation];
        cited.begin += offset;
        cited.end += offset;
        const QString id = cited.key() + u'|' + QString::number(cited.edition) + u'|' +
                           QString::number(int(reference.address.kind())) + u'|' +
                           reference.address.key();
        if (const auto known = m_partCitationAt.constFind(id);
            known != m_partCitationAt.constEnd()) {
            ++m_partCitations[*known].count;
            continue;
        }
        m_partCitationAt.insert(id, m_partCitations.size());
        m_partCitations.append(PartCitation{cited, reference.address, 1});
    }
    if (offset < FirstPages)
        addReplaced(text.left(FirstPages - offset), early);
    return next;
}

void DocumentNorms::addReplaced(QStringView text, const QList<Designation>& found)
{
    for (const qsizetype mark : replacementMarks(text)) {
        qsizetype after = mark;
        for (const Designation& designation : found) {
            if (designation.begin < after)
                continue;
            if (!joinsList(text.sliced(after, designation.begin - after)))
                break;
            const bool known =
                std::any_of(m_replaced.begin(), m_replaced.end(), [&](const Designation& d) {
                    return d.sameAs(designation) && d.edition == designation.edition;
                });
            if (!known && !(isOwn(designation) && designation.key() == m_own.front().key()))
                m_replaced.append(designation);
            after = designation.end;
        }
    }
}

bool DocumentNorms::isOwn(const Designation& designation) const
{
    return std::any_of(m_own.begin(), m_own.end(),
                       [&](const Designation& own) { return own.sameAs(designation); });
}

bool DocumentNorms::cites(const Designation& designation) const
{
    return std::any_of(m_citations.begin(), m_citations.end(), [&](const Citation& citation) {
        return citation.first.sameAs(designation);
    });
}

bool DocumentNorms::citesPart(const Designation& designation, const PartAddress& part) const
{
    return std::any_of(m_partCitations.begin(), m_partCitations.end(),
                       [&](const PartCitation& citation) {
                           return citation.first.sameAs(designation) && part.covers(citation.part);
                       });
}
