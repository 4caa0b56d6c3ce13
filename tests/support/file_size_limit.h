#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>

namespace varkel::test {

// Runs `write` in a child process that may write no file beyond `limit` bytes
// (a full disk, as far as the writer can tell); the child's exit code is 0 when
// `write` reported success, 1 when it reported failure, -1 when it died.
inline int exitCodeUnderFileSizeLimit(rlim_t limit, const std::function<bool()>& write) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit bound{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &bound);
        ::_exit(write() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The same with SIGXFSZ as a shell leaves it (killing the program), as under
// `ulimit -f`: 0 or 1 as `write` reported, minus the signal when it died.
inline int statusUnderShellFileSizeLimit(rlim_t limit, const std::function<bool()>& write) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        const rlimit bound{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &bound);
        ::_exit(write() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

}  // namespace varkel::test
