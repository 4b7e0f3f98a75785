// Progress of long work: a counter against a total, shown in per-mille steps. Every subsystem
// reports through these calls; the view owns how (and whether) the progress is shown.
#pragma once
#include <cstdint>
#include "platform/ui/ui_types.h"

// Starts the main channel. kind 1: the total is count; other kinds (except 2 and 1000): the size
// of file times factor. A total below 2 counts as 1.
void BeginProgress(WindowHandle owner, int kind, uint64_t count, const char* file, int factor,
                   const char* japaneseText, const char* englishText);
void AddProgress(int count);
void IncProgress();
// Recomputes the per-mille value; force 0 redraws only when it changed. Returns the per-mille value.
int UpdateProgress(int force);
void EndProgress();

// Read-only view of the main channel, for tests and for the shell's batch output.
struct ProgressSnapshot {
    int active;          // 1 between BeginProgress and EndProgress
    uint64_t counter;    // progress counter
    uint64_t total;      // total the counter runs to (at least 1)
    int perMille;        // last computed per-mille value
};
ProgressSnapshot GetProgressSnapshot();

// Second channel: the progress of a sub-program file within the run (nothing shown without a display).
void BeginSubprogramProgress(WindowHandle owner, const char* path);
void AddSubProgress(int count);
void HideSubProgress();
