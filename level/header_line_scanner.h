// One header line of the level file, read byte by byte so that a line of any length costs no
// memory. The keyword is the text before the first space; the two numbers follow the level
// file's argument rule, where f is the index of the first space and l that of the last:
//   X: the text from f + 1, at most l characters long, cut before its own first space;
//   Z: the text after l.
// Without any space both texts are the whole line. Each text reads like atoi, except that values
// beyond the 32-bit range are clamped instead of overflowing. The text after the first space is
// kept too, as far as max_level_text_bytes, for the lines that carry words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quillomar {

enum class header_keyword { none, start, finish, enemy, item, path, facing, title, hint };

struct header_line {
    header_keyword keyword = header_keyword::none;
    int x = 0;
    int z = 0;
    std::string text;  // after the first space; empty without one
};

class header_line_scanner {
public:
    void feed(unsigned char c);
    // The line as read so far; the scanner keeps its state.
    header_line result() const;
    void reset() { *this = header_line_scanner{}; }

private:
    // atoi as a state machine: white space, an optional sign, digits, then nothing more.
    struct integer_text {
        enum phase_kind : std::uint8_t { blank, sign_read, digits, done };
        phase_kind phase = blank;
        bool negative = false;
        std::int64_t magnitude = 0;  // saturates just past the 32-bit range

        void feed(unsigned char c);
        int value() const;
    };

    std::uint64_t length_ = 0;
    bool has_space_ = false;
    std::uint64_t first_space_ = 0;
    char keyword_[7] = {};
    std::size_t keyword_length_ = 0;  // up to 7: seven means longer than every keyword

    integer_text whole_;  // the line up to its first space
    integer_text first_;  // the text after the first space, up to the next one
    std::uint64_t first_length_ = 0;
    bool first_closed_ = false;  // a second space ended it
    integer_text first_cut_;     // `first_` after exactly f characters
    integer_text last_;          // the text after the latest space
    std::string text_;           // the text after the first space, cut at the limit
};

}  // namespace quillomar
