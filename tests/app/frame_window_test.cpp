// The frame on the headless event core: its children and status-bar parts, the title, drops reaching
// the commands they name in their fixed order, the wait for the automation thread, shut-down once, and
// whole runs of the program without a display (they end by themselves with their exit code).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app_test_support.h"
#include "app/automation.h"
#include "app/command_line.h"
#include "app/frame_window.h"
#include "app/message_file.h"
#include "app/startup.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/settings/settings_file.h"
#include "platform/ui/shell_services.h"
#include "machine_setup/settings/work_settings.h"
#include "nc/interpreter_state.h"
#include "platform/os/clock.h"
#include "platform/os/files.h"
#include "platform/ui/cursor_clipboard.h"
#include "platform/ui/event_core.h"
#include "platform/ui/menu.h"
#include "platform/ui/progress.h"
#include "platform/ui/status_bar.h"
#include "resources/menu_resources.h"

namespace {

void ResetShell()
{
    ResetFrameState();
    ResetCommandLineRequests();
    ResetMessageFileTexts();
    g_SilentMode = 0;
    g_EnglishUi = 0;
    g_RunMode = 0;
    g_FileNamePreset = 0;
    g_AutomationThread = nullptr;
}

class Frame : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetShell();
        std::snprintf(g_IniFilePath, sizeof g_IniFilePath, "%s", folder.File("qumbra.ini").c_str());
        ASSERT_EQ(StartEventCore(nullptr), 1);
    }
    void TearDown() override
    {
        StopEventCore();
        ResetShell();
    }
    WindowHandle CreateFrame(int width = 1000, int height = 700)
    {
        const UiRect rect = {0, 0, width, height};
        g_MainWindow = CreateUiWindow("QUMBRA5000", "", MainWindowProc, nullptr, 0, &rect,
                                      reinterpret_cast<intptr_t>(LoadMenuResource(MENU_MAIN)));
        return g_MainWindow;
    }
    TempFolder folder;
};

TEST_F(Frame, CreationMakesMenuStatusBarAndViewChild)
{
    WindowHandle frame = CreateFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(g_FrameCreated, 1);
    EXPECT_EQ(g_ViewCreated, 1);
    char caption[128];
    GetUiMenuItemCaption(g_MainMenu, 0, MF_BYPOSITION, caption, sizeof caption);
    EXPECT_STREQ(caption, "NCデータ(&N)");
    ASSERT_NE(g_StatusBarWindow, nullptr);
    int parts[16];
    EXPECT_EQ(GetStatusBarParts(g_StatusBarWindow, parts, 16), STATUS_BAR_PART_COUNT);
    ASSERT_NE(g_ViewWindow, nullptr);
    EXPECT_EQ(GetUiWindowParent(g_ViewWindow), frame);
    EXPECT_NE(g_ProgressBar, nullptr);
    EXPECT_NE(g_ProgressBar2, nullptr);
    EXPECT_EQ(IsUiWindowVisible(g_ViewWindow), 1);
    UiRect view;
    GetUiWindowRect(g_ViewWindow, &view);
    EXPECT_EQ(view.right - view.left, g_ViewportWidth);
    EXPECT_GT(g_ViewportHeight, 0);
}

