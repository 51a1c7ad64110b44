// Feeds arbitrary bytes to the records parser. Whatever it accepts must hold only results a game
// can produce, and must come back unchanged through writing and reading again.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "records/records_store.h"

using namespace quillomar;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string why;
    const auto records =
        parse_records(std::string(reinterpret_cast<const char*>(data), size), &why);
    // A rejected file, and a file with damaged lines, has a reason.
    bool good = records ? records->damaged_lines.empty() || !records->why.empty() : !why.empty();
    for (const auto& [key, r] : records ? records->records : records_map{}) {
        good = good && key.size() == 16 && std::isfinite(r.best_time_seconds) &&
               r.best_time_seconds > 0.0 && r.best_time_seconds <= max_record_seconds &&
               r.fewest_lives_lost >= 0 && r.fewest_lives_lost <= max_record_lives_lost;
    }
    // Writing is one to one on valid records (shortest exact times, names without control
    // characters), so the same text twice means the same records came back.
    const std::string written = records ? format_records(records->records) : "";
    const auto again = parse_records(written);
    if (!good || (records && (!again || !again->damaged_lines.empty() ||
                              format_records(again->records) != written))) {
        std::abort();
    }
    return 0;
}
