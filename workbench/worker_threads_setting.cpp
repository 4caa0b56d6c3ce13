#include "workbench/worker_threads_setting.h"

#include "base/work_control.h"
#include "workbench/settings_store.h"

namespace {

const QString threadsKey = QStringLiteral("Work/Threads");

}  // namespace

int storedWorkerThreads() {
    bool isNumber = false;
    const int threads = settingsStore().value(threadsKey).toInt(&isNumber);
    return isNumber && threads >= 1 && threads <= varkel::maxWorkerThreads() ? threads : 0;
}

void storeWorkerThreads(int threads) { settingsStore().setValue(threadsKey, threads); }