TEST_F(Frame, PaintDuringLongWorkKeepsItsProgressAndAClickWaits)
{
    WindowHandle frame = CreateFrame();
    ASSERT_NE(frame, nullptr);
    ShowUiWindow(frame, SW_SHOW);
    BeginProgress(frame, 1, 100, nullptr, 1, "WORK読み込み中", "Reading WORK");
    ProgressBarState bar = {};
    GetProgressBarState(g_ProgressBar, &bar);
    EXPECT_EQ(bar.shown, 1);
    // The long work pumps: the frame is painted, the click stays queued, the progress goes on.
    PostUiMessage(frame, WM_COMMAND, 105, 0);
    InvalidateUiWindow(frame, 1);
    ResetPumpTimes();
    PumpMessagesDuringWorkAt(100000);
    EXPECT_EQ(IsUiWindowInvalid(frame), 0);
    EXPECT_EQ(IsUiWindow(frame), 1) << "the exit command waits for the work to end";
    EXPECT_EQ(CountQueuedUiMessages(), 1);
    EXPECT_EQ(GetProgressSnapshot().active, 1);
    GetProgressBarState(g_ProgressBar, &bar);
    EXPECT_EQ(bar.shown, 1);
    EXPECT_EQ(GetUiCursor(), IDC_WAIT);
    // After the work, an ordinary paint ends the progress of an idle frame.
    SendUiMessage(frame, WM_PAINT, 0, 0);
    EXPECT_EQ(GetProgressSnapshot().active, 0);
    ResetPumpTimes();
}

TEST_F(Frame, StatusBarPartsFollowTheClientWidth)
{
    int parts[STATUS_BAR_PART_COUNT];
    ComputeStatusBarParts(990, parts);
    const int wide[] = {140, 190, 290, 390, 490, 590, 690, 790, 890, -1};
    for (int i = 0; i < STATUS_BAR_PART_COUNT; ++i) EXPECT_EQ(parts[i], wide[i]) << i;
    ComputeStatusBarParts(100, parts);
    const int narrow[] = {140, 190, 179, 168, 157, 145, 134, 123, 112, -1};
    for (int i = 0; i < STATUS_BAR_PART_COUNT; ++i) EXPECT_EQ(parts[i], narrow[i]) << i;
    WindowHandle frame = CreateFrame();
    MoveUiWindow(frame, 0, 0, 990, 600);
    int shown[16];
    ASSERT_EQ(GetStatusBarParts(g_StatusBarWindow, shown, 16), STATUS_BAR_PART_COUNT);
    UiRect client;
    GetUiClientRect(frame, &client);
    ComputeStatusBarParts(client.right, parts);
    for (int i = 0; i < STATUS_BAR_PART_COUNT; ++i) EXPECT_EQ(shown[i], parts[i]) << i;
}

TEST_F(Frame, TitleNamesMachineFilesRunAndChecks)
{
    std::snprintf(g_MachineName, sizeof g_MachineName, "VMC3");
    std::snprintf(g_ToolTableFilePath, sizeof g_ToolTableFilePath, "/d/demo.ttl");
    std::snprintf(g_ControllerFilePath, sizeof g_ControllerFilePath, "/d/fanuc.ctl");
    std::snprintf(g_MachineFilePath, sizeof g_MachineFilePath, "/d/vmc3.mtl");
    g_InterferenceCheck = 2;
    g_ArborCheck = 2;
    g_HeightCheck = 1;
    g_ChipWidthCheck = 0;
    char title[FRAME_TITLE_SIZE];
    ComposeMainTitle(title, sizeof title);
    EXPECT_STREQ(title, "VMC3 - NCデータ未選択(demo,fanuc,vmc3) 干渉チェック-SCON");
    g_EnglishUi = 1;
    g_NcSelected = 1;
    std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "/n/pocket.nc");
    std::snprintf(g_WorkFilePath, sizeof g_WorkFilePath, "/w/block.dme");
    g_RunMode = 1;
    g_SkipView = 7;
    ComposeMainTitle(title, sizeof title);
    EXPECT_STREQ(title, "VMC3 - pocket.nc/block.dme(demo,fanuc,vmc3) - Cutting : Real:7Check-SCON");
    char small[12];
    ComposeMainTitle(small, sizeof small);   // bounded
    EXPECT_STREQ(small, "VMC3 - pock");
    g_RunMode = 0;
    g_NcSelected = 0;
    g_NcFilePath[0] = g_WorkFilePath[0] = '\0';
    g_InterferenceCheck = g_ArborCheck = g_HeightCheck = 0;
}

