// Dialogs from templates: init and command messages, the modal loop (serves sends, fires timers,
// ends on quit), presets and unattended answers, the control model and a user's actions, modeless
// dialogs.
#include <cstring>
#include <string>
#include "platform/ui/dialog.h"
#include "tests/platform/ui_test_support.h"

namespace {

constexpr int kTemplatePitch = 139;
constexpr int kFieldWork = 140;
constexpr int kCheckAuto = 1171;
constexpr int kRadioA = 301;
constexpr int kRadioB = 302;
constexpr int kRadioC = 303;
constexpr int kList = 400;

const DialogItemTemplate kPitchItems[] = {
    {-1, DIALOG_ITEM_STATIC, {5, 5, 120, 20}, "被切削材の精度", 0},
    {kFieldWork, DIALOG_ITEM_EDIT, {120, 5, 200, 20}, "", 0},
    {kCheckAuto, DIALOG_ITEM_CHECKBOX, {5, 25, 200, 40}, "精度の自動設定(&W)", 0},
    {kRadioA, DIALOG_ITEM_RADIO, {5, 45, 60, 60}, "A", DIALOG_ITEM_GROUP_START},
    {kRadioB, DIALOG_ITEM_RADIO, {65, 45, 120, 60}, "B", 0},
    {kRadioC, DIALOG_ITEM_RADIO, {125, 45, 180, 60}, "C", DIALOG_ITEM_GROUP_START},
    {kList, DIALOG_ITEM_COMBO_BOX, {5, 65, 200, 80}, "", 0},
    {IDOK, DIALOG_ITEM_DEFAULT_BUTTON, {5, 90, 60, 110}, "&OK", 0},
    {IDCANCEL, DIALOG_ITEM_BUTTON, {70, 90, 130, 110}, "&CANCEL", 0},
};
const DialogTemplate kPitchTemplate = {kTemplatePitch, "ピッチの設定", 220, 120, kPitchItems,
                                       static_cast<int>(sizeof(kPitchItems) / sizeof(kPitchItems[0])), 0};
const DialogTemplate kPanelTemplate = {226, "panel", 100, 100, nullptr, 0, WS_VISIBLE};

// What the dialog procedures saw.
struct DialogLog {
    std::mutex lock;
    std::vector<std::pair<int, unsigned>> commands;   // id, notification
    intptr_t initParam = 0;
    std::string textAtOk;
    int timerTicks = 0;
    std::atomic<WindowHandle> dialog{nullptr};
    int ignoreCancel = 0;
};
DialogLog* g_Log = nullptr;

intptr_t PitchDialogProc(WindowHandle dialog, unsigned message, uintptr_t wParam, intptr_t lParam) {
    DialogLog& log = *g_Log;
    switch (message) {
    case WM_INITDIALOG:
        log.initParam = lParam;
        log.dialog = dialog;
        SetDialogItemText(dialog, kFieldWork, "  1.000");
        CheckDialogButton(dialog, kCheckAuto, BST_CHECKED);
        AddDialogListItem(dialog, kList, "X");
        AddDialogListItem(dialog, kList, "Y");
        return 1;
    case WM_COMMAND: {
        int id = static_cast<int>(LowWord(wParam));
        {
            std::lock_guard<std::mutex> guard(log.lock);
            log.commands.emplace_back(id, HighWord(wParam));
        }
        if (id == IDOK) {
            char text[32];
            GetDialogItemText(dialog, kFieldWork, text, sizeof(text));
            log.textAtOk = text;
            EndUiDialog(dialog, 1);
        } else if (id == IDCANCEL && !log.ignoreCancel) {
            EndUiDialog(dialog, 0);
        }
        return 1;
    }
    default:
        return 0;
    }
}

intptr_t TimerDialogProc(WindowHandle dialog, unsigned message, uintptr_t wParam, intptr_t lParam) {
    (void)wParam;
    (void)lParam;
    if (message == WM_INITDIALOG) {
        SetUiTimer(dialog, 3, 2);
        return 1;
    }
    if (message == WM_TIMER && ++g_Log->timerTicks == 3) {
        EndUiDialog(dialog, 7);
        return 1;
    }
    return 0;
}

intptr_t PlainProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    if (message == WM_USER) return 5;
    return DefaultWindowProc(window, message, wParam, lParam);
}

