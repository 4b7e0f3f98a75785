// The controller definition (".CTL"): how the simulated control reads and runs NC programs. Its
// settings are program-wide values that every ReadControllerFile first resets to their defaults (a
// few keep their earlier values, marked "kept") and then fills from the file. Written on the UI
// thread by ReadControllerFile; read by the interpreter, the kinematics, the simulation and the view.
// The replacement rules and the offset memories are in offset_memories.h; the axis letters of machine
// X, Y, Z, the rotary letters and the rotary direction signs (g_MachineAxisLetters, g_Rotary1Letter,
// g_Rotary2Letter, g_Rotary1Direction, g_Rotary2Direction) belong to machine_definition.h; this
// reader resets and fills them.
#pragma once
#include "work_model/work_values.h"  // the values the work model reads are declared there
#include <cstdint>

#include "platform/os/files.h"

constexpr int CONTROLLER_PATH_SIZE = 256;
constexpr int CONTROLLER_LINE_SIZE = 1024;      // a longer line continues as the next line
constexpr int CONTROLLER_NAME_MAX = 20;
constexpr int STOP_PATTERN_SLOTS = 20;
constexpr int STOP_PATTERN_SIZE = 10;           // 9 characters and a terminating zero
constexpr int WAIT_MCODE_MAX = 20;
constexpr int WAIT_FILE_NAME_SIZE = 15;         // 14 characters and a terminating zero
constexpr int LATHE_CODE_SIZE = 20;
constexpr int CUT_CODE_SIZE = 32;
constexpr int LOCK_CODE_SIZE = 32;
constexpr int CYCLE_CLEARANCE_COUNT = 20;       // G70 to G89
constexpr int OPTIONAL_BLOCK_SKIP_COUNT = 10;   // switches 0 to 9 (1 to 9 used)

enum NcDialect { DIALECT_DEFAULT = 0, DIALECT_OSP = 1, DIALECT_HEIDENHAIN = 11 };
enum DecimalPointMode { DECIMAL_POINT_NO = 0, DECIMAL_POINT_YES = 1, DECIMAL_POINT_OTHER = 2,
                        DECIMAL_POINT_NORMAL = 3 };
enum FeedrateMode { FEEDRATE_DIRECT = 0, FEEDRATE_INDIRECT = 1, FEEDRATE_AUTO1 = 2, FEEDRATE_AUTO2 = 3 };
enum ToolOffsetMemoryType { TOOL_OFFSET_MEMORY_A = 1, TOOL_OFFSET_MEMORY_B = 2, TOOL_OFFSET_MEMORY_C = 3 };
enum StopModeCode { STOP_NONE = 0, STOP_NORMAL = 1, STOP_M01 = 2, STOP_SINGLE = 3, STOP_DEFINE = 4 };
enum ToolCentreModeCode { TOOL_CENTRE_NO = 0, TOOL_CENTRE_TYPE1 = 1, TOOL_CENTRE_TYPE2 = 2 };

// --- The file ------------------------------------------------------------------------------------
extern char g_ControllerFilePath[CONTROLLER_PATH_SIZE];  // settings file or command line
extern int g_ControllerFileStatus;                       // -1 cannot be opened, 1 read (0 reported)
extern FileTime g_ControllerFileTime;                    // last-write time taken before reading

// --- Name and display ----------------------------------------------------------------------------
extern char g_ControllerName[CONTROLLER_NAME_MAX + 1];   // "NAME(MAX20)" (kept), zero after the text
extern int g_ControllerNameLength;                       // kept
extern int g_ControllerNameTextColour[3];                // "NAME COLOR" red, green, blue (255, 0, 0)
extern int g_ControllerNameBackColour[3];                // (255, 255, 0)
extern double g_CtlViewCentre[3];                        // "VIEW CENTER" (kept)
extern int g_ViewCentreFromCtl;                          // 1 when "VIEW CENTER" was given
extern char g_AxisLabelCells[5][3];                      // status-panel labels: tab, letter, zero

