#include "pdf/documentfile.h"

#include "library/documentlayout.h"
#include "pdf/pdftextcache.h"

#include <cstring>

DocumentFile::DocumentFile(const QString& path, const std::atomic<bool>* cancel)
    : m_pdf(DocumentLayout::isPdfDocument(path))
{
    if (!m_pdf) {
        m_file.emplace(path);
        return;
    }
    const PdfTextCache::Entry entry = PdfTextCache::instance().text(path, cancel);
    m_state = entry.state;
    m_text = entry.document;
}

bool DocumentFile::isOpen() const
{
    return m_file ? m_file->isOpen() : m_state == PdfText::State::Text;
}

bool DocumentFile::openFailed() const
{
    return m_file ? m_file->openFailed() : m_state == PdfText::State::Unreadable;
}

qsizetype DocumentFile::read(char* into, qsizetype size)
{
    if (m_file)
        return m_file->read(into, size);
    if (!isOpen())
        return -1;
    const qsizetype n = std::min(size, m_text.size() - m_at);
    std::memcpy(into, m_text.constData() + m_at, size_t(n));
    m_at += n;
    return n;
}

qsizetype DocumentFile::readFull(char* into, qsizetype size)
{
    if (m_file)
        return m_file->readFull(into, size);
    return read(into, size);
}

bool DocumentFile::readRest(QByteArray& into)
{
    if (m_file)
        return m_file->readRest(into);
    if (!isOpen())
        return false;
    into.append(m_text.constData() + m_at, m_text.size() - m_at);
    m_at = m_text.size();
    return true;
}

int DocumentFile::pageAt(qsizetype position) const
{
    return m_pdf ? PdfText::pageAt(m_text, position) : 0;
}
