// A bounded pool of threads that take runs from the database's queue, replay them and store the
// verdicts. The queue lives in the database, so a run submitted before a restart is verified
// after it. Woken when a run is queued, and every `poll` anyway (another server process may have
// queued it).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "server/storage.h"

namespace quillomar::server {

class verifier_pool {
public:
    verifier_pool(storage& store, unsigned threads,
                  std::chrono::milliseconds poll = std::chrono::milliseconds(1000));
    // Stops taking runs and waits for those being replayed (at most one recording cap each).
    ~verifier_pool();
    verifier_pool(const verifier_pool&) = delete;
    verifier_pool& operator=(const verifier_pool&) = delete;

    void wake();
    long long verified() const { return verified_.load(); }

private:
    void work();

    storage& store_;
    std::chrono::milliseconds poll_;
    std::mutex mutex_;
    std::condition_variable wake_;
    long long wakes_ = 0;
    bool stopping_ = false;
    std::atomic<long long> verified_{0};
    std::vector<std::thread> threads_;
};

}  // namespace quillomar::server
