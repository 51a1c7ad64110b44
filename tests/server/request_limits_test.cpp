// Hostile bodies are refused with their reason before anything is stored, each address and
// player is held to its rate, and names and secrets keep to their characters.
#include <gtest/gtest.h>

#include <string>

#include "server/player_secret.h"
#include "server/rate_limit.h"
#include "server/request_bodies.h"

namespace quillomar::server {
namespace {

TEST(RequestBodies, RefuseEverythingButTheirOwnObjectWithTheReason) {
    const std::string key = "0123456789abcdef";
    const std::string secret = "s3cret-s3cret-s3cret";
    struct row {
        std::string body;
        const char* reason;  // empty: accepted
    };
    const row rows[] = {
        {R"({"level":")" + key + R"(","recording":"r","player":"ann","secret":")" + secret + R"("})", ""},
        {"", "the body is not JSON"},
        {"[1,2]", "the body is not a JSON object"},
        {R"({"level":")" + key + R"(","recording":"r","player":"ann"})", "the field \"secret\" is missing"},
        {R"({"level":")" + key + R"(","recording":7,"player":"ann","secret":")" + secret + R"("})",
         "the field \"recording\" is not a string"},
        {R"({"level":"XYZ","recording":"r","player":"ann","secret":")" + secret + R"("})",
         "the level key is not 16 hex digits"},
        {R"({"level":")" + key + R"(0","recording":"r","player":"ann","secret":")" + secret + R"("})",
         "the field \"level\" is longer than 16 bytes"},
        {R"({"level":")" + key + R"(","recording":"r","player":"a n","secret":")" + secret + R"("})",
         "a player's name is 1 to 32 letters, digits, '-', '_' or '.'"},
        {R"({"level":")" + key + R"(","recording":"r","player":")" + std::string(32, 'n') +
             R"(","secret":")" + secret + R"("})", ""},
        {R"({"level":")" + key + R"(","recording":"r","player":")" + std::string(33, 'n') +
             R"(","secret":")" + secret + R"("})", "the field \"player\" is longer than 32 bytes"},
        {R"({"level":")" + key + R"(","recording":"r","player":"ann","secret":"short"})",
         "a secret is 16 to 128 printable characters without spaces"},
        {R"({"level":")" + key + R"(","recording":"r\u0000","player":"ann","secret":")" + secret + R"("})",
         "the field \"recording\" holds a NUL character"},
        {R"({"level":")" + key + R"(","recording":"r","player":"ann","secret":")" + secret +
             R"(","admin":true})", "the field \"admin\" is not known"},
    };
    for (const row& r : rows) {
        std::string why;
        const bool accepted = parse_run_submission(r.body, why).has_value();
        EXPECT_EQ(accepted, *r.reason == '\0') << r.body;
        EXPECT_EQ(why, r.reason) << r.body;
    }
    std::string why;
    EXPECT_FALSE(parse_level_upload(std::string(max_request_body_bytes() + 1, ' '), why));
    EXPECT_EQ(why.rfind("the body is larger than", 0), 0u);
}

