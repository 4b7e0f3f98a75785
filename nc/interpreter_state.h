// The interpreter's modal machine state (NcMachineState): every program-wide value that the line reader,
// the block interpreter and motion delivery change block by block and that the drivers read after each
// motion, with the reset that sets it up before a run. One driver runs the interpreter at a time (the
// simulation thread during a run, otherwise the UI thread for the path drawing and the data check), so
// every value below is written by that driver's thread; the UI thread may read positions, line numbers
// and the alarm for its panels while a run goes on (a stale value only affects the display). The last
// section holds the shell and view values the interpreter reads and the calls through which it asks
// the shell and the view to follow a run.
#pragma once
#include <cstdint>
#include <cstdio>

#include "machine_setup/machine/axis_position.h"
#include "machine_setup/machine_setup_state.h"
#include "platform/os/files.h"
#include "platform/ui/ui_types.h"


// NcRunState: every driver loops while g_NcRunState is below NC_RUN_FINISHED.
enum NcRunStateCode {
    NC_RUN_READING = 0,
    NC_RUN_INPUT_ENDED = 1,   // input ended, queued look-ahead motions remain
    NC_RUN_FINISHED = 2
};

// NcAlarmCode: NC data alarms (shown to the user as alarm 100 + code).
enum NcAlarmCodeValue {
    NC_ALARM_NONE = 0,
    NC_ALARM_ARC_RADIUS = 1,       // arc start and end radius differ by R-TOLERANCE or more
    NC_ALARM_ZERO_FEED = 2,        // feed move with feed 0
    NC_ALARM_NO_START_CODE = 3,    // no line starts with the end-of-record character
    NC_ALARM_BAD_CHARACTER = 4,    // character outside the allowed set (g_NcAlarmChar, g_NcAlarmColumn)
    NC_ALARM_DOUBLE_POINT = 5,     // second decimal point in one word (g_NcAlarmColumn)
    NC_ALARM_RADIUS_OFFSET = 6,    // cutter compensation: over offset, reversed arc
    NC_ALARM_OVER_OFFSET = 7,      // catalogue text only
    NC_ALARM_ROTARY1_LOCKED = 8,   // rotary 1 moves while locked
    NC_ALARM_ROTARY2_LOCKED = 9,   // rotary 2 moves while locked
    NC_ALARM_WORD_OUT_OF_RANGE = 10,  // a word's number indexes a table (work offset row, Q parameter,
                                      // tool offset, feed table, reference point) outside the table,
                                      // or a rotary angle of absurd magnitude. Texts: "Word value out
                                      // of range" / "ワードの値が範囲外です"
    NC_ALARM_SUBPROGRAM_NOT_FOUND = 11,  // a called sub-program file cannot be opened, or the called
                                         // number or name is not indexed. Texts: "Subprogram not
                                         // found" / "サブプログラムが見つかりません"
    NC_ALARM_TOOL_AXIS_OUT_OF_REACH = 12,  // no rotary solution reaches the commanded tool axis (vector
                                           // mode, tool-axis path records); the rotary axes keep their
                                           // angles. Texts: "Tool axis out of reach of the rotary axes"
                                           // / "回転軸で工具軸方向に届きません"
    NC_ALARM_INCH_INPUT = 13          // G20: inch input is not simulated (an inch program would come
                                      // out 25.4 times too small); the run stops at the block
    // Further alarm codes follow here, numbered on from 14.
};
// Texts of alarm 113 (NC_ALARM_INCH_INPUT), English and Japanese.
constexpr const char* kInchInputAlarmTexts[2] = {"Inch input (G20) is not supported",
                                                 "インチ入力 (G20) には対応していません"};

