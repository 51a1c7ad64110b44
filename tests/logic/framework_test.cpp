// What the framework reads: config.txt's window settings and the assets' paths.
#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "framework/window_config.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

window_config parse(const std::string& text) {
    std::istringstream in(text);
    return read_window_config(in);
}

std::string described(const window_config& c) {
    return (c.fullscreen ? "full " : "") + std::to_string(c.width) + " x " +
           std::to_string(c.height);
}

TEST(WindowConfig, LinesOneAndTwoAreTheSizeAndAnExactFullscreenLineEndsTheReading) {
    const std::pair<std::string, std::string> cases[] = {
        {"nofullscreen\n640\n480\n", "640 x 480"},
        {"fullscreen\r\n", "full 1024 x 768"},
        {"x\nfullscreen\n300\n", "full 1024 x 768"},
        {"x\n800px\n  600 tall\n", "800 x 600"},
        {"", "1024 x 768"},
        {"nofullscreen\nwide\n\n", "1024 x 768"},
        {" fullscreen\n", "1024 x 768"},
        {"fullscreen \n", "1024 x 768"},
        {"fullscreen\nnofullscreen\n", "full 1024 x 768"}};
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(described(parse(text)), expected) << text;
    }
    EXPECT_EQ(described(read_window_config_file("/nonexistent/config.txt")), "1024 x 768");
}

TEST(WindowConfig, SizesOutOfRangeAreBroughtInWithOneLineNamingConfigTxt) {
    // config.txt, the screen's size (0: unknown), the size used.
    const std::tuple<std::string, int, int, std::string> cases[] = {
        {"x\n320\n240\n", 320, 240, "320 x 240"},
        {"x\n-5\n-7\n", 1280, 1024, "320 x 240"},
        {"x\n0\n99999\n", 1280, 1024, "320 x 1024"},
        {"x\n99999\n600\n", 0, 0, "8192 x 600"},
        {"x\n20000\n20000\n", 16384, 16384, "8192 x 8192"},
        {"x\n1024\n768\n", 200, 100, "320 x 240"},
        {"x\n99999999999999999999\n-99999999999999999999\n", 1920, 1080, "1920 x 240"},
        {std::string("\177ELF\n\0\377\n\1", 9), 1280, 1024, "1024 x 768"},
    };
    for (const auto& [text, screen_width, screen_height, used] : cases) {
        window_config config = parse(text);
        const std::string read = described(config);  // as config.txt asked
        const std::string line = clamp_window_size(config, screen_width, screen_height);
        EXPECT_EQ(described(config), used);
        EXPECT_EQ(line.empty(), read == used);
        EXPECT_EQ(line.rfind("config.txt: window size " + read + " is out of range (", 0),
                  read == used ? std::string::npos : 0u);
    }
}

}  // namespace
}  // namespace quillomar
