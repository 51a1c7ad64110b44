// Feeds arbitrary bytes to the parser of the levels won with help. Whatever it accepts holds only
// level keys, and comes back unchanged through writing and reading again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "records/assisted_store.h"

using namespace quillomar;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string why;
    const auto read = parse_assisted(std::string(reinterpret_cast<const char*>(data), size), &why);
    bool good = read ? read->damaged_lines.empty() || !read->why.empty() : !why.empty();
    for (const std::string& key : read ? read->keys : std::set<std::string>{}) {
        good = good && key.size() == 16;
    }
    const std::string written = read ? format_assisted(read->keys) : "";
    const auto again = parse_assisted(written);
    if (!good || (read && (!again || !again->damaged_lines.empty() || again->keys != read->keys))) {
        std::abort();
    }
    return 0;
}
