// Sound playback: a WAV image is handed to the player program ("aplay") on its standard input from an
// in-memory file, so no file is left behind. One sound plays at a time; a missing player is silence.
#include "platform/os/sound.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <mutex>
#include <string>

#include "platform/os/process.h"

extern char** environ;

namespace {

// The player state; every field is read and written under the lock, by whichever thread plays or stops.
struct SoundState {
    std::mutex lock;
    std::string playerOverride;  // the player set by SetSoundPlayerProgram, "" for "aplay" on the PATH
    pid_t playerId = 0;          // the player now running (or ended and not yet reaped), 0 when none
    int waitedBySync = 0;        // 1 while a synchronous play waits for playerId itself
};

SoundState g_Sound;

// Ends and reaps the current player, unless a synchronous play is waiting for it: that one reaps it.
void StopPlayerLocked() {
    if (g_Sound.playerId == 0) return;
    kill(g_Sound.playerId, SIGTERM);
    if (!g_Sound.waitedBySync) {
        while (waitpid(g_Sound.playerId, nullptr, 0) < 0 && errno == EINTR) {
        }
        g_Sound.playerId = 0;
    }
}

// Reaps a player that has ended on its own.
void ReapEndedPlayerLocked() {
    if (g_Sound.playerId != 0 && !g_Sound.waitedBySync && waitpid(g_Sound.playerId, nullptr, WNOHANG) != 0)
        g_Sound.playerId = 0;
}

// An unnamed in-memory file holding the image, positioned at its start; -1 on failure.
int MakeImageFile(const uint8_t* wav, size_t size) {
    int fd = memfd_create("qumbra-sound", MFD_CLOEXEC);
    if (fd < 0) return -1;
    size_t written = 0;
    while (written < size) {
        ssize_t n = write(fd, wav + written, size - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            close(fd);
            return -1;
        }
        written += static_cast<size_t>(n);
    }
    if (lseek(fd, 0, SEEK_SET) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Starts the player reading the image file on its standard input; returns its id or 0.
pid_t SpawnPlayer(const std::string& player, int imageFd) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, imageFd, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>(player.c_str()), const_cast<char*>("-q"), nullptr};
    pid_t pid = 0;
    int failed = posix_spawn(&pid, player.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed ? 0 : pid;
}

// Waits for a synchronous player without reaping it (so its id cannot be reused while StopSound may
// still signal it), then reaps it under the lock.
void WaitForSyncPlayer(pid_t pid) {
    siginfo_t info;
    while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
    }
    std::lock_guard<std::mutex> guard(g_Sound.lock);
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    if (g_Sound.playerId == pid) {
        g_Sound.playerId = 0;
        g_Sound.waitedBySync = 0;
    }
}

}  // namespace

int PlaySoundImage(const uint8_t* wav, size_t size, int flags) {
    if (wav == nullptr || size == 0) return 0;
    pid_t pid = 0;
    {
        std::lock_guard<std::mutex> guard(g_Sound.lock);
        StopPlayerLocked();
        ReapEndedPlayerLocked();
        std::string player;
        const char* name = g_Sound.playerOverride.empty() ? "aplay" : g_Sound.playerOverride.c_str();
        if (!FindProgramOnPath(name, &player)) return 1;  // no player: silence
        int fd = MakeImageFile(wav, size);
        if (fd < 0) return 1;
        pid = SpawnPlayer(player, fd);
        close(fd);
        if (pid == 0) return 1;
        g_Sound.playerId = pid;
        g_Sound.waitedBySync = (flags & SOUND_ASYNC) ? 0 : 1;
    }
    if (!(flags & SOUND_ASYNC)) WaitForSyncPlayer(pid);
    return 1;
}

void StopSound() {
    std::lock_guard<std::mutex> guard(g_Sound.lock);
    StopPlayerLocked();
}

void PlaySystemSound(const char* /*name*/) {}

void SetSoundPlayerProgram(const char* path) {
    std::lock_guard<std::mutex> guard(g_Sound.lock);
    g_Sound.playerOverride = path != nullptr ? path : "";
}
