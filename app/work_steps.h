// The steps every command that makes the current work shares: fitting the view's scale to the work and
// marking everything drawn from the work for rebuilding. UI thread.
#pragma once

extern double g_WorkViewExtents[3];   // per axis: the larger of the work's size and its reach from the origin

// The scene scale (and, when the full view fits the work, the fitting zoom) and the default part
// size from the current work's extents.
void FitViewToWork();
// Marks every display block of the current work changed and the lists drawn around the work for
// rebuilding.
void FinishNewWork();
// After a new work: FitViewToWork, FinishNewWork and, unless silent, the view centred on the target
// at the fitting zoom.
void ShowNewWork();
