// The server's row of the determinism table: each level of the set played by the checking
// player, its recording's text handed to verify_run as a submission would be, and the tick and
// state hash the server's replay ends on. `quillomar-server --determinism-table` prints it; it
// must equal tests/determinism_table.txt, as every other build's table does.
#pragma once

#include <ostream>

#include "game/level_set.h"

namespace quillomar::server {

// Writes the table's lines (classic steering's, then direct's, per level). Returns 0 when every
// level finished and the server's replay ended where the recorded run did, else 1.
int write_server_determinism_table(const level_set& set, std::ostream& out);

}  // namespace quillomar::server
