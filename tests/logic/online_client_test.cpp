// The game's side of the record server without a network: hostile answers, the outbox on disk,
// the player's identity, and the client's conversation with a scripted server.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include "records/json_text.h"
#include "records/online_client.h"
#include "records/player_identity.h"
#include "records/records_store.h"
#include "records/run_outbox.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

namespace fs = std::filesystem;

TEST(OnlineAnswers, HostileJsonGivesNothingAndWellFormedReadsBack) {
    for (const char* bad : {"", "{", "{\"a\":}", "[1,]", "{\"a\" 1}", "\"\\x\"", "\"\x01\"",
                            "1 2", "01x", "\"\\ud800\"", "nul", "{\"a\":1,}", "-", "1e999",
                            "[[[[[[[[[[[[[[[[[[[[]]]]]]]]]]]]]]]]]]]"}) {
        EXPECT_FALSE(parse_json(bad)) << bad;
    }
    const std::optional<json_value> v =
        parse_json(" {\"s\": \"a\\u00e9\\n\\\"\", \"n\": -1.5e1, \"b\": true, \"z\": null} ");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->string_of("s"), "a\xc3\xa9\n\"");
    EXPECT_EQ(v->number_of("n"), -15.0);
    EXPECT_FALSE(v->whole_of("n", 0, 10));
    const std::string awkward = "line\n\ttab \"quoted\" back\\slash \x01";
    EXPECT_EQ(parse_json(json_quote(awkward))->text, awkward);
}

TEST(OnlineAnswers, AFieldMissingOrOutOfRangeRefusesTheWholeAnswer) {
    const std::string row = "{\"rank\": 1, \"player\": \"ann\", \"seconds\": 62.41, \"lives_lost\": 0}";
    const std::optional<leaderboard> board =
        parse_leaderboard("{\"level\": \"x\", \"top\": [" + row + "], \"you\": " + row + "}");
    ASSERT_TRUE(board);
    EXPECT_EQ(board->top.size(), 1u);
    EXPECT_EQ(board->you->seconds, 62.41);
    for (const std::string bad :
         {"{\"top\": [{\"rank\": 0, \"player\": \"a\", \"seconds\": 1, \"lives_lost\": 0}]}",
          "{\"top\": [{\"rank\": 1, \"player\": \"a b\", \"seconds\": 1, \"lives_lost\": 0}]}",
          "{\"top\": [{\"rank\": 1, \"player\": \"a\", \"seconds\": -1, \"lives_lost\": 0}]}",
          "{\"top\": [{\"rank\": 1.5, \"player\": \"a\", \"seconds\": 1, \"lives_lost\": 0}]}",
          "{\"top\": {}}", "{\"top\": [], \"you\": 3}"}) {
        EXPECT_FALSE(parse_leaderboard(bad)) << bad;
    }
    const std::string level = "{\"key\": \"0123456789abcdef\", \"title\": \"T\", \"plays\": 2, \"records\": 1}";
    EXPECT_EQ(parse_level_page("{\"levels\": [" + level + "], \"total\": 9, \"offset\": 8}")->total, 9);
    EXPECT_FALSE(parse_level_page("{\"levels\": [{\"key\": \"../../etc\", \"plays\": 2, \"records\": 1}], \"total\": 1, \"offset\": 0}"));
    EXPECT_FALSE(parse_level_page("{\"levels\": [], \"total\": -1, \"offset\": 0}"));
    EXPECT_EQ(parse_run_state("{\"run\": 4, \"state\": \"verified\", \"rank\": 3, \"seconds\": 1.5, \"lives_lost\": 0}")->result.rank, 3);
    EXPECT_FALSE(parse_run_state("{\"run\": 4, \"state\": \"verified\"}"));
    EXPECT_FALSE(parse_run_state("{\"run\": 4, \"state\": \"won\"}"));
    EXPECT_EQ(refusal_reason(422, "{\"error\": \"not finishable:\\nno way\"}"), "not finishable: no way");
    EXPECT_EQ(refusal_reason(413, "<html>"), "the server answered 413");
}

