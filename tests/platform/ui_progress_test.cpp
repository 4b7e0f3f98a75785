// The progress channels: per-mille steps shown in the status bar and its bars, the title mode of a
// minimised frame with its refresh rule and caption setting, the sub-file channel, and the end.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/ui/progress.h"
#include "platform/ui/shell_services.h"
#include "platform/ui/status_bar.h"
#include "tests/platform/ui_test_support.h"

namespace {

intptr_t PlainProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam)
{
    return DefaultWindowProc(window, message, wParam, lParam);
}

int g_TitleUpdates = 0;
void CountTitleUpdate() { ++g_TitleUpdates; }

class ProgressTest : public UiCoreTest {
protected:
    WindowHandle frame = nullptr;
    const char* caption = "";

    void SetUp() override
    {
        UiCoreTest::SetUp();
        const UiRect rect = {0, 0, 800, 600};
        frame = CreateUiWindow("Frame", "", PlainProc, nullptr, 0, &rect, 0);
        g_MainWindow = frame;
        g_StatusBarWindow = CreateStatusBar(frame, 22);
        const int parts[3] = {140, 190, -1};
        SetStatusBarParts(g_StatusBarWindow, 3, parts);
        const UiRect part = {0, 0, 140, 22};
        g_ProgressBar = CreateProgressBar(g_StatusBarWindow, &part, "ProgressBar");
        g_ProgressBar2 = CreateProgressBar(g_StatusBarWindow, &part, "ProgressBar2");
        g_ProgressHooks = ProgressHooks{nullptr, nullptr, nullptr, CountTitleUpdate, caption};
        g_SilentMode = 0;
        g_EnglishUi = 1;
        g_TitleUpdates = 0;
    }
    void TearDown() override
    {
        g_ProgressHooks = ProgressHooks{};
        g_MainWindow = g_StatusBarWindow = g_ProgressBar = g_ProgressBar2 = nullptr;
        UiCoreTest::TearDown();
    }

    std::string PartText(int part)
    {
        char text[64] = "";
        GetStatusBarPartText(g_StatusBarWindow, part, text, sizeof text, nullptr);
        return text;
    }
    ProgressBarState Bar(WindowHandle bar)
    {
        ProgressBarState state = {};
        GetProgressBarState(bar, &state);
        return state;
    }
    std::string Title()
    {
        char text[128] = "";
        GetUiWindowText(frame, text, sizeof text);
        return text;
    }
};

TEST_F(ProgressTest, StatusModeShowsPerMilleStepsToTheEnd)
{
    BeginProgress(frame, 1, 2000, nullptr, 1, "切削", "Cut");
    EXPECT_EQ(std::string(g_ProgressTitleText), "Cut");
    EXPECT_EQ(g_TitleUpdates, 1);
    EXPECT_EQ(Bar(g_ProgressBar).maximum, 1001);
    EXPECT_EQ(Bar(g_ProgressBar).shown, 1);
    // The first update at 0 shows 0.0%; later ones at 0 show nothing.
    EXPECT_EQ(UpdateProgress(0), 0);
    EXPECT_EQ(PartText(1), "  0.0%");
    EXPECT_EQ(Bar(g_ProgressBar).position, 0);
    SetStatusBarPartText(g_StatusBarWindow, 1, "other", 0);
    UpdateProgress(0);
    EXPECT_EQ(PartText(1), "other");
    RestoreProgressText();
    EXPECT_EQ(PartText(1), "  0.0%");
    AddProgress(1);   // 0.5 per-mille rounds half up
    EXPECT_EQ(UpdateProgress(0), 1);
    EXPECT_EQ(PartText(1), "  0.1%");
    AddProgress(1999 - 1);
    IncProgress();
    EXPECT_EQ(GetProgress(), 2000);
    EXPECT_EQ(UpdateProgress(0), 1000);
    EXPECT_EQ(PartText(1), "100.0%");
    EXPECT_EQ(Bar(g_ProgressBar).position, 1000);
    EndProgress();
    EXPECT_EQ(PartText(1), "");
    EXPECT_EQ(Bar(g_ProgressBar).shown, 0);
    EXPECT_EQ(g_ProgressTitleText[0], '\0');
    EXPECT_EQ(GetProgressSnapshot().active, 0);
}

