// The storage in one SQLite file: one connection, one call at a time, in write-ahead-log mode so
// that a crash leaves the last committed state. One server process uses a file: a run being
// verified when the process ended goes back to the queue when the file is opened again.
#include <sqlite3.h>

#include <mutex>

#include "server/migrations.h"
#include "server/player_secret.h"
#include "server/storage.h"

namespace quillomar::server {
namespace {

class statement {
public:
    statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) {
            throw storage_error(std::string("SQLite: ") + sqlite3_errmsg(db));
        }
    }
    ~statement() { sqlite3_finalize(stmt_); }
    statement(const statement&) = delete;
    statement& operator=(const statement&) = delete;

    statement& bind(int index, const std::string& text) {
        check(sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT,
                                  SQLITE_UTF8));
        return *this;
    }
    statement& bind(int index, long long value) {
        check(sqlite3_bind_int64(stmt_, index, value));
        return *this;
    }
    statement& bind(int index, double value) {
        check(sqlite3_bind_double(stmt_, index, value));
        return *this;
    }
    // True while there is a row.
    bool step() {
        const int result = sqlite3_step(stmt_);
        if (result == SQLITE_ROW) {
            return true;
        }
        if (result != SQLITE_DONE) {
            throw storage_error(std::string("SQLite: ") + sqlite3_errmsg(db_));
        }
        return false;
    }
    long long integer(int column) { return sqlite3_column_int64(stmt_, column); }
    double real(int column) { return sqlite3_column_double(stmt_, column); }
    std::string text(int column) {
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return data == nullptr ? std::string()
                               : std::string(data, sqlite3_column_bytes(stmt_, column));
    }

private:
    void check(int result) {
        if (result != SQLITE_OK) {
            throw storage_error(std::string("SQLite: ") + sqlite3_errmsg(db_));
        }
    }
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

class sqlite_storage;

class sqlite_claim : public run_claim {
public:
    sqlite_claim(sqlite_storage& owner, queued_run run) : owner_(owner) { run_ = std::move(run); }
    ~sqlite_claim() override;
    void finish(const run_verdict& verdict) override;

private:
    sqlite_storage& owner_;
    bool finished_ = false;
};

