// A program measured from outside, as a player's machine sees it: started as a process of its
// own, left to settle, then watched over a window of seconds. Its frames are counted by the GL
// driver's own HUD (Mesa's GALLIUM_HUD=fps, dumped to a file every half second), so our game and
// another are counted alike; its CPU time over the same window comes from /proc/<pid>/stat
// (every thread of the process, the driver's rasteriser threads among them); its peak resident
// memory from the kernel when it ends (wait4's ru_maxrss). Linux only; used by the benchmark.
#pragma once

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace bench {

struct process_figures {
    double fps = 0.0;               // frames a second over the window, as the driver counted them
    double cpu_ms_per_frame = 0.0;  // CPU time of all threads over the window, per frame
    double cpu_cores = 0.0;         // how many cores it kept busy over the window
    double peak_mib = 0.0;          // peak resident set of the whole run
};

// In a forked child: becomes `argv`, its output (and its errors, with `no_errors`) thrown away.
[[noreturn]] inline void run_quietly(const std::vector<std::string>& argv, bool no_errors) {
    if (std::freopen("/dev/null", "w", stdout) == nullptr ||
        (no_errors && std::freopen("/dev/null", "w", stderr) == nullptr)) {
        _exit(127);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

// User and system time of every thread of `pid`, in seconds; nothing once it is gone.
inline std::optional<double> cpu_seconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    // The command name is in parentheses and may hold blanks: fields are counted after it.
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    double ticks = 0.0;
    for (int n = 3; n <= 15 && fields >> field; ++n) {
        if (n == 14 || n == 15) {  // utime, stime
            ticks += std::atof(field.c_str());
        }
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The frame rates the HUD has dumped so far, one a line.
inline std::vector<double> hud_rates(const std::filesystem::path& dump) {
    std::vector<double> rates;
    std::ifstream in(dump / "fps");
    for (std::string line; std::getline(in, line);) {
        rates.push_back(std::atof(line.c_str()));
    }
    return rates;
}

// Runs `argv` with `env` added to this process's environment, its output thrown away; measures
// it over `window_s` seconds after `settle_s`, then ends it. Nothing when it could not start or
// ended early.
inline std::optional<process_figures> measure_process(const std::vector<std::string>& argv,
                                                      const std::map<std::string, std::string>& env,
                                                      double settle_s, double window_s) {
    namespace fs = std::filesystem;
    std::string dump_template = (fs::temp_directory_path() / "quillomar-hud-XXXXXX").string();
    if (mkdtemp(dump_template.data()) == nullptr) {
        return std::nullopt;
    }
    const fs::path dump = dump_template;
    std::fflush(nullptr);  // what this process has printed is not the child's to print again
    const pid_t pid = fork();
    if (pid == 0) {
        for (const auto& [name, value] : env) {
            setenv(name.c_str(), value.c_str(), 1);
        }
        setenv("GALLIUM_HUD", "fps", 1);
        setenv("GALLIUM_HUD_DUMP_DIR", dump.c_str(), 1);
        run_quietly(argv, true);
    }
    if (pid < 0) {
        fs::remove_all(dump);
        return std::nullopt;
    }
    const auto wait_s = [](double s) {
        std::this_thread::sleep_for(std::chrono::duration<double>(s));
    };
    wait_s(settle_s);
    const std::size_t rates_before = hud_rates(dump).size();
    const std::optional<double> cpu_before = cpu_seconds(pid);
    wait_s(window_s);
    const std::optional<double> cpu_after = cpu_seconds(pid);
    const std::vector<double> rates = hud_rates(dump);
    kill(pid, SIGTERM);
    int status = 0;
    rusage usage{};
    for (int tries = 0; wait4(pid, &status, WNOHANG, &usage) == 0; ++tries) {
        if (tries == 50) {
            kill(pid, SIGKILL);  // five seconds to end is enough for any game
        }
        wait_s(0.1);
    }
    fs::remove_all(dump);
    if (!cpu_before || !cpu_after || rates.size() <= rates_before) {
        return std::nullopt;
    }
    double sum = 0.0;
    for (std::size_t i = rates_before; i < rates.size(); ++i) {
        sum += rates[i];
    }
    process_figures f;
    f.fps = sum / static_cast<double>(rates.size() - rates_before);
    const double cpu = *cpu_after - *cpu_before;
    f.cpu_ms_per_frame = f.fps > 0.0 ? 1000.0 * cpu / (f.fps * window_s) : 0.0;
    f.cpu_cores = cpu / window_s;
    f.peak_mib = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return f;
}

// Runs `argv` to its end and gives its peak resident set in MiB (0 when it did not run).
inline double peak_of_run(const std::vector<std::string>& argv) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        run_quietly(argv, false);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return 0.0;
    }
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace bench
