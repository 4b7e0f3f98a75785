// The program-wide values the machine setup reads and higher subsystems write, in one place: the
// interpreter's modal values, the simulation's values the kinematics read, the command line's results,
// the view's services and the editor bridge that the settings reader uses. Each section names its
// writer thread; the upper subsystems install the hooks declared here at start-up.
#pragma once
#include <cstdint>

#include "machine_setup/machine/axis_position.h"
#include "platform/os/files.h"
#include "platform/ui/ui_types.h"

struct ColourSettings;

// === Interpreter modal values ====================================================================
// The interpreter's modal values that the machine setup reads: the plane, the motion kind, the move
// target and end, the arc centre, the tool length offset, the work offset selection, the tilted plane
// and rotary-following values the kinematics and the machine position use, and the in-memory program
// that the controller reader releases. The interpreter writes them block by block (the driver's thread:
// the simulation thread during a run, otherwise the UI thread) and resets them in
// ResetInterpreterState (nc/interpreter_state.h, which holds the rest of its modal state).

constexpr int NC_WORK_OFFSET_ENTRIES = 201;  // entries of the work offset table (0 external, 1 = G54 ...)
const int MAX_SUBPROGRAM_DEPTH = 8;            // room per level array; calls nest at most 4 deep
const int MEMORY_SUBPROGRAM_SLOTS = 1000;      // entries of each index array
const int MEMORY_SUBPROGRAM_NAMES_SIZE = 5000; // bytes of the OSP name table

// MotionKind: kind of the motion a block or queue hands out. A test "kind > 1" is a test for an arc.
enum MotionKindCode {
    MOTION_RAPID = 0,
    MOTION_LINEAR = 1,
    MOTION_ARC_CW = 2,
    MOTION_ARC_CCW = 3,
    MOTION_NURBS_SPAN = 132
};
// Positions (program coordinates unless noted)
extern AxisPosition g_NcTargetPosition;      // end of the move being built; axis words land here
extern AxisPosition g_NcMoveEnd;             // move end handed to the drivers
extern AxisPosition g_RunStartMachinePosition;  // machine position at the run start (rotary: previous angles
                                                // in rotary-following mode)
extern double g_HeadTipOffset[3];            // tool-tip offset caused by the head angles
extern double g_ToolLengthOffset;            // active tool length offset along g_ToolAxisIndex
extern int g_ToolAxisIndex;                  // axis of the tool length offset (0 X, 1 Y, 2 Z)
extern double g_MoveArcCentre[3];            // arc centre of the move, in the frame of g_NcMoveEnd
                                             // (the block-end stage's g_NcMoveArcCentre)
extern int g_SpindleToolNumber;              // tool in the spindle (0 for a plug-in tool)

// Work offsets and coordinate shifts
extern AxisPosition g_ActiveWorkOffset;      // external offset + selected entry (+ shifts); G52, G92, G10 L2
extern int g_WorkOffsetIndex;                // selected work offset entry: 0 external alone, 1 G54, ...
extern int g_StartWorkOffset;                // entry selected at reset
// Local coordinate shift (G52) of each work offset entry. The controller reader clears it under the
// name g_WorkOffsetAdjustments; g_LocalCoordinateShifts names the same table.
extern AxisPosition g_WorkOffsetAdjustments[NC_WORK_OFFSET_ENTRIES];
extern AxisPosition (&g_LocalCoordinateShifts)[NC_WORK_OFFSET_ENTRIES];

// Plane
extern int g_PlaneCode;         // PlaneCode: 17, 18, 19; negative for the plane seen reversed
extern int g_PlaneAxis1;        // index of the first plane axis (0 X, 1 Y, 2 Z)
extern int g_PlaneAxis2;        // index of the second plane axis
extern int g_PlaneNormalAxis;   // index of the plane normal

