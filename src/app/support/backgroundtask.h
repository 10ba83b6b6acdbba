#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class QWidget;
class ProgressDialog;

// Work running off the window's thread behind the progress window: the window keeps painting
// (and counting, when the work counts), takes no other input meanwhile, and can stop the work
// with its "Отмена" button or Esc. finished() comes once, when the work has ended (stopped or
// not).
class BackgroundTask final : public QObject
{
    Q_OBJECT
public:
    struct Work
    {
        std::function<void()> run;    // runs on a pool thread
        std::function<void()> cancel; // asks run to end soon; any thread
        std::function<int()> count;   // documents done so far; none: no count shown
    };

    BackgroundTask(QWidget* window, const QString& caption, const QString& message, Work work);
    // Stops work still running and waits for it: nothing runs on after its owner.
    ~BackgroundTask() override;

    void cancel();
    // True once a stop was asked for.
    bool isCancelled() const { return m_cancelled; }

signals:
    void finished();

private:
    Work m_work;
    bool m_cancelled = false;
    QFutureWatcher<void> m_watcher;
    std::unique_ptr<ProgressDialog> m_progressWindow;
    QTimer m_counter;
};
