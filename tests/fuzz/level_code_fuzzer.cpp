// Feeds arbitrary text to the level code reader. An input starting with '#' is taken as the bytes
// behind a code instead, given a right checksum and put into a code, so the fuzzer gets past the
// checksum to the lengths, the inflating and the readers. Whatever is refused says why in one
// line; whatever is accepted is a playable level with a run of its own, and comes back the same
// through encoding and reading again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "level/level_limits.h"
#include "records/level_code.h"
#include "records/records_store.h"
#include "tests/support/level_code_text.h"

using namespace quillomar;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    if (!input.empty() && input[0] == '#') {
        input = test::level_code_around(input.substr(1));
    }
    std::string why;
    const auto decoded = decode_level_code(input, &why);
    if (!decoded) {
        if (why.empty() || why.find('\n') != std::string::npos) {
            std::abort();  // a refusal is always one line
        }
        return 0;
    }
    if (decoded->level_file.empty() || decoded->level_file.size() > max_level_file_bytes ||
        decoded->key != level_key(decoded->level_file) ||
        (decoded->run && decoded->run->level_key != decoded->key)) {
        std::abort();
    }
    const std::string again = encode_level_code(
        decoded->level_file, decoded->run ? format_recording(*decoded->run) : std::string());
    const auto back = decode_level_code(again, &why);
    if (!back || back->level_file != decoded->level_file ||
        back->run.has_value() != decoded->run.has_value() ||
        (back->run && format_recording(*back->run) != format_recording(*decoded->run))) {
        std::abort();
    }
    return 0;
}
