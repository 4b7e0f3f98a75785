// Sound playback: with a recording stand-in for the player, a synchronous play hands over the whole
// image and returns after it; an asynchronous one returns at once and StopSound ends it; no player is
// silence, never an error.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/os/clock.h"
#include "platform/os/sound.h"
#include "tests/scoped_temp_folder.h"

namespace {

std::string TempPath(const char* name) {
    return ProgramTempFolder().File(name);
}

// Writes an executable shell script.
std::string WriteScript(const char* name, const std::string& body) {
    std::string path = TempPath(name);
    std::ofstream(path) << "#!/bin/sh\n" << body;
    chmod(path.c_str(), 0755);
    return path;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<uint8_t> MakeImage() {
    std::string text = "RIFF....WAVEfmt ";
    std::vector<uint8_t> image(text.begin(), text.end());
    for (int i = 0; i < 100000; ++i) image.push_back(static_cast<uint8_t>(i * 7));  // more than a pipe holds
    return image;
}

}  // namespace

TEST(Sound, SynchronousPlayHandsOverTheWholeImage) {
    std::string received = TempPath("received.wav");
    std::string player = WriteScript("player_sync.sh", "cat > '" + received + "'\n");
    SetSoundPlayerProgram(player.c_str());
    std::vector<uint8_t> image = MakeImage();
    ASSERT_EQ(PlaySoundImage(image.data(), image.size(), SOUND_SYNC), 1);
    std::string got = ReadText(received);  // the play returned after the player ended
    EXPECT_EQ(got, std::string(image.begin(), image.end()));
    EXPECT_EQ(PlaySoundImage(nullptr, 10, SOUND_SYNC), 0);
    EXPECT_EQ(PlaySoundImage(image.data(), 0, SOUND_ASYNC), 0);
    SetSoundPlayerProgram("");
    std::remove(received.c_str());
    std::remove(player.c_str());
}

TEST(Sound, AsynchronousPlayReturnsAtOnceAndStops) {
    std::string marker = TempPath("started");
    std::string player = WriteScript("player_async.sh", "cat > /dev/null; touch '" + marker + "'; exec sleep 30\n");
    SetSoundPlayerProgram(player.c_str());
    std::vector<uint8_t> image = MakeImage();
    uint64_t start = GetTickCountMs();
    ASSERT_EQ(PlaySoundImage(image.data(), image.size(), SOUND_ASYNC), 1);
    EXPECT_LT(GetTickCountMs() - start, 5000u);
    for (int i = 0; i < 200 && access(marker.c_str(), F_OK) != 0; ++i) SleepMs(10);
    EXPECT_EQ(access(marker.c_str(), F_OK), 0);
    start = GetTickCountMs();
    StopSound();
    StopSound();  // nothing plays any more
    EXPECT_LT(GetTickCountMs() - start, 5000u);
    // A second sound replaces a first that still plays.
    ASSERT_EQ(PlaySoundImage(image.data(), image.size(), SOUND_ASYNC), 1);
    ASSERT_EQ(PlaySoundImage(image.data(), image.size(), SOUND_ASYNC), 1);
    StopSound();
    SetSoundPlayerProgram("");
    std::remove(marker.c_str());
    std::remove(player.c_str());
}

TEST(Sound, NoPlayerIsSilence) {
    std::vector<uint8_t> image = MakeImage();
    SetSoundPlayerProgram("/nonexistent/aplay");
    EXPECT_EQ(PlaySoundImage(image.data(), image.size(), SOUND_SYNC), 1);
    EXPECT_EQ(PlaySoundImage(image.data(), image.size(), SOUND_ASYNC), 1);
    StopSound();
    PlaySystemSound("SystemHand");
    SetSoundPlayerProgram("");
}
