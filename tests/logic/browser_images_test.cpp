// The browser build decodes images with stb_image, the desktop with FreeImage: on every image
// the game ships both must give the same picture, bottom row first, the browser's in RGBA where
// the desktop's is BGRA (gl_platform's decoded_texel_order).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "render/image_decoder.h"
#include "tests/support/test_support.h"

// The browser's decoder, under another name beside the desktop's.
#define decode_image_pixels decode_image_pixels_with_stb
#include "render/image_decoder_stb.cpp"
#undef decode_image_pixels

namespace quillomar {
namespace {

struct decoded {
    bool ok = false;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> texels;
};

TEST(BrowserImages, EveryShippedImageDecodesToTheDesktopsPicture) {
    int compared = 0;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(test::source_dir() / "Quillomar")) {
        const std::string extension = entry.path().extension().string();
        if (extension != ".png" && extension != ".jpg" && extension != ".jpeg") {
            continue;
        }
        const std::string bytes = test::file_text(entry.path());
        decoded desktop;
        decoded browser;
        desktop.ok = decode_image_pixels(bytes, desktop.width, desktop.height, desktop.texels);
        browser.ok =
            decode_image_pixels_with_stb(bytes, browser.width, browser.height, browser.texels);
        ASSERT_TRUE(desktop.ok && browser.ok) << entry.path();
        ASSERT_EQ(browser.width, desktop.width) << entry.path();
        ASSERT_EQ(browser.height, desktop.height) << entry.path();
        ASSERT_EQ(browser.texels.size(), desktop.texels.size()) << entry.path();
        // PNG is lossless: the same bytes. The two JPEG decoders upsample colour apart: a
        // step or two on average, more on a few texels at sharp edges. A flipped or
        // channel-swapped picture differs far more on average.
        const bool lossless = extension == ".png";
        long total_difference = 0;
        std::size_t far_off = 0;
        for (std::size_t i = 0; i < desktop.texels.size(); i += 4) {
            const int order[4] = {2, 1, 0, 3};  // BGRA from RGBA
            for (int c = 0; c < 4; ++c) {
                const int d =
                    std::abs(int(desktop.texels[i + c]) - int(browser.texels[i + order[c]]));
                total_difference += d;
                far_off += d > 48 ? 1 : 0;
            }
        }
        if (lossless) {
            EXPECT_EQ(total_difference, 0) << entry.path();
        } else {
            EXPECT_LE(total_difference, 2 * long(desktop.texels.size())) << entry.path();
            EXPECT_LE(far_off, desktop.texels.size() / 100) << entry.path();
        }
        ++compared;
    }
    EXPECT_GE(compared, 10);
}

TEST(BrowserImages, BytesThatAreNoImageGiveNothing) {
    for (const std::string& bytes : {std::string(), std::string("\x89PNG\r\n\x1a\n", 8),
                                     std::string(1000, 'x')}) {
        int width = 0;
        int height = 0;
        std::vector<std::uint8_t> texels(4, 1);
        EXPECT_FALSE(decode_image_pixels_with_stb(bytes, width, height, texels));
        EXPECT_TRUE(texels.empty());
    }
}

}  // namespace
}  // namespace quillomar
