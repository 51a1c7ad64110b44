// The record server on each database: levels are checked before they are kept, runs are
// replayed before they rank, nobody submits under another's name, and a submission survives the
// end of the process that took it, both in the API (called directly) and in the running program
// (over HTTP on 127.0.0.1, killed mid-queue and started again).
#include <httplib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "game/recording.h"
#include "server/record_api.h"
#include "server/verifier_pool.h"
#include "tests/server/server_fixtures.h"
#include "tests/support/process.h"
#include "tests/support/test_support.h"

namespace quillomar::server {
namespace {

using json = nlohmann::json;
using test::rolling_run;

const std::string unfinishable = "title Nowhere\nstart 1 1\nfinish 1 1\npath\n000\n010\n000\n";

std::string submission(const std::string& player, const std::string& secret,
                       const std::string& recording) {
    return json{{"level", parse_recording(rolling_run().recording)->level_key},
                {"recording", recording},
                {"player", player},
                {"secret", secret}}
        .dump();
}

std::string upload(const std::string& level) { return json{{"level", level}}.dump(); }

class RecordServer : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        std::string why;
        url = test::fresh_database(GetParam(), why);
        if (url.empty()) {
            GTEST_SKIP() << "PostgreSQL tests skipped: " << why;
        }
    }

    api_response call(record_api& api, const std::string& method, const std::string& path,
                      const std::string& body = "",
                      std::map<std::string, std::string> query = {}) {
        return api.handle({method, path, std::move(query), body, "127.0.0.1", clock += 1.0});
    }

