#include "records/level_code.h"

#include <zlib.h>

#include <array>
#include <cstdint>
#include <sstream>

#include "game/words.h"
#include "level/level.h"
#include "records/records_store.h"

namespace quillomar {
namespace {

constexpr char base64url_alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
constexpr std::size_t header_bytes = 8;
constexpr std::size_t checksum_bytes = 4;

void put_u32(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xffu));
    }
}

std::uint32_t get_u32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    }
    return value;
}

std::uint32_t checksum(std::string_view bytes) {
    uLong sum = crc32(0L, Z_NULL, 0);
    // zlib takes at most a uInt at a time.
    for (std::size_t at = 0; at < bytes.size(); at += 1u << 30) {
        const std::size_t piece = std::min<std::size_t>(bytes.size() - at, 1u << 30);
        sum = crc32(sum, reinterpret_cast<const Bytef*>(bytes.data() + at),
                    static_cast<uInt>(piece));
    }
    return static_cast<std::uint32_t>(sum);
}

std::string to_base64url(std::string_view bytes) {
    std::string text;
    std::uint32_t bits = 0;
    int held = 0;
    for (const char c : bytes) {
        bits = (bits << 8) | static_cast<unsigned char>(c);
        held += 8;
        while (held >= 6) {
            held -= 6;
            text.push_back(base64url_alphabet[(bits >> held) & 63u]);
        }
    }
    if (held > 0) {
        text.push_back(base64url_alphabet[(bits << (6 - held)) & 63u]);
    }
    return text;
}

int base64url_value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '-' || c == '+') return 62;
    if (c == '_' || c == '/') return 63;
    return -1;
}

// The bytes of base64 or base64url text (padding allowed at the end); nothing for a character
// that neither holds.
std::optional<std::string> from_base64url(std::string_view text) {
    while (!text.empty() && text.back() == '=') {
        text.remove_suffix(1);
    }
    if (text.size() % 4 == 1) {
        return std::nullopt;
    }
    std::string bytes;
    bytes.reserve(text.size() * 3 / 4);
    std::uint32_t bits = 0;
    int held = 0;
    for (const char c : text) {
        const int value = base64url_value(c);
        if (value < 0) {
            return std::nullopt;
        }
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        held += 6;
        if (held >= 8) {
            held -= 8;
            bytes.push_back(static_cast<char>((bits >> held) & 0xffu));
        }
    }
    return bytes;
}

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// The code itself out of what was pasted: the part of a link after "#level=" up to the next
// '&', without any blanks.
std::string code_text(std::string_view text) {
    const std::size_t link = text.find("#level=");
    if (link != std::string_view::npos) {
        text.remove_prefix(link + 7);
        text = text.substr(0, text.find('&'));
    }
    std::string code;
    for (const char c : text) {
        if (!blank(c)) {
            code.push_back(c);
        }
    }
    return code;
}

// Inflates `stream` into exactly `size` bytes: a stream that gives more (`too_large`), less, or
// that is damaged or followed by anything gives nothing. Never writes more than `size` + 1 bytes.
std::optional<std::string> inflate_exactly(std::string_view stream, std::size_t size,
                                           bool* too_large) {
    std::string out(size + 1, '\0');
    z_stream z{};
    if (inflateInit(&z) != Z_OK) {
        return std::nullopt;
    }
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
    z.avail_in = static_cast<uInt>(stream.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int status = inflate(&z, Z_FINISH);
    const std::size_t given = out.size() - z.avail_out;
    inflateEnd(&z);
    *too_large = given > size;
    if (status != Z_STREAM_END || given != size || z.avail_in != 0) {
        return std::nullopt;
    }
    out.resize(size);
    return out;
}

}  // namespace

std::string encode_level_code(std::string_view level_file, std::string_view run_file) {
    std::string plain;
    plain.reserve(level_file.size() + run_file.size());
    plain.append(level_file);
    plain.append(run_file);
    uLongf packed_size = compressBound(static_cast<uLong>(plain.size()));
    std::string packed(packed_size, '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &packed_size,
              reinterpret_cast<const Bytef*>(plain.data()), static_cast<uLong>(plain.size()),
              Z_BEST_COMPRESSION);
    packed.resize(packed_size);

    std::string bytes;
    put_u32(bytes, static_cast<std::uint32_t>(level_file.size()));
    put_u32(bytes, static_cast<std::uint32_t>(run_file.size()));
    bytes += packed;
    put_u32(bytes, checksum(bytes));
    return std::string(level_code_prefix) + std::to_string(level_code_version) + "." +
           to_base64url(bytes);
}

