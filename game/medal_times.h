// A level's four medal times, all made from the time of its proven route, and which medal a
// finish time earns. Times are whole tenths of a second: what the player reads is what counts.
#pragma once

#include <optional>
#include <string>

#include "game/steering.h"

namespace quillomar {

enum class medal { none, bronze, silver, gold, author };

struct medal_times {
    // Each in tenths of a second, author <= gold <= silver <= bronze.
    long author = 0;
    long gold = 0;
    long silver = 0;
    long bronze = 0;
    // How the checking player steered when it proved them: times proven before it steered
    // directly are stale, and proven again.
    steering proven_by = steering::direct;
};

bool operator==(const medal_times& a, const medal_times& b);

// How much slower than the proven route each medal may be. The checking player drives the route
// without a wasted turn; people lose time lining up and turning.
inline constexpr double gold_factor = 1.25;
inline constexpr double silver_factor = 1.6;
inline constexpr double bronze_factor = 2.2;

// Longer than any level takes; a proven time beyond it gives no medals.
inline constexpr double max_medal_seconds = 1e6;

// The medal times of a route proven in `proven_seconds`, each rounded up to a tenth; nothing for
// a time that is not above zero or beyond max_medal_seconds.
std::optional<medal_times> medal_times_for(double proven_seconds);

// Whether the times keep their order and limits, as medal_times_for makes them.
bool usable(const medal_times& times);

// The best medal a finish in `seconds` earns: at or under a medal's time earns it.
medal medal_for(const medal_times& times, double seconds);

// The best medal a run can still earn `seconds` into it, and that medal's time in tenths; bronze,
// out of reach, once even bronze has passed.
struct medal_target {
    medal earned = medal::bronze;
    long tenths = 0;
    bool in_reach = false;
};
medal_target medal_in_reach(const medal_times& times, double seconds);

// The time of the next better medal than `earned`, in tenths; nothing past author.
std::optional<long> next_medal_tenths(const medal_times& times, medal earned);

// "author", "gold", "silver", "bronze"; empty for none.
std::string medal_name(medal m);

// Tenths as seconds with one decimal: 479 -> "47.9".
std::string tenths_text(long tenths);

// "author 47.9 s, gold 59.9 s, silver 76.6 s, bronze 105.4 s"
std::string medal_times_text(const medal_times& times);

}  // namespace quillomar
