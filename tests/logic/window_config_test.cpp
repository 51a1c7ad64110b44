#include <gtest/gtest.h>

#include <sstream>

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

}  // namespace
}  // namespace quillomar
