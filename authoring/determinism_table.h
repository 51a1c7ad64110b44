// The determinism table: each level of the set played by the checking player, its run recorded
// (through the recording file's text) and played again in a fresh game, with the tick the replay
// ended on and the state hash then. Every build (native, with sanitizers, WebAssembly) must print
// the same table; tests/determinism_table.txt holds it, so a change that moves the simulation
// shows as a change of that file.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "game/level_set.h"
#include "game/recording.h"
#include "level/level.h"

namespace quillomar {

struct determinism_row {
    std::string level;  // the level's path as the set names it
    bool finished = false;
    long ticks = 0;           // ticks the replay ran: to the finish, or to where the player stopped
    std::uint64_t hash = 0;   // state_hash after the replay's last tick
    long recorded_ticks = 0;  // the same two of the recorded run itself
    std::uint64_t recorded_hash = 0;
};

// Plans, plays, records and replays the level (as read, before its items and spiders are
// placed), the player steering as `how` says; a direct row's level reads "<name> direct".
determinism_row determinism_row_of(const level& as_read, const std::string& name, steering how);

// "<level> <ticks> <hash>" for a run that finished and replayed to the same end; otherwise the
// line says what went wrong, so that it never equals an expected line.
std::string determinism_line(const determinism_row& row);

// Reads each level of the set and writes its lines, classic steering's then direct's (a level that cannot be read gets a line that
// says so). Returns 0 when every level finished and replayed to its recorded end, else 1.
int write_determinism_table(const level_set& set, std::ostream& out);

}  // namespace quillomar
