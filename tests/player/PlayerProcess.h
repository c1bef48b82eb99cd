// The player as the tests run it: a process of its own with its own
// configuration folder, its output in a file, and ways to signal it and to
// wait for its end with a deadline.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char **environ;

namespace tarn {
namespace playertest {

inline std::string playerPath() {
    const char *p = std::getenv("TARNWELL_PLAYER");
    return p ? p : "./tarnwell";
}

inline std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A fresh folder under the test's scratch space.
inline std::string scratchFolder(const std::string &name) {
    const char *base = std::getenv("TARNWELL_PLAYER_SCRATCH");
    std::string dir = std::string(base ? base : "/tmp") + "/" + name;
    const std::string command = "rm -rf '" + dir + "' && mkdir -p '" + dir + "'";
    if (std::system(command.c_str()) != 0) return std::string();
    return dir;
}

class PlayerProcess {
public:
    // Environment: the test's own, with each "NAME=value" of extra replacing its NAME.
    PlayerProcess(const std::vector<std::string> &args, const std::vector<std::string> &extra,
                  const std::string &outputFile, const std::string &program = playerPath())
        : output(outputFile) {
        std::vector<std::string> env;
        for (char **e = environ; *e; ++e) {
            const std::string entry = *e;
            bool replaced = false;
            for (const auto &x : extra)
                if (entry.compare(0, x.find('=') + 1, x, 0, x.find('=') + 1) == 0) replaced = true;
            if (!replaced) env.push_back(entry);
        }
        for (const auto &x : extra)
            if (x.back() != '=') env.push_back(x);  // "NAME=" removes NAME
        std::vector<std::string> argv = {program};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char *> a, e;
        for (auto &s : argv) a.push_back(&s[0]);
        a.push_back(nullptr);
        for (auto &s : env) e.push_back(&s[0]);
        e.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        if (posix_spawnp(&pid, a[0], &actions, nullptr, a.data(), e.data()) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    // A process still running is asked to end, then made to.
    ~PlayerProcess() {
        signal(SIGTERM);
        if (!waitEnd(3000) && running()) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    PlayerProcess(const PlayerProcess &) = delete;
    PlayerProcess &operator=(const PlayerProcess &) = delete;

    bool running() const { return pid > 0 && !ended; }
    pid_t id() const { return pid; }
    void signal(int s) {
        if (running()) kill(pid, s);
    }
    // True when the process ended within the time.
    bool waitEnd(int timeoutMs) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (running()) {
            int s = 0;
            const pid_t r = waitpid(pid, &s, WNOHANG);
            if (r == pid) {
                ended = true;
                exitStatus = s;
                break;
            }
            if (r < 0 || std::chrono::steady_clock::now() > end) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return ended;
    }
    bool exitedWith(int code) const { return ended && WIFEXITED(exitStatus) && WEXITSTATUS(exitStatus) == code; }
    bool crashed() const { return ended && WIFSIGNALED(exitStatus); }
    std::string text() const { return readFile(output); }
    // The whole output must be the given number of lines.
    int lines() const {
        const std::string t = text();
        int n = 0;
        for (char c : t) n += c == '\n';
        return n;
    }

private:
    pid_t pid = -1;
    bool ended = false;
    int exitStatus = 0;
    std::string output;
};

}  // namespace playertest
}  // namespace tarn
