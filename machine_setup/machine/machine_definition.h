// The machine definition (".MTL" file): rotary configuration, pivots, spindle direction, part model
// files, stroke ranges, tool changer and axis limits, as program-wide values, and its reader.
// The kinematics, checks, interpreter and view read these values; only ReadMachineFile writes them
// (the axis letters and direction signs come from the controller definition reader).
#pragma once
#include "machine_setup/machine/axis_position.h"
#include "platform/os/files.h"

// ---------------------------------------------------------------------------------------------------
// Enumerations

enum MachineKind {
    MACHINE_NONE = 0,   // no rotary configuration given; the kinematics treat it like MIX
    MACHINE_HEAD = 1,
    MACHINE_TABLE = 2,
    MACHINE_MIX = 3
};

enum AtcType { ATC_DIRECT = 1, ATC_WAIT = 2, ATC_WAIT2 = 3 };

enum TableType { TABLE_TYPE_NO = 0, TABLE_TYPE_PLANE = 1, TABLE_TYPE_CIRCLE = 2, TABLE_TYPE_AXIS = 3,
                 TABLE_TYPE_LATHE = 4 };

// Head part present (HEAD TYPE, HEAD1 TYPE, HEAD2 TYPE).
enum HeadTypeCode { HEAD_TYPE_NO = 0, HEAD_TYPE_PRESENT = 2 };

// "AXIS DIRECTION": which machine axis and sign points right in the view and which away from the
// viewer. 0: none given (+X right, +Y away). The codes follow the word table of the reader.
enum AxisDirectionCode {
    AXIS_DIRECTION_NONE = 0,
    AXIS_DIRECTION_RIGHT_MY_BACK_PX = 1, AXIS_DIRECTION_RIGHT_MX_BACK_MY = 2, AXIS_DIRECTION_RIGHT_PY_BACK_MX = 3,
    AXIS_DIRECTION_RIGHT_PZ_BACK_PY = 10, AXIS_DIRECTION_RIGHT_PZ_BACK_PX = 11,
    AXIS_DIRECTION_RIGHT_PZ_BACK_MY = 12, AXIS_DIRECTION_RIGHT_PZ_BACK_MX = 13,
    AXIS_DIRECTION_RIGHT_MZ_BACK_PY = 20, AXIS_DIRECTION_RIGHT_MZ_BACK_PX = 21,
    AXIS_DIRECTION_RIGHT_MZ_BACK_MY = 22, AXIS_DIRECTION_RIGHT_MZ_BACK_MX = 23,
    AXIS_DIRECTION_RIGHT_PX_BACK_MZ = 30, AXIS_DIRECTION_RIGHT_MY_BACK_MZ = 31,
    AXIS_DIRECTION_RIGHT_MX_BACK_MZ = 32, AXIS_DIRECTION_RIGHT_PY_BACK_MZ = 33,
    AXIS_DIRECTION_RIGHT_PX_BACK_PZ = 40, AXIS_DIRECTION_RIGHT_MY_BACK_PZ = 41,
    AXIS_DIRECTION_RIGHT_MX_BACK_PZ = 42, AXIS_DIRECTION_RIGHT_PY_BACK_PZ = 43
};

// Part models with a single file (index into g_PartModelFiles and g_PartModelOffsets.part).
enum PartModelIndex {
    PART_MODEL_TABLE = 0,
    PART_MODEL_TABLE1,
    PART_MODEL_TABLE2,
    PART_MODEL_TABLE_X,
    PART_MODEL_TABLE_Y,
    PART_MODEL_TABLE_Z,
    PART_MODEL_HEAD,      // "HEAD MODEL" and "HEAD(XYZ) MODEL"
    PART_MODEL_HEAD_X,
    PART_MODEL_HEAD_Y,
    PART_MODEL_HEAD_Z,
    PART_MODEL_HEAD_XY,   // "HEAD(XY) MODEL" or "HEAD(YX) MODEL"
    PART_MODEL_HEAD_YZ,   // "HEAD(YZ) MODEL" or "HEAD(ZY) MODEL"
    PART_MODEL_HEAD_ZX,   // "HEAD(ZX) MODEL" or "HEAD(XZ) MODEL"
    PART_MODEL_HEAD1,
    PART_MODEL_HEAD2,
    PART_MODEL_COUNT
};

