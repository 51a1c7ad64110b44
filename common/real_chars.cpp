#include "common/real_chars.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace quillomar::real_text {

std::to_chars_result write(char* first, char* last, double value, int most_digits) {
    std::string text;
    if (std::isnan(value) || std::isinf(value)) {
        text = std::isnan(value) ? (std::signbit(value) ? "-nan" : "nan")
                                 : (value < 0 ? "-inf" : "inf");
    } else {
        // The fewest significant digits that read back as the same value (as a float, for one).
        char scientific[64] = {};
        for (int digits = 1; digits <= most_digits; ++digits) {
            std::snprintf(scientific, sizeof scientific, "%.*e", digits - 1, value);
            const double back = std::strtod(scientific, nullptr);
            if (most_digits <= 9 ? static_cast<float>(back) == static_cast<float>(value)
                                 : back == value) {
                break;
            }
        }
        // "-d.ddde+XX" into its sign, digits and exponent.
        const char* p = scientific;
        std::string sign;
        if (*p == '-') {
            sign = "-";
            ++p;
        }
        std::string digits;
        for (; *p != 'e'; ++p) {
            if (*p != '.') {
                digits += *p;
            }
        }
        const int exponent = std::atoi(p + 1);
        const int count = static_cast<int>(digits.size());
        std::string fixed;
        if (exponent >= 0) {
            if (count <= exponent + 1) {
                // A whole number: to_chars writes its exact digits, not zeros after the
                // shortest ones.
                char whole[400] = {};
                std::snprintf(whole, sizeof whole, "%.0f", std::fabs(value));
                fixed = whole;
            } else {
                fixed = digits.substr(0, static_cast<std::size_t>(exponent + 1)) + "." +
                        digits.substr(static_cast<std::size_t>(exponent + 1));
            }
        } else {
            fixed = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
        }
        char exponent_text[16] = {};
        std::snprintf(exponent_text, sizeof exponent_text, "e%c%02d", exponent < 0 ? '-' : '+',
                      std::abs(exponent));
        const std::string science =
            digits.substr(0, 1) + (count > 1 ? "." + digits.substr(1) : "") + exponent_text;
        text = sign + (science.size() < fixed.size() ? science : fixed);
    }
    if (static_cast<std::size_t>(last - first) < text.size()) {
        return {last, std::errc::value_too_large};
    }
    std::memcpy(first, text.data(), text.size());
    return {first + text.size(), std::errc()};
}

std::from_chars_result read(const char* first, const char* last, double& value) {
    // from_chars takes no leading space or plus sign, and no hexadecimal without being asked.
    if (first == last || *first == '+' || std::isspace(static_cast<unsigned char>(*first))) {
        return {first, std::errc::invalid_argument};
    }
    std::string text(first, last);
    const std::size_t hex = text.find_first_of("xX");
    if (hex != std::string::npos) {
        text.resize(hex);
    }
    errno = 0;
    char* stop = nullptr;
    const double read = std::strtod(text.c_str(), &stop);
    if (stop == text.c_str()) {
        return {first, std::errc::invalid_argument};
    }
    const char* end = first + (stop - text.c_str());
    if (errno == ERANGE && (read == 0.0 || std::isinf(read))) {
        return {end, std::errc::result_out_of_range};
    }
    value = read;
    return {end, std::errc()};
}

}  // namespace quillomar::real_text