outbox_entry sample_entry(const std::string& level_text = "start 1 2\nfinish 1 1\npath\n111\n") {
    return {level_key(level_text), level_text, "quillomar-recording 1\nfake\n"};
}

TEST(RunOutbox, AnEntryReadsBackAndEachDamageCostsOnlyItsEntry) {
    const outbox_entry e = sample_entry();
    const std::string text = format_outbox_entry(e);
    const std::optional<outbox_entry> back = parse_outbox_entry(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->recording, e.recording);
    EXPECT_EQ(back->level_text, e.level_text);
    const std::string other_key = std::string(16, 'a');
    for (const std::string& bad :
         {text.substr(0, text.size() - 1), text + "x", std::string("quillomar-outbox 2\n"),
          text.substr(0, 19) + "level " + other_key + text.substr(19 + 22),
          text.substr(0, text.find("level-bytes")) + "level-bytes 99999999999\n"}) {
        EXPECT_FALSE(parse_outbox_entry(bad)) << bad;
    }
    const test::scratch_dir dir;
    const test::stream_capture log;
    run_outbox outbox(dir.path().string());
    const std::string good = outbox.add(e);
    const std::string second = outbox.add(sample_entry("start 1 2\nfinish 1 1\npath\n1111\n"));
    ASSERT_FALSE(good.empty());
    EXPECT_EQ(outbox.add(e), good);  // the same run kept twice is one entry
    dir.write("outbox/" + second, "quillomar-outbox 1\nlevel broken\n");
    EXPECT_FALSE(outbox.read(second));
    EXPECT_TRUE(fs::exists(dir.path() / "outbox" / (second + ".damaged")));
    EXPECT_EQ(outbox.waiting(), std::vector<std::string>{good});
    outbox.refuse(good, "not finishable");
    EXPECT_TRUE(outbox.waiting().empty());
    EXPECT_TRUE(fs::exists(dir.path() / "outbox/refused" / good));
}

TEST(PlayerIdentity, MadeOnceKeptAndADamagedFileIsMovedAside) {
    const test::scratch_dir dir;
    const test::stream_capture log;
    const std::string path = (dir.path() / "player.txt").string();
    const player_identity made = load_or_make_identity(path, 0xabc, 1, 2);
    EXPECT_EQ(made.name, "player-000abc");
    EXPECT_TRUE(valid_player_secret(made.secret));
    EXPECT_EQ(load_or_make_identity(path, 7, 7, 7).secret, made.secret);
    dir.write("player.txt", "quillomar-player 1\nname a b\nsecret short\n");
    EXPECT_EQ(load_or_make_identity(path, 7, 7, 7).name, "player-000007");
    EXPECT_TRUE(fs::exists(path + ".damaged"));
    for (const char* bad : {"", "quillomar-player 1\nsecret 0123456789abcdef0\nname a\n",
                            "quillomar-player 1\nname a\nsecret 0123456789abcdef0\nmore\n"}) {
        EXPECT_FALSE(parse_identity(bad)) << bad;
    }
}

// A server scripted answer by answer: each request started takes the next answer.
class scripted_transport : public http_transport {
public:
    std::deque<std::pair<int, std::string>> script;
    std::vector<http_request>* seen;
    explicit scripted_transport(std::vector<http_request>* s) : seen(s) {}
    int start(const http_request& request) override {
        seen->push_back(request);
        http_answer a;
        a.id = ++last_;
        if (!script.empty()) {
            a.status = script.front().first;
            a.body = script.front().second;
            script.pop_front();
        }
        a.error = a.status == 0 ? "connection refused" : "";
        answers_.push_back(a);
        return a.id;
    }
    std::vector<http_answer> collect() override { return std::exchange(answers_, {}); }
    int pending() const override { return static_cast<int>(answers_.size()); }

private:
    int last_ = 0;
    std::vector<http_answer> answers_;
};

struct client_case {
    const char* what;
    std::vector<std::pair<int, std::string>> script;
    run_fate::kind fate;
    bool kept;     // still waiting in the outbox
    bool refused;  // kept aside with its reason
};

