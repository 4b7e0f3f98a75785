// The message file and the menu state: the shipped English texts reach every menu item in menu order,
// the file is found in the current folder before the program folder, short and odd files, the check
// marks, and the menus greyed and enabled around a run.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "app_test_support.h"
#include "app/message_file.h"
#include "platform/ui/shell_services.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "platform/ui/shell_services.h"
#include "machine_setup/settings/work_settings.h"
#include "nc/interpreter_state.h"
#include "platform/ui/menu.h"
#include "resources/menu_resources.h"

namespace {

// Runs inside folder as the current folder, restoring the previous one.
std::string Caption(MenuHandle menu, int id, unsigned by = MF_BYCOMMAND)
{
    char text[256];
    return GetUiMenuItemCaption(menu, id, by, text, sizeof text) >= 0 ? text : "<none>";
}

class MessageFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_EnglishUi = 0;
        g_ProgramFolder[0] = '\0';
        ResetMessageFileTexts();
        menu = LoadMenuResource(MENU_MAIN);
    }
    void TearDown() override
    {
        DestroyUiMenu(menu);
        ResetMessageFileTexts();
        g_EnglishUi = 0;
        g_ProgramFolder[0] = '\0';
    }
    MenuHandle menu = nullptr;
    TempFolder folder;
};

TEST_F(MessageFile, WithoutTheFileEverythingStaysJapanese)
{
    InFolder in(folder.path);
    EXPECT_EQ(OpenMessageFile(), nullptr);
    EXPECT_EQ(g_EnglishUi, 0);
    ApplyMessageFileTexts(menu);
    EXPECT_EQ(Caption(menu, 32771), "選択（&S）");
    EXPECT_EQ(Caption(menu, 0, MF_BYPOSITION), "NCデータ(&N)");
    EXPECT_STREQ(g_CommandPanelTexts[1], "初期(&R)");
    EXPECT_STREQ(g_ToolDimensionLabels[0], "直径");
}

TEST_F(MessageFile, ShippedFileGivesEveryItemItsEnglishCaption)
{
    std::string text;
    FILE* shipped = std::fopen(QUMBRA_SOURCE_DIR "/resources/qumbra5000.mes", "r");
    ASSERT_NE(shipped, nullptr);
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, shipped) != nullptr) text += buffer;
    std::fclose(shipped);
    folder.Write("qumbra5000.mes", text);
    InFolder in(folder.path);
    ASSERT_NE(OpenMessageFile(), nullptr);
    EXPECT_EQ(g_EnglishUi, 1);
    ApplyMessageFileTexts(menu);
    EXPECT_EQ(g_MessageFile, nullptr);   // read and closed
    int count = 0;
    const MenuResourceItem* items = GetMenuResourceItems(MENU_MAIN, &count);
    int barPosition = 0;
    for (int i = 0; i < count; ++i) {
        const MenuResourceItem& item = items[i];
        if (item.depth == 0) {
            EXPECT_EQ(Caption(menu, barPosition++, MF_BYPOSITION), item.english);
        } else if (item.id > 0) {
            EXPECT_EQ(Caption(menu, item.id), item.english) << item.id;
            const int state = GetUiMenuItemState(menu, item.id, MF_BYCOMMAND);
            EXPECT_EQ((state & MF_GRAYED) != 0, (item.flags & MF_GRAYED) != 0) << item.id;
        }
    }
    EXPECT_EQ(Caption(GetUiSubMenu(menu, 2), 4, MF_BYPOSITION), "Stop Position(&N)");
    EXPECT_STREQ(g_CommandPanelTexts[0], "Menu");
    EXPECT_STREQ(g_CommandPanelTexts[1], "Home(&R)");
    EXPECT_STREQ(g_CommandPanelTexts[13], " XZ (&8)");
    EXPECT_STREQ(g_CommandPanelTexts[21], "Save(&B)");
    EXPECT_STREQ(g_ToolDimensionLabels[0], "Dia ");
    EXPECT_STREQ(g_ToolDimensionLabels[8], "TopR");
    EXPECT_STREQ(g_ToolDimensionLabels[23], " Ra ");
}

TEST_F(MessageFile, CurrentFolderBeforeProgramFolder)
{
    TempFolder programFolder;
    programFolder.Write("qumbra5000.mes", "[Program]\n");
    snprintf(g_ProgramFolder, sizeof g_ProgramFolder, "%s/", programFolder.path.c_str());
    {
        InFolder in(folder.path);
        ASSERT_NE(OpenMessageFile(), nullptr);
        char entry[MESSAGE_ENTRY_SIZE] = "";
        EXPECT_EQ(ReadMessageFileEntry(entry), 1);
        EXPECT_STREQ(entry, "Program");
    }
    folder.Write("qumbra5000.mes", "[Current]\r\n");
    InFolder in(folder.path);
    ASSERT_NE(OpenMessageFile(), nullptr);
    char entry[MESSAGE_ENTRY_SIZE] = "";
    EXPECT_EQ(ReadMessageFileEntry(entry), 1);
    EXPECT_STREQ(entry, "Current");
}