// A frame stand-in that records the commands a drop sends and the preset names at that moment.
struct SentCommand {
    int id;
    int preset;
    std::string path;
};
std::vector<SentCommand> g_Sent;

intptr_t RecordingFrameProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam)
{
    if (message != WM_COMMAND) return DefaultWindowProc(window, message, wParam, lParam);
    const int id = static_cast<int>(LowWord(wParam));
    const char* path = id == 32783 ? g_MachineFilePath : id == 32782 ? g_ControllerFilePath
                     : id == 32781 ? g_ToolTableFilePath : id == 32784 ? g_WorkFilePath
                     : id == 32851 ? g_BasicModelPath : g_NcFilePath;
    g_Sent.push_back({id, g_FileNamePreset, path});
    g_FileNamePreset = 0;
    return 0;
}

TEST_F(Frame, DroppedFilesReachTheirCommandsInFixedOrder)
{
    WindowHandle frame = CreateUiWindow("drop", "", RecordingFrameProc, nullptr, 0, nullptr, 0);
    const char* names[] = {"/x/prog.nc", "/x/work.DMEZ", "/x/tools.TTL", "/x/first.mtl", "/x/second.mtl",
                           "/x/fanuc.ctl", "/x/other.nc"};
    g_Sent.clear();
    HandleDroppedFiles(frame, DropUiFiles(frame, names, 7));
    ASSERT_EQ(g_Sent.size(), 5u);
    const int ids[] = {32783, 32782, 32781, 32784, 32771};
    const char* paths[] = {"/x/first.mtl", "/x/fanuc.ctl", "/x/tools.TTL", "/x/work.DMEZ", "/x/prog.nc"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(g_Sent[i].id, ids[i]);
        EXPECT_EQ(g_Sent[i].preset, 1);
        EXPECT_EQ(g_Sent[i].path, paths[i]);
    }
    EXPECT_EQ(g_DropLoadedWork, 0);

    // An STL with Ctrl held is the basic model, only while a work exists.
    const char* stl[] = {"/x/base.stl"};
    SetUiKeyState(VK_CONTROL, 1);
    g_Sent.clear();
    g_WorkDefined = 0;
    HandleDroppedFiles(frame, DropUiFiles(frame, stl, 1));
    EXPECT_TRUE(g_Sent.empty());
    g_WorkDefined = 1;
    HandleDroppedFiles(frame, DropUiFiles(frame, stl, 1));
    ASSERT_EQ(g_Sent.size(), 1u);
    EXPECT_EQ(g_Sent[0].id, 32851);
    EXPECT_EQ(g_Sent[0].path, "/x/base.stl");
    SetUiKeyState(VK_CONTROL, 0);
    g_WorkDefined = 0;
    g_BasicModelPath[0] = '\0';

    // An overlong name is left out rather than cut.
    const std::string longName = "/x/" + std::string(300, 'n') + ".nc";
    const char* longNames[] = {longName.c_str()};
    g_Sent.clear();
    HandleDroppedFiles(frame, DropUiFiles(frame, longNames, 1));
    EXPECT_TRUE(g_Sent.empty());
    DestroyUiWindow(frame);
}

TEST_F(Frame, AutomationFinishedWaitsForTheThreadWhileServingItsSends)
{
    WindowHandle frame = CreateFrame();
    std::atomic<int> sendReturned{0};
    struct Context {
        WindowHandle frame;
        std::atomic<int>* sendReturned;
    } context = {frame, &sendReturned};
    auto procedure = [](void* argument) -> int {
        Context* c = static_cast<Context*>(argument);
        PostUiMessage(c->frame, WM_AUTOMATION_FINISHED, 0, 0);
        SleepMs(100);   // the frame is already waiting for this thread now
        SendUiMessage(c->frame, WM_COMMAND, 32853, 0);
        *c->sendReturned = 1;
        return 0;
    };
    g_AutomationThread = StartThread(procedure, &context, 0);
    ASSERT_NE(g_AutomationThread, nullptr);
    int exitCode = 99;
    for (int i = 0; i < 2000 && RunUiLoopOnce(5, 1, &exitCode) >= 0; ++i) {
    }
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(sendReturned.load(), 1);
    EXPECT_EQ(IsUiWindow(frame), 0);
    EXPECT_EQ(g_FrameDestroyed, 1);
    // A late end-of-automation or destroy does nothing once the frame is gone.
    EXPECT_EQ(MainWindowProc(frame, WM_AUTOMATION_FINISHED, 0, 0), 0);
    std::remove(g_IniFilePath);
    EXPECT_EQ(MainWindowProc(frame, WM_DESTROY, 0, 0), 0);
    EXPECT_EQ(DoesFileExist(g_IniFilePath), 0);   // the settings were saved once, not again
    JoinThread(g_AutomationThread, nullptr);
    g_AutomationThread = nullptr;
}

