#include "server/storage.h"

namespace quillomar::server {

std::unique_ptr<storage> open_storage(const std::string& url) {
    const std::string sqlite = "sqlite:";
    if (url.compare(0, sqlite.size(), sqlite) == 0 && url.size() > sqlite.size()) {
        return open_sqlite_storage(url.substr(sqlite.size()));
    }
    if (url.rfind("postgresql://", 0) == 0 || url.rfind("postgres://", 0) == 0) {
        if (!postgresql_available()) {
            throw storage_error("this server was built without PostgreSQL support");
        }
        return open_postgresql_storage(url);
    }
    throw storage_error("the database URL " + url +
                        " is neither sqlite:PATH nor postgresql://...");
}

#ifndef QUILLOMAR_SERVER_POSTGRESQL
bool postgresql_available() { return false; }
std::unique_ptr<storage> open_postgresql_storage(const std::string&) {
    throw storage_error("this server was built without PostgreSQL support");
}
#endif

const char* run_state_name(run_state state) {
    switch (state) {
        case run_state::queued: return "queued";
        case run_state::verifying: return "verifying";
        case run_state::verified: return "verified";
        case run_state::refused: return "refused";
    }
    return "queued";
}

run_state run_state_of(const std::string& name) {
    if (name == "verifying") return run_state::verifying;
    if (name == "verified") return run_state::verified;
    if (name == "refused") return run_state::refused;
    return run_state::queued;
}

}  // namespace quillomar::server
