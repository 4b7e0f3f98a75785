// The definition-file change watch: a changed file is announced and read again with the files that
// depend on it, one message per changed file in the fixed order; a missing file is reported once; the
// program's own MEMORY rewrite, another current folder, a pass already running and a run in progress
// reload nothing. File times are set explicitly, so the tests never wait for the clock.
#include "machine_setup/settings/definition_reload.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/controller/memory_rewrite.h"
#include "machine_setup/controller/offset_memories.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/tools/arbor_file.h"
#include "platform/ui/message_box.h"
#include "platform/ui/shell_services.h"
#include "tests/machine_setup/tool_test_support.h"

namespace {

const char kToolTableChanged[] = "Because the TTL-file has been update, it reads.";
const char kArborChanged[] = "Because the ATL-file has been update, it reads.";
const char kControllerChanged[] = "Because the CTL-file has been update, it reads.";
const char kMachineChanged[] = "Because the MTL-file has been update, it reads.";

int g_Sounds[2];
int g_Titles;

void CountSound(int sound) { g_Sounds[sound == DEFINITION_SOUND_WORK_SET ? 1 : 0]++; }
void CountTitle(WindowHandle) { g_Titles++; }

void SetFileSeconds(const std::string& path, long seconds)
{
    struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

class DefinitionReloadTest : public ::testing::Test {
protected:
    ScopedTempFolder folder;
    std::string previousFolder;
    std::string toolTable, arbor, controller, machine;

    void SetUp() override
    {
        char current[1024];
        ASSERT_NE(getcwd(current, sizeof current), nullptr);
        previousFolder = current;
        ASSERT_EQ(chdir(folder.path.c_str()), 0);
        std::snprintf(g_CurrentFolder, sizeof g_CurrentFolder, "%s/", folder.path.c_str());
        g_EnglishUi = 1;
        g_RunMode = 0;
        ResetToolSettings();
        toolTable = Write("atc.ttl", "ATL = holder.atl\nMAGAZINE 1 FLAT 10, 20\nLENGTH 50\n");
        arbor = Write("holder.atl", "ARBOR 40, 30\n");
        controller = Write("machine.ctl", "MEMORY D01= 1.000000\n");
        machine = Write("machine.mtl", "NAME test machine\n");
        for (const std::string* path : {&toolTable, &arbor, &controller, &machine}) SetFileSeconds(*path, 1000000000);
        std::snprintf(g_ToolTableFilePath, sizeof g_ToolTableFilePath, "%s", toolTable.c_str());
        std::snprintf(g_ControllerFilePath, sizeof g_ControllerFilePath, "%s", controller.c_str());
        std::snprintf(g_MachineFilePath, sizeof g_MachineFilePath, "%s", machine.c_str());
        ReadControllerFile();
        ReadMachineFile(1);
        ASSERT_EQ(ReadToolTableFile(), 1);
        ASSERT_EQ(g_ArborFileStatus, 1);
        ASSERT_EQ(g_ControllerFileStatus, 1);
        ASSERT_EQ(g_MachineFileStatus, 1);
        g_DefinitionReloadHooks = DefinitionReloadHooks{};
        g_DefinitionReloadHooks.playSound = CountSound;
        g_DefinitionReloadHooks.updateMainTitle = CountTitle;
        g_Sounds[0] = g_Sounds[1] = 0;
        g_Titles = 0;
        g_FileWatchState = FILE_WATCH_IDLE;
        ClearShownMessageBoxes();
    }
    void TearDown() override
    {
        g_FileWatchState = FILE_WATCH_OFF;
        g_DefinitionReloadHooks = DefinitionReloadHooks{};
        g_RunMode = 0;
        g_ToolTableFilePath[0] = g_ControllerFilePath[0] = g_MachineFilePath[0] = g_ArborFilePath[0] = '\0';
        g_ToolTableStatus = g_ControllerFileStatus = g_MachineFileStatus = g_ArborFileStatus = 0;
        ClearOffsetMemories();
        ClearShownMessageBoxes();
        ASSERT_EQ(chdir(previousFolder.c_str()), 0);
    }

    std::string Write(const char* name, const std::string& text)
    {
        std::string path = folder.File(name);
        FILE* stream = std::fopen(path.c_str(), "wb");
        EXPECT_NE(stream, nullptr);
        if (stream != nullptr) {
            std::fwrite(text.data(), 1, text.size(), stream);
            std::fclose(stream);
        }
        return path;
    }

    // The texts of the watch's message boxes of one pass.
    std::vector<std::string> Pass()
    {
        ClearShownMessageBoxes();
        CheckDefinitionFilesChanged(nullptr);
        std::vector<std::string> texts;
        for (int k = 0; k < CountShownMessageBoxes(); ++k) {
            ShownMessageBox box;
            if (GetShownMessageBox(k, &box) && std::string(box.caption) == g_ProgramCaption) texts.push_back(box.text);
        }
        return texts;
    }
};

using Texts = std::vector<std::string>;

TEST_F(DefinitionReloadTest, ChangedFilesAreReadAgainInTheFixedOrder)
{
    EXPECT_EQ(Pass(), Texts{});

    // The arbor file alone: the tool table is read again, which reads the arbor file.
    SetFileSeconds(arbor, 1000000100);
    EXPECT_EQ(Pass(), Texts{kArborChanged});
    FileTime arborTime = {0, 0};
    ASSERT_EQ(GetFileLastWriteTime(arbor.c_str(), &arborTime), 1);
    EXPECT_EQ(AreFileTimesEqual(&arborTime, &g_ArborFileTime), 1);
    EXPECT_EQ(g_Sounds[0], 1);
    EXPECT_EQ(g_Titles, 1);
    EXPECT_EQ(Pass(), Texts{});

    // Three files at once: one message each, tool table first. The controller's reload reads the
    // machine too; the machine's own change is still announced.
    Write("machine.mtl", "NAME second machine\n");
    SetFileSeconds(machine, 1000000200);
    SetFileSeconds(toolTable, 1000000200);
    SetFileSeconds(controller, 1000000200);
    EXPECT_EQ(Pass(), (Texts{kToolTableChanged, kControllerChanged, kMachineChanged}));
    EXPECT_STREQ(g_MachineName, "second machine");
    EXPECT_EQ(g_Sounds[1], 2);
    EXPECT_EQ(Pass(), Texts{});
}

TEST_F(DefinitionReloadTest, ControllerChangeReadsTheMachineAndToolTableToo)
{
    Write("machine.mtl", "NAME changed behind the watch\n");
    SetFileSeconds(machine, 1000000000);  // same time: the machine itself is not seen as changed
    SetFileSeconds(controller, 1000000300);
    EXPECT_EQ(Pass(), Texts{kControllerChanged});
    EXPECT_STREQ(g_MachineName, "changed behind the watch");
    EXPECT_EQ(Pass(), Texts{});
}

TEST_F(DefinitionReloadTest, OwnMemoryRewriteIsNotReadAgain)
{
    g_ToolOffsetD[1] = 4.0f;
    g_ToolOffsetMemoryType = TOOL_OFFSET_MEMORY_A;
    ASSERT_EQ(RewriteCtlToolOffsets(TOOL_OFFSET_KIND_D), 1);
    EXPECT_EQ(Pass(), Texts{});
    // An outside edit after the rewrite is.
    SetFileSeconds(controller, 1000000400);
    EXPECT_EQ(Pass(), Texts{kControllerChanged});
}

TEST_F(DefinitionReloadTest, MissingFilesAreReportedOnce)
{
    std::snprintf(g_ToolTableFilePath, sizeof g_ToolTableFilePath, "%s", folder.File("gone.ttl").c_str());
    ReadToolTableFile();
    ASSERT_EQ(g_ToolTableStatus, -1);
    unlink(machine.c_str());
    ReadMachineFile(1);
    ASSERT_EQ(g_MachineFileStatus, -1);
    EXPECT_EQ(Pass(), (Texts{"The TTL-file is not found.", "The MTL-file is not found."}));
    EXPECT_EQ(Pass(), Texts{});
}

TEST_F(DefinitionReloadTest, NoPassOutsideTheStartFolderOrWhileBusy)
{
    SetFileSeconds(toolTable, 1000000500);

    std::string upper = g_CurrentFolder;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    ScopedTempFolder other;
    ASSERT_EQ(chdir(other.path.c_str()), 0);
    EXPECT_EQ(Pass(), Texts{});
    ASSERT_EQ(chdir(folder.path.c_str()), 0);

    g_FileWatchState = FILE_WATCH_RUNNING;
    EXPECT_EQ(Pass(), Texts{});
    g_FileWatchState = FILE_WATCH_IDLE;

    g_RunMode = 1;  // the run's tables are not replaced: the reload waits for its end
    EXPECT_EQ(Pass(), Texts{});
    g_RunMode = 0;
    g_DefinitionReloadHooks.tablesInUse = [] { return 1; };
    EXPECT_EQ(Pass(), Texts{});
    g_DefinitionReloadHooks.tablesInUse = nullptr;

    // The folder comparison ignores case.
    std::snprintf(g_CurrentFolder, sizeof g_CurrentFolder, "%s", upper.c_str());
    EXPECT_EQ(Pass(), Texts{kToolTableChanged});
    EXPECT_EQ(g_FileWatchState, FILE_WATCH_IDLE);
}

}  // namespace
