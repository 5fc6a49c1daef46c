#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

// Runs `count` jobs on a thread pool and hands all their results, in job
// order, to `done` on the thread of `context` once the last job has ended:
// the import's probe batches and the recording-date windows. The pool's
// thread count bounds how many jobs run at once.
//
// Jobs must not touch `context`; they get only their index. When `context`
// is destroyed before the jobs end, `done` is not called; the owner of the
// pool waits for the pool before it goes away.
template <typename Result>
void runConcurrentGroup(QThreadPool *pool, QObject *context, qsizetype count, std::function<Result(qsizetype)> job,
                        std::function<void(std::vector<Result>)> done)
{
    struct State
    {
        std::vector<Result> results;
        std::atomic<qsizetype> remaining;
        std::function<Result(qsizetype)> job;
        std::function<void(std::vector<Result>)> done;
    };
    auto state = std::make_shared<State>();
    state->results.resize(static_cast<size_t>(count));
    state->remaining = count;
    state->job = std::move(job);
    state->done = std::move(done);

    auto deliver = [state, context] {
        QMetaObject::invokeMethod(
            context, [state] { state->done(std::move(state->results)); }, Qt::QueuedConnection);
    };
    if (count == 0) {
        deliver();
        return;
    }
    for (qsizetype i = 0; i < count; ++i) {
        // Each job writes only its own slot; the last one to finish delivers.
        (void)QtConcurrent::run(pool, [state, deliver, i] {
            state->results[static_cast<size_t>(i)] = state->job(i);
            if (state->remaining.fetch_sub(1, std::memory_order_acq_rel) == 1)
                deliver();
        });
    }
}
