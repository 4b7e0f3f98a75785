// The models the backend shows: status bar and progress bars, panel cells drawn from any thread and
// drawn by the UI thread, message boxes (silent defaults, presets, a real box that serves sends),
// file and colour dialogs, cursors, the clipboard image and dropped files.
#include <cstring>
#include <string>
#include "platform/ui/cursor_clipboard.h"
#include "platform/ui/message_box.h"
#include "platform/ui/panel_cells.h"
#include "platform/ui/status_bar.h"
#include "platform/ui/ui_backend.h"
#include "tests/platform/ui_test_support.h"

namespace {

// A backend that records what it is told, and on which thread.
struct BackendLog {
    std::mutex lock;
    std::vector<std::pair<WindowHandle, unsigned>> changes;
    std::vector<std::thread::id> threads;
    std::atomic<int> closeBox{0};
    std::atomic<int> boxesShown{0};
};
BackendLog* g_Backend = nullptr;

void RecordChange(WindowHandle window, unsigned what, int detail) {
    (void)detail;
    std::lock_guard<std::mutex> guard(g_Backend->lock);
    g_Backend->changes.emplace_back(window, what);
    g_Backend->threads.push_back(std::this_thread::get_id());
}

// A "real" message box: waits, serving the core, until another thread asks it to close.
int ShowWaitingBox(WindowHandle owner, const char* text, const char* caption, unsigned style) {
    (void)owner;
    (void)text;
    (void)caption;
    (void)style;
    ++g_Backend->boxesShown;
    uint64_t end = TestNowMs() + 3000;
    while (!g_Backend->closeBox && TestNowMs() < end) RunUiLoopOnce(5, 1, nullptr);
    return g_Backend->closeBox ? IDNO : IDCANCEL;
}

UiBackend MakeRecordingBackend() {
    UiBackend backend = {};
    backend.name = "recording";
    backend.windowChanged = RecordChange;
    backend.showMessageBox = ShowWaitingBox;
    return backend;
}

intptr_t FrameProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    if (message == WM_USER) {   // the automation thread's command while a box is open
        g_Backend->closeBox = 1;
        return 11;
    }
    return DefaultWindowProc(window, message, wParam, lParam);
}

class ModelsTest : public ::testing::Test {
protected:
    BackendLog log;
    UiBackend backend = MakeRecordingBackend();
    WindowHandle frame = nullptr;
    void SetUp() override {
        g_Backend = &log;
        g_UiSettings.unattended = 0;
        g_UiSettings.logHook = nullptr;
        ASSERT_EQ(StartEventCore(&backend), 1);
        UiRect rect = {0, 0, 990, 600};
        frame = CreateUiWindow("QUMBRA5000", "", FrameProc, nullptr, WS_VISIBLE, &rect, 0);
    }
    void TearDown() override {
        StopEventCore();
        g_UiSettings.unattended = 0;
        g_UiSettings.logHook = nullptr;
        g_Backend = nullptr;
    }
    bool SawChange(WindowHandle window, unsigned what) {
        std::lock_guard<std::mutex> guard(log.lock);
        for (auto& c : log.changes) {
            if (c.first == window && (c.second & what) != 0) return true;
        }
        return false;
    }
    bool AllChangesOnThisThread() {
        std::lock_guard<std::mutex> guard(log.lock);
        for (auto& t : log.threads) {
            if (t != std::this_thread::get_id()) return false;
        }
        return true;
    }
};

