// Work, pitch and tool settings of the settings file (sections "DMEdata" and "Define"): the program-wide
// variables with their start values, the parsers of the box, origin-based box and cylinder values, and
// one value reader per key. The settings file reader decides the order, the section and the skips.
#pragma once
#include "work_model/work_values.h"  // the values the work model reads are declared there

// Reference point of tool lengths ("TOOL BASE POINT").
enum ToolBasePoint {
    TOOL_BASE_BOTTOM = 0,
    TOOL_BASE_BALL_CENTER = 1,
    TOOL_BASE_F_CENTER = 2,
    TOOL_BASE_R_HEIGHT = 3,
    TOOL_BASE_LENGTH_TOP = 4,
    TOOL_BASE_ARBOR_TOP = 5
};

// Limits the readers apply to absurd values (see ReadUndoValue and ReadMaxMagazineValue).
const int MAX_UNDO_COUNT = 999;       // "UNDO" values above are read as this (1000 ring slots)
const int MAX_MAGAZINE_LIMIT = 9999;  // highest tool number "MAX MAGAZINE" accepts

// Every variable below is written by the user-interface thread only (settings read at start-up, the
// work, pitch, tool-parameter and control-point dialogs, the command line and macros); the simulation
// thread and the interpreter only read them. Values are the program start values, before any read.

// --- Work files ("DMEdata") -----------------------------------------------------------------------
extern char g_DmeFolder[256];           // folder of work files
extern char g_DmeFolderAtStart[256];    // copy of g_DmeFolder as read at start-up
extern int g_DmfSelect;                 // 1 = they offer ".DMF" (start 1)
extern int g_StlSelect;                 // 1 = they offer STL (start 1)
extern int g_ExportInWorkCoordinates;   // 1 = works are saved in work coordinates
extern int g_InputInWorkCoordinates;    // 1 = dialog values are work coordinates
extern int g_RotationInWorkCoordinates; // 1 = rotations are about work axes

// --- Default works ------------------------------------------------------------------------------
extern int g_StockAlign[3];              // box from the work origin, per axis X, Y, Z: where the origin
                                         // lies: -1 low end (left/front/bottom), 1 high end, 0 centre
extern double g_StockValues[3][3];       // per axis X, Y, Z: width (height for Z), low margin, high margin
extern int g_CylinderAxis;               // default cylinder work axis: 0 X, 1 Y, 2 Z
extern double g_CylinderValues[6];       // base point X, Y, Z; length; outer diameter; inner diameter
extern char g_BasicModelPath[256];       // basic model file (the command line may set it first)
extern int g_BasicModelGiven;            // 1 = a basic model is named

// --- Control point, pitches and tools ("Define") ----------------------------------------------------
extern float g_WorkMargins[3];           // work margins X, Y, Z
extern int g_CmdStartPositionMachine;    // 1 = the start control point is in machine coordinates
extern int g_NewControlPoint;            // control point for a new work: 0 BOX-TOP, 1 CURRENT, 2 SPECIFY
extern int g_NewControlPointD;           // the same for the frame window's variant
extern double g_SpecifiedPoint[3];       // point used with SPECIFY
extern double g_SpecifiedPointD[3];
extern int g_ToolBasePoint;              // ToolBasePoint (start 0 BOTTOM)
extern int g_ToolBasePointFromIni;       // 1 = the settings file gave it (else the machine definition)
extern float g_WeldingHeight, g_WeldingWidth;  // special tool parameters (tool-parameter dialog)
extern float g_GrinderDepth, g_GrinderWidth;
extern float g_PaperDepth, g_PaperWidth;
extern float g_BrushWidth, g_HeraWidth;
extern int g_MaxMagazine;                // highest tool number; the tool arrays hold g_MaxMagazine + 1
extern int g_UndoRingSize;               // undo slots of the work: the "UNDO" value + 1
extern unsigned char* g_WorkListRebuild; // g_UndoRingSize bytes, zeroed by ReadUndoValue (malloc'ed)
extern int g_CheckMatrix;                // 1 = the work's placement is written as "matrix.txt"

// --- Value parsers ------------------------------------------------------------------------------
// Each takes the value text as the settings file gives it (no line end needed) and returns 1 when it
// was read, 0 when it was refused; a refused value leaves every variable unchanged.

// "(minX,minY,minZ,maxX,maxY,maxZ)": each number read from the character after the "(" or "," before
// it. Refused without "(" or with fewer than five commas after it.
int ParseInitialSizeValue(const char* value);
// "(LEFT|RIGHT|CENTER,w,m1,m2,FRONT|BACK|CENTER,w,m1,m2,BOTTOM|TOP|CENTER,h,m1,m2)". Refused when an
// alignment letter (upper case) or one of the nine commas is missing.
int ParseInitialSize2Value(const char* value);
// "X(x,y,z,length,outer,inner)" (or Y, Z; upper case). Refused without the axis letter, the "(" after
// it or any of the five commas.
int ParseCylinderValue(const char* value);

