#include "tests/support/process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace quillomar::test {
namespace {

std::string read_file(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

child_process::child_process(const std::string& program, const std::string& working_dir,
                             const std::vector<std::string>& unset_env,
                             const std::vector<std::string>& set_env,
                             const std::vector<std::string>& args) {
    static int counter = 0;
    const std::string stem =
        "/tmp/quillomar-child-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    out_path_ = stem + ".out";
    err_path_ = stem + ".err";
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        const int in = open("/dev/null", O_RDONLY);
        const int out = open(out_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(err_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(in, STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        for (const std::string& name : unset_env) {
            unsetenv(name.c_str());
        }
        for (const std::string& assignment : set_env) {
            putenv(const_cast<char*>(assignment.c_str()));
        }
        if (chdir(working_dir.c_str()) != 0) {
            _exit(126);
        }
        execv(program.c_str(), argv.data());
        _exit(127);
    }
}

child_process::~child_process() {
    if (running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status_, 0);
    }
    unlink(out_path_.c_str());
    unlink(err_path_.c_str());
}

bool child_process::running() {
    if (finished_ || pid_ <= 0) {
        return false;
    }
    if (waitpid(pid_, &status_, WNOHANG) == pid_) {
        finished_ = true;
    }
    return !finished_;
}

int child_process::wait(double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (running()) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status_, 0);
            finished_ = true;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
}

unsigned long child_process::wait_for_window(double seconds, const std::string& title) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    const std::string search = "xdotool search --all --onlyvisible --pid " + std::to_string(pid_) +
                               " --name '" + title + "'";
    while (running() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        unsigned long window = 0;
        if (FILE* found = popen(search.c_str(), "r")) {
            window = std::fscanf(found, "%lu", &window) == 1 ? window : 0;
            pclose(found);
        }
        if (window != 0) {
            return window;
        }
    }
    return 0;
}

std::string child_process::standard_output() const {
    return read_file(out_path_);
}

std::string child_process::standard_error() const {
    return read_file(err_path_);
}

}  // namespace quillomar::test
