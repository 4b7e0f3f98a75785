// The menu model (states by id through sub-menus, insertion by position, captions, deletion), popup
// menus with preset choices, and accelerator translation in the main loop.
#include <string>
#include "platform/ui/menu.h"
#include "tests/platform/ui_test_support.h"

namespace {

std::vector<std::pair<unsigned, unsigned>>* g_Commands = nullptr;   // id, notification
std::vector<uintptr_t>* g_Chars = nullptr;

intptr_t CommandProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    if (message == WM_COMMAND) {
        g_Commands->emplace_back(LowWord(wParam), HighWord(wParam));
        return 0;
    }
    if (message == WM_SYSCHAR || message == WM_CHAR || message == WM_KEYDOWN) {
        g_Chars->push_back(wParam);
        return 0;
    }
    if (message == WM_USER) {
        PostQuitUiMessage(0);
        return 0;
    }
    return DefaultWindowProc(window, message, wParam, lParam);
}

class MenuTest : public UiCoreTest {
protected:
    std::vector<std::pair<unsigned, unsigned>> commands;
    std::vector<uintptr_t> chars;
    WindowHandle frame = nullptr;
    MenuHandle bar = nullptr;
    MenuHandle file = nullptr;
    MenuHandle view = nullptr;
    void SetUp() override {
        UiCoreTest::SetUp();
        g_Commands = &commands;
        g_Chars = &chars;
        frame = CreateUiWindow("Frame", "", CommandProc, nullptr, WS_VISIBLE, nullptr, 0);
        bar = CreateUiMenu();
        file = CreateUiPopupMenu();
        view = CreateUiPopupMenu();
        AppendUiMenuItem(file, MF_STRING, 32771, "NCデータ選択(&N)");
        AppendUiMenuItem(file, MF_SEPARATOR, 0, nullptr);
        AppendUiMenuItem(file, MF_STRING | MF_GRAYED, 32893, "差分表示(&D)");
        AppendUiMenuItem(file, MF_STRING, 105, "終了(&X)");
        AppendUiMenuItem(view, MF_STRING | MF_CHECKED, 32800, "透視投影");
        AppendUiSubMenu(bar, file, "ファイル(&F)");
        AppendUiSubMenu(bar, view, "表示(&V)");
        SetUiWindowMenu(frame, bar);
    }
    void TearDown() override {
        SetUiWindowMenu(frame, nullptr);
        DestroyUiMenu(bar);
        UiCoreTest::TearDown();
        g_Commands = nullptr;
        g_Chars = nullptr;
    }
};

TEST_F(MenuTest, StatesByIdReachIntoSubMenus) {
    EXPECT_EQ(GetUiWindowMenu(frame), bar);
    EXPECT_EQ(GetUiMenuItemState(bar, 32893, MF_BYCOMMAND) & MF_GRAYED, static_cast<int>(MF_GRAYED));
    EXPECT_EQ(EnableUiMenuItem(bar, 32893, MF_ENABLED), static_cast<int>(MF_GRAYED));   // previous state
    EXPECT_EQ(GetUiMenuItemState(bar, 32893, MF_BYCOMMAND) & MF_GRAYED, 0);
    EXPECT_EQ(CheckUiMenuItem(bar, 32800, MF_UNCHECKED), static_cast<int>(MF_CHECKED));
    EXPECT_EQ(GetUiMenuItemState(view, 0, MF_BYPOSITION) & MF_CHECKED, 0);
    EXPECT_EQ(EnableUiMenuItem(bar, 99999, MF_GRAYED), -1);
    EXPECT_EQ(CheckUiMenuItem(nullptr, 32800, MF_CHECKED), -1);
    // Positions count separators; sub-menu items report their sub-menu.
    EXPECT_EQ(GetUiMenuItemId(file, 1), -1);
    EXPECT_EQ(GetUiMenuItemState(file, 1, MF_BYPOSITION) & MF_SEPARATOR, static_cast<int>(MF_SEPARATOR));
    EXPECT_EQ(GetUiSubMenu(bar, 1), view);
    EXPECT_EQ(GetUiSubMenu(bar, 5), nullptr);
}