TEST_F(Frame, ShutDownSavesSettingsUnlessSilent)
{
    WindowHandle frame = CreateFrame();
    SendUiMessage(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(IsUiWindow(frame), 0);
    EXPECT_EQ(DoesFileExist(g_IniFilePath), 1);
    std::remove(g_IniFilePath);
    ResetFrameState();
    g_SilentMode = 1;
    frame = CreateFrame();
    SendUiMessage(frame, WM_COMMAND, 105, 0);
    EXPECT_EQ(IsUiWindow(frame), 0);
    EXPECT_EQ(DoesFileExist(g_IniFilePath), 0);
}

// --- Whole runs without a display -----------------------------------------------------------------

const UiBackend* NoDisplay(int) { return nullptr; }

// Runs the program on its own thread (it owns the event core there) and waits at most 20 s.
int RunWholeProgram(const std::string& line)
{
    std::atomic<int> done{0};
    int exitCode = -99;
    std::thread run([&] {
        exitCode = RunProgram(line.c_str(), SW_SHOWNORMAL, NoDisplay);
        done = 1;
    });
    for (int i = 0; i < 2000 && !done; ++i) SleepMs(10);
    if (!done) PostQuitUiMessage(-98);
    run.join();
    return exitCode;
}

TEST(WholeRun, EndsByItselfWithoutADisplay)
{
    ResetShell();
    TempFolder folder;
    InFolder in(folder.path);
    const std::string demo = std::string(QUMBRA_SOURCE_DIR) + "/examples/";
    const std::string files = "-I" + folder.File("qumbra.ini") + " " + demo + "demo.ttl " + demo +
                              "fanuc_demo.ctl " + demo + "vmc3.mtl";
    EXPECT_EQ(RunWholeProgram(files), 0);                        // no display: runs without windows
    EXPECT_EQ(g_SilentMode, 1);
    EXPECT_EQ(DoesFileExist(folder.File("qumbra.ini").c_str()), 0);
    ResetShell();
    EXPECT_EQ(RunWholeProgram(files + " " + demo + "pocket.nc -X6"), 0);   // a silent batch run
    EXPECT_EQ(g_FrameDestroyed, 1);
    ResetShell();
}

}  // namespace