TEST(OnlineClient, EachAnswerLeavesTheRunWhereItBelongs) {
    const std::string taken = "{\"run\": 7, \"state\": \"queued\"}";
    const std::string verified =
        "{\"run\": 7, \"state\": \"verified\", \"rank\": 3, \"seconds\": 62.41, \"lives_lost\": 0}";
    const std::vector<client_case> cases = {
        {"ranked", {{201, ""}, {202, taken}, {200, verified}}, run_fate::kind::sent, false, false},
        {"level uploaded first",
         {{200, ""}, {404, "{}"}, {201, "{}"}, {202, taken}, {200, verified}},
         run_fate::kind::sent, false, false},
        {"offline", {{0, ""}}, run_fate::kind::offline, true, false},
        {"server busy", {{201, ""}, {503, "{}"}}, run_fate::kind::offline, true, false},
        {"name taken", {{409, "{}"}}, run_fate::kind::name_taken, true, false},
        {"refused run", {{201, ""}, {400, "{\"error\": \"damaged\"}"}}, run_fate::kind::refused,
         false, true},
        {"level not finishable", {{201, ""}, {404, "{}"}, {422, "{\"error\": \"not finishable\"}"}},
         run_fate::kind::refused, false, true},
        {"level kept but unknown", {{201, ""}, {404, "{}"}, {200, "{}"}, {404, "{}"}},
         run_fate::kind::refused, false, true},
        {"refused on replay",
         {{201, ""}, {202, taken}, {200, "{\"run\": 7, \"state\": \"refused\", \"reason\": \"edited\"}"}},
         run_fate::kind::refused, false, false},
    };
    for (const client_case& c : cases) {
        const test::scratch_dir dir;
        const test::stream_capture log;
        std::vector<http_request> seen;
        auto transport = std::make_unique<scripted_transport>(&seen);
        transport->script.assign(c.script.begin(), c.script.end());
        online_client client(std::move(transport), make_identity(1, 2, 3), dir.path().string());
        const std::string ticket = client.send_run(sample_entry());
        for (int frame = 0; frame < 20; ++frame) {
            client.step(frame * 0.1);
        }
        ASSERT_NE(client.fate(ticket), nullptr) << c.what;
        EXPECT_EQ(client.fate(ticket)->state, c.fate) << c.what;
        EXPECT_EQ(client.waiting_runs(), c.kept ? 1u : 0u) << c.what;
        EXPECT_EQ(fs::exists(dir.path() / "outbox/refused" / ticket), c.refused) << c.what;
        if (c.fate == run_fate::kind::sent) {
            EXPECT_EQ(fate_line(*client.fate(ticket)),
                      "Sent: rank 3 (1:02.41, checked by the server)");
        }
    }
}

TEST(OnlineClient, AnOfflineRunIsSentLaterAfterAGrowingWait) {
    const test::scratch_dir dir;
    std::vector<http_request> seen;
    auto owned = std::make_unique<scripted_transport>(&seen);
    scripted_transport& transport = *owned;
    transport.script = {{0, ""}, {0, ""}, {201, ""}, {202, "{\"run\": 1, \"state\": \"queued\"}"}};
    online_client client(std::move(owned), make_identity(1, 2, 3), dir.path().string());
    client.send_run(sample_entry());
    client.step(0.0);
    client.step(0.1);  // no answer: the first wait is 2 s
    client.step(2.0);
    EXPECT_EQ(seen.size(), 1u);
    client.step(2.2);
    EXPECT_EQ(seen.size(), 2u);
    client.step(2.3);  // then 4 s
    client.step(6.0);
    EXPECT_EQ(seen.size(), 2u);
    client.try_now();  // an Online visit does not wait
    for (double t = 6.1; t < 6.5; t += 0.1) {
        client.step(t);
    }
    EXPECT_EQ(client.waiting_runs(), 0u);
    ASSERT_GE(seen.size(), 4u);
    EXPECT_EQ(seen[3].path, "/api/v1/runs");
    EXPECT_NE(seen[3].body.find("\"player\": \"player-000001\""), std::string::npos);
}

}  // namespace
}  // namespace quillomar
