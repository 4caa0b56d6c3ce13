#pragma once

// Starts a real HTTP server on 127.0.0.1 for the download tests and stops it
// when the object goes away.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace varkel::test {

inline sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A port nobody listens on right now (the kernel's choice for port 0).
inline int freePort() {
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    close(probe);
    return ntohs(address.sin_port);
}

inline bool accepts(int port) {
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = loopback(port);
    const bool connected = connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(probe);
    return connected;
}

// A child process listening on a free port; its output goes to `logPath`.
class LocalServer {
public:
    // `arguments` may hold "{port}", replaced by the chosen port.
    LocalServer(std::vector<std::string> arguments, const std::string& logPath) : port_(freePort()) {
        for (auto& argument : arguments)
            if (argument == "{port}") argument = std::to_string(port_);
        std::vector<char*> argv;
        for (auto& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (pid_ > 0 && !accepts(port_) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ready_ = pid_ > 0 && accepts(port_);
    }
    ~LocalServer() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;

    bool ready() const { return ready_; }
    std::string address() const { return "http://127.0.0.1:" + std::to_string(port_); }

private:
    int port_;
    pid_t pid_ = -1;
    bool ready_ = false;
};

// `python3 -m http.server` serving the folder `root`.
inline std::vector<std::string> staticFileServerCommand(const std::string& root) {
    return {"python3", "-m", "http.server", "--bind", "127.0.0.1", "{port}", "--directory", root};
}

// Keeps the tests' requests to 127.0.0.1 away from any proxy the environment names.
inline void bypassProxiesForLoopback() { setenv("no_proxy", "127.0.0.1,localhost", 1); }

}  // namespace varkel::test