// Modal codes
extern int g_MotionKind;               // MotionKind of the current motion
extern int g_IncrementalMode;          // 1 after G91, 0 after G90; cleared at the end of the input
extern int g_LastGCode;                // G code just read, decimals folded (G53.1 -> 531, G68.2 -> 682)
extern int g_ToolCentreMode;           // tool centre point mode 0, 1, 2 (2 = tool-vector mode)
extern int g_ToolLengthCompOn;         // 1 while tool length compensation is on
extern int g_PlaneRotationMode;        // in-plane tool-orientation turn: 0, 1, -1 or 2
extern double g_PlaneRotationAngle;    // its angle (radians)
extern double g_SecondRotationAngle;
extern int g_PolarInterpolationOn;
extern int g_CylindricalInterpolationOn;
extern int g_RotaryFollowMode;         // rotary-following coordinates (tilted working plane)
extern int g_RotaryFollowState;
extern int g_RotaryFollowKind;
extern int g_ReferenceReturnPhase;     // 0 none, 1 to the intermediate point, 2 on to the reference point
extern int g_MachineCoordinateBlock;   // 1 when the block's axis words are machine coordinates
extern int g_CutCodeState;             // 1 cutting on, 0 off (controller cut codes)
extern int g_LatheModeOn;              // turning mode (diameter programming of X)
extern int g_RadiusOffsetAlarm;        // a radius-offset gouge was listed this run
extern int g_Rotary1Locked;            // 1 while rotary 1 is clamped ("ROTARY1 LOCK" code)
extern int g_Rotary2Locked;

// Tool centre point, rotary following and tilted working plane
extern double g_ToolAxisStart[3];      // tool-axis vector at the block start in tool-vector mode
extern int g_PlaneSpatialSequence;     // +1, -1 or 0: solution sequence of a spatial plane definition
extern double g_SpatialAngleC;         // third spatial angle (degrees)
extern double g_RotaryFollowAngles[2]; // rotary angles kept at the switch (degrees)
extern double g_TiltedPlaneMatrix[9];  // tilted plane rotation, row by row (row vector x matrix)
extern double g_TiltedPlaneInverse[9]; // its inverse
extern double g_TiltedPlaneOrigin[3];  // its origin shift (G68.2 X, Y, Z)

// Polar and cylindrical interpolation
extern double g_PolarAngleOffset;
// Length on the cylinder per degree of rotary 2 (radius x pi / 180); also named g_CylinderLengthPerDegree.
extern double g_CylinderMmPerDegree;
extern double& g_CylinderLengthPerDegree;
extern int g_CylindricalAxisPlane;     // axis the cylinder angle moves: 0 X (plane 18), 1 Y

// Coordinate rotation (up to two stacked levels), OSP rotation, mirror image, scaling
// Scaling centre (G51 and its axis words). The controller reader sets it under the name g_ScaleCentre;
// g_ScalingCentre names the same values.
extern double g_ScaleCentre[3];
extern double (&g_ScalingCentre)[3];

// Motion queues (motion delivery). All empty after a reset.
extern int g_ToolChangeRouteSteps;        // route steps still to be handed out; 0 none pending
extern int g_ToolChangeRouteCurrentStep;  // next route step to hand out

// In-memory program and sub-program call stack (the program index fills them; the reader reads them)
extern char* g_ProgramText;                     // whole-file text of the in-memory program
extern int32_t* g_MemorySubprogramNumbers;      // index arrays, MEMORY_SUBPROGRAM_SLOTS entries
extern char* g_MemorySubprogramNames;           // OSP name table, MEMORY_SUBPROGRAM_NAMES_SIZE bytes
extern int32_t* g_MemorySubprogramOffsets;
extern int32_t* g_MemorySubprogramLines;
extern int32_t* g_MemorySubprogramLengths;
extern int g_MemorySubprogramCount;
extern int g_SubprogramDepth;                              // 0 the main program
extern int g_SubprogramInMemory[MAX_SUBPROGRAM_DEPTH];     // per level (depth - 1): in-memory sub-program
extern int g_SubprogramIndex[MAX_SUBPROGRAM_DEPTH];        // per level: index entry
extern int64_t g_SubprogramOffset[MAX_SUBPROGRAM_DEPTH];   // per level: read offset from the start
extern int g_SubprogramLineCount[MAX_SUBPROGRAM_DEPTH];    // per level: lines read
extern char g_SubprogramCallNames[4][256];
extern char g_SubprogramFolder[256];
extern char g_LastSubprogramPath[256];
extern FileTime g_NcExtentsFileTime;  // NC file time last indexed; cleared forces a new index

