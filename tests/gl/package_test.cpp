// The Debian package made from the build holds the game and every file a desktop needs to
// offer it, where Debian looks for them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/support/test_support.h"

namespace quillomar {
namespace {

int run(const std::string& command) {
    return std::system(command.c_str());
}

TEST(DebianPackage, HoldsTheGameItsDataAndItsDesktopFiles) {
    if (run("command -v dpkg-deb cpack dpkg-shlibdeps >/dev/null") != 0) {
        GTEST_SKIP() << "needs dpkg-deb, dpkg-shlibdeps (dpkg-dev) and cpack";
    }
    test::scratch_dir scratch;
    const std::string folder = scratch.path().string();
    ASSERT_EQ(run("cpack -G DEB --config " QUILLOMAR_BINARY_DIR "/CPackConfig.cmake -B " +
                  folder + " >" + folder + "/cpack.log 2>&1"),
              0);
    ASSERT_EQ(run("dpkg-deb -c " + folder + "/quillomar_*.deb >" + folder + "/list.txt && " +
                  "dpkg-deb -f " + folder + "/quillomar_*.deb Depends Section >>" + folder +
                  "/list.txt"),
              0);
    std::stringstream list;
    list << std::ifstream(folder + "/list.txt").rdbuf();
    for (const char* expected :
         {"./usr/games/quillomar", "./usr/bin/quillomar -> ../games/quillomar",
          "./usr/share/applications/org.quillomar.Quillomar.desktop",
          "./usr/share/icons/hicolor/256x256/apps/org.quillomar.Quillomar.png",
          "./usr/share/metainfo/org.quillomar.Quillomar.metainfo.xml",
          "./usr/share/man/man6/quillomar.6.gz", "./usr/share/doc/quillomar/copyright",
          "./usr/share/quillomar/level.txt", "./usr/share/quillomar/Quillomar/fonts/georgia.ttf",
          "Depends: ", "libbullet", "Section: games"}) {
        EXPECT_NE(list.str().find(expected), std::string::npos) << expected << "\n" << list.str();
    }
}

}  // namespace
}  // namespace quillomar
