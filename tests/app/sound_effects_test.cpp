// Sound images: nothing is loaded while sound is off; the "wav" folder of the current folder comes
// before the current folder and both before the program folder; a missing file is silence; the images
// are freed once; playing without a player or device is silence, never an error.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "app_test_support.h"
#include "app/sound_effects.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "platform/os/sound.h"

namespace {

std::string Loaded(int effect)
{
    const SoundImage& image = g_SoundImages[effect];
    return image.bytes != nullptr ? std::string(reinterpret_cast<char*>(image.bytes), image.size) : "<none>";
}

TEST(SoundEffects, LoadsOnceInItsSearchOrderAndFreesOnce)
{
    TempFolder current;
    TempFolder program;
    current.Write("wav/pi.wav", "in-wav");
    current.Write("pi.wav", "current");
    current.Write("pokin.wav", "current-pokin");
    program.Write("wav/toolchg.wav", "program-wav");
    program.Write("workset.wav", "program");
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(current.path.c_str()), 0);
    std::snprintf(g_ProgramFolder, sizeof g_ProgramFolder, "%s/", program.path.c_str());

    g_SoundOn = 0;
    LoadSoundImages();
    EXPECT_EQ(g_SoundImagesLoaded, 0);
    EXPECT_EQ(Loaded(SOUND_PI), "<none>");

    g_SoundOn = 1;
    LoadSoundImages();
    EXPECT_EQ(g_SoundImagesLoaded, 1);
    EXPECT_EQ(Loaded(SOUND_PI), "in-wav");
    EXPECT_EQ(Loaded(SOUND_POKIN), "current-pokin");
    EXPECT_EQ(Loaded(SOUND_TOOLCHG), "program-wav");
    EXPECT_EQ(Loaded(SOUND_WORKSET), "program");
    EXPECT_EQ(Loaded(SOUND_HAKE), "<none>");
    current.Write("wav/pi.wav", "changed");
    LoadSoundImages();   // loaded once: no reload
    EXPECT_EQ(Loaded(SOUND_PI), "in-wav");

    SetSoundPlayerProgram("/nonexistent/player");
    PlaySoundEffect(SOUND_PI, 1);      // no player: silence
    PlaySoundEffect(SOUND_HAKE, 0);    // no image: silence
    StopSoundEffect();
    SetSoundPlayerProgram("");

    FreeSoundImages();
    EXPECT_EQ(Loaded(SOUND_PI), "<none>");
    FreeSoundImages();   // nothing freed twice
    g_SoundOn = 0;
    g_ProgramFolder[0] = '\0';
    ASSERT_EQ(chdir(previous), 0);
}

}  // namespace
