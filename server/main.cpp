// quillomar-server: levels proven finishable, and leaderboards of runs the server replayed
// itself. HTTP and JSON under /api/v1/ (README: "The record server").
//   quillomar-server --listen HOST:PORT [--database URL] [--web DIR] [--verifiers N]
//                    [--no-rate-limits]   (for load tests on loopback)
// N verifier threads (default: one a core; 0: this process only queues runs, for others to
// verify). PORT 0 takes any free port. Prints "quillomar-server: listening on
// http://HOST:PORT" once it listens; SIGINT or SIGTERM stops it after the runs being verified
// are done.
//   quillomar-server --determinism-table [ORDER_FILE]
// prints the determinism table as the server's replay makes it (tests/determinism_table.txt).
#include <httplib.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "game/level_set.h"
#include "server/record_api.h"
#include "server/request_bodies.h"
#include "server/server_determinism.h"
#include "server/storage.h"
#include "server/verifier_pool.h"

namespace {

using namespace quillomar::server;

struct options {
    std::string host;
    int port = -1;
    std::string database = "sqlite:quillomar-server.db";
    std::string web;
    unsigned verifiers = std::max(1u, std::thread::hardware_concurrency());
    bool rate_limits = true;
};

const char* const usage =
    "usage: quillomar-server --listen HOST:PORT [--database sqlite:PATH|postgresql://...] "
    "[--web DIR] [--verifiers N] [--no-rate-limits]";

std::optional<options> read_options(int argc, char** argv) {
    options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--no-rate-limits") {
            o.rate_limits = false;
            continue;
        }
        if (i + 1 >= argc) {
            return std::nullopt;
        }
        const std::string value = argv[++i];
        if (arg == "--listen") {
            const std::size_t colon = value.rfind(':');
            if (colon == std::string::npos || colon == 0 || colon + 1 == value.size() ||
                value.size() - colon > 6 ||
                value.find_first_not_of("0123456789", colon + 1) != std::string::npos) {
                return std::nullopt;
            }
            o.host = value.substr(0, colon);
            o.port = std::stoi(value.substr(colon + 1));
            if (o.port > 65535) {
                return std::nullopt;
            }
        } else if (arg == "--database") {
            o.database = value;
        } else if (arg == "--web") {
            o.web = value;
        } else if (arg == "--verifiers") {
            if (value.empty() || value.size() > 3 ||
                value.find_first_not_of("0123456789") != std::string::npos) {
                return std::nullopt;
            }
            o.verifiers = static_cast<unsigned>(std::stoi(value));
        } else {
            return std::nullopt;
        }
    }
    if (o.port < 0) {
        return std::nullopt;
    }
    return o;
}

double steady_seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && argc <= 3 && std::string(argv[1]) == "--determinism-table") {
        const quillomar::level_set set =
            quillomar::load_level_set(argc == 3 ? argv[2] : quillomar::level_order_file);
        if (set.empty()) {
            return 1;
        }
        std::cout << "# level (and its steering when direct), tick its replay ends on, state hash "
                     "then (build/determinism_table)\n";
        return write_server_determinism_table(set, std::cout);
    }
    const std::optional<options> o = read_options(argc, argv);
    if (!o) {
        std::cerr << usage << std::endl;
        return 2;
    }
    // SIGINT and SIGTERM are waited for by one thread; every other thread blocks them.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    std::unique_ptr<storage> store;
    try {
        store = open_storage(o->database);
    } catch (const storage_error& e) {
        std::cerr << "quillomar-server: " << e.what() << std::endl;
        return 1;
    }
    // --verifiers 0: this process only queues runs, for others that verify them.
    std::optional<verifier_pool> verifiers;
    if (o->verifiers > 0) {
        verifiers.emplace(*store, o->verifiers);
    }
    api_limits limits;
    if (!o->rate_limits) {
        limits.address_per_second = limits.address_burst = 1e12;
        limits.player_per_second = limits.player_burst = 1e12;
    }
    record_api api(*store, limits, [&verifiers] {
        if (verifiers) {
            verifiers->wake();
        }
    });

    httplib::Server http;
    http.set_payload_max_length(max_request_body_bytes());
    http.set_read_timeout(30, 0);
    http.set_write_timeout(30, 0);
    // A kept-alive connection holds one of these threads while it idles: enough threads for a
    // few dozen clients at once, and idle connections let go soon.
    http.new_task_queue = [] { return new httplib::ThreadPool(64); };
    http.set_keep_alive_timeout(2);
    // Compressed bodies could expand past every limit: refused before they are read.
    http.set_pre_routing_handler([](const httplib::Request& request, httplib::Response& response) {
        if (request.has_header("Content-Encoding") || request.has_header("Transfer-Encoding")) {
            response.status = 415;
            response.set_content(R"({"error":"send the body uncompressed, with a Content-Length"})",
                                 "application/json");
            return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });
    const auto to_api = [&api](const httplib::Request& request, httplib::Response& response) {
        api_request call;
        call.method = request.method;
        call.path = request.path;
        for (const auto& [name, value] : request.params) {
            call.query.emplace(name, value);
        }
        call.body = request.body;
        call.address = request.remote_addr;
        call.now = steady_seconds();
        const api_response answer = api.handle(call);
        response.status = answer.status;
        response.set_content(answer.body, answer.content_type.c_str());
    };
    http.Get(R"(/api/v1(/.*)?)", to_api);
    http.Post(R"(/api/v1(/.*)?)", to_api);
    http.Put(R"(/api/v1(/.*)?)", to_api);
    http.Delete(R"(/api/v1(/.*)?)", to_api);

    if (!o->web.empty()) {
        if (!std::filesystem::is_directory(o->web) || !http.set_mount_point("/", o->web)) {
            std::cerr << "quillomar-server: " << o->web << " is not a folder" << std::endl;
            return 1;
        }
        http.Get("/", [](const httplib::Request&, httplib::Response& response) {
            response.set_redirect("/quillomar.html");
        });
        // The page's threads need SharedArrayBuffer, which needs cross-origin isolation.
        http.set_post_routing_handler([](const httplib::Request&, httplib::Response& response) {
            response.set_header("Cross-Origin-Opener-Policy", "same-origin");
            response.set_header("Cross-Origin-Embedder-Policy", "require-corp");
            response.set_header("Cache-Control", "no-cache");
        });
    }

    const int port = o->port == 0 ? http.bind_to_any_port(o->host)
                                  : (http.bind_to_port(o->host, o->port) ? o->port : -1);
    if (port <= 0) {
        std::cerr << "quillomar-server: cannot listen on " << o->host << ":" << o->port
                  << std::endl;
        return 1;
    }
    std::thread stopper([&http, stop_signals] {
        int signal_number = 0;
        sigwait(&stop_signals, &signal_number);
        http.stop();
    });
    std::cout << "quillomar-server: listening on http://" << o->host << ":" << port << std::endl;
    const bool listened = http.listen_after_bind();
    if (!listened) {
        // The stopper waits for a signal that will not come: send it one.
        pthread_kill(stopper.native_handle(), SIGTERM);
    }
    stopper.join();
    std::cout << "quillomar-server: stopped" << std::endl;
    return listened ? 0 : 1;
}
