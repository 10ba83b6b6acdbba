#pragma once

#include "pdf/pdftext.h"
#include "platform/platform.h"

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QString>
#include <QWaitCondition>

#include <atomic>
#include <list>

// The texts of PDF files read lately, for the next search and the next reading of the same
// search (its result line, its relevance), in memory and on disk (PdfTextStore): a text is given
// again only while the file's stamp is the one it had when it was read, and that stamp was older
// than the reading by the file system's time granularity; otherwise the file is read again. Bounded
// in bytes; the least recently used text goes first. Shared by all threads.
class PdfTextCache
{
public:
    struct Entry
    {
        PdfText::State state = PdfText::State::Unreadable;
        QByteArray document; // PdfText::document() when there is text
    };

    static PdfTextCache& instance();

    explicit PdfTextCache(qsizetype capacity);
    Entry text(const QString& path, const std::atomic<bool>* cancel = nullptr);
    void clear();

private:
    // The text of a file no other thread reads now: from the disk, or by the reader.
    Entry read(const QString& path, const QByteArray& stamp, const Platform::FileStamp& before,
               const std::atomic<bool>* cancel);

    struct Kept
    {
        QByteArray stamp; // Platform::FileStamp::toBytes
        Entry entry;
        std::list<QString>::iterator use;
    };

    void keep(const QString& path, const QByteArray& stamp, const Entry& entry);

    QMutex m_mutex;
    QSet<QString> m_reading; // being read by a thread
    QWaitCondition m_readingEnded;
    qsizetype m_capacity;
    qsizetype m_held = 0;
    QHash<QString, Kept> m_kept;
    std::list<QString> m_uses; // most recent first
};
