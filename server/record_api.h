// The record server's HTTP API without the sockets: a request as method, path, query, body and
// the client's address, answered with a status and a body. main.cpp hands cpp-httplib's requests
// to it; tests call it directly. Every answer but a file's text is JSON; every refusal is a 4xx
// with {"error": "<reason>"}.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <string>

#include "server/rate_limit.h"
#include "server/storage.h"

namespace quillomar::server {

struct api_request {
    std::string method;  // "GET", "POST"
    std::string path;    // "/api/v1/levels"
    std::map<std::string, std::string> query;
    std::string body;
    std::string address;  // the client's, for its rate limit
    double now = 0.0;     // seconds on a steady clock, for the rate limits
};

struct api_response {
    int status = 200;
    std::string content_type = "application/json";
    std::string body;
};

struct api_limits {
    double address_per_second = 20.0;  // every request, per client address
    double address_burst = 60.0;
    double player_per_second = 0.5;  // run submissions, per player
    double player_burst = 20.0;
    long long max_page = 100;  // levels in one page, entries in one leaderboard
    int max_level_checks = 2;  // uploaded levels being checked at once
};

class record_api {
public:
    // `queued` is called after a run is queued, to wake the verifiers.
    record_api(storage& store, api_limits limits, std::function<void()> queued = {});

    api_response handle(const api_request& request);

private:
    api_response route(const api_request& request);
    api_response upload_level(const api_request& request);
    api_response list_levels(const api_request& request);
    api_response leaderboard(const api_request& request, const std::string& key);
    api_response submit_run(const api_request& request);
    api_response claim_player(const api_request& request);
    api_response run_status(long long id);

    storage& store_;
    api_limits limits_;
    std::function<void()> queued_;
    rate_limit per_address_;
    rate_limit per_player_;
    std::atomic<int> checks_running_{0};
};

}  // namespace quillomar::server
