// Feeds arbitrary bytes to the catalogue reader, and to the text fitting that draws its words.
// A catalogue either reads or says why not; every text it gives is found again by tr() once it is
// in force; and no cut or wrap of a text ever splits one of its characters.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/text_fit.h"
#include "game/words.h"

using namespace quillomar;

namespace {

// The characters of `text` but its blanks, as codes.
std::u32string characters(const std::string& text) {
    std::u32string codes;
    for (std::size_t at = 0; at < text.size();) {
        const text_char c = char_at(text, at);
        if (c.code != ' ') {
            codes.push_back(c.code);
        }
        at += c.bytes;
    }
    return codes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    bool good = true;
    std::string why;
    if (const auto words = parse_catalogue(bytes, &why)) {
        use_catalogue("de", *words);
        for (const auto& [english, translated] : *words) {
            good = good && !english.empty() && tr(english) == translated;
        }
        use_catalogue("en", {});
    } else {
        good = !why.empty();
    }
    text_metrics metrics;
    metrics.advance.fill(7.0f);
    // Wrapped, the lines hold the text's characters, each whole, in order.
    std::u32string wrapped;
    for (const std::string& line : wrap_to_width(metrics, bytes, 1.0f, 50.0f)) {
        wrapped += characters(line);
    }
    good = good && wrapped == characters(bytes);
    // Shortened, what is kept before the dots begins the text.
    std::string kept = shorten_to_width(metrics, bytes, 1.0f, 60.0f);
    if (kept != bytes && kept.size() >= 3) {
        kept.resize(kept.size() - 3);
        const std::u32string start = characters(kept);
        good = good && characters(bytes).compare(0, start.size(), start) == 0;
    }
    if (!good) {
        std::abort();
    }
    return 0;
}
