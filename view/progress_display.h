// The progress display's ties to the NC input: the unit of the main channel for NC programs (bytes of
// the NC file, bytes of the program held in memory, or blocks counted by a reader plug-in), and the
// totals, stop state and caption setting the channels (platform/ui/progress.h) read from above.
#pragma once
#include "platform/ui/ui_types.h"

// Installs the channels' hooks (start-up, before any progress runs).
void InstallProgressDisplayHooks();

// Starts the main channel for the NC input: with a reader plug-in, its blocks (no progress at all when
// it cannot count them); else the program held in memory when it has sub-programs, else the file size.
void BeginNcProgress(WindowHandle window, const char* file, const char* japaneseText, const char* englishText);
// UpdateProgress and EndProgress, unless a reader plug-in that cannot count its blocks reads the input.
void UpdateNcProgress(int force);
void EndNcProgress();
