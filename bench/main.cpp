// varkel-bench: Google Benchmark's options, plus
//   --vector-target=NAME  run the searches on one vector target (AVX3, AVX2,
//                         SSE4, SCALAR) instead of the best one, so that
//                         slower processors can be measured on a fast one;
//                         also VARKEL_VECTOR_TARGET
//   --threads=N           search threads (default 0: one per core); also
//                         VARKEL_BENCH_THREADS
//   VARKEL_BENCH_HISTORY  another price file instead of the fixed workload
// The target the searches dispatched to and the history they ran on head the
// report.
#include "bench_options.h"
#include "fixed_workload.h"

#include "search/vector_target.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace varkel::bench {

namespace {
int threadCount = 0;
}

int threads() { return threadCount; }
void setThreads(int count) { threadCount = count; }

}  // namespace varkel::bench

namespace {

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : " ") + name;
    return text;
}

// The value of `--name=value` in argv[i], or null.
const char* optionValue(const char* argument, const char* name) {
    const std::size_t length = std::strlen(name);
    return std::strncmp(argument, name, length) == 0 && argument[length] == '=' ? argument + length + 1 : nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    const char* target = std::getenv("VARKEL_VECTOR_TARGET");
    const char* threads = std::getenv("VARKEL_BENCH_THREADS");
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (const char* value = optionValue(argv[i], "--vector-target"))
            target = value;
        else if (const char* count = optionValue(argv[i], "--threads"))
            threads = count;
        else
            rest.push_back(argv[i]);
    }
    if (target != nullptr && *target != '\0' && !varkel::useVectorTarget(target)) {
        std::cerr << "varkel-bench: vector target " << target << " is not supported here (supported: "
                  << joined(varkel::supportedVectorTargets()) << ")\n";
        return 2;
    }
    if (threads != nullptr) varkel::bench::setThreads(std::atoi(threads));

    benchmark::AddCustomContext("vector target", varkel::vectorTargetName());
    benchmark::AddCustomContext("vector targets supported", joined(varkel::supportedVectorTargets()));
    {
        const varkel::ProductRegistry history = varkel::bench::workloadHistory("WORKLOAD");
        benchmark::AddCustomContext("history", varkel::bench::workloadPath() + " (" +
                                                   std::to_string(history.findProduct("WORKLOAD")->historyLength()) +
                                                   " bars; loading: the bundled samples)");
    }
    benchmark::AddCustomContext("search threads", std::to_string(varkel::bench::threads()) + " (0: one per core)");
    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    if (benchmark::ReportUnrecognizedArguments(restCount, rest.data())) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
