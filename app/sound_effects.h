// Sound effects: the 20 WAV files read into memory once (so that playing never touches the disk during a
// run), played from memory while "SOUND" is on, and freed at exit.
#pragma once
#include <cstddef>
#include <cstdint>

enum SoundEffect {
    SOUND_AIRCUT1, SOUND_CUTTING1, SOUND_GRINDER1, SOUND_GRINDER2, SOUND_GRINDOFF, SOUND_HAKE, SOUND_HERA1,
    SOUND_HERA2, SOUND_HERAOKU, SOUND_KANOKU, SOUND_PAPER, SOUND_PAPEROKU, SOUND_PI, SOUND_POKIN,
    SOUND_TOOLCHG, SOUND_PRESS, SOUND_TOUCH, SOUND_WELDING, SOUND_WELDOKU, SOUND_WORKSET, SOUND_COUNT
};

// One sound file's bytes (null when the file was not found).
struct SoundImage {
    uint8_t* bytes;
    size_t size;
};

// Written by the UI thread (LoadSoundImages at start-up or when sound is switched on; FreeSoundImages at
// exit); read by whoever plays.
extern SoundImage g_SoundImages[SOUND_COUNT];
extern int g_SoundImagesLoaded;       // 1 once loaded with sound on (not cleared when sound goes off)

// With g_SoundOn and not loaded yet: loads the 20 files in table order.
void LoadSoundImages();
// Loads one file into image: "wav/" + name, name, g_ProgramFolder + "wav/" + name, g_ProgramFolder +
// name; the first that opens. Returns 1, 0 when none opens (image stays empty).
int LoadSoundFile(SoundImage* image, const char* name);
// Frees every image once.
void FreeSoundImages();
// Plays a sound from memory while g_SoundOn: wait 0 plays on in the background, 1 returns at its end.
void PlaySoundEffect(int effect, int wait);
// Stops a sound that is playing (switching sound off).
void StopSoundEffect();