TEST(RequestBodies, PlayerClaimsAndLevelUploadsKeepToTheirOwnFields) {
    const std::string secret = "s3cret-s3cret-s3cret";
    const auto claim = [](const std::string& name, const std::string& word) {
        return R"({"player":")" + name + R"(","secret":")" + word + R"("})";
    };
    const std::pair<std::string, const char*> claims[] = {
        {claim("ann", secret), ""},
        {claim("ann", std::string(128, 's')), ""},
        {claim("ann", std::string(129, 's')), "the field \"secret\" is longer than 128 bytes"},
        {claim("ann", "with blanks in between"),
         "a secret is 16 to 128 printable characters without spaces"},
        {claim("", secret), "a player's name is 1 to 32 letters, digits, '-', '_' or '.'"},
        {R"({"player":"ann"})", "the field \"secret\" is missing"},
        {R"({"secret":")" + secret + R"("})", "the field \"player\" is missing"},
        {R"({"player":"ann","level":"0123456789abcdef"})", "the field \"level\" is not known"},
        {"3", "the body is not a JSON object"},
    };
    for (const auto& [body, reason] : claims) {
        std::string why;
        const std::optional<player_claim> read = parse_player_claim(body, why);
        EXPECT_EQ(read.has_value(), *reason == '\0') << body;
        EXPECT_EQ(why, reason) << body;
        EXPECT_TRUE(!read || read->player == "ann") << body;
    }
    const std::string long_level(8000, '1');  // longer than a body of 4096 bytes
    const std::pair<std::string, const char*> uploads[] = {
        {R"({"level":")" + long_level + R"("})", ""},
        {R"({"level":["path"]})", "the field \"level\" is not a string"},
        {R"({"level":"path","title":"T"})", "the field \"title\" is not known"},
        {"{}", "the field \"level\" is missing"},
    };
    for (const auto& [body, reason] : uploads) {
        std::string why;
        const std::optional<level_upload> read = parse_level_upload(body, why);
        EXPECT_EQ(why, reason) << body;
        EXPECT_EQ(read ? read->level : "", *reason == '\0' ? long_level : "") << body;
    }
}

TEST(RateLimit, SpendsTheBurstThenEarnsRequestsBackAtItsRate) {
    rate_limit limit(2.0, 3.0);  // 2 a second, 3 at once
    int granted = 0;
    for (int i = 0; i < 10; ++i) {
        granted += limit.take("a", 100.0);
    }
    EXPECT_EQ(granted, 3);
    EXPECT_TRUE(limit.take("b", 100.0));  // another name has its own bucket
    EXPECT_FALSE(limit.take("a", 100.4));
    EXPECT_TRUE(limit.take("a", 100.5));  // one earned back after half a second
    EXPECT_FALSE(limit.take("a", 100.5));
    // The sweep of idle names, due again after a second and a half, keeps one still earning.
    EXPECT_TRUE(limit.take("a", 101.0));
    int granted_later = 0;
    for (int i = 0; i < 5; ++i) {
        granted_later += limit.take("a", 101.6);
    }
    EXPECT_EQ(granted_later, 1);
}

TEST(PlayerSecret, HashesWithTheSaltAndComparesWholeHashes) {
    EXPECT_EQ(secret_hash("", "abc"),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_NE(secret_hash("salt1", "abc"), secret_hash("salt2", "abc"));
    EXPECT_FALSE(same_hash(secret_hash("s", "abc"), secret_hash("s", "abd")));
    EXPECT_EQ(random_hex(16).size(), 32u);
    EXPECT_NE(random_hex(16), random_hex(16));
}

TEST(PlayerSecret, NamesAndSecretsKeepToTheirCharactersAndLengths) {
    const std::string sixteen(16, '!');
    const std::pair<std::string, bool> names[] = {
        {"a", true}, {"z", true}, {"A", true}, {"Z", true}, {"0", true}, {"9", true}, {"-", true},
        {"_", true}, {".", true}, {std::string(32, 'n'), true}, {"", false}, {"`", false},
        {"{", false}, {"@", false}, {"[", false}, {"/", false}, {":", false}, {" ", false},
        {"\xc3\xa9", false}, {std::string(33, 'n'), false}};
    for (const auto& [name, valid] : names) {
        EXPECT_EQ(valid_player_name(name), valid) << name;
    }
    const std::pair<std::string, bool> secrets[] = {
        {sixteen, true}, {std::string(128, '~'), true}, {std::string(15, '!'), false},
        {std::string(129, '~'), false}, {sixteen + " ", false}, {sixteen + "\x7f", false},
        {sixteen + "\t", false}, {sixteen + "\xc3\xa9", false}};
    for (const auto& [secret, valid] : secrets) {
        EXPECT_EQ(valid_secret(secret), valid) << secret;
    }
    EXPECT_TRUE(same_hash("abc", "abc"));
    EXPECT_FALSE(same_hash("ab", "abc"));
}

}  // namespace
}  // namespace quillomar::server
