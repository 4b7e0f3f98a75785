// Definitions of the program-wide values the work model reads, with their program start values.
#include "work_model/work_values.h"

int g_DmeSelect = 0;
int g_StlWorkAxisCode = 0;
int g_ImportInWorkCoordinates = 0;
int g_StlFilter = 0;
char g_StlMatrixText[64] = "";
double g_InitialSizeMinCorner[3] = {0.0, 0.0, 0.0};
double g_InitialSizeMaxCorner[3] = {100.0, 100.0, 30.0};
double g_MinimumWorkPitch = 0.01;
double g_WorkPitch = 0.0;
double g_WorkPitchSquared = 0.0;
double g_WorkPitchSetting = 1.0;
int g_AutoWorkPitch = 0;
int g_AutoPitchCells = DEFAULT_AUTO_PITCH_CELLS;
double g_MovePitch = 0.0;
int g_AutoMovePitch = 0;
double g_AutoMovePitchFactor = 1.0;

// Controller definition
int g_InputIncrement = 1000;