TEST_F(MessageFile, EntryFormsCommentsAndShortFiles)
{
    const std::string longLine(200, 'x');
    folder.Write("qumbra5000.mes",
                 "# comment\n\n  first\nletters are passed over\n one\n[" + longLine + "]\n");
    InFolder in(folder.path);
    ASSERT_NE(OpenMessageFile(), nullptr);
    char entry[MESSAGE_ENTRY_SIZE] = "";
    EXPECT_EQ(ReadMessageFileEntry(entry), 3);
    EXPECT_STREQ(entry, "first");
    EXPECT_EQ(ReadMessageFileEntry(entry), 2);
    EXPECT_STREQ(entry, "one");
    EXPECT_EQ(ReadMessageFileEntry(entry), 1);   // the long line comes in pieces of 79 characters
    EXPECT_EQ(std::strlen(entry), 78u);
    while (ReadMessageFileEntry(entry) != 0) {
    }
    EXPECT_EQ(ReadMessageFileEntry(entry), 0);
    ResetMessageFileTexts();

    // Fewer entries than items: the last one is repeated, also for the panel lines.
    folder.Write("qumbra5000.mes", "[Only]\n Item\n");
    g_EnglishUi = 0;
    ASSERT_NE(OpenMessageFile(), nullptr);
    ApplyMessageFileTexts(menu);
    EXPECT_EQ(Caption(menu, 0, MF_BYPOSITION), "Only");
    EXPECT_EQ(Caption(menu, 104), "Item");
    EXPECT_STREQ(g_CommandPanelTexts[0], "Item");
    EXPECT_STREQ(g_CommandPanelTexts[21], "Item(&B)");
}

TEST_F(MessageFile, LetterLinesAreSkippedAsEntriesButTakenAsPanelLines)
{
    MenuHandle small = CreateUiMenu();
    MenuHandle popup = CreateUiPopupMenu();
    AppendUiMenuItem(popup, MF_STRING | MF_GRAYED, 1, "a");
    AppendUiMenuItem(popup, MF_STRING | MF_CHECKED, 2, "b");
    AppendUiSubMenu(small, popup, "p");
    folder.Write("qumbra5000.mes", "[X]\nletter line\n Y\n#c\n Z\nTitleLongerThanEight\nAbcdefg\n");
    InFolder in(folder.path);
    ASSERT_NE(OpenMessageFile(), nullptr);
    ApplyMessageFileTexts(small);
    EXPECT_EQ(Caption(small, 1), "Y");
    EXPECT_EQ(GetUiMenuItemState(small, 1, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED), MF_GRAYED | MF_DISABLED);
    EXPECT_EQ(Caption(small, 2), "Z");
    EXPECT_EQ(GetUiMenuItemState(small, 2, MF_BYCOMMAND) & MF_CHECKED, 0);
    EXPECT_STREQ(g_CommandPanelTexts[0], "TitleLon");   // bounded to the title's 8 bytes
    EXPECT_STREQ(g_CommandPanelTexts[1], "Abcd(&R)");
    EXPECT_STREQ(g_CommandPanelTexts[21], "Abcd(&B)");  // the last line read stands for the rest
    DestroyUiMenu(small);
}

TEST_F(MessageFile, MenuChecksMirrorTheSettings)
{
    g_StopMode = 4;
    g_ToolCentreMode = 1;
    g_ShowAxisTriad = 1;
    g_RealRapid = 0;
    UpdateMenuChecks(menu);
    for (int id = 32853; id <= 32857; ++id) {
        EXPECT_EQ((GetUiMenuItemState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0, id == 32857) << id;
    }
    for (int id = 32897; id <= 32899; ++id) {
        EXPECT_EQ((GetUiMenuItemState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0, id == 32898) << id;
    }
    EXPECT_TRUE(GetUiMenuItemState(menu, 32828, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(GetUiMenuItemState(menu, 32908, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(GetUiMenuItemState(menu, 32931, MF_BYCOMMAND), -1);   // no NC tool-data library: no item
    g_StopMode = 0;
    g_ToolCentreMode = 0;
}

TEST_F(MessageFile, RunGreysMenusAndItsEndEnablesWorkItemsOnlyWithAWork)
{
    auto greyed = [this](int id) { return (GetUiMenuItemState(menu, id, MF_BYCOMMAND) & MF_GRAYED) != 0; };
    for (int id : {32771, 32772, 32774, 32777, 32781, 32782, 32779, 32907, 32784}) {
        EXPECT_FALSE(greyed(id) && id != 32774 && id != 32777) << id;
    }
    DisableMenusForRun(nullptr, menu);
    for (int id : {32771, 32772, 32773, 32774, 32775, 32776, 32777, 32778, 32781, 32782, 32783, 32779, 32907,
                   32784, 32787, 138}) {
        EXPECT_TRUE(greyed(id)) << id;
    }
    EXPECT_FALSE(greyed(105));    // exit stays
    EXPECT_FALSE(greyed(32800));  // construction points stay

    g_WorkDefined = 0;
    g_BasicModelPath[0] = '\0';
    EnableMenusAfterRun(nullptr, menu);
    for (int id : {32771, 32774, 32777, 32781, 32779, 32907, 32852, 32784, 32787, 138}) EXPECT_FALSE(greyed(id)) << id;
    for (int id : {32905, 32786, 32826, 32788, 32789, 32851, 32893}) EXPECT_TRUE(greyed(id)) << id;

    g_WorkDefined = 1;
    DisableMenusForRun(nullptr, menu);
    EnableMenusAfterRun(nullptr, menu);
    for (int id : {32905, 32786, 32826, 32788, 32789, 32851}) EXPECT_FALSE(greyed(id)) << id;
    EXPECT_TRUE(greyed(32893));   // no basic model
    std::snprintf(g_BasicModelPath, sizeof g_BasicModelPath, "base.stl");
    EnableWorkEditMenu(menu, MF_ENABLED);
    EXPECT_FALSE(greyed(32893));
    g_WorkDefined = 0;
    g_BasicModelPath[0] = '\0';
}

}  // namespace
