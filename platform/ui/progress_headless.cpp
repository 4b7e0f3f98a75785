// Default progress channel: keeps the counter and total without any display. The view replaces
// the showing part once it exists; the arithmetic stays here.
#include "platform/ui/progress.h"

#include "platform/os/files.h"

namespace {
ProgressSnapshot g_ProgressMain = {0, 0, 1, 0};
}

void BeginProgress(WindowHandle, int kind, uint64_t count, const char* file, int factor,
                   const char*, const char*) {
    uint64_t total = count;
    if (kind != 1 && kind != 2 && kind != 1000) {
        total = 0;
        const int64_t size = file != nullptr && file[0] != 0 ? GetFileSizeBytes(file) : -1;
        if (size > 0) total = static_cast<uint64_t>(size) * static_cast<uint64_t>(factor > 0 ? factor : 0);
    }
    if (total < 2) total = 1;
    g_ProgressMain.active = 1;
    g_ProgressMain.counter = 0;
    g_ProgressMain.total = total;
    g_ProgressMain.perMille = 0;
}

void AddProgress(int count) { g_ProgressMain.counter += static_cast<uint64_t>(count < 0 ? 0 : count); }
void IncProgress() { g_ProgressMain.counter += 1; }

int UpdateProgress(int) {
    double perMille = static_cast<double>(g_ProgressMain.counter) * (1000.0 / static_cast<double>(g_ProgressMain.total)) + 0.5;
    g_ProgressMain.perMille = perMille > 1000.0 ? 1000 : static_cast<int>(perMille);
    return g_ProgressMain.perMille;
}

void EndProgress() { g_ProgressMain.active = 0; }

ProgressSnapshot GetProgressSnapshot() { return g_ProgressMain; }

void BeginSubprogramProgress(WindowHandle, const char*) {}
void AddSubProgress(int) {}
void HideSubProgress() {}
