// The event core's rules: synchronous sends across threads served by every wait of the UI thread,
// post order and the quit request, timers per (window, id) and never inside the pump, painting on
// the UI thread, window states, destruction, time-limited sends.
#include <algorithm>
#include <cstring>
#include <string>
#include "platform/ui/cursor_clipboard.h"
#include "platform/ui/ui_backend.h"
#include "tests/platform/ui_test_support.h"

extern void (*g_PumpOneMessageHook)();
void PumpMessagesDuringWork();

namespace {

constexpr unsigned WM_TEST_SLOW = WM_USER + 1;     // handler sleeps, returns 42
constexpr unsigned WM_TEST_RECORD = WM_USER + 2;   // handler records wParam
constexpr unsigned WM_TEST_QUIT = WM_USER + 3;     // handler posts the quit request

struct Recorder {
    std::mutex lock;
    std::vector<unsigned> messages;            // every message number seen
    std::vector<uintptr_t> records;            // wParam of WM_TEST_RECORD
    std::vector<uintptr_t> timerIds;
    std::vector<uint64_t> timerTimes;
    std::vector<unsigned> sizeKinds;
    std::vector<std::pair<int, int>> sizes;
    std::thread::id paintThread;
    std::thread::id slowThread;
    std::atomic<int> paints{0};
    std::atomic<int> slowDone{0};
};
Recorder* g_Rec = nullptr;

intptr_t RecordingProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    Recorder& r = *g_Rec;
    {
        std::lock_guard<std::mutex> guard(r.lock);
        r.messages.push_back(message);
    }
    switch (message) {
    case WM_TEST_SLOW:
        r.slowThread = std::this_thread::get_id();
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        r.slowDone = 1;
        return 42;
    case WM_TEST_RECORD: {
        std::lock_guard<std::mutex> guard(r.lock);
        r.records.push_back(wParam);
        return 0;
    }
    case WM_TEST_QUIT:
        PostQuitUiMessage(static_cast<int>(wParam));
        return 0;
    case WM_TIMER: {
        std::lock_guard<std::mutex> guard(r.lock);
        r.timerIds.push_back(wParam);
        r.timerTimes.push_back(TestNowMs());
        return 0;
    }
    case WM_SIZE: {
        std::lock_guard<std::mutex> guard(r.lock);
        r.sizeKinds.push_back(static_cast<unsigned>(wParam));
        r.sizes.emplace_back(static_cast<int>(LowWord(static_cast<uintptr_t>(lParam))),
                             static_cast<int>(HighWord(static_cast<uintptr_t>(lParam))));
        return 0;
    }
    case WM_PAINT:
        BeginUiPaint(window);
        r.paintThread = std::this_thread::get_id();
        ++r.paints;
        EndUiPaint(window);
        return 0;
    default:
        return DefaultWindowProc(window, message, wParam, lParam);
    }
}

class EventCoreTest : public UiCoreTest {
protected:
    Recorder recorder;
    WindowHandle window = nullptr;
    void SetUp() override {
        UiCoreTest::SetUp();
        g_Rec = &recorder;
        UiRect rect = {10, 20, 310, 220};
        window = CreateUiWindow("TestFrame", "frame", RecordingProc, nullptr, WS_VISIBLE, &rect, 0);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        UiCoreTest::TearDown();
        g_Rec = nullptr;
    }
    int CountTimerMessages() {
        std::lock_guard<std::mutex> guard(recorder.lock);
        return static_cast<int>(recorder.timerIds.size());
    }
};

TEST_F(EventCoreTest, SendFromAnotherThreadBlocksUntilTheUiThreadHandledIt) {
    std::thread::id uiThread = std::this_thread::get_id();
    std::atomic<int> sendOk{0}, doneWhenReturned{0};
    intptr_t result = 0;
    Watchdog watchdog(5000);
    std::thread worker([&] {
        sendOk = SendUiMessageTimeout(window, WM_TEST_SLOW, 0, 0, 3000, &result);
        doneWhenReturned = recorder.slowDone.load();
        PostUiMessage(window, WM_TEST_QUIT, 7, 0);
    });
    int code = RunMessageLoop(nullptr);
    worker.join();
    EXPECT_EQ(code, 7);
    EXPECT_EQ(sendOk.load(), 1);
    EXPECT_EQ(result, 42);
    EXPECT_EQ(doneWhenReturned.load(), 1) << "the send returned before the handler had finished";
    EXPECT_EQ(recorder.slowThread, uiThread);
}