    // Waits until no run is queued or being verified.
    static void drain(storage& store) {
        for (int i = 0; i < 600 && store.queued_runs() > 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }

    std::string url;
    double clock = 0.0;
};

TEST_P(RecordServer, KeepsOnlyFinishableLevelsOnceEach) {
    std::unique_ptr<storage> store = open_storage(url);
    record_api api(*store, {});
    const api_response refused = call(api, "POST", "/api/v1/levels", upload(unfinishable));
    EXPECT_EQ(refused.status, 422);
    EXPECT_EQ(json::parse(refused.body)["error"], "not finishable: the start is the finish");

    EXPECT_EQ(call(api, "POST", "/api/v1/levels", upload(rolling_run().level_text)).status, 201);
    const api_response again = call(api, "POST", "/api/v1/levels", upload(rolling_run().level_text));
    EXPECT_EQ(again.status, 200);
    const std::string key = json::parse(again.body)["key"];
    EXPECT_EQ(call(api, "GET", "/api/v1/levels/" + key).body, rolling_run().level_text);

    // A newer level; the older one gets a play and a record.
    const std::string steps = test::file_text(test::source_dir() / "levels/03_steps_down.txt");
    EXPECT_EQ(call(api, "POST", "/api/v1/levels", upload(steps)).status, 201);
    store->check_player("ann", "ann-secret-0123456789");
    store->enqueue_run(key, "ann", rolling_run().recording);
    std::unique_ptr<run_claim> claim = store->claim_run();
    ASSERT_TRUE(claim);
    EXPECT_FALSE(store->claim_run()) << "a claimed run is nobody else's";
    claim->finish(verify_run(claim->run().level_text, claim->run().recording));
    const auto titles = [&](std::map<std::string, std::string> query) {
        const api_response answer = call(api, "GET", "/api/v1/levels", "", std::move(query));
        if (answer.status != 200) {
            return std::to_string(answer.status);
        }
        std::string listed;
        const json page = json::parse(answer.body);
        for (const json& l : page["levels"]) {
            listed += l["title"].get<std::string>() + ";";
        }
        return listed;
    };
    EXPECT_EQ(titles({}), "Steps down;Rolling;");
    EXPECT_EQ(titles({{"order", "played"}}), "Rolling;Steps down;");
    EXPECT_EQ(titles({{"order", "records"}}), "Rolling;Steps down;");
    EXPECT_EQ(titles({{"offset", "1"}, {"limit", "1"}}), "Rolling;");
    EXPECT_EQ(titles({{"limit", "abc"}}), "400");
    EXPECT_EQ(titles({{"limit", "0"}}), "400");
    EXPECT_EQ(titles({{"order", "oldest"}}), "400");
}

TEST_P(RecordServer, RanksAnHonestRunWithItsOwnTimeAndRefusesAFasterClaim) {
    std::unique_ptr<storage> store = open_storage(url);
    // Polled once in ten minutes: only the wake at each submission gets the runs verified.
    verifier_pool pool(*store, 2, std::chrono::minutes(10));
    record_api api(*store, {}, [&pool] { pool.wake(); });
    call(api, "POST", "/api/v1/levels", upload(rolling_run().level_text));

    std::optional<recording> forged = parse_recording(rolling_run().recording);
    forged->result = run_result{rolling_run().seconds / 2, 0};
    const api_response honest = call(api, "POST", "/api/v1/runs",
                                     submission("ann", "ann-secret-0123456789", rolling_run().recording));
    const api_response faster = call(api, "POST", "/api/v1/runs",
                                     submission("bob", "bob-secret-0123456789", format_recording(*forged)));
    ASSERT_EQ(honest.status, 202) << honest.body;
    ASSERT_EQ(faster.status, 202) << faster.body;
    drain(*store);

    const json refused =
        json::parse(call(api, "GET", "/api/v1/runs/" + json::parse(faster.body)["run"].dump()).body);
    EXPECT_EQ(refused["state"], "refused");
    const std::string key = parse_recording(rolling_run().recording)->level_key;
    const json board = json::parse(
        call(api, "GET", "/api/v1/levels/" + key + "/leaderboard", "", {{"player", "ann"}}).body);
    ASSERT_EQ(board["top"].size(), 1u) << board.dump();
    EXPECT_EQ(board["top"][0]["player"], "ann");
    EXPECT_EQ(board["top"][0]["ticks"], rolling_run().ticks);
    EXPECT_NEAR(board["top"][0]["seconds"].get<double>(), rolling_run().seconds, 1e-9);
    EXPECT_EQ(board["you"]["rank"], 1);
    EXPECT_EQ(call(api, "GET", "/api/v1/levels/" + key + "/record").body, rolling_run().recording);
}

TEST_P(RecordServer, NobodySubmitsUnderAnotherPlayersName) {
    std::unique_ptr<storage> store = open_storage(url);
    record_api api(*store, {});
    call(api, "POST", "/api/v1/levels", upload(rolling_run().level_text));
    EXPECT_EQ(call(api, "POST", "/api/v1/players",
                   json{{"player", "ann"}, {"secret", "ann-secret-0123456789"}}.dump()).status, 201);
    const api_response stolen = call(api, "POST", "/api/v1/runs",
                                      submission("ann", "not-anns-secret-0000", rolling_run().recording));
    EXPECT_EQ(stolen.status, 403);
    EXPECT_EQ(store->queued_runs(), 0);
}

TEST_P(RecordServer, ARunTakenByAProcessThatDiedIsQueuedAgain) {
    long long id = 0;
    {
        std::unique_ptr<storage> store = open_storage(url);
        store->add_level(parse_recording(rolling_run().recording)->level_key, "Rolling",
                         rolling_run().level_text, 7.0);
        store->check_player("ann", "ann-secret-0123456789");
        id = store->enqueue_run(parse_recording(rolling_run().recording)->level_key, "ann",
                                rolling_run().recording);
    }
    const pid_t child = fork();
    if (child == 0) {
        std::unique_ptr<storage> store = open_storage(url);
        std::unique_ptr<run_claim> claim = store->claim_run();
        _exit(claim && claim->run().id == id ? 0 : 1);  // dies holding the claim
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    std::unique_ptr<storage> store = open_storage(url);
    // PostgreSQL ends the dead process's transaction, and frees its row, a moment after the
    // process has gone.
    std::unique_ptr<run_claim> claim = store->claim_run();
    for (int i = 0; i < 100 && !claim; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        claim = store->claim_run();
    }
    ASSERT_TRUE(claim);
    EXPECT_EQ(claim->run().id, id);
    claim->finish(verify_run(claim->run().level_text, claim->run().recording));
    EXPECT_EQ(store->run(id)->state, run_state::verified);
}

// The program itself: started with no verifier it only queues; killed, and started again with
// verifiers, it verifies every run it had queued.
TEST_P(RecordServer, TheProgramLosesNoSubmissionWhenKilledMidQueue) {
    const auto start = [this](const char* verifiers) {
        auto server = std::make_unique<test::child_process>(
            QUILLOMAR_SERVER_BINARY, QUILLOMAR_SOURCE_DIR, std::vector<std::string>{},
            std::vector<std::string>{"--listen", "127.0.0.1:0", "--database", url, "--verifiers",
                                     verifiers});
        int port = 0;
        for (int i = 0; i < 200 && port == 0 && server->running(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            const std::string out = server->standard_output();
            const std::size_t at = out.find("listening on http://127.0.0.1:");
            if (at != std::string::npos && out.find('\n', at) != std::string::npos) {
                port = std::stoi(out.substr(at + 30));
            }
        }
        return std::make_pair(std::move(server), port);
    };
    std::vector<long long> runs;
    {
        auto [server, port] = start("0");
        ASSERT_GT(port, 0) << server->standard_error();
        httplib::Client client("127.0.0.1", port);
        auto level = client.Post("/api/v1/levels", upload(rolling_run().level_text), "application/json");
        ASSERT_TRUE(level);
        ASSERT_EQ(level->status, 201) << level->body;
        for (const char* player : {"ann", "bob", "cy"}) {
            auto run = client.Post("/api/v1/runs",
                                   submission(player, std::string(player) + "-secret-0123456789",
                                              rolling_run().recording),
                                   "application/json");
            ASSERT_TRUE(run);
            ASSERT_EQ(run->status, 202) << run->body;
            runs.push_back(json::parse(run->body)["run"]);
        }
        server->wait(0);  // SIGKILL
    }
    auto [server, port] = start("2");
    ASSERT_GT(port, 0) << server->standard_error();
    httplib::Client client("127.0.0.1", port);
    for (const long long id : runs) {
        json state;
        for (int i = 0; i < 600; ++i) {
            auto answer = client.Get(("/api/v1/runs/" + std::to_string(id)).c_str());
            ASSERT_TRUE(answer);
            state = json::parse(answer->body);
            if (state["state"] == "verified" || state["state"] == "refused") {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        EXPECT_EQ(state["state"], "verified") << state.dump();
        EXPECT_EQ(state["ticks"], rolling_run().ticks);
    }
    const std::string key = parse_recording(rolling_run().recording)->level_key;
    auto board = client.Get(("/api/v1/levels/" + key + "/leaderboard").c_str());
    ASSERT_TRUE(board);
    EXPECT_EQ(json::parse(board->body)["top"].size(), 3u);
    EXPECT_EQ(json::parse(board->body)["top"][0]["player"], "ann");  // a tie: the first one in
}

// Friends open one address: the browser build at / with the headers its threads need, the API
// beside it.
TEST(RecordServerWeb, ServesTheBrowserBuildWithCrossOriginIsolation) {
    std::string why;
    const std::string url = test::fresh_database("sqlite", why);
    const std::string web = url.substr(7, url.rfind('/') - 7);
    std::ofstream(web + "/quillomar.html") << "<!doctype html><title>Quillomar</title>";
    test::child_process server(QUILLOMAR_SERVER_BINARY, QUILLOMAR_SOURCE_DIR, {},
                               {"--listen", "127.0.0.1:" + std::to_string(test::free_port()),
                                "--database", url, "--web", web});
    int port = 0;
    for (int i = 0; i < 200 && port == 0 && server.running(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const std::string out = server.standard_output();
        const std::size_t at = out.find("listening on http://127.0.0.1:");
        port = at != std::string::npos && out.find('\n', at) != std::string::npos
                   ? std::stoi(out.substr(at + 30))
                   : 0;
    }
    ASSERT_GT(port, 0) << server.standard_error();
    httplib::Client client("127.0.0.1", port);
    client.set_follow_location(true);
    const auto page = client.Get("/");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_EQ(page->body, "<!doctype html><title>Quillomar</title>");
    EXPECT_EQ(page->get_header_value("Cross-Origin-Opener-Policy"), "same-origin");
    EXPECT_EQ(page->get_header_value("Cross-Origin-Embedder-Policy"), "require-corp");
    const auto api = client.Get("/api/v1");
    ASSERT_TRUE(api);
    EXPECT_EQ(json::parse(api->body)["api"], 1);
    const auto outside = client.Get("/../../etc/passwd");
    ASSERT_TRUE(outside);
    EXPECT_GE(outside->status, 400);
}

INSTANTIATE_TEST_SUITE_P(Databases, RecordServer, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace quillomar::server
