// Load on a running record server: CLIENTS players at once, each submitting RUNS honest runs of
// one level (the checking player's, recorded once) and waiting for each verdict before the next.
// Prints the runs verified, their rate, and the latency from submission to verdict (median and
// 95th percentile). Start the server with --no-rate-limits, or the limits are what is measured.
//   quillomar_server_load HOST:PORT LEVEL_FILE CLIENTS RUNS
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iostream>
#include <mutex>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>
#include <vector>

#include "authoring/level_grid.h"
#include "authoring/route_planner.h"
#include "authoring/route_player.h"
#include "game/recording.h"
#include "records/records_store.h"

using json = nlohmann::json;
using clock_type = std::chrono::steady_clock;

int main(int argc, char** argv) {
    using namespace quillomar;
    if (argc != 5) {
        std::cerr << "usage: quillomar_server_load HOST:PORT LEVEL_FILE CLIENTS RUNS" << std::endl;
        return 2;
    }
    const std::string address = argv[1];
    const std::string host = address.substr(0, address.rfind(':'));
    const int port = std::stoi(address.substr(address.rfind(':') + 1));
    const int clients = std::max(1, std::stoi(argv[3]));
    const int runs = std::max(1, std::stoi(argv[4]));

    std::stringstream text;
    text << std::ifstream(argv[2], std::ios::binary).rdbuf();
    level as_read;
    std::istringstream in(text.str());
    as_read.read_stream(in, argv[2]);
    const play_outcome played = play_route(as_read, plan_route(make_level_grid(as_read)));
    if (!played.finished) {
        std::cerr << "the checking player does not finish " << argv[2] << std::endl;
        return 1;
    }
    recording run;
    run.level_key = level_key(text.str());
    run.steering = played.steering;
    run.frames = played.frames;
    const std::string recording_text = format_recording(run);

    httplib::Client setup(host, port);
    const auto uploaded =
        setup.Post("/api/v1/levels", json{{"level", text.str()}}.dump(), "application/json");
    if (!uploaded || uploaded->status >= 300) {
        std::cerr << "upload failed: " << (uploaded ? uploaded->body : "no answer") << std::endl;
        return 1;
    }

    std::mutex mutex;
    std::vector<double> latencies;
    std::atomic<int> failures{0};
    const auto start = clock_type::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            httplib::Client client(host, port);
            const std::string player = "load" + std::to_string(c);
            const std::string body = json{{"level", run.level_key},
                                          {"recording", recording_text},
                                          {"player", player},
                                          {"secret", player + "-secret-0123456789"}}
                                         .dump();
            for (int r = 0; r < runs; ++r) {
                const auto submitted = clock_type::now();
                const auto answer = client.Post("/api/v1/runs", body, "application/json");
                if (!answer || answer->status != 202) {
                    std::lock_guard<std::mutex> lock(mutex);
                    std::cerr << "submission failed: "
                              << (answer ? answer->body : httplib::to_string(answer.error()))
                              << std::endl;
                    ++failures;
                    continue;
                }
                const std::string path =
                    "/api/v1/runs/" + std::to_string(json::parse(answer->body)["run"].get<long long>());
                for (;;) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                    const auto status = client.Get(path.c_str());
                    if (!status) {
                        std::lock_guard<std::mutex> lock(mutex);
                        std::cerr << "poll failed: " << httplib::to_string(status.error())
                                  << std::endl;
                        ++failures;
                        break;
                    }
                    const std::string state = json::parse(status->body)["state"];
                    if (state == "verified" || state == "refused") {
                        const double seconds =
                            std::chrono::duration<double>(clock_type::now() - submitted).count();
                        std::lock_guard<std::mutex> lock(mutex);
                        latencies.push_back(seconds);
                        failures += state == "refused";
                        break;
                    }
                }
            }
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    const double wall = std::chrono::duration<double>(clock_type::now() - start).count();
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double q) {
        return latencies.empty() ? 0.0
                                 : latencies[std::min(latencies.size() - 1,
                                                      static_cast<std::size_t>(q * latencies.size()))];
    };
    std::cout << "level " << argv[2] << " (" << played.frames.size() << " ticks)\n"
              << "clients " << clients << ", runs each " << runs << "\n"
              << "runs_verified " << latencies.size() << ", failures " << failures << "\n"
              << "wall_seconds " << wall << "\n"
              << "runs_per_second " << latencies.size() / wall << "\n"
              << "latency_median_ms " << at(0.5) * 1000 << "\n"
              << "latency_p95_ms " << at(0.95) * 1000 << std::endl;
    return failures == 0 ? 0 : 1;
}
