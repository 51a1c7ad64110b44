#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace quillomar::test {

// A child process with standard input from /dev/null and its output captured to files.
class child_process {
public:
    // Starts `program` with `args` in `working_dir`; `unset_env` names variables removed from its
    // environment and `set_env` holds "NAME=value" assignments added to it.
    child_process(const std::string& program, const std::string& working_dir,
                  const std::vector<std::string>& unset_env = {},
                  const std::vector<std::string>& set_env = {},
                  const std::vector<std::string>& args = {});
    ~child_process();
    child_process(const child_process&) = delete;
    child_process& operator=(const child_process&) = delete;

    // Waits up to `seconds`; returns the exit status, or -1 when it had to be killed.
    int wait(double seconds);
    bool running();
    // The X window id of the child's visible window whose title matches `title`, found by its
    // _NET_WM_PID so that no other process's window is taken; waits up to `seconds` while the
    // child runs. 0 when none appeared.
    unsigned long wait_for_window(double seconds, const std::string& title = "^Quillomar\\.$");
    std::string standard_output() const;
    std::string standard_error() const;
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int status_ = -1;
    bool finished_ = false;
    std::string out_path_;
    std::string err_path_;
};

}  // namespace quillomar::test
