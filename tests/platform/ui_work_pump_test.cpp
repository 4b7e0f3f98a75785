// The pump of long work: at most once every 3000 ms it serves cross-thread calls, paints and sizes;
// clicks, commands, close and quit requests stay queued in their order; no timer fires; with dispatch
// off only the cross-thread calls are served and nothing is lost.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/ui/cursor_clipboard.h"
#include "platform/ui/shell_services.h"
#include "tests/platform/ui_test_support.h"

extern void (*g_PumpOneMessageHook)();   // the event core's pump hook

namespace {

std::vector<unsigned>* g_Seen = nullptr;

intptr_t RecordingProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam)
{
    if (g_Seen != nullptr && message != WM_CREATE && message != WM_SHOWWINDOW) g_Seen->push_back(message);
    if (message == WM_PAINT) {
        BeginUiPaint(window);
        EndUiPaint(window);
        return 0;
    }
    return DefaultWindowProc(window, message, wParam, lParam);
}

class WorkPumpTest : public UiCoreTest {
protected:
    WindowHandle window = nullptr;
    std::vector<unsigned> seen;

    void SetUp() override
    {
        UiCoreTest::SetUp();
        const UiRect rect = {0, 0, 300, 200};
        window = CreateUiWindow("PumpWindow", "", RecordingProc, nullptr, 0, &rect, 0);
        ShowUiWindow(window, SW_SHOW);
        RunLoopUntil([&] { return !IsUiWindowInvalid(window); }, 1000, 0);
        g_Seen = &seen;
        seen.clear();
        ResetPumpTimes();
        g_PumpDispatchAllowed = 1;
    }
    void TearDown() override
    {
        g_Seen = nullptr;
        g_PumpDispatchAllowed = 1;
        ResetPumpTimes();
        UiCoreTest::TearDown();
    }
};

TEST_F(WorkPumpTest, ServesPaintSizeAndSendsButKeepsInputAndQuitQueued)
{
    SetUiTimer(window, 3, 1);
    PostUiMessage(window, WM_LBUTTONDOWN, 0, 0);
    PostUiMessage(window, WM_COMMAND, 105, 0);
    PostUiMessage(window, WM_SIZE, 0, 0);
    PostQuitUiMessage(7);
    InvalidateUiWindow(window, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::atomic<int> sent{0};
    std::thread worker([&] { sent = SendUiMessageTimeout(window, WM_USER + 9, 0, 0, 3000, nullptr); });
    const uint64_t end = TestNowMs() + 3000;
    while (!sent && TestNowMs() < end) {
        PumpUiDuringWork(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    worker.join();
    EXPECT_EQ(sent.load(), 1);
    ASSERT_GE(seen.size(), 3u);
    EXPECT_NE(std::find(seen.begin(), seen.end(), WM_SIZE), seen.end());
    EXPECT_NE(std::find(seen.begin(), seen.end(), WM_PAINT), seen.end());
    EXPECT_NE(std::find(seen.begin(), seen.end(), WM_USER + 9), seen.end());
    EXPECT_EQ(std::find(seen.begin(), seen.end(), WM_TIMER), seen.end()) << "no timer inside the pump";
    EXPECT_EQ(std::find(seen.begin(), seen.end(), WM_LBUTTONDOWN), seen.end());
    EXPECT_EQ(std::find(seen.begin(), seen.end(), WM_COMMAND), seen.end());
    EXPECT_EQ(CountQueuedUiMessages(), 3) << "click, command and quit stay queued";
    // The main loop gets them afterwards, in their order, and then the quit.
    seen.clear();
    KillUiTimer(window, 3);
    EXPECT_EQ(RunMessageLoop(nullptr), 7);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[0], static_cast<unsigned>(WM_LBUTTONDOWN));
    EXPECT_EQ(seen[1], static_cast<unsigned>(WM_COMMAND));
}

TEST_F(WorkPumpTest, WithoutDispatchOnlySendsAreServedAndNothingIsLost)
{
    PostUiMessage(window, WM_SIZE, 0, 0);
    InvalidateUiWindow(window, 1);
    std::atomic<int> sent{0};
    std::thread worker([&] { sent = SendUiMessageTimeout(window, WM_USER + 9, 0, 0, 3000, nullptr); });
    const uint64_t end = TestNowMs() + 3000;
    while (!sent && TestNowMs() < end) {
        PumpUiDuringWork(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    worker.join();
    EXPECT_EQ(sent.load(), 1);
    EXPECT_EQ(seen, std::vector<unsigned>{WM_USER + 9});
    EXPECT_EQ(CountQueuedUiMessages(), 1);
    EXPECT_EQ(IsUiWindowInvalid(window), 1);
}

int g_HookCalls = 0;
void CountingHook() { ++g_HookCalls; }

TEST_F(WorkPumpTest, PumpsAtMostOnceEveryThreeSeconds)
{
    void (*saved)() = g_PumpOneMessageHook;
    g_PumpOneMessageHook = CountingHook;
    g_HookCalls = 0;
    EXPECT_EQ(PumpMessagesDuringWorkAt(10000), 1);
    EXPECT_EQ(PumpMessagesDuringWorkAt(12999), 0);
    EXPECT_EQ(PumpMessagesDuringWorkAt(13000), 0);
    EXPECT_EQ(PumpMessagesDuringWorkAt(13001), 1);
    EXPECT_EQ(g_HookCalls, 2);
    g_PumpOneMessageHook = saved;
    // The event core's hook shows the wait cursor; the busy-cursor variant refreshes it on its own clock.
    SetUiCursor(IDC_ARROW);
    EXPECT_EQ(PumpMessagesAndBusyCursorAt(20000), 1);
    EXPECT_EQ(GetUiCursor(), IDC_WAIT);
    SetUiCursor(IDC_ARROW);
    EXPECT_EQ(PumpMessagesAndBusyCursorAt(21000), 0);
    EXPECT_EQ(GetUiCursor(), IDC_ARROW);
    EXPECT_EQ(PumpMessagesAndBusyCursorAt(23001), 1);
    EXPECT_EQ(GetUiCursor(), IDC_WAIT);
}

}  // namespace
