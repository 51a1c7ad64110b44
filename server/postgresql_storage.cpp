// The storage in PostgreSQL, shared by any number of server processes. Each call borrows a
// connection from a small pool. A verifier claims a run with SELECT ... FOR UPDATE SKIP LOCKED
// and keeps that transaction open while it replays: no other verifier sees the run, and when the
// verifier's process dies its connection ends, the transaction rolls back and the run is queued
// again with nothing written.
#include <pqxx/pqxx>

#include <mutex>
#include <vector>

#include "server/migrations.h"
#include "server/player_secret.h"
#include "server/storage.h"

namespace quillomar::server {
namespace {

class connection_pool {
public:
    explicit connection_pool(std::string url) : url_(std::move(url)) {}

    std::unique_ptr<pqxx::connection> take() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!idle_.empty()) {
                std::unique_ptr<pqxx::connection> c = std::move(idle_.back());
                idle_.pop_back();
                return c;
            }
        }
        try {
            return std::make_unique<pqxx::connection>(url_);
        } catch (const std::exception& e) {
            throw storage_error(std::string("PostgreSQL: ") + e.what());
        }
    }

    void give_back(std::unique_ptr<pqxx::connection> c) {
        if (!c || !c->is_open()) {
            return;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        if (idle_.size() < 16) {
            idle_.push_back(std::move(c));
        }
    }

private:
    std::string url_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<pqxx::connection>> idle_;
};

// One transaction on a borrowed connection; `run` is given the work and commits it, or throws.
template <typename Work>
auto in_transaction(connection_pool& pool, Work&& work) {
    std::unique_ptr<pqxx::connection> c = pool.take();
    try {
        pqxx::work w(*c);
        auto result = work(w);
        w.commit();
        pool.give_back(std::move(c));
        return result;
    } catch (const storage_error&) {
        throw;
    } catch (const std::exception& e) {
        throw storage_error(std::string("PostgreSQL: ") + e.what());
    }
}

class postgresql_storage;

class postgresql_claim : public run_claim {
public:
    postgresql_claim(connection_pool& pool, std::unique_ptr<pqxx::connection> c,
                     std::unique_ptr<pqxx::work> w, queued_run run)
        : pool_(pool), connection_(std::move(c)), work_(std::move(w)) {
        run_ = std::move(run);
    }
    ~postgresql_claim() override {
        // Unfinished: the rollback leaves the run queued.
        work_.reset();
        pool_.give_back(std::move(connection_));
    }
    void finish(const run_verdict& verdict) override;

private:
    connection_pool& pool_;
    std::unique_ptr<pqxx::connection> connection_;
    std::unique_ptr<pqxx::work> work_;
};

void postgresql_claim::finish(const run_verdict& verdict) {
    try {
        pqxx::work& w = *work_;
        const pqxx::row who = w.exec_params1(
            "UPDATE runs SET state = $1, ticks = $2, seconds = $3, lives_lost = $4, reason = $5 "
            "WHERE id = $6 RETURNING level_key, player",
            verdict.finished ? "verified" : "refused", static_cast<long long>(verdict.ticks),
            verdict.seconds, verdict.lives_lost, verdict.reason, run_.id);
        if (verdict.finished) {
            const std::string level_key = who[0].as<std::string>();
            const std::string player = who[1].as<std::string>();
            // Two runs of one player finishing at once: the row lock orders them.
            const pqxx::result inserted = w.exec_params(
                "INSERT INTO bests (level_key, player, run_id, ticks) VALUES ($1, $2, $3, $4) "
                "ON CONFLICT (level_key, player) DO UPDATE SET run_id = EXCLUDED.run_id, "
                "ticks = EXCLUDED.ticks WHERE bests.ticks > EXCLUDED.ticks "
                "RETURNING (xmax = 0) AS added",
                level_key, player, run_.id, static_cast<long long>(verdict.ticks));
            if (!inserted.empty() && inserted[0][0].as<bool>()) {
                w.exec_params("UPDATE levels SET records = records + 1 WHERE key = $1",
                              level_key);
            }
        }
        w.commit();
    } catch (const std::exception& e) {
        throw storage_error(std::string("PostgreSQL: ") + e.what());
    }
}

class postgresql_storage : public storage {
public:
    explicit postgresql_storage(const std::string& url) : pool_(url) { migrate(); }

