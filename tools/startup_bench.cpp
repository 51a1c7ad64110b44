// How long the game takes to start, against a bare window on the same machine.
//
//   startup_bench [LEVEL_FILE] [RUNS]   (from the repository root, under xvfb-run -a)
//
// Each run is a fresh process of this program: "--bare" opens a 1024 x 768 3.3 core window with
// 4x multisampling, clears it and shows the first frame; "--game" opens the same window and runs
// the game's startup to its end. Runs alternate, so both see the machine alike. Printed: each
// median in seconds since the process began, their ratio, and the median of every start-up step
// of the game (the time between its " ..." and " done." lines). "--game" alone also prints every
// start-up line with its time.
#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "framework/game_window.h"
#include "shell/quillomar_game.h"

namespace {

using clock_type = std::chrono::steady_clock;
const clock_type::time_point process_start = clock_type::now();

double seconds_since_start() {
    return std::chrono::duration<double>(clock_type::now() - process_start).count();
}

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Keeps each line written to it with the time it was ended.
class timed_lines : public std::streambuf {
public:
    std::vector<std::pair<double, std::string>> lines;

protected:
    int overflow(int c) override {
        if (c == '\n') {
            lines.emplace_back(seconds_since_start(), current_);
            current_.clear();
        } else if (c != EOF) {
            current_ += static_cast<char>(c);
        }
        return c;
    }

private:
    std::string current_;
};

GLFWwindow* open_window() {
    if (glfwInit() == GLFW_FALSE) {
        return nullptr;
    }
    return quillomar::open_game_window(1024, 768, nullptr);
}

int bare() {
    GLFWwindow* window = open_window();
    if (window == nullptr) {
        return 1;
    }
    glClearColor(0.2f, 0.3f, 0.4f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glfwSwapBuffers(window);
    glFinish();
    std::printf("ready %.6f\n", seconds_since_start());
    glfwDestroyWindow(window);
    glfwTerminate();
    return 0;
}

int game(const std::string& level_file) {
    // As run does: prepare, then the window, then startup.
    auto game = std::make_unique<quillomar::quillomar_game>();
    game->level_path = level_file;
    // STARTUP_BENCH_NO_PREPARE=1 loads everything in startup, as before the workers.
    if (std::getenv("STARTUP_BENCH_NO_PREPARE") == nullptr) {
        game->prepare();
    }
    GLFWwindow* window = open_window();
    if (window == nullptr) {
        return 1;
    }
    const double window_ready = seconds_since_start();
    game->window = window;
    game->width = 1024;
    game->height = 768;
    timed_lines log;
    std::streambuf* previous = std::cout.rdbuf(&log);
    game->startup();
    std::cout.rdbuf(previous);
    std::printf("ready %.6f\n", seconds_since_start());
    std::printf("step window %.6f\n", window_ready);
    // A step is the time from its " ..." line to its " done." line.
    std::map<std::string, double> began;
    for (const auto& [time, line] : log.lines) {
        std::printf("line %.6f %s\n", time, line.c_str());
        const std::size_t dots = line.rfind(" ...");
        if (dots != std::string::npos && dots + 4 == line.size()) {
            began[line.substr(0, dots)] = time;
        }
        const std::size_t done = line.rfind(" done.");
        if (done != std::string::npos && done + 6 == line.size()) {
            // "do X stuff ..." ends as "X stuff done.": match on the words after "do ".
            std::string name = line.substr(0, done);
            for (const auto& [start_name, start_time] : began) {
                const std::string bare_name =
                    start_name.rfind("do ", 0) == 0 ? start_name.substr(3) : start_name;
                if (bare_name == name) {
                    std::printf("step %s %.6f\n", name.c_str(), time - start_time);
                }
            }
        }
    }
    game->shutdown();
    game.reset();
    glfwDestroyWindow(window);
    glfwTerminate();
    return 0;
}

// Runs this program with `mode` and returns its lines.
std::vector<std::string> run_child(const std::string& self, const std::string& mode,
                                   const std::string& level_file) {
    const std::string command = "'" + self + "' " + mode + " '" + level_file + "' 2>/dev/null";
    std::vector<std::string> lines;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return lines;
    }
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        std::string line(buffer);
        if (!line.empty() && line.back() == '\n') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    pclose(pipe);
    return lines;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--bare") == 0) {
        return bare();
    }
    if (argc >= 3 && std::strcmp(argv[1], "--game") == 0) {
        return game(argv[2]);
    }
    const std::string level_file = argc >= 2 ? argv[1] : "level.txt";
    const int runs = argc >= 3 ? std::max(1, std::atoi(argv[2])) : 7;
    std::vector<double> bare_ready;
    std::vector<double> game_ready;
    std::map<std::string, std::vector<double>> steps;
    for (int i = 0; i < runs; ++i) {
        for (const std::string& line : run_child(argv[0], "--bare", level_file)) {
            if (line.rfind("ready ", 0) == 0) {
                bare_ready.push_back(std::atof(line.c_str() + 6));
            }
        }
        for (const std::string& line : run_child(argv[0], "--game", level_file)) {
            if (line.rfind("ready ", 0) == 0) {
                game_ready.push_back(std::atof(line.c_str() + 6));
            } else if (line.rfind("step ", 0) == 0) {
                const std::size_t last_space = line.rfind(' ');
                steps[line.substr(5, last_space - 5)].push_back(
                    std::atof(line.c_str() + last_space + 1));
            }
        }
    }
    if (bare_ready.empty() || game_ready.empty()) {
        std::cerr << "no display: run under xvfb-run -a\n";
        return 1;
    }
    std::printf("bare_window_s: %.3f\n", median(bare_ready));
    std::printf("game_startup_s: %.3f\n", median(game_ready));
    std::printf("ratio: %.2f\n", median(game_ready) / median(bare_ready));
    for (const auto& [name, values] : steps) {
        std::printf("step %s: %.3f\n", name.c_str(), median(values));
    }
    return 0;
}
