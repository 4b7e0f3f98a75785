// The program-wide values the work model reads: the work settings its creation and its file readers
// use, and the controller's least input increment the hit tests scale by. The user-interface thread
// writes them (the settings reader at start-up, the work and pitch dialogs, the command line, macros);
// the simulation thread only reads them. Values are the program start values. The work frame the
// ".DME" / ".DMF" / ".STL" readers place a work in is not here: callers hand it in.
#pragma once

const int DEFAULT_AUTO_PITCH_CELLS = 20000;

// --- Work settings (settings file sections "DMEdata" and "Define"; machine_setup/settings) ----------
extern int g_DmeSelect;                 // 1 = work-file commands offer ".DME" (start 0)
extern int g_StlWorkAxisCode;           // single-direction STL work: +-1 X, +-2 Y, +-3 Z, 0 none
extern int g_ImportInWorkCoordinates;   // 1 = loaded works are placed in work coordinates
extern int g_StlFilter;                 // 1 = smooth single rays after a one-direction STL work is read
extern char g_StlMatrixText[64];        // "STL MATRIX": placement file read when an STL file becomes the work
extern double g_InitialSizeMinCorner[3]; // default box work: minimum corner X, Y, Z
extern double g_InitialSizeMaxCorner[3]; // default box work: maximum corner X, Y, Z
extern double g_MinimumWorkPitch;        // smallest work pitch accepted; 0 or less: none
extern double g_WorkPitch;               // dexel pitch in effect (0 until set: command line or settings)
extern double g_WorkPitchSquared;        // g_WorkPitch squared: the cell area of volume sums (UI thread)
extern double g_WorkPitchSetting;        // dexel pitch requested
extern int g_AutoWorkPitch;              // 1 = the work pitch is chosen automatically
extern int g_AutoPitchCells;             // grid-point limit of the automatic choice
extern double g_MovePitch;               // tool move pitch (0 until set)
extern int g_AutoMovePitch;              // 1 = the move pitch follows the work pitch
extern double g_AutoMovePitchFactor;     // factor of that rule

// --- Controller definition (machine_setup/controller) -------------------------------------------------
extern int g_InputIncrement;              // "UNIT": least input increment as a divisor (1000)
