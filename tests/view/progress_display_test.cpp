// The progress of an NC input: by the file's size, by the program held in memory, not at all with a
// reader plug-in that cannot count its blocks; the in-memory sub-program's length for the sub-file bar.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine_setup_state.h"
#include "nc/interpreter_state.h"
#include "platform/ui/progress.h"
#include "view/progress_display.h"

namespace {

TEST(NcProgress, UnitFollowsTheNcInput)
{
    InstallProgressDisplayHooks();
    char path[] = "/tmp/qumbra_ncprogress_XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "G01 X1.\nG01 X2.\n", 16), 16);
    close(fd);
    g_ActiveReaderPlugin = -1;
    g_RunFromMemory = 0;
    BeginNcProgress(nullptr, path, "切削", "Cut");
    EXPECT_EQ(GetProgressSnapshot().total, 16u);
    AddProgress(16);
    UpdateNcProgress(0);
    EXPECT_EQ(GetProgressSnapshot().perMille, 1000);
    EndNcProgress();
    EXPECT_EQ(GetProgressSnapshot().active, 0);
    // The program held in memory with sub-programs: its length.
    char program[] = "O1\nM98P2\nM30\n";
    g_ProgramText = program;
    g_RunFromMemory = 1;
    g_MemorySubprogramCount = 1;
    BeginNcProgress(nullptr, path, "切削", "Cut");
    EXPECT_EQ(GetProgressSnapshot().total, std::strlen(program));
    EndNcProgress();
    // An in-memory sub-program gives the sub-file channel its length.
    int32_t lengths[1] = {321};
    g_MemorySubprogramLengths = lengths;
    g_SubprogramDepth = 1;
    g_SubprogramInMemory[0] = 1;
    g_SubprogramIndex[0] = 0;
    BeginSubprogramProgress(nullptr, path);
    EXPECT_EQ(g_Progress.subTotal, 321u);
    g_SubprogramInMemory[0] = 0;
    BeginSubprogramProgress(nullptr, path);
    EXPECT_EQ(g_Progress.subTotal, 16u);
    g_SubprogramDepth = 0;
    g_MemorySubprogramLengths = nullptr;
    g_ProgramText = nullptr;
    g_RunFromMemory = 0;
    g_MemorySubprogramCount = 0;
    // A reader plug-in without a block total: no main progress at all.
    g_ActiveReaderPlugin = 0;
    BeginNcProgress(nullptr, path, "切削", "Cut");
    EXPECT_EQ(GetProgressSnapshot().active, 0);
    g_ActiveReaderPlugin = -1;
    std::remove(path);
}

}  // namespace
