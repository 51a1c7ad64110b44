// The browser's requests go out through the page's fetch, which never blocks: start() hands the
// request to JavaScript and returns; each answer, read to its end (or cut off past the bound), is
// queued on the page's side under the transport's number, and collect() copies the queued ones
// into the game once a frame. Fetch lives on the page's own thread, so requests are started and
// collected there only; a request from a worker is answered with status 0 and a line.

#include <emscripten.h>
#include <emscripten/threading.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <string>

#include "framework/http_transport.h"

namespace quillomar {
namespace {

// An answer not done in this time is given up: the game says it is offline and tries again later.
constexpr int answer_timeout_ms = 30000;

// Starts the fetch. Its answer is queued on Module.quillomarFetch[transport] as
// {id, status, body (bytes), error}. An empty base joins the path to the page's own server. The
// body is read piece by piece, so that an answer past the bound is cut off rather than kept; a
// POST's body is copied out of the game's memory, which its workers share and fetch refuses. (No
// comments inside the JavaScript: the macro makes it one line.)
EM_JS(void, fetch_start, (int transport, int id, const char* base_c, const char* method_c,
                          const char* path_c, const char* body_c, int body_length, int limit,
                          int timeout_ms), {
    var queues = Module.quillomarFetch = Module.quillomarFetch || {};
    var queue = queues[transport] = queues[transport] || { answers: [], running: {} };
    var base = UTF8ToString(base_c);
    while (base.endsWith('/')) base = base.slice(0, -1);
    var method = UTF8ToString(method_c);
    var url = base + UTF8ToString(path_c);
    var body = method === 'POST' ? HEAPU8.slice(body_c, body_c + body_length) : undefined;
    var controller = new AbortController();
    var timedOut = false;
    var timer = setTimeout(function () { timedOut = true; controller.abort(); }, timeout_ms);
    queue.running[id] = controller;
    function answer(status, bytes, error) {
        clearTimeout(timer);
        if (queues[transport] !== queue || !(id in queue.running)) return;
        delete queue.running[id];
        queue.answers.push({ id: id, status: status, body: bytes || new Uint8Array(0), error: error || '' });
    }
    var init = { method: method, signal: controller.signal, cache: 'no-store' };
    if (body !== undefined) {
        init.body = body;
        init.headers = { 'Content-Type': 'application/json' };
    }
    fetch(url, init).then(function (response) {
        var declared = Number(response.headers.get('Content-Length'));
        if (declared > limit) {
            controller.abort();
            return answer(0, null, 'the answer from ' + url + ' is larger than ' + limit + ' bytes');
        }
        if (!response.body) {
            return response.arrayBuffer().then(function (buffer) {
                if (buffer.byteLength > limit) {
                    return answer(0, null, 'the answer from ' + url + ' is larger than ' + limit + ' bytes');
                }
                answer(response.status, new Uint8Array(buffer), '');
            });
        }
        var reader = response.body.getReader();
        var pieces = [];
        var total = 0;
        function next() {
            return reader.read().then(function (piece) {
                if (piece.done) {
                    var bytes = new Uint8Array(total);
                    var at = 0;
                    pieces.forEach(function (p) { bytes.set(p, at); at += p.length; });
                    return answer(response.status, bytes, '');
                }
                total += piece.value.length;
                if (total > limit) {
                    controller.abort();
                    return answer(0, null, 'the answer from ' + url + ' is larger than ' + limit + ' bytes');
                }
                pieces.push(piece.value);
                return next();
            });
        }
        return next();
    }).catch(function (error) {
        answer(0, null, timedOut ? 'no answer from ' + url + ' within ' + (timeout_ms / 1000) + ' s'
                                 : 'no answer from ' + url + ': ' + (error && error.message || error));
    });
});

// The size of the oldest queued answer as collect() copies it (three numbers, its body, its
// error), or 0 when none is queued.
EM_JS(int, fetch_next_size, (int transport), {
    var queue = Module.quillomarFetch && Module.quillomarFetch[transport];
    if (!queue || queue.answers.length === 0) return 0;
    var next = queue.answers[0];
    if (next.errorBytes === undefined) next.errorBytes = new TextEncoder().encode(next.error);
    return 16 + next.body.length + next.errorBytes.length;
});

// Takes the oldest queued answer into `to`: id, status, body length, error length (4 bytes
// each), the body, the error.
EM_JS(void, fetch_take, (int transport, char* to), {
    var next = Module.quillomarFetch[transport].answers.shift();
    HEAP32[(to >> 2) + 0] = next.id;
    HEAP32[(to >> 2) + 1] = next.status;
    HEAP32[(to >> 2) + 2] = next.body.length;
    HEAP32[(to >> 2) + 3] = next.errorBytes.length;
    HEAPU8.set(next.body, to + 16);
    HEAPU8.set(next.errorBytes, to + 16 + next.body.length);
});

// Forgets a transport: its requests still running are aborted and their answers dropped.
EM_JS(void, fetch_forget, (int transport), {
    var queue = Module.quillomarFetch && Module.quillomarFetch[transport];
    if (!queue) return;
    delete Module.quillomarFetch[transport];
    Object.keys(queue.running).forEach(function (id) { queue.running[id].abort(); });
});

int next_transport = 1;

class fetch_transport final : public http_transport {
public:
    explicit fetch_transport(std::string base) : base_(std::move(base)), number_(next_transport++) {}
    ~fetch_transport() override {
        if (emscripten_is_main_runtime_thread()) {
            fetch_forget(number_);
        }
    }

    int start(const http_request& request) override {
        const int id = next_id_++;
        ++pending_;
        if (!emscripten_is_main_runtime_thread()) {
            refused_.push_back({id, 0, {}, "requests go out from the page's thread only"});
        } else if (request.method != "GET" && request.method != "POST") {
            refused_.push_back({id, 0, {}, "no request is sent with the method " + request.method});
        } else if (request.path.empty() || request.path[0] != '/') {
            refused_.push_back({id, 0, {}, "the request's path \"" + request.path + "\" does not start with /"});
        } else {
            fetch_start(number_, id, base_.c_str(), request.method.c_str(), request.path.c_str(),
                        request.body.data(), static_cast<int>(request.body.size()),
                        static_cast<int>(max_answer_bytes), answer_timeout_ms);
        }
        return id;
    }

    std::vector<http_answer> collect() override {
        std::vector<http_answer> answers(refused_.begin(), refused_.end());
        refused_.clear();
        if (emscripten_is_main_runtime_thread()) {
            for (int size; (size = fetch_next_size(number_)) > 0;) {
                std::vector<char> copied(static_cast<std::size_t>(size));
                fetch_take(number_, copied.data());
                std::int32_t numbers[4];
                std::memcpy(numbers, copied.data(), sizeof numbers);
                const char* body = copied.data() + sizeof numbers;
                answers.push_back({numbers[0], numbers[1], std::string(body, numbers[2]),
                                   std::string(body + numbers[2], numbers[3])});
            }
        }
        pending_ -= static_cast<int>(answers.size());
        return answers;
    }

    int pending() const override { return pending_; }

private:
    std::string base_;
    int number_;
    int next_id_ = 1;
    int pending_ = 0;
    std::deque<http_answer> refused_;
};

}  // namespace

std::unique_ptr<http_transport> make_http_transport(const std::string& base_url) {
    return std::make_unique<fetch_transport>(base_url);
}

}  // namespace quillomar
