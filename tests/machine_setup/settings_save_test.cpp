// Tests of saving the settings at exit: number forms of the work shapes, the colour groups chosen by the
// "Save" flags, pen use flags, transparencies, the window placement, silent mode, and that every line
// the program does not own is left as it was.
#include "machine_setup/settings/settings_save.h"

#include "platform/os/profile.h"
#include "platform/ui/event_core.h"
#include "settings_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <dirent.h>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using settings_test::SettingsTest;

namespace {

ColourValue Rgb(unsigned r, unsigned g, unsigned b) { return r | (g << 8) | (b << 16); }

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

std::string Value(const std::string& path, const char* section, const char* key)
{
    char value[256];
    ReadProfileString(section, key, "<none>", value, sizeof value, path.c_str());
    return value;
}

std::vector<std::string> FolderEntries(const std::string& path)
{
    std::vector<std::string> names;
    DIR* dir = opendir(path.c_str());
    while (dir != nullptr) {
        dirent* entry = readdir(dir);
        if (entry == nullptr) {
            break;
        }
        std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    if (dir != nullptr) {
        closedir(dir);
    }
    return names;
}

class SaveTest : public settings_test::FullSettingsWithFrameTest {
};

} // namespace

TEST(WorkShapeNumbers, WholeAndFractionalForms)
{
    const struct {
        double value;
        const char* text;
    } cases[] = {{100, "100"},
                 {-80, "-80"},
                 {0, "0"},
                 {-0.0, "0"},
                 {12.5, "12.5"},
                 {-0.25, "-0.25"},
                 {2.0000001, "2."},
                 {3000000000.0, "3000000000."},
                 {-2147483648.0, "-2147483648"},
                 {0.000001, "0.000001"},
                 {1e15 + 0.5, "1000000000000000.5"},
                 {NAN, "0"},
                 {INFINITY, "0"}};
    for (const auto& c : cases) {
        char text[64];
        FormatWorkShapeNumber(c.value, text, sizeof text);
        EXPECT_STREQ(c.text, text) << c.value;
    }
    char small[4];
    FormatWorkShapeNumber(123456.0, small, sizeof small);
    EXPECT_STREQ("123", small);
}

TEST_F(SettingsTest, WorkShapesWithStartValuesGiveTheDefaultTexts)
{
    char text[256];
    FormatInitialSizeValue(text, sizeof text);
    EXPECT_STREQ("(0,0,0,100,100,30)", text);
    FormatInitialSize2Value(text, sizeof text);
    EXPECT_STREQ("(LEFT,100,0,0,FRONT,200,0,0,BOTTOM,50,0,0)", text);
    FormatCylinderValue(text, sizeof text);
    EXPECT_STREQ("X(-80,0,0,80,100,40)", text);

    g_CylinderAxis = 2;
    const double cylinder[6] = {0, 0, 0.5, 50, 100, 0};
    std::copy(cylinder, cylinder + 6, g_CylinderValues);
    FormatCylinderValue(text, sizeof text);
    EXPECT_STREQ("Z(0,0,0.5,50,100,0)", text);
    g_StockAlign[0] = 0;
    g_StockAlign[1] = 1;
    g_StockAlign[2] = 1;
    FormatInitialSize2Value(text, sizeof text);
    EXPECT_STREQ("(CENTER,100,0,0,BACK,200,0,0,TOP,50,0,0)", text);
}

TEST_F(SettingsTest, WorkShapesReadBackExactly)
{
    const double values[] = {-12.125, 0.5, 7, 1e-6 * 3, 123456.75, -99999.5};
    for (int axis = 0; axis < 3; ++axis) {
        g_InitialSizeMinCorner[axis] = values[axis];
        g_InitialSizeMaxCorner[axis] = values[axis + 3];
        g_StockAlign[axis] = axis - 1;
        for (int i = 0; i < 3; ++i) {
            g_StockValues[axis][i] = values[axis + i];
        }
    }
    g_CylinderAxis = 1;
    std::copy(values, values + 6, g_CylinderValues);
    char size[256], size2[256], cylinder[256];
    FormatInitialSizeValue(size, sizeof size);
    FormatInitialSize2Value(size2, sizeof size2);
    FormatCylinderValue(cylinder, sizeof cylinder);
    settings_test::ResetAllSettings();
    ASSERT_EQ(1, ParseInitialSizeValue(size)) << size;
    ASSERT_EQ(1, ParseInitialSize2Value(size2)) << size2;
    ASSERT_EQ(1, ParseCylinderValue(cylinder)) << cylinder;
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_EQ(values[axis], g_InitialSizeMinCorner[axis]);
        EXPECT_EQ(values[axis + 3], g_InitialSizeMaxCorner[axis]);
        EXPECT_EQ(axis - 1, g_StockAlign[axis]);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(values[axis + i], g_StockValues[axis][i]);
        }
    }
    EXPECT_EQ(1, g_CylinderAxis);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(values[i], g_CylinderValues[i]);
    }
}

