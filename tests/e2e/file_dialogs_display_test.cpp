// The program's open and save dialogs with the real file chooser on an X display. FileDialogsUnderXvfb
// starts this program again under xvfb-run with QUMBRA_DIALOGS_UNDER_XVFB=1; the FileDialogsOnDisplay
// test runs only there: another thread answers the chooser as a user would, with a file, with OK on
// the proposed name, or with Cancel; the questions the chooser asks take preset answers.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "app/file_dialogs.h"
#include "machine_setup/settings/work_settings.h"
#include "platform/ui/event_core.h"
#include "platform/ui/fltk/fltk_backend.h"
#include "platform/ui/message_box.h"
#include "platform/ui/shell_services.h"
#include "tests/scoped_temp_folder.h"
#include "tests/xvfb_rerun.h"

namespace {

const char kInnerVariable[] = "QUMBRA_DIALOGS_UNDER_XVFB";

TEST(FileDialogsUnderXvfb, RunsTheChooserTests)
{
    if (IsUnderXvfb(kInnerVariable)) GTEST_SKIP() << "this is the run under Xvfb";
    if (!HasXvfbRun()) GTEST_SKIP() << "xvfb-run is not installed";
    CheckTestsUnderXvfb(kInnerVariable, "FileDialogsOnDisplay.*", 1);
}

// --- The inner run -----------------------------------------------------------------------------------

struct ChooserAnswer {
    int accept;
    const char* path;   // null: OK on what the chooser shows
};

intptr_t AnswerOnUiThread(void* context)
{
    const ChooserAnswer* answer = static_cast<const ChooserAnswer*>(context);
    return AnswerFltkChooser(answer->accept, answer->path);
}

// Answers the next chooser that opens, from another thread, as a user would.
std::thread AnswerLater(int accept, std::string path, int usePath)
{
    return std::thread([accept, path, usePath] {
        ChooserAnswer answer = {accept, usePath ? path.c_str() : nullptr};
        for (int tries = 0; tries < 1000; ++tries) {
            if (RunOnUiThread(AnswerOnUiThread, &answer) == 1) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
}

// Ends a chooser nobody answered, so a fault fails the test instead of hanging it.
struct QuitAfter {
    std::atomic<int> cancelled{0};
    std::thread thread;
    explicit QuitAfter(int ms)
    {
        thread = std::thread([this, ms] {
            for (int waited = 0; waited < ms && !cancelled; waited += 10) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            if (!cancelled) PostQuitUiMessage(-99);
        });
    }
    ~QuitAfter()
    {
        cancelled = 1;
        thread.join();
    }
};

void WriteFile(const std::string& path)
{
    std::ofstream(path) << "data\n";
}

TEST(FileDialogsOnDisplay, ChooseOpenAndSaveFiles)
{
    if (!IsUnderXvfb(kInnerVariable)) GTEST_SKIP() << "runs under Xvfb only (FileDialogsUnderXvfb starts it)";
    ASSERT_EQ(OpenFltkDisplay(), 1);
    ASSERT_EQ(StartEventCore(GetFltkBackend()), 1);
    ScopedTempFolder files;
    ASSERT_FALSE(files.path.empty());
    WriteFile(files.File("part.DME"));
    WriteFile(files.File("old.DME"));
    g_EnglishUi = 1;
    ResetFileDialogMemory();
    char folder[FILE_DIALOG_PATH_SIZE];
    char path[FILE_DIALOG_PATH_SIZE] = "";
    std::snprintf(folder, sizeof folder, "%s", files.path.c_str());

    // Open a work file: the name typed without extension finds "part.DME"; the all-work group the
    // chooser started on is handed back.
    {
        QuitAfter guard(15000);
        std::thread user = AnswerLater(1, files.File("part"), 1);
        EXPECT_EQ(ShowOpenDataFileDialog(nullptr, OPEN_WORK, folder, path), 1);
        user.join();
    }
    EXPECT_EQ(std::string(path), files.File("part.DME"));
    EXPECT_EQ(std::string(folder), files.path);
    EXPECT_EQ(g_WorkLoadKind, 4);

    // A missing file is refused with a message and the chooser asks again; Cancel then leaves all.
    PresetMessageBoxAnswer(IDOK);
    {
        QuitAfter guard(15000);
        std::thread user = AnswerLater(1, files.File("missing.DMF"), 1);
        std::thread user2;
        std::thread canceller([&] {
            user.join();
            user2 = AnswerLater(0, "", 0);
        });
        EXPECT_EQ(ShowOpenDataFileDialog(nullptr, OPEN_WORK, folder, path), 0);
        canceller.join();
        user2.join();
    }
    EXPECT_EQ(std::string(path), files.File("part.DME"));
    ShownMessageBox box;
    ASSERT_EQ(GetShownMessageBox(CountShownMessageBoxes() - 1, &box), 1);
    EXPECT_STREQ(box.caption, "Work");

    // Save with the proposed name: it lands in the start folder with the DME group's extension.
    char saveName[FILE_DIALOG_PATH_SIZE];
    std::snprintf(saveName, sizeof saveName, "/elsewhere/new");
    g_ExportInWorkCoordinates = 1;
    {
        QuitAfter guard(15000);
        std::thread user = AnswerLater(1, "", 0);
        EXPECT_EQ(ShowSaveDataFileDialog(nullptr, 1, folder, saveName), 1);
        user.join();
    }
    EXPECT_EQ(std::string(saveName), files.File("new.DME"));
    EXPECT_EQ(g_WorkSaveKind, 1);
    EXPECT_EQ(g_ExportInWorkCoordinates, 1);   // the box kept the setting's tick

    // Saving over an existing file asks first: No goes back to the chooser, Yes takes the file.
    std::snprintf(saveName, sizeof saveName, "old");
    PresetMessageBoxAnswer(IDNO);
    PresetMessageBoxAnswer(IDYES);
    {
        QuitAfter guard(15000);
        std::thread user = AnswerLater(1, "", 0);
        std::thread user2;
        std::thread again([&] {
            user.join();
            user2 = AnswerLater(1, "", 0);
        });
        EXPECT_EQ(ShowSaveDataFileDialog(nullptr, 1, folder, saveName), 1);
        again.join();
        user2.join();
    }
    EXPECT_EQ(std::string(saveName), files.File("old.DME"));
    ASSERT_EQ(GetShownMessageBox(CountShownMessageBoxes() - 1, &box), 1);
    EXPECT_STREQ(box.caption, "Save Work");
    EXPECT_EQ(box.answer, IDYES);

    // The NC program: the chosen file comes back in the pattern buffer, its folder in the folder
    // buffer, and the group the chooser showed is remembered.
    WriteFile(files.File("pocket.nc"));
    char ncFolder[FILE_DIALOG_PATH_SIZE];
    char pattern[NC_PATTERN_SIZE] = "*.nc";
    std::snprintf(ncFolder, sizeof ncFolder, "/");
    g_FileDialogMemory.ncFilterIndex = 1;
    {
        QuitAfter guard(15000);
        std::thread user = AnswerLater(1, files.File("pocket.nc"), 1);
        EXPECT_EQ(ShowOpenNcFileDialog(nullptr, ncFolder, pattern), 1);
        user.join();
    }
    EXPECT_EQ(std::string(pattern), files.File("pocket.nc"));
    EXPECT_EQ(std::string(ncFolder), files.path);
    EXPECT_EQ(g_FileDialogMemory.ncFilterIndex, 1);

    StopEventCore();
    CloseFltkDisplay();
}

}  // namespace
