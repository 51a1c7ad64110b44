#include "level/header_line_scanner.h"

#include <cstring>
#include <limits>

#include "level/level_limits.h"

namespace quillomar {
namespace {

bool blank_char(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr std::int64_t magnitude_cap = std::int64_t{1} << 32;

}  // namespace

void header_line_scanner::integer_text::feed(unsigned char c) {
    switch (phase) {
        case blank:
            if (blank_char(c)) {
                return;
            }
            if (c == '+' || c == '-') {
                negative = c == '-';
                phase = sign_read;
                return;
            }
            [[fallthrough]];
        case sign_read:
        case digits:
            if (c >= '0' && c <= '9') {
                phase = digits;
                if (magnitude < magnitude_cap) {
                    magnitude = magnitude * 10 + (c - '0');
                }
                return;
            }
            phase = done;
            return;
        case done:
            return;
    }
}

int header_line_scanner::integer_text::value() const {
    constexpr std::int64_t lowest = std::numeric_limits<int>::min();
    constexpr std::int64_t highest = std::numeric_limits<int>::max();
    const std::int64_t signed_value = negative ? -magnitude : magnitude;
    if (signed_value < lowest) {
        return std::numeric_limits<int>::min();
    }
    if (signed_value > highest) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(signed_value);
}

void header_line_scanner::feed(unsigned char c) {
    const std::uint64_t index = length_++;
    if (!has_space_) {
        if (c == ' ') {
            has_space_ = true;
            first_space_ = index;
            return;
        }
        if (keyword_length_ < sizeof keyword_) {
            keyword_[keyword_length_++] = static_cast<char>(c);
        }
        whole_.feed(c);
        return;
    }
    if (text_.size() < max_level_text_bytes) {
        text_.push_back(static_cast<char>(c));
    }
    if (c == ' ') {
        first_closed_ = true;
        last_ = integer_text{};
        return;
    }
    last_.feed(c);
    if (!first_closed_) {
        first_.feed(c);
        if (++first_length_ == first_space_) {
            first_cut_ = first_;
        }
    }
}

header_line header_line_scanner::result() const {
    header_line line;
    const auto is = [this](const char* word) {
        return keyword_length_ == std::strlen(word) &&
               std::memcmp(keyword_, word, keyword_length_) == 0;
    };
    if (is("start")) {
        line.keyword = header_keyword::start;
    } else if (is("finish")) {
        line.keyword = header_keyword::finish;
    } else if (is("enemy")) {
        line.keyword = header_keyword::enemy;
    } else if (is("item")) {
        line.keyword = header_keyword::item;
    } else if (is("path")) {
        line.keyword = header_keyword::path;
    } else if (is("facing")) {
        line.keyword = header_keyword::facing;
    } else if (is("title")) {
        line.keyword = header_keyword::title;
    } else if (is("hint")) {
        line.keyword = header_keyword::hint;
    }
    line.text = text_;
    if (!has_space_) {
        line.x = line.z = whole_.value();
        return line;
    }
    // With a single space the last space is the first, so X may be at most f characters long;
    // with a second space X ends there, well inside that limit.
    const bool cut = !first_closed_ && first_length_ > first_space_;
    line.x = cut ? first_cut_.value() : first_.value();
    line.z = last_.value();
    return line;
}

}  // namespace quillomar
