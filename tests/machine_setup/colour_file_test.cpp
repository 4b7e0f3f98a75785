// Tests of colour files: only the named colours change (in the backup, brought into use by the
// caller), keys in any case, colours the file cannot name, the colour-file channel rule, long lines
// and a missing file.
#include "machine_setup/settings/colour_file.h"

#include "machine_setup/settings/colour_settings.h"
#include "settings_test_support.h"
#include "machine_setup/machine_setup_state.h"

#include <gtest/gtest.h>

#include <cstring>

using settings_test::SettingsTest;

namespace {

ColourValue Rgb(unsigned r, unsigned g, unsigned b) { return r | (g << 8) | (b << 16); }

// The set in use as a record, to compare whole sets.
ColourSettings CurrentSet()
{
    ColourSettings saved = g_ColourSettingsBackup;
    SaveColourSettings();
    ColourSettings current = g_ColourSettingsBackup;
    g_ColourSettingsBackup = saved;
    return current;
}

bool SameSet(const ColourSettings& a, const ColourSettings& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

TEST_F(SettingsTest, Pen3LineChangesOnlyPen3)
{
    g_PenColourFlags[7] = 0;   // a hidden pen stays hidden
    ColourSettings expected = CurrentSet();
    expected.penColours[3] = Rgb(255, 0, 0);
    expected.penColourFlags[3] = 0;
    expected.penColourFlags2[3] = 1;

    ASSERT_EQ(1, ReadColourFile(settings_test::FixturePath("pen3.ctc").c_str()));
    EXPECT_EQ(Rgb(192, 192, 192), g_PenColours[3]) << "the set in use is untouched until restored";
    EXPECT_TRUE(SameSet(expected, g_ColourSettingsBackup));
    RestoreColourSettings();
    EXPECT_TRUE(SameSet(expected, CurrentSet()));
    EXPECT_EQ(0, g_PenColourFlags[7]);
}

TEST_F(SettingsTest, MixedFileReplacesExactlyTheColoursItNames)
{
    g_TableColours[TABLE_COLOUR_TABLE1] = Rgb(1, 99, 1);
    ColourSettings expected = CurrentSet();
    expected.penColours[0] = Rgb(1, 2, 3);
    expected.topPath2Colour = Rgb(40, 50, 60);          // "CUT-PATH COLOR"
    expected.backgroundColourSetting = 0xFFFFFF;        // "BACKGROUND COLOR"
    expected.tableColours[TABLE_COLOUR_TABLE1] = Rgb(70, 99, 80);   // negative channel kept
    expected.penColours[15] = Rgb(15, 0, 15);
    expected.penColourFlags2[15] = 0;
    // BASE COLOR, HEAD(*) COLOR, the comment and the indented line change nothing.

    ASSERT_EQ(1, ReadColourFile(settings_test::FixturePath("mixed.ctc").c_str()));
    ApplyColourSettings();
    EXPECT_TRUE(SameSet(expected, CurrentSet()));
    EXPECT_EQ(Rgb(1, 2, 3), g_PenColours[0]);
    EXPECT_EQ(Rgb(128, 128, 0), g_BaseColour);
    EXPECT_EQ(Rgb(113, 145, 113), g_HeadColours[HEAD_COLOUR_STAR]);
}

TEST_F(SettingsTest, MissingColourFileChangesNothing)
{
    g_ColourSettingsBackup.viceColour = Rgb(3, 3, 3);
    ColourSettings before = CurrentSet();
    EXPECT_EQ(0, ReadColourFile(folder.File("none.ctc").c_str()));
    EXPECT_EQ(0, ReadColourFile(nullptr));
    EXPECT_TRUE(SameSet(before, CurrentSet()));
    EXPECT_EQ(Rgb(3, 3, 3), g_ColourSettingsBackup.viceColour);
}

TEST_F(SettingsTest, LongLinesKeyOnlyLinesAndLineEnds)
{
    // The tail of an over-long line must not be taken for a line of its own; a key without a value
    // reads as black; CRLF line ends and trailing blanks do not spoil BLACK/WHITE.
    std::string text = "; " + std::string(300, 'x') + "VICE COLOR (1,2,3)\n";
    text += "PEN1 COLOR " + std::string(260, ' ') + "\n";
    text += "ARBOR COLOR\n";
    text += "TOOL-TOP COLOR white  \r\n";
    text += "TOOL-SIDE COLOR (7,8,9)";   // no line end at the end of the file
    const std::string path = folder.File("long.CTC");
    settings_test::WriteText(path, text);
    ASSERT_EQ(1, ReadColourFile(path.c_str()));
    RestoreColourSettings();
    EXPECT_EQ(Rgb(127, 127, 63), g_ViceColour);
    EXPECT_EQ(0u, g_PenColours[1]);
    EXPECT_EQ(0u, g_ArborColour);
    EXPECT_EQ(0xFFFFFFu, g_ToolTopColour);
    EXPECT_EQ(Rgb(7, 8, 9), g_ToolSideColour);
}
