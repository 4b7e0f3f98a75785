// The open and save dialogs on the headless event core, answered by presets: what each dialog is asked
// to show (title, groups, first group, OK caption, check box), what it hands back, the groups it
// remembers, and the filter and name routines behind them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/file_dialogs.h"
#include "app/plugins.h"
#include "app/startup.h"
#include "machine_setup/controller/work_coordinates.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/settings/work_settings.h"
#include "platform/ui/message_box.h"
#include "platform/ui/shell_services.h"
#include "work_model/work_values.h"

namespace {

// The names of a filter's groups, in order.
std::vector<std::string> GroupNames(const std::string& filter) {
    std::vector<std::string> names;
    for (const char* p = filter.c_str(); p < filter.c_str() + filter.size() && *p != '\0';) {
        names.push_back(p);
        p += std::strlen(p) + 1;
        p += std::strlen(p) + 1;
    }
    return names;
}

// The pattern of group index (0-based).
std::string GroupPattern(const std::string& filter, size_t index) {
    const char* p = filter.c_str();
    for (size_t i = 0; i < index; ++i) {
        p += std::strlen(p) + 1;
        p += std::strlen(p) + 1;
    }
    return p + std::strlen(p) + 1;
}

ShownFileDialog LastDialog() {
    ShownFileDialog shown;
    EXPECT_EQ(GetLastFileDialog(&shown), 1);
    return shown;
}

class FileDialogs : public ::testing::Test {
protected:
    char folder[FILE_DIALOG_PATH_SIZE] = "/data/start";
    char path[FILE_DIALOG_PATH_SIZE] = "/data/start/old.ttl";

    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        ResetFileDialogMemory();
        ClearFileAndColourPresets();
        g_EnglishUi = 0;
        g_OsIsVistaOrLater = 0;
        g_BasicModelDialogActive = 0;
        g_ImportInWorkCoordinates = 0;
        g_ExportInWorkCoordinates = 0;
        g_ActiveWorkOffset = AxisPosition{};
        g_WorkCoordRotated = 0;
        g_WorkLoadKind = 0;
        g_WorkSaveKind = 0;
        g_ReadPlugins = PluginFamilyTable{};
    }
};