// =====================================================================================================
// Reading and run control
extern int g_NcRunState;              // NcRunState
extern int g_ProgramStarted;          // 1 once the first end-of-record line was met (lines before are skipped)
extern int g_EorBlock;                // 1 when the line just fetched is an end-of-record line
extern int g_NcLineNumber;            // line counter of the main program (alarms, panels, editor jump)
extern int g_BlockLineNumber;         // block being executed, counted in every level; still during look-ahead
extern int g_LevelLineNumber;         // line number of the level being read (in-memory sub-programs)
extern int g_PickedBlockNumber;       // block number of a path point picked in the view
extern int g_NcAlarmCode;             // NcAlarmCode, 0 none; drivers stop reading when it is set
extern char g_NcAlarmChar;            // character of alarm 4
extern int g_NcAlarmColumn;           // 1-based column of alarm 4 or 5
extern int g_SequenceSearchNumber;    // N number searched for (GOTO), -1 no search
extern char g_SequenceSearchName[6];  // OSP sequence name searched for (at most 5 letters and digits)
extern int g_DecimalPointMode;        // DecimalPointMode in force; 1 / 2 record the form of the last word
extern int g_StopBlockPending;        // 1: the line read ahead for the stop test is delivered next

// =====================================================================================================
// Positions (program coordinates unless noted)
extern AxisPosition g_NcPreviousPosition;    // start of the move being built (kept by the reset)
extern AxisPosition g_NcCommandedPosition;   // values as commanded, before rotation/scaling; base of G91
extern AxisPosition g_NcMoveStart;           // move start handed to the drivers (kept by the reset)
extern AxisPosition g_NcStartPoint;          // start point of the run (or the reader plug-in's)
extern AxisPosition g_MachineAxisWords;      // machine-coordinate axis words and the machine position they give
extern AxisPosition g_MoveDelta;             // per-axis end minus start of the current move

// =====================================================================================================
// Work offsets and coordinate shifts
extern AxisPosition g_RunStartWorkOffsets[NC_WORK_OFFSET_ENTRIES];  // copy of g_WorkOffsets at reset
extern AxisPosition g_RunStartActiveWorkOffset;                     // copy of g_ActiveWorkOffset at reset
extern AxisPosition g_CoordinateSetShift;    // common shift set by G92
extern AxisPosition g_SavedActiveWorkOffset; // active offset before a G52 block
extern AxisPosition g_LocalActiveWorkOffset; // active offset after a G52 block
extern int g_G92StartTaken;
extern int g_CoordinateShiftState;           // coordinate-setting block state (1 pending, 2 applied ...)

// =====================================================================================================
// Plane
extern int g_BlockPlaneCode;    // plane code as written in the block (reset: "INITIAL PLANE")

// =====================================================================================================
// Modal codes
extern int g_BlockMotionKind;          // motion kind written in the block
extern int g_LastMCode;                // M code of the block, -1 none
extern int g_CommandedToolNumber;      // tool number of the T word, -1 none
extern int g_ToolCallNumber;           // tool named by a tool call or plug-in path code
extern int g_ToolChangeInProgress;     // 1 while a tool change of a mounted set is under way
extern int g_CannedCycleCode;          // active canned cycle G code, 80 none
extern int g_DefinedCycleCode;         // HEIDENHAIN "CYCL DEF" cycle for a later call, 80 none
extern int g_CycleReturnToInitial;     // 1 G98 (initial level), 0 G99 (R level)
extern int g_ToolCentreOn;             // 1 after tool centre control was switched on
extern int g_CutterCompensationState;  // cutter compensation look-ahead state (0 off)
extern int g_CoordinateRotationState;  // 0 off, 1 being set in this block, 2 on, 3 cancel requested
extern int g_SecondRotationMode;       // the previous block's values of the two above
extern int g_PolarInterpolationState;
extern int g_CylindricalInterpolationState;  // 1 started, 2 cancel pending
extern int g_OffsetApplyMode;          // how the move end gets its offsets (0 normal, 1..3 OSP head mode)
extern int g_ReferenceReturnKind;      // of the block: G27 3, G28/G30 1, G29 2, 0 none
extern int g_MoveChanged;              // 1 when the block gave an axis word
extern int g_AxisWordGiven[AXIS_POSITION_COUNT];  // which axes the block gave
extern int g_LatheCodeState[2];        // states of the controller's two lathe on / off codes
extern int g_OspPlaneOrderCode;        // OSP working-plane order code (313)
extern int g_SpindleState;             // 1 M3, -1 M4, 0 M5
extern double g_SpindleSpeed;          // spindle speed of the last S word
extern double g_FeedValues[2];         // [0] feed, [1] arc sweep (radians)
extern int g_SnapshotPerStep;          // directive "SAVE WORK AT EACH PROCESS" met
extern FILE* g_AlarmListFile;          // "alarm.txt" (opened by the compensation), none at reset
extern FILE* g_InterferenceReportFile; // interference report of the run, none at reset
extern int g_PauseReasonCount;         // pause reasons recorded this run

