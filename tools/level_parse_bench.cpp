// Measures reading a 1000 × 1000 level layout, from memory and from a file, and placing items and
// spiders on it. Prints "name: value" lines; times are the best of five runs, in seconds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <streambuf>
#include <string>

#include "actors/level_actors.h"
#include "level/level.h"

namespace {

// A level with heights cycling through the digits, one spider and one item per 1000 cells.
std::string big_level(int size) {
    std::string text = "# generated\nstart 1 1\nfinish 998 998\n";
    for (int i = 0; i < 1000; ++i) {
        text += "item " + std::to_string(i) + " " + std::to_string((i * 7) % size) + "\n";
        text += "enemy " + std::to_string((i * 13) % size) + " " + std::to_string(i) + "\n";
    }
    text += "path\n";
    for (int row = 0; row < size; ++row) {
        for (int column = 0; column < size; ++column) {
            text += static_cast<char>('1' + (row + column) % 5);
        }
        text += '\n';
    }
    return text;
}

template <class Work>
double best_of_five(Work&& work) {
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        const auto begun = std::chrono::steady_clock::now();
        work();
        const auto ended = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double>(ended - begun).count());
    }
    return best;
}

}  // namespace

int main() {
    const std::string text = big_level(1000);
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / "quillomar_level_parse_bench.txt";
    {
        std::ofstream out(file, std::ios::binary);
        out << text;
    }

    std::size_t cubes = 0;
    const double from_memory = best_of_five([&] {
        quillomar::level lvl;
        std::istringstream in(text);
        lvl.read_stream(in);
        cubes = lvl.cubes.size();
    });
    const double from_file = best_of_five([&] {
        quillomar::level lvl;
        lvl.read_file(file.string());
    });
    quillomar::level parsed;
    parsed.read_file(file.string());
    const double placing = best_of_five([&] {
        quillomar::level lvl = parsed;
        lvl.place_items();
        place_enemies(lvl);
    });
    std::filesystem::remove(file);

    std::cout << "level_bytes: " << text.size() << "\n";
    std::cout << "cubes: " << cubes << "\n";
    std::cout << "read_1000x1000_s: " << from_memory << "\n";
    std::cout << "read_file_1000x1000_s: " << from_file << "\n";
    std::cout << "place_1000_items_1000_enemies_s: " << placing << "\n";
    return 0;
}
