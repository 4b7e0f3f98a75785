// Saving the settings replaces the settings file as a whole: the new text is written beside it and
// renamed over it, so the old file is never written in place (a second name of the old file keeps the
// old text) and the folder holds no temporary afterwards. Pen use flags survive a save and a new read.
#include "machine_setup/settings/settings_save.h"

#include "platform/ui/event_core.h"
#include "settings_test_support.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

class AcceptanceSettingsRewrite : public settings_test::FullSettingsWithFrameTest {
};

TEST_F(AcceptanceSettingsRewrite, OldFileIsReplacedNotWrittenInPlace)
{
    const std::string original = settings_test::ReadText(ini);
    const std::string second = folder.File("second-name.ini");
    ASSERT_EQ(0, link(ini.c_str(), second.c_str()));
    struct stat before {};
    ASSERT_EQ(0, stat(ini.c_str(), &before));

    g_SaveWorkColour = 1;
    g_WorkAlpha = 0.25f;  // differs from the fixture, so the text must change
    g_SaveMachineColour = 1;
    g_MachineAlpha = 0.55f;
    SaveSettingsToIni(frame);

    const std::string saved = settings_test::ReadText(ini);
    EXPECT_NE(original, saved);
    EXPECT_EQ(original, settings_test::ReadText(second)) << "the old file was written in place";
    struct stat after {};
    ASSERT_EQ(0, stat(ini.c_str(), &after));
    EXPECT_NE(before.st_ino, after.st_ino);
    unlink(second.c_str());
}

TEST_F(AcceptanceSettingsRewrite, HiddenPensStayHiddenAfterSaveAndRead)
{
    g_SaveWorkColour = 1;
    for (int pen = 0; pen < 16; ++pen) {
        g_PenColourFlags[pen] = (pen % 3) != 0;   // shown in the work
        g_PenColourFlags2[pen] = (pen % 2) != 0;  // shown in the tool paths
    }
    SaveSettingsToIni(frame);
    settings_test::ResetAllSettings();
    ReadSettings();
    for (int pen = 0; pen < 16; ++pen) {
        EXPECT_EQ((pen % 3) != 0 ? 1 : 0, g_PenColourFlags[pen]) << "pen " << pen;
        EXPECT_EQ((pen % 2) != 0 ? 1 : 0, g_PenColourFlags2[pen]) << "pen " << pen;
    }
}

}  // namespace
