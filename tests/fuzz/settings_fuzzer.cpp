// Feeds arbitrary bytes to the settings parser and the statistics parser. Whatever either accepts
// must come back unchanged through writing and reading again, and a damaged line always has a
// reason: a player's file is never half read without a word.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "records/settings.h"
#include "records/statistics_store.h"

using namespace quillomar;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    bool good = true;
    if (const auto read = parse_settings(text)) {
        good = read->damaged_lines.empty() || !read->why.empty();
        const std::string written = format_settings(read->values);
        const auto again = parse_settings(written);
        good = good && again && again->damaged_lines.empty() && again->values == read->values;
    }
    if (const auto read = parse_statistics(text)) {
        good = good && (read->damaged_lines.empty() || !read->why.empty());
        const std::string written = format_statistics(read->levels);
        const auto again = parse_statistics(written);
        good = good && again && again->damaged_lines.empty() && again->levels == read->levels &&
               format_statistics(again->levels) == written;
    }
    if (!good) {
        std::abort();
    }
    return 0;
}