TEST_F(SaveTest, SavedSettingsReadBackAndOtherLinesStayAsTheyWere)
{
    const std::string before = settings_test::ReadText(ini);
    g_SaveMachineColour = 1;
    g_PenColours[0] = Rgb(1, 2, 3);
    g_PenColourFlags[6] = 0;            // a hidden pen
    g_PenColourFlags2[9] = 0;           // a pen whose tool paths are hidden
    g_PaintColour = Rgb(4, 5, 6);
    g_BaseColour = Rgb(7, 8, 9);
    g_ToolSideColour = Rgb(10, 11, 12);
    g_ToolTopColourSpecified = 1;
    g_HeadColours[HEAD_COLOUR_DOUBLE_STAR] = Rgb(13, 14, 15);
    g_TableColours[TABLE_COLOUR_TABLE2] = Rgb(16, 17, 18);
    g_TopPath2Colour = Rgb(19, 20, 21);
    g_BackgroundColourSetting = Rgb(22, 23, 24);
    g_WorkAlpha = 0.34f;
    g_ToolAlpha = 1.0f;
    g_MachineAlpha = 0.66f;
    g_BaseAlpha = 0.9f;   // never written
    g_InitialSizeMaxCorner[2] = 12.5;
    g_StockAlign[0] = 1;
    g_CylinderAxis = 1;
    g_CylinderValues[3] = 2.0000001;
    g_ShowToolPanel = 0;
    MoveUiWindow(frame, 11, 22, 333, 444);
    SaveSettingsToIni(frame);

    const std::vector<std::string> oldLines = SplitLines(before);
    const std::vector<std::string> newLines = SplitLines(settings_test::ReadText(ini));
    ASSERT_EQ(oldLines.size(), newLines.size()) << "every written key already existed";
    const std::set<std::string> ownedSections = {"Save", "Define", "DMEdata"};
    std::string section;
    for (size_t i = 0; i < oldLines.size(); ++i) {
        if (!oldLines[i].empty() && oldLines[i][0] == '[') {
            section = oldLines[i].substr(1, oldLines[i].find(']') - 1);
        }
        if (oldLines[i] == newLines[i]) {
            continue;
        }
        const std::string key = oldLines[i].substr(0, oldLines[i].find('='));
        EXPECT_EQ(key, newLines[i].substr(0, newLines[i].find('='))) << "line " << i;
        EXPECT_TRUE(ownedSections.count(section) == 1) << oldLines[i] << " -> " << newLines[i];
        EXPECT_TRUE(key.find("COLOR") != std::string::npos || key.find("ALPHA") != std::string::npos ||
                    key == "BACKGROUND" || section != "Define")
            << "only colours and transparencies change in Define: " << newLines[i];
        EXPECT_TRUE(key != "BASE ALPHA" && key.find("VALUE COLOR") == std::string::npos &&
                    key != "MAGAZINE NUMBER COLOR")
            << newLines[i];
    }
    EXPECT_EQ("(5,5,5)10", Value(ini, "Define", "PEN5 COLOR"));
    EXPECT_EQ("(6,6,6)01", Value(ini, "Define", "PEN6 COLOR"));
    EXPECT_EQ("(1,2,3)00", Value(ini, "Define", "PEN1 COLOR"));
    EXPECT_EQ("(1,2,3)01", Value(ini, "Define", "WORK COLOR"));
    EXPECT_EQ("0.3", Value(ini, "Define", "WORK ALPHA"));
    EXPECT_EQ("1.0", Value(ini, "Define", "TOOL ALPHA"));
    EXPECT_EQ("0.7", Value(ini, "Define", "MACHINE ALPHA"));
    EXPECT_EQ("0.0", Value(ini, "Define", "BASE ALPHA"));
    EXPECT_EQ("SPECIFIED", Value(ini, "Define", "TOOL-TOP COLOR MODE"));
    EXPECT_EQ("PEN COLOR", Value(ini, "Define", "TOP-PATH COLOR MODE"));
    EXPECT_EQ("Y(0,0,0.5,2.,100,0)", Value(ini, "DMEdata", "CYLINDER"));
    EXPECT_EQ("1", Value(ini, "Save", "SHOW"));
    EXPECT_EQ("11", Value(ini, "Save", "X"));
    EXPECT_EQ("22", Value(ini, "Save", "Y"));
    EXPECT_EQ("444", Value(ini, "Save", "HEIGHT"));
    EXPECT_EQ("333", Value(ini, "Save", "WIDE"));
    EXPECT_EQ("1", Value(ini, "Save", "SCREENS"));
    EXPECT_EQ("0", Value(ini, "Save", "VIEW_T"));
    EXPECT_EQ("2", Value(ini, "Save", "LINE COLOR"));
    EXPECT_EQ("1", Value(ini, "Save", "MACHINE COLOR"));
    EXPECT_EQ((std::vector<std::string>{"qumbra.ini"}), FolderEntries(folder.path)) << "no temporary left";

    // Reading again gives what was saved.
    const ColourValue head = g_HeadColours[HEAD_COLOUR_DOUBLE_STAR];
    settings_test::ResetAllSettings();
    ReadSettings();
    EXPECT_EQ(Rgb(1, 2, 3), g_PenColours[0]);
    EXPECT_EQ(0, g_PenColourFlags[0]);
    EXPECT_EQ(0, g_PenColourFlags[6]);
    EXPECT_EQ(1, g_PenColourFlags2[6]);
    EXPECT_EQ(0, g_PenColourFlags2[9]);
    EXPECT_EQ(Rgb(4, 5, 6), g_PaintColour);
    EXPECT_EQ(Rgb(7, 8, 9), g_BaseColour);
    EXPECT_EQ(Rgb(10, 11, 12), g_ToolSideColour);
    EXPECT_EQ(1, g_ToolTopColourSpecified);
    EXPECT_EQ(0, g_TopPathColourSpecified);
    EXPECT_EQ(head, g_HeadColours[HEAD_COLOUR_DOUBLE_STAR]);
    EXPECT_EQ(Rgb(16, 17, 18), g_TableColours[TABLE_COLOUR_TABLE2]);
    EXPECT_EQ(Rgb(19, 20, 21), g_TopPath2Colour);
    EXPECT_EQ(Rgb(22, 23, 24), g_BackgroundColourSetting);
    EXPECT_EQ(0.3f, g_WorkAlpha);
    EXPECT_EQ(1.0f, g_ToolAlpha);
    EXPECT_EQ(0.7f, g_MachineAlpha);
    EXPECT_EQ(0.0f, g_BaseAlpha);
    EXPECT_EQ(12.5, g_InitialSizeMaxCorner[2]);
    EXPECT_EQ(1, g_StockAlign[0]);
    EXPECT_EQ(1, g_CylinderAxis);
    EXPECT_EQ(2.0, g_CylinderValues[3]);
    EXPECT_EQ(11, g_WindowX);
    EXPECT_EQ(333, g_WindowWidth);
    EXPECT_EQ(1, g_SaveShowCmd);
    EXPECT_EQ(0, g_ShowToolPanel);
}

