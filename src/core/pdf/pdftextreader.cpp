#include "pdf/pdftextreader.h"

#include "platform/platform.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <memory>

namespace {

constexpr qint64 MostText = 64 * 1024 * 1024; // as the reader program's own limit
constexpr int Slice = 50;                     // milliseconds between looks at the cancel flag

// One reader process, used by one thread.
class ReaderProcess
{
public:
    ~ReaderProcess() { stop(); }

    PdfText read(const QString& path, qint64 limit, const std::atomic<bool>* cancel)
    {
        if (!start())
            return PdfText::unreadable();
        const QByteArray name = QFile::encodeName(path);
        m_process.write(QByteArray::number(name.size()) + '\n' + name);
        const QDeadlineTimer deadline(limit);
        QByteArray head;
        if (!readLine(&head, deadline, cancel)) {
            stop(); // hung or dead: the next file gets a fresh process
            return PdfText::unreadable();
        }
        const QByteArrayList fields = head.trimmed().split(' ');
        if (fields.value(0) == "N")
            return PdfText::withoutText();
        bool sized = false;
        const qint64 size = fields.value(2).toLongLong(&sized);
        if (fields.value(0) != "T" || !sized || size < 0 || size > MostText)
            return fields.value(0) == "E" ? PdfText::unreadable() : failed();
        QByteArray text;
        if (!readBytes(&text, size, deadline, cancel))
            return failed();
        return PdfText::withText(text.split('\f'));
    }

private:
    PdfText failed()
    {
        stop();
        return PdfText::unreadable();
    }

    bool start()
    {
        if (m_process.state() == QProcess::Running)
            return true;
        const QString program = PdfTextReader::program();
        if (program.isEmpty())
            return false;
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start(program, {}, QIODevice::ReadWrite);
        return m_process.waitForStarted(10000);
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    bool wait(const QDeadlineTimer& deadline, const std::atomic<bool>* cancel)
    {
        if (m_process.state() != QProcess::Running || deadline.hasExpired() ||
            (cancel && cancel->load(std::memory_order_relaxed)))
            return false;
        m_process.waitForReadyRead(int(std::min<qint64>(Slice, deadline.remainingTime())));
        return true;
    }

    bool readLine(QByteArray* line, const QDeadlineTimer& deadline, const std::atomic<bool>* cancel)
    {
        while (!m_process.canReadLine()) {
            if (m_process.bytesAvailable() > 64 || !wait(deadline, cancel))
                return false;
        }
        *line = m_process.readLine();
        return true;
    }

    bool readBytes(QByteArray* into, qint64 size, const QDeadlineTimer& deadline,
                   const std::atomic<bool>* cancel)
    {
        into->reserve(size);
        while (into->size() < size) {
            if (m_process.bytesAvailable() == 0 && !wait(deadline, cancel))
                return false;
            into->append(m_process.read(size - into->size()));
        }
        return true;
    }

    QProcess m_process;
};

} // namespace

QString PdfTextReader::program()
{
    const QString fromEnvironment = qEnvironmentVariable("LECTORIA_PDFTEXT");
    if (!fromEnvironment.isEmpty())
        return QFileInfo(fromEnvironment).isExecutable() ? fromEnvironment : QString();
    const QString name = QStringLiteral("lectoria-pdftext");
    if (QCoreApplication::instance()) {
        const QString beside = QCoreApplication::applicationDirPath() + u'/' + name;
        if (QFileInfo(beside).isExecutable())
            return beside;
    }
    return QStandardPaths::findExecutable(name);
}

qint64 PdfTextReader::timeLimit(qint64 fileSize)
{
    // Generous for a large file on a slow share; a hang never holds a search for long.
    return 15000 + fileSize / (1024 * 1024) * 1000;
}

PdfText PdfTextReader::read(const QString& path, const std::atomic<bool>* cancel)
{
    Platform::FileStamp stamp;
    if (!Platform::fileStamp(path, &stamp) || !stamp.readable)
        return PdfText::unreadable();
    thread_local std::unique_ptr<ReaderProcess> reader;
    if (!reader)
        reader = std::make_unique<ReaderProcess>();
    return reader->read(path, timeLimit(stamp.size), cancel);
}
