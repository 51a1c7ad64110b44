#include "records/online_client.h"

#include <algorithm>

#include "game/hud_lines.h"
#include "game/words.h"
#include "records/json_text.h"
#include "records/records_store.h"

namespace quillomar {
namespace {

constexpr long long most = 1LL << 50;
constexpr double longest_wait = 30.0;
constexpr double poll_every = 0.5;

bool is_key(const std::string& key) {
    return key.size() == 16 && std::all_of(key.begin(), key.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

// A board row from {"rank", "player", "seconds", "lives_lost"}.
std::optional<board_row> row_of(const json_value& v) {
    const std::optional<long long> rank = v.whole_of("rank", 1, most);
    const std::optional<double> seconds = v.number_of("seconds");
    const std::optional<long long> lost = v.whole_of("lives_lost", 0, most);
    const std::string player = v.string_of("player");
    if (!rank || !seconds || *seconds < 0.0 || *seconds > max_record_seconds || !lost ||
        !valid_player_name(player)) {
        return std::nullopt;
    }
    return board_row{*rank, player, *seconds, *lost};
}

// One line of printable characters, cut at `limit`.
std::string one_line(std::string_view text, std::size_t limit) {
    std::string out;
    for (const char c : text) {
        if (out.size() >= limit) {
            out += "...";
            break;
        }
        out += (c >= ' ' && c <= '~') ? c : ' ';
    }
    return out;
}

bool no_answer(int status) {
    return status == 0 || status == 429 || status >= 500;
}

}  // namespace

std::optional<shared_level_page> parse_level_page(std::string_view body) {
    const std::optional<json_value> v = parse_json(body);
    const json_value* list = v ? v->get("levels") : nullptr;
    if (list == nullptr || list->type != json_value::kind::array) {
        return std::nullopt;
    }
    shared_level_page page;
    const std::optional<long long> total = v->whole_of("total", 0, most);
    const std::optional<long long> offset = v->whole_of("offset", 0, most);
    if (!total || !offset) {
        return std::nullopt;
    }
    page.total = *total;
    page.offset = *offset;
    for (const json_value& item : list->items) {
        shared_level_row row;
        row.key = item.string_of("key");
        row.title = one_line(item.string_of("title"), 80);
        const std::optional<long long> plays = item.whole_of("plays", 0, most);
        const std::optional<long long> records = item.whole_of("records", 0, most);
        if (!is_key(row.key) || !plays || !records) {
            return std::nullopt;
        }
        row.plays = *plays;
        row.records = *records;
        page.levels.push_back(std::move(row));
    }
    return page;
}

std::optional<leaderboard> parse_leaderboard(std::string_view body) {
    const std::optional<json_value> v = parse_json(body);
    const json_value* top = v ? v->get("top") : nullptr;
    if (top == nullptr || top->type != json_value::kind::array) {
        return std::nullopt;
    }
    leaderboard board;
    for (const json_value& item : top->items) {
        std::optional<board_row> row = row_of(item);
        if (!row) {
            return std::nullopt;
        }
        board.top.push_back(std::move(*row));
    }
    const json_value* you = v->get("you");
    if (you != nullptr && you->type != json_value::kind::null) {
        board.you = row_of(*you);
        if (!board.you) {
            return std::nullopt;
        }
    }
    return board;
}

std::optional<run_state> parse_run_state(std::string_view body) {
    const std::optional<json_value> v = parse_json(body);
    if (!v) {
        return std::nullopt;
    }
    run_state s;
    const std::optional<long long> run = v->whole_of("run", 1, most);
    s.state = v->string_of("state");
    if (!run || (s.state != "queued" && s.state != "verifying" && s.state != "verified" &&
                 s.state != "refused")) {
        return std::nullopt;
    }
    s.run = *run;
    if (s.state == "verified") {
        const std::optional<long long> rank = v->whole_of("rank", 1, most);
        const std::optional<double> seconds = v->number_of("seconds");
        const std::optional<long long> lost = v->whole_of("lives_lost", 0, most);
        if (!rank || !seconds || *seconds < 0.0 || *seconds > max_record_seconds || !lost) {
            return std::nullopt;
        }
        s.result = {*rank, v->string_of("player"), *seconds, *lost};
    }
    if (s.state == "refused") {
        s.reason = one_line(v->string_of("reason"), 120);
    }
    return s;
}

std::optional<long long> parse_run_taken(std::string_view body) {
    const std::optional<json_value> v = parse_json(body);
    return v ? v->whole_of("run", 1, most) : std::nullopt;
}

std::string refusal_reason(int status, std::string_view body) {
    const std::optional<json_value> v = parse_json(body);
    const std::string error = v ? one_line(v->string_of("error"), 120) : std::string();
    return error.empty() ? fill_in(tr("the server answered %1"), std::to_string(status)) : error;
}

std::string fate_line(const run_fate& fate) {
    switch (fate.state) {
        case run_fate::kind::sending:
            return tr("Sending the run...");
        case run_fate::kind::checking:
            return tr("Sent: the server checks the run...");
        case run_fate::kind::sent:
            return fill_in(tr("Sent: rank %1 (%2, checked by the server)"),
                           std::to_string(fate.rank), format_run_time(fate.seconds));
        case run_fate::kind::offline:
            return tr("Offline: run kept, will be sent later");
        case run_fate::kind::refused:
            return fill_in(tr("Refused: %1"), fate.reason);
        case run_fate::kind::name_taken:
            return tr("Name taken on the server: choose another in Online; the run is kept");
    }
    return {};
}

const char* order_word(level_order order) {
    return order == level_order::newest ? "newest"
           : order == level_order::played ? "played"
                                          : "records";
}

online_client::online_client(std::unique_ptr<http_transport> transport, player_identity who,
                             std::string records_folder)
    : transport_(std::move(transport)), who_(std::move(who)), outbox_(std::move(records_folder)) {}

int online_client::ask(const http_request& request, asked what) {
    const int id = transport_->start(request);
    asked_[id] = std::move(what);
    return id;
}

void online_client::set_fate(const std::string& name, run_fate fate) {
    fates_[name] = std::move(fate);
}

const run_fate* online_client::fate(const std::string& ticket) const {
    const auto found = fates_.find(ticket);
    return found == fates_.end() ? nullptr : &found->second;
}

std::string online_client::send_run(const outbox_entry& run) {
    const std::string name = outbox_.add(run);
    if (!name.empty()) {
        set_fate(name, {});
        try_now();
    }
    return name;
}

void online_client::rename(const std::string& name) {
    if (!valid_player_name(name) || name == who_.name) {
        return;
    }
    who_.name = name;
    registered_ = false;
    name_taken_ = false;
    try_now();
}

void online_client::step(double now) {
    now_ = now;
    const std::vector<http_answer> answers = transport_->collect();
    for (const http_answer& answer : answers) {
        answered(answer);
    }
    if (!answers.empty() || now_ >= next_count_ || next_try_ < 0.0) {
        waiting_ = outbox_.waiting().size();
        next_count_ = now_ + 1.0;
    }
    if (!sending_ && !name_taken_ && (next_try_ < 0.0 || now_ >= next_try_)) {
        next_try_ = now_ + longest_wait;
        send_next();
    }
    const bool polling = std::any_of(asked_.begin(), asked_.end(), [](const auto& a) {
        return a.second.what == purpose::run_state;
    });
    if (!checking_.empty() && !polling && now_ >= next_poll_) {
        next_poll_ = now_ + poll_every;
        for (const auto& [run, name] : checking_) {
            ask({"GET", "/api/v1/runs/" + std::to_string(run), ""}, {purpose::run_state, name, run});
        }
    }
}

void online_client::send_next() {
    if (!registered_) {
        if (outbox_.waiting().empty()) {
            return;
        }
        sending_ = true;
        ask({"POST", "/api/v1/players",
             "{\"player\": " + json_quote(who_.name) + ", \"secret\": " + json_quote(who_.secret) +
                 "}"},
            {purpose::player, "", 0});
        return;
    }
    for (const std::string& name : outbox_.waiting()) {
        const std::optional<outbox_entry> entry = outbox_.read(name);
        if (!entry) {
            continue;  // moved aside: it costs only itself
        }
        sending_ = true;
        if (fate(name) == nullptr || fate(name)->state != run_fate::kind::sending) {
            set_fate(name, {});
        }
        ask({"POST", "/api/v1/runs",
             "{\"level\": " + json_quote(entry->level_key) + ", \"recording\": " +
                 json_quote(entry->recording) + ", \"player\": " + json_quote(who_.name) +
                 ", \"secret\": " + json_quote(who_.secret) + "}"},
            {purpose::run, name, 0});
        return;
    }
}

void online_client::went_offline(const std::string& line) {
    offline_ = true;
    offline_line_ = line;
    wait_ = wait_ <= 0.0 ? 2.0 : std::min(wait_ * 2.0, longest_wait);
    next_try_ = now_ + wait_;
    for (auto& [name, f] : fates_) {
        if (f.state == run_fate::kind::sending) {
            f.state = run_fate::kind::offline;
        }
    }
}

void online_client::answered(const http_answer& answer) {
    const auto found = asked_.find(answer.id);
    if (found == asked_.end()) {
        return;
    }
    const asked a = found->second;
    asked_.erase(found);
    const std::string away =
        answer.status == 0 ? tr("Offline: the server does not answer")
                           : fill_in(tr("Offline: the server answered %1"),
                                     std::to_string(answer.status));
    if (answer.status != 0) {
        offline_ = false;
    }
    switch (a.what) {
        case purpose::player:
            sending_ = false;
            if (answer.status == 200 || answer.status == 201) {
                registered_ = true;
                wait_ = 0.0;
                next_try_ = -1.0;
            } else if (no_answer(answer.status)) {
                went_offline(away);
            } else {
                name_taken_ = true;
                for (auto& [name, f] : fates_) {
                    if (f.state == run_fate::kind::sending || f.state == run_fate::kind::offline) {
                        f.state = run_fate::kind::name_taken;
                    }
                }
            }
            break;
        case purpose::run:
        case purpose::level_upload:
            sending_ = false;
            on_run(a, answer);
            if (no_answer(answer.status)) {
                went_offline(away);
            }
            break;
        case purpose::run_state:
            if (answer.status == 200) {
                if (const std::optional<run_state> s = parse_run_state(answer.body)) {
                    if (s->state == "verified") {
                        set_fate(a.name, {run_fate::kind::sent, s->result.rank,
                                          s->result.seconds, ""});
                        checking_.erase(a.run);
                    } else if (s->state == "refused") {
                        set_fate(a.name, {run_fate::kind::refused, 0, 0.0, s->reason});
                        checking_.erase(a.run);
                    }
                }
            } else if (answer.status == 404) {
                checking_.erase(a.run);
            }
            break;
        case purpose::levels:
            if (answer.id != levels_asked_) {
                break;
            }
            levels_asked_ = 0;
            if (answer.status == 200) {
                if (std::optional<shared_level_page> page = parse_level_page(answer.body)) {
                    levels_ = std::move(page);
                    break;
                }
            }
            offline_ = true;
            offline_line_ = answer.status == 200 ? tr("The server's list of levels is damaged")
                                                 : away;
            break;
        case purpose::board:
            if (answer.status == 200) {
                if (std::optional<leaderboard> b = parse_leaderboard(answer.body)) {
                    boards_[a.name] = std::move(*b);
                }
            } else if (answer.status == 0) {
                offline_ = true;
                offline_line_ = away;
            }
            break;
        case purpose::level:
        case purpose::record:
            if (!download_ || download_->key != a.name) {
                break;
            }
            if (a.what == purpose::level) {
                if (answer.status == 200 && level_key(answer.body) == a.name) {
                    download_->level_text = answer.body;
                } else if (download_->problem.empty()) {
                    download_->problem =
                        answer.status == 0 ? away
                                           : fill_in(tr("The level %1 could not be downloaded"),
                                                     a.name);
                }
            } else if (answer.status == 200) {
                download_->record_text = answer.body;
            } else if (answer.status == 0 && download_->problem.empty()) {
                download_->problem = away;
            }
            if (--download_parts_ == 0) {
                download_done_ = true;
            }
            break;
    }
}

void online_client::on_run(const asked& a, const http_answer& answer) {
    const int status = answer.status;
    if (a.what == purpose::run && status == 202) {
        outbox_.remove(a.name);
        wait_ = 0.0;
        next_try_ = -1.0;
        if (const std::optional<long long> run = parse_run_taken(answer.body)) {
            checking_[*run] = a.name;
            set_fate(a.name, {run_fate::kind::checking, 0, 0.0, ""});
        } else {
            fates_.erase(a.name);
        }
        return;
    }
    if (no_answer(status)) {
        return;
    }
    if (status == 403) {
        name_taken_ = true;
        set_fate(a.name, {run_fate::kind::name_taken, 0, 0.0, ""});
        return;
    }
    if (a.what == purpose::run && status == 404 && a.run != -1) {
        // The server does not know the level: it is uploaded once, then the run again.
        const std::optional<outbox_entry> entry = outbox_.read(a.name);
        if (entry) {
            sending_ = true;
            ask({"POST", "/api/v1/levels", "{\"level\": " + json_quote(entry->level_text) + "}"},
                {purpose::level_upload, a.name, 0});
        }
        return;
    }
    if (a.what == purpose::level_upload && (status == 200 || status == 201)) {
        sending_ = true;
        const std::optional<outbox_entry> entry = outbox_.read(a.name);
        if (!entry) {
            sending_ = false;
            return;
        }
        // Sent once more, marked: a second 404 is refused below, never looping.
        ask({"POST", "/api/v1/runs",
             "{\"level\": " + json_quote(entry->level_key) + ", \"recording\": " +
                 json_quote(entry->recording) + ", \"player\": " + json_quote(who_.name) +
                 ", \"secret\": " + json_quote(who_.secret) + "}"},
            {purpose::run, a.name, -1});
        return;
    }
    // Any other refusal says the run can never count: kept aside with its reason.
    const std::string reason = refusal_reason(status, answer.body);
    outbox_.refuse(a.name, reason);
    set_fate(a.name, {run_fate::kind::refused, 0, 0.0, reason});
}

void online_client::ask_levels(level_order order, long long offset, int limit) {
    levels_asked_ = ask({"GET",
                         std::string("/api/v1/levels?order=") + order_word(order) +
                             "&offset=" + std::to_string(offset) +
                             "&limit=" + std::to_string(limit),
                         ""},
                        {purpose::levels, "", 0});
}

void online_client::ask_leaderboard(const std::string& key) {
    if (!is_key(key)) {
        return;
    }
    ask({"GET", "/api/v1/levels/" + key + "/leaderboard?limit=10&player=" + who_.name, ""},
        {purpose::board, key, 0});
}

const leaderboard* online_client::board(const std::string& key) const {
    const auto found = boards_.find(key);
    return found == boards_.end() ? nullptr : &found->second;
}

void online_client::ask_download(const std::string& key) {
    if (!is_key(key)) {
        return;
    }
    download_ = download{key, "", "", ""};
    download_done_ = false;
    download_parts_ = 2;
    ask({"GET", "/api/v1/levels/" + key, ""}, {purpose::level, key, 0});
    ask({"GET", "/api/v1/levels/" + key + "/record", ""}, {purpose::record, key, 0});
}

std::optional<online_client::download> online_client::take_download() {
    if (!download_done_ || !download_) {
        return std::nullopt;
    }
    std::optional<download> done = std::move(download_);
    download_.reset();
    download_done_ = false;
    return done;
}

}  // namespace quillomar