TEST_F(ModelsTest, StatusBarPartsTextsAndRectangles) {
    WindowHandle bar = CreateStatusBar(frame, 20);
    ASSERT_NE(bar, nullptr);
    UiRect rect;
    GetUiWindowRect(bar, &rect);
    EXPECT_EQ(rect.top, 580);
    EXPECT_EQ(rect.right, 990);
    const int edges[10] = {140, 190, 290, 390, 490, 590, 690, 790, 890, -1};
    EXPECT_EQ(SetStatusBarParts(bar, 10, edges), 1);
    int read[16];
    EXPECT_EQ(GetStatusBarParts(bar, read, 16), 10);
    EXPECT_EQ(read[9], -1);
    ASSERT_EQ(GetStatusBarPartRect(bar, 2, &rect), 1);
    EXPECT_EQ(rect.left, 190);
    EXPECT_EQ(rect.right, 290);
    GetStatusBarPartRect(bar, 9, &rect);
    EXPECT_EQ(rect.right, 990);
    EXPECT_EQ(GetStatusBarPartRect(bar, 10, &rect), 0);

    // The simulation thread writes a part; the UI thread shows it.
    std::thread worker([&] { SetStatusBarPartText(bar, 3, "干渉 STOP", SBT_POPOUT); });
    worker.join();
    EXPECT_TRUE(RunLoopUntil([&] { return SawChange(bar, UI_CHANGE_STATUS); }, 1000));
    EXPECT_TRUE(AllChangesOnThisThread());
    char text[32];
    int style = -1;
    EXPECT_EQ(GetStatusBarPartText(bar, 3, text, sizeof(text), &style), static_cast<int>(std::strlen("干渉 STOP")));
    EXPECT_STREQ(text, "干渉 STOP");
    EXPECT_EQ(style, SBT_POPOUT);
    EXPECT_EQ(GetStatusBarPartText(bar, 99, text, sizeof(text), nullptr), -1);

    // The frame forwards its WM_SIZE: the bar follows the new size.
    MoveUiWindow(frame, 0, 0, 800, 500);
    SendUiMessage(bar, WM_SIZE, 0, 0);
    GetUiWindowRect(bar, &rect);
    EXPECT_EQ(rect.top, 480);
    EXPECT_EQ(rect.right, 800);
}

TEST_F(ModelsTest, ProgressBarsKeepRangePositionAndVisibility) {
    WindowHandle bar = CreateStatusBar(frame, 20);
    UiRect part;
    GetStatusBarPartRect(bar, 0, &part);
    WindowHandle progress = CreateProgressBar(bar, &part, "ProgressBar");
    ProgressBarState state;
    ASSERT_EQ(GetProgressBarState(progress, &state), 1);
    EXPECT_EQ(state.shown, 0);
    SetProgressRange(progress, 0, 1001);
    SetProgressStep(progress, 1);
    EXPECT_EQ(SetProgressPosition(progress, 10), 0);
    EXPECT_EQ(SetProgressPosition(progress, 0), 10);
    SetProgressPosition(progress, 5000);   // kept inside the range
    ShowUiWindow(progress, SW_SHOW);
    GetProgressBarState(progress, &state);
    EXPECT_EQ(state.position, 1001);
    EXPECT_EQ(state.maximum, 1001);
    EXPECT_EQ(state.shown, 1);
    StepProgress(progress);                 // past the end: back to the start
    GetProgressBarState(progress, &state);
    EXPECT_EQ(state.position, 0);
    EXPECT_EQ(GetProgressBarState(frame, &state), 0);
    EXPECT_TRUE(SawChange(progress, UI_CHANGE_PROGRESS));
    EXPECT_TRUE(SawChange(progress, UI_CHANGE_VISIBILITY));
}

