#include "server/record_api.h"

#include <nlohmann/json.hpp>
#include <sstream>

#include "authoring/level_check.h"
#include "level/level.h"
#include "records/records_store.h"
#include "server/request_bodies.h"

namespace quillomar::server {
namespace {

using json = nlohmann::json;

const std::string prefix = "/api/v1";

api_response answer(int status, const json& body) {
    // A title cut at its length limit may end inside a character: never a reason to fail.
    return {status, "application/json", body.dump(-1, ' ', false, json::error_handler_t::replace)};
}

api_response error(int status, const std::string& reason) {
    return answer(status, json{{"error", reason}});
}

api_response plain_text(std::string text) { return {200, "text/plain; charset=utf-8", text}; }

// The path split at '/', without the API's prefix: "/api/v1/levels/abc" gives {"levels", "abc"}.
std::vector<std::string> parts_of(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = prefix.size();
    while (start < path.size()) {
        if (path[start] == '/') {
            ++start;
            continue;
        }
        const std::size_t end = std::min(path.find('/', start), path.size());
        parts.push_back(path.substr(start, end - start));
        start = end;
    }
    return parts;
}

// A query number in [least, most]; `fallback` when absent; nothing when not a number in range.
std::optional<long long> query_number(const api_request& request, const std::string& name,
                                      long long fallback, long long least, long long most) {
    const auto found = request.query.find(name);
    if (found == request.query.end()) {
        return fallback;
    }
    const std::string& text = found->second;
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const long long value = std::stoll(text);
    if (value < least || value > most) {
        return std::nullopt;
    }
    return value;
}

std::optional<long long> run_id_of(const std::string& text) {
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return std::stoll(text);
}

json entry_json(const board_entry& entry) {
    return json{{"rank", entry.rank},         {"player", entry.player},
                {"run", entry.run_id},        {"ticks", entry.ticks},
                {"seconds", entry.seconds},   {"lives_lost", entry.lives_lost}};
}

}  // namespace

record_api::record_api(storage& store, api_limits limits, std::function<void()> queued)
    : store_(store),
      limits_(limits),
      queued_(std::move(queued)),
      per_address_(limits.address_per_second, limits.address_burst),
      per_player_(limits.player_per_second, limits.player_burst) {}

api_response record_api::handle(const api_request& request) {
    if (!per_address_.take(request.address, request.now)) {
        return error(429, "too many requests from this address; try again in a few seconds");
    }
    try {
        return route(request);
    } catch (const storage_error& e) {
        return error(503, std::string("the database failed: ") + e.what());
    } catch (const std::exception& e) {
        return error(500, std::string("the server failed: ") + e.what());
    }
}

api_response record_api::route(const api_request& request) {
    if (request.path.compare(0, prefix.size(), prefix) != 0 ||
        (request.path.size() > prefix.size() && request.path[prefix.size()] != '/')) {
        return error(404, "no such resource");
    }
    const std::vector<std::string> parts = parts_of(request.path);
    const bool get = request.method == "GET";
    const bool post = request.method == "POST";
    if (parts.empty() && get) {
        return answer(200, json{{"api", 1},
                                {"levels", store_.level_count()},
                                {"queued_runs", store_.queued_runs()}});
    }
    if (parts.size() == 1 && parts[0] == "levels") {
        if (post) return upload_level(request);
        if (get) return list_levels(request);
        return error(405, "levels are listed with GET and uploaded with POST");
    }
    if (parts.size() == 1 && parts[0] == "runs") {
        return post ? submit_run(request) : error(405, "runs are submitted with POST");
    }
    if (parts.size() == 1 && parts[0] == "players") {
        return post ? claim_player(request) : error(405, "players are claimed with POST");
    }
    if (!get) {
        return parts.empty() || parts.size() > 3 ? error(404, "no such resource")
                                                 : error(405, "this resource is read with GET");
    }
    if (parts[0] == "levels" && (parts.size() == 2 || parts.size() == 3)) {
        const std::string& key = parts[1];
        if (!valid_level_key(key)) {
            return error(404, "a level key is 16 hex digits");
        }
        if (parts.size() == 2) {
            std::optional<std::string> text = store_.level_text(key);
            return text ? plain_text(std::move(*text)) : error(404, "no level " + key);
        }
        if (parts[2] == "leaderboard") {
            return leaderboard(request, key);
        }
        if (parts[2] == "record") {
            const std::vector<board_entry> best = store_.leaderboard(key, 1);
            if (best.empty()) {
                return error(404, "no verified run of level " + key + " yet");
            }
            std::optional<std::string> recording = store_.run_recording(best.front().run_id);
            return recording ? plain_text(std::move(*recording)) : error(404, "no such run");
        }
    }
    if (parts[0] == "runs" && (parts.size() == 2 || parts.size() == 3)) {
        const std::optional<long long> id = run_id_of(parts[1]);
        if (!id) {
            return error(404, "a run is named by its number");
        }
        if (parts.size() == 2) {
            return run_status(*id);
        }
        if (parts[2] == "recording") {
            std::optional<std::string> recording = store_.run_recording(*id);
            return recording ? plain_text(std::move(*recording)) : error(404, "no such run");
        }
    }
    return error(404, "no such resource");
}

api_response record_api::upload_level(const api_request& request) {
    std::string why;
    const std::optional<level_upload> upload = parse_level_upload(request.body, why);
    if (!upload) {
        return error(400, why);
    }
    const std::string key = level_key(upload->level);
    if (store_.has_level(key)) {
        return answer(200, json{{"key", key}, {"added", false}});
    }
    level loaded;
    std::istringstream in(upload->level);
    loaded.read_stream(in, "level");
    if (!loaded.playable()) {
        return error(422, "not a level: it has no cube to play on");
    }
    // Each check plays the level: only a few at once, so that uploads cannot take every thread.
    if (checks_running_.fetch_add(1) >= limits_.max_level_checks) {
        --checks_running_;
        return error(503, "the server is checking other levels; try again in a minute");
    }
    level_verdict verdict;
    try {
        verdict = check_level(loaded, "level");
    } catch (...) {
        --checks_running_;
        throw;
    }
    --checks_running_;
    if (!verdict.finishable) {
        return error(422, "not finishable: " + verdict.reason);
    }
    const bool added = store_.add_level(key, loaded.title, upload->level, verdict.seconds);
    return answer(added ? 201 : 200, json{{"key", key}, {"added", added},
                                          {"title", loaded.title},
                                          {"check_seconds", verdict.seconds}});
}

api_response record_api::list_levels(const api_request& request) {
    const auto found = request.query.find("order");
    const std::string order = found == request.query.end() ? "newest" : found->second;
    level_order by = level_order::newest;
    if (order == "played") {
        by = level_order::most_played;
    } else if (order == "records") {
        by = level_order::most_records;
    } else if (order != "newest") {
        return error(400, "order is newest, played or records");
    }
    const std::optional<long long> offset = query_number(request, "offset", 0, 0, 1LL << 40);
    const std::optional<long long> limit = query_number(request, "limit", 20, 1, limits_.max_page);
    if (!offset || !limit) {
        return error(400, "offset is a count from 0, limit a number from 1 to " +
                              std::to_string(limits_.max_page));
    }
    json levels = json::array();
    for (const level_summary& l : store_.list_levels(by, *offset, *limit)) {
        levels.push_back(json{{"key", l.key},
                              {"title", l.title},
                              {"plays", l.plays},
                              {"records", l.records},
                              {"check_seconds", l.check_seconds}});
    }
    return answer(200, json{{"levels", levels}, {"total", store_.level_count()},
                            {"offset", *offset}, {"order", order}});
}

api_response record_api::leaderboard(const api_request& request, const std::string& key) {
    const std::optional<long long> limit = query_number(request, "limit", 10, 1, limits_.max_page);
    if (!limit) {
        return error(400, "limit is a number from 1 to " + std::to_string(limits_.max_page));
    }
    if (!store_.has_level(key)) {
        return error(404, "no level " + key);
    }
    json top = json::array();
    for (const board_entry& entry : store_.leaderboard(key, *limit)) {
        top.push_back(entry_json(entry));
    }
    json body{{"level", key}, {"top", top}};
    const auto player = request.query.find("player");
    if (player != request.query.end()) {
        const std::optional<board_entry> mine = store_.best_of(key, player->second);
        body["you"] = mine ? entry_json(*mine) : json(nullptr);
    }
    return answer(200, body);
}

api_response record_api::submit_run(const api_request& request) {
    std::string why;
    const std::optional<run_submission> run = parse_run_submission(request.body, why);
    if (!run) {
        return error(400, why);
    }
    if (!store_.has_level(run->level_key)) {
        return error(404, "no level " + run->level_key + "; upload it first");
    }
    // The secret first, so that nobody spends another player's rate.
    if (store_.check_player(run->player, run->secret) == player_check::wrong_secret) {
        return error(403, "the name " + run->player + " belongs to another player");
    }
    if (!per_player_.take(run->player, request.now)) {
        return error(429, "too many runs from " + run->player + "; try again in a minute");
    }
    const long long id = store_.enqueue_run(run->level_key, run->player, run->recording);
    if (queued_) {
        queued_();
    }
    return answer(202, json{{"run", id}, {"state", "queued"}});
}

api_response record_api::claim_player(const api_request& request) {
    std::string why;
    const std::optional<player_claim> claim = parse_player_claim(request.body, why);
    if (!claim) {
        return error(400, why);
    }
    switch (store_.check_player(claim->player, claim->secret)) {
        case player_check::created:
            return answer(201, json{{"player", claim->player}, {"created", true}});
        case player_check::matches:
            return answer(200, json{{"player", claim->player}, {"created", false}});
        case player_check::wrong_secret:
            break;
    }
    return error(409, "the name " + claim->player + " is taken");
}

api_response record_api::run_status(long long id) {
    const std::optional<server::run_status> status = store_.run(id);
    if (!status) {
        return error(404, "no run " + std::to_string(id));
    }
    json body{{"run", id},
              {"level", status->level_key},
              {"player", status->player},
              {"state", run_state_name(status->state)}};
    if (status->state == run_state::verified) {
        body["ticks"] = status->verdict.ticks;
        body["seconds"] = status->verdict.seconds;
        body["lives_lost"] = status->verdict.lives_lost;
        const std::optional<board_entry> best = store_.best_of(status->level_key, status->player);
        if (best) {
            body["best_run"] = best->run_id;
            body["rank"] = best->rank;
        }
    } else if (status->state == run_state::refused) {
        body["reason"] = status->verdict.reason;
    }
    return answer(200, body);
}

}  // namespace quillomar::server
