#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>
#include <type_traits>

// What takes the result of work on the owner's thread: the result, or nothing for work that
// hands its pieces over as it goes.
template <typename Result> struct LatestWorkDone
{
    using Type = std::function<void(Result)>;
};
template <> struct LatestWorkDone<void>
{
    using Type = std::function<void()>;
};

// Work a part of the window hands off its thread, of which only the latest counts: each
// start() asks the work still running to stop, runs the new work on a thread of the part's
// own (after the earlier work has ended: one at a time) and hands its result to done() on the
// owner's thread, unless another start() or cancel() came meanwhile: a stale result is let
// go, never shown. The work reads its stop flag to end early, and may hand pieces of its
// result over while it runs. Nothing is handed over after this object is gone, and the
// object waits for its work as it goes: the work never runs on after its owner.
template <typename Result> class LatestWork
{
    struct State; // what the hand-overs read on the owner's thread, kept by them

public:
    // What the work is given.
    class Run
    {
    public:
        // Set when a later start() or cancel() has made this work stale.
        bool isStopped() const { return m_stop->load(); }
        const std::atomic<bool>* stopFlag() const { return m_stop.get(); }
        // Runs piece on the owner's thread, unless this work has gone stale by then.
        void handOver(std::function<void()> piece) const
        {
            QMetaObject::invokeMethod(
                m_owner,
                [piece = std::move(piece), stop = m_stop, state = m_state] {
                    if (state->alive && !stop->load())
                        piece();
                },
                Qt::QueuedConnection);
        }

    private:
        friend class LatestWork;
        Run(QObject* owner, std::shared_ptr<std::atomic<bool>> stop, std::shared_ptr<State> state)
            : m_owner(owner), m_stop(std::move(stop)), m_state(std::move(state))
        {
        }
        QObject* m_owner;
        std::shared_ptr<std::atomic<bool>> m_stop;
        std::shared_ptr<State> m_state;
    };
    using Work = std::function<Result(const Run&)>;
    using Done = typename LatestWorkDone<Result>::Type;

    // owner: the object whose thread the results are handed to. priority: the work thread's;
    // browsing comes first where the system honours it (Windows; Linux changes nothing but
    // for the idle class, which would starve the work).
    explicit LatestWork(QObject* owner, QThread::Priority priority = QThread::InheritPriority)
        : m_owner(owner), m_priority(priority)
    {
        m_pool.setMaxThreadCount(1);
    }
    LatestWork(const LatestWork&) = delete;
    LatestWork& operator=(const LatestWork&) = delete;
    ~LatestWork()
    {
        cancelAndWait();
        m_state->alive = false; // hand-overs still queued are let go
    }

    void start(Work work, Done done)
    {
        cancel();
        auto stop = std::make_shared<std::atomic<bool>>(false);
        m_stop = stop;
        const quint64 id = ++m_state->latest;
        m_state->latestRunning = true;
        m_pool.start([work = std::move(work), done = std::move(done), stop, id, state = m_state,
                      owner = m_owner, priority = m_priority] {
            const auto finish = [stop, id, state](auto handOver) {
                if (id == state->latest)
                    state->latestRunning = false;
                if (state->alive && !stop->load())
                    handOver();
            };
            // The owner outlives the work: its LatestWork waits for the work as it goes.
            if (stop->load()) { // stale before it began
                QMetaObject::invokeMethod(
                    owner, [finish] { finish([] {}); }, Qt::QueuedConnection);
                return;
            }
            if (priority != QThread::InheritPriority)
                QThread::currentThread()->setPriority(priority);
            const Run run(owner, stop, state);
            if constexpr (std::is_void_v<Result>) {
                work(run);
                QMetaObject::invokeMethod(
                    owner, [finish, done] { finish(done); }, Qt::QueuedConnection);
            } else {
                auto result = std::make_shared<Result>(work(run));
                QMetaObject::invokeMethod(
                    owner, [finish, done, result] { finish([&] { done(std::move(*result)); }); },
                    Qt::QueuedConnection);
            }
        });
    }
    // Makes the work running stale: its stop flag is set, its result let go.
    void cancel()
    {
        if (m_stop)
            m_stop->store(true);
        m_stop.reset();
        m_state->latestRunning = false;
    }
    // Waits until no work runs (what it handed over is still on its way).
    void wait() { m_pool.waitForDone(); }
    void cancelAndWait()
    {
        cancel();
        wait();
    }
    // Whether the latest work, not cancelled, has not handed its result over yet (work made
    // stale does not count: it only ends).
    bool isRunning() const { return m_state->latestRunning; }

private:
    struct State
    {
        bool alive = true;
        quint64 latest = 0; // the number of the latest start
        bool latestRunning = false;
    };

    QObject* m_owner;
    QThread::Priority m_priority;
    QThreadPool m_pool;
    std::shared_ptr<std::atomic<bool>> m_stop; // of the latest work
    std::shared_ptr<State> m_state = std::make_shared<State>();
};
