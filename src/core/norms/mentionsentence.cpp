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

const DocumentNorms::Citation* firstCitation(const DocumentNorms& norms, const Designation& cited)
{
    const auto found =
        std::find_if(norms.citations().begin(), norms.citations().end(),
                     [&](const DocumentNorms::Citation& c) { return c.first.sameAs(cited); });
    return found == norms.citations().end() ? nullptr : &*found;
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
        const DocumentNorms::Citation* citation = norms ? firstCitation(*norms, cited) : nullptr;
        if (!citation)
            return std::nullopt;
        return MentionSentence(citation->first.text(), QString());
    }
    // One reading: the citations are found in the very text the sentence is cut from.
    const QString text = DocumentText(*bytes).text();
    const DocumentNorms norms = DocumentNorms::ofPage(*bytes, names, &text);
    const DocumentNorms::Citation* citation = firstCitation(norms, cited);
    if (!citation)
        return std::nullopt;
    return MentionSentence(citation->first.text(),
                           around(text, citation->first.begin, citation->first.end));
}

QString MentionSentence::around(QStringView text, qsizetype begin, qsizetype end)
{
    begin = std::clamp<qsizetype>(begin, 0, text.size());
    end = std::clamp<qsizetype>(end, begin, text.size());
    qsizetype from = std::max<qsizetype>(0, begin - Reach);
    for (qsizetype i = begin - 1; i > from; --i) {
        if (text[i] == u'.' && i + 1 < text.size() && text[i + 1] == u' ') {
            from = i + 2;
            break;
        }
    }
    qsizetype to = std::min(text.size(), end + Reach);
    for (qsizetype i = end; i < to; ++i) {
        if (text[i] == u'.' && (i + 1 == text.size() || text[i + 1] == u' ')) {
            to = i + 1;
            break;
        }
    }
    return text.mid(from, to - from).trimmed().toString();
}
