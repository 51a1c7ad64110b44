#include "game/text_fit.h"

#include <algorithm>

namespace quillomar {
namespace {

float advance_of(const text_metrics& metrics, unsigned code) {
    return code < metrics.advance.size() ? metrics.advance[code] : 0.0f;
}

// How many leading bytes of `word` fit into `width`, whole characters, at least one character.
std::size_t fitting_prefix(const text_metrics& metrics, const std::string& word, float scale,
                           float width) {
    float used = 0.0f;
    std::size_t n = 0;
    while (n < word.size()) {
        const text_char c = char_at(word, n);
        const float advance = advance_of(metrics, c.code) * scale;
        if (used + advance > width) {
            break;
        }
        used += advance;
        n += c.bytes;
    }
    return n == 0 && !word.empty() ? char_at(word, 0).bytes : n;
}

}  // namespace

text_char char_at(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) {
        return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0u;
    };
    const unsigned first = byte(0);
    if (first < 0x80) {
        return {first, 1};
    }
    const std::size_t length = first >= 0xc2 && first <= 0xdf   ? 2
                               : first >= 0xe0 && first <= 0xef ? 3
                               : first >= 0xf0 && first <= 0xf4 ? 4
                                                                : 0;
    if (length == 0) {
        return {0xfffd, 1};
    }
    unsigned code = first & (0x7fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xc0u) != 0x80u) {
            return {0xfffd, 1};
        }
        code = code << 6 | (byte(i) & 0x3fu);
    }
    // Overlong forms, surrogates and codes past Unicode's are no characters.
    const unsigned least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || (code >= 0xd800 && code <= 0xdfff) || code > 0x10ffff) {
        return {0xfffd, 1};
    }
    return {code, length};
}

float text_width(const text_metrics& metrics, const std::string& text, float scale) {
    float sum = 0.0f;
    for (std::size_t at = 0; at < text.size();) {
        const text_char c = char_at(text, at);
        sum += advance_of(metrics, c.code);
        at += c.bytes;
    }
    return sum * scale;
}

std::string shorten_to_width(const text_metrics& metrics, const std::string& text, float scale,
                             float width) {
    if (text_width(metrics, text, scale) <= width) {
        return text;
    }
    const std::string dots = "...";
    const float room = width - text_width(metrics, dots, scale);
    if (room < 0.0f) {
        return {};
    }
    std::string kept = text.substr(0, fitting_prefix(metrics, text, scale, room));
    if (text_width(metrics, kept, scale) > room) {
        kept.clear();  // the one character the prefix always keeps does not fit
    }
    while (!kept.empty() && kept.back() == ' ') {
        kept.pop_back();
    }
    return kept + dots;
}

std::vector<std::string> wrap_to_width(const text_metrics& metrics, const std::string& text,
                                       float scale, float width) {
    std::vector<std::string> lines;
    std::string line;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] == ' ') {
            ++at;
            continue;
        }
        const std::size_t end = std::min(text.find(' ', at), text.size());
        std::string word = text.substr(at, end - at);
        at = end;
        const std::string joined = line.empty() ? word : line + " " + word;
        if (text_width(metrics, joined, scale) <= width) {
            line = joined;
            continue;
        }
        if (!line.empty()) {
            lines.push_back(line);
            line.clear();
        }
        while (!word.empty() && text_width(metrics, word, scale) > width) {
            const std::size_t n = fitting_prefix(metrics, word, scale, width);
            lines.push_back(word.substr(0, n));
            word.erase(0, n);
        }
        line = word;
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace quillomar
