#include "authoring/level_title.h"

#include <iterator>

#include "common/random_stream.h"

namespace quillomar {
namespace {

// Words a player can say aloud and remember; each list a prime length, so that the pairs of
// neighbouring seeds spread over all 31 x 29 titles.
constexpr const char* adjectives[] = {
    "Amber",  "Azure",   "Brass",   "Cedar",  "Copper", "Crimson", "Dusky",   "Emerald",
    "Frosty", "Gilded",  "Golden",  "Hollow", "Ivory",  "Jade",    "Lofty",   "Misty",
    "Mossy",  "Narrow",  "Olive",   "Quiet",  "Rusty",  "Sandy",   "Silent",  "Silver",
    "Slate",  "Stormy",  "Sunny",   "Twisted", "Velvet", "Windy",  "Winding",
};
constexpr const char* nouns[] = {
    "Steps",   "Bridge",  "Terraces", "Ledges", "Towers",  "Gardens", "Stairs", "Crossing",
    "Heights", "Hollows", "Islands",  "Ridge",  "Run",     "Ramparts", "Arches", "Causeway",
    "Pillars", "Plateau", "Quarry",   "Reach",  "Spires",  "Switchback", "Walk", "Maze",
    "Landing", "Cliffs",  "Harbour",  "Courts", "Summit",
};
static_assert(std::size(adjectives) == 31 && std::size(nouns) == 29);

// The generator's layout uses the default stream; the title has its own.
constexpr std::uint64_t title_stream = 0x7469746c65ULL;  // "title"

}  // namespace

std::string title_for_seed(std::uint64_t seed) {
    random_stream random(seed, title_stream);
    const char* adjective = adjectives[random.below(std::size(adjectives))];
    const char* noun = nouns[random.below(std::size(nouns))];
    return std::string(adjective) + " " + noun;
}

}  // namespace quillomar