TEST_F(ModelsTest, PanelCellsDrawnFromAnotherThreadAreDrawnByTheUiThread) {
    std::thread simulation([&] {
        BeginPanelUpdate(frame);
        for (int axis = 0; axis < 5; ++axis) {
            UiRect rect = {65, 37 + 15 * axis, 135, 52 + 15 * axis};
            char value[32];
            std::snprintf(value, sizeof(value), "\t\t%9.3f", axis * 1.5);
            DrawPanelStatusText(frame, 32 + axis, &rect, value, 0, 0x000000, 0xFFFFFF);
        }
        EndPanelUpdate(frame);
    });
    simulation.join();
    // Tests read the cells directly.
    PanelCell cell;
    ASSERT_EQ(GetPanelCell(frame, 34, &cell), 1);
    EXPECT_EQ(cell.kind, PANEL_CELL_STATUS_TEXT);
    EXPECT_STREQ(cell.text, "\t\t    3.000");
    EXPECT_EQ(cell.rect.top, 67);
    // One request for the whole bracket, drawn on the UI thread.
    EXPECT_TRUE(RunLoopUntil([&] { return GetPanelDrawCount(frame) >= 1; }, 1000));
    EXPECT_EQ(GetPanelDrawCount(frame), 1);
    EXPECT_TRUE(SawChange(frame, UI_CHANGE_PANEL));
    EXPECT_TRUE(AllChangesOnThisThread());

    UiRect fill = {1, 1, 139, 500};
    EXPECT_EQ(FillPanelCell(frame, 3, &fill, 0x00FFFF), 1);
    EXPECT_EQ(DrawPanelPlainText(frame, 4, &fill, "QUMBRA-5AX", 0x0000FF), 1);
    EXPECT_EQ(DrawPanelStatusText(frame, kPanelMaxCells, &fill, "x", 0, 0, 0), 0);
    std::string longText(400, 'a');
    longText += "計測";
    DrawPanelStatusText(frame, 1, &fill, longText.c_str(), 0, 0, 0);
    GetPanelCell(frame, 1, &cell);
    EXPECT_EQ(std::strlen(cell.text), static_cast<size_t>(kPanelCellTextMax - 1));
    PanelCell all[kPanelMaxCells];
    EXPECT_EQ(CopyPanelCells(frame, all, kPanelMaxCells), kPanelMaxCells);
    EXPECT_EQ(all[3].kind, PANEL_CELL_FILL);
    EXPECT_EQ(all[3].fillColour, 0x00FFFFu);
    EXPECT_EQ(ClearPanelCell(frame, 3), 1);
    GetPanelCell(frame, 3, &cell);
    EXPECT_EQ(cell.kind, PANEL_CELL_EMPTY);
}

std::vector<std::string>* g_Logged = nullptr;
void LogBox(const char* caption, const char* text) { g_Logged->push_back(std::string(caption) + ": " + text); }

