#pragma once

#include "norms/designation.h"
#include "norms/partaddress.h"

#include <QString>
#include <QStringView>

#include <atomic>
#include <optional>

// Where a document mentions a norm, as the reader sees it: the sentence around the first
// mention of a designation, cut from the document's text as every search reads it (a page's
// text, or a PDF's text: DocumentFile), never from the file's bytes.
class MentionSentence
{
public:
    // A document is read for its sentence up to this size.
    static constexpr qint64 ReadLimit = 16 * 1024 * 1024;
    // At most this many characters on either side of the mention.
    static constexpr qsizetype Reach = 120;

    // The first mention of cited in the document at path and the sentence around it (empty
    // when the document is larger than ReadLimit); none when the document does not cite it or
    // cannot be read.
    static std::optional<MentionSentence> find(const QString& path, const Designation& cited,
                                               const std::atomic<bool>* cancel = nullptr);
    // The same for the first mention of a part of cited, or of a part within it.
    static std::optional<MentionSentence> find(const QString& path, const Designation& cited,
                                               const std::optional<PartAddress>& part,
                                               const std::atomic<bool>* cancel = nullptr);
    // The sentence of text around the mention [begin, end): from the end of the sentence
    // before (". " and a capital: "п. 5" goes on), at most Reach characters before it, to its
    // own final dot, at most Reach characters after it.
    static QString around(QStringView text, qsizetype begin, qsizetype end);

    // The mention as written in the document.
    const QString& mention() const { return m_mention; }
    const QString& sentence() const { return m_sentence; }

private:
    MentionSentence(QString mention, QString sentence);

    QString m_mention;
    QString m_sentence;
};
