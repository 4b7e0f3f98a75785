// Progress of long work: a counter against a total, shown in per-mille steps. Two channels: the main
// channel (a percentage in status-bar part 1, the bar g_ProgressBar over part 0, and the caption in the
// frame title; while the frame is minimised, or in silent mode, caption and percentage go into the
// title of the given window instead), and the sub-file channel (the bar g_ProgressBar2 only).
//
// The counters may be advanced on one thread (the simulation thread's reader) and shown from another
// (the frame's run poll); they are atomic, so a read is never torn.
#pragma once
#include <atomic>
#include <cstdint>
#include "platform/ui/ui_types.h"

const int PROGRESS_CAPTION_MAX = 19;
const int PROGRESS_TITLE_SIZE = 64;
const int PROGRESS_STATUS_SIZE = 16;

struct ProgressState {
    WindowHandle titleWindow;           // window whose title shows the progress in title mode
    std::atomic<uint64_t> count;        // main counter
    uint64_t total;                     // main total, at least 1
    std::atomic<uint64_t> subCount;     // sub-file counter
    uint64_t subTotal;                  // sub-file total, at least 1
    int lastShown;                      // main per-mille last accepted
    int current;                        // main per-mille of the latest update
    int subLastShown;
    int subCurrent;
    double scale;                       // 1000 / total
    double subScale;
    int zeroShown;                      // 1 once the 0 per-mille state has been shown in this run
    int subZeroShown;
    char caption[PROGRESS_CAPTION_MAX * 4 + 1];   // at most 19 characters (UTF-8)
    int refreshCounter;                 // updates since the last title refresh (title mode)
    int refreshStep;                    // updates allowed between title refreshes (at least 1)
    uint64_t refreshStamp;              // clock (ms) at the last title refresh
    uint64_t lastClock;
    char titleText[PROGRESS_TITLE_SIZE + PROGRESS_CAPTION_MAX * 3];
    char statusText[PROGRESS_STATUS_SIZE];   // empty while no progress runs
    int active;                         // 1 between BeginProgress and EndProgress
};
extern ProgressState g_Progress;        // UI thread shows it; the counters are advanced by any thread

// Written by the frame (its first resize makes the bars); null before.
extern WindowHandle g_ProgressBar;
extern WindowHandle g_ProgressBar2;
// The caller's text in the interface language, shown by the frame title while the main channel runs.
extern char g_ProgressTitleText[64];

// What the channels need of the layers above, installed at start-up; a null entry gives the default.
struct ProgressHooks {
    // Total of kind 2 (reader plug-in blocks) and 1000 (the program held in memory); 0: unknown.
    uint64_t (*kindTotal)(int kind, const char* file);
    // Length of the sub-program being called when it is held in memory; 0: take the file's size.
    uint64_t (*subprogramTotal)(const char* file);
    // 1 while the run waits at a stop block (the title shows "-STOP!").
    int (*stopPending)();
    // Rewrites the frame title (which shows g_ProgressTitleText).
    void (*updateMainTitle)();
    // The "PROGRESS NAME" setting (empty: the caller's caption).
    const char* captionSetting;
};
extern ProgressHooks g_ProgressHooks;

// Starts the main channel. kind 1: the total is count; 2 and 1000: from the hook; any other kind: the
// size of file times factor. A total of 0 counts as 1.
void BeginProgress(WindowHandle owner, int kind, uint64_t count, const char* file, int factor,
                   const char* japaneseText, const char* englishText);
void AddProgress(int count);
void IncProgress();
// The main counter (during a run the byte position reached in the NC file).
int GetProgress();
// Shows the main channel when it advanced (always when force is 1). Returns the per-mille value.
int UpdateProgress(int force);
void EndProgress();
// Sends the percentage text to status-bar part 1 again (after other texts covered it).
void RestoreProgressText();

// Read-only view of the main channel, for tests and for the shell's batch output.
struct ProgressSnapshot {
    int active;          // 1 between BeginProgress and EndProgress
    uint64_t counter;    // progress counter
    uint64_t total;      // total the counter runs to (at least 1)
    int perMille;        // last computed per-mille value
};
ProgressSnapshot GetProgressSnapshot();

// The sub-file channel: the progress through a sub-program file within the run. The first argument
// is not read.
void BeginSubprogramProgress(WindowHandle owner, const char* path);
void AddSubProgress(int count);
void UpdateSubProgress(int force);
void HideSubProgress();
