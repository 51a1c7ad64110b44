// What the record server's tests share: an honest recording of a shipped level made by the
// checking player, and a database of each kind to run against. PostgreSQL is a throw-away
// cluster (initdb and pg_ctl in a scratch folder, as the postgres user when run as root) on a
// free port of 127.0.0.1, stopped when the test process ends.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "server/storage.h"

namespace quillomar::test {

// The text of a shipped level file, and a recording of the checking player's run of it that
// reaches the finish (with the time it took).
struct honest_run {
    std::string level_text;
    std::string recording;
    long ticks = 0;
    double seconds = 0.0;
};
const honest_run& rolling_run();  // levels/01_rolling.txt

// A fresh, empty database URL of the kind named ("sqlite" or "postgresql"); empty, with the
// reason in `why`, when that kind cannot run here (no PostgreSQL binaries, no libpqxx).
std::string fresh_database(const std::string& kind, std::string& why);

}  // namespace quillomar::test
