// The desktop's transport: libcurl on one worker thread of its own. Requests wait in a queue and
// are sent one after another; the frame only ever takes a lock long enough to queue a request or
// to move the answers that came in.
//
// libcurl is opened when the first transport is made, not linked: it brings two dozen libraries
// (TLS, HTTP/2, LDAP, Kerberos...) whose pages a game that never goes online would carry from
// start-up on, and whose loading it would wait for.
#include "framework/http_transport.h"

#include <curl/curl.h>
#include <dlfcn.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "framework/opened_library.h"

namespace quillomar {
namespace {

constexpr long connect_timeout_ms = 3000;
constexpr long request_timeout_ms = 15000;

// The functions of libcurl the transport calls.
struct curl_library {
    CURLcode (*global_init)(long) = nullptr;
    CURL* (*easy_init)() = nullptr;
    void (*easy_cleanup)(CURL*) = nullptr;
    void (*easy_reset)(CURL*) = nullptr;
    CURLcode (*easy_setopt)(CURL*, CURLoption, ...) = nullptr;
    CURLcode (*easy_perform)(CURL*) = nullptr;
    CURLcode (*easy_getinfo)(CURL*, CURLINFO, ...) = nullptr;
    const char* (*easy_strerror)(CURLcode) = nullptr;
    curl_slist* (*slist_append)(curl_slist*, const char*) = nullptr;
    void (*slist_free_all)(curl_slist*) = nullptr;
    bool ok = false;
};

// Opened once and kept; curl_global_init is not thread-safe, so it runs here, before the first
// transport's thread. Without libcurl every request is answered "offline".
const curl_library& curl_api() {
    static const curl_library api = [] {
        curl_library c;
        void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
        c.ok = library != nullptr && find_function(library, "curl_global_init", c.global_init) &&
               find_function(library, "curl_easy_init", c.easy_init) &&
               find_function(library, "curl_easy_cleanup", c.easy_cleanup) &&
               find_function(library, "curl_easy_reset", c.easy_reset) &&
               find_function(library, "curl_easy_setopt", c.easy_setopt) &&
               find_function(library, "curl_easy_perform", c.easy_perform) &&
               find_function(library, "curl_easy_getinfo", c.easy_getinfo) &&
               find_function(library, "curl_easy_strerror", c.easy_strerror) &&
               find_function(library, "curl_slist_append", c.slist_append) &&
               find_function(library, "curl_slist_free_all", c.slist_free_all) &&
               c.global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
        return c;
    }();
    return api;
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
        curl_api();
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
        const curl_library& c = curl_api();
        CURL* curl = c.ok ? c.easy_init() : nullptr;
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
            c.easy_cleanup(curl);
        }
    }

    http_answer send(CURL* curl, const queued& q) {
        const curl_library& c = curl_api();
        http_answer answer;
        answer.id = q.id;
        if (curl == nullptr) {
            answer.error = "the network library (libcurl.so.4) could not start";
            return answer;
        }
        if (base_.empty()) {
            answer.error = "no server is set";
            return answer;
        }
        c.easy_reset(curl);
        const std::string url = base_ + q.request.path;
        char error[CURL_ERROR_SIZE] = {};
        receiving into{&answer.body};
        curl_slist* headers = nullptr;
        c.easy_setopt(curl, CURLOPT_URL, url.c_str());
        c.easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
        c.easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        c.easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, connect_timeout_ms);
        c.easy_setopt(curl, CURLOPT_TIMEOUT_MS, request_timeout_ms);
        c.easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
        c.easy_setopt(curl, CURLOPT_WRITEFUNCTION, take_bytes);
        c.easy_setopt(curl, CURLOPT_WRITEDATA, &into);
        c.easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        c.easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, keep_going);
        c.easy_setopt(curl, CURLOPT_XFERINFODATA, &stopping_);
        c.easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE,
                         static_cast<curl_off_t>(max_answer_bytes));
        if (q.request.method == "POST") {
            headers = c.slist_append(headers, "Content-Type: application/json");
            // The server takes no "Expect: 100-continue" round trip.
            headers = c.slist_append(headers, "Expect:");
            c.easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
            c.easy_setopt(curl, CURLOPT_POST, 1L);
            c.easy_setopt(curl, CURLOPT_POSTFIELDS, q.request.body.data());
            c.easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(q.request.body.size()));
        }
        const CURLcode result = c.easy_perform(curl);
        c.slist_free_all(headers);
        if (result == CURLE_OK) {
            long status = 0;
            c.easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
            answer.status = static_cast<int>(status);
            return answer;
        }
        answer.body.clear();
        answer.error = into.too_long || result == CURLE_FILESIZE_EXCEEDED
                           ? "the answer was longer than " + std::to_string(max_answer_bytes) +
                                 " bytes"
                       : error[0] != '\0' ? std::string(error)
                                          : std::string(c.easy_strerror(result));
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