// Values of the tool length reference, set by the interpreter's H word, G43 / G44 and the dialects.
extern double g_PendingToolLengthShift;  // offset change the drivers have not applied yet
extern int g_HWordNumber;                // H number in effect
extern double g_HeidenhainLengthDelta;   // DL of the last HEIDENHAIN tool call
extern int g_MazakHeadOffsetMode;

// NC plug-in tool state (the interpreter's plug-in calls write it; the tool selection reads it).
extern int g_PluginToolActive;           // 1 while tool 0 holds a plug-in tool
extern int g_KeepPluginTool;             // plug-in tool data of the previous run still count

// Finds the machine plane that the program plane g_PlaneCode lands on (g_PlaneCodes) and sets
// g_PlaneCode to +-17, +-18 or +-19 with g_PlaneAxis1, g_PlaneAxis2 and g_PlaneNormalAxis.
void SelectPlane();
// One of the angles kept for an active SIEMENS rotation-order code, or angleDeg itself.
double SelectRotationAngle(double angleDeg);

// === Simulation values ===========================================================================
// Values of the machining simulation that the kinematics read, and the warning-file entry for a long
// rotary move. The simulation thread and the tool-path drawing write the values; the simulation
// installs the hook that writes the warning file at start-up.

extern double g_TableRotaryCosSin[4];    // cos r1, sin r1, cos r2, sin r2 taken when tool-centre control starts
extern double g_StepAxisIncrements[3];   // per-sub-step increment of the tool-axis vector (vector mode)
extern double g_ZTurnAngle;              // degrees: turn about Z of a tool given as triangles
extern int g_RotatingAxisIndex;          // the turning axis of a lathe run: 3 rotary 1, 4 rotary 2 (view spin)
extern int g_OvertravelAxis;             // result of FindNearestAxisOvertravel; -1 none
extern double g_RotaryDisplayAngles[2];  // rotary angles taken over when tool-centre control starts
extern int g_RotaryAxesMoving;           // 1 when the step moves a rotary axis
extern int g_WarningCount;               // lines written to the warning file

// Appends "* Long movement of rotary axis *" with the angles before and after the move to the warning
// file when the controller's warning level is above 0.
void WarnLongRotaryMove(double previous1, double previous2, double new1, double new2);
// Writes and counts the warning itself (installed by the simulation; null: the warning is only counted).
extern void (*g_WarnLongRotaryMoveHook)(double previous1, double previous2, double new1, double new2);

// === Command-line results ========================================================================
// Results of the command line that the settings file reader respects: values the command line gave are
// not read from the settings file. The command-line parser fills them before the settings are read; the
// paths and pitches it gives go straight into the variables of their owners (see the comments).

// Written by the user-interface thread (command-line parser at start-up, macros); read at start-up.
extern char g_CmdIniFile[256];        // settings file name or path ("qumbra.ini" unless a switch names one)
extern int g_CmdToolTableGiven;       // 1: the tool table path is already in g_ToolTableFilePath
extern int g_CmdControllerGiven;      // 1: the controller path is already in g_ControllerFilePath
extern int g_CmdMachineGiven;         // 1: the machine path is already in g_MachineFilePath
extern int g_CmdWorkGiven;            // 1: the command line defines the work, of kind g_CmdWorkKind
extern int g_CmdWorkKind;             // CmdWorkKind
extern int g_CmdStartPositionGiven;   // 1: the start control point is given (g_ControlPoint)
extern int g_CmdDifference;           // 1: difference painting requested (its settings are given)
extern int g_CmdOffsetRequest;        // 1: a work offset was requested (g_OffsetValue is given)
extern int g_CmdWindowRectGiven;      // 1: the frame's rectangle is given (g_WindowX ... g_WindowWidth)
extern int g_CmdCtcGiven;             // 1: a colour file is named in g_CmdCtcFile (cleared once read)
extern char g_CmdCtcFile[256];
extern int g_CmdToolNumber;           // T switch: tool selected at start-up (0 none)
// Given elsewhere: g_BasicModelPath (not empty when named), g_WorkPitch and g_MovePitch (not 0 when
// given), g_SilentMode.

