// The status bar (parts with right edges, texts and drawing styles) and progress bars (range,
// position, step, shown or hidden), each a child window of the event core with a model that any
// thread may set under a lock; changes from other threads are drawn later by the UI thread.
#pragma once
#include "platform/ui/event_core.h"

constexpr int kStatusBarMaxParts = 16;
constexpr int kStatusTextMax = 512;

// Creates the status bar along the bottom of parent (UI thread). height: its height in pixels.
WindowHandle CreateStatusBar(WindowHandle parent, int height);
// Divides the bar: count parts with the given right edges (-1: to the bar's right edge). Returns 1.
int SetStatusBarParts(WindowHandle bar, int count, const int* rightEdges);
int GetStatusBarParts(WindowHandle bar, int* rightEdges, int maxCount);   // returns the count
// Sets the text of a part with its style (0 sunken, SBT_POPOUT, SBT_NOBORDERS). Any thread.
int SetStatusBarPartText(WindowHandle bar, int part, const char* text, int style);
// Copies the text (at most size - 1 bytes; style may be null). Returns the full length, -1 when no part.
int GetStatusBarPartText(WindowHandle bar, int part, char* text, int size, int* style);
// The part's rectangle in the bar's client coordinates. Returns 1 or 0.
int GetStatusBarPartRect(WindowHandle bar, int part, UiRect* rect);

// Creates a progress bar as a child of parent at rect (hidden until ShowUiWindow). Range 0 to 100.
WindowHandle CreateProgressBar(WindowHandle parent, const UiRect* rect, const char* name);
// Any thread. The position is kept inside the range.
int SetProgressRange(WindowHandle bar, int minimum, int maximum);
int SetProgressStep(WindowHandle bar, int step);
int SetProgressPosition(WindowHandle bar, int position);   // returns the previous position
int StepProgress(WindowHandle bar);                         // position += step, wrapping to minimum at the end
struct ProgressBarState {
    int minimum;
    int maximum;
    int step;
    int position;
    int shown;       // 1 while visible
};
int GetProgressBarState(WindowHandle bar, ProgressBarState* state);
