#include "base/work_control.h"

#include <algorithm>
#include <thread>

namespace varkel {

namespace {

int coreCount() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 && cores < 4096 ? static_cast<int>(cores) : 1;
}

}  // namespace

WorkControl WorkControl::atStage(int partStage) const {
    WorkControl part = *this;
    part.stage = partStage;
    return part;
}

WorkControl WorkControl::startStage(int partStage) const {
    if (onStageStarted) onStageStarted(partStage);
    return atStage(partStage);
}

int maxWorkerThreads() { return coreCount() * 4; }

int workerCountFor(const WorkControl& control, int itemCount) {
    const int asked = control.threads > 0 ? std::min(control.threads, maxWorkerThreads()) : coreCount();
    return std::max(1, std::min(asked, itemCount));
}

}  // namespace varkel
