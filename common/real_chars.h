// std::to_chars and std::from_chars for floating point where the C++ library has them (the
// desktop's). The browser's C++ library has only their integer forms; there the same texts are
// made and read through printf and strtod: the shortest digits that read back as the same value,
// written in fixed or scientific form, whichever is shorter (fixed on a tie), as to_chars does.
#pragma once

#include <charconv>
#include <cstddef>
#include <type_traits>

namespace quillomar {

#ifdef __EMSCRIPTEN__
inline constexpr bool library_reads_reals = false;
#else
inline constexpr bool library_reads_reals = true;
#endif

namespace real_text {
std::to_chars_result write(char* first, char* last, double value, int most_digits);
std::from_chars_result read(const char* first, const char* last, double& value);
}  // namespace real_text

// As std::from_chars(first, last, out) for any number type.
template <typename number>
std::from_chars_result number_from_chars(const char* first, const char* last, number& out) {
    if constexpr (std::is_floating_point_v<number> && !library_reads_reals) {
        double value = 0.0;
        const std::from_chars_result read = real_text::read(first, last, value);
        if (read.ec == std::errc()) {
            out = static_cast<number>(value);
        }
        return read;
    } else {
        return std::from_chars(first, last, out);
    }
}

// As std::to_chars(first, last, value) for a float or a double: the shortest round trip.
template <typename real>
std::to_chars_result real_to_chars(char* first, char* last, real value) {
    if constexpr (!library_reads_reals) {
        return real_text::write(first, last, static_cast<double>(value),
                                std::is_same_v<real, float> ? 9 : 17);
    } else {
        return std::to_chars(first, last, value);
    }
}

}  // namespace quillomar
