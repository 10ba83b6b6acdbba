#pragma once

#include <QStringList>
#include <QThreadPool>

#include <atomic>

// Reads the text of PDF files ahead of a reader that takes them one by one (the index
// update): each into PdfTextCache, on as many threads as the machine has cores, at the
// priority of the thread that starts it. The reader finds a text read already, or waits for
// the one being read. Ends (stops and waits) when it goes.
class PdfTextPrefetch
{
public:
    PdfTextPrefetch(const QStringList& paths, const std::atomic<bool>* stop);
    ~PdfTextPrefetch();
    PdfTextPrefetch(const PdfTextPrefetch&) = delete;
    PdfTextPrefetch& operator=(const PdfTextPrefetch&) = delete;

private:
    QThreadPool m_pool;
    std::atomic<bool> m_ended{false};
};
