#pragma once

#include "pdf/pdftext.h"
#include "platform/platform.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <optional>

// A document of the library read as the search reads it: a page's own bytes, or for a PDF
// its text as a page (PdfText::document). The text of a PDF is read by PdfTextReader and
// kept for the next reading while the file is provably the same (PdfTextCache).
class DocumentFile
{
public:
    explicit DocumentFile(const QString& path, const std::atomic<bool>* cancel = nullptr);
    DocumentFile(const DocumentFile&) = delete;
    DocumentFile& operator=(const DocumentFile&) = delete;

    bool isOpen() const;
    // True when the document could not be opened or read at all.
    bool openFailed() const;
    // A PDF without text (a scan): not open, and not failed either.
    bool isWithoutText() const { return m_state == PdfText::State::NoText; }
    bool isPdfDocument() const { return m_pdf; }
    // Up to size bytes; 0 at the end, -1 on an error.
    qsizetype read(char* into, qsizetype size);
    // size bytes, fewer only at the end; -1 on an error.
    qsizetype readFull(char* into, qsizetype size);
    // Appends the rest to into; false on an error.
    bool readRest(QByteArray& into);
    // For a PDF, the page a position of its text lies on (from 1); 0 for any other document.
    int pageAt(qsizetype position) const;

private:
    std::optional<Platform::ReadOnlyFile> m_file; // a page's (held in place: no allocation
                                                  // per document read)
    bool m_pdf = false;
    PdfText::State m_state = PdfText::State::Unreadable;
    QByteArray m_text;
    qsizetype m_at = 0;
};
