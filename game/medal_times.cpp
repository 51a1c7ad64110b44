#include "game/medal_times.h"

#include "game/words.h"

#include <algorithm>
#include <cmath>

namespace quillomar {
namespace {

// A product like 1.25 * 47.2 lands a hair above a whole tenth it means exactly; that hair must
// not cost the player a tenth.
constexpr double rounding_slack = 1e-6;

long tenths_up(double seconds) {
    return static_cast<long>(std::ceil(seconds * 10.0 - rounding_slack));
}

}  // namespace

bool operator==(const medal_times& a, const medal_times& b) {
    return a.author == b.author && a.gold == b.gold && a.silver == b.silver && a.bronze == b.bronze &&
           a.proven_by == b.proven_by;
}

std::optional<medal_times> medal_times_for(double proven_seconds) {
    if (!(proven_seconds > 0.0 && proven_seconds <= max_medal_seconds)) {
        return std::nullopt;
    }
    return medal_times{tenths_up(proven_seconds), tenths_up(proven_seconds * gold_factor),
                       tenths_up(proven_seconds * silver_factor),
                       tenths_up(proven_seconds * bronze_factor)};
}

bool usable(const medal_times& times) {
    return times.author > 0 && times.author <= times.gold && times.gold <= times.silver &&
           times.silver <= times.bronze &&
           times.bronze <= tenths_up(max_medal_seconds * bronze_factor);
}

medal medal_for(const medal_times& times, double seconds) {
    if (!(seconds > 0.0)) {
        return medal::none;
    }
    // Finish times are whole ticks, never a hair under a tenth they do not reach.
    const double tenths = seconds * 10.0 - rounding_slack;
    if (tenths <= times.author) {
        return medal::author;
    }
    if (tenths <= times.gold) {
        return medal::gold;
    }
    if (tenths <= times.silver) {
        return medal::silver;
    }
    return tenths <= times.bronze ? medal::bronze : medal::none;
}

medal_target medal_in_reach(const medal_times& times, double seconds) {
    // At the very start every medal is still to be had: the start counts as a finish just after.
    switch (medal_for(times, std::max(seconds, 0.001))) {
        case medal::author:
            return {medal::author, times.author, true};
        case medal::gold:
            return {medal::gold, times.gold, true};
        case medal::silver:
            return {medal::silver, times.silver, true};
        case medal::bronze:
            return {medal::bronze, times.bronze, true};
        case medal::none:
            break;
    }
    return {medal::bronze, times.bronze, false};
}

std::optional<long> next_medal_tenths(const medal_times& times, medal earned) {
    switch (earned) {
        case medal::none:
            return times.bronze;
        case medal::bronze:
            return times.silver;
        case medal::silver:
            return times.gold;
        case medal::gold:
            return times.author;
        case medal::author:
            break;
    }
    return std::nullopt;
}

std::string medal_name(medal m) {
    switch (m) {
        case medal::author:
            return tr_later("author");
        case medal::gold:
            return tr_later("gold");
        case medal::silver:
            return tr_later("silver");
        case medal::bronze:
            return tr_later("bronze");
        case medal::none:
            break;
    }
    return {};
}

std::string tenths_text(long tenths) {
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

std::string medal_times_text(const medal_times& times) {
    return "author " + tenths_text(times.author) + " s, gold " + tenths_text(times.gold) +
           " s, silver " + tenths_text(times.silver) + " s, bronze " + tenths_text(times.bronze) +
           " s";
}

}  // namespace quillomar