constexpr int MACHINE_PATH_SIZE = 256;       // every file name buffer, terminating zero included
constexpr int MAX_BASIC_MODEL_FILES = 5;
constexpr int MAX_VICE_MODEL_FILES = 5;
constexpr int STROKE_LIMIT_SET_MAX = 6;      // set 0 plus the numbered sets 1 to 5
constexpr int MACHINE_AXIS_COUNT = AXIS_POSITION_COUNT;  // X, Y, Z, rotary 1, rotary 2 (AxisPositionIndex)

// One set of stroke ranges. range[2 * axis] is the minimum and range[2 * axis + 1] the maximum of axis
// X, Y, Z, rotary 1, rotary 2 (mm, degrees); enabled[axis] is 1 when that range is in force.
// Set 0 is the only one with rotary ranges.
struct StrokeLimitSet {
    double range[2 * MACHINE_AXIS_COUNT];
    int enabled[MACHINE_AXIS_COUNT];
};

// Model offsets (mm) added to the part models when they are loaded.
struct PartModelOffsets {
    double basic[3];                             // "BASIC MODEL OFFSET", all basic models
    double vice[MAX_VICE_MODEL_FILES][3];        // n-th "VICE MODEL OFFSET" line for the n-th vice
    double part[PART_MODEL_COUNT][3];            // the other parts, by PartModelIndex
};

// ---------------------------------------------------------------------------------------------------
// Machine definition values. Written by ReadMachineFile on the user-interface thread unless noted;
// read by every thread.

extern char g_MachineFilePath[MACHINE_PATH_SIZE];  // path of the ".MTL" file (settings, command line)
extern int g_MachineFileStatus;                    // -1 missing at the last read, 1 read, 0 reported
extern FileTime g_MachineFileTime;                 // last-write time taken before the last read

extern char g_MachineName[MACHINE_PATH_SIZE];      // "NAME" (kept when absent)
extern int g_SyncCellsEnabled;                     // 1 at start; the sync plug-in may change it on NAME

// Tool changer.
extern int g_AtcType;                              // AtcType, "ATC TYPE"
extern int g_ToolWordSplit;                        // 4: the T word carries a split-off number; 0 not
extern int g_ToolWordSplitDigits;                  // trailing T-word digits split off (kept)
extern int g_ToolChangePositionGiven;              // 1 when "TOOL CHANGE POSITION" was given
extern AxisPosition g_ToolChangePosition;          // machine X, Y, Z, rotary 1, rotary 2 (kept)
extern float g_ToolChangeTime;                     // "TOOL CHANGE TIME" (kept; 1.0 at start)

// Axis limits for the time estimate (kept between reads; values at program start in brackets).
extern float g_RapidFeedRates[3];                  // "RAPID(X/Y/Z)", per minute [10000]
extern float g_RapidAccelerations[3];              // "RAPID ACCELERATION(X/Y/Z)" [0.1]
extern float g_MaximumFeedRates[3];                // "MAXIMUM FEEDRATE(X/Y/Z)", "MAXIMUM FEEDRATE" [10000]
extern float g_AxisAccelerations[3];               // "ACCELERATION(X/Y/Z)", "MAXIMUM ACCELERATION(..)" [0.3]

extern int g_AxisDirection;                        // AxisDirectionCode, "AXIS DIRECTION"

// Rotary configuration.
extern int g_MachineKind;                          // MachineKind, "ROTARY TYPE"
extern int g_AxisCount;                            // number of controlled axes, 5
extern int g_Rotary1Axis;                          // 0 X, 1 Y, 2 Z: axis rotary 1 turns about (reset X)
extern int g_Rotary1CrossAxes[2];                  // the other two in right-handed order
extern int g_Rotary2Axis;                          // reset Z
extern int g_Rotary2CrossAxes[2];
extern double g_Rotary1UnitVector[3];              // unit direction of rotary axis 1 (after inclination)
extern double g_Rotary2UnitVector[3];
extern int g_Rotary1Tilted;                        // 1: rotary 1 inclined by "AXIS1 ANGLE"
extern int g_Rotary2Tilted;
extern double g_Rotary1TiltCosSin[2];              // cosine, sine of the inclination (or elevation)
extern double g_Rotary2TiltCosSin[2];
extern int g_Rotary1ByVector;                      // 1: rotary 1 given by "AXIS1 VECTOR"
extern int g_Rotary2ByVector;
extern double g_Rotary1Vector[3];                  // "AXIS1 VECTOR" (only its direction counts)
extern double g_Rotary2Vector[3];
extern double g_RotaryAxisFrame[4];                // azimuth cos, sin of rotary 1, then of rotary 2
extern int g_Rotary1Reversed;                      // the NC code of the rotary axis letter is reversed
extern int g_Rotary2Reversed;

