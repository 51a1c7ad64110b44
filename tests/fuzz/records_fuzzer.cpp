// Feeds arbitrary bytes to the records parser. Whatever it accepts must hold only results a game
// can produce, and must come back unchanged through writing and reading again.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>

#include "records/records_store.h"

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        std::cerr << "records_fuzzer: " << what << std::endl;
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string why;
    const auto records = quillomar::parse_records(text, &why);
    if (!records) {
        check(!why.empty(), "a rejected file has a reason");
        return 0;
    }
    for (const auto& [key, record] : *records) {
        check(key.size() == 16, "keys are 16 digits");
        check(std::isfinite(record.best_time_seconds) && record.best_time_seconds > 0.0 &&
                  record.best_time_seconds <= quillomar::max_record_seconds,
              "times are positive and bounded");
        check(record.fewest_lives_lost >= 0 &&
                  record.fewest_lives_lost <= quillomar::max_record_lives_lost,
              "lives are bounded");
    }
    // Writing is one to one on valid records (shortest exact times, names without control
    // characters), so the same text twice means the same records came back.
    const std::string written = quillomar::format_records(*records);
    const auto again = quillomar::parse_records(written);
    check(again.has_value(), "what is written can be read");
    check(quillomar::format_records(*again) == written, "records come back unchanged");
    return 0;
}