TEST_F(FileDialogs, OpenDialogsShowTheirKindInBothLanguages) {
    struct Case {
        int kind;
        int english;
        const char* title;
        std::vector<std::string> groups;
        const char* lastPattern;
        int firstGroup;
    };
    const Case cases[] = {
        {OPEN_TOOL_TABLE, 1, "TTL", {"TTL(*.TTL)"}, "*.TTL", 1},
        {OPEN_TOOL_TABLE, 0, "工具設定ファイル", {"工具設定ﾌｧｲﾙ(*.TTL)"}, "*.TTL", 1},
        {OPEN_CONTROLLER, 0, "コントローラ定義ファイル", {"ｺﾝﾄﾛ-ﾗ定義ﾌｧｲﾙ(*.CTL)"}, "*.CTL", 1},
        {OPEN_WORK, 1, "Work",
         {"DME(*.DME)", "DMF(*.DMF)", "STL Format(*.STL)", "Work(*.DME;*.DMF;*.STL)"}, "*.DME;*.DMF;*.STL", 4},
        {OPEN_WORK, 0, "被切削材定義ファイル",
         {"DMEﾌｧｲﾙ(*.DME)", "DMFﾌｧｲﾙ(*.DMF)", "STLﾌｫｰﾏｯﾄ(*.STL)", "形状ﾌｧｲﾙ(*.DME;*.DMF;*.STL)"},
         "*.DME;*.DMF;*.STL", 4},
        {OPEN_MACHINE, 1, "MTL", {"MTL(*.MTL)"}, "*.MTL", 1},
        {OPEN_BASIC_MODEL, 0, "基準形状ファイル", {"STLﾌｫｰﾏｯﾄ(*.STL)"}, "*.STL", 1},
        {OPEN_VICE, 1, "VICE", {"VICE(*.STL)"}, "*.STL", 1},
        {OPEN_VICE, 0, "VICE形状定義ファイル", {"VICE形状定義ﾌｧｲﾙ(*.STL)"}, "*.STL", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        g_EnglishUi = c.english;
        EXPECT_EQ(ShowOpenDataFileDialog(nullptr, c.kind, folder, path), 0);   // nobody answers: cancelled
        const ShownFileDialog shown = LastDialog();
        EXPECT_EQ(shown.save, 0);
        EXPECT_EQ(shown.title, c.title);
        EXPECT_EQ(GroupNames(shown.filter), c.groups);
        EXPECT_EQ(GroupPattern(shown.filter, c.groups.size() - 1), c.lastPattern);
        EXPECT_EQ(shown.filterIndex, c.firstGroup);
        EXPECT_EQ(shown.initialFolder, "/data/start");
        EXPECT_EQ(shown.path, "");   // the name field starts empty
        EXPECT_NE(shown.flags & FILE_DIALOG_MUST_EXIST, 0u);
        EXPECT_EQ(shown.hasCheckbox, 0);
        EXPECT_EQ(shown.okCaption, "");
    }
    // Cancelling changed nothing; a kind without a dialog shows none.
    EXPECT_STREQ(folder, "/data/start");
    EXPECT_STREQ(path, "/data/start/old.ttl");
    ClearFileAndColourPresets();
    EXPECT_EQ(ShowOpenDataFileDialog(nullptr, 3, folder, path), 0);
    EXPECT_EQ(ShowOpenDataFileDialog(nullptr, 7, folder, path), 0);
    ShownFileDialog none;
    EXPECT_EQ(GetLastFileDialog(&none), 0);
}

TEST_F(FileDialogs, OpenDialogsReturnTheFileAndRememberTheWorkGroups) {
    // The work dialog starts on the all-work group, then on the one chosen last.
    PresetFileDialogAnswer(1, "/parts/new/a.dmf", 2, 0);
    ASSERT_EQ(ShowOpenDataFileDialog(nullptr, OPEN_WORK, folder, path), 1);
    EXPECT_STREQ(path, "/parts/new/a.dmf");
    EXPECT_STREQ(folder, "/parts/new");
    EXPECT_EQ(g_WorkLoadKind, 2);
    PresetFileDialogAnswer(0, "", 3, 0);
    EXPECT_EQ(ShowOpenDataFileDialog(nullptr, OPEN_WORK, folder, path), 0);
    EXPECT_EQ(LastDialog().filterIndex, 2);
    EXPECT_STREQ(path, "/parts/new/a.dmf");   // cancelled: unchanged
    EXPECT_EQ(g_WorkLoadKind, 2);
    // An answer outside the groups counts as the first group.
    PresetFileDialogAnswer(1, "/parts/b.dme", 9, 0);
    ASSERT_EQ(ShowOpenDataFileDialog(nullptr, OPEN_WORK, folder, path), 1);
    EXPECT_EQ(g_WorkLoadKind, 1);

    // The tool table always starts on its only group; "\" separates folders too.
    PresetFileDialogAnswer(1, "\\tables\\mill.TTL", 1, 0);
    ASSERT_EQ(ShowOpenDataFileDialog(nullptr, OPEN_TOOL_TABLE, folder, path), 1);
    EXPECT_STREQ(folder, "\\tables");
    EXPECT_EQ(ShowOpenDataFileDialog(nullptr, OPEN_TOOL_TABLE, folder, path), 0);
    EXPECT_EQ(LastDialog().filterIndex, 1);
    EXPECT_EQ(LastDialog().initialFolder, "\\tables");
    // A file in the root keeps its folder.
    PresetFileDialogAnswer(1, "/m.MTL", 1, 0);
    ASSERT_EQ(ShowOpenDataFileDialog(nullptr, OPEN_MACHINE, folder, path), 1);
    EXPECT_STREQ(folder, "/");
}

TEST_F(FileDialogs, BasicModelDialogAsksForWorkCoordinatesOnlyWhileTheyAreInUse) {
    g_BasicModelDialogActive = 1;
    g_ImportInWorkCoordinates = 1;   // from the settings file
    // No work coordinate system: OK is renamed, no box, and the setting is left alone.
    PresetFileDialogAnswer(1, "/models/base.stl", 1, 0);
    ASSERT_EQ(ShowOpenDataFileDialog(nullptr, OPEN_BASIC_MODEL, folder, path), 1);
    ShownFileDialog shown = LastDialog();
    EXPECT_EQ(shown.okCaption, "これを基準に");
    EXPECT_EQ(shown.hasCheckbox, 0);
    EXPECT_EQ(g_ImportInWorkCoordinates, 1);

    // An offset in Z: the box shows the setting and its answer becomes the setting.
    g_EnglishUi = 1;
    g_ActiveWorkOffset.axis[AXIS_Z] = -50.0;
    PresetFileDialogAnswer(1, "/models/base2.stl", 1, 0);
    ASSERT_EQ(ShowOpenDataFileDialog(nullptr, OPEN_BASIC_MODEL, folder, path), 1);
    shown = LastDialog();
    EXPECT_EQ(shown.okCaption, "&OK");
    EXPECT_EQ(shown.checkboxCaption, "Workpiece Coordinate");
    EXPECT_EQ(shown.checkboxValue, 1);
    EXPECT_EQ(g_ImportInWorkCoordinates, 0);

    // A rotation alone counts too; a cancelled box changes nothing, nor does it later.
    g_EnglishUi = 0;
    g_ActiveWorkOffset = AxisPosition{};
    g_WorkCoordRotated = 1;
    PresetFileDialogAnswer(0, "", 1, 1);
    EXPECT_EQ(ShowOpenDataFileDialog(nullptr, OPEN_BASIC_MODEL, folder, path), 0);
    EXPECT_EQ(LastDialog().checkboxCaption, "ワーク座標系で処理");
    EXPECT_EQ(g_ImportInWorkCoordinates, 0);
    g_WorkCoordRotated = 0;
    PresetFileDialogAnswer(1, "/models/base3.stl", 1, 0);
    ASSERT_EQ(ShowOpenDataFileDialog(nullptr, OPEN_BASIC_MODEL, folder, path), 1);
    EXPECT_EQ(g_ImportInWorkCoordinates, 0);

    // Other kinds rename OK only while the basic-model command asks.
    g_BasicModelDialogActive = 0;
    EXPECT_EQ(ShowOpenDataFileDialog(nullptr, OPEN_VICE, folder, path), 0);
    EXPECT_EQ(LastDialog().okCaption, "");
}

TEST_F(FileDialogs, SaveDialogProposesTheNameAndSetsKindAndCoordinates) {
    char name[FILE_DIALOG_PATH_SIZE] = "/parts/old/part.v2";
    g_ExportInWorkCoordinates = 1;
    EXPECT_EQ(ShowSaveDataFileDialog(nullptr, 1, folder, name), 0);
    ShownFileDialog shown = LastDialog();
    EXPECT_EQ(shown.save, 1);
    EXPECT_EQ(shown.title, "形状データを保存");
    EXPECT_EQ(GroupNames(shown.filter),
              (std::vector<std::string>{"被切削材定義ﾌｧｲﾙ(*.DME)", "STLﾌｫｰﾏｯﾄ/ﾃｷｽﾄ(*.STL)",
                                        "STLﾌｫｰﾏｯﾄ/ﾊﾞｲﾅﾘ/ｲﾝﾃﾙ系(*.STL)", "STLﾌｫｰﾏｯﾄ/ﾊﾞｲﾅﾘ/ﾓﾄﾛｰﾗ系(*.STL)"}));
    EXPECT_EQ(shown.path, "part.v2");   // the name without its folder, dotted or not
    EXPECT_EQ(shown.initialFolder, "/data/start");
    EXPECT_NE(shown.flags & FILE_DIALOG_OVERWRITE_PROMPT, 0u);
    EXPECT_EQ(shown.filterIndex, 1);
    EXPECT_EQ(shown.checkboxCaption, "保存時はワーク座標系で処理(DMEも対象)");
    EXPECT_EQ(shown.checkboxValue, 1);
    EXPECT_STREQ(name, "/parts/old/part.v2");
    EXPECT_EQ(g_ExportInWorkCoordinates, 1);

    g_EnglishUi = 1;
    g_OsIsVistaOrLater = 1;
    PresetFileDialogAnswer(1, "/out/result.stl", 4, 0);
    ASSERT_EQ(ShowSaveDataFileDialog(nullptr, 1, folder, name), 1);
    shown = LastDialog();
    EXPECT_EQ(shown.title, "Save Work");
    EXPECT_EQ(GroupNames(shown.filter)[3], "STL Format/Binary/Motlora(*.STL)");
    EXPECT_EQ(shown.checkboxCaption, "Workpiece Coordinate");
    EXPECT_EQ(shown.path, "part.v2");
    EXPECT_STREQ(name, "/out/result.stl");
    EXPECT_STREQ(folder, "/out");
    EXPECT_EQ(g_WorkSaveKind, 4);
    EXPECT_EQ(g_ExportInWorkCoordinates, 0);
    // The next save starts on the group chosen last; other kinds have no save dialog.
    EXPECT_EQ(ShowSaveDataFileDialog(nullptr, 1, folder, name), 0);
    EXPECT_EQ(LastDialog().filterIndex, 4);
    EXPECT_EQ(LastDialog().path, "result.stl");
    EXPECT_EQ(ShowSaveDataFileDialog(nullptr, 2, folder, name), 0);
    EXPECT_EQ(g_WorkSaveKind, 4);
}

TEST_F(FileDialogs, NcDialogListsTheUserPatternFirstAndTheReaderGroups) {
    char pattern[NC_PATTERN_SIZE] = "*.NC;*.TAP";
    // Where the dialog has no custom filter, the user group leads the filter.
    g_EnglishUi = 1;
    g_OsIsVistaOrLater = 1;
    EXPECT_EQ(ShowOpenNcFileDialog(nullptr, folder, pattern), 0);
    ShownFileDialog shown = LastDialog();
    EXPECT_EQ(shown.title, "NC DATA FILE");
    EXPECT_EQ(GroupNames(shown.filter),
              (std::vector<std::string>{"user specified files(*.NC;*.TAP)", "NC-File(*.NC)", "All(*.*)"}));
    EXPECT_EQ(GroupPattern(shown.filter, 0), "*.NC;*.TAP");
    EXPECT_EQ(shown.filterIndex, 0);   // the first group
    EXPECT_NE(shown.flags & FILE_DIALOG_MUST_EXIST, 0u);
    EXPECT_STREQ(pattern, "*.NC;*.TAP");

    // Elsewhere it is the custom filter, shown first as group 0; two readers add their groups.
    g_EnglishUi = 0;
    g_OsIsVistaOrLater = 0;
    static int modules[2];
    g_ReadPlugins.count = 2;
    g_ReadPlugins.module[0] = &modules[0];
    g_ReadPlugins.module[1] = &modules[1];
    std::strcpy(g_ReadPlugins.name[0], "APT");
    std::strcpy(g_ReadPlugins.suffix[0], ".apt;.cl");
    std::strcpy(g_ReadPlugins.name[1], "ISO");
    std::strcpy(g_ReadPlugins.suffix[1], ".iso");
    EXPECT_EQ(ShowOpenNcFileDialog(nullptr, folder, pattern), 0);
    shown = LastDialog();
    EXPECT_EQ(shown.title, "NCデータファイル");
    EXPECT_EQ(GroupNames(shown.filter),
              (std::vector<std::string>{"ユーザー指定", "NCファイル(*.NC)", "すべてのﾌｧｲﾙ(*.*)", "APT", "ISO"}));
    EXPECT_EQ(GroupPattern(shown.filter, 0), "*.NC;*.TAP");
    EXPECT_EQ(GroupPattern(shown.filter, 3), "*.apt;*.cl");
    EXPECT_EQ(GroupPattern(shown.filter, 4), "*.iso");
    EXPECT_EQ(shown.filterIndex, 1);

    // The chosen file goes into the pattern, its folder into folder; the group is remembered as the
    // dialog counts it (the standard "All" group is 2 behind the custom filter).
    PresetFileDialogAnswer(1, "/nc/jobs/p1.iso", 3, 0);
    ASSERT_EQ(ShowOpenNcFileDialog(nullptr, folder, pattern), 1);
    EXPECT_STREQ(pattern, "/nc/jobs/p1.iso");
    EXPECT_STREQ(folder, "/nc/jobs");
    EXPECT_EQ(g_FileDialogMemory.ncFilterIndex, 2);
    EXPECT_EQ(ShowOpenNcFileDialog(nullptr, folder, pattern), 0);
    EXPECT_EQ(LastDialog().filterIndex, 3);
    EXPECT_EQ(GroupNames(LastDialog().filter)[0], "ユーザー指定");
    EXPECT_EQ(GroupPattern(LastDialog().filter, 0), "/nc/jobs/p1.iso");
}

TEST_F(FileDialogs, NcPatternTooLongForItsBufferIsLeftOut) {
    char pattern[NC_PATTERN_SIZE];
    std::memset(pattern, 'x', sizeof pattern - 1);
    pattern[sizeof pattern - 1] = '\0';
    pattern[0] = '*';
    for (int vista = 0; vista <= 1; ++vista) {
        g_OsIsVistaOrLater = vista;
        g_EnglishUi = 1;
        EXPECT_EQ(ShowOpenNcFileDialog(nullptr, folder, pattern), 0);
        EXPECT_EQ(GroupNames(LastDialog().filter), (std::vector<std::string>{"NC-File(*.NC)", "All(*.*)"}));
    }
    // Just fitting the custom filter: 80 bytes with the group name and both NULs.
    std::string fits(80 - std::strlen("user specified files") - 2, 'y');
    std::strcpy(pattern, fits.c_str());
    g_OsIsVistaOrLater = 0;
    EXPECT_EQ(ShowOpenNcFileDialog(nullptr, folder, pattern), 0);
    EXPECT_EQ(GroupPattern(LastDialog().filter, 0), fits);
    std::strcpy(pattern, (fits + "y").c_str());
    EXPECT_EQ(ShowOpenNcFileDialog(nullptr, folder, pattern), 0);
    EXPECT_EQ(GroupNames(LastDialog().filter)[0], "NC-File(*.NC)");
}

TEST(FileDialogRoutines, MatchesExtensionList) {
    static int module;
    struct Case {
        const void* module;
        const char* name;
        const char* list;
        int expected;
    } cases[] = {
        {&module, "/nc/part.CL", ".apt;.cl", 1},   // the second suffix, other case
        {&module, "/nc/part.APT", ".apt;.cl", 1},
        {&module, "/nc/part.nc", ".apt;.cl", 0},
        {&module, "/nc/part.apt.bak", ".apt", 0},
        {&module, "t", ".apt", 0},                  // never compared before the name's start
        {&module, "/nc/part.nc", "", 1},            // an empty list takes every name
        {nullptr, "/nc/part.apt", ".apt", 0},       // no module: nothing
        {&module, "p.abcdefghi", ".abcdefghiXYZ", 1},   // only the list's 10 bytes count
    };
    char unterminated[PLUGIN_SUFFIX_SIZE + 4];
    std::memcpy(unterminated, ".abcdefghiXYZ", sizeof unterminated);   // no NUL within the list
    for (const Case& c : cases) {
        const char* list = std::strlen(c.list) > 9 ? unterminated : c.list;
        EXPECT_EQ(MatchesExtensionList(c.module, c.name, list), c.expected) << c.name << " " << c.list;
    }
}

TEST(FileDialogRoutines, BuildExtensionFilterAppendsLoadedSlotsThatFit) {
    static int a, c;
    void* modules[3] = {&a, nullptr, &c};
    char names[3][PLUGIN_NAME_SIZE] = {"Reader A", "Unused", "Reader C"};
    char suffixes[3][PLUGIN_SUFFIX_SIZE] = {".a1;.a2", ".b", ".c"};
    const char base[] = "All(*.*)\0*.*";
    char buffer[64];
    int length = BuildExtensionFilter(sizeof base - 1, 3, modules, names[0], suffixes[0], base, buffer, sizeof buffer);
    const char expected[] = "All(*.*)\0*.*\0Reader A\0*.a1;*.a2\0Reader C\0*.c\0";
    ASSERT_EQ(length, static_cast<int>(sizeof expected - 2));
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(length) + 2), std::string(expected, sizeof expected));
    // A buffer with room for the first group only leaves the second out; one too small for the base fails.
    length = BuildExtensionFilter(sizeof base - 1, 3, modules, names[0], suffixes[0], base, buffer, 36);
    const char first[] = "All(*.*)\0*.*\0Reader A\0*.a1;*.a2\0";
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(length) + 2), std::string(first, sizeof first));
    EXPECT_EQ(BuildExtensionFilter(sizeof base - 1, 3, modules, names[0], suffixes[0], base, buffer, 13), -1);
    // An empty base starts with the first group itself.
    length = BuildExtensionFilter(0, 1, modules, names[0], suffixes[0], "", buffer, sizeof buffer);
    const char alone[] = "Reader A\0*.a1;*.a2\0";
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(length) + 2), std::string(alone, sizeof alone));
}

TEST(FileDialogRoutines, GetDirectoryOfPath) {
    const struct {
        const char* path;
        const char* folder;
    } cases[] = {
        {"/a/b/c.nc", "/a/b"}, {"\\a\\b\\c.nc", "\\a\\b"}, {"/a\\b/c", "/a\\b"}, {"/c.nc", "/"}, {"c.nc", ""},
    };
    for (const auto& c : cases) {
        char folder[FILE_DIALOG_PATH_SIZE] = "unchanged";
        GetDirectoryOfPath(c.path, folder);
        EXPECT_STREQ(folder, c.folder) << c.path;
    }
}

}  // namespace
