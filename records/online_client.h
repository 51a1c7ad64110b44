// The game's side of the record server: the player's name, the runs sent (through the outbox, so
// that none is lost while the server cannot be reached), the shared levels, the leaderboards and
// the downloads. Plain C++ over an http_transport: the shell hands it the wall clock once a frame
// and reads what it knows; it never waits for the network.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/http_transport.h"
#include "records/player_identity.h"
#include "records/run_outbox.h"

namespace quillomar {

// --- The server's answers, read from hostile JSON: a field missing, of the wrong type or out of
// range makes the whole answer nothing.
struct shared_level_row {
    std::string key;
    std::string title;
    long long plays = 0;
    long long records = 0;
};
struct shared_level_page {
    std::vector<shared_level_row> levels;
    long long total = 0;
    long long offset = 0;
};
struct board_row {
    long long rank = 0;
    std::string player;
    double seconds = 0.0;
    long long lives_lost = 0;
};
struct leaderboard {
    std::vector<board_row> top;
    std::optional<board_row> you;
};
struct run_state {
    long long run = 0;
    std::string state;  // queued, verifying, verified, refused
    board_row result;   // once verified
    std::string reason; // once refused
};

std::optional<shared_level_page> parse_level_page(std::string_view body);
std::optional<leaderboard> parse_leaderboard(std::string_view body);
std::optional<run_state> parse_run_state(std::string_view body);
// The run id of a 202's body.
std::optional<long long> parse_run_taken(std::string_view body);
// The reason of a refusal's {"error": ...}, or a line naming the status when there is none. Kept
// to one printable line of at most 120 characters.
std::string refusal_reason(int status, std::string_view body);

// What became of a run sent after a win, as the win panel says it.
struct run_fate {
    enum class kind { sending, checking, sent, offline, refused, name_taken };
    kind state = kind::sending;
    long long rank = 0;
    double seconds = 0.0;
    std::string reason;
};
std::string fate_line(const run_fate& fate);

// The orders the server lists shared levels in.
enum class level_order { newest, played, records };
const char* order_word(level_order order);

class online_client {
public:
    // `records_folder` holds the outbox. The transport talks to one server.
    online_client(std::unique_ptr<http_transport> transport, player_identity who,
                  std::string records_folder);

    // One frame: the answers that came in are taken, and the outbox is sent when it is due
    // (at once after a change, then with a growing wait up to 30 s while the server is away).
    void step(double now);
    // Sends what waits at the next step (an Online visit).
    void try_now() { next_try_ = -1.0; }

    // Keeps a won run in the outbox and sends it; its fate is asked for with the name returned
    // (empty when it could not be kept).
    std::string send_run(const outbox_entry& run);
    const run_fate* fate(const std::string& ticket) const;
    // The runs in the outbox, as last counted (at each step a second apart, and after each
    // change).
    std::size_t waiting_runs() const { return waiting_; }

    // Whether the server answered the latest request, and the line saying it did not.
    bool offline() const { return offline_; }
    const std::string& offline_line() const { return offline_line_; }
    bool name_taken() const { return name_taken_; }
    const player_identity& identity() const { return who_; }
    // A new name: taken at the server before the next run is sent.
    void rename(const std::string& name);

    // --- Browsing. Each asks once; the answer replaces what was shown.
    void ask_levels(level_order order, long long offset, int limit);
    const std::optional<shared_level_page>& levels() const { return levels_; }
    bool levels_pending() const { return levels_asked_ != 0; }
    void ask_leaderboard(const std::string& key);
    // The leaderboard of `key` when it has come.
    const leaderboard* board(const std::string& key) const;
    // The level's file and its record run; `downloaded` has both (the run may be empty: no
    // record yet) once they came.
    void ask_download(const std::string& key);
    struct download {
        std::string key;
        std::string level_text;
        std::string record_text;
        std::string problem;  // non-empty when the download failed
    };
    // The finished download, once; nothing while it goes on.
    std::optional<download> take_download();

private:
    enum class purpose { player, run, level_upload, run_state, levels, board, level, record };
    struct asked {
        purpose what;
        std::string name;  // the outbox entry, or the level key
        long long run = 0;
    };
    void answered(const http_answer& answer);
    void on_run(const asked& a, const http_answer& answer);
    void went_offline(const std::string& line);
    void send_next();
    int ask(const http_request& request, asked what);
    void set_fate(const std::string& name, run_fate fate);

    std::unique_ptr<http_transport> transport_;
    player_identity who_;
    run_outbox outbox_;
    std::map<int, asked> asked_;
    std::map<std::string, run_fate> fates_;
    double now_ = 0.0;
    double next_try_ = -1.0;
    double wait_ = 0.0;  // the wait before the next try while offline
    bool registered_ = false;
    bool sending_ = false;  // a request of the outbox is out
    bool offline_ = false;
    bool name_taken_ = false;
    std::string offline_line_;
    // Runs taken by the server, asked about until their verdict.
    std::map<long long, std::string> checking_;
    double next_poll_ = 0.0;
    std::size_t waiting_ = 0;
    double next_count_ = 0.0;
    std::optional<shared_level_page> levels_;
    int levels_asked_ = 0;
    std::map<std::string, leaderboard> boards_;
    std::optional<download> download_;
    bool download_done_ = false;
    int download_parts_ = 0;
};

}  // namespace quillomar
