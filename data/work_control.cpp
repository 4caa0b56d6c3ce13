#include "data/work_control.h"

#include <thread>

namespace varkel {

int workerCountFor(const WorkControl& control) {
    if (control.threads > 0) return control.threads;
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? static_cast<int>(cores) : 1;
}

}  // namespace varkel
