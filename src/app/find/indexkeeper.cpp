#include "find/indexkeeper.h"

#include "index/indexbuild.h"
#include "text/russianplural.h"

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

IndexKeeper::IndexKeeper(QObject* parent) : QObject(parent) {}

void IndexKeeper::stop()
{
    m_updating.cancelAndWait();
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
    if (m_enabled && m_updating.isRunning() && folders == m_folders) {
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
    m_state = QStringLiteral("Индекс строится");
    m_updating.start(
        [this, folders](const auto& run) {
            Outcome outcome;
            for (const QString& folder : folders) {
                if (run.isStopped())
                    break;
                const IndexBuild::Report report = IndexBuild::updateOwn(
                    folder,
                    [this, &run](int done, int total) {
                        if (total == 0)
                            return;
                        run.handOver([this, done, total] {
                            // The options dialog tells what the status bar tells.
                            m_state = progressText(done, total);
                            emit statusMessage(m_state);
                        });
                    },
                    run.stopFlag());
                outcome.documents += report.summary.documents;
                if (report.outcome == IndexBuild::Outcome::Failed)
                    outcome.problem = report.errorText;
                if (report.outcome != IndexBuild::Outcome::Done)
                    outcome.complete = false;
            }
            return outcome;
        },
        [this](const Outcome& outcome) { finish(outcome); });
}

void IndexKeeper::finish(const Outcome& outcome)
{
    if (!outcome.problem.isEmpty()) {
        m_state = QStringLiteral("Индекс недоступен: поиск читает все документы");
        if (!m_problemTold) {
            m_problemTold = true;
            emit statusMessage(QStringLiteral("Индекс не удалось обновить: ") + outcome.problem);
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
