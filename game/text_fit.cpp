#include "game/text_fit.h"

#include <algorithm>

namespace quillomar {
namespace {

float advance_of(const text_metrics& metrics, char c) {
    const auto code = static_cast<unsigned char>(c);
    return code < metrics.advance.size() ? metrics.advance[code] : 0.0f;
}

// How many leading characters of `word` fit into `width`, at least one.
std::size_t fitting_prefix(const text_metrics& metrics, const std::string& word, float scale,
                           float width) {
    float used = 0.0f;
    std::size_t n = 0;
    while (n < word.size() && used + advance_of(metrics, word[n]) * scale <= width) {
        used += advance_of(metrics, word[n]) * scale;
        ++n;
    }
    return n == 0 ? 1 : n;
}

}  // namespace

float text_width(const text_metrics& metrics, const std::string& text, float scale) {
    float sum = 0.0f;
    for (const char c : text) {
        sum += advance_of(metrics, c);
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
