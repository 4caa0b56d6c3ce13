#include "workbench/background_task.h"

#include <QCoreApplication>
#include <QEvent>

namespace {

// Progress is redrawn at most this often; the engine reports far more often.
constexpr auto progressInterval = std::chrono::milliseconds(50);

}  // namespace

void TaskControl::report(int stage, std::int64_t done, std::int64_t total) {
    const auto now = std::chrono::steady_clock::now();
    if (done < total && now - lastReport_ < progressInterval) return;
    lastReport_ = now;
    BackgroundTask* task = &task_;
    QMetaObject::invokeMethod(
        task, [task, stage, done, total] { emit task->progressed(stage, done, total); }, Qt::QueuedConnection);
}

void TaskControl::post(std::function<void()> step) {
    QMetaObject::invokeMethod(&task_, std::move(step), Qt::QueuedConnection);
}

BackgroundTask::BackgroundTask(QObject* parent) : QObject(parent) {}

BackgroundTask::~BackgroundTask() { abandon(); }

bool BackgroundTask::begin(std::function<void()> work, std::function<void()> deliver) {
    if (isRunning()) return false;
    control_.cancel_ = false;
    control_.lastReport_ = {};
    deliver_ = std::move(deliver);
    worker_ = std::thread([this, work = std::move(work)] {
        work();
        QMetaObject::invokeMethod(this, [this] { complete(); }, Qt::QueuedConnection);
    });
    return true;
}

void BackgroundTask::cancel() {
    if (isRunning()) control_.cancel_ = true;
}

void BackgroundTask::complete() {
    if (!isRunning()) return;  // finished early already
    worker_.join();
    deliverResult();
}

void BackgroundTask::deliverResult() {
    std::function<void()> deliver = std::move(deliver_);
    deliver_ = nullptr;
    deliver();
    emit finished();
}

void BackgroundTask::joinAndDropQueued() {
    control_.cancel_ = true;
    worker_.join();
    // What the job queued before its end is out of date; it queues no more.
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
}

void BackgroundTask::finishNow() {
    if (!isRunning()) return;
    joinAndDropQueued();
    deliverResult();
}

void BackgroundTask::abandon() {
    if (!isRunning()) return;
    joinAndDropQueued();
    deliver_ = nullptr;
}
