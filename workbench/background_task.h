#pragma once

#include "base/work_control.h"

#include <QObject>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>

class BackgroundTask;

// What a window's long job reaches while it runs on the task's thread: the
// cancel flag to hand to the engine (its control's `cancel`), progress that
// reaches the window at most every 50 ms (and always the last step), and steps
// the window should take on its own thread. Fill the engine's callbacks with it
// before start(); it lives as long as the task.
class TaskControl {
public:
    explicit TaskControl(BackgroundTask& task) : task_(task) {}

    const std::atomic<bool>* cancelFlag() const { return &cancel_; }
    bool cancelled() const { return cancel_.load(std::memory_order_relaxed); }

    // `done` of `total` in `stage` (a layer, a phase: the window gives it its
    // meaning). From the job's threads, one call at a time, as the engine
    // reports progress. Reaches the window as BackgroundTask::progressed.
    void report(int stage, std::int64_t done, std::int64_t total);

    // Hands the job's run control this task's cancel flag and progress.
    void watch(varkel::WorkControl& work) {
        work.cancel = cancelFlag();
        work.onProgress = [this](int stage, std::int64_t done, std::int64_t total) { report(stage, done, total); };
    }

    // Runs `step` on the window thread, in order with the progress, unless the
    // task is abandoned or finished early (finishNow) first.
    void post(std::function<void()> step);

private:
    friend class BackgroundTask;
    BackgroundTask& task_;
    std::atomic<bool> cancel_{false};
    // Only the thread that reports progress touches this.
    std::chrono::steady_clock::time_point lastReport_;
};

// Runs one long job of a window at a time on a thread of its own, after the
// pattern of Qt's Mandelbrot RenderThread: the job takes its inputs by value
// (a copy of the bars, never the window's live data), its result comes back
// on the window thread, and the task stops and waits for its thread when it
// goes. Keep it as a member declared after everything the finish handler uses.
//
// A window adopts it in three steps:
//     connect(&task_, &BackgroundTask::progressed, this, [this](int stage, qint64 done, qint64 total) {...});
//     task_.control().watch(options);  // options: the engine's run control
//     task_.start([bars = copyOfTheBars, options] { return runTheWork(bars, options); },
//                 [this](Result result) { showResult(result); });
// Cancel calls task_.cancel(); closing the window calls task_.finishNow() (or
// lets the destructor drop a result nobody will see).
class BackgroundTask : public QObject {
    Q_OBJECT
public:
    explicit BackgroundTask(QObject* parent = nullptr);
    ~BackgroundTask() override;  // abandon()

    TaskControl& control() { return control_; }
    bool isRunning() const { return worker_.joinable(); }

    // Starts `job()` on the task's thread; false while a job runs. When the job
    // has returned and its thread has ended, `onFinished(result)` runs on the
    // window thread, then finished() is emitted.
    template <typename Job, typename OnFinished>
    bool start(Job job, OnFinished onFinished) {
        using Result = std::invoke_result_t<Job&>;
        auto result = std::make_shared<std::optional<Result>>();
        return begin([job = std::move(job), result]() mutable { result->emplace(job()); },
                     [onFinished = std::move(onFinished), result]() mutable { onFinished(std::move(**result)); });
    }

    // Asks the job to stop; it still finishes as usual, with whatever result
    // the engine gives for a cancelled piece of work.
    void cancel();
    // Cancels, waits for the job and finishes it now: its result reaches the
    // handler before this returns. Progress and steps still queued are out of
    // date and dropped. Nothing happens when no job runs.
    void finishNow();
    // Cancels and waits for the job, dropping its result and everything it
    // queued: for a window that goes away.
    void abandon();

signals:
    void progressed(int stage, qint64 done, qint64 total);
    void finished();

private:
    bool begin(std::function<void()> work, std::function<void()> deliver);
    void complete();
    void deliverResult();
    void joinAndDropQueued();

    TaskControl control_{*this};
    std::function<void()> deliver_;
    std::thread worker_;
};
