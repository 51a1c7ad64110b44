// Times `quillomar --check` level by level: reading, planning and the headless play-through.
//   build/level_check_bench [LEVEL_FILE...]   (default: every level of levels/order.txt)
// Prints one line a level with its verdict and the seconds it took, then the slowest.
#include <algorithm>
#include <chrono>
#include <fstream>
#include <iostream>
#include <sstream>

#include "authoring/level_check.h"

int main(int argc, char** argv) {
    std::vector<std::string> files(argv + 1, argv + argc);
    if (files.empty()) {
        std::ifstream in("levels/order.txt");
        for (std::string line; std::getline(in, line);) {
            std::istringstream words(line);
            std::string path;
            if (words >> path && path[0] != '#') {
                files.push_back(path);
            }
        }
    }
    double slowest = 0.0;
    for (const std::string& file : files) {
        const auto begun = std::chrono::steady_clock::now();
        const quillomar::level_verdict verdict = quillomar::check_level_file(file);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
        slowest = std::max(slowest, seconds);
        std::cout << verdict.lines.back() << "  [" << seconds << " s]\n";
    }
    std::cout << "slowest_check_s " << slowest << "\n";
    return 0;
}
