// Feeds arbitrary bytes to the level order file's reader: every level it gives has a path and a
// title without line breaks, and writing them back as lines reads back to the same set.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/level_set.h"

using namespace quillomar;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const level_set set =
        parse_level_set(std::string(reinterpret_cast<const char*>(data), size));
    std::string written;
    for (const level_set_entry& entry : set) {
        if (entry.path.empty() || entry.title.empty() ||
            entry.path.find_first_of("\r\n\t ") != std::string::npos ||
            entry.title.find_first_of("\r\n") != std::string::npos) {
            std::abort();
        }
        written += entry.path + " " + entry.title + "\n";
    }
    const level_set again = parse_level_set(written);
    bool same = again.size() == set.size();
    for (std::size_t i = 0; same && i < set.size(); ++i) {
        same = again[i].path == set[i].path && again[i].title == set[i].title;
    }
    if (!same) {
        std::abort();
    }
    return 0;
}
