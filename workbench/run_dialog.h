#pragma once

#include "workbench/background_task.h"

#include <QDialog>

#include <cstdint>
#include <utility>

// A window that runs one long job at a time (a build, a walk-forward, a
// permutation test): the job's task, Cancel, closing that first ends the job,
// the busy state around a run and the signal at its end.
//
// The task belongs to this base, so it is made before and goes after
// everything the window declares: a job works on copies, and what it hands
// back (its result, its progress, the steps it posts) reaches the window only
// through the event loop, which the task empties when the window goes. No
// handler can run on a window half destroyed, whatever order it declares its
// members in.
class RunDialog : public QDialog {
    Q_OBJECT
public:
    bool isRunning() const { return task_.isRunning(); }
    // Asks a running job to stop; it ends as usual, with the engine's cancelled result.
    void cancel() { task_.cancel(); }
    // Escape, Close or the close box: a running job stops and its end is
    // shown before the window closes.
    void reject() override;

signals:
    // A run has ended (done, refused or cancelled) and the window shows it.
    void runFinished();

protected:
    explicit RunDialog(QWidget* parent);

    // The run control's progress, on the window thread: `done` of `total` in `stage`.
    virtual void showProgress(int stage, std::int64_t done, std::int64_t total) = 0;
    // Entries and buttons for a run that starts (true) or has ended (false),
    // after the window has shown how it ended.
    virtual void setBusy(bool busy) = 0;

    // What a job's run control is watched by: its cancel flag and progress
    // (TaskControl::watch), and steps the job posts to the window thread.
    TaskControl& runTask() { return task_.control(); }

    // Starts `job()` (which works on copies) and makes the window busy; when
    // it has ended, `showEnd(result)` runs on the window thread, then the
    // window is no longer busy and runFinished() is emitted.
    template <typename Job, typename ShowEnd>
    void startRun(Job job, ShowEnd showEnd) {
        const bool started = task_.start(std::move(job), [this, showEnd = std::move(showEnd)](auto result) mutable {
            showEnd(std::move(result));
            setBusy(false);
            emit runFinished();
        });
        if (started) setBusy(true);
    }

private:
    BackgroundTask task_;
};
