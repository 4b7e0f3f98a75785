// Interpreter state that the machine set-up reads or resets: the active work offset, the plane, the
// tool-centre and rotary-following modes, the tilted working plane, the in-memory program buffers and
// the sub-program call state. The NC interpreter owns and writes these (UI or simulation thread).
#pragma once
#include "nc/axis_position.h"
#include <cstdint>

#include "platform/os/files.h"

// --- Work offset --------------------------------------------------------------------------------
extern AxisPosition g_ActiveWorkOffset;    // external offset + selected entry (+ shifts not in the table)
extern int g_WorkOffsetIndex;              // selected work offset entry: 0 external alone, 1 G54, ...
extern int g_StartWorkOffset;              // entry selected at a run start
extern AxisPosition g_WorkOffsetAdjustments[201];  // per-entry adjustments (same shape as g_WorkOffsets)

// --- Plane --------------------------------------------------------------------------------------
extern int g_PlaneCode;         // active plane 17, 18, 19; negative for the plane seen reversed
extern int g_PlaneCodes[3];     // program plane code landing on machine XY, ZX, YZ (controller reader)
extern int g_PlaneAxis1;        // index of the first plane axis (0 X, 1 Y, 2 Z)
extern int g_PlaneAxis2;        // index of the second plane axis
extern int g_PlaneNormalAxis;   // index of the plane normal

// --- Block and motion ---------------------------------------------------------------------------
extern int g_MotionKind;               // MotionKind of the current block (0 rapid, 1 line, 2/3 arcs)
extern int g_LastGCode;                // last G code read, decimals folded (G53.1 -> 531)
extern int g_IncrementalMode;          // 1 while G91 is in force
extern int g_MachineCoordinateBlock;   // 1 when the block's axis words are machine coordinates
extern int g_ReferenceReturnPhase;     // 0 none, 1 to intermediate point, 2 on to reference point
extern double g_MoveArcCentre[3];      // centre of the arc of the move handed to the drivers
extern AxisPosition g_NcTargetPosition;        // target of the move being built
extern AxisPosition g_NcMoveEnd;               // move end handed to the drivers
extern AxisPosition g_RunStartMachinePosition; // rotary values: previous angles in rotary-following mode
extern int g_SpindleToolNumber;        // tool in the spindle (0 for a plug-in tool)

// --- Tool centre point, rotary following, tilted plane -------------------------------------------
extern int g_ToolCentreMode;           // 0 off, 1 TYPE1, 2 TYPE2 (tool-vector mode)
extern double g_ToolAxisStart[3];      // tool-axis vector at the block start in tool-vector mode
extern int g_PlaneSpatialSequence;     // +1, -1 or 0: solution sequence of a spatial plane definition
extern double g_SpatialAngleC;         // third spatial angle (degrees)
extern int g_RotaryFollowState;        // rotary-following (tilted working plane) selection
extern int g_RotaryFollowMode;
extern int g_RotaryFollowKind;
extern double g_RotaryFollowAngles[2]; // rotary angles kept at the switch (degrees)
extern double g_TiltedPlaneMatrix[9];  // tilted plane rotation, row by row (row vector x matrix)
extern double g_TiltedPlaneInverse[9]; // its inverse
extern double g_TiltedPlaneOrigin[3];  // its origin shift
extern double g_SecondRotationAngle;   // tool-orientation turn angle at the block start (radians)
extern double g_PlaneRotationAngle;    // its paired angle (radians)
extern int g_PlaneRotationMode;        // 0, 1, -1 or 2: frame axis and sense of that turn

// --- Tool length --------------------------------------------------------------------------------
extern double g_ToolLengthOffset;  // active tool length offset (H value)
extern int g_ToolAxisIndex;        // axis along which it applies (0 X, 1 Y, 2 Z)
extern int g_ToolLengthCompOn;     // 1 while tool length compensation is on
extern double g_HeadTipOffset[3];  // tool-tip offset caused by the head rotary angles

// --- Polar and cylindrical interpolation ---------------------------------------------------------
extern int g_PolarInterpolationOn;
extern int g_CylindricalInterpolationOn;
extern double g_PolarAngleOffset;
extern double g_CylinderMmPerDegree;
extern int g_CylindricalAxisPlane;     // 0 ZX plane, 1 YZ plane

// --- Modal switches the controller reader resets ---------------------------------------------------
extern int g_Rotary1Locked;        // 1 while rotary 1 is clamped
extern int g_Rotary2Locked;
extern int g_CutCodeState;         // 1 cutting on, 0 off (cut codes)
extern int g_LatheModeOn;          // 1 in lathe mode
extern int g_RadiusOffsetAlarm;    // radius-offset gouge alarm state
extern double g_ScaleCentre[3];    // scaling centre

// --- In-memory program and sub-program call state ------------------------------------------------
const int MAX_SUBPROGRAM_DEPTH = 8;
const int MEMORY_SUBPROGRAM_SLOTS = 1000;      // entries of each index array
const int MEMORY_SUBPROGRAM_NAMES_SIZE = 5000; // bytes of the OSP name table
extern char* g_ProgramText;                     // whole-file text of the in-memory program
extern int32_t* g_MemorySubprogramNumbers;      // index arrays, MEMORY_SUBPROGRAM_SLOTS entries
extern char* g_MemorySubprogramNames;           // OSP name table, MEMORY_SUBPROGRAM_NAMES_SIZE bytes
extern int32_t* g_MemorySubprogramOffsets;
extern int32_t* g_MemorySubprogramLines;
extern int32_t* g_MemorySubprogramLengths;
extern int g_MemorySubprogramCount;
extern int g_SubprogramDepth;
extern int g_SubprogramInMemory[MAX_SUBPROGRAM_DEPTH];     // per level: running from memory
extern int g_SubprogramIndex[MAX_SUBPROGRAM_DEPTH];        // per level: index entry
extern int64_t g_SubprogramOffset[MAX_SUBPROGRAM_DEPTH];   // per level: file offset
extern int g_SubprogramLineCount[MAX_SUBPROGRAM_DEPTH];    // per level: line counter
extern char g_SubprogramCallNames[4][256];
extern char g_SubprogramFolder[256];
extern char g_LastSubprogramPath[256];
extern FileTime g_NcExtentsFileTime;  // NC file time last indexed; cleared forces a new index

// Finds the machine plane that the program plane g_PlaneCode lands on (g_PlaneCodes) and sets
// g_PlaneCode to +-17, +-18 or +-19 with g_PlaneAxis1, g_PlaneAxis2 and g_PlaneNormalAxis.
void SelectPlane();
// One of the angles kept for an active SIEMENS rotation-order code, or angleDeg itself.
double SelectRotationAngle(double angleDeg);
