// The bodies the record server accepts, each a small JSON object, read into plain records. Every
// body is hostile: anything but the object described gives nothing and the reason, for a 400.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillomar::server {

// The largest body the server reads: a level or a recording at the game's file limit, every
// byte escaped, and room for the other fields.
std::size_t max_request_body_bytes();

// POST /api/v1/levels: {"level": "<the level file's text>"}
struct level_upload {
    std::string level;
};

// POST /api/v1/runs: {"level": "<key>", "recording": "<the recording file's text>",
//                     "player": "<name>", "secret": "<the player's secret>"}
struct run_submission {
    std::string level_key;
    std::string recording;
    std::string player;
    std::string secret;
};

// POST /api/v1/players: {"player": "<name>", "secret": "<secret>"}
struct player_claim {
    std::string player;
    std::string secret;
};

std::optional<level_upload> parse_level_upload(std::string_view body, std::string& why);
std::optional<run_submission> parse_run_submission(std::string_view body, std::string& why);
std::optional<player_claim> parse_player_claim(std::string_view body, std::string& why);

// A level key as records make it: 16 lower-case hex digits.
bool valid_level_key(std::string_view key);

}  // namespace quillomar::server
