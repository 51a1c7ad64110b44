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

// The port the started server says it listens on; 0 when it says nothing within ten seconds.
int listening_port(test::child_process& server) {
    for (int i = 0; i < 200 && server.running(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const std::string out = server.standard_output();
        const std::size_t at = out.find("listening on http://127.0.0.1:");
        if (at != std::string::npos && out.find('\n', at) != std::string::npos) {
            return std::stoi(out.substr(at + 30));
        }
    }
    return 0;
}

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
        const int port = listening_port(*server);
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
    const int port = listening_port(server);
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

// Every path and method the API knows, and a few it does not, answered in turn on one database:
// the status, and the reason or a piece of the answer.
TEST(RecordApi, EachRequestGetsItsOwnStatusAndReason) {
    std::string why;
    std::unique_ptr<storage> store = open_storage(test::fresh_database("sqlite", why));
    api_limits limits;
    limits.player_burst = 2.0;  // two runs at once, and not one more in this test's minute
    limits.player_per_second = 0.001;
    int woken = 0;
    record_api api(*store, limits, [&woken] { ++woken; });
    const std::string key = parse_recording(rolling_run().recording)->level_key;
    const std::string none = "0123456789abcdef";
    const std::string ann = json{{"player", "ann"}, {"secret", "ann-secret-0123456789"}}.dump();
    const std::string run = submission("ann", "ann-secret-0123456789", rolling_run().recording);
    json elsewhere_json = json::parse(run);
    elsewhere_json["level"] = none;
    const std::string elsewhere = elsewhere_json.dump();
    const struct {
        const char* method;
        std::string path;
        std::string body;
        std::map<std::string, std::string> query;
        int status;
        std::string says;  // the start of the error, or a piece of the body
    } rows[] = {
        {"POST", "/api/v1/levels", upload(rolling_run().level_text), {}, 201, "\"added\":true"},
        {"POST", "/api/v1/levels", upload(rolling_run().level_text + "# again\n"), {}, 201,
         "\"key\""},
        {"POST", "/api/v1/levels", upload("title Flat\n"), {}, 422, "not a level: it has no cube"},
        {"POST", "/api/v1/levels", "{}", {}, 400, "the field \"level\" is missing"},
        {"GET", "/api/v1", "", {}, 200, "\"levels\":2"},
        {"GET", "/api/v1x", "", {}, 404, "no such resource"},
        {"GET", "/api", "", {}, 404, "no such resource"},
        {"POST", "/api/v1", "", {}, 404, "no such resource"},
        {"DELETE", "/api/v1/levels", "", {}, 405, "levels are listed with GET"},
        {"GET", "/api/v1/runs", "", {}, 405, "runs are submitted with POST"},
        {"GET", "/api/v1/players", "", {}, 405, "players are claimed with POST"},
        {"POST", "/api/v1/levels/" + key, "", {}, 405, "this resource is read with GET"},
        {"POST", "/api/v1/levels/a/b/c", "", {}, 404, "no such resource"},
        {"GET", "/api/v1/levels/a/b/c", "", {}, 404, "no such resource"},
        {"GET", "/api/v1/levels/0123456789ABCDEF", "", {}, 404, "a level key is 16 hex digits"},
        {"GET", "/api/v1/levels/" + none, "", {}, 404, "no level " + none},
        {"GET", "/api/v1/levels/" + key + "/record", "", {}, 404, "no verified run of level"},
        {"GET", "/api/v1/levels/" + key + "/scores", "", {}, 404, "no such resource"},
        {"GET", "/api/v1/levels/" + none + "/leaderboard", "", {}, 404, "no level " + none},
        {"GET", "/api/v1/levels/" + key + "/leaderboard", "", {{"limit", "101"}}, 400,
         "limit is a number from 1 to 100"},
        {"GET", "/api/v1/levels/" + key + "/leaderboard", "", {{"player", "bob"}}, 200,
         "\"you\":null"},
        {"GET", "/api/v1/levels", "", {{"offset", "-1"}}, 400, "offset is a count from 0"},
        {"GET", "/api/v1/levels", "", {{"limit", "0000000000000000001"}}, 400, "offset is"},
        {"GET", "/api/v1/levels", "", {{"limit", "100"}, {"offset", "0"}}, 200, "\"total\":2"},
        {"POST", "/api/v1/players", ann, {}, 201, "\"created\":true"},
        {"POST", "/api/v1/players", ann, {}, 200, "\"created\":false"},
        {"POST", "/api/v1/players", json{{"player", "ann"}, {"secret", "not-ann-0123456789"}}.dump(), {},
         409, "the name ann is taken"},
        {"POST", "/api/v1/players", "[]", {}, 400, "the body is not a JSON object"},
        {"POST", "/api/v1/runs", "{", {}, 400, "the body is not JSON"},
        {"POST", "/api/v1/runs", elsewhere, {}, 404, "no level " + none + "; upload it first"},
        {"POST", "/api/v1/runs", run, {}, 202, "{\"run\":1,\"state\":\"queued\"}"},
        {"POST", "/api/v1/runs", run, {}, 202, "{\"run\":2,"},
        {"POST", "/api/v1/runs", run, {}, 429, "too many runs from ann"},
        {"GET", "/api/v1/runs/1", "", {}, 200, "\"state\":\"queued\""},
        {"GET", "/api/v1/runs/2/recording", "", {}, 200, rolling_run().recording},
        {"GET", "/api/v1/runs/3", "", {}, 404, "no run 3"},
        {"GET", "/api/v1/runs/3/recording", "", {}, 404, "no such run"},
        {"GET", "/api/v1/runs/1x", "", {}, 404, "a run is named by its number"},
        {"GET", "/api/v1/runs/1/replay", "", {}, 404, "no such resource"},
    };
    double now = 0.0;
    const auto ask = [&now](record_api& to, const char* method, const std::string& path,
                            const std::string& body = "",
                            std::map<std::string, std::string> query = {}) {
        return to.handle({method, path, std::move(query), body, "127.0.0.1", now += 1.0});
    };
    for (const auto& r : rows) {
        const api_response a = ask(api, r.method, r.path, r.body, r.query);
        EXPECT_EQ(a.status, r.status) << r.method << " " << r.path << ": " << a.body;
        const std::string said =
            a.status >= 400 ? json::parse(a.body)["error"].get<std::string>() : a.body;
        const std::size_t at = said.find(r.says);
        EXPECT_TRUE(a.status >= 400 ? at == 0 : at != std::string::npos)
            << r.method << " " << r.path << ": " << said;
    }
    EXPECT_EQ(woken, 2);
    EXPECT_EQ(store->queued_runs(), 2);
    // A verified run names its rank and the player's best run.
    std::unique_ptr<run_claim> claim = store->claim_run();
    ASSERT_TRUE(claim);
    claim->finish(verify_run(claim->run().level_text, claim->run().recording));
    const std::string id = std::to_string(claim->run().id);
    const json verified = json::parse(ask(api, "GET", "/api/v1/runs/" + id).body);
    EXPECT_EQ(verified["rank"], 1) << verified.dump();
    EXPECT_EQ(verified["best_run"], claim->run().id);
    EXPECT_EQ(verified["ticks"], rolling_run().ticks);
    EXPECT_EQ(verified["lives_lost"], 0);

    // Each address has its burst; a level check beyond the limit waits for another time.
    limits.address_burst = 1.0;
    limits.address_per_second = 0.001;
    limits.max_level_checks = 0;
    record_api busy(*store, limits);
    const std::string third = upload(rolling_run().level_text + "# busy\n");
    EXPECT_EQ(ask(busy, "POST", "/api/v1/levels", third).status, 503);
    EXPECT_EQ(ask(busy, "GET", "/api/v1").status, 429);
}

INSTANTIATE_TEST_SUITE_P(Databases, RecordServer, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace quillomar::server
