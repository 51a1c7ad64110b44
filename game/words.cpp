#include "game/words.h"

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <mutex>

#include "framework/asset_paths.h"
#include "framework/bounded_read.h"

namespace quillomar {
namespace {

// A catalogue of the game's few hundred texts is some tens of kilobytes.
constexpr std::size_t max_catalogue_bytes = 1u << 20;

struct words_in_force {
    std::mutex lock;
    std::string code = "en";
    std::shared_ptr<const word_catalogue> words;
};

words_in_force& in_force() {
    static words_in_force w;
    return w;
}

std::shared_ptr<const word_catalogue> current_words() {
    words_in_force& w = in_force();
    std::lock_guard<std::mutex> hold(w.lock);
    return w.words;
}

// A 32-bit word at `at` in the file's byte order; false past the end.
bool read_word(std::string_view bytes, std::size_t at, bool swapped, std::uint32_t& out) {
    if (at > bytes.size() || bytes.size() - at < 4) {
        return false;
    }
    const auto b = [&](std::size_t i) { return static_cast<std::uint32_t>(
                                            static_cast<unsigned char>(bytes[at + i])); };
    out = swapped ? (b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3))
                  : (b(3) << 24 | b(2) << 16 | b(1) << 8 | b(0));
    return true;
}

// The string of entry `index` of the table at `table`: its length and offset, then the bytes,
// which must lie in the file and end in a NUL.
bool read_string(std::string_view bytes, std::uint32_t table, std::uint32_t index, bool swapped,
                 std::string_view& out) {
    const std::uint64_t entry = static_cast<std::uint64_t>(table) + 8ull * index;
    std::uint32_t length = 0;
    std::uint32_t offset = 0;
    if (entry + 8 > bytes.size() || !read_word(bytes, entry, swapped, length) ||
        !read_word(bytes, entry + 4, swapped, offset)) {
        return false;
    }
    const std::uint64_t end = static_cast<std::uint64_t>(offset) + length;
    if (end >= bytes.size() || bytes[end] != '\0') {
        return false;
    }
    out = bytes.substr(offset, length);
    return true;
}

// "de_DE.UTF-8", "de:en", "fr" -> "de", "de", "fr"; empty for "C", "POSIX" and blanks.
std::string language_part(const char* value) {
    std::string text = value != nullptr ? value : "";
    text = text.substr(0, text.find(':'));
    const std::size_t end = text.find_first_of("_.@");
    text = text.substr(0, end);
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text == "c" || text == "posix" ? std::string() : text;
}

bool known_code(const std::string& code) {
    for (const char* known : language_codes) {
        if (code == known) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string tr(const char* english) {
    const char* text = english != nullptr ? english : "";
    const std::shared_ptr<const word_catalogue> words = current_words();
    if (words) {
        const auto found = words->find(text);
        if (found != words->end()) {
            return found->second;
        }
    }
    return text;
}

std::string tr(const std::string& english) { return tr(english.c_str()); }

std::string fill_in(const std::string& text, const std::string& first,
                    const std::string& second) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == '1' || text[i + 1] == '2')) {
            out += text[i + 1] == '1' ? first : second;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::optional<word_catalogue> parse_catalogue(std::string_view bytes, std::string* why) {
    const auto fail = [&](const char* reason) -> std::optional<word_catalogue> {
        if (why != nullptr) {
            *why = reason;
        }
        return std::nullopt;
    };
    std::uint32_t magic = 0;
    if (!read_word(bytes, 0, false, magic)) {
        return fail("it is too short for a catalogue");
    }
    bool swapped = false;
    if (magic == 0xde120495u) {
        swapped = true;
    } else if (magic != 0x950412deu) {
        return fail("it is no compiled gettext catalogue");
    }
    std::uint32_t revision = 0;
    std::uint32_t count = 0;
    std::uint32_t originals = 0;
    std::uint32_t translations = 0;
    if (!read_word(bytes, 4, swapped, revision) || !read_word(bytes, 8, swapped, count) ||
        !read_word(bytes, 12, swapped, originals) ||
        !read_word(bytes, 16, swapped, translations)) {
        return fail("its header is cut short");
    }
    if ((revision >> 16) > 1) {
        return fail("it is of a later catalogue format");
    }
    // Each entry takes at least 8 bytes in each table, so a count past that is a lie.
    if (count > bytes.size() / 16) {
        return fail("it claims more entries than it holds");
    }
    word_catalogue words;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string_view english;
        std::string_view translated;
        if (!read_string(bytes, originals, i, swapped, english) ||
            !read_string(bytes, translations, i, swapped, translated)) {
            return fail("an entry lies outside the file");
        }
        // The header, plural forms and texts with a context are not the game's.
        if (english.empty() || translated.empty() ||
            english.find('\0') != std::string_view::npos ||
            english.find('\x04') != std::string_view::npos) {
            continue;
        }
        words.emplace(std::string(english), std::string(translated));
    }
    return words;
}

std::string language_from_environment(const char* language, const char* lc_all,
                                      const char* lc_messages, const char* lang) {
    for (const char* value : {language, lc_all, lc_messages, lang}) {
        if (value == nullptr || *value == '\0') {
            continue;
        }
        const std::string code = language_part(value);
        return known_code(code) ? code : "en";
    }
    return "en";
}

std::string environment_language() {
    return language_from_environment(std::getenv("LANGUAGE"), std::getenv("LC_ALL"),
                                     std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

std::string catalogue_path(const std::string& code) {
    return ".\\Quillomar\\locale\\" + code + ".mo";
}

void use_catalogue(const std::string& code, word_catalogue words) {
    auto shared = std::make_shared<const word_catalogue>(std::move(words));
    words_in_force& w = in_force();
    std::lock_guard<std::mutex> hold(w.lock);
    w.code = code;
    w.words = code == "en" ? nullptr : std::move(shared);
}

void use_language(const std::string& asked) {
    const std::string code = asked == "auto" ? environment_language() : asked;
    if (code == language_in_force()) {
        return;
    }
    if (!known_code(code) || code == "en") {
        use_catalogue("en", {});
        return;
    }
    const std::string path = platform_path(catalogue_path(code));
    std::string bytes;
    const bounded_read read = read_bounded(path, max_catalogue_bytes, bytes);
    std::string why;
    std::optional<word_catalogue> words;
    if (read.ok() && !read.truncated) {
        words = parse_catalogue(bytes, &why);
    } else {
        why = describe_problem(path, read, max_catalogue_bytes);
    }
    if (!words) {
        if (read.ok() && !read.truncated) {
            why = path + ": " + why;
        }
        std::cout << why << "; the game speaks English." << std::endl;
        use_catalogue("en", {});
        return;
    }
    use_catalogue(code, std::move(*words));
}

std::string language_in_force() {
    words_in_force& w = in_force();
    std::lock_guard<std::mutex> hold(w.lock);
    return w.code;
}

}  // namespace quillomar