class DialogTest : public UiCoreTest {
protected:
    DialogLog log;
    WindowHandle frame = nullptr;
    void SetUp() override {
        UiCoreTest::SetUp();
        g_Log = &log;
        frame = CreateUiWindow("Frame", "", PlainProc, nullptr, WS_VISIBLE, nullptr, 0);
    }
    void TearDown() override {
        UiCoreTest::TearDown();
        g_Log = nullptr;
    }
    bool SawCommand(int id, unsigned notification) {
        std::lock_guard<std::mutex> guard(log.lock);
        for (auto& c : log.commands) {
            if (c.first == id && c.second == notification) return true;
        }
        return false;
    }
};

TEST_F(DialogTest, PresetOkRunsInitAndCommandThroughTheProcedure) {
    PresetDialogCommand(kTemplatePitch, IDOK);
    EXPECT_EQ(RunModalDialog(&kPitchTemplate, frame, PitchDialogProc, 1234), 1);
    EXPECT_EQ(log.initParam, 1234);
    EXPECT_EQ(log.textAtOk, "  1.000");
    EXPECT_TRUE(SawCommand(kFieldWork, EN_CHANGE)) << "setting an edit's text notifies EN_CHANGE";
    EXPECT_TRUE(SawCommand(IDOK, BN_CLICKED));
    EXPECT_EQ(IsUiWindow(log.dialog.load()), 0) << "the modal dialog is destroyed when it ends";
    EXPECT_EQ(IsUiWindowEnabled(frame), 1);
}

TEST_F(DialogTest, TheModalLoopServesSendsFromOtherThreads) {
    Watchdog watchdog(5000);
    std::atomic<int> frameAnswer{0}, sentOk{0}, ownerDisabled{0};
    std::thread automation([&] {
        while (log.dialog.load() == nullptr) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ownerDisabled = !IsUiWindowEnabled(frame);
        intptr_t answer = 0;
        SendUiMessageTimeout(frame, WM_USER, 0, 0, 3000, &answer);    // the frame still answers
        frameAnswer = static_cast<int>(answer);
        TypeDialogItemText(log.dialog.load(), kFieldWork, "2.5");       // EN_CHANGE is sent through the loop too
        sentOk = SendUiMessageTimeout(log.dialog.load(), WM_COMMAND, MakeParam(IDOK, BN_CLICKED), 0, 3000, nullptr);
    });
    int result = RunModalDialog(&kPitchTemplate, frame, PitchDialogProc, 0);
    automation.join();
    EXPECT_EQ(watchdog.fired.load(), 0);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(frameAnswer.load(), 5);
    EXPECT_EQ(sentOk.load(), 1);
    EXPECT_EQ(ownerDisabled.load(), 1);
    EXPECT_EQ(log.textAtOk, "2.5");
}

TEST_F(DialogTest, TimersFireInTheModalLoop) {
    Watchdog watchdog(5000);
    const DialogTemplate timerTemplate = {77, "timer", 50, 50, nullptr, 0, 0};
    EXPECT_EQ(RunModalDialog(&timerTemplate, frame, TimerDialogProc, 0), 7);
    EXPECT_EQ(log.timerTicks, 3);
}

TEST_F(DialogTest, UnattendedDialogsCancelAndNeverHang) {
    g_UiSettings.unattended = 1;
    EXPECT_EQ(RunModalDialog(&kPitchTemplate, frame, PitchDialogProc, 0), 0);
    EXPECT_TRUE(SawCommand(IDCANCEL, BN_CLICKED));
    log.ignoreCancel = 1;   // a procedure that refuses to close is ended all the same
    EXPECT_EQ(RunModalDialog(&kPitchTemplate, frame, PitchDialogProc, 0), 0);
    // A preset still wins over the unattended default.
    PresetDialogCommand(kTemplatePitch, IDOK);
    EXPECT_EQ(RunModalDialog(&kPitchTemplate, frame, PitchDialogProc, 0), 1);
}