// --- Units and numbers ---------------------------------------------------------------------------
extern double g_LengthInputTolerance;     // (0.0005)
extern int g_ScaleInputUnit;              // "UNIT(SCALE)" (1000)
extern int g_AngleInputUnit;              // "UNIT(DEG)" (1000)
extern int g_DecimalPointSetting;         // DecimalPointMode (0)

// --- Dialect and machine type --------------------------------------------------------------------
extern int g_DialectCode;                 // NcDialect
extern int g_DialectOsp;
extern int g_DialectMazak;
extern int g_DialectSiemens;
extern int g_DialectHeidenhain;
extern int g_MachineWire;                 // "TYPE" "WIRE"
extern int g_MachineLathe;                // "TYPE" "LATHE"
extern int g_TclTableCoordinate;          // (1); "TCL COORDINATE" "TABLE" gives 0
extern int g_TclVectorInterpolation;
extern int g_ToolCentreModeAtStart;       // ToolCentreModeCode; also copied into g_ToolCentreMode
extern int g_ZCeCoordinate;
extern int g_AngleDecisionFanuc2;
extern int g_No60Bit2;
extern char g_EndOfRecordChar;            // "EOR" (blank: no wait for a start line)

// --- Reading NC lines ----------------------------------------------------------------------------
extern int g_RunFromMemory;               // "RUN TYPE" "MEMORY"
extern int g_ReplaceType2;                // 1: each rule in turn replaces its first occurrence
extern char* g_CheckChars;                // "CHECK CHAR" set (heap, terminating zero) or null
extern int g_CheckCharsLength;
extern int g_CodeCheck;
extern int g_OptionalBlockSkip[OPTIONAL_BLOCK_SKIP_COUNT];  // switch n on (1 to 9)
extern int g_OptionalBlockSkipAny;

// --- Checks --------------------------------------------------------------------------------------
extern int g_CheckF0;
extern float g_ArcRadiusTolerance;        // "R-TOLERANCE" (kept; 1000000 at start)
extern int g_RadiusCheckStop;             // "CHECK RADIUS OFFSET"
extern int g_RadiusCheckList;             // 1 LIST, 2 OPEN
extern int g_RadiusCheckPaint;
extern int g_RadiusCheckEnabled;
extern int g_CheckReverseArc;
extern int g_WarningLevel;                // (1)

// --- Plane, feed and motion ----------------------------------------------------------------------
extern int g_InitialPlane;                // 17, 18, 19 (17)
extern int g_FeedrateMode;                // FeedrateMode
extern int g_G00Mode;                     // always 0 (the words are recognised only)
extern int g_G00PathLine;
extern float g_SmoothAngle;               // "SMOOTH ANGLE" (kept; 2.0 at start)
extern int g_ConcaveArcFeedAdjust;        // (1); "KEEP" gives 0
extern int g_G92Mode;
extern double g_RotationAngleSetting;
extern double g_ScaleFactor[3];           // "SCALE(X/Y/Z)" (1.0)
extern int g_ScaleEffect[3];              // (1); "SCALE EFFECT(X) OFF" gives 0

// --- Cycles --------------------------------------------------------------------------------------
extern int g_CycleReturnInitial;          // (1)
extern double g_PeckReturnG83;            // (0.1)
extern double g_PeckReturnG73;            // (0.1)
extern double g_CycleClearance[CYCLE_CLEARANCE_COUNT];  // G70 to G89
extern int g_CycleL0Ignore;
extern int g_CycleK0Ignore;
extern int g_SpindleControl;
extern char g_SpindleControlCode;         // (blank)

// --- Tool offsets and tool length ----------------------------------------------------------------
extern int g_ToolOffsetMemoryType;        // ToolOffsetMemoryType (3)
extern int g_LengthOffsetType;            // 0 FANUC-A, 1 FANUC-B, 2 FANUC-C
extern int g_CompensationCancelMode;      // "ONLY G40": 1 OFFSET, 2 RESET (1)
extern int g_G49Mode;
extern int g_DCodeValueAuto;
extern int g_HCodeValueAuto;
extern int g_AutomaticToolOffset;
extern int g_AutoLengthOffset;
extern int g_AutoLengthPosition;          // 0 BOTTOM, 1 BALL-CENTER, 2 F-CENTER, 3 R-HEIGHT