// Axis letters and direction signs. Filled by the controller definition reader; the machine reader
// gives a blank rotary letter the letter of its "ROTARY AXISn" line.
extern char g_MachineAxisLetters[3];               // NC letters driving machine X, Y, Z ("X", "Y", "Z")
extern char g_Rotary1Letter;                       // ' ' when none is given
extern char g_Rotary2Letter;
extern int g_Rotary1Direction;                     // +1 or -1 ("ROTARY1 DIRECTION")
extern int g_Rotary2Direction;

// Table, head and spindle.
extern int g_TableType;                            // TableType of the table / table 1
extern int g_Table2Type;
extern int g_HeadType;                             // HeadTypeCode of HEAD, HEAD1, HEAD2
extern int g_Head1Type;
extern int g_Head2Type;
extern double g_AngleHeadAngles[3];                // "ANGLE HEAD(A/B/C)" degrees
extern double g_ToolDirection[3];                  // unit spindle direction, tip into spindle (0, 0, 1)
extern int g_ToolDirectionTilted;                  // 1 when the spindle direction is not +Z
extern double g_TablePosition[3];                  // pivot of the table axes, machine coordinates
extern double g_TableOffset[3];                    // offset of the rotary 2 table axis from that pivot
extern double g_HeadPosition[3];                   // pivot of the inner head axis from the control point
extern double g_HeadOffset[3];                     // pivot of the outer head axis from the inner one
extern double g_HeadPivot[3];                      // g_HeadPosition + g_HeadOffset (HEAD machines)
extern double g_TableViewPivot[3];                 // TABLE machines: table pivot shown by the view (kept)
extern double g_ToolHolderOffset;                  // "TOOL HOLDER OFFSET" (mm)

// Part models (loaded by LoadAllMachineModels).
extern char g_BasicModelFiles[MAX_BASIC_MODEL_FILES][MACHINE_PATH_SIZE];
extern int g_BasicModelCount;
extern char g_ViceModelFiles[MAX_VICE_MODEL_FILES][MACHINE_PATH_SIZE];
extern int g_ViceModelCount;
extern int g_ViceOffsetCount;                      // "VICE MODEL OFFSET" lines taken
extern char g_PartModelFiles[PART_MODEL_COUNT][MACHINE_PATH_SIZE];  // by PartModelIndex; "" none
extern PartModelOffsets g_PartModelOffsets;

// Table motion, strokes and view.
extern unsigned char g_TableMovesAxis[3];          // 1: the table moves along X, Y, Z ("MOVE(X)" ...)
extern unsigned char g_TableMovedAxisCount;        // number of set g_TableMovesAxis entries
extern StrokeLimitSet g_StrokeLimits[STROKE_LIMIT_SET_MAX];
extern int g_StrokeLimitSetCount;                  // sets in use; 0 = no stroke checking
extern int g_ViewCentreFromMtl;                    // 1 when "VIEW CENTER" was given
extern double g_ViewCentreFromMtlPoint[3];

// ---------------------------------------------------------------------------------------------------
// Reader

// Reads g_MachineFilePath into the values above (keyword lines: machine_definition_lines.cpp).
// resetUserVice 1 also drops a vice model the user chose by command; 0 keeps it. No result:
// g_MachineFileStatus is -1 when the file cannot be opened (the earlier definition stays), 1 when read.
void ReadMachineFile(int resetUserVice);

// Sets every value a machine file does not keep to its reset value (as before a read; also used by tests).
void ResetMachineDefinition();
