// Feeds arbitrary bytes to the medals parser. Whatever it accepts must hold only medal times in
// order, and must come back unchanged through writing and reading again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "records/medal_store.h"

using namespace quillomar;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string why;
    const auto medals = parse_medals(std::string(reinterpret_cast<const char*>(data), size), &why);
    // A rejected file, and a file with damaged lines, has a reason.
    bool good = medals ? medals->damaged_lines.empty() || !medals->why.empty() : !why.empty();
    for (const auto& [key, times] : medals ? medals->medals : medals_map{}) {
        good = good && key.size() == 16 && usable(times);
    }
    // Writing is one to one on usable times, so the same text twice means the same medals.
    const std::string written = medals ? format_medals(medals->medals) : "";
    const auto again = parse_medals(written);
    if (!good || (medals && (!again || !again->damaged_lines.empty() ||
                             format_medals(again->medals) != written))) {
        std::abort();
    }
    return 0;
}
