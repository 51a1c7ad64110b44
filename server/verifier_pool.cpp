#include "server/verifier_pool.h"

#include <iostream>

namespace quillomar::server {

verifier_pool::verifier_pool(storage& store, unsigned threads, std::chrono::milliseconds poll)
    : store_(store), poll_(poll) {
    for (unsigned i = 0; i < threads; ++i) {
        threads_.emplace_back([this] { work(); });
    }
}

verifier_pool::~verifier_pool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

void verifier_pool::wake() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++wakes_;
    }
    wake_.notify_all();
}

void verifier_pool::work() {
    long long seen = -1;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (stopping_) {
                return;
            }
            if (seen == wakes_) {
                // Nothing new since the queue was found empty: wait for a wake or the poll.
                wake_.wait_for(lock, poll_, [&] { return stopping_ || seen != wakes_; });
                if (stopping_) {
                    return;
                }
            }
            seen = wakes_;
        }
        try {
            while (std::unique_ptr<run_claim> claim = store_.claim_run()) {
                const run_verdict verdict =
                    verify_run(claim->run().level_text, claim->run().recording);
                claim->finish(verdict);
                ++verified_;
                std::lock_guard<std::mutex> lock(mutex_);
                if (stopping_) {
                    return;
                }
            }
        } catch (const storage_error& e) {
            std::cerr << "quillomar-server: verifying a run: " << e.what() << std::endl;
        }
    }
}

}  // namespace quillomar::server
