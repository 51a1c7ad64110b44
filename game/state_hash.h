// A fingerprint of the simulated world at the end of a tick: every float by its bits, so two runs
// that part in the last bit anywhere in the world part here too. It takes what one tick hands to
// the next: the ball's two bodies (place, turn, speeds), the rules' counters and times, the
// level's cubes, items and spiders, and the random stream. Cameras, the burst and the HUD are
// left out: they follow from the rest and no rule reads them back.
#pragma once

#include <cstdint>
#include <string>

#include "game/game_state.h"

namespace quillomar {

std::uint64_t state_hash(const game_state& s);

// 16 lower-case hex digits.
std::string hash_text(std::uint64_t hash);

}  // namespace quillomar