    bool add_level(const std::string& key, const std::string& title, const std::string& text,
                   double check_seconds) override {
        return in_transaction(pool_, [&](pqxx::work& w) {
            return w.exec_params("INSERT INTO levels (key, title, body, check_seconds) "
                                 "VALUES ($1, $2, $3, $4) ON CONFLICT (key) DO NOTHING",
                                 key, title, text, check_seconds)
                       .affected_rows() == 1;
        });
    }

    bool has_level(const std::string& key) override {
        return in_transaction(pool_, [&](pqxx::work& w) {
            return !w.exec_params("SELECT 1 FROM levels WHERE key = $1", key).empty();
        });
    }

    std::optional<std::string> level_text(const std::string& key) override {
        return in_transaction(pool_, [&](pqxx::work& w) -> std::optional<std::string> {
            const pqxx::result r = w.exec_params("SELECT body FROM levels WHERE key = $1", key);
            if (r.empty()) {
                return std::nullopt;
            }
            return r[0][0].as<std::string>();
        });
    }

    std::vector<level_summary> list_levels(level_order order, long long offset,
                                           long long limit) override {
        const std::string by = order == level_order::most_played    ? "plays DESC, id DESC"
                               : order == level_order::most_records ? "records DESC, id DESC"
                                                                    : "id DESC";
        return in_transaction(pool_, [&](pqxx::work& w) {
            std::vector<level_summary> levels;
            for (const pqxx::row& row :
                 w.exec_params("SELECT key, title, plays, records, check_seconds FROM levels "
                               "ORDER BY " + by + " LIMIT $1 OFFSET $2",
                               limit, offset)) {
                levels.push_back({row[0].as<std::string>(), row[1].as<std::string>(),
                                  row[2].as<long long>(), row[3].as<long long>(),
                                  row[4].as<double>()});
            }
            return levels;
        });
    }

    long long level_count() override {
        return in_transaction(pool_, [&](pqxx::work& w) {
            return w.exec1("SELECT COUNT(*) FROM levels")[0].as<long long>();
        });
    }

    player_check check_player(const std::string& name, const std::string& secret) override {
        const std::string salt = random_hex(16);
        const std::string hash = secret_hash(salt, secret);
        return in_transaction(pool_, [&](pqxx::work& w) {
            // Taken by whoever inserts first; a second process racing for the name then reads
            // the first one's hash.
            const pqxx::result added = w.exec_params(
                "INSERT INTO players (name, salt, secret_hash) VALUES ($1, $2, $3) "
                "ON CONFLICT (name) DO NOTHING",
                name, salt, hash);
            if (added.affected_rows() == 1) {
                return player_check::created;
            }
            const pqxx::row row =
                w.exec_params1("SELECT salt, secret_hash FROM players WHERE name = $1", name);
            return same_hash(secret_hash(row[0].as<std::string>(), secret),
                             row[1].as<std::string>())
                       ? player_check::matches
                       : player_check::wrong_secret;
        });
    }

    long long enqueue_run(const std::string& level_key, const std::string& player,
                          const std::string& recording) override {
        return in_transaction(pool_, [&](pqxx::work& w) {
            const long long id =
                w.exec_params1("INSERT INTO runs (level_key, player, recording, state) "
                               "VALUES ($1, $2, $3, 'queued') RETURNING id",
                               level_key, player, recording)[0]
                    .as<long long>();
            w.exec_params("UPDATE levels SET plays = plays + 1 WHERE key = $1", level_key);
            return id;
        });
    }

    std::optional<run_status> run(long long id) override {
        return in_transaction(pool_, [&](pqxx::work& w) -> std::optional<run_status> {
            const pqxx::result r = w.exec_params(
                "SELECT level_key, player, state, ticks, seconds, lives_lost, reason "
                "FROM runs WHERE id = $1",
                id);
            if (r.empty()) {
                return std::nullopt;
            }
            run_status status;
            status.id = id;
            status.level_key = r[0][0].as<std::string>();
            status.player = r[0][1].as<std::string>();
            status.state = run_state_of(r[0][2].as<std::string>());
            status.verdict.finished = status.state == run_state::verified;
            status.verdict.ticks = r[0][3].as<long>();
            status.verdict.seconds = r[0][4].as<double>();
            status.verdict.lives_lost = r[0][5].as<int>();
            status.verdict.reason = r[0][6].as<std::string>();
            return status;
        });
    }

