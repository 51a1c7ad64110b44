// A level code written by hand around the bytes behind it, for the tests and the fuzzer that
// feed the code reader what no encoder would make; it needs no test framework.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>

namespace quillomar::test {

// `bytes` (the stated lengths and the packed level and run) with their checksum, in the code's
// alphabet after its head.
inline std::string level_code_around(std::string bytes) {
    const auto sum = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
    for (int s = 0; s < 32; s += 8) bytes.push_back(static_cast<char>(sum >> s));
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::string text = "QLM1.";
    std::uint32_t bits = 0;
    int held = 0;
    for (const char c : bytes) {
        bits = (bits << 8) | static_cast<unsigned char>(c);
        for (held += 8; held >= 6; held -= 6) text.push_back(alphabet[(bits >> (held - 6)) & 63]);
    }
    if (held > 0) text.push_back(alphabet[(bits << (6 - held)) & 63]);
    return text;
}

}  // namespace quillomar::test
