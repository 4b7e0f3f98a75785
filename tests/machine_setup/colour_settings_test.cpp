// Tests of the colour settings: the colour value rules of the settings file and of colour files, the
// use flags, transparencies, the text forms written back, the backup copy and the reading of the set.
#include "machine_setup/settings/colour_settings.h"

#include "settings_test_support.h"

#include "platform/os/profile.h"

#include <gtest/gtest.h>

using settings_test::SettingsTest;

namespace {

ColourValue Rgb(unsigned r, unsigned g, unsigned b) { return r | (g << 8) | (b << 16); }

struct ColourCase {
    const char* value;
    ColourValue previous;
    ColourValue iniResult;    // settings-file rule
    ColourValue fileResult;   // colour-file rule
    int flag1;
    int flag2;
};

} // namespace

TEST(ColourValue, SettingsAndColourFileRules)
{
    const ColourValue before = Rgb(1, 77, 3);
    const ColourCase cases[] = {
        {"(127,127,255)", before, Rgb(127, 127, 255), Rgb(127, 127, 255), 1, 1},
        {"BLACK", before, 0, 0, 1, 1},
        {"white", before, 0xFFFFFF, 0xFFFFFF, 1, 1},
        {"WHITE and more", before, 0, 0, 1, 1},   // not the word: three missing numbers
        {"RED", before, 0, 0, 1, 1},
        {"(300,-5,128)", before, Rgb(255, 0, 128), Rgb(255, 77, 128), 1, 1},
        {"(10.9,20.2,-0.5)", before, Rgb(10, 20, 0), Rgb(10, 20, 0), 1, 1},   // -0.5 truncates to 0
        {"(5,6)", before, Rgb(5, 6, 0), Rgb(5, 6, 0), 1, 1},
        {"(10,20,30)1", before, Rgb(10, 20, 30), Rgb(10, 20, 30), 1, 1},
        {"(10,20,30)01", before, Rgb(10, 20, 30), Rgb(10, 20, 30), 0, 1},
        {"(0,255,0)00", before, Rgb(0, 255, 0), Rgb(0, 255, 0), 0, 0},
        {"(0,255,0)10", before, Rgb(0, 255, 0), Rgb(0, 255, 0), 1, 0},
        {"(0,255,0)x0", before, Rgb(0, 255, 0), Rgb(0, 255, 0), 1, 1},
        {"(0,255,0) 00", before, Rgb(0, 255, 0), Rgb(0, 255, 0), 1, 1},
        {"(0,255,0", before, Rgb(0, 255, 0), Rgb(0, 255, 0), 1, 1},
        {"", before, 0, 0, 1, 1},
        {"(1e9,2,3)", before, Rgb(255, 2, 3), Rgb(255, 2, 3), 1, 1},
    };
    for (const ColourCase& c : cases) {
        SCOPED_TRACE(c.value);
        ColourValue ini = c.previous;
        int f1 = 7, f2 = 7;
        ParseIniColourValue(c.value, &ini, &f1, &f2);
        EXPECT_EQ(c.iniResult, ini);
        EXPECT_EQ(c.flag1, f1);
        EXPECT_EQ(c.flag2, f2);

        ColourValue file = c.previous;
        f1 = f2 = 7;
        ParseColourWithFlags(c.value, &file, &f1, &f2);
        EXPECT_EQ(c.fileResult, file);
        EXPECT_EQ(c.flag1, f1);
        EXPECT_EQ(c.flag2, f2);

        ColourValue plain = c.previous;
        ParseColour(c.value, &plain);
        EXPECT_EQ(c.fileResult, plain);
    }
}

TEST(ColourValue, FormsWrittenBackReadTheSame)
{
    char text[32];
    FormatColourValue(Rgb(127, 127, 255), text, sizeof text);
    EXPECT_STREQ("(127,127,255)", text);
    FormatColourWithFlags(Rgb(1, 2, 3), 1, 1, text, sizeof text);
    EXPECT_STREQ("(1,2,3)", text);
    const int flagPairs[4][2] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
    for (const auto& pair : flagPairs) {
        FormatColourWithFlags(Rgb(4, 5, 6), pair[0], pair[1], text, sizeof text);
        ColourValue colour = 0;
        int f1 = 7, f2 = 7;
        ParseIniColourValue(text, &colour, &f1, &f2);
        EXPECT_EQ(Rgb(4, 5, 6), colour) << text;
        EXPECT_EQ(pair[0], f1) << text;
        EXPECT_EQ(pair[1], f2) << text;
    }
    FormatColourValue(Rgb(1, 2, 3), text, 4);   // cut, never overrun
    EXPECT_STREQ("(1,", text);
}

TEST(ColourValue, TransparencyIsClamped)
{
    EXPECT_EQ(1.0f, ParseTransparencyValue("1.5"));
    EXPECT_EQ(0.0f, ParseTransparencyValue("-0.2"));
    EXPECT_EQ(0.25f, ParseTransparencyValue("0.25"));
    EXPECT_EQ(0.0f, ParseTransparencyValue("opaque"));
}

TEST_F(SettingsTest, BackupCopiesColoursAndFlagsBothWays)
{
    g_PenColours[4] = Rgb(9, 8, 7);
    g_PenColourFlags2[4] = 0;
    g_TableColours[TABLE_COLOUR_TABLE2] = Rgb(1, 1, 1);
    g_BackgroundColourSetting = Rgb(2, 2, 2);
    SaveColourSettings();
    EXPECT_EQ(Rgb(9, 8, 7), g_ColourSettingsBackup.penColours[4]);
    EXPECT_EQ(0, g_ColourSettingsBackup.penColourFlags2[4]);

    ResetColourSettings();
    EXPECT_EQ(1, g_PenColourFlags2[4]);
    RestoreColourSettings();
    EXPECT_EQ(Rgb(9, 8, 7), g_PenColours[4]);
    EXPECT_EQ(0, g_PenColourFlags2[4]);
    EXPECT_EQ(Rgb(1, 1, 1), g_TableColours[TABLE_COLOUR_TABLE2]);
    EXPECT_EQ(Rgb(2, 2, 2), g_BackgroundColourSetting);
}

