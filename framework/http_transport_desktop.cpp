// The desktop's transport: libcurl on one worker thread of its own. Requests wait in a queue and
// are sent one after another; the frame only ever takes a lock long enough to queue a request or
// to move the answers that came in.
#include "framework/http_transport.h"

#include <curl/curl.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace quillomar {
namespace {

constexpr long connect_timeout_ms = 3000;
constexpr long request_timeout_ms = 15000;

// curl_global_init is not thread-safe: it runs once, before the first transport's thread.
void init_curl_once() {
    static const bool done = [] {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        return true;
    }();
    (void)done;
}

struct receiving {
    std::string* body;
    bool too_long = false;
};

std::size_t take_bytes(char* data, std::size_t size, std::size_t count, void* user) {
    receiving& r = *static_cast<receiving*>(user);
    const std::size_t bytes = size * count;
    if (r.body->size() + bytes > http_transport::max_answer_bytes) {
        r.too_long = true;
        return 0;  // curl stops the transfer
    }
    r.body->append(data, bytes);
    return bytes;
}

// Stops a transfer at once when the transport goes away.
int keep_going(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<std::atomic<bool>*>(user)->load() ? 1 : 0;
}

class curl_transport : public http_transport {
public:
    explicit curl_transport(std::string base) : base_(std::move(base)) {
        while (!base_.empty() && base_.back() == '/') {
            base_.pop_back();
        }
        init_curl_once();
        worker_ = std::thread([this] { work(); });
    }

    ~curl_transport() override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        worker_.join();
    }

    int start(const http_request& request) override {
        std::lock_guard<std::mutex> lock(mutex_);
        const int id = ++last_id_;
        waiting_.push_back({id, request});
        ++pending_;
        wake_.notify_one();
        return id;
    }

    std::vector<http_answer> collect() override {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<http_answer> answers(std::make_move_iterator(answered_.begin()),
                                         std::make_move_iterator(answered_.end()));
        answered_.clear();
        pending_ -= static_cast<int>(answers.size());
        return answers;
    }

    int pending() const override {
        std::lock_guard<std::mutex> lock(mutex_);
        return pending_;
    }

private:
    struct queued {
        int id;
        http_request request;
    };

    void work() {
        CURL* curl = curl_easy_init();
        for (;;) {
            queued next;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [this] { return stopping_.load() || !waiting_.empty(); });
                if (stopping_) {
                    break;
                }
                next = std::move(waiting_.front());
                waiting_.pop_front();
            }
            http_answer answer = send(curl, next);
            std::lock_guard<std::mutex> lock(mutex_);
            answered_.push_back(std::move(answer));
        }
        if (curl != nullptr) {
            curl_easy_cleanup(curl);
        }
    }

    http_answer send(CURL* curl, const queued& q) {
        http_answer answer;
        answer.id = q.id;
        if (curl == nullptr) {
            answer.error = "the network library could not start";
            return answer;
        }
        if (base_.empty()) {
            answer.error = "no server is set";
            return answer;
        }
        curl_easy_reset(curl);
        const std::string url = base_ + q.request.path;
        char error[CURL_ERROR_SIZE] = {};
        receiving into{&answer.body};
        curl_slist* headers = nullptr;
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, connect_timeout_ms);
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, request_timeout_ms);
        curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, take_bytes);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &into);
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, keep_going);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &stopping_);
        curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE,
                         static_cast<curl_off_t>(max_answer_bytes));
        if (q.request.method == "POST") {
            headers = curl_slist_append(headers, "Content-Type: application/json");
            // The server takes no "Expect: 100-continue" round trip.
            headers = curl_slist_append(headers, "Expect:");
            curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
            curl_easy_setopt(curl, CURLOPT_POST, 1L);
            curl_easy_setopt(curl, CURLOPT_POSTFIELDS, q.request.body.data());
            curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(q.request.body.size()));
        }
        const CURLcode result = curl_easy_perform(curl);
        curl_slist_free_all(headers);
        if (result == CURLE_OK) {
            long status = 0;
            curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
            answer.status = static_cast<int>(status);
            return answer;
        }
        answer.body.clear();
        answer.error = into.too_long || result == CURLE_FILESIZE_EXCEEDED
                           ? "the answer was longer than " + std::to_string(max_answer_bytes) +
                                 " bytes"
                       : error[0] != '\0' ? std::string(error)
                                          : std::string(curl_easy_strerror(result));
        return answer;
    }

    std::string base_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::atomic<bool> stopping_{false};
    std::deque<queued> waiting_;
    std::vector<http_answer> answered_;
    int last_id_ = 0;
    int pending_ = 0;
    std::thread worker_;
};

}  // namespace

std::unique_ptr<http_transport> make_http_transport(const std::string& base_url) {
    return std::make_unique<curl_transport>(base_url);
}

}  // namespace quillomar
