// The program's image command on a real X display: the program itself runs under xvfb-run on a copy
// of the demo with a macro that saves the view before and after cutting the demo program
// (SAVE_IMAGE), then ends (EXIT). The pictures must be the view's and must show the cut.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/png_picture.h"
#include "tests/scoped_temp_folder.h"
#include "tests/xvfb_rerun.h"

namespace {

TEST(ImageCommandUnderXvfb, MacroSavesTheViewBeforeAndAfterTheCut)
{
    if (!HasXvfbRun()) GTEST_SKIP() << "xvfb-run is not installed";
    ScopedTempFolder folder{"qumbra_image_"};
    ASSERT_FALSE(folder.path.empty());
    const std::string demo = std::string(QUMBRA_SOURCE_DIR) + "/examples/";
    for (const char* name : {"qumbra.ini", "demo.ttl", "fanuc_demo.ctl", "vmc3.mtl", "pocket.nc"}) {
        ASSERT_EQ(std::system(("cp '" + demo + name + "' '" + folder.path + "/'").c_str()), 0) << name;
    }
    // A lower-case ".png" name is kept; a name without it gets ".PNG".
    FILE* macro = std::fopen(folder.File("shots.mac").c_str(), "wb");
    ASSERT_NE(macro, nullptr);
    std::fputs("# before and after the cut\n"
               "SELECT_NCDATA pocket.nc\n"
               "SAVE_IMAGE \"before.png\"\n"
               "CUT(RESULT)\n"
               "SLEEP 500\n"
               "SAVE_IMAGE $(ncdir)after\n"
               "EXIT\n",
               macro);
    std::fclose(macro);
    std::string lsan = std::string("suppressions=") + QUMBRA_SOURCE_DIR + "/tests/platform/fltk/lsan_suppressions.txt";
    const char* previous = std::getenv("LSAN_OPTIONS");
    if (previous != nullptr && previous[0] != '\0') lsan += std::string(":") + previous;
    lsan += ":exitcode=0";
    const std::string log = folder.File("run.log");
    const std::string command = "cd '" + folder.path + "' && LSAN_OPTIONS='" + lsan +
                                "' timeout 300 xvfb-run -a -s \"-screen 0 1024x768x24\" '" QUMBRA_BINARY
                                "' -Iqumbra.ini \"-D(100,80,0,0,0,-25)\" shots.mac > '" + log + "' 2>&1";
    int status = std::system(command.c_str());
    for (int attempt = 1; attempt < 3 && ReadTextFile(log).find("Xvfb failed to start") != std::string::npos;
         ++attempt) {
        status = std::system(command.c_str());
    }
    const std::string output = ReadTextFile(log);
    ASSERT_TRUE(WIFEXITED(status)) << output;
    EXPECT_EQ(WEXITSTATUS(status), 0) << output;
    EXPECT_EQ(LeakLinesFromOurSources(output, QUMBRA_SOURCE_DIR), "") << output;

    Picture before, after;
    ASSERT_EQ(ReadPng(folder.File("before.png"), &before), 1) << output;
    ASSERT_EQ(ReadPng(folder.File("after.PNG"), &after), 1) << output;
    ASSERT_GT(before.width, 100);
    ASSERT_GT(before.height, 100);
    ASSERT_EQ(before.width, after.width);
    ASSERT_EQ(before.height, after.height);
    // The fitted view shows the work's top face around the middle of the picture, where the pocket is
    // cut; the tool is drawn away from there. The uncut work covers that middle, and the cut changes
    // part of it.
    const int x0 = before.width * 2 / 5, x1 = before.width * 3 / 5;
    const int y0 = before.height * 38 / 100, y1 = before.height * 55 / 100;
    const unsigned char* corner = before.At(before.width - 1, 0);
    long background = 0, changed = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const unsigned char* a = before.At(x, y);
            const unsigned char* b = after.At(x, y);
            if (a[0] == corner[0] && a[1] == corner[1] && a[2] == corner[2]) ++background;
            if (a[0] != b[0] || a[1] != b[1] || a[2] != b[2]) ++changed;
        }
    }
    const long pixels = static_cast<long>(x1 - x0) * (y1 - y0);
    EXPECT_EQ(background, 0);
    EXPECT_GT(changed, pixels / 10);
}

}  // namespace
