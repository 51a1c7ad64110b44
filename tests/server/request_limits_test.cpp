// Hostile bodies are refused with their reason before anything is stored, and each address and
// player is held to its rate.
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
}

TEST(PlayerSecret, HashesWithTheSaltAndComparesWholeHashes) {
    EXPECT_EQ(secret_hash("", "abc"),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_NE(secret_hash("salt1", "abc"), secret_hash("salt2", "abc"));
    EXPECT_FALSE(same_hash(secret_hash("s", "abc"), secret_hash("s", "abd")));
    EXPECT_EQ(random_hex(16).size(), 32u);
    EXPECT_NE(random_hex(16), random_hex(16));
}

}  // namespace
}  // namespace quillomar::server
