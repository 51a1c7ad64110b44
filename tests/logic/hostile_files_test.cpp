// Every file the game reads may be anything: each reader meets a FIFO, a link to /dev/zero, a
// folder and a file past its limit, returns at once, and says so in a line naming the file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "framework/window_config.h"
#include "game/game_core.h"
#include "game/level_set.h"
#include "game/recording.h"
#include "level/level.h"
#include "records/records_store.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

namespace fs = std::filesystem;

struct reader_case {
    const char* reader;
    const char* file_name;
    std::size_t limit;
    std::function<void(const std::string& path)> read;
};

enum class hostile { fifo, device, folder, oversized };

void make(hostile kind, const std::string& path, std::size_t limit) {
    switch (kind) {
        case hostile::fifo:
            ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
            break;
        case hostile::device:
            fs::create_symlink("/dev/zero", path);
            break;
        case hostile::folder:
            fs::create_directory(path);
            break;
        case hostile::oversized:
            std::ofstream(path, std::ios::binary) << "";
            fs::resize_file(path, limit + 1);  // sparse: nothing is written
            break;
    }
}

TEST(HostileFiles, EveryReaderRefusesOrBoundsWhatIsNoOrdinaryFileWithOneLineNamingIt) {
    const reader_case readers[] = {
        {"level", "level.txt", level::max_file_bytes,
         [](const std::string& path) { game_core().read_level(path); }},
        {"level set", "order.txt", max_level_set_bytes,
         [](const std::string& path) { load_level_set(path); }},
        {"records", "records.txt", 4u << 20,
         [](const std::string& path) { records_store(fs::path(path).parent_path()).load(); }},
        {"recording", "run.replay", max_recording_bytes,
         [](const std::string& path) { load_recording(path); }},
        {"config", "config.txt", max_window_config_bytes,
         [](const std::string& path) { read_window_config_file(path); }},
    };
    const std::pair<hostile, const char*> kinds[] = {{hostile::fifo, "FIFO"},
                                                     {hostile::device, "character device"},
                                                     {hostile::folder, "folder"},
                                                     {hostile::oversized, "larger"}};
    for (const reader_case& r : readers) {
        for (const auto& [kind, said] : kinds) {
            test::scratch_dir scratch;
            const std::string path = (scratch.path() / r.file_name).string();
            make(kind, path, r.limit);
            EXPECT_EQ(level_key_of_file(path).empty(), kind != hostile::oversized) << r.reader;
            test::stream_capture console;
            r.read(path);
            const std::string where = std::string(r.reader) + " meeting a " + said;
            ASSERT_FALSE(console.lines().empty()) << where;
            EXPECT_NE(console.lines()[0].find(path), std::string::npos) << where << console.text();
            if (kind != hostile::oversized) {
                EXPECT_EQ(console.lines().size(), 1u) << where << console.text();
                EXPECT_NE(console.text().find(said), std::string::npos) << where << console.text();
            }
        }
    }
}

}  // namespace
}  // namespace quillomar
