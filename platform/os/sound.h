// Sound playback of in-memory WAV images. Played by the ALSA player program "aplay" when it is on the PATH;
// without it (or without a sound device) playing is silence and still succeeds.
#pragma once
#include <cstddef>
#include <cstdint>

// Flags of PlaySoundImage.
enum {
    SOUND_SYNC = 0,   // return when the sound has ended
    SOUND_ASYNC = 1,  // return at once; the sound plays on
};

// Plays a WAV image (the whole file in memory). Any sound still playing is stopped first. The image is
// copied before the call returns, so the caller may free it. Returns 1, also when nothing can be heard
// (no player, no device); 0 only for a null or empty image.
int PlaySoundImage(const uint8_t* wav, size_t size, int flags);

// Stops any sound this program is playing. Returns nothing; safe when nothing plays.
void StopSound();

// A named system sound ("SystemHand", ...). Linux desktops have no common set; this is silence.
void PlaySystemSound(const char* name);

// The player program: the path used for playing, or "" to look "aplay" up on the PATH again (the
// default). Tests use it to put a recording stand-in in place of the real player.
void SetSoundPlayerProgram(const char* path);