// --- One reader per key -------------------------------------------------------------------------
// Each applies one key's value text. Result 1 when the value changed the setting, 0 when it left it
// unchanged (a word that matches none of the key's words, or a refused value). Words are compared
// case-insensitively over their own length; numbers are read as decimal text from the start of the value.
int ReadDmeFolderValue(const char* value);          // "Target_DMEdir" (also sets g_DmeFolderAtStart)
int ReadDmeSelectValue(const char* value);          // "DME SELECT"
int ReadDmfSelectValue(const char* value);          // "DMF SELECT"
int ReadStlSelectValue(const char* value);          // "STL SELECT"
int ReadStlAxisValue(const char* value);            // "STL AXIS"
int ReadStlFilterValue(const char* value);          // "STL FILTER"
int ReadImportCoordinateValue(const char* value);   // "IMPORT COORDINATE"
int ReadExportCoordinateValue(const char* value);   // "EXPORT COORDINATE"
int ReadInputCoordinateValue(const char* value);    // "INPUT COORDINATE"
int ReadRotationCoordinateValue(const char* value); // "ROTATION COORDINATE"
int ReadInitialSizeValue(const char* value);        // "INITIAL SIZE"
int ReadInitialSize2Value(const char* value);       // "INITIAL SIZE2"
int ReadCylinderValue(const char* value);           // "CYLINDER"
int ReadWorkMarginXValue(const char* value);        // "WORK MARGIN(X)"
int ReadWorkMarginYValue(const char* value);        // "WORK MARGIN(Y)"
int ReadWorkMarginZValue(const char* value);        // "WORK MARGIN(Z)"
int ReadControlPointValue(const char* value);       // "CONTROL POINT" (fills g_ControlPoint)
int ReadNewControlPointDValue(const char* value);   // "NEW CONTROL POINTD"
int ReadNewControlPointValue(const char* value);    // "NEW CONTROL POINT"
int ReadSpecifiedPointDValue(const char* value);    // "SPECIFIED POINTD"
int ReadSpecifiedPointValue(const char* value);     // "SPECIFIED POINT"
int ReadToolBasePointValue(const char* value);      // "TOOL BASE POINT"
int ReadMinimumPitchValue(const char* value);       // "MINIMUM PITCH(WORK)"
int ReadWorkPitchValue(const char* value);          // "PITCH(WORK)" (pitch <= 0: result 0, pitch 1.0)
int ReadMovePitchValue(const char* value);          // "PITCH(MOVE)" (uses g_WorkPitch: read it after;
                                                    // pitch <= 0 or factor < 0: result 0, 1.0 taken)
int ReadWeldingHeightValue(const char* value);      // "WELDING(HEIGHT)"
int ReadWeldingWidthValue(const char* value);       // "WELDING(WIDTH)"
int ReadGrinderDepthValue(const char* value);       // "GRINDER(DEPTH)"
int ReadGrinderWidthValue(const char* value);       // "GRINDER(WIDTH)"
int ReadPaperDepthValue(const char* value);         // "PAPER(DEPTH)"
int ReadPaperWidthValue(const char* value);         // "PAPER(WIDTH)"
int ReadBrushWidthValue(const char* value);         // "BRUSH(WIDTH)"
int ReadHeraWidthValue(const char* value);          // "HERA(WIDTH)"
int ReadUndoValue(const char* value);               // "UNDO" (0 when the buffer cannot be allocated)
int ReadMaxMagazineValue(const char* value);        // "MAX MAGAZINE" (< 1 refused; then AllocateToolArrays)
int ReadCheckMatrixValue(const char* value);        // "CHECK MATRIX"
int ReadStlMatrixValue(const char* value);          // "STL MATRIX"

// Releases the "UNDO" buffer (at exit): g_WorkListRebuild goes back to its two start bytes.
void FreeWorkSettingsBuffers();

// "BASIC MODEL" then "BASIC DME": both values at once (either may be 0). Keeps a g_BasicModelPath the
// command line set; else takes the first non-empty value. A name sets g_BasicModelGiven = 1; the settings
// file reader then resolves g_BasicModelPath against g_DmeFolder. Returns 1 when a model is named.
int ReadBasicModelValues(const char* basicModelValue, const char* basicDmeValue);

// --- Key table ----------------------------------------------------------------------------------
// When the settings file reader must skip a key (it owns the command-line state these refer to).
enum WorkSettingsKeyCondition {
    KEY_ALWAYS = 0,
    KEY_UNLESS_CMD_WORK = 1,           // skipped when the command line gave a work (any kind)
    KEY_UNLESS_CMD_BOX = 2,            // skipped when the command line gave a work of kind 1
    KEY_UNLESS_CMD_BOX_FROM_ORIGIN = 3,// ... of kind 2
    KEY_UNLESS_CMD_CYLINDER = 4,       // ... of kind 3
    KEY_UNLESS_CMD_START_POSITION = 5, // skipped when the command line gave a start position
    KEY_WHILE_WORK_PITCH_ZERO = 6,     // read only while g_WorkPitch is 0
    KEY_WHILE_MOVE_PITCH_ZERO = 7      // read only while g_MovePitch is 0
};

struct WorkSettingsKey {
    const char* section;      // "DMEdata" or "Define"
    const char* key;          // key text exactly as in the file
    const char* defaultValue; // value used when the key is missing; 0 = the current folder
    int condition;            // WorkSettingsKeyCondition
    int (*readValue)(const char* value);
};

// The keys above in their reading order inside each group ("BASIC MODEL"/"BASIC DME" excluded: see
// ReadBasicModelValues). "UNDO" and "MAX MAGAZINE" to "STL MATRIX" are read at other places of the
// settings file order than the rest of "Define".
extern const WorkSettingsKey g_WorkSettingsKeys[];
extern const int g_WorkSettingsKeyCount;

// The table entry of a key (exact, case-sensitive match), or 0.
const WorkSettingsKey* FindWorkSettingsKey(const char* key);
// Applies a value, or the key's default when value is 0 (a 0 default needs currentFolder). Result as
// the key's reader; -1 for an unknown key.
int ReadWorkSettingsKey(const char* key, const char* value, const char* currentFolder);
