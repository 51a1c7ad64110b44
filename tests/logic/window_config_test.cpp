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

TEST(WindowConfig, ShippedFileGivesWindowed1024x768) {
    const window_config config = read_window_config_file(test::source_dir() / "config.txt");
    EXPECT_FALSE(config.fullscreen);
    EXPECT_EQ(config.width, 1024);
    EXPECT_EQ(config.height, 768);
}

TEST(WindowConfig, ReadsWidthAndHeightFromLinesOneAndTwo) {
    const window_config config = parse("nofullscreen\n640\n480\n");
    EXPECT_FALSE(config.fullscreen);
    EXPECT_EQ(config.width, 640);
    EXPECT_EQ(config.height, 480);
}

TEST(WindowConfig, FullscreenAloneSwitchesFullScreenOn) {
    EXPECT_TRUE(parse("fullscreen").fullscreen);
}

TEST(WindowConfig, LaterFullscreenLineOverridesAndStopsReading) {
    const window_config config = parse("nofullscreen\n1024\n768\nfullscreen\n");
    EXPECT_TRUE(config.fullscreen);
    // Reading stops at "fullscreen": a line after it is never read.
    const window_config early = parse("nofullscreen\nfullscreen\n300\n");
    EXPECT_TRUE(early.fullscreen);
    EXPECT_EQ(early.width, 1024);
}

TEST(WindowConfig, JunkFirstLineIsIgnoredAndLineOneStaysTheWidth) {
    const window_config config = parse("window please\n800\n600\n");
    EXPECT_FALSE(config.fullscreen);
    EXPECT_EQ(config.width, 800);
    EXPECT_EQ(config.height, 600);
}

TEST(WindowConfig, NumberFollowedByLettersReadsTheNumber) {
    const window_config config = parse("nofullscreen\n800px\n  600 tall\n");
    EXPECT_EQ(config.width, 800);
    EXPECT_EQ(config.height, 600);
}

TEST(WindowConfig, MissingOrUnreadableNumbersKeepTheDefault) {
    EXPECT_EQ(parse("").width, 1024);
    EXPECT_EQ(parse("nofullscreen\n").height, 768);
    const window_config junk = parse("nofullscreen\nwide\n\n");
    EXPECT_EQ(junk.width, 1024);
    EXPECT_EQ(junk.height, 768);
    const window_config missing = read_window_config_file("/nonexistent/config.txt");
    EXPECT_FALSE(missing.fullscreen);
    EXPECT_EQ(missing.width, 1024);
    EXPECT_EQ(missing.height, 768);
}

TEST(WindowConfig, WindowsLineEndingsWork) {
    EXPECT_TRUE(parse("fullscreen\r\n").fullscreen);
    const window_config config = parse("nofullscreen\r\n1280\r\n720\r\n");
    EXPECT_FALSE(config.fullscreen);
    EXPECT_EQ(config.width, 1280);
    EXPECT_EQ(config.height, 720);
}

TEST(WindowConfig, KeywordsAreComparedExactly) {
    EXPECT_FALSE(parse(" fullscreen\n").fullscreen);
    EXPECT_FALSE(parse("Fullscreen\n").fullscreen);
    EXPECT_FALSE(parse("fullscreen \n").fullscreen);
}

TEST(WindowConfig, SizesOutOfRangeAreBroughtInWithOneLineNamingConfigTxt) {
    // config.txt, the screen's size (0: unknown), the size used.
    const std::tuple<std::string, int, int, std::string> cases[] = {
        {"nofullscreen\n320\n240\n", 320, 240, "320 x 240"},
        {"nofullscreen\n-5\n-7\n", 1280, 1024, "320 x 240"},
        {"nofullscreen\n0\n99999\n", 1280, 1024, "320 x 1024"},
        {"nofullscreen\n99999\n600\n", 0, 0, "8192 x 600"},
        {"nofullscreen\n20000\n20000\n", 16384, 16384, "8192 x 8192"},
        {"nofullscreen\n1024\n768\n", 200, 100, "320 x 240"},
        {"x\n99999999999999999999\n-99999999999999999999\n", 1920, 1080, "1920 x 240"},
        {std::string("\177ELF\n\0\377\n\1", 9), 1280, 1024, "1024 x 768"},
    };
    for (const auto& [text, screen_width, screen_height, used] : cases) {
        window_config config = parse(text);
        const std::string read =
            std::to_string(config.width) + " x " + std::to_string(config.height);
        const std::string line = clamp_window_size(config, screen_width, screen_height);
        EXPECT_EQ(std::to_string(config.width) + " x " + std::to_string(config.height), used);
        EXPECT_EQ(line.empty(), read == used);
        EXPECT_EQ(line.rfind("config.txt: window size " + read + " is out of range (", 0),
                  read == used ? std::string::npos : 0u);
    }
}

}  // namespace
}  // namespace quillomar
