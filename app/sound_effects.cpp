// The sound images: loading the 20 files once, playing from memory, freeing at exit. No sound device, no
// player program or no file is silence, never an error.
#include "app/sound_effects.h"

#include <cstdio>
#include <cstdlib>

#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "platform/os/clock.h"
#include "platform/os/files.h"
#include "platform/os/sound.h"

SoundImage g_SoundImages[SOUND_COUNT] = {};
int g_SoundImagesLoaded = 0;

namespace {

const char* const kSoundFiles[SOUND_COUNT] = {
    "aircut1.wav", "cutting1.wav", "grinder1.wav", "grinder2.wav", "grindoff.wav", "hake.wav", "hera1.wav",
    "hera2.wav", "heraoku.wav", "kanoku.wav", "paper.wav", "paperoku.wav", "pi.wav", "pokin.wav",
    "toolchg.wav", "press.wav", "touch.wav", "welding.wav", "weldoku.wav", "workset.wav",
};

const size_t kMaxSoundBytes = 16u << 20;   // a larger file is not a sound effect

int ReadSoundInto(SoundImage* image, const char* path)
{
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return 0;
    const int64_t size = GetFileSizeBytes(path);
    if (size <= 0 || static_cast<uint64_t>(size) > kMaxSoundBytes) {
        std::fclose(file);
        return 0;
    }
    image->bytes = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(size), 1));
    if (image->bytes != nullptr) {
        image->size = static_cast<size_t>(size);
        if (std::fread(image->bytes, 1, image->size, file) != image->size) {
            // A short read leaves the rest of the block zero, as a partly read file.
        }
    }
    std::fclose(file);
    return image->bytes != nullptr;
}

}  // namespace

int LoadSoundFile(SoundImage* image, const char* name)
{
    char paths[4][SETTINGS_PATH_SIZE * 2];
    std::snprintf(paths[0], sizeof paths[0], "wav/%s", name);
    std::snprintf(paths[1], sizeof paths[1], "%s", name);
    std::snprintf(paths[2], sizeof paths[2], "%swav/%s", g_ProgramFolder, name);
    std::snprintf(paths[3], sizeof paths[3], "%s/%s", g_ProgramFolder, name);
    const int tries = g_ProgramFolder[0] != '\0' ? 4 : 2;
    for (int i = 0; i < tries; ++i) {
        if (ReadSoundInto(image, paths[i])) return 1;
    }
    return 0;
}

void LoadSoundImages()
{
    if (!g_SoundOn || g_SoundImagesLoaded) return;
    g_SoundImagesLoaded = 1;
    for (int i = 0; i < SOUND_COUNT; ++i) LoadSoundFile(&g_SoundImages[i], kSoundFiles[i]);
}

void FreeSoundImages()
{
    if (!g_SoundImagesLoaded) return;
    for (SoundImage& image : g_SoundImages) {
        std::free(image.bytes);
        image.bytes = nullptr;
        image.size = 0;
    }
    g_SoundImagesLoaded = 0;
}

void PlaySoundEffect(int effect, int wait)
{
    if (!g_SoundOn || effect < 0 || effect >= SOUND_COUNT) return;
    const SoundImage& image = g_SoundImages[effect];
    if (image.bytes == nullptr) return;
    PlaySoundImage(image.bytes, image.size, wait ? SOUND_SYNC : SOUND_ASYNC);
    SleepMs(0);
}

void StopSoundEffect() { StopSound(); }
