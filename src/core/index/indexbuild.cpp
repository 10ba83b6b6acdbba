#include "index/indexbuild.h"

#include "index/documentindex.h"
#include "index/indexlocation.h"
#include "index/keptindex.h"
#include "index/soundnessrecord.h"
#include "platform/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QSaveFile>

namespace IndexBuild {

namespace {

void removeIndexFile(const QString& file)
{
    KeptIndex::forget(file); // no connection of a search holds it
    SoundnessRecord(file).forget();
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(file + QString::fromLatin1(suffix));
}

// Opens (or makes anew, when damaged or foreign) and brings up to date the index in file.
void update(const QString& folder, const QString& file, Report& report,
            const std::function<void(int, int)>& progress, const std::atomic<bool>* stop)
{
    report.file = file;
    const SoundnessRecord record(file);
    // Read through to check only when nothing proves it whole (see SoundnessRecord).
    const bool proven = record.provesSound();
    // The record vouches for the file as it is now, not as this update leaves it: it goes
    // before anything is written (opening it to write already writes its header).
    if (!record.forget()) {
        report.errorText = QStringLiteral("cannot write beside ") + file;
        return;
    }
    const bool existed = QFileInfo::exists(file); // else made now: nothing in it is replaced
    DocumentIndex index;
    const bool opened = index.open(file, DocumentIndex::Access::ReadWrite);
    const auto isSound = [&] {
        report.readThrough = !proven;
        return proven || index.isSound();
    };
    if (opened && existed && (!IndexLocation::isIndexOf(index, folder, file) || !isSound())) {
        index.close(); // another folder's index under this name, or a damaged one: made anew
    } else if (!opened && index.problem() != DocumentIndex::Problem::Unusable) {
        report.errorText = index.errorText();
        return;
    }
    if (!index.isOpen()) {
        // Not an index of this version, or a damaged one: it is only a cache of the library.
        removeIndexFile(file);
        report.replaced = true;
        if (!index.open(file, DocumentIndex::Access::ReadWrite)) {
            report.errorText = index.errorText();
            return;
        }
    }
    // The folder is recorded first: an index that does not name its folder is made anew.
    if (!index.completeSchema() ||
        !index.setNote(QStringLiteral("folder"), IndexLocation::realPath(folder)) ||
        !IndexUpdater::update(folder, index, &report.summary, progress, stop)) {
        report.errorText = index.errorText();
        if (index.problem() == DocumentIndex::Problem::Unusable) {
            index.close();
            removeIndexFile(file); // rebuilt at the next update
            report.replaced = true;
        }
        return;
    }
    report.textBytes = index.textBytes();
    // Left whole, without the journal files beside it: a search then reads it read-only and
    // writes nothing. Left so, it is whole as this update wrote it.
    if (index.finishForSharing()) {
        index.close();
        record.keep(); // without a record, the next update only reads the file through
    }
    report.outcome = report.summary.complete ? Outcome::Done : Outcome::Stopped;
}

// Makes the index's folder and takes the one builder's lock in it; false, with the report
// saying why (another builder at work, or a folder that cannot be written), when it cannot.
bool takeBuilderLock(const QString& indexFolder, QLockFile& lock, Report& report)
{
    if (!QDir().mkpath(indexFolder)) {
        report.errorText = QStringLiteral("cannot create ") + indexFolder;
        return false;
    }
    lock.setStaleLockTime(0);
    if (lock.tryLock(0))
        return true;
    if (lock.error() == QLockFile::LockFailedError)
        report.outcome = Outcome::Busy;
    else
        report.errorText = QStringLiteral("cannot write in ") + indexFolder;
    return false;
}

} // namespace

Report updateOwn(const QString& folder, const std::function<void(int, int)>& progress,
                 const std::atomic<bool>* stop)
{
    Report report;
    const QString file = IndexLocation::cacheFile(folder);
    report.file = file;
    QLockFile lock(file + QStringLiteral(".lock"));
    if (!takeBuilderLock(IndexLocation::cacheFolder(), lock, report))
        return report;
    update(folder, file, report, progress, stop);
    report.fileBytes = QFileInfo(file).size() + QFileInfo(file + QStringLiteral("-wal")).size();
    return report;
}

Report updateShared(const QString& folder, const std::function<void(int, int)>& progress,
                    const std::atomic<bool>* stop)
{
    Report report;
    const QString sharedFolder = IndexLocation::sharedFolder(folder);
    QLockFile lock(sharedFolder + QStringLiteral("/build.lock"));
    if (!takeBuilderLock(sharedFolder, lock, report))
        return report;
    // The next generation starts as a copy of the one in use, and only what changed is read.
    const QString current = IndexLocation::sharedFile(folder);
    int generation = 0;
    static const QRegularExpression numbered(QStringLiteral("^index-(\\d+)\\.sqlite$"));
    const QStringList names = QDir(sharedFolder).entryList(QDir::Files);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = numbered.match(name);
        if (match.hasMatch())
            generation = qMax(generation, match.captured(1).toInt());
    }
    const QString name = QStringLiteral("index-%1.sqlite").arg(generation + 1);
    const QString next = sharedFolder + u'/' + name;
    removeIndexFile(next);
    if (!current.isEmpty() && !QFile::copy(current, next)) {
        report.errorText = QStringLiteral("cannot write ") + next;
        return report;
    }
    update(folder, next, report, progress, stop);
    if (report.outcome != Outcome::Done) {
        removeIndexFile(next);
        return report;
    }
    {
        // Readers open the file immutable: it is left whole, with no journal beside it.
        DocumentIndex index;
        if (index.open(next, DocumentIndex::Access::ReadWrite))
            index.finishForSharing();
    }
    // A generation is never brought up to date in place: nothing beside it on the share.
    SoundnessRecord(next).forget();
    QSaveFile pointer(IndexLocation::sharedPointer(folder));
    if (!pointer.open(QIODevice::WriteOnly) || pointer.write(name.toUtf8() + '\n') < 0 ||
        !pointer.commit()) {
        report.outcome = Outcome::Failed;
        report.errorText = QStringLiteral("cannot write ") + IndexLocation::sharedPointer(folder);
        removeIndexFile(next);
        return report;
    }
    report.fileBytes = QFileInfo(next).size();
    // Generations before the one just replaced go; that one may still be open by a reader.
    for (const QString& old : names) {
        const QRegularExpressionMatch match = numbered.match(old);
        if (match.hasMatch() && sharedFolder + u'/' + old != current &&
            match.captured(1).toInt() < generation + 1)
            removeIndexFile(sharedFolder + u'/' + old);
    }
    return report;
}

} // namespace IndexBuild