TEST_F(SaveTest, SaveFlagsChooseTheGroups)
{
    g_SaveWorkColour = 0;
    g_SaveToolColour = 2;
    g_SaveMachineColour = 0;
    g_SaveLineColour = 2;
    g_SaveBackground = 0;
    g_PenColours[1] = Rgb(99, 99, 99);
    g_WorkAlpha = 0.9f;
    g_ToolSideColour = Rgb(99, 99, 99);
    g_ToolAlpha = 0.9f;
    g_HeadColours[HEAD_COLOUR_HEAD] = Rgb(99, 99, 99);
    g_MachineAlpha = 0.9f;
    g_TopPathColour = Rgb(99, 99, 99);
    g_BackgroundColourSetting = Rgb(99, 99, 99);
    SaveSettingsToIni(frame);
    EXPECT_EQ("(1,2,3)00", Value(ini, "Define", "PEN1 COLOR"));
    EXPECT_EQ("0.3", Value(ini, "Define", "WORK ALPHA"));
    EXPECT_EQ("(81,82,83)", Value(ini, "Define", "TOOL-SIDE COLOR"));
    EXPECT_EQ("1.5", Value(ini, "Define", "TOOL ALPHA"));
    EXPECT_EQ("(121,122,123)", Value(ini, "Define", "HEAD COLOR"));
    EXPECT_EQ("-0.2", Value(ini, "Define", "MACHINE ALPHA"));
    EXPECT_EQ("(99,99,99)", Value(ini, "Define", "TOP-PATH COLOR"));
    EXPECT_EQ("(241,242,243)", Value(ini, "Define", "BACKGROUND"));
    EXPECT_EQ("0", Value(ini, "Save", "WORK COLOR"));
    EXPECT_EQ("2", Value(ini, "Save", "TOOL COLOR"));
    EXPECT_EQ("0", Value(ini, "Save", "BACKGROUND"));
}

