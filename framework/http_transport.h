#pragma once

// Requests to the record server, started and answered without ever blocking a frame.
//
// The desktop sends them from a thread of its own over libcurl (http_transport_desktop.cpp); the
// browser sends them with the page's fetch (http_transport_web.cpp). The game starts a request,
// goes on drawing, and once a frame collects the answers that came in. A request that got no
// answer (the server is down, the address is wrong, the network is gone) is answered with status
// 0 and a line saying why: offline is a normal state, not an error.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace quillomar {

struct http_request {
    std::string method = "GET";  // "GET" or "POST"
    std::string path;            // "/api/v1/levels?order=newest", joined to the transport's base
    std::string body;            // a POST's JSON body
};

struct http_answer {
    int id = 0;          // the id start() gave the request
    int status = 0;      // the HTTP status; 0 when no answer came
    std::string body;    // bounded by the transport (max_answer_bytes); longer answers fail
    std::string error;   // with status 0: one line naming what failed
};

class http_transport {
public:
    // An answer larger than this is refused rather than kept: the biggest is a recording.
    static constexpr std::size_t max_answer_bytes = 4u << 20;

    virtual ~http_transport() = default;
    // Starts a request and returns its id (> 0) at once.
    virtual int start(const http_request& request) = 0;
    // The answers that arrived since the last call, in the order they arrived; never waits.
    virtual std::vector<http_answer> collect() = 0;
    // Requests started and not yet collected.
    virtual int pending() const = 0;
};

// A transport to the server at `base_url` ("http://127.0.0.1:8080"). In the browser an empty base
// means the server the page came from.
std::unique_ptr<http_transport> make_http_transport(const std::string& base_url);

}  // namespace quillomar
