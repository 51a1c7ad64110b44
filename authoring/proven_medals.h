// A level's medal times from its route as the checker proves it: planned, then played headless
// in the real physics. Seconds of work on a big level, so the shell runs it on a thread of its
// own (std::async) with a cancel flag, as it does the ghost's run and the editor's check.
#pragma once

#include <atomic>
#include <optional>

#include "game/medal_times.h"
#include "level/level.h"

namespace quillomar {

// The medal times of `lvl` (as read, before placing); nothing when it has no proven route or
// `cancel` was set before the play ended. Prints nothing, so it may run beside the frame loop.
std::optional<medal_times> prove_medal_times(const level& lvl,
                                             const std::atomic<bool>* cancel = nullptr);

}  // namespace quillomar