TEST_F(SettingsTest, MissingSettingsFileGivesEveryDefaultColour)
{
    // Spoil the set first: reading must define every entry again.
    for (int i = 0; i < g_ColourKeyCount; ++i) {
        *g_ColourKeys[i].colour = 0x123456;
        if (g_ColourKeys[i].flag1 != nullptr) {
            *g_ColourKeys[i].flag1 = 0;
            *g_ColourKeys[i].flag2 = 0;
        }
    }
    g_WorkAlpha = g_BaseAlpha = g_ToolAlpha = g_MachineAlpha = 0.9f;
    settings_test::CopyText(g_IniFilePath, sizeof g_IniFilePath, folder.File("missing.ini"));
    ReadIniColourSettings();
    for (int i = 0; i < g_ColourKeyCount; ++i) {
        ColourValue expected = 0;
        ParseIniColourValue(g_ColourKeys[i].defaultValue, &expected, nullptr, nullptr);
        EXPECT_EQ(expected, *g_ColourKeys[i].colour) << g_ColourKeys[i].key;
        if (g_ColourKeys[i].flag1 != nullptr) {
            EXPECT_EQ(1, *g_ColourKeys[i].flag1);
            EXPECT_EQ(1, *g_ColourKeys[i].flag2);
        }
    }
    EXPECT_EQ(39, g_ColourKeyCount);
    EXPECT_EQ(Rgb(127, 127, 255), g_PenColours[0]);
    EXPECT_EQ(Rgb(127, 0, 63), g_PenColours[15]);
    EXPECT_EQ(Rgb(31, 63, 31), g_HeadColours[HEAD_COLOUR_HEAD2]);
    EXPECT_EQ(Rgb(50, 178, 242), g_TableColours[TABLE_COLOUR_STAR]);
    EXPECT_EQ(0u, g_BackgroundColourSetting);
    EXPECT_EQ(0.5f, g_WorkAlpha);
    EXPECT_EQ(0.5f, g_BaseAlpha);
    EXPECT_EQ(0.5f, g_ToolAlpha);
    EXPECT_EQ(0.5f, g_MachineAlpha);
}

TEST_F(SettingsTest, ColoursFromTheSettingsFile)
{
    const std::string path = folder.File("qumbra.ini");
    settings_test::WriteText(path, settings_test::ReadText(settings_test::FixturePath("full.ini")));
    settings_test::CopyText(g_IniFilePath, sizeof g_IniFilePath, path);
    ReadIniColourSettings();
    EXPECT_EQ(Rgb(10, 20, 30), g_PenColours[0]);
    EXPECT_EQ(0, g_PenColourFlags[0]);
    EXPECT_EQ(1, g_PenColourFlags2[0]);
    EXPECT_EQ(Rgb(1, 2, 3), g_PenColours[1]);
    EXPECT_EQ(0, g_PenColourFlags[1]);
    EXPECT_EQ(0, g_PenColourFlags2[1]);
    EXPECT_EQ(0u, g_PenColours[2]);
    EXPECT_EQ(0xFFFFFFu, g_PenColours[3]);
    EXPECT_EQ(Rgb(255, 0, 128), g_PenColours[4]);
    EXPECT_EQ(1, g_PenColourFlags[5]);
    EXPECT_EQ(0, g_PenColourFlags2[5]);
    for (int pen = 6; pen < PEN_COLOUR_COUNT; ++pen) {
        EXPECT_EQ(Rgb(pen, pen, pen), g_PenColours[pen]);
        EXPECT_EQ(1, g_PenColourFlags[pen]);
    }
    // Every colour of the fixture after the pens is (n1, n1 + 1, n1 + 2) with n1 = 21, 31, ... 241.
    unsigned first = 21;
    for (int i = 16; i < g_ColourKeyCount; ++i, first += 10) {
        EXPECT_EQ(Rgb(first, first + 1, first + 2), *g_ColourKeys[i].colour) << g_ColourKeys[i].key;
    }
    EXPECT_EQ(0.3f, g_WorkAlpha);
    EXPECT_EQ(0.0f, g_BaseAlpha);
    EXPECT_EQ(1.0f, g_ToolAlpha);
    EXPECT_EQ(0.0f, g_MachineAlpha);
}

TEST_F(SettingsTest, ReadIniColourAppliesTheSettingsRule)
{
    const std::string path = folder.File("qumbra.ini");
    settings_test::CopyText(g_IniFilePath, sizeof g_IniFilePath, path);
    WriteProfileString("Define", "VICE COLOR", "(300,-5,128)", path.c_str());
    WriteProfileString("define", "pen9 color", "(9,9,9)00", path.c_str());
    ColourValue colour = Rgb(1, 99, 1);
    ReadIniColour("VICE COLOR", "(1,1,1)", &colour);
    EXPECT_EQ(Rgb(255, 0, 128), colour);
    ReadIniColour("ABSENT COLOR", "(4,5,6)", &colour);
    EXPECT_EQ(Rgb(4, 5, 6), colour);
    int f1 = 1, f2 = 1;
    ReadIniColourWithFlags("PEN9 COLOR", "(0,0,0)", &colour, &f1, &f2);
    EXPECT_EQ(Rgb(9, 9, 9), colour);
    EXPECT_EQ(0, f1);
    EXPECT_EQ(0, f2);
}
