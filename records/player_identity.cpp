#include "records/player_identity.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "framework/bounded_read.h"
#include "records/atomic_file.h"
#include "records/set_aside.h"

namespace quillomar {
namespace {

constexpr std::string_view header = "quillomar-player 1\n";
constexpr std::size_t max_file_bytes = 4096;

std::string hex_of(std::uint64_t value, int digits) {
    static const char hex[] = "0123456789abcdef";
    std::string out(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4) {
        out[static_cast<std::size_t>(i)] = hex[value & 15];
    }
    return out;
}

}  // namespace

bool valid_player_name(std::string_view name) {
    return !name.empty() && name.size() <= 32 &&
           std::all_of(name.begin(), name.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                      (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
           });
}

bool valid_player_secret(std::string_view secret) {
    return secret.size() >= 16 && secret.size() <= 128 &&
           std::all_of(secret.begin(), secret.end(), [](char c) { return c > ' ' && c <= '~'; });
}

player_identity make_identity(std::uint64_t seed_name, std::uint64_t a, std::uint64_t b) {
    return {"player-" + hex_of(seed_name, 6), hex_of(a, 16) + hex_of(b, 16)};
}

std::string format_identity(const player_identity& who) {
    return std::string(header) + "name " + who.name + "\nsecret " + who.secret + "\n";
}

std::optional<player_identity> parse_identity(std::string_view text, std::string* why) {
    const auto fail = [&](const char* reason) -> std::optional<player_identity> {
        if (why != nullptr) {
            *why = reason;
        }
        return std::nullopt;
    };
    if (text.substr(0, header.size()) != header) {
        return fail("its first line is not \"quillomar-player 1\"");
    }
    text.remove_prefix(header.size());
    player_identity who;
    for (const auto& [word, into] : {std::pair<std::string_view, std::string*>{"name ", &who.name},
                                     {"secret ", &who.secret}}) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos || text.substr(0, word.size()) != word) {
            return fail("a line is missing or out of place");
        }
        into->assign(text.substr(word.size(), end - word.size()));
        text.remove_prefix(end + 1);
    }
    if (!text.empty()) {
        return fail("more follows the secret");
    }
    if (!valid_player_name(who.name) || !valid_player_secret(who.secret)) {
        return fail("the name or the secret is not one a server takes");
    }
    return who;
}

std::string identity_path(const std::string& settings_file_path) {
    if (settings_file_path.empty()) {
        return {};
    }
    return (std::filesystem::path(settings_file_path).parent_path() / "player.txt").string();
}

bool save_identity(const std::string& path, const player_identity& who) {
    if (path.empty()) {
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    std::string error;
    if (!write_file_atomically(path, format_identity(who), &error)) {
        std::cout << "could not keep the player's name in " << path << ": " << error << std::endl;
        return false;
    }
    return true;
}

player_identity load_or_make_identity(const std::string& path, std::uint64_t seed_name,
                                      std::uint64_t seed_a, std::uint64_t seed_b) {
    std::string text;
    if (!path.empty()) {
        const bounded_read r = read_bounded(path, max_file_bytes, text);
        if (r.ok() && !r.truncated) {
            std::string why;
            if (std::optional<player_identity> who = parse_identity(text, &why)) {
                return *who;
            }
            std::cout << move_damaged_file_aside(path, why, "the player's name").line << std::endl;
        } else if (r.result != bounded_read::outcome::missing) {
            std::cout << move_damaged_file_aside(path, describe_problem(path, r, max_file_bytes),
                                                 "the player's name")
                             .line
                      << std::endl;
        }
    }
    player_identity made = make_identity(seed_name, seed_a, seed_b);
    save_identity(path, made);
    return made;
}

}  // namespace quillomar
