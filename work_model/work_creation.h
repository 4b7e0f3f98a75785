// Works defined directly: the automatic choice of the work pitch from the pitch table, box and
// cylinder (tube) works built in a WorkModel, and moving a defined work in the machine frame.
// Loading works from files is in work_files.h.
#pragma once
#include "work_model/work_model.h"

enum { AUTO_PITCH_TABLE_SIZE = 23 };
// The work pitches the automatic choice tries, smallest first (millimetres).
extern const double g_AutoPitchTable[AUTO_PITCH_TABLE_SIZE];

// Result of CreateCylinderWork besides the grid and allocation codes: a radius that is negative or
// not finite, or an inner radius above the outer one (nothing allocated, nodeCountX 0).
enum { WORK_CREATE_BAD_RADIUS = -110 };

// Sets g_WorkPitch (and g_MovePitch when g_AutoMovePitch is 1) from the pitch settings: with
// g_AutoWorkPitch 1 the first table pitch whose grid over the initial stock box stays within
// g_AutoPitchCells (written to g_WorkPitchSetting), raised to g_MinimumWorkPitch when set.
void ChooseAutoWorkPitch();

// Builds a box work; box is min X, Y, Z then max X, Y, Z; placement is the rotation rows then the
// translation. Every ray holds one interval [min, max] along its axis (empty in a last node layer
// that lies beyond the box). Returns 1, or a negative code with nodeCountX 0: WORK_GRID_* for a box
// or pitch that gives no grid (an extent that is not positive, a pitch that is not positive and
// finite, a grid too large for 32-bit counts), or the code of AllocateWorkModelArrays. Arrays the
// record held before are released first.
int CreateBoxWork(WorkModel* work, const double box[6], const double placement[12], double pitch);
// CreateBoxWork with the identity placement.
int CreateBoxWorkIdentity(WorkModel* work, const double box[6], double pitch);
// Builds a cylinder (tube when innerRadius > 0) along axis (0 X, 1 Y, 2 Z) from start over
// length, with the identity placement; the axis passes through node ceil(outerRadius / pitch) of
// both cross axes. Returns 0, or a negative code with nodeCountX 0 (as CreateBoxWork, and
// WORK_CREATE_BAD_RADIUS).
int CreateCylinderWork(WorkModel* work, const double start[3], int axis, double length,
                       double outerRadius, double innerRadius, double pitch);
// Moves the work by offset in the machine frame: translation, inverse translation and the corners
// of every undo level. The caller recomputes hasPlacement (UpdateWorkHasPlacement).
void MoveWork(WorkModel* work, const double offset[3]);
