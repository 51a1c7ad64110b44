// Feeds arbitrary bytes to every request body the record server reads, and to its API on an
// in-memory database: the first byte picks the door. A refused body always has a reason, an
// accepted one holds only what its checks allow, and the API answers every request with a status
// from 200 to 599 and a JSON body for anything but a file's text.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "server/player_secret.h"
#include "server/record_api.h"
#include "server/request_bodies.h"

using namespace quillomar::server;

namespace {

void require(bool ok) {
    if (!ok) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string body(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string why;
    switch (data[0] % 4) {
        case 0: {
            const auto upload = parse_level_upload(body, why);
            require(upload ? why.empty() : !why.empty());
            break;
        }
        case 1: {
            const auto run = parse_run_submission(body, why);
            require(run ? valid_level_key(run->level_key) && valid_player_name(run->player) &&
                              valid_secret(run->secret)
                        : !why.empty());
            break;
        }
        case 2: {
            const auto claim = parse_player_claim(body, why);
            require(claim ? valid_player_name(claim->player) && valid_secret(claim->secret)
                          : !why.empty());
            break;
        }
        default: {
            // Reads and the smaller bodies on one database kept for the whole run; a level upload
            // is left out (its check plays the level, which a fuzzer's time limit does not allow).
            static std::unique_ptr<storage> store = open_sqlite_storage(":memory:");
            static record_api api(*store, api_limits{1e9, 1e9, 1e9, 1e9, 100});
            const std::size_t split = body.find('\n');
            api_request request;
            request.method = body.size() % 2 == 0 ? "GET" : "POST";
            request.path = "/api/v1/" + body.substr(0, split);
            request.body = split == std::string::npos ? "" : body.substr(split + 1);
            request.address = "fuzz";
            if (request.method == "POST" && request.path.find("levels") != std::string::npos) {
                return 0;
            }
            const api_response answer = api.handle(request);
            require(answer.status >= 200 && answer.status < 600);
            require(!answer.body.empty() || answer.content_type != "application/json");
            break;
        }
    }
    return 0;
}