class sqlite_storage : public storage {
public:
    explicit sqlite_storage(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                            nullptr) != SQLITE_OK) {
            const std::string why = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
            sqlite3_close(db_);
            throw storage_error("cannot open the SQLite database " + path + ": " + why);
        }
        try {
            sqlite3_busy_timeout(db_, 10000);
            exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON;");
            migrate();
            // Whatever was being verified when the last process ended waits again.
            exec("UPDATE runs SET state = 'queued' WHERE state = 'verifying'");
        } catch (...) {
            sqlite3_close(db_);
            throw;
        }
    }
    ~sqlite_storage() override { sqlite3_close(db_); }

    bool add_level(const std::string& key, const std::string& title, const std::string& text,
                   double check_seconds) override {
        std::lock_guard<std::mutex> lock(mutex_);
        statement insert(db_,
                         "INSERT INTO levels (key, title, body, check_seconds) VALUES (?, ?, ?, ?) "
                         "ON CONFLICT (key) DO NOTHING");
        insert.bind(1, key).bind(2, title).bind(3, text).bind(4, check_seconds).step();
        return sqlite3_changes(db_) == 1;
    }

    bool has_level(const std::string& key) override {
        std::lock_guard<std::mutex> lock(mutex_);
        statement select(db_, "SELECT 1 FROM levels WHERE key = ?");
        return select.bind(1, key).step();
    }

    std::optional<std::string> level_text(const std::string& key) override {
        std::lock_guard<std::mutex> lock(mutex_);
        statement select(db_, "SELECT body FROM levels WHERE key = ?");
        if (!select.bind(1, key).step()) {
            return std::nullopt;
        }
        return select.text(0);
    }

    std::vector<level_summary> list_levels(level_order order, long long offset,
                                           long long limit) override {
        const char* sql =
            order == level_order::most_played
                ? "SELECT key, title, plays, records, check_seconds FROM levels "
                  "ORDER BY plays DESC, id DESC LIMIT ? OFFSET ?"
            : order == level_order::most_records
                ? "SELECT key, title, plays, records, check_seconds FROM levels "
                  "ORDER BY records DESC, id DESC LIMIT ? OFFSET ?"
                : "SELECT key, title, plays, records, check_seconds FROM levels "
                  "ORDER BY id DESC LIMIT ? OFFSET ?";
        std::lock_guard<std::mutex> lock(mutex_);
        statement select(db_, sql);
        select.bind(1, limit).bind(2, offset);
        std::vector<level_summary> levels;
        while (select.step()) {
            levels.push_back({select.text(0), select.text(1), select.integer(2),
                              select.integer(3), select.real(4)});
        }
        return levels;
    }

    long long level_count() override {
        std::lock_guard<std::mutex> lock(mutex_);
        statement count(db_, "SELECT COUNT(*) FROM levels");
        count.step();
        return count.integer(0);
    }

    player_check check_player(const std::string& name, const std::string& secret) override {
        std::lock_guard<std::mutex> lock(mutex_);
        statement select(db_, "SELECT salt, secret_hash FROM players WHERE name = ?");
        if (select.bind(1, name).step()) {
            return same_hash(secret_hash(select.text(0), secret), select.text(1))
                       ? player_check::matches
                       : player_check::wrong_secret;
        }
        const std::string salt = random_hex(16);
        statement insert(db_,
                         "INSERT INTO players (name, salt, secret_hash) VALUES (?, ?, ?) "
                         "ON CONFLICT (name) DO NOTHING");
        insert.bind(1, name).bind(2, salt).bind(3, secret_hash(salt, secret)).step();
        return player_check::created;
    }

    long long enqueue_run(const std::string& level_key, const std::string& player,
                          const std::string& recording) override {
        std::lock_guard<std::mutex> lock(mutex_);
        transaction t(*this);
        statement insert(db_,
                         "INSERT INTO runs (level_key, player, recording, state) "
                         "VALUES (?, ?, ?, 'queued')");
        insert.bind(1, level_key).bind(2, player).bind(3, recording).step();
        const long long id = sqlite3_last_insert_rowid(db_);
        statement count(db_, "UPDATE levels SET plays = plays + 1 WHERE key = ?");
        count.bind(1, level_key).step();
        t.commit();
        return id;
    }

    std::optional<run_status> run(long long id) override {
        std::lock_guard<std::mutex> lock(mutex_);
        statement select(db_,
                         "SELECT level_key, player, state, ticks, seconds, lives_lost, reason "
                         "FROM runs WHERE id = ?");
        if (!select.bind(1, id).step()) {
            return std::nullopt;
        }
        run_status status;
        status.id = id;
        status.level_key = select.text(0);
        status.player = select.text(1);
        status.state = run_state_of(select.text(2));
        status.verdict.finished = status.state == run_state::verified;
        status.verdict.ticks = static_cast<long>(select.integer(3));
        status.verdict.seconds = select.real(4);
        status.verdict.lives_lost = static_cast<int>(select.integer(5));
        status.verdict.reason = select.text(6);
        return status;
    }

    std::optional<std::string> run_recording(long long id) override {
        std::lock_guard<std::mutex> lock(mutex_);
        statement select(db_, "SELECT recording FROM runs WHERE id = ?");
        if (!select.bind(1, id).step()) {
            return std::nullopt;
        }
        return select.text(0);
    }

    long long queued_runs() override {
        std::lock_guard<std::mutex> lock(mutex_);
        statement count(db_, "SELECT COUNT(*) FROM runs WHERE state IN ('queued', 'verifying')");
        count.step();
        return count.integer(0);
    }

    std::unique_ptr<run_claim> claim_run() override {
        std::lock_guard<std::mutex> lock(mutex_);
        transaction t(*this);
        statement select(db_,
                         "SELECT runs.id, levels.body, runs.recording FROM runs "
                         "JOIN levels ON levels.key = runs.level_key "
                         "WHERE runs.state = 'queued' ORDER BY runs.id LIMIT 1");
        if (!select.step()) {
            return nullptr;
        }
        queued_run taken{select.integer(0), select.text(1), select.text(2)};
        statement mark(db_, "UPDATE runs SET state = 'verifying' WHERE id = ?");
        mark.bind(1, taken.id).step();
        t.commit();
        return std::make_unique<sqlite_claim>(*this, std::move(taken));
    }

    std::vector<board_entry> leaderboard(const std::string& level_key, long long limit) override {
        std::lock_guard<std::mutex> lock(mutex_);
        statement select(db_,
                         "SELECT bests.player, bests.run_id, bests.ticks, runs.seconds, "
                         "runs.lives_lost FROM bests JOIN runs ON runs.id = bests.run_id "
                         "WHERE bests.level_key = ? ORDER BY bests.ticks, bests.run_id LIMIT ?");
        select.bind(1, level_key).bind(2, limit);
        std::vector<board_entry> board;
        while (select.step()) {
            board.push_back({static_cast<long long>(board.size()) + 1, select.text(0),
                             select.integer(1), static_cast<long>(select.integer(2)),
                             select.real(3), static_cast<int>(select.integer(4))});
        }
        return board;
    }

    std::optional<board_entry> best_of(const std::string& level_key,
                                       const std::string& player) override {
        std::lock_guard<std::mutex> lock(mutex_);
        statement select(
            db_,
            "SELECT b.run_id, b.ticks, r.seconds, r.lives_lost, "
            "(SELECT COUNT(*) FROM bests o WHERE o.level_key = b.level_key AND "
            "(o.ticks < b.ticks OR (o.ticks = b.ticks AND o.run_id < b.run_id))) "
            "FROM bests b JOIN runs r ON r.id = b.run_id WHERE b.level_key = ? AND b.player = ?");
        if (!select.bind(1, level_key).bind(2, player).step()) {
            return std::nullopt;
        }
        return board_entry{select.integer(4) + 1, player, select.integer(0),
                           static_cast<long>(select.integer(1)), select.real(2),
                           static_cast<int>(select.integer(3))};
    }

    void finish(long long id, const run_verdict& verdict) {
        std::lock_guard<std::mutex> lock(mutex_);
        transaction t(*this);
        statement update(db_,
                         "UPDATE runs SET state = ?, ticks = ?, seconds = ?, lives_lost = ?, "
                         "reason = ? WHERE id = ?");
        update.bind(1, std::string(run_state_name(verdict.finished ? run_state::verified
                                                                 : run_state::refused)))
            .bind(2, static_cast<long long>(verdict.ticks))
            .bind(3, verdict.seconds)
            .bind(4, static_cast<long long>(verdict.lives_lost))
            .bind(5, verdict.reason)
            .bind(6, id)
            .step();
        if (verdict.finished) {
            statement who(db_, "SELECT level_key, player FROM runs WHERE id = ?");
            who.bind(1, id).step();
            const std::string level_key = who.text(0);
            const std::string player = who.text(1);
            statement best(db_, "SELECT ticks FROM bests WHERE level_key = ? AND player = ?");
            if (!best.bind(1, level_key).bind(2, player).step()) {
                statement insert(db_,
                                 "INSERT INTO bests (level_key, player, run_id, ticks) "
                                 "VALUES (?, ?, ?, ?)");
                insert.bind(1, level_key).bind(2, player).bind(3, id)
                    .bind(4, static_cast<long long>(verdict.ticks)).step();
                statement count(db_, "UPDATE levels SET records = records + 1 WHERE key = ?");
                count.bind(1, level_key).step();
            } else if (verdict.ticks < best.integer(0)) {
                statement better(db_,
                                 "UPDATE bests SET run_id = ?, ticks = ? "
                                 "WHERE level_key = ? AND player = ?");
                better.bind(1, id).bind(2, static_cast<long long>(verdict.ticks))
                    .bind(3, level_key).bind(4, player).step();
            }
        }
        t.commit();
    }

    void release(long long id) {
        std::lock_guard<std::mutex> lock(mutex_);
        statement back(db_, "UPDATE runs SET state = 'queued' WHERE id = ? AND state = 'verifying'");
        back.bind(1, id).step();
    }

