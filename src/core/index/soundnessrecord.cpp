#include "index/soundnessrecord.h"

#include "platform/platform.h"

#include <QFile>
#include <QSaveFile>

namespace {

const QByteArray Header = QByteArrayLiteral("lectoria index sound 1\n");

} // namespace

SoundnessRecord::SoundnessRecord(const QString& indexFile) : m_indexFile(indexFile) {}

QString SoundnessRecord::recordFile(const QString& indexFile)
{
    return indexFile + QStringLiteral(".sound");
}

bool SoundnessRecord::provesSound() const
{
#ifdef Q_OS_WIN
    // Stamps there carry neither the file's identity nor its change time.
    return false;
#else
    Platform::FileStamp stamp;
    if (!Platform::fileStamp(m_indexFile, &stamp))
        return false;
    // A journal beside the file holds writes not in it yet: what they leave is unproven.
    for (const char* suffix : {"-wal", "-journal"}) {
        if (QFile::exists(m_indexFile + QString::fromLatin1(suffix)))
            return false;
    }
    QFile record(recordFile(m_indexFile));
    if (!record.open(QIODevice::ReadOnly) || record.size() > 4096)
        return false;
    const QByteArray bytes = record.readAll();
    if (!bytes.startsWith(Header))
        return false;
    const Platform::FileStamp kept =
        Platform::FileStamp::fromBytes(QByteArrayView(bytes).sliced(Header.size()));
    return kept == stamp;
#endif
}

bool SoundnessRecord::keep() const
{
    Platform::FileStamp stamp;
    if (!Platform::fileStamp(m_indexFile, &stamp))
        return false;
    QSaveFile record(recordFile(m_indexFile));
    return record.open(QIODevice::WriteOnly) && record.write(Header + stamp.toBytes()) >= 0 &&
           record.commit();
}

bool SoundnessRecord::forget() const
{
    const QString file = recordFile(m_indexFile);
    return QFile::remove(file) || !QFile::exists(file);
}