TEST_F(ModelsTest, MessageBoxesAnswerByThemselvesWhenUnattended) {
    std::vector<std::string> logged;
    g_Logged = &logged;
    g_UiSettings.logHook = LogBox;
    g_UiSettings.unattended = 1;
    struct Case {
        unsigned style;
        int answer;
    } cases[] = {{MB_OK | MB_TOPMOST, IDOK},           {MB_YESNO | MB_ICONQUESTION, IDYES},
                 {MB_YESNO | MB_DEFBUTTON2, IDNO},     {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
                 {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL}};
    for (const Case& c : cases) EXPECT_EQ(ShowUiMessageBox(frame, "D:\\NC\\PART.NC", "Alarm", c.style), c.answer);
    EXPECT_EQ(log.boxesShown, 0) << "no real box while unattended";
    ASSERT_EQ(logged.size(), 5u);
    EXPECT_EQ(logged[0], "Alarm: D:\\NC\\PART.NC");
    // From another thread as well.
    int answer = 0;
    std::thread worker([&] { answer = ShowUiMessageBox(frame, "t", "c", MB_YESNO); });
    worker.join();
    EXPECT_EQ(answer, IDYES);
    ShownMessageBox box;
    EXPECT_EQ(CountShownMessageBoxes(), 6);
    ASSERT_EQ(GetShownMessageBox(5, &box), 1);
    EXPECT_EQ(box.unattended, 1);
    EXPECT_EQ(box.answer, IDYES);
    // Presets come first, in order.
    PresetMessageBoxAnswer(IDNO);
    PresetMessageBoxAnswer(IDCANCEL);
    EXPECT_EQ(ShowUiMessageBox(frame, "q", "c", MB_YESNO), IDNO);
    EXPECT_EQ(ShowUiMessageBox(frame, "q", "c", MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(ShowUiMessageBox(frame, "q", "c", MB_YESNO), IDYES);
    // The unattended test may come from the shell's live flag.
    g_UiSettings.unattended = 0;
    static int silent = 1;
    g_UiSettings.isUnattendedHook = [] { return silent; };
    EXPECT_EQ(ShowUiMessageBox(frame, "q", "c", MB_OKCANCEL), IDOK);
    EXPECT_EQ(log.boxesShown, 0);
    g_UiSettings.isUnattendedHook = nullptr;
    g_Logged = nullptr;
}

TEST_F(ModelsTest, ARealMessageBoxServesSendsWhileItWaits) {
    Watchdog watchdog(5000);
    std::atomic<int> sent{0};
    std::thread automation([&] {
        while (log.boxesShown == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        intptr_t result = 0;
        SendUiMessageTimeout(frame, WM_USER, 0, 0, 3000, &result);
        sent = static_cast<int>(result);
    });
    EXPECT_EQ(ShowUiMessageBox(frame, "Overwrite?", "Save", MB_YESNO), IDNO);
    automation.join();
    EXPECT_EQ(sent.load(), 11);
    ShownMessageBox box;
    GetShownMessageBox(CountShownMessageBoxes() - 1, &box);
    EXPECT_EQ(box.unattended, 0);
    EXPECT_STREQ(box.caption, "Save");
}

TEST_F(ModelsTest, AMessageBoxFromAnotherThreadIsShownByTheUiThread) {
    int answer = 0;
    std::thread simulation([&] { answer = ShowUiMessageBox(frame, "Alarm", "NC", MB_OK); });
    // The UI thread runs its loop; the box (which waits for closeBox) runs inside it.
    std::thread closer([&] {
        while (log.boxesShown == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        log.closeBox = 1;
    });
    EXPECT_TRUE(RunLoopUntil([&] { return CountShownMessageBoxes() == 1; }, 3000));
    simulation.join();
    closer.join();
    EXPECT_EQ(answer, IDNO);
}

TEST_F(ModelsTest, FileAndColourDialogsTakePresetsOrCancel) {
    char path[16] = "old.dme";
    FileDialogRequest request = {};
    request.owner = frame;
    request.title = "Work";
    request.filter = "DME(*.DME)\0*.DME\0STL(*.STL)\0*.STL\0";
    request.filterIndex = 1;
    request.path = path;
    request.pathSize = sizeof(path);
    request.checkboxCaption = "Workpiece Coordinate";
    EXPECT_EQ(ShowOpenFileDialog(&request), 0);   // nothing preset, no real dialog: cancelled
    EXPECT_STREQ(path, "old.dme");
    PresetFileDialogAnswer(0, "/ignored", 2, 1);
    EXPECT_EQ(ShowOpenFileDialog(&request), 0);
    EXPECT_STREQ(path, "old.dme");
    PresetFileDialogAnswer(1, "/work/parts/a-long-name.stl", 2, 1);
    EXPECT_EQ(ShowSaveFileDialog(&request), 0);   // does not fit: refused, not cut to another name
    EXPECT_STREQ(path, "old.dme");
    EXPECT_EQ(request.filterIndex, 1);
    PresetFileDialogAnswer(1, "/w/p/a.stl", 2, 1);
    EXPECT_EQ(ShowSaveFileDialog(&request), 1);
    EXPECT_STREQ(path, "/w/p/a.stl");
    EXPECT_EQ(request.filterIndex, 2);
    EXPECT_EQ(request.checkboxValue, 1);

    unsigned colour = 0x123456, custom[16] = {};
    EXPECT_EQ(ShowColourDialog(frame, &colour, custom), 0);
    PresetColourDialogAnswer(1, 0xFF00FF00u);
    EXPECT_EQ(ShowColourDialog(frame, &colour, custom), 1);
    EXPECT_EQ(colour, 0x0000FF00u);
}

TEST_F(ModelsTest, WhatTheBackendReportsIsNotEchoedBack) {
    {
        std::lock_guard<std::mutex> guard(log.lock);
        log.changes.clear();
    }
    ReportUiWindowShowCommand(frame, SW_MINIMIZE);   // the user minimised the real window
    EXPECT_EQ(IsUiWindowMinimised(frame), 1);
    EXPECT_FALSE(SawChange(frame, UI_CHANGE_STATE));
    ShowUiWindow(frame, SW_RESTORE);                 // the program restores it: the backend is told
    EXPECT_TRUE(SawChange(frame, UI_CHANGE_STATE));
    ReportUiWindowGeometry(frame, 5, 5, 400, 300);
    EXPECT_FALSE(SawChange(frame, UI_CHANGE_GEOMETRY));
    UiRect rect;
    GetUiClientRect(frame, &rect);
    EXPECT_EQ(rect.right, 400);
    WindowHandle windows[4];
    EXPECT_EQ(ListUiWindows(windows, 4), 1);
    EXPECT_EQ(windows[0], frame);
    EXPECT_EQ(GetUiWindowKind(frame), UI_WINDOW_PLAIN);
    // No OpenGL here: callers skip their GL calls.
    EXPECT_EQ(CreateUiGlContext(frame, 1), 0);
    EXPECT_EQ(MakeUiGlCurrent(frame), 0);
    EXPECT_EQ(HasUiGlContext(frame), 0);
}

TEST_F(ModelsTest, CursorsClipboardAndDrops) {
    EXPECT_EQ(SetUiCursor(IDC_WAIT), IDC_ARROW);
    EXPECT_EQ(GetUiCursor(), IDC_WAIT);
    UiRect rect = {0, 0, 10, 10};
    WindowHandle view1 = CreateUiWindow("Picture", "", nullptr, frame, WS_CHILD, &rect, 0);
    WindowHandle view2 = CreateUiWindow("Picture", "", nullptr, frame, WS_CHILD, &rect, 0);
    EXPECT_EQ(GetUiClassCursor(view1), IDC_ARROW);
    EXPECT_EQ(SetUiClassCursor(view1, 238), IDC_ARROW);
    EXPECT_EQ(GetUiClassCursor(view2), 238);
    EXPECT_EQ(GetUiClassCursor(frame), IDC_ARROW);
    SetUiCursorPosition(120, 45);
    int x = 0, y = 0;
    GetUiCursorPosition(&x, &y);
    EXPECT_EQ(x, 120);
    EXPECT_EQ(y, 45);

    unsigned char image[2 * 8] = {};   // 2 x 2 pixels, rows of 8 bytes
    image[0] = 255;
    image[8 + 5] = 7;
    EXPECT_EQ(SetClipboardImage(image, 2, 2), 1);
    int width = 0, height = 0, rowBytes = 0;
    EXPECT_EQ(GetClipboardImageSize(&width, &height, &rowBytes), 1);
    EXPECT_EQ(rowBytes, 8);
    unsigned char back[16] = {};
    EXPECT_EQ(ReadClipboardImage(back, 8), 0);
    EXPECT_EQ(ReadClipboardImage(back, sizeof(back)), 1);
    EXPECT_EQ(std::memcmp(back, image, sizeof(image)), 0);
    EXPECT_EQ(SetClipboardImage(image, 0, 2), 0);

    const char* names[] = {"/nc/PART.NC", "/work/a.dme"};
    uintptr_t drop = DropUiFiles(frame, names, 2);
    ASSERT_NE(drop, 0u);
    EXPECT_EQ(CountDroppedFiles(drop), 2);
    char name[8];
    EXPECT_EQ(GetDroppedFile(drop, 1, name, sizeof(name)), 11);
    EXPECT_STREQ(name, "/work/a");
    EXPECT_EQ(GetDroppedFile(drop, 2, name, sizeof(name)), 0);
    EXPECT_EQ(CountQueuedUiMessages(), 1);   // WM_DROPFILES posted to the frame
    FinishDrop(drop);
    EXPECT_EQ(CountDroppedFiles(drop), 0);
}

}  // namespace