// Kinds of work the command line defines.
enum CmdWorkKind {
    CMD_WORK_FILE = 0,
    CMD_WORK_BOX = 1,
    CMD_WORK_BOX_FROM_ORIGIN = 2,
    CMD_WORK_CYLINDER = 3
};

// Puts every value above back to its program start value.
void ResetCommandLineValues();

// === View services ===============================================================================
// Services of the view that the settings reader uses: the camera angles and their cosines, the view's
// start-up options, the status panel cells and what the colour dialog does with changed colours.
// They are declared here, below the view, because the settings reader reads them; the view installs
// the two hooks at start-up.

const int STATUS_PANEL_CELL_COUNT = 77;

// Camera (UI thread).
extern double g_ViewAngleA;          // rotation about the model's Z axis, degrees ("ANGLE-A")
extern double g_ViewAngleB;          // tilt about the screen's X axis, degrees ("ANGLE-B")
extern double g_ViewAngleHome[2];    // A and B as read from the settings ("R" key)
extern double g_ViewAngleCosSin[4];  // cos A, sin A, cos B, sin B
extern double g_ZoomKeyFactor;       // zoom step of the zoom keys ("EXPAND RATE")
extern int g_Perspective;            // 1 perspective, 0 orthographic ("PERSPECTIVE")

// Display switches of the tool paths (UI thread).
extern int g_ShowToolPath;
extern int g_ShowLinearToolPath;

// Status panel (UI thread lays out; the panel drawing reads).
extern UiRect g_StatusPanelCells[STATUS_PANEL_CELL_COUNT];
extern int g_NcRowState;             // what the NC row shows (0 the two captions)
extern int g_ToolPanelPage;           // page the tool panel shows

// Recomputes g_ViewAngleCosSin from g_ViewAngleA and g_ViewAngleB.
void UpdateViewRotationCosSin();
// Sets the start-up rectangles of the status panel cells for axisCount axis rows.
void LayOutStatusPanelCells(int axisCount);
// Takes the colours of g_ColourSettingsBackup into use; the view's hook then remakes the materials of
// the entries that changed and marks what they colour for rebuilding. No repaint.
void ApplyColourSettings();
// Hooks the view installs: the panel layout, and what it rebuilds after the colours changed (its
// materials; previous is the set in use before). Null: LayOutStatusPanelCells does nothing,
// ApplyColourSettings only takes the colours.
extern void (*g_LayOutStatusPanelCellsHook)(int axisCount);
extern void (*g_ColoursAppliedHook)(const ColourSettings* previous);

// === Editor bridge ===============================================================================
// Services of the shell's editor bridge that the settings reader uses: the editor plug-in's two entry
// points (each may rewrite the 256-byte buffer it is given) and the editor kind. The shell's plug-in
// loader writes them (UI thread); they are declared here because the settings reader reads them.

struct EditorPluginEntries {
    void (*execProgram)(char* buffer);   // "EXEC_PROGRAM" value; null when the plug-in is not loaded
    void (*execOption)(char* buffer);    // "EXEC_OPTION" value; null when not exported
};
extern EditorPluginEntries g_EditorPlugin;   // UI thread (plug-in loading at start-up)
extern int g_EditorKind;                     // 99 = the editor plug-in; UI thread