namespace {

TEST(FrameKeys, WheelStepsFollowTheDelta)
{
    EXPECT_EQ(ComputeWheelZoomSteps(240, 0), 2);
    EXPECT_EQ(ComputeWheelZoomSteps(121, 0), 1);
    EXPECT_EQ(ComputeWheelZoomSteps(60, 0), 1);
    EXPECT_EQ(ComputeWheelZoomSteps(-60, 0), -1);
    EXPECT_EQ(ComputeWheelZoomSteps(0, 0), -1);
    EXPECT_EQ(ComputeWheelZoomSteps(-360, 0), -3);
    EXPECT_EQ(ComputeWheelZoomSteps(240, 1), -2);
}

TEST_F(Frame, KeysChangeRunModeSkipsAndReachTheView)
{
    WindowHandle frame = CreateFrame();
    auto key = [frame](int vk) { SendUiMessage(frame, WM_KEYDOWN, static_cast<uintptr_t>(vk), 0); };
    g_NcSelected = 1;
    g_RunMode = 0;
    key(VK_TAB);
    EXPECT_EQ(g_RunMode, 0);   // an idle program is never switched
    g_RunMode = 3;
    key(VK_TAB);
    EXPECT_EQ(g_RunMode, 3);
    g_RunMode = 1;
    SetUiKeyState(VK_SHIFT, 1);
    key(VK_TAB);
    EXPECT_EQ(g_RunMode, 1);
    SetUiKeyState(VK_SHIFT, 0);
    key(VK_TAB);
    EXPECT_EQ(g_RunMode, 2);
    g_RunMode = 1;
    g_SkipView = 1;
    key(VK_LEFT);
    EXPECT_EQ(g_SkipView, 1);
    key(VK_RIGHT);
    EXPECT_EQ(g_SkipView, 2);
    char title[FRAME_TITLE_SIZE];
    GetUiWindowText(frame, title, sizeof title);
    EXPECT_NE(std::string(title).find("実切削:2"), std::string::npos) << title;
    g_RunMode = 0;
    g_SkipView = 1;
    // F5 posts the run command; a letter goes on to the view; F8 without its plug-in is ignored.
    while (RunUiLoopOnce(0, 0, nullptr) > 0) {
    }
    key(VK_F5);
    key('H');
    key(VK_F8);
    EXPECT_EQ(CountQueuedUiMessages(), 2);
    g_NcSelected = 0;
    key(VK_F5);
    EXPECT_EQ(CountQueuedUiMessages(), 2);
}

}  // namespace

namespace {

TEST(FrameStartUp, SavedRectangleIsCheckedOnOneMonitorOnly)
{
    const int saveDisplay = g_SaveDisplay;
    g_SaveDisplay = 1;
    struct RectCase {
        int x, y, width, height;
        int oneMonitor;
    };
    const RectCase cases[] = {
        {10, 10, 800, 600, 1}, {10, 10, 0, 600, 0}, {-900, 10, 800, 600, 0}, {10, -700, 800, 600, 0},
        {1100, 10, 100, 100, 0}, {10, 10, 2000, 600, 0},
    };
    for (const RectCase& c : cases) {
        g_WindowX = c.x;
        g_WindowY = c.y;
        g_WindowWidth = c.width;
        g_WindowHeight = c.height;
        EXPECT_EQ(AcceptSavedFrameRectangle(1, 1024, 768), c.oneMonitor) << c.x << "," << c.width;
        EXPECT_EQ(AcceptSavedFrameRectangle(2, 1024, 768), 1);
    }
    g_SaveDisplay = 0;
    g_CmdWindowRectGiven = 0;
    EXPECT_EQ(AcceptSavedFrameRectangle(1, 1024, 768), 0);   // neither saved nor given
    g_SaveDisplay = saveDisplay;
}

TEST_F(Frame, NoMenuSwitchAndSilentStart)
{
    g_CmdNoMenu = 1;
    RegisterMainWindowClass();
    ASSERT_EQ(CreateMainWindow(SW_SHOWNORMAL), 1);
    EXPECT_EQ(GetUiWindowMenu(g_MainWindow), nullptr);
    EXPECT_EQ(IsUiWindowMinimised(g_MainWindow), 0);
    DestroyUiWindow(g_MainWindow);
    ResetShell();
    g_SilentMode = 1;
    RegisterMainWindowClass();
    ASSERT_EQ(CreateMainWindow(SW_SHOWNORMAL), 1);
    EXPECT_NE(GetUiWindowMenu(g_MainWindow), nullptr);
    EXPECT_EQ(IsUiWindowMinimised(g_MainWindow), 1);
    EXPECT_EQ(g_StatusBarWindow, nullptr);   // silent: no panels, no status bar
    DestroyUiWindow(g_MainWindow);
}

}  // namespace
