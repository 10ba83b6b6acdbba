#include "find/indexkeeper.h"

#include "index/indexbuild.h"
#include "text/russianplural.h"

#include <QMetaObject>
#include <QThread>
#include <QtConcurrent>

namespace {

// "документ", "документа", "документов" after a number.
QString documentsWord(int number, bool afterFrom)
{
    // After "из" the genitive: "из 1 документа", "из 21 документа", "из 5 документов".
    return afterFrom
               ? RussianPlural::form(number, QStringLiteral("документа"),
                                     QStringLiteral("документов"), QStringLiteral("документов"))
               : RussianPlural::form(number, QStringLiteral("документ"),
                                     QStringLiteral("документа"), QStringLiteral("документов"));
}

} // namespace

IndexKeeper::IndexKeeper(QObject* parent) : QObject(parent)
{
    m_pool.setMaxThreadCount(1);
    connect(&m_watcher, &QFutureWatcher<Outcome>::finished, this, [this] {
        if (m_watcher.isCanceled() || m_watcher.future().resultCount() == 0)
            return;
        const Outcome outcome = m_watcher.result();
        if (!outcome.problem.isEmpty()) {
            m_state = QStringLiteral("Индекс недоступен: поиск читает все документы");
            if (!m_problemTold) {
                m_problemTold = true;
                emit statusMessage(QStringLiteral("Индекс не удалось обновить: ") +
                                   outcome.problem);
            }
        } else if (outcome.complete) {
            m_state = readyText(outcome.documents);
            emit statusMessage(m_state);
        }
        emit finished();
        if (m_again) {
            // What changed while it ran (a copy, a delete) is read now.
            m_again = false;
            update(m_folders);
        }
    });
}

IndexKeeper::~IndexKeeper()
{
    stop();
}

void IndexKeeper::stop()
{
    if (m_stop)
        m_stop->store(true);
    m_watcher.waitForFinished();
}

void IndexKeeper::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (!enabled) {
        stop();
        m_state = QStringLiteral("Индекс выключен");
    }
}

void IndexKeeper::update(const QStringList& folders)
{
    if (m_enabled && m_watcher.isRunning() && folders == m_folders) {
        // The same folders: the running update goes on (its count does not start over), and
        // runs once more when it has ended, for what changed meanwhile.
        m_again = true;
        return;
    }
    stop();
    m_again = false;
    m_folders = folders;
    if (!m_enabled || folders.isEmpty())
        return;
    m_stop = std::make_shared<std::atomic<bool>>(false);
    m_state = QStringLiteral("Индекс строится");
    const auto stopFlag = m_stop;
    QPointer<IndexKeeper> self(this);
    m_watcher.setFuture(QtConcurrent::run(&m_pool, [folders, stopFlag, self] {
        // Browsing comes first where the system honours a thread's priority (Windows); on
        // Linux Qt changes nothing but for the idle class, which would starve the update.
        QThread::currentThread()->setPriority(QThread::LowestPriority);
        Outcome outcome;
        for (const QString& folder : folders) {
            if (stopFlag->load())
                break;
            const IndexBuild::Report report = IndexBuild::updateOwn(
                folder,
                [stopFlag, self](int done, int total) {
                    if (stopFlag->load() || total == 0)
                        return;
                    QMetaObject::invokeMethod(
                        self.data(),
                        [self, done, total] {
                            if (!self)
                                return;
                            // The options dialog tells what the status bar tells.
                            self->m_state = progressText(done, total);
                            emit self->statusMessage(self->m_state);
                        },
                        Qt::QueuedConnection);
                },
                stopFlag.get());
            outcome.documents += report.summary.documents;
            if (report.outcome == IndexBuild::Outcome::Failed)
                outcome.problem = report.errorText;
            if (report.outcome != IndexBuild::Outcome::Done)
                outcome.complete = false;
        }
        return outcome;
    }));
}

QString IndexKeeper::groupedNumber(int number)
{
    QString digits = QString::number(number);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, u' ');
    return digits;
}

QString IndexKeeper::progressText(int done, int total)
{
    return QStringLiteral("Индекс: %1 из %2 %3")
        .arg(groupedNumber(done), groupedNumber(total), documentsWord(total, true));
}

QString IndexKeeper::readyText(int documents)
{
    return QStringLiteral("Индекс: %1 %2")
        .arg(groupedNumber(documents), documentsWord(documents, false));
}