TEST_F(ProgressTest, TitleModeRefreshesOnJumpsAndAfterItsStep)
{
    ShowUiWindow(frame, SW_MINIMIZE);
    caption = "A caption longer than nineteen";
    g_ProgressHooks.captionSetting = caption;
    BeginProgress(frame, 1, 1000, nullptr, 1, "切削", "Cut");
    EXPECT_EQ(std::string(g_ProgressTitleText), "Cut") << "the frame title keeps the caller's caption";
    UpdateProgress(0);
    EXPECT_EQ(Title(), "A caption longer th:  0.0%");
    // 100 in one update is not a jump, but the first update after a refresh is due (step 1).
    AddProgress(100);
    UpdateProgress(0);
    EXPECT_EQ(Title(), "A caption longer th: 10.0%");
    // The step adapts to the rate: many updates per 700 ms give a step above 1.
    ASSERT_GT(g_Progress.refreshStep, 1);
    AddProgress(250);   // 100 to 350 in one update: a jump
    UpdateProgress(0);
    EXPECT_EQ(Title(), "A caption longer th: 35.0%");
    AddProgress(50);
    UpdateProgress(0);
    EXPECT_EQ(Title(), "A caption longer th: 35.0%") << "a small rise waits for the step";
    AddProgress(600);
    UpdateProgress(0);
    EXPECT_EQ(Title(), "A caption longer th:100.0%") << "the end always shows";
    EXPECT_EQ(PartText(1), "") << "nothing goes to the status bar while minimised";
}

TEST_F(ProgressTest, TitleShowsTheStopWhileTheRunWaits)
{
    ShowUiWindow(frame, SW_MINIMIZE);
    g_ProgressHooks.stopPending = [] { return 1; };
    BeginProgress(frame, 1, 10, nullptr, 1, "切削", "Cut");
    AddProgress(5);
    UpdateProgress(1);
    EXPECT_EQ(Title(), "Cut: 50.0%-STOP!");
}

TEST_F(ProgressTest, SilentModeShowsTheCaptionInTheTitle)
{
    g_SilentMode = 1;
    BeginProgress(frame, 1, 0, nullptr, 1, "STL読み込み計算", "Reading STL");
    g_SilentMode = 0;
    EXPECT_EQ(Title(), "Reading STL");
    EXPECT_EQ(Bar(g_ProgressBar).shown, 0);
    EXPECT_EQ(GetProgressSnapshot().total, 1u) << "a total of 0 counts as 1";
}

TEST_F(ProgressTest, KindsTakeTheirTotals)
{
    char path[] = "/tmp/qumbra_progress_XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "0123456789", 10), 10);
    close(fd);
    BeginProgress(frame, 0, 0, path, 4, "", "");
    EXPECT_EQ(GetProgressSnapshot().total, 40u);
    BeginProgress(frame, 0, 0, "/no/such/file", 4, "", "");
    EXPECT_EQ(GetProgressSnapshot().total, 1u);
    g_ProgressHooks.kindTotal = [](int kind, const char*) -> uint64_t { return kind == 1000 ? 777 : 0; };
    BeginProgress(frame, 1000, 0, path, 1, "", "");
    EXPECT_EQ(GetProgressSnapshot().total, 777u);
    BeginProgress(frame, 2, 0, path, 1, "", "");
    EXPECT_EQ(GetProgressSnapshot().total, 1u);
    // The sub-file channel: the file's size, or the hook's in-memory length.
    BeginSubprogramProgress(nullptr, path);
    EXPECT_EQ(g_Progress.subTotal, 10u);
    EXPECT_EQ(Bar(g_ProgressBar2).shown, 1);
    UpdateSubProgress(0);
    AddSubProgress(10);
    UpdateSubProgress(0);
    EXPECT_EQ(Bar(g_ProgressBar2).position, 1000);
    HideSubProgress();
    EXPECT_EQ(Bar(g_ProgressBar2).shown, 0);
    g_ProgressHooks.subprogramTotal = [](const char*) -> uint64_t { return 500; };
    BeginSubprogramProgress(nullptr, path);
    EXPECT_EQ(g_Progress.subTotal, 500u);
    std::remove(path);
    EndProgress();
}

TEST_F(ProgressTest, CountersAdvanceOnAnotherThread)
{
    BeginProgress(frame, 1, 100000, nullptr, 1, "", "");
    std::thread worker([] {
        for (int k = 0; k < 100000; ++k) IncProgress();
    });
    while (UpdateProgress(0) < 1000) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    worker.join();
    EXPECT_EQ(GetProgress(), 100000);
    EXPECT_EQ(PartText(1), "100.0%");
    EndProgress();
}

}  // namespace
