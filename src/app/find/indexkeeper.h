#pragma once

#include "support/latestwork.h"

#include <QObject>
#include <QStringList>

#include <atomic>
#include <memory>

// Keeps the index of the shown collection's folders up to date in the background: built or
// brought up to date after start, after the window's own copy and delete, and when another
// collection is shown. Its work never holds up the window; a stopped update keeps what it
// wrote and goes on at the next one.
class IndexKeeper final : public QObject
{
    Q_OBJECT
public:
    explicit IndexKeeper(QObject* parent = nullptr);

    // Updates the index of each folder, one after another (an update running for other
    // folders stops first; one running for the same folders goes on, and runs once more
    // after it has ended). Nothing while the index is switched off.
    void update(const QStringList& folders);
    void stop();
    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }
    bool isUpdating() const { return m_updating.isRunning(); }
    // What the index of the last folders holds, for the search options: "Индекс: 10 000
    // документов", "Индекс строится", ...
    QString stateText() const { return m_state; }

    // "4 120", "10 000": digits in groups of three.
    static QString groupedNumber(int number);
    // "Индекс: 4 120 из 10 000 документов".
    static QString progressText(int done, int total);
    // "Индекс: 10 000 документов".
    static QString readyText(int documents);

signals:
    // A line for the status bar.
    void statusMessage(const QString& text);
    void progressChanged(int done, int total);
    void finished();

private:
    struct Outcome
    {
        int documents = 0;
        bool complete = true;
        QString problem; // said once
    };
    void finish(const Outcome& outcome);
    QStringList m_folders; // of the latest update
    bool m_again = false;  // an update was asked for while one ran for the same folders
    bool m_enabled = true;
    bool m_problemTold = false;
    QString m_state;
    // A thread of its own, beside the search's. Last: it ends before the rest goes.
    LatestWork<Outcome> m_updating{this, QThread::LowestPriority};
};
