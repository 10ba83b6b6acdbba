#include "norms/mentionsentence.h"

#include "norms/documentnorms.h"
#include "pdf/documentfile.h"
#include "text/documenttext.h"

#include <algorithm>

MentionSentence::MentionSentence(QString mention, QString sentence)
    : m_mention(std::move(mention)), m_sentence(std::move(sentence))
{
}

namespace {

// The designation of the first mention of cited (of its part, when one is given).
const Designation* firstCitation(const DocumentNorms& norms, const Designation& cited,
                                 const std::optional<PartAddress>& part)
{
    if (part) {
        const DocumentNorms::PartCitation* first = nullptr;
        for (const DocumentNorms::PartCitation& citation : norms.partCitations())
            if (citation.first.sameAs(cited) && part->covers(citation.part) &&
                (!first || citation.first.begin < first->first.begin))
                first = &citation;
        return first ? &first->first : nullptr;
    }
    const auto found =
        std::find_if(norms.citations().begin(), norms.citations().end(),
                     [&](const DocumentNorms::Citation& c) { return c.first.sameAs(cited); });
    return found == norms.citations().end() ? nullptr : &found->first;
}

// The whole document, read in pieces so that one past the limit is given up on before it
// fills the memory; none when it is larger or cannot be read.
std::optional<QByteArray> readUpTo(DocumentFile& file, qint64 limit)
{
    constexpr qsizetype piece = 256 * 1024;
    QByteArray bytes;
    for (;;) {
        const qsizetype at = bytes.size();
        bytes.resize(at + piece);
        const qsizetype got = file.readFull(bytes.data() + at, piece);
        if (got < 0)
            return std::nullopt;
        bytes.resize(at + got);
        if (bytes.size() > limit)
            return std::nullopt;
        if (got < piece)
            return bytes;
    }
}

} // namespace

std::optional<MentionSentence> MentionSentence::find(const QString& path, const Designation& cited,
                                                     const std::atomic<bool>* cancel)
{
    return find(path, cited, std::nullopt, cancel);
}

std::optional<MentionSentence> MentionSentence::find(const QString& path, const Designation& cited,
                                                     const std::optional<PartAddress>& part,
                                                     const std::atomic<bool>* cancel)
{
    const QStringList names{DocumentNorms::fileNameOf(path)};
    std::optional<QByteArray> bytes;
    {
        DocumentFile file(path, cancel);
        if (!file.isOpen())
            return std::nullopt;
        bytes = readUpTo(file, ReadLimit);
    }
    if (!bytes) {
        // Too large to keep (or unreadable whole): the mention alone, read in pieces.
        const std::optional<DocumentNorms> norms = DocumentNorms::ofFile(path, names, cancel);
        const Designation* first = norms ? firstCitation(*norms, cited, part) : nullptr;
        if (!first)
            return std::nullopt;
        return MentionSentence(first->text(), QString());
    }
    // One reading: the citations are found in the very text the sentence is cut from.
    const QString text = DocumentText(*bytes).text();
    const DocumentNorms norms = DocumentNorms::ofPage(*bytes, names, &text);
    const Designation* first = firstCitation(norms, cited, part);
    if (!first)
        return std::nullopt;
    return MentionSentence(first->text(), around(text, first->begin, first->end));
}

QString MentionSentence::around(QStringView text, qsizetype begin, qsizetype end)
{
    begin = std::clamp<qsizetype>(begin, 0, text.size());
    end = std::clamp<qsizetype>(end, begin, text.size());
    qsizetype from = std::max<qsizetype>(0, begin - Reach);
    const auto ends = [&](qsizetype i) {
        return text[i] == u'.' &&
               (i + 1 == text.size() ||
                (text[i + 1] == u' ' && (i + 2 == text.size() || text[i + 2].isUpper())));
    };
    for (qsizetype i = begin - 1; i > from; --i) {
        if (ends(i) && i + 1 < text.size()) {
            from = i + 2;
            break;
        }
    }
    qsizetype to = std::min(text.size(), end + Reach);
    for (qsizetype i = end; i < to; ++i) {
        if (ends(i)) {
            to = i + 1;
            break;
        }
    }
    return text.mid(from, to - from).trimmed().toString();
}
