#include "server/request_bodies.h"

#include <nlohmann/json.hpp>

#include "game/recording.h"
#include "level/level_limits.h"
#include "server/player_secret.h"

namespace quillomar::server {
namespace {

using json = nlohmann::json;

// The object's string field, at most `max_bytes`; nothing, with the reason, otherwise.
std::optional<std::string> text_field(const json& object, const char* name, std::size_t max_bytes,
                                      std::string& why) {
    const auto found = object.find(name);
    if (found == object.end()) {
        why = std::string("the field \"") + name + "\" is missing";
        return std::nullopt;
    }
    if (!found->is_string()) {
        why = std::string("the field \"") + name + "\" is not a string";
        return std::nullopt;
    }
    std::string text = found->get<std::string>();
    // Levels and recordings are text; PostgreSQL's text holds no NUL.
    if (text.find('\0') != std::string::npos) {
        why = std::string("the field \"") + name + "\" holds a NUL character";
        return std::nullopt;
    }
    if (text.size() > max_bytes) {
        why = std::string("the field \"") + name + "\" is longer than " +
              std::to_string(max_bytes) + " bytes";
        return std::nullopt;
    }
    return text;
}

// The body as a JSON object of known fields alone.
std::optional<json> object_of(std::string_view body, std::initializer_list<const char*> fields,
                              std::string& why) {
    if (body.size() > max_request_body_bytes()) {
        why = "the body is larger than " + std::to_string(max_request_body_bytes()) + " bytes";
        return std::nullopt;
    }
    json object = json::parse(body.begin(), body.end(), nullptr, false);
    if (object.is_discarded()) {
        why = "the body is not JSON";
        return std::nullopt;
    }
    if (!object.is_object()) {
        why = "the body is not a JSON object";
        return std::nullopt;
    }
    for (const auto& item : object.items()) {
        bool known = false;
        for (const char* field : fields) {
            known = known || item.key() == field;
        }
        if (!known) {
            why = "the field \"" + item.key().substr(0, 40) + "\" is not known";
            return std::nullopt;
        }
    }
    return object;
}

bool fail(std::string& why, const std::string& reason) {
    why = reason;
    return false;
}

// A player's name and secret as the server takes them, or false with the reason.
bool valid_identity(const std::string& player, const std::string& secret, std::string& why) {
    if (!valid_player_name(player)) {
        return fail(why, "a player's name is 1 to 32 letters, digits, '-', '_' or '.'");
    }
    return valid_secret(secret) ||
           fail(why, "a secret is 16 to 128 printable characters without spaces");
}

}  // namespace

std::size_t max_request_body_bytes() {
    return 2 * std::max(max_level_file_bytes, max_recording_bytes) + 4096;
}

bool valid_level_key(std::string_view key) {
    return key.size() == 16 && key.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

std::optional<level_upload> parse_level_upload(std::string_view body, std::string& why) {
    const std::optional<json> object = object_of(body, {"level"}, why);
    if (!object) {
        return std::nullopt;
    }
    std::optional<std::string> level = text_field(*object, "level", max_level_file_bytes, why);
    if (!level) {
        return std::nullopt;
    }
    return level_upload{std::move(*level)};
}

std::optional<run_submission> parse_run_submission(std::string_view body, std::string& why) {
    const std::optional<json> object =
        object_of(body, {"level", "recording", "player", "secret"}, why);
    if (!object) {
        return std::nullopt;
    }
    run_submission run;
    std::optional<std::string> key = text_field(*object, "level", 16, why);
    std::optional<std::string> recording;
    std::optional<std::string> player;
    std::optional<std::string> secret;
    if (!key || !(recording = text_field(*object, "recording", max_recording_bytes, why)) ||
        !(player = text_field(*object, "player", 32, why)) ||
        !(secret = text_field(*object, "secret", 128, why))) {
        return std::nullopt;
    }
    if (!valid_level_key(*key) && !fail(why, "the level key is not 16 hex digits")) {
        return std::nullopt;
    }
    if (!valid_identity(*player, *secret, why)) {
        return std::nullopt;
    }
    return run_submission{std::move(*key), std::move(*recording), std::move(*player),
                          std::move(*secret)};
}

std::optional<player_claim> parse_player_claim(std::string_view body, std::string& why) {
    const std::optional<json> object = object_of(body, {"player", "secret"}, why);
    if (!object) {
        return std::nullopt;
    }
    std::optional<std::string> player = text_field(*object, "player", 32, why);
    std::optional<std::string> secret;
    if (!player || !(secret = text_field(*object, "secret", 128, why))) {
        return std::nullopt;
    }
    if (!valid_identity(*player, *secret, why)) {
        return std::nullopt;
    }
    return player_claim{std::move(*player), std::move(*secret)};
}

}  // namespace quillomar::server