TEST_F(DialogTest, AQuitRequestEndsTheModalLoopAndStaysQueued) {
    std::thread worker([&] {
        while (log.dialog.load() == nullptr) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        PostQuitUiMessage(4);
    });
    EXPECT_EQ(RunModalDialog(&kPitchTemplate, frame, PitchDialogProc, 0), 0);
    worker.join();
    EXPECT_EQ(CountQueuedUiMessages(), 1);
    EXPECT_EQ(RunMessageLoop(nullptr), 4);
}

TEST_F(DialogTest, UserActionsChangeTheModelAndNotify) {
    WindowHandle dialog = CreateModelessDialog(&kPitchTemplate, frame, PitchDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(IsUiWindowVisible(dialog), 0) << "no WS_VISIBLE in the template";
    EXPECT_EQ(IsDialogButtonChecked(dialog, kCheckAuto), BST_CHECKED);
    EXPECT_EQ(ClickDialogItem(dialog, kCheckAuto), 1);
    EXPECT_EQ(IsDialogButtonChecked(dialog, kCheckAuto), BST_UNCHECKED);
    EXPECT_TRUE(SawCommand(kCheckAuto, BN_CLICKED));

    ClickDialogItem(dialog, kRadioA);
    ClickDialogItem(dialog, kRadioC);   // another group: A stays
    ClickDialogItem(dialog, kRadioB);   // same group as A: A is cleared
    EXPECT_EQ(IsDialogButtonChecked(dialog, kRadioA), 0);
    EXPECT_EQ(IsDialogButtonChecked(dialog, kRadioB), 1);
    EXPECT_EQ(IsDialogButtonChecked(dialog, kRadioC), 1);

    EnableDialogItem(dialog, kFieldWork, 0);
    EXPECT_EQ(TypeDialogItemText(dialog, kFieldWork, "9"), 0);
    EXPECT_EQ(ClickDialogItem(dialog, -1), 0);   // a label is not clickable
    EXPECT_EQ(SelectDialogListItem(dialog, kList, 1), 1);
    EXPECT_EQ(GetDialogListSelection(dialog, kList), 1);
    EXPECT_TRUE(SawCommand(kList, CBN_SELCHANGE));
    char text[8];
    EXPECT_EQ(GetDialogListItemText(dialog, kList, 0, text, sizeof(text)), 1);
    EXPECT_STREQ(text, "X");
    EXPECT_EQ(CountDialogListItems(dialog, kList), 2);
    EXPECT_EQ(GetDialogItemText(dialog, 9999, text, sizeof(text)), 0);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(GetDialogItemKind(dialog, kFieldWork), DIALOG_ITEM_EDIT);
    EXPECT_EQ(GetDialogTemplateId(dialog), kTemplatePitch);
    ShowDialogItem(dialog, kList, 0);
    EXPECT_EQ(IsDialogItemShown(dialog, kList), 0);
    DestroyUiWindow(dialog);
}

TEST_F(DialogTest, ModelessDialogsShowHideAndDieWithTheirOwner) {
    WindowHandle panel = CreateModelessDialog(&kPanelTemplate, frame, PitchDialogProc, 0);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(IsUiWindowVisible(panel), 1);
    // A send from another thread reaches a modeless dialog through the main loop.
    std::atomic<int> sent{0};
    std::thread worker([&] { sent = SendUiMessageTimeout(panel, WM_CLOSE, 0, 0, 3000, nullptr); });
    EXPECT_TRUE(RunLoopUntil([&] { return sent.load() == 1; }, 3000));
    worker.join();
    EXPECT_TRUE(SawCommand(IDCANCEL, BN_CLICKED)) << "an unhandled WM_CLOSE becomes IDCANCEL";
    EXPECT_EQ(IsUiWindowVisible(panel), 0) << "EndUiDialog hides a modeless dialog";
    DestroyUiWindow(frame);
    EXPECT_EQ(IsUiWindow(panel), 0);
}

}  // namespace
