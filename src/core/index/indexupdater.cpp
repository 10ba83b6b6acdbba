#include "index/indexupdater.h"

#include "index/stamptable.h"

#include "norms/documentnorms.h"

#include "index/documentindex.h"
#include "library/libraryscan.h"
#include "matching/wordforms.h"
#include "pdf/documentfile.h"
#include "pdf/pdftextprefetch.h"
#include "platform/platform.h"
#include "text/documenttext.h"

#include <QDateTime>
#include <QElapsedTimer>

#include <vector>

namespace IndexUpdater {

QString relativePath(const QString& folder, const QString& path)
{
    if (!path.startsWith(folder))
        return path;
    qsizetype cut = folder.size();
    if (cut < path.size() && path.at(cut) == u'/' && !folder.endsWith(u'/'))
        ++cut;
    return path.mid(cut);
}

bool update(const QString& folder, DocumentIndex& index, Summary* summary,
            const std::function<void(int, int)>& progress, const std::atomic<bool>* stop)
{
    *summary = Summary{};
    const auto stopped = [stop] { return stop && stop->load(std::memory_order_relaxed); };
    StampTable known;
    if (!index.stamps(&known))
        return false;
    Platform::FolderId root;
    const quint64 device = Platform::folderId(folder, &root) ? root.device : 0;
    // What is in the index as it is on disk stays; the rest is read. Each document's stamp is
    // taken as the walk lists its folder; the documents met are marked. No tree is wanted.
    QStringList toRead;
    QList<Platform::FileStamp> stampsToRead;
    std::vector<char> met(size_t(known.size()), 0);
    const std::atomic<bool> takeStamps{true};
    LibraryScan::deep(
        folder,
        [&](ScannedDocument& document) {
            document.leaveOutOfTree();
            const qsizetype entry = known.find(document.nativeBelowRoot());
            if (entry >= 0)
                met[size_t(entry)] = 1;
            if (!document.stamp())
                return; // not readable now: the scan reads it at every search
            const Platform::FileStamp stamp = document.stamp()->relativeTo(device);
            if (entry >= 0 && known.stamp(entry) == stamp)
                return;
            toRead.append(document.path());
            stampsToRead.append(stamp);
        },
        stop, nullptr, &takeStamps);
    if (stopped())
        return true;
    QStringList gone;
    for (qsizetype entry = 0; entry < known.size(); ++entry) {
        if (!met[size_t(entry)])
            gone.append(Platform::fromNativeBytes(known.path(entry)));
    }

    const int total = int(toRead.size());
    if (progress)
        progress(0, total);
    if (!index.begin())
        return false;
    for (const QString& relative : std::as_const(gone)) {
        if (!index.remove(relative)) {
            index.rollback();
            return false;
        }
        ++summary->removed;
    }
    // PDFs take the most time to read: their text is read ahead on every core.
    const PdfTextPrefetch prefetch(toRead, stop);
    QElapsedTimer sinceCommit;
    sinceCommit.start();
    qint64 pending = 0;
    for (int i = 0; i < total; ++i) {
        if (stopped())
            break;
        const QString relative = relativePath(folder, toRead.at(i));
        const Platform::FileStamp& stamp = stampsToRead.at(i);
        if (stamp.size > LargestDocument) {
            // The zero stamp matches no file: every search reads it.
            if (!index.put(relative, Platform::FileStamp(), 0, QString(), QStringList(),
                           DocumentNorms())) {
                index.rollback();
                return false;
            }
            ++summary->tooLarge;
            continue;
        }
        const qint64 readAt = QDateTime::currentMSecsSinceEpoch() * 1000000;
        // A PDF without text, or one that cannot be read, is left out: every search reads it.
        DocumentFile file(toRead.at(i), stop);
        QByteArray raw;
        if (!file.isOpen() || !file.readRest(raw))
            continue;
        const DocumentText document(raw);
        const QString text = document.text();
        const bool settled = stamp.isSettledAt(readAt);
        const DocumentNorms norms =
            DocumentNorms::ofPage(raw, {DocumentNorms::fileNameOf(toRead.at(i))}, &text);
        if (!index.put(relative, settled ? stamp : Platform::FileStamp(), int(document.encoding()),
                       DocumentIndex::folded(text), WordForms::tokens(text), norms)) {
            index.rollback();
            return false;
        }
        ++summary->read;
        pending += raw.size();
        // Committed now and then: a killed build keeps what it wrote.
        if (pending > 32 * 1024 * 1024 || sinceCommit.elapsed() > 2000) {
            if (!index.commit() || !index.begin())
                return false;
            pending = 0;
            sinceCommit.restart();
        }
        if (progress && (i % 64 == 63 || i + 1 == total))
            progress(i + 1, total);
    }
    // An index that has once been brought up to date whole is used by searches; until then
    // (a first build still running, or stopped) they read the library as without one.
    if (!stopped() && !index.setNote(QStringLiteral("complete"), QStringLiteral("1"))) {
        index.rollback();
        return false;
    }
    if (!index.commit())
        return false;
    summary->documents = index.documentCount();
    summary->complete = !stopped();
    return true;
}

} // namespace IndexUpdater
