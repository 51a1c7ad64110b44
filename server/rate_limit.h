// Requests per address and per player, limited by token buckets: each name may spend `burst`
// requests at once and earns `per_second` back. The caller hands in the time, so the limit is
// tested without a clock.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_map>

namespace quillomar::server {

class rate_limit {
public:
    rate_limit(double per_second, double burst) : per_second_(per_second), burst_(burst) {}

    // Takes one request of `who` at `now` (seconds, any steady origin); false when it is over
    // the limit. Forgets names that have been quiet long enough to be full again, so the table
    // stays bounded by the names of the last few seconds.
    bool take(const std::string& who, double now);

private:
    struct bucket {
        double tokens = 0.0;
        double when = 0.0;
    };
    double per_second_;
    double burst_;
    std::mutex mutex_;
    std::unordered_map<std::string, bucket> buckets_;
    double last_sweep_ = 0.0;
};

}  // namespace quillomar::server