private:
    // BEGIN IMMEDIATE ... COMMIT; rolled back when left without commit (an exception).
    class transaction {
    public:
        explicit transaction(sqlite_storage& owner) : owner_(owner) {
            owner_.exec("BEGIN IMMEDIATE");
        }
        ~transaction() {
            if (!done_) {
                sqlite3_exec(owner_.db_, "ROLLBACK", nullptr, nullptr, nullptr);
            }
        }
        void commit() {
            owner_.exec("COMMIT");
            done_ = true;
        }

    private:
        sqlite_storage& owner_;
        bool done_ = false;
    };

    void exec(const char* sql) {
        char* error = nullptr;
        if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string why = error != nullptr ? error : "unknown error";
            sqlite3_free(error);
            throw storage_error("SQLite: " + why);
        }
    }

    void migrate() {
        exec("CREATE TABLE IF NOT EXISTS schema_migrations (number INTEGER PRIMARY KEY)");
        for (const migration& step : migrations()) {
            transaction t(*this);
            statement done(db_, "SELECT 1 FROM schema_migrations WHERE number = ?");
            if (done.bind(1, static_cast<long long>(step.number)).step()) {
                continue;
            }
            exec(step.sqlite);
            statement record(db_, "INSERT INTO schema_migrations (number) VALUES (?)");
            record.bind(1, static_cast<long long>(step.number)).step();
            t.commit();
        }
    }

    sqlite3* db_ = nullptr;
    std::mutex mutex_;
};

sqlite_claim::~sqlite_claim() {
    if (!finished_) {
        try {
            owner_.release(run_.id);
        } catch (const storage_error&) {
            // Left 'verifying': the next start of the server queues it again.
        }
    }
}

void sqlite_claim::finish(const run_verdict& verdict) {
    owner_.finish(run_.id, verdict);
    finished_ = true;
}

}  // namespace

std::unique_ptr<storage> open_sqlite_storage(const std::string& path) {
    return std::make_unique<sqlite_storage>(path);
}

}  // namespace quillomar::server
