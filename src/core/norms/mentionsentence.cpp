#include "norms/mentionsentence.h"

#include "norms/documentnorms.h"
#include "pdf/documentfile.h"
#include "text/documenttext.h"

#include <algorithm>

MentionSentence::MentionSentence(QString mention, QString sentence)
    : m_mention(std::move(mention)), m_sentence(std::move(sentence))
{
}

std::optional<MentionSentence> MentionSentence::find(const QString& path, const Designation& cited,
                                                     const std::atomic<bool>* cancel)
{
    const std::optional<DocumentNorms> norms =
        DocumentNorms::ofFile(path, {DocumentNorms::fileNameOf(path)}, cancel);
    if (!norms)
        return std::nullopt;
    const auto citation =
        std::find_if(norms->citations().begin(), norms->citations().end(),
                     [&](const DocumentNorms::Citation& c) { return c.first.sameAs(cited); });
    if (citation == norms->citations().end())
        return std::nullopt;
    const QString mention = citation->first.text();
    // The text is the one the citations were found in: the document as DocumentFile reads it.
    DocumentFile file(path, cancel);
    if (!file.isOpen())
        return MentionSentence(mention, QString());
    // Read in pieces: a document past the limit is given up on before it fills the memory.
    constexpr qsizetype piece = 256 * 1024;
    QByteArray bytes;
    for (;;) {
        const qsizetype at = bytes.size();
        bytes.resize(at + piece);
        const qsizetype got = file.readFull(bytes.data() + at, piece);
        if (got < 0)
            return MentionSentence(mention, QString());
        bytes.resize(at + got);
        if (bytes.size() > ReadLimit)
            return MentionSentence(mention, QString());
        if (got < piece)
            break;
    }
    const QString text = DocumentText(bytes).text();
    return MentionSentence(mention, around(text, citation->first.begin, citation->first.end));
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
