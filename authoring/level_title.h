// A generated level's title, made from its seed: an adjective and a noun from two short lists
// ("Amber Steps"), so that a player can tell random levels apart and say which one they mean.
#pragma once

#include <cstdint>
#include <string>

namespace quillomar {

// The same seed gives the same title on every machine; neighbouring seeds mostly differ. The
// words are drawn from a stream of their own, so the level's layout does not depend on them.
std::string title_for_seed(std::uint64_t seed);

}  // namespace quillomar
