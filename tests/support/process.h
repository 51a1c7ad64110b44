// A child process with standard input from /dev/null and its output captured to files; ended
// with SIGTERM (SIGKILL ten seconds later) when the object goes.
#pragma once

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace quillomar::test {

// A free TCP port on 127.0.0.1 at the time of asking.
inline int free_port() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    const bool ok = bind(s, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
                    getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) == 0;
    close(s);
    return ok ? ntohs(address.sin_port) : 0;
}

class child_process {
public:
    // Starts `program` with `args` in `working_dir`; each "NAME=value" in `env` is set in its
    // environment and each bare "NAME" removed from it (glibc's putenv).
    child_process(const std::string& program, const std::string& working_dir,
                  const std::vector<std::string>& env = {},
                  const std::vector<std::string>& args = {}) {
        static int counter = 0;
        stem_ =
            "/tmp/quillomar-child-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
            dup2(open((stem_ + ".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
            dup2(open((stem_ + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
            for (const std::string& assignment : env) {
                putenv(const_cast<char*>(assignment.c_str()));
            }
            if (chdir(working_dir.c_str()) == 0) {
                execv(program.c_str(), argv.data());
            }
            _exit(127);
        }
    }
    ~child_process() {
        if (running()) {
            kill(pid_, SIGTERM);
            wait(10);
        }
        unlink((stem_ + ".out").c_str());
        unlink((stem_ + ".err").c_str());
    }
    child_process(const child_process&) = delete;
    child_process& operator=(const child_process&) = delete;

    bool running() {
        if (!finished_ && pid_ > 0 && waitpid(pid_, &status_, WNOHANG) == pid_) {
            finished_ = true;
        }
        return !finished_ && pid_ > 0;
    }
    // Waits up to `seconds`; returns the exit status, or -1 when it had to be killed.
    int wait(double seconds) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (running()) {
            if (std::chrono::steady_clock::now() > end) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status_, 0);
                finished_ = true;
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }
    // The X window id of the child's own visible "Quillomar." window on `display` (the inherited
    // one when empty), found by _NET_WM_PID so that no other process's window is taken; waits up
    // to `seconds` while the child runs, 0 when none came.
    unsigned long wait_for_window(double seconds, const std::string& display = "") {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        const std::string search = (display.empty() ? "" : "DISPLAY=" + display + " ") +
                                   "xdotool search --all --onlyvisible --pid " +
                                   std::to_string(pid_) + " --name '^Quillomar\\.$'";
        unsigned long window = 0;
        while (window == 0 && running() && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (FILE* found = popen(search.c_str(), "r")) {
                window = std::fscanf(found, "%lu", &window) == 1 ? window : 0;
                pclose(found);
            }
        }
        return window;
    }
    pid_t pid() const { return pid_; }
    // Waits up to `seconds` while the child runs for `text` on its standard output.
    bool wait_for_output(const std::string& text, double seconds) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (standard_output().find(text) == std::string::npos && running() &&
               std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return standard_output().find(text) != std::string::npos;
    }
    std::string standard_output() const { return read(".out"); }
    std::string standard_error() const { return read(".err"); }

private:
    std::string read(const char* suffix) const {
        std::stringstream text;
        text << std::ifstream(stem_ + suffix).rdbuf();
        return text.str();
    }
    pid_t pid_ = -1;
    int status_ = -1;
    bool finished_ = false;
    std::string stem_;
};

}  // namespace quillomar::test