// =====================================================================================================
// Tool centre point, rotary following and tilted working plane
extern double g_ToolAxisChange[3];     // its change over the block
extern double g_TiltedPlaneAngles[3];  // G68.2 I, J, K angles (degrees)
extern int g_HeidenhainRotaryWord;     // 1 when a HEIDENHAIN block gave a rotary word
extern int g_OrientationByAngles;      // SIEMENS: tool orientation given by angles

// =====================================================================================================
// Polar and cylindrical interpolation
extern double g_OspPolarC;             // OSP G137 C value
extern int g_OspG138Active;            // OSP G138 in force (X not halved)
extern double g_CylinderRadius;        // G07.1 radius

// =====================================================================================================
// Arc geometry and arc words
extern double g_ArcCentre[3];          // centre of the arc (program coordinates)
extern double g_ArcStartDirection[3];  // unit vector centre -> start in the plane
extern double g_ArcEndDirection[3];    // unit vector centre -> end
extern double g_ArcNormal[3];          // unit normal of the arc plane
extern double g_ArcSideDirection[3];   // normal x start direction
extern double g_ArcStartRadius;        // start radius; the R word lands here (negative: longer arc)
extern double g_ArcEndRadius;
extern double g_ArcRise;               // helical rise along the normal
extern double g_ArcLength;             // mean radius x sweep
extern int g_ArcMirrorPending;         // arc direction not yet swapped by the mirror
extern double g_ArcCentreWords[3];     // I, J, K of the block (cleared per block except HEIDENHAIN)
extern int g_IjkGiven;                 // the block gave I, J or K
extern int g_ArcDefinitionKind;        // 1 by I/J/K, 2 by radius
extern double g_IjkAccumulators[3];    // sums of the incremental arc letters
extern double g_WireArcWords[3];       // wire machine: upper-guide arc words
extern int g_WireTaperMode;            // wire machine taper mode
extern double g_PolarAngle;            // HEIDENHAIN polar angle of the circle centre
extern double g_PolarEndAngle;         // HEIDENHAIN PA / IPA
extern double g_PolarRadius;           // HEIDENHAIN PR / IPR

// =====================================================================================================
// Block values of the block interpreter (cleared at the start of every text block)
extern int g_ToolWordBlock;            // a T word was read
extern int g_LengthOffsetBlock;        // G43 or G44 was read
extern int g_DwellBlock;               // G04 was read
extern int g_CycleAxisWordSeen;        // an axis word or a cycle depth was read
extern int g_HeidenhainMachineM;       // 91 / 92 in a HEIDENHAIN M91 / M92 block
extern int g_LocalCoordinateBlock;     // G52 was read
extern int g_DirectionGiven;           // HEIDENHAIN DR given
extern int g_PolarBlock;               // HEIDENHAIN LP / CP block
extern int g_CircleCentreBlock;        // HEIDENHAIN CC block
extern int g_OrientationAnglesGiven;   // SIEMENS orientation angles given
// G10 offset setting: set by the G10, L and P words, cleared when the block completes.
extern int g_OffsetSettingBlock;       // G10 was read
extern int g_OffsetSettingL;           // its L number (2: work offset, 20 folded to 2)
extern int g_BlockPNumber;             // the block's P number (G10 entry)