// --- Axis letters --------------------------------------------------------------------------------
extern char g_AxisChars[3];               // "CHAR(X)", "CHAR(Y)", "CHAR(Z)"
extern char g_ArcCentreLetters[3];        // arc centre letter of machine X, Y, Z ("I", "J", "K")
extern int g_AxisCodeReversed[3];         // program X, Y, Z reversed ("-X" forms of "X-CODE" ...)
extern int g_RotaryCodeReversed[3];       // "-A", "-B", "-C"
extern char g_IncrementalAxisChars[4];    // incremental letters of X, Y, Z, rotary 1 (0 none)
extern char g_IncrementalOtherChars[4];   // of rotary 2, I, J, K
extern int g_PlaneCodes[3];               // declared again in nc/interpreter_state.h
extern int g_AxisOrderFirst;              // machine axis of the G17 plane's first axis (0)
extern int g_AxisOrderSecond;             // (1)
extern int g_AxisOrderNormal;             // (2)

// --- Rotary axes ---------------------------------------------------------------------------------
extern char g_Rotary1LockCode[LOCK_CODE_SIZE];   // code words: characters only, with their lengths
extern int g_Rotary1LockCodeLength;
extern char g_Rotary1UnlockCode[LOCK_CODE_SIZE];
extern int g_Rotary1UnlockCodeLength;
extern char g_Rotary2LockCode[LOCK_CODE_SIZE];
extern int g_Rotary2LockCodeLength;
extern char g_Rotary2UnlockCode[LOCK_CODE_SIZE];
extern int g_Rotary2UnlockCodeLength;
extern int g_Rotary1ShortestSetting;
extern int g_Rotary1Shortest;
extern int g_Rotary2ShortestSetting;
extern int g_Rotary2Shortest;
extern double g_Rotary1Range[2];          // minimum, maximum (kept)
extern double g_Rotary2Range[2];
extern int g_Rotary1RangeGiven;
extern int g_Rotary2RangeGiven;

// --- Run control ---------------------------------------------------------------------------------
extern int g_StopMode;                    // StopModeCode ("STOP OPTION"); the menu changes it too
extern char g_StopPatterns[STOP_PATTERN_SLOTS][STOP_PATTERN_SIZE];
extern int g_StopPatternCount;
extern int g_WaitMCodes[WAIT_MCODE_MAX];
extern char g_WaitFileNames[WAIT_MCODE_MAX][WAIT_FILE_NAME_SIZE];
extern int g_WaitMCodeCount;
extern char g_LatheOnCodes[2][LATHE_CODE_SIZE];  // per lathe unit 1, 2
extern int g_LatheOnCodeLengths[2];
extern char g_LatheOffCodes[2][LATHE_CODE_SIZE];
extern int g_LatheOffCodeLengths[2];
extern char g_CutOnCode[CUT_CODE_SIZE];
extern int g_CutOnCodeLength;
extern char g_CutOffCode[CUT_CODE_SIZE];
extern int g_CutOffCodeLength;
extern int g_CuttingOnAtStart;            // (1)

// Resets every setting (except the kept ones) and the tables, then reads g_ControllerFilePath;
// the outcome is in g_ControllerFileStatus. Afterwards derives the plane codes, the plane, the tool
// axis and the active work offset.
void ReadControllerFile();

// Sets every setting to its default (kept values stay), empties the rules and the offset memories
// (not the F numbers) and resets the interpreter values a read resets. Step 1 of ReadControllerFile.
void ResetControllerSettings();

// Handles one line of a controller file (keyword at column 0); 1 when a keyword matched.
int ApplyControllerLine(const char* line);

// Derives g_PlaneCodes and the axis order from the axis letters.
void ComputePlaneCodesFromAxisChars();

// Frees the in-memory NC program and its index and clears the sub-program call state.
void FreeInMemoryProgramBuffers();
