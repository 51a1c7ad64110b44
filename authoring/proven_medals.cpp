#include "authoring/proven_medals.h"

#include "authoring/level_check.h"

namespace quillomar {

std::optional<medal_times> prove_medal_times(const level& lvl, const std::atomic<bool>* cancel) {
    const level_verdict verdict = check_level(lvl, {}, cancel);
    if (!verdict.finishable) {
        return std::nullopt;
    }
    return medal_times_for(verdict.seconds);
}

}  // namespace quillomar
