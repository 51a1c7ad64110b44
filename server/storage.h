// Where the record server keeps its levels, players, runs and leaderboards: one schema, two
// databases. SQLite ("sqlite:PATH") is one file and nothing to install, for one server process;
// PostgreSQL ("postgresql://...") is shared by several server processes behind a proxy. Every
// method is one transaction: it happens whole or not at all. Methods may be called from any
// thread; a failure of the database throws storage_error.
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "server/run_verification.h"

namespace quillomar::server {

struct storage_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct level_summary {
    std::string key;
    std::string title;
    long long plays = 0;    // runs submitted on it
    long long records = 0;  // players with a verified run on it
    double check_seconds = 0.0;  // the checking player's time at upload
};

enum class level_order { newest, most_played, most_records };

enum class player_check { created, matches, wrong_secret };

enum class run_state { queued, verifying, verified, refused };

// A state as the databases keep it and the API names it ("verified"), and back; a name it does
// not know reads as queued.
const char* run_state_name(run_state state);
run_state run_state_of(const std::string& name);

struct run_status {
    long long id = 0;
    std::string level_key;
    std::string player;
    run_state state = run_state::queued;
    run_verdict verdict;  // once verified or refused
};

struct board_entry {
    long long rank = 0;
    std::string player;
    long long run_id = 0;
    long ticks = 0;
    double seconds = 0.0;
    int lives_lost = 0;
};

struct queued_run {
    long long id = 0;
    std::string level_text;
    std::string recording;
};

// A run taken from the queue by one verifier. Until finish() it belongs to that verifier alone;
// dropped unfinished, or lost with its process, it goes back to the queue.
class run_claim {
public:
    virtual ~run_claim() = default;
    const queued_run& run() const { return run_; }
    // Stores the verdict and, for a run that counts, the player's best on the level when it is
    // faster (a tie keeps the earlier run).
    virtual void finish(const run_verdict& verdict) = 0;

protected:
    queued_run run_;
};

class storage {
public:
    virtual ~storage() = default;

    // Adds the level unless one with its key is there; true when it was added.
    virtual bool add_level(const std::string& key, const std::string& title,
                           const std::string& text, double check_seconds) = 0;
    virtual bool has_level(const std::string& key) = 0;
    virtual std::optional<std::string> level_text(const std::string& key) = 0;
    virtual std::vector<level_summary> list_levels(level_order order, long long offset,
                                                   long long limit) = 0;
    virtual long long level_count() = 0;

    // A name seen for the first time is taken with this secret; later the secret must match.
    virtual player_check check_player(const std::string& name, const std::string& secret) = 0;

    // Queues a run for verification and counts a play of its level; returns the run's id.
    virtual long long enqueue_run(const std::string& level_key, const std::string& player,
                                  const std::string& recording) = 0;
    virtual std::optional<run_status> run(long long id) = 0;
    virtual std::optional<std::string> run_recording(long long id) = 0;
    virtual long long queued_runs() = 0;
    // The oldest queued run, or nothing when the queue is empty.
    virtual std::unique_ptr<run_claim> claim_run() = 0;

    // The first `limit` players' bests on the level, fastest first; and one player's.
    virtual std::vector<board_entry> leaderboard(const std::string& level_key,
                                                 long long limit) = 0;
    virtual std::optional<board_entry> best_of(const std::string& level_key,
                                               const std::string& player) = 0;
};

// "sqlite:PATH" or "postgresql://..." (also "postgres://..."); the schema is brought up to date
// by its numbered migrations, each applied once. Throws storage_error when the URL names
// neither or the database cannot be opened.
std::unique_ptr<storage> open_storage(const std::string& url);

std::unique_ptr<storage> open_sqlite_storage(const std::string& path);
std::unique_ptr<storage> open_postgresql_storage(const std::string& url);

// Whether this build has PostgreSQL support.
bool postgresql_available();

}  // namespace quillomar::server
