// The block interpreter: turns one NC line into changes of the interpreter state in one left-to-right
// pass over its words, in the controller's dialect, and then runs the block completion. Also the three
// display steps that the interpreter's word handlers share.
#pragma once

// Interprets the NUL-terminated current line (ending in a line feed). With an active reader plug-in
// the path record g_ReaderPath is taken instead and the text is not read.
void InterpretNcBlock(const char* line);

// Display steps shared by the word handlers (panel and status calls only while a run is active):
// redraws the axis label column and updates the status bar.
void RedrawAxisLabels();
// Asks for a new axis triad and redraws the measure-point and work-extents panels.
void RedrawCoordinatePanels();
// Updates the status bar while a run is active.
void UpdateStatusWhileRunning();
