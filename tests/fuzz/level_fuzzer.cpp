// Feeds arbitrary bytes to the level-file reader, checks the streaming reader against a plain
// line-by-line reading of the same rules, and runs the level's rules on whatever came out.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <limits>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "level/ground_index.h"
#include "level/level.h"

namespace {

using quillomar::level;

class null_buffer : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
};

void check(bool condition, const char* what) {
    if (!condition) {
        std::cerr << "level_fuzzer: " << what << std::endl;
        std::abort();
    }
}

// atoi with the 32-bit clamp, built on strtoll: an independent reading of the same rule.
int number(const std::string& text) {
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value < std::numeric_limits<int>::min()) {
        return std::numeric_limits<int>::min();
    }
    if (value > std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(value);
}

float world(int v) {
    return static_cast<float>(2.0 * v);
}

// The level file's rules, one whole line at a time.
level reference(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t end = text.find('\n', begin);
        if (end == std::string::npos) {
            lines.push_back(text.substr(begin));
            break;
        }
        std::string line = text.substr(begin, end - begin);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
        begin = end + 1;
    }
    level lvl;
    bool layout = false;
    std::size_t row = 0;
    std::size_t column = 0;
    for (const std::string& line : lines) {
        if (layout) {
            column = 0;
            for (const char c : line) {
                if (c >= '1' && c <= '9' && lvl.cubes.size() < level::max_cubes) {
                    lvl.cubes.emplace_back(world(static_cast<int>(column)),
                                           static_cast<float>(2 * (c - '0')),
                                           world(static_cast<int>(row)));
                }
                ++column;
            }
            ++row;
            continue;
        }
        const std::size_t f = line.find(' ');
        const std::size_t l = line.rfind(' ');
        const std::string keyword = f == std::string::npos ? line : line.substr(0, f);
        std::string first = f == std::string::npos ? line : line.substr(f + 1, l);
        first = first.substr(0, first.find(' '));
        const std::string second = l == std::string::npos ? line : line.substr(l + 1);
        const int x = number(first);
        const int z = number(second);
        if (keyword == "start") {
            lvl.start = {world(x), world(z)};
        } else if (keyword == "finish") {
            lvl.finish = {world(x), world(z)};
        } else if (keyword == "enemy" && lvl.enemies.size() < level::max_enemies) {
            lvl.enemies.emplace_back(world(x), 0.0f, world(z));
        } else if (keyword == "item" && lvl.items.size() < level::max_items) {
            lvl.items.emplace_back(world(x), 0.0f, world(z));
            lvl.initial_items.emplace_back(world(x), 0.0f, world(z));
        } else if (keyword == "path") {
            layout = true;
        }
    }
    lvl.centre = glm::vec3(static_cast<float>(column), 30.0f, static_cast<float>(row));
    return lvl;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static null_buffer sink;
    std::cout.rdbuf(&sink);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    level lvl;
    std::istringstream in(text);
    lvl.read_stream(in);

    // Both readings keep the same counts of each kind (fuzz inputs stay below the file-size
    // limit), so they must agree exactly.
    const level expected = reference(text);
    check(lvl.cubes == expected.cubes, "cubes differ");
    check(lvl.items == expected.items, "items differ");
    check(lvl.initial_items == expected.initial_items, "initial items differ");
    check(lvl.enemies == expected.enemies, "enemies differ");
    check(lvl.start == expected.start, "start differs");
    check(lvl.finish == expected.finish, "finish differs");
    check(lvl.centre == expected.centre, "centre differs");

    lvl.place_items();
    lvl.place_enemies();
    for (const glm::vec3& p : lvl.items) {
        check(p.y == quillomar::cube_top_at(lvl.cubes, p.x, p.z), "item height differs");
    }
    check(lvl.headings.size() == lvl.enemies.size(), "one heading per enemy");

    // A few frames of play: legs, walking, a whole flip, pick-ups and a restart.
    lvl.enemies_walk = true;
    const glm::vec3 ball(lvl.start.x, lvl.height_at(lvl.start.x, lvl.start.y) + 1.0f, lvl.start.y);
    for (int frame = 0; frame < 4; ++frame) {
        const double time = frame * 0.7;
        lvl.update_actors(0.7, time);
        lvl.flip(time);
        lvl.pick_up_items(ball);
        lvl.enemy_touches(ball);
    }
    check(lvl.flip_done, "the flip ends after two seconds");
    for (std::size_t i = 0; i < lvl.cubes.size(); ++i) {
        const float s = lvl.saved_heights[i];
        check(lvl.cubes[i].y == (s == 4.0f ? 4.0f : 8.0f - s), "the flip mirrors about 4");
    }
    lvl.restore_items();
    check(lvl.items == lvl.initial_items, "restore brings every item back");
    return 0;
}
