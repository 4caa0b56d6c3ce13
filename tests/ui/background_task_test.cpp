// The background task every long window job runs in: the result and the
// job's steps arrive on the window thread in order, progress is thinned out but
// its last step always arrives, and a task finished early or abandoned drops
// what is out of date.
#include "workbench/background_task.h"

#include <QSignalSpy>
#include <QTest>

#include <chrono>
#include <thread>
#include <vector>

namespace {

// A job that reports `steps` progress steps of one stage as fast as it can,
// posts a step after each hundredth, and returns how many it did before a cancel.
struct CountingJob {
    TaskControl& control;
    int steps;
    int operator()() const {
        int done = 0;
        while (done < steps && !control.cancelled()) {
            ++done;
            control.report(7, done, steps);
            if (done % 100 == 0) control.post([] {});
        }
        return done;
    }
};

}  // namespace

class BackgroundTaskTest : public QObject {
    Q_OBJECT
private slots:
    void resultArrivesAfterTheStepsOnTheWindowThread();
    void progressIsThinnedButItsLastStepArrives();
    void cancelStopsTheJobWhichStillFinishes();
    void finishNowDeliversAtOnceAndAbandonDropsTheResult();
};

void BackgroundTaskTest::resultArrivesAfterTheStepsOnTheWindowThread() {
    BackgroundTask task;
    std::vector<QString> seen;
    const auto windowThread = std::this_thread::get_id();
    TaskControl& control = task.control();
    QSignalSpy finished(&task, &BackgroundTask::finished);
    QVERIFY(task.start(
        [&control, &seen, windowThread] {
            for (int step = 1; step <= 3; ++step)
                control.post([&seen, windowThread, step] {
                    if (std::this_thread::get_id() == windowThread) seen.push_back(QString::number(step));
                });
            return QStringLiteral("result");
        },
        [&](QString result) {
            seen.push_back(result);
            QVERIFY(std::this_thread::get_id() == windowThread);
            QCOMPARE(finished.count(), 0);  // the handler runs before finished()
        }));
    QVERIFY(task.isRunning());
    QVERIFY(!task.start([] { return 0; }, [](int) {}));  // one job at a time
    QVERIFY(finished.wait(10000));
    QCOMPARE(seen, (std::vector<QString>{"1", "2", "3", "result"}));
    QVERIFY(!task.isRunning());
    // A finished task takes the next job.
    QVERIFY(task.start([] { return 2; }, [&](int value) { seen.push_back(QString::number(value)); }));
    QVERIFY(finished.wait(10000));
    QCOMPARE(seen.back(), QStringLiteral("2"));
}

void BackgroundTaskTest::progressIsThinnedButItsLastStepArrives() {
    BackgroundTask task;
    QSignalSpy progressed(&task, &BackgroundTask::progressed);
    QSignalSpy finished(&task, &BackgroundTask::finished);
    const int steps = 200000;
    QVERIFY(task.start(CountingJob{task.control(), steps}, [](int) {}));
    QVERIFY(finished.wait(20000));
    QVERIFY(progressed.count() >= 1);
    QVERIFY2(progressed.count() < 1000, qPrintable(QString::number(progressed.count())));
    const QList<QVariant> last = progressed.last();
    QCOMPARE(last.at(0).toInt(), 7);
    QCOMPARE(last.at(1).toLongLong(), qint64(steps));
    QCOMPARE(last.at(2).toLongLong(), qint64(steps));
}

void BackgroundTaskTest::cancelStopsTheJobWhichStillFinishes() {
    BackgroundTask task;
    QSignalSpy finished(&task, &BackgroundTask::finished);
    int done = -1;
    QVERIFY(task.start(CountingJob{task.control(), 2000000000}, [&](int count) { done = count; }));
    task.cancel();
    QVERIFY(finished.wait(20000));
    QVERIFY(done >= 0 && done < 2000000000);
    // The next job starts with the flag down.
    QVERIFY(task.start(CountingJob{task.control(), 10}, [&](int count) { done = count; }));
    QVERIFY(finished.wait(10000));
    QCOMPARE(done, 10);
}

void BackgroundTaskTest::finishNowDeliversAtOnceAndAbandonDropsTheResult() {
    int handled = 0;
    int progress = 0;
    {
        BackgroundTask task;
        connect(&task, &BackgroundTask::progressed, [&] { ++progress; });
        QVERIFY(task.start(CountingJob{task.control(), 2000000000}, [&](int) { ++handled; }));
        // Progress queues up meanwhile: no event loop runs to take it.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        task.finishNow();
        QCOMPARE(handled, 1);
        QVERIFY(!task.isRunning());
        QCoreApplication::processEvents();
        QCOMPARE(progress, 0);  // queued before the early finish: dropped
        QCOMPARE(handled, 1);   // and the job's own end is not delivered twice
    }
    {
        BackgroundTask task;
        QVERIFY(task.start(CountingJob{task.control(), 2000000000}, [&](int) { ++handled; }));
    }  // abandoned: stopped, waited for, its result dropped
    QCoreApplication::processEvents();
    QCOMPARE(handled, 1);
}

QTEST_MAIN(BackgroundTaskTest)
#include "background_task_test.moc"
