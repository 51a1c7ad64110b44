// The asset tree is generated: running the generators again must give back exactly the files in
// the repository, and every model, image and sound there must come from a generator.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "tests/support/test_support.h"

namespace quillomar {
namespace {

namespace fs = std::filesystem;

// The directories below Quillomar that the generators own; fonts and shaders come from elsewhere.
const char* const generated_directories[] = {"objects", "texture", "sounds"};
const char* const generators[] = {"generate_models", "generate_images", "generate_sounds"};

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::set<std::string> files_below(const fs::path& root) {
    std::set<std::string> result;
    for (const char* directory : generated_directories) {
        if (!fs::exists(root / directory)) {
            continue;
        }
        for (const auto& entry : fs::recursive_directory_iterator(root / directory)) {
            if (entry.is_regular_file()) {
                result.insert(fs::relative(entry.path(), root).generic_string());
            }
        }
    }
    return result;
}

// Runs every generator into a fresh directory and keeps it for the tests of this suite.
class asset_regeneration_test : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        output = new test::scratch_dir();
        for (const char* name : generators) {
            const fs::path program = fs::path(QUILLOMAR_BINARY_DIR) / name;
            if (!fs::exists(program)) {
                failures += std::string(name) + " is not built (build every target first); ";
                continue;
            }
            const std::string command =
                "\"" + program.string() + "\" \"" + output->path().string() + "\" > /dev/null";
            if (std::system(command.c_str()) != 0) {
                failures += std::string(name) + " failed; ";
            }
        }
    }

    static void TearDownTestSuite() {
        delete output;
        output = nullptr;
    }

    static test::scratch_dir* output;
    static std::string failures;
};

test::scratch_dir* asset_regeneration_test::output = nullptr;
std::string asset_regeneration_test::failures;

TEST_F(asset_regeneration_test, every_generator_runs) {
    EXPECT_EQ(failures, "");
}

TEST_F(asset_regeneration_test, generated_files_equal_the_committed_ones_byte_for_byte) {
    const fs::path committed = test::source_dir() / "Quillomar";
    const std::set<std::string> generated = files_below(output->path());
    ASSERT_FALSE(generated.empty());
    for (const std::string& name : generated) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(fs::exists(committed / name)) << "generated but not in the repository";
        const std::string fresh = read_file(output->path() / name);
        const std::string stored = read_file(committed / name);
        EXPECT_EQ(fresh.size(), stored.size());
        EXPECT_TRUE(fresh == stored) << "differs from the repository's file; run the generators "
                                        "from the repository root and commit the result";
    }
}

TEST_F(asset_regeneration_test, every_committed_asset_comes_from_a_generator) {
    const std::set<std::string> generated = files_below(output->path());
    for (const std::string& name : files_below(test::source_dir() / "Quillomar")) {
        EXPECT_EQ(generated.count(name), 1u) << name
                                             << " is in the repository but no generator "
                                                "writes it";
    }
}

// The game opens these by fixed names; the generators must write every one of them.
TEST_F(asset_regeneration_test, the_files_the_game_opens_are_generated) {
    const std::set<std::string> generated = files_below(output->path());
    for (const char* name :
         {"objects/cube/cube.obj", "objects/sphere/sphere.obj", "objects/item/item.obj",
          "objects/spider_old/spider.obj", "texture/start.jpeg", "texture/finish.jpg",
          "sounds/loop.wav", "sounds/winning.wav"}) {
        EXPECT_EQ(generated.count(name), 1u) << name;
    }
}

// Fonts and shaders included: the whole tree ships beside the program.
TEST_F(asset_regeneration_test, the_whole_asset_tree_stays_under_five_megabytes) {
    std::uintmax_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(test::source_dir() / "Quillomar")) {
        if (entry.is_regular_file()) {
            total += entry.file_size();
        }
    }
    EXPECT_LT(total, 5u * 1024u * 1024u);
}

}  // namespace
}  // namespace quillomar