TEST_F(SaveTest, PlacementIsKeptWhenNotSavedOrMinimised)
{
    const char* const keys[] = {"SHOW", "X", "Y", "HEIGHT", "WIDE", "SCREENS"};
    const std::string original[] = {"3", "100", "50", "700", "900", "2"};
    g_SaveDisplay = 0;
    SaveSettingsToIni(frame);
    EXPECT_EQ("0", Value(ini, "Save", "DISPLAY"));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(original[i], Value(ini, "Save", keys[i])) << keys[i];
    }
    g_SaveDisplay = 1;
    ShowUiWindow(frame, SW_MINIMIZE);
    SaveSettingsToIni(frame);
    EXPECT_EQ("1", Value(ini, "Save", "DISPLAY"));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(original[i], Value(ini, "Save", keys[i])) << keys[i];
    }
    // Maximised: the show command says so and the restored rectangle in memory is kept.
    ShowUiWindow(frame, SW_MAXIMIZE);
    SaveSettingsToIni(frame);
    EXPECT_EQ("3", Value(ini, "Save", "SHOW"));
    EXPECT_EQ("100", Value(ini, "Save", "X"));
    EXPECT_EQ("900", Value(ini, "Save", "WIDE"));
}

TEST_F(SaveTest, SilentModeAndUnwritableFilesLeaveEverythingAsItWas)
{
    const std::string before = settings_test::ReadText(ini);
    g_SilentMode = 1;
    g_PenColours[0] = Rgb(99, 99, 99);
    SaveSettingsToIni(frame);
    EXPECT_EQ(before, settings_test::ReadText(ini));
    g_SilentMode = 0;

    settings_test::CopyText(g_IniFilePath, sizeof g_IniFilePath, folder.File("missing/folder/q.ini"));
    SaveSettingsToIni(frame);   // nothing to assert but a quiet return
    EXPECT_EQ((std::vector<std::string>{"qumbra.ini"}), FolderEntries(folder.path));

    // A settings file that does not exist yet is created with the written keys.
    settings_test::CopyText(g_IniFilePath, sizeof g_IniFilePath, folder.File("new.ini"));
    g_WorkAlpha = 1.0f;
    SaveSettingsToIni(nullptr);
    EXPECT_EQ("1.0", Value(folder.File("new.ini"), "Define", "WORK ALPHA"));
    EXPECT_EQ("<none>", Value(folder.File("new.ini"), "Save", "X"));
    EXPECT_EQ("(LEFT,100,0,0,FRONT,200,0,0,BOTTOM,50,0,0)" == Value(folder.File("new.ini"), "DMEdata",
                                                                        "INITIAL SIZE2"),
              false);   // the fixture's shape was read
    EXPECT_EQ("(CENTER,80,5,5,BACK,60,0,0,TOP,40,0,2)", Value(folder.File("new.ini"), "DMEdata", "INITIAL SIZE2"));
}