// =====================================================================================================
// Canned cycles
extern double g_CycleBottom;           // hole bottom (normal-axis word in a cycle)
extern double g_CycleRPoint;           // R level
extern double g_CyclePeck;             // Q
extern double g_CycleDwell;            // P (seconds)
extern int g_CycleRepeatCount;         // K / L
extern double g_CycleReturnLevel;      // OSP return level (Z after G71)
extern int g_OspReturnLevelNext;       // OSP: the next Z word is the return level
extern int g_CycleRapidInHole;         // 1 while a canned cycle positions at rapid inside the hole
struct OspCycleParameters {
    double values[3];                  // I, J and the peck value of an OSP cycle
    int iGiven;                        // the I word was given
    int peck;                          // OSP peck flag (Q in cycle 83)
};
extern OspCycleParameters g_OspCycleParameters;

// =====================================================================================================
// Coordinate rotation (up to two stacked levels), OSP rotation, mirror image, scaling
extern int g_RotationCount;            // 0 to 2
extern double g_RotationCentres[2][3]; // per level, by axis index as the words give them
extern double g_RotationAngles[2];     // degrees
extern int g_RotationAxisCodes[2];     // 0 about the plane normal, 1 X, 2 Y, 3 Z
extern int g_RotationPlaneAxes[2][3];  // first, second, normal axis of each level
extern double g_RotationSin[2];
extern double g_RotationCos[2];
extern int g_OspRotationState;         // 0 off, 1 just commanded, 2 active, 3 cancel pending
extern int g_OspRotationAxes[3];
extern double g_OspRotationAngle;      // degrees
extern double g_OspRotationCos;
extern double g_OspRotationSin;
extern int g_MirrorOn;
extern int g_MirrorAxes[3];            // 1 when X, Y, Z is mirrored
extern double g_MirrorCentre[3];
extern int g_ScalingOn;                // G51 in force
extern int g_ScalingUniform;           // 1: one factor (g_ScaleFactorP) for all axes
extern double g_ScaleFactorP;

// =====================================================================================================
// Reference-point return
extern double g_ReturnIntermediatePoint[AXIS_POSITION_COUNT];   // G28 / G30 words (single precision)
extern int g_ReturnIntermediateGiven[AXIS_POSITION_COUNT];
extern double g_ReturnFromReferencePoint[AXIS_POSITION_COUNT];  // G29 words
extern int g_ReturnFromReferenceGiven[AXIS_POSITION_COUNT];
extern int g_ReferencePointIndex;      // P of G30, minus 1

// =====================================================================================================
// Spindle-position axis ("SPINDLE CONTROL")
extern double g_SpindleAxisPosition;
extern double g_SpindleAxisCommanded;
extern double g_SpindleAxisPrevious;

// =====================================================================================================
// Motion queues (motion delivery). All empty after a reset.
constexpr int RAPID_STEP_QUEUE_SIZE = 10;
constexpr int NORMAL_AXIS_QUEUE_SIZE = 10;
constexpr int LOOKAHEAD_POINT_COUNT = 10;
constexpr int LOOKAHEAD_INITIAL_CAPACITY = 1000;
constexpr int LOOKAHEAD_MAX_CAPACITY = 50000;
extern int g_StepQueueCount;
extern AxisPosition g_RapidStepQueue[RAPID_STEP_QUEUE_SIZE];
extern int g_NormalAxisQueueCount;
extern int g_NormalAxisQueueKinds[NORMAL_AXIS_QUEUE_SIZE];
extern double g_NormalAxisQueueValues[NORMAL_AXIS_QUEUE_SIZE];
extern int g_WireTaperQueueCount;
extern double g_WireTaperQueue[NORMAL_AXIS_QUEUE_SIZE][4];
extern int g_LookaheadCount;
extern int g_LookaheadCapacity;           // entries of the two heap arrays (allocated by the first reset)
extern int* g_LookaheadKinds;
extern double* g_LookaheadValues;
extern double* g_LookaheadPlaneValues;    // per entry the two in-plane values (first, second plane axis)
extern double g_LookaheadPoints[LOOKAHEAD_POINT_COUNT][3];
extern double g_LookaheadArcCentre[3];
extern int g_QueueReadIndex;

