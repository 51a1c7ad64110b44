// The schema, as numbered steps. A database records in schema_migrations the numbers it has
// applied, and each step runs once, inside the transaction that records it. A step once
// released never changes: a change of the schema is a new step at the end. Each step is written
// for each database; the two must keep the same tables, columns and meaning.
#pragma once

#include <vector>

namespace quillomar::server {

struct migration {
    int number;
    const char* sqlite;
    const char* postgresql;
};

inline const std::vector<migration>& migrations() {
    static const std::vector<migration> steps = {
        {1,
         R"(CREATE TABLE levels (
                id INTEGER PRIMARY KEY AUTOINCREMENT,
                key TEXT NOT NULL UNIQUE,
                title TEXT NOT NULL,
                body TEXT NOT NULL,
                check_seconds DOUBLE PRECISION NOT NULL,
                plays BIGINT NOT NULL DEFAULT 0,
                records BIGINT NOT NULL DEFAULT 0);
            CREATE TABLE players (
                name TEXT PRIMARY KEY,
                salt TEXT NOT NULL,
                secret_hash TEXT NOT NULL);
            CREATE TABLE runs (
                id INTEGER PRIMARY KEY AUTOINCREMENT,
                level_key TEXT NOT NULL REFERENCES levels(key),
                player TEXT NOT NULL REFERENCES players(name),
                recording TEXT NOT NULL,
                state TEXT NOT NULL,
                ticks BIGINT NOT NULL DEFAULT 0,
                seconds DOUBLE PRECISION NOT NULL DEFAULT 0,
                lives_lost INTEGER NOT NULL DEFAULT 0,
                reason TEXT NOT NULL DEFAULT '');
            CREATE INDEX runs_queue ON runs (state, id);
            CREATE TABLE bests (
                level_key TEXT NOT NULL REFERENCES levels(key),
                player TEXT NOT NULL REFERENCES players(name),
                run_id BIGINT NOT NULL REFERENCES runs(id),
                ticks BIGINT NOT NULL,
                PRIMARY KEY (level_key, player));
            CREATE INDEX bests_board ON bests (level_key, ticks, run_id);)",
         R"(CREATE TABLE levels (
                id BIGSERIAL PRIMARY KEY,
                key TEXT NOT NULL UNIQUE,
                title TEXT NOT NULL,
                body TEXT NOT NULL,
                check_seconds DOUBLE PRECISION NOT NULL,
                plays BIGINT NOT NULL DEFAULT 0,
                records BIGINT NOT NULL DEFAULT 0);
            CREATE TABLE players (
                name TEXT PRIMARY KEY,
                salt TEXT NOT NULL,
                secret_hash TEXT NOT NULL);
            CREATE TABLE runs (
                id BIGSERIAL PRIMARY KEY,
                level_key TEXT NOT NULL REFERENCES levels(key),
                player TEXT NOT NULL REFERENCES players(name),
                recording TEXT NOT NULL,
                state TEXT NOT NULL,
                ticks BIGINT NOT NULL DEFAULT 0,
                seconds DOUBLE PRECISION NOT NULL DEFAULT 0,
                lives_lost INTEGER NOT NULL DEFAULT 0,
                reason TEXT NOT NULL DEFAULT '');
            CREATE INDEX runs_queue ON runs (state, id);
            CREATE TABLE bests (
                level_key TEXT NOT NULL REFERENCES levels(key),
                player TEXT NOT NULL REFERENCES players(name),
                run_id BIGINT NOT NULL REFERENCES runs(id),
                ticks BIGINT NOT NULL,
                PRIMARY KEY (level_key, player));
            CREATE INDEX bests_board ON bests (level_key, ticks, run_id);)"},
    };
    return steps;
}

}  // namespace quillomar::server