TEST_F(EventCoreTest, SendOnTheUiThreadIsADirectCall) {
    EXPECT_EQ(SendUiMessage(window, WM_TEST_SLOW, 0, 0), 42);
    EXPECT_EQ(SendUiMessage(nullptr, WM_TEST_SLOW, 0, 0), 0);
}

TEST_F(EventCoreTest, PumpServesSendsAndOnePostButNoTimerAndNoQuit) {
    ASSERT_NE(g_PumpOneMessageHook, nullptr);
    SetUiTimer(window, 9, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    PostUiMessage(window, WM_TEST_RECORD, 1, 0);
    PostUiMessage(window, WM_TEST_RECORD, 2, 0);
    std::atomic<int> sent{0};
    std::thread worker([&] { sent = SendUiMessageTimeout(window, WM_TEST_SLOW, 0, 0, 3000, nullptr); });
    // Long work on the UI thread: it only pumps.
    uint64_t end = TestNowMs() + 3000;
    while ((!sent || CountQueuedUiMessages() > 0) && TestNowMs() < end) {
        PumpOneUiMessage();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    worker.join();
    EXPECT_EQ(sent.load(), 1);
    EXPECT_EQ(CountTimerMessages(), 0);
    {
        std::lock_guard<std::mutex> guard(recorder.lock);
        EXPECT_EQ(recorder.records, (std::vector<uintptr_t>{1, 2}));
    }
    // The quit request stays queued for the main loop.
    PostQuitUiMessage(3);
    EXPECT_EQ(PumpOneUiMessage(), 0);
    EXPECT_EQ(CountQueuedUiMessages(), 1);
    // The shell's pump goes through the hook (its first call pumps at once).
    PostUiMessage(window, WM_TEST_RECORD, 5, 0);
    EXPECT_EQ(CountQueuedUiMessages(), 2);
    EXPECT_EQ(RunMessageLoop(nullptr), 3);
    EXPECT_EQ(CountTimerMessages(), 0) << "the main loop quit before any timer came due";
}

TEST_F(EventCoreTest, ShellPumpHookServesASendDuringLongWork) {
    std::atomic<int> sent{0};
    std::thread worker([&] { sent = SendUiMessageTimeout(window, WM_TEST_RECORD, 77, 0, 3000, nullptr); });
    uint64_t end = TestNowMs() + 3000;
    while (!sent && TestNowMs() < end) {
        g_PumpOneMessageHook();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    worker.join();
    EXPECT_EQ(sent.load(), 1);
    EXPECT_EQ(GetUiCursor(), IDC_WAIT) << "the pump shows the wait cursor";
    PumpMessagesDuringWork();   // first call in this process: pumps through the hook without trouble
}

TEST_F(EventCoreTest, WaitsOnTheUiThreadServeSends) {
    // The UI thread waits for a worker that itself sends to the UI thread: without serving, a deadlock.
    std::atomic<int> finished{0};
    std::thread worker([&] {
        SendUiMessageTimeout(window, WM_TEST_RECORD, 1, 0, 3000, nullptr);
        finished = 1;
    });
    int done = WaitServingSends([](void* f) { return static_cast<std::atomic<int>*>(f)->load(); }, &finished, 3000);
    worker.join();
    EXPECT_EQ(done, 1);

    std::atomic<int> second{0};
    std::thread worker2([&] { second = SendUiMessageTimeout(window, WM_TEST_RECORD, 2, 0, 3000, nullptr); });
    uint64_t end = TestNowMs() + 3000;
    while (!second && TestNowMs() < end) SleepServingSends(5);
    worker2.join();
    EXPECT_EQ(second.load(), 1);
    std::lock_guard<std::mutex> guard(recorder.lock);
    EXPECT_EQ(recorder.records, (std::vector<uintptr_t>{1, 2}));
}

TEST_F(EventCoreTest, WaitServingSendsTimesOut) {
    uint64_t start = TestNowMs();
    EXPECT_EQ(WaitServingSends([](void*) { return 0; }, nullptr, 30), 0);
    EXPECT_GE(TestNowMs() - start, 25u);
}

TEST_F(EventCoreTest, PostsArriveInOrderAndQuitComesAfterEarlierPosts) {
    Watchdog watchdog(5000);
    for (uintptr_t i = 0; i < 50; ++i) PostUiMessage(window, WM_TEST_RECORD, i, 0);
    std::thread worker([&] {
        for (uintptr_t i = 50; i < 100; ++i) PostUiMessage(window, WM_TEST_RECORD, i, 0);
        PostQuitUiMessage(5);
        PostUiMessage(window, WM_TEST_RECORD, 1000, 0);   // after the quit: not dispatched by this loop
    });
    worker.join();
    EXPECT_EQ(RunMessageLoop(nullptr), 5);
    std::vector<uintptr_t> expected;
    for (uintptr_t i = 0; i < 100; ++i) expected.push_back(i);
    {
        std::lock_guard<std::mutex> guard(recorder.lock);
        EXPECT_EQ(recorder.records, expected);
    }
    EXPECT_EQ(CountQueuedUiMessages(), 1);
}

TEST_F(EventCoreTest, SettingATimerAgainReplacesIt) {
    EXPECT_EQ(SetUiTimer(window, 1, 5000), 1u);
    EXPECT_EQ(SetUiTimer(window, 1, 10), 1u);    // same (window, id): replaced, not added
    unsigned interval = 0;
    ASSERT_EQ(IsUiTimerSet(window, 1, &interval), 1);
    EXPECT_EQ(interval, 10u);
    EXPECT_EQ(SetUiTimer(window, 0, 10), 0u);
    EXPECT_EQ(SetUiTimer(nullptr, 3, 10), 0u);
    uint64_t start = TestNowMs();
    EXPECT_TRUE(RunLoopUntil([&] { return CountTimerMessages() >= 3; }, 2000));
    EXPECT_LT(TestNowMs() - start, 1500u) << "the 5000 ms timer was not replaced";
    std::lock_guard<std::mutex> guard(recorder.lock);
    for (uintptr_t id : recorder.timerIds) EXPECT_EQ(id, 1u);
}

TEST_F(EventCoreTest, TimersBelongToWindowAndIdAndStopWhenKilled) {
    UiRect rect = {0, 0, 50, 50};
    WindowHandle other = CreateUiWindow("TestChild", "", RecordingProc, window, WS_CHILD | WS_VISIBLE, &rect, 0);
    SetUiTimer(window, 1, 5);
    SetUiTimer(window, 2, 5);
    SetUiTimer(other, 1, 5);
    EXPECT_EQ(KillUiTimer(other, 1), 1);
    EXPECT_EQ(KillUiTimer(other, 1), 0);
    EXPECT_TRUE(RunLoopUntil([&] { return CountTimerMessages() >= 6; }, 2000));
    EXPECT_EQ(IsUiTimerSet(window, 2, nullptr), 1);
    EXPECT_EQ(IsUiTimerSet(other, 1, nullptr), 0);
    {
        std::lock_guard<std::mutex> guard(recorder.lock);
        int ones = 0, twos = 0;
        for (uintptr_t id : recorder.timerIds) (id == 1 ? ones : twos)++;
        EXPECT_GE(ones, 2);
        EXPECT_GE(twos, 2);
    }
    DestroyUiWindow(window);   // kills its timers (and its child's)
    EXPECT_EQ(IsUiTimerSet(window, 1, nullptr), 0);
}

TEST_F(EventCoreTest, NoTimerFiresInsideThePumpOrTheServingWaits) {
    SetUiTimer(window, 4, 1);
    uint64_t end = TestNowMs() + 60;
    while (TestNowMs() < end) PumpOneUiMessage();
    SleepServingSends(20);
    WaitServingSends([](void*) { return 0; }, nullptr, 20);
    EXPECT_EQ(CountTimerMessages(), 0);
    EXPECT_TRUE(RunLoopUntil([&] { return CountTimerMessages() >= 1; }, 1000));
    EXPECT_EQ(RunLoopUntil([&] { return CountTimerMessages() >= 1; }, 1000, 0), true);
}

TEST_F(EventCoreTest, PaintRequestsFromAnotherThreadArePaintedOnTheUiThread) {
    std::thread::id uiThread = std::this_thread::get_id();
    RunLoopUntil([&] { return !IsUiWindowInvalid(window); }, 1000);   // the first paint after creation
    recorder.paints = 0;
    std::atomic<int> sent{0};
    std::thread worker([&] {
        sent = SendUiMessageTimeout(window, WM_PAINT, 0, 0, 3000, nullptr);   // the simulation's repaint
        InvalidateUiWindow(window, 1);                                         // a later repaint
    });
    EXPECT_TRUE(RunLoopUntil([&] { return recorder.paints >= 2; }, 3000));
    worker.join();
    EXPECT_EQ(sent.load(), 1);
    EXPECT_EQ(recorder.paintThread, uiThread);
    EXPECT_EQ(IsUiWindowInvalid(window), 0);
}

TEST_F(EventCoreTest, UpdateWindowPaintsOnlyAnInvalidWindow) {
    RunLoopUntil([&] { return !IsUiWindowInvalid(window); }, 1000);
    int before = recorder.paints;
    UpdateUiWindow(window);
    EXPECT_EQ(recorder.paints.load(), before);
    InvalidateUiWindow(window, 0);
    UpdateUiWindow(window);
    EXPECT_EQ(recorder.paints.load(), before + 1);
    // A hidden window is not painted by the loop.
    ShowUiWindow(window, SW_HIDE);
    InvalidateUiWindow(window, 0);
    RunUiLoopOnce(0, 0, nullptr);
    EXPECT_EQ(recorder.paints.load(), before + 1);
}

TEST_F(EventCoreTest, WindowStatesAreTrackedByTheLayer) {
    {
        std::lock_guard<std::mutex> guard(recorder.lock);
        recorder.sizeKinds.clear();
        recorder.sizes.clear();
    }
    EXPECT_EQ(ShowUiWindow(window, SW_MINIMIZE), 1);
    EXPECT_EQ(IsUiWindowMinimised(window), 1);
    UiRect client;
    GetUiClientRect(window, &client);
    EXPECT_EQ(client.right, 0);
    // The automation thread maximises and restores by window commands.
    std::thread worker([&] {
        SendUiMessageTimeout(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0, 3000, nullptr);
        SendUiMessageTimeout(window, WM_SYSCOMMAND, SC_RESTORE, 0, 3000, nullptr);
    });
    EXPECT_TRUE(RunLoopUntil([&] {
        std::lock_guard<std::mutex> guard(recorder.lock);
        return recorder.sizeKinds.size() >= 3;
    }, 3000));
    worker.join();
    std::lock_guard<std::mutex> guard(recorder.lock);
    ASSERT_EQ(recorder.sizeKinds, (std::vector<unsigned>{SIZE_MINIMIZED, SIZE_MAXIMIZED, SIZE_RESTORED}));
    EXPECT_EQ(recorder.sizes[0], std::make_pair(0, 0));
    EXPECT_EQ(recorder.sizes[1], std::make_pair(g_UiSettings.screenWidth, g_UiSettings.screenHeight));
    EXPECT_EQ(recorder.sizes[2], std::make_pair(300, 200));
    EXPECT_EQ(IsUiWindowMinimised(window), 0);
    EXPECT_EQ(IsUiWindowMaximised(window), 0);
    UiRect rect;
    GetUiWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.bottom, 220);
}

TEST_F(EventCoreTest, ShowingAgainInTheSameStateSendsNoSize) {
    {
        std::lock_guard<std::mutex> guard(recorder.lock);
        recorder.sizeKinds.clear();
    }
    ShowUiWindow(window, SW_SHOW);
    ShowUiWindow(window, SW_RESTORE);
    std::lock_guard<std::mutex> guard(recorder.lock);
    EXPECT_TRUE(recorder.sizeKinds.empty());
}

struct DestroyLog {
    std::vector<std::string> order;
};
DestroyLog* g_DestroyLog = nullptr;

intptr_t DestroyLoggingProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    if (message == WM_DESTROY) g_DestroyLog->order.push_back(GetUiWindowClassName(window));
    if (message == WM_CREATE && lParam == -1) return -1;
    return DefaultWindowProc(window, message, wParam, lParam);
}

TEST_F(EventCoreTest, DestroyGoesToTheWindowThenItsChildrenAndDropsTheirPosts) {
    DestroyLog log;
    g_DestroyLog = &log;
    WindowHandle frame = CreateUiWindow("Frame", "", DestroyLoggingProc, nullptr, 0, nullptr, 0);
    WindowHandle view = CreateUiWindow("View", "", DestroyLoggingProc, frame, WS_CHILD, nullptr, 0);
    PostUiMessage(view, WM_TEST_RECORD, 1, 0);
    SendUiMessage(frame, WM_CLOSE, 0, 0);   // default handling destroys
    EXPECT_EQ(log.order, (std::vector<std::string>{"Frame", "View"}));
    EXPECT_EQ(IsUiWindow(frame), 0);
    EXPECT_EQ(IsUiWindow(view), 0);
    EXPECT_EQ(PostUiMessage(view, WM_TEST_RECORD, 2, 0), 0);
    EXPECT_EQ(SendUiMessage(view, WM_TEST_SLOW, 0, 0), 0);
    RunUiLoopOnce(0, 0, nullptr);   // the queued post is dropped without a call
    EXPECT_EQ(CreateUiWindow("Refused", "", DestroyLoggingProc, nullptr, 0, nullptr, -1), nullptr);
    g_DestroyLog = nullptr;
}

TEST_F(EventCoreTest, ATimedOutSendIsWithdrawnAndStoppingReleasesBlockedSenders) {
    int ok = 1;
    std::thread worker([&] { ok = SendUiMessageTimeout(window, WM_TEST_RECORD, 9, 0, 30, nullptr); });
    worker.join();   // the UI thread never served it
    EXPECT_EQ(ok, 0);
    ServePendingSends();
    {
        std::lock_guard<std::mutex> guard(recorder.lock);
        EXPECT_TRUE(recorder.records.empty());
    }
    std::atomic<int> returned{0};
    intptr_t result = -1;
    std::thread blocked([&] {
        result = SendUiMessage(window, WM_TEST_SLOW, 0, 0);
        returned = 1;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(returned.load(), 0);
    StopEventCore();
    blocked.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(SendUiMessage(window, WM_TEST_SLOW, 0, 0), 0);
}

TEST_F(EventCoreTest, RunOnUiThreadRunsThereAndReturnsTheResult) {
    std::thread::id uiThread = std::this_thread::get_id();
    static std::thread::id ranOn;
    intptr_t result = 0;
    int argument = 41;
    std::atomic<int> finished{0};
    std::thread worker([&] {
        result = RunOnUiThread([](void* c) -> intptr_t {
            ranOn = std::this_thread::get_id();
            return *static_cast<int*>(c) + 1;
        }, &argument);
        finished = 1;
    });
    WaitServingSends([](void* f) { return static_cast<std::atomic<int>*>(f)->load(); }, &finished, 3000);
    worker.join();
    EXPECT_EQ(result, 42);
    EXPECT_EQ(ranOn, uiThread);
}

TEST_F(EventCoreTest, RegisteredMessagesKeysAndText) {
    unsigned a = RegisterUiMessage("K2EDITOR LINEJUMP");
    EXPECT_GE(a, WM_REGISTERED_FIRST);
    EXPECT_EQ(RegisterUiMessage("K2EDITOR LINEJUMP"), a);
    EXPECT_NE(RegisterUiMessage("OTHER"), a);
    EXPECT_EQ(RegisterUiMessage(""), 0u);

    struct KeyCase {
        int key;
        int character;
    } cases[] = {{'G', 'G'}, {'7', '7'}, {VK_NUMPAD0 + 3, '3'}, {VK_SPACE, ' '}, {VK_TAB, 9},
                 {VK_F5, 0}, {VK_SHIFT, 0}, {VK_OEM_2, '/'}, {VK_LEFT, 0}};
    for (const KeyCase& c : cases) EXPECT_EQ(MapVirtualKeyToChar(c.key), c.character) << c.key;
    SetUiKeyState(VK_CONTROL, 1);
    EXPECT_EQ(IsUiKeyDown(VK_CONTROL), 1);
    SetUiKeyState(VK_CONTROL, 0);
    EXPECT_EQ(IsUiKeyDown(VK_CONTROL), 0);
    EXPECT_EQ(IsUiKeyDown(999), 0);

    SetUiWindowText(window, "機械 - NCデータ未選択");
    char title[8];
    int length = GetUiWindowText(window, title, sizeof(title));
    EXPECT_EQ(length, static_cast<int>(std::strlen("機械 - NCデータ未選択")));
    EXPECT_STREQ(title, "機械 ");   // cut before a character that does not fit whole
}

TEST_F(EventCoreTest, MoveSendsMoveAndSizeAndPointsConvert) {
    UiRect rect = {5, 6, 105, 56};
    WindowHandle child = CreateUiWindow("Child", "", RecordingProc, window, WS_CHILD, &rect, 0);
    {
        std::lock_guard<std::mutex> guard(recorder.lock);
        recorder.sizes.clear();
        recorder.messages.clear();
    }
    MoveUiWindow(child, 5, 6, 200, 100);
    MoveUiWindow(child, 7, 8, 200, 100);
    std::lock_guard<std::mutex> guard(recorder.lock);
    EXPECT_EQ(recorder.sizes, (std::vector<std::pair<int, int>>{{200, 100}}));
    EXPECT_EQ(std::count(recorder.messages.begin(), recorder.messages.end(), WM_MOVE), 1);
    int x = 1, y = 2;
    ClientToScreenPoint(child, &x, &y);
    EXPECT_EQ(x, 1 + 7 + 10);
    EXPECT_EQ(y, 2 + 8 + 20);
    ScreenToClientPoint(child, &x, &y);
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 2);
}

}  // namespace