// =====================================================================================================
// In-memory program and sub-program call stack (the program index fills them; the reader reads them)
extern FILE* g_SubprogramFiles[MAX_SUBPROGRAM_DEPTH];      // per level: open sub-program file or none

// =====================================================================================================
// Operations

// Sets up the whole state for a new pass over the program (see nc/interpreter_reset.cpp).
void ResetInterpreterState();

// For each rotary axis whose stroke range in set 0 spans 360 degrees or more, sets its shortest-route
// flag to value, unless the controller's "ROTARYn ROUTE" SHORTEST keeps it on.
void CheckRotaryTurnOver360(int value);

// value x g_InputIncrement rounded half away from zero, truncated to int (0 for 0 and NaN); saturates
// at the int range.
int ToIntegerUnits(double value);

// =====================================================================================================
// The shell and view values the interpreter reads, and the calls through which it asks the shell and
// the view to follow a run: editor follow, status bar, panel drawing, menu checks. The values are
// written by the UI thread (file commands, editor bridge, view options) and by the path drawing; the
// interpreter's thread reads them. Each call goes through a hook of g_InterpreterUiHooks that the shell
// or the view installs at start-up; without a hook the call does nothing (batch runs, tests).

// Shell (written by the UI thread).
extern int g_ActiveReaderPlugin;     // slot 0 to 2 of the reader plug-in for the NC file, -1 none
extern int g_EditorOpen;             // 1 while an external editor shows the NC program
extern int g_EditorFollowsRun;       // 1 when the editor follows sub-program lines as well
extern int g_ReportCheckRunning;     // 1 while the data check for the verification report runs
extern char g_NcFilePath[256];       // the NC program's path

// View (read or set by the interpreter's thread).
extern int g_ShowWorkCoordinates;            // the measure point cell shows work coordinates
extern int g_ShowExtentsInWorkCoordinates;   // the work extents cells show work coordinates
extern double g_PathToolTipPoint[3];         // tool tip of the path drawing

// Hooks of the calls below; a null entry makes its call do nothing.
struct InterpreterUiHooks {
    void (*editorFollowRunLine)(int editorKind, int lineNumber);
    void (*editorJumpToLine)(int editorKind, int lineNumber, int third);
    void (*beginPanelDraw)(WindowHandle window);
    void (*endPanelDraw)(WindowHandle window);
    void (*drawAxisLabelColumn)();
    void (*drawMeasurePointPanel)();
    void (*drawWorkExtentsPanel)();
    void (*updateMenuChecks)();
};
extern InterpreterUiHooks g_InterpreterUiHooks;   // installed by the shell and the view at start-up

// Moves the external editor to the executed line.
void EditorFollowRunLine(int editorKind, int lineNumber);
// Jumps the external editor to a line.
void EditorJumpToLine(int editorKind, int lineNumber, int third);
// Panel drawing of the view: the axis label column, the measure point and the work extents cells.
void BeginPanelDraw(WindowHandle window);
void EndPanelDraw(WindowHandle window);
void DrawAxisLabelColumn();
void DrawMeasurePointPanel();
void DrawWorkExtentsPanel();
// Shell: sets the menu check marks from the settings.
void UpdateMenuChecks();
