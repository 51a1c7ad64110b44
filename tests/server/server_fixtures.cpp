#include "tests/server/server_fixtures.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "authoring/level_grid.h"
#include "authoring/route_planner.h"
#include "authoring/route_player.h"
#include "game/recording.h"
#include "records/records_store.h"
#include "tests/support/process.h"

namespace quillomar::test {
namespace {

namespace fs = std::filesystem;

std::string read_whole(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// The scratch folders of this test process, removed when it ends.
struct scratch_folders {
    std::vector<fs::path> made;
    ~scratch_folders() {
        std::error_code ignored;
        for (const fs::path& path : made) {
            fs::remove_all(path, ignored);
        }
    }
};

fs::path scratch(const std::string& what) {
    static scratch_folders folders;
    static int counter = 0;
    const fs::path path = fs::temp_directory_path() / ("quillomar-server-test-" +
                                                       std::to_string(getpid()) + "-" + what +
                                                       "-" + std::to_string(counter++));
    fs::remove_all(path);
    fs::create_directories(path);
    folders.made.push_back(path);
    return path;
}

// One cluster per test process, made on first use.
class postgresql_cluster {
public:
    static postgresql_cluster& get() {
        static postgresql_cluster cluster;
        return cluster;
    }
    bool ok() const { return why_.empty(); }
    const std::string& why() const { return why_; }
    int port() const { return port_; }
    ~postgresql_cluster() {
        if (started_) {
            run(bin_ + "/pg_ctl -D " + data_.string() + " -m immediate stop >/dev/null 2>&1");
        }
    }

private:
    postgresql_cluster() {
        if (!server::postgresql_available()) {
            why_ = "this build has no PostgreSQL support (libpqxx-dev)";
            return;
        }
        for (const char* version : {"17", "16", "15", "14", "13"}) {
            const std::string bin = std::string("/usr/lib/postgresql/") + version + "/bin";
            if (fs::exists(bin + "/initdb") && fs::exists(bin + "/pg_ctl")) {
                bin_ = bin;
                break;
            }
        }
        if (bin_.empty()) {
            why_ = "no PostgreSQL binaries (initdb, pg_ctl) in /usr/lib/postgresql";
            return;
        }
        // initdb refuses to run as root: the cluster then belongs to the postgres user.
        if (geteuid() == 0) {
            const passwd* postgres = getpwnam("postgres");
            if (postgres == nullptr) {
                why_ = "running as root and there is no postgres user to own the cluster";
                return;
            }
            as_user_ = "runuser -u postgres -- ";
            folder_ = scratch("postgresql");
            if (chown(folder_.c_str(), postgres->pw_uid, postgres->pw_gid) != 0) {
                why_ = "cannot give the cluster's folder to the postgres user";
                return;
            }
        } else {
            folder_ = scratch("postgresql");
        }
        data_ = folder_ / "data";
        port_ = free_port();
        if (run(bin_ + "/initdb -A trust -U postgres -D " + data_.string() +
                " >" + (folder_ / "initdb.log").string() + " 2>&1") != 0) {
            why_ = "initdb failed: " + read_whole(folder_ / "initdb.log");
            return;
        }
        const std::string options = "-k " + folder_.string() + " -h 127.0.0.1 -p " +
                                    std::to_string(port_) + " -c fsync=off";
        if (run(bin_ + "/pg_ctl -D " + data_.string() + " -w -l " +
                (folder_ / "server.log").string() + " -o '" + options + "' start >/dev/null") !=
            0) {
            why_ = "pg_ctl start failed: " + read_whole(folder_ / "server.log");
            return;
        }
        started_ = true;
    }
    int run(const std::string& command) const {
        return std::system((as_user_ + "sh -c \"" + command + "\"").c_str());
    }

    std::string why_;
    std::string bin_;
    std::string as_user_;
    fs::path folder_;
    fs::path data_;
    int port_ = 0;
    bool started_ = false;
};

}  // namespace

const honest_run& rolling_run() {
    static const honest_run run = [] {
        honest_run made;
        made.level_text = read_whole(fs::path(QUILLOMAR_SOURCE_DIR) / "levels/01_rolling.txt");
        level as_read;
        std::istringstream in(made.level_text);
        as_read.read_stream(in);
        const play_outcome played = play_route(as_read, plan_route(make_level_grid(as_read)));
        recording r;
        r.level_key = level_key(made.level_text);
        r.steering = played.steering;
        r.frames = played.frames;
        made.recording = format_recording(r);
        made.ticks = static_cast<long>(played.frames.size());
        made.seconds = played.seconds;
        return made;
    }();
    return run;
}

std::string fresh_database(const std::string& kind, std::string& why) {
    static int counter = 0;
    const std::string name = "t" + std::to_string(getpid()) + "_" + std::to_string(counter++);
    if (kind == "sqlite") {
        return "sqlite:" + (scratch("sqlite") / (name + ".db")).string();
    }
    postgresql_cluster& cluster = postgresql_cluster::get();
    if (!cluster.ok()) {
        why = cluster.why();
        return "";
    }
    const std::string server = "postgresql://postgres@127.0.0.1:" + std::to_string(cluster.port());
    const std::string create = "psql -q -d '" + server + "/postgres' -c 'CREATE DATABASE " +
                               name + "' >/dev/null 2>&1";
    if (std::system(create.c_str()) != 0) {
        why = "cannot create a database in the throw-away cluster";
        return "";
    }
    return server + "/" + name;
}

}  // namespace quillomar::test
