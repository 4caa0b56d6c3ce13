// Ctrl-C stops a long command between trials instead of killing it.
#include "../support/files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

using varkel::test::TempDirectory;

// Runs varkel-cli with `arguments`, pressing Ctrl-C every 50 ms until it ends.
// Until the command takes Ctrl-C over, the interrupt is ignored, so the first
// one it sees arrives while it works. Returns the exit status; stderr goes to `err`.
int runInterrupted(std::vector<std::string> arguments, const std::string& err) {
    // Held back until the child ignores it: an interrupt sent at once must not kill it.
    sigset_t interrupt, previous;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    sigprocmask(SIG_BLOCK, &interrupt, &previous);
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        std::signal(SIGINT, SIG_IGN);
        sigprocmask(SIG_SETMASK, &previous, nullptr);
        if (std::freopen(err.c_str(), "w", stderr) == nullptr || std::freopen("/dev/null", "w", stdout) == nullptr)
            _exit(127);
        std::vector<char*> argv{const_cast<char*>(VARKEL_CLI_PATH)};
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        execv(VARKEL_CLI_PATH, argv.data());
        _exit(127);
    }
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        kill(pid, SIGINT);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return status;
}

}  // namespace

TEST(CliInterrupt, CtrlCCancelsBuildWalkForwardAndScanAndSavesNothing) {
    const std::string history = std::string(VARKEL_FAULTY_HISTORIES_DIR) + "/USD_JPY.txt";
    struct Case {
        std::vector<std::string> arguments;
        const char* said;
    };
    const Case cases[] = {
        {{"build", "--product", "USD/JPY", "--file", history, "--base", "keltner", "--threads", "1"}, "Build cancelled\n"},
        {{"walkforward", "--product", "USD/JPY", "--file", history, "--base", "keltner", "--threads", "1", "--csv",
          "folds.csv"},
         "Walk-forward cancelled\n"},
        {{"scan", "--product", "USD/JPY", "--file", history, "--bases", "keltner", "--threads", "1", "--csv",
          "folds.csv"},
         "Scan cancelled\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments[0]);
        const TempDirectory dir;
        std::vector<std::string> arguments = c.arguments;
        if (arguments[0] == "build") arguments.insert(arguments.end(), {"--dir", dir.path().string()});
        else arguments.back() = (dir / "folds.csv").string();
        const int status = runInterrupted(arguments, (dir / "err").string());
        ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal";
        EXPECT_EQ(WEXITSTATUS(status), 1);
        EXPECT_EQ(varkel::test::readFile(dir / "err"), c.said);
        EXPECT_FALSE(std::filesystem::exists(dir / "USD_JPY.pfm"));
        EXPECT_FALSE(std::filesystem::exists(dir / "folds.csv"));
    }
}
