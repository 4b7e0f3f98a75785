// Machine part model bookkeeping used by the machine definition reader: model file readability,
// reset and release of the model lists, the tool-change route, the angle-head direction and its
// angles, and box corners. Loading the STL part models is done by LoadAllMachineModels.
#pragma once
#include "work_model/geometry.h"  // MakeBoxCorners

constexpr int MAX_TOOL_CHANGE_ROUTE_STEPS = 5;

// One step of the tool-change route: 1 for each axis (X, Y, Z, rotary 1, rotary 2) that moves in it.
struct ToolChangeRouteStep {
    int moves[5];
};

extern ToolChangeRouteStep g_ToolChangeRoute[MAX_TOOL_CHANGE_ROUTE_STEPS];  // UI thread (reader)
extern int g_ToolChangeRouteStepCount;                                     // steps in the route
extern int g_ViceModelsFromUser;   // 1 when the vice was chosen by the vice-file command (UI thread)

// 1 when the file opens for reading; otherwise a topmost message box names it and the result is 0.
int CheckModelFileReadable(const char* path);

// Unit spindle direction of an angle head with angles A, B, C (degrees).
void ComputeToolDirectionFromAngles(double a, double b, double c, double* direction);

// Angle-head angles A (from the vertical) and C (azimuth), degrees, of a direction vector.
void ComputeDirectionAngles(const double* direction, double* a, double* c);

// Empties the model file lists, counts and offsets before a machine definition is read; the vice list
// is kept when resetUserVice is 0 and the user chose the vice.
void ResetMachineModels(int resetUserVice);

// Frees every loaded machine part model.
void FreeMachineModels();

// Loads the part models named by the machine definition.
void LoadAllMachineModels();

// Turns the "TOOL CHANGE ROUTE" text into g_ToolChangeRoute; an empty text gives Z, then X and Y.
// Returns 1, or 0 when the text names more steps than the route holds (the extra steps are dropped).
int ParseToolChangeRoute(const char* text);

