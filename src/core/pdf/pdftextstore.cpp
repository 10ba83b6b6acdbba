#include "pdf/pdftextstore.h"

#include "platform/userfolders.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace {

constexpr quint32 Magic = 0x4C505431; // "LPT1"
constexpr qint64 LargestStored = 64 * 1024 * 1024;

QString fileFor(const QString& path)
{
    const QByteArray name =
        QCryptographicHash::hash(QFile::encodeName(path), QCryptographicHash::Sha1).toHex();
    return PdfTextStore::folder() + u'/' + QString::fromLatin1(name) + QStringLiteral(".text");
}

} // namespace

QString PdfTextStore::folder()
{
    return UserFolders::cache() + QStringLiteral("/pdftext");
}

std::optional<PdfTextCache::Entry> PdfTextStore::load(const QString& path, const QByteArray& stamp)
{
    QFile file(fileFor(path));
    if (!file.open(QIODevice::ReadOnly) || file.size() > LargestStored)
        return std::nullopt;
    QDataStream in(&file);
    quint32 magic = 0;
    QString keptPath;
    QByteArray keptStamp;
    quint8 state = 0;
    QByteArray document;
    in >> magic >> keptPath >> keptStamp >> state >> document;
    if (in.status() != QDataStream::Ok || magic != Magic || keptPath != path ||
        keptStamp != stamp || state > quint8(PdfText::State::NoText))
        return std::nullopt;
    PdfTextCache::Entry entry;
    entry.state = PdfText::State(state);
    if (entry.state == PdfText::State::Text) {
        entry.document = document;
        if (entry.document.isEmpty())
            return std::nullopt; // damaged
    }
    return entry;
}

void PdfTextStore::save(const QString& path, const QByteArray& stamp,
                        const PdfTextCache::Entry& entry)
{
    if (entry.state == PdfText::State::Unreadable || !QDir().mkpath(folder()))
        return;
    QFile::setPermissions(folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QSaveFile file(fileFor(path));
    if (!file.open(QIODevice::WriteOnly))
        return;
    QDataStream out(&file);
    out << Magic << path << stamp << quint8(entry.state)
        << (entry.state == PdfText::State::Text ? entry.document : QByteArray());
    if (out.status() == QDataStream::Ok)
        file.commit();
}
