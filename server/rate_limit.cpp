#include "server/rate_limit.h"

#include <algorithm>

namespace quillomar::server {

bool rate_limit::take(const std::string& who, double now) {
    std::lock_guard<std::mutex> lock(mutex_);
    const double refill = burst_ / per_second_;  // seconds from empty to full
    if (now - last_sweep_ > refill) {
        for (auto it = buckets_.begin(); it != buckets_.end();) {
            it = now - it->second.when >= refill ? buckets_.erase(it) : std::next(it);
        }
        last_sweep_ = now;
    }
    auto [found, added] = buckets_.try_emplace(who, bucket{burst_, now});
    bucket& b = found->second;
    b.tokens = std::min(burst_, b.tokens + std::max(0.0, now - b.when) * per_second_);
    b.when = now;
    if (b.tokens < 1.0) {
        return false;
    }
    b.tokens -= 1.0;
    return true;
}

}  // namespace quillomar::server