TEST_F(MenuTest, ItemsInsertByPositionAndCaptionsAreReplaceable) {
    InsertUiMenuItem(file, 2, MF_STRING, 40001, "プラグイン1");     // before the greyed item
    InsertUiMenuItem(file, 0, MF_STRING, 40000, "先頭");
    InsertUiMenuItem(file, 100, MF_STRING, 40002, "末尾");          // past the end: appended
    std::vector<int> ids;
    for (int i = 0; i < CountUiMenuItems(file); ++i) ids.push_back(GetUiMenuItemId(file, i));
    EXPECT_EQ(ids, (std::vector<int>{40000, 32771, -1, 40001, 32893, 105, 40002}));

    EXPECT_EQ(SetUiMenuItemCaption(bar, 32771, MF_BYCOMMAND, "Select NC data(&N)"), 1);
    EXPECT_EQ(SetUiMenuItemCaption(bar, 0, MF_BYPOSITION, "File(&F)"), 1);
    char caption[64];
    EXPECT_EQ(GetUiMenuItemCaption(bar, 32771, MF_BYCOMMAND, caption, sizeof(caption)), 18);
    EXPECT_STREQ(caption, "Select NC data(&N)");
    GetUiMenuItemCaption(bar, 0, MF_BYPOSITION, caption, sizeof(caption));
    EXPECT_STREQ(caption, "File(&F)");
    EXPECT_EQ(GetUiMenuItemCaption(bar, 1, MF_BYCOMMAND, caption, sizeof(caption)), -1);

    EXPECT_EQ(DeleteUiMenuItem(bar, 40001, MF_BYCOMMAND), 1);
    EXPECT_EQ(DeleteUiMenuItem(bar, 40001, MF_BYCOMMAND), 0);
    EXPECT_EQ(CountUiMenuItems(file), 6);
    // A sub-menu inserted by position, then removed with its items.
    MenuHandle plugins = CreateUiPopupMenu();
    AppendUiMenuItem(plugins, MF_STRING, 40100, "P");
    InsertUiSubMenu(bar, 1, plugins, "Plug-in");
    EXPECT_EQ(GetUiSubMenu(bar, 1), plugins);
    EXPECT_EQ(GetUiMenuItemState(bar, 40100, MF_BYCOMMAND), 0);
    EXPECT_EQ(DeleteUiMenuItem(bar, 1, MF_BYPOSITION), 1);
    EXPECT_EQ(GetUiMenuItemState(bar, 40100, MF_BYCOMMAND), -1);
}

TEST_F(MenuTest, MenusMayBeEditedFromAnotherThread) {
    std::thread automation([&] { EnableUiMenuItem(bar, 32893, MF_ENABLED); });
    automation.join();
    EXPECT_EQ(GetUiMenuItemState(bar, 32893, MF_BYCOMMAND) & MF_GRAYED, 0);
}

TEST_F(MenuTest, PopupMenusPostTheChosenCommand) {
    MenuHandle popup = CreateUiPopupMenu();
    AppendUiBitmapItem(popup, 257, 228);
    EXPECT_EQ(GetUiMenuItemState(popup, 257, MF_BYCOMMAND) & MF_BITMAP, static_cast<int>(MF_BITMAP));
    EXPECT_EQ(TrackUiPopupMenu(popup, 10, 10, frame), 0);   // headless, nothing preset: nothing chosen
    PresetPopupMenuChoice(257);
    EXPECT_EQ(TrackUiPopupMenu(popup, 10, 10, frame), 1);
    RunLoopUntil([&] { return !commands.empty(); }, 1000);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], std::make_pair(257u, 0u));
    DestroyUiMenu(popup);
}

TEST_F(MenuTest, AcceleratorsTurnKeysIntoCommandsInTheMainLoop) {
    const AcceleratorEntry entries[] = {
        {FALT, '?', 104},
        {FALT, '/', 104},
        {FVIRTKEY | FCONTROL, 'S', 32786},
    };
    const AcceleratorTable table = {entries, 3};
    Watchdog watchdog(5000);
    PostUiMessage(frame, WM_SYSCHAR, '?', 0);   // Alt+"?": command 104
    PostUiMessage(frame, WM_CHAR, '?', 0);      // "?" alone: an ordinary character
    PostUiMessage(frame, WM_SYSCHAR, '/', 0);
    PostUiMessage(frame, WM_KEYDOWN, 'S', 0);   // S without Ctrl: a key
    PostUiMessage(frame, WM_USER, 0, 0);        // quit
    EXPECT_EQ(RunMessageLoop(&table), 0);
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0], std::make_pair(104u, 1u));
    EXPECT_EQ(commands[1], std::make_pair(104u, 1u));
    EXPECT_EQ(chars, (std::vector<uintptr_t>{'?', 'S'}));

    SetUiKeyState(VK_CONTROL, 1);
    UiMessage key = {frame, WM_KEYDOWN, 'S', 0};
    EXPECT_EQ(TranslateUiAccelerator(&table, &key), 1);
    SetUiKeyState(VK_CONTROL, 0);
    EXPECT_EQ(TranslateUiAccelerator(&table, &key), 0);
    EXPECT_EQ(commands.back(), std::make_pair(32786u, 1u));
}

}  // namespace