std::optional<decoded_level_code> decode_level_code(std::string_view text, std::string* why) {
    // Every line is the player's, shown under the menu: tr() where it is one fixed text.
    const auto refuse = [why](const std::string& line) -> std::optional<decoded_level_code> {
        if (why != nullptr) {
            *why = line;
        }
        return std::nullopt;
    };
    if (text.size() > max_level_code_chars) {
        return refuse(tr("This is no level code: it is longer than ") +
                      std::to_string(max_level_code_chars) + tr(" characters."));
    }
    const std::string code = code_text(text);
    if (code.empty()) {
        return refuse(tr("There is no level code to read: the text is empty."));
    }
    if (code.compare(0, level_code_prefix.size(), level_code_prefix) != 0) {
        return refuse(tr("This is no level code: a level code begins with ") +
                      std::string(level_code_prefix) + ".");
    }
    const std::size_t dot = code.find('.');
    const std::string version = code.substr(level_code_prefix.size(),
                                            dot == std::string::npos ? std::string::npos
                                                                     : dot - level_code_prefix.size());
    if (version != std::to_string(level_code_version)) {
        const bool number = !version.empty() && version.size() <= 9 &&
                            version.find_first_not_of("0123456789") == std::string::npos;
        return refuse(number ? tr("This level code is of version ") + version +
                                   tr("; this game reads version ") +
                                   std::to_string(level_code_version) + "."
                             : tr("This is no level code: no version follows ") +
                                   std::string(level_code_prefix) + ".");
    }
    if (dot == std::string::npos) {
        return refuse(tr("The level code is cut short: nothing follows its version."));
    }
    const std::optional<std::string> bytes = from_base64url(std::string_view(code).substr(dot + 1));
    if (!bytes) {
        return refuse(tr("The level code is damaged: it holds a character no level code holds."));
    }
    if (bytes->size() < header_bytes + checksum_bytes) {
        return refuse(tr("The level code is cut short."));
    }
    const std::string_view body = std::string_view(*bytes).substr(0, bytes->size() - checksum_bytes);
    if (checksum(body) != get_u32(*bytes, body.size())) {
        return refuse(tr("The level code is damaged: its checksum does not match."));
    }
    const std::size_t level_size = get_u32(body, 0);
    const std::size_t run_size = get_u32(body, 4);
    if (level_size == 0) {
        return refuse(tr("The level code holds no level."));
    }
    if (level_size > max_level_file_bytes) {
        return refuse(tr("The level code holds a level larger than ") +
                      std::to_string(max_level_file_bytes) + tr(" bytes."));
    }
    if (run_size > max_recording_bytes) {
        return refuse(tr("The level code holds a run larger than ") +
                      std::to_string(max_recording_bytes) + tr(" bytes."));
    }
    bool too_large = false;
    const std::optional<std::string> plain =
        inflate_exactly(body.substr(header_bytes), level_size + run_size, &too_large);
    if (!plain) {
        return refuse(too_large ? tr("The level code is damaged: it unpacks to more than it says.")
                                : tr("The level code is damaged: it does not unpack."));
    }

    decoded_level_code decoded;
    decoded.level_file = plain->substr(0, level_size);
    decoded.key = level_key(decoded.level_file);
    level read;
    std::istringstream in(decoded.level_file);
    read.read_stream(in, "the level code");
    if (!read.playable()) {
        return refuse(tr("The level in the code has no cubes to play on."));
    }
    if (run_size > 0) {
        std::string run_why;
        bool cut_short = false;
        decoded.run = parse_recording(std::string_view(*plain).substr(level_size), &run_why,
                                      &cut_short);
        if (!decoded.run || cut_short) {
            return refuse(tr("The run in the level code is damaged: ") +
                          (cut_short ? tr("it is longer than an hour") : run_why) + ".");
        }
        if (decoded.run->level_key != decoded.key) {
            return refuse(tr("The run in the level code is of another level."));
        }
    }
    return decoded;
}

}  // namespace quillomar
