#include "documentsearch.h"

#include "matchingrule.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <thread>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// A file read from the start, chunk after chunk.
class ChunkReader
{
public:
    explicit ChunkReader(const QString& path)
    {
#ifdef Q_OS_UNIX
        // Only regular files are read: a pipe or a device named like a document would
        // block the search forever.
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        struct stat info;
        if (m_fd >= 0 && (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode))) {
            ::close(m_fd);
            m_fd = -1;
        }
#else
        if (!QFileInfo(path).isFile())
            return;
        m_file.setFileName(path);
        m_file.open(QIODevice::ReadOnly);
#endif
    }
    ~ChunkReader()
    {
#ifdef Q_OS_UNIX
        if (m_fd >= 0)
            ::close(m_fd);
#endif
    }
    ChunkReader(const ChunkReader&) = delete;
    ChunkReader& operator=(const ChunkReader&) = delete;

    bool isOpen() const
    {
#ifdef Q_OS_UNIX
        return m_fd >= 0;
#else
        return m_file.isOpen();
#endif
    }
    // Up to size bytes; 0 at the end, -1 on an error.
    qsizetype read(char* into, qsizetype size)
    {
#ifdef Q_OS_UNIX
        for (;;) {
            const ssize_t n = ::read(m_fd, into, size_t(size));
            if (n < 0 && errno == EINTR)
                continue;
            return qsizetype(n);
        }
#else
        return qsizetype(m_file.read(into, size));
#endif
    }

private:
#ifdef Q_OS_UNIX
    int m_fd = -1;
#else
    QFile m_file;
#endif
};

// Fills buffer[from, size) as far as the file allows; the bytes held, or -1 on an error.
qsizetype fill(ChunkReader& reader, std::vector<char>& buffer, qsizetype from)
{
    qsizetype filled = from;
    while (filled < qsizetype(buffer.size())) {
        const qsizetype n = reader.read(buffer.data() + filled, qsizetype(buffer.size()) - filled);
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        filled += n;
    }
    return filled;
}

} // namespace

DocumentSearch::DocumentSearch(const QString& context, bool caseSensitive)
    : m_context(context), m_caseSensitive(caseSensitive),
      m_windows1251(context, caseSensitive, ContextPattern::Encoding::Windows1251),
      m_utf8(context, caseSensitive, ContextPattern::Encoding::Utf8)
{
}

const ContextPattern& DocumentSearch::patternFor(ContextPattern::Encoding encoding) const
{
    return encoding == ContextPattern::Encoding::Utf8 ? m_utf8 : m_windows1251;
}

bool DocumentSearch::containsJoined(const QString& path) const
{
    // A context with a line break can only match the lines as joined with CR LF.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray raw = file.readAll();
    const QByteArray text = MatchingRule::joinLines(raw);
    const ContextPattern& pattern =
        patternFor(ContextPattern::detectEncoding(raw.constData(), raw.size()));
    return pattern.isValid() && pattern.find(text.constData(), text.size()) >= 0;
}

bool DocumentSearch::contains(const QString& path) const
{
    if (m_utf8.hasLineBreak())
        return containsJoined(path);
    if (!m_windows1251.isValid() && !m_utf8.isValid())
        return false;
    ChunkReader reader(path);
    if (!reader.isOpen())
        return false;
    // A chunk holds several contexts, however long the context is.
    const qsizetype chunk =
        std::max(ChunkSize, 4 * std::max(m_windows1251.length(), m_utf8.length()));
    thread_local std::vector<char> buffer;
    if (buffer.size() != size_t(chunk))
        buffer.assign(size_t(chunk), '\0');

    qsizetype held = fill(reader, buffer, 0);
    if (held <= 0)
        return false;
    const ContextPattern& pattern = patternFor(ContextPattern::detectEncoding(buffer.data(), held));
    if (!pattern.isValid())
        return false;
    const qsizetype keep = pattern.length() - 1;
    for (;;) {
        if (pattern.find(buffer.data(), held) >= 0)
            return true;
        if (held < qsizetype(buffer.size()))
            return false; // the file has ended
        // The next chunk, after the tail that a match across the boundary could start in.
        std::copy(buffer.end() - keep, buffer.end(), buffer.begin());
        const qsizetype next = fill(reader, buffer, keep);
        if (next <= keep)
            return false;
        held = next;
    }
}

std::vector<char> DocumentSearch::containsAll(const QStringList& paths,
                                              std::atomic<int>* checked) const
{
    std::vector<char> found(size_t(paths.size()), 0);
    std::atomic<qsizetype> next{0};
    const auto work = [&] {
        for (;;) {
            const qsizetype i = next.fetch_add(1, std::memory_order_relaxed);
            if (i >= paths.size())
                return;
            found[size_t(i)] = contains(paths.at(i)) ? 1 : 0;
            if (checked)
                checked->fetch_add(1, std::memory_order_relaxed);
        }
    };
    const int threads = std::clamp(QThread::idealThreadCount(), 1, 16);
    std::vector<std::thread> pool;
    for (int t = 1; t < threads && t < paths.size(); ++t)
        pool.emplace_back(work);
    work();
    for (std::thread& thread : pool)
        thread.join();
    return found;
}