    std::optional<std::string> run_recording(long long id) override {
        return in_transaction(pool_, [&](pqxx::work& w) -> std::optional<std::string> {
            const pqxx::result r = w.exec_params("SELECT recording FROM runs WHERE id = $1", id);
            if (r.empty()) {
                return std::nullopt;
            }
            return r[0][0].as<std::string>();
        });
    }

    long long queued_runs() override {
        return in_transaction(pool_, [&](pqxx::work& w) {
            return w.exec1("SELECT COUNT(*) FROM runs WHERE state IN ('queued', 'verifying')")[0]
                .as<long long>();
        });
    }

    std::unique_ptr<run_claim> claim_run() override {
        std::unique_ptr<pqxx::connection> c = pool_.take();
        try {
            auto w = std::make_unique<pqxx::work>(*c);
            const pqxx::result r = w->exec(
                "SELECT runs.id, levels.body, runs.recording FROM runs "
                "JOIN levels ON levels.key = runs.level_key WHERE runs.state = 'queued' "
                "ORDER BY runs.id LIMIT 1 FOR UPDATE OF runs SKIP LOCKED");
            if (r.empty()) {
                w->commit();
                pool_.give_back(std::move(c));
                return nullptr;
            }
            queued_run taken{r[0][0].as<long long>(), r[0][1].as<std::string>(),
                             r[0][2].as<std::string>()};
            return std::make_unique<postgresql_claim>(pool_, std::move(c), std::move(w),
                                                      std::move(taken));
        } catch (const std::exception& e) {
            throw storage_error(std::string("PostgreSQL: ") + e.what());
        }
    }

    std::vector<board_entry> leaderboard(const std::string& level_key, long long limit) override {
        return in_transaction(pool_, [&](pqxx::work& w) {
            std::vector<board_entry> board;
            for (const pqxx::row& row : w.exec_params(
                     "SELECT bests.player, bests.run_id, bests.ticks, runs.seconds, "
                     "runs.lives_lost FROM bests JOIN runs ON runs.id = bests.run_id "
                     "WHERE bests.level_key = $1 ORDER BY bests.ticks, bests.run_id LIMIT $2",
                     level_key, limit)) {
                board.push_back({static_cast<long long>(board.size()) + 1,
                                 row[0].as<std::string>(), row[1].as<long long>(),
                                 row[2].as<long>(), row[3].as<double>(), row[4].as<int>()});
            }
            return board;
        });
    }

    std::optional<board_entry> best_of(const std::string& level_key,
                                       const std::string& player) override {
        return in_transaction(pool_, [&](pqxx::work& w) -> std::optional<board_entry> {
            const pqxx::result r = w.exec_params(
                "SELECT b.run_id, b.ticks, r.seconds, r.lives_lost, "
                "(SELECT COUNT(*) FROM bests o WHERE o.level_key = b.level_key AND "
                "(o.ticks < b.ticks OR (o.ticks = b.ticks AND o.run_id < b.run_id))) "
                "FROM bests b JOIN runs r ON r.id = b.run_id "
                "WHERE b.level_key = $1 AND b.player = $2",
                level_key, player);
            if (r.empty()) {
                return std::nullopt;
            }
            return board_entry{r[0][4].as<long long>() + 1, player, r[0][0].as<long long>(),
                               r[0][1].as<long>(), r[0][2].as<double>(), r[0][3].as<int>()};
        });
    }

private:
    void migrate() {
        in_transaction(pool_, [&](pqxx::work& w) {
            // One process migrates at a time; the others wait here, then find nothing to do.
            w.exec("SELECT pg_advisory_xact_lock(7283546)");
            w.exec("CREATE TABLE IF NOT EXISTS schema_migrations (number INTEGER PRIMARY KEY)");
            for (const migration& step : migrations()) {
                if (w.exec_params("SELECT 1 FROM schema_migrations WHERE number = $1",
                                  step.number)
                        .empty()) {
                    w.exec(step.postgresql);
                    w.exec_params("INSERT INTO schema_migrations (number) VALUES ($1)",
                                  step.number);
                }
            }
            return 0;
        });
    }

    connection_pool pool_;
};

}  // namespace

bool postgresql_available() { return true; }

std::unique_ptr<storage> open_postgresql_storage(const std::string& url) {
    return std::make_unique<postgresql_storage>(url);
}

}  // namespace quillomar::server
