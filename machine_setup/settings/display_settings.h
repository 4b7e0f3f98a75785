// Check, display and view settings of section "Define" of the settings file: which checks run and what
// they do when they fire, display modes and drawing options, difference painting defaults, run-control
// keys and the initial view. One value reader per key; the settings file reader decides order and skips.
#pragma once

// PartDisplayMode of work, tool, machine parts and basic model.
enum PartDisplayMode {
    PART_DISPLAY_OFF = 0,
    PART_DISPLAY_ON = 1,
    PART_DISPLAY_SEMITRANSPARENT = 2
};

const int PART_PAIR_CHECK_COUNT = 25;     // the part-pair checks of the settings file
const int DIALOG_PAIR_CHECK_COUNT = 22;   // further pair checks only the interference dialog sets

// Every variable below is written by the user-interface thread (settings at start-up, the check
// dialogs, the display menu, view keys, the command line and macros); the simulation thread reads them.

// --- Checks ---------------------------------------------------------------------------------------
extern int g_InterferenceCheck;       // tool against work: 0 off, 1 on, 2 stop ("INTERFERENCE")
extern int g_ArborCheck;              // 0 off, 1 OUTPUT, 2 CUT, 3 YES, 4 STOP ("ARBOR CHECK")
extern int g_OutputLengthCheckAll;    // 1 = needed-length output covers all parts ("ALL")
extern int g_HeightCheckType;         // 0 A, 1 B, 2 C ("HEIGHT CHECK TYPE")
extern double g_HeightCheckValue;     // the value given with B
extern int g_HeightCheck;             // 0 NO, 1 OUTPUT, 2 other word, 3 STOP ("HEIGHT CHECK")
extern int g_ChipWidthCheck;          // likewise ("CHIP-W CHECK")
extern int g_SpindleCheck;            // CheckAction: 0 NO, 1 other word, 2 STOP ("SPINDLE CHECK")
extern int g_SpindleCheckLimitsGiven; // 1 when both limits were given
extern double g_SpindleCheckLimit1;
extern double g_SpindleCheckLimit2;
// CheckAction (0 NO, 1 any other word, 2 STOP) of the part pairs, in the order of their keys.
extern int g_CheckToolVice, g_CheckToolTable2, g_CheckToolTable1, g_CheckToolTable, g_CheckToolBasic;
extern int g_CheckArborVice, g_CheckArborTable2, g_CheckArborTable1, g_CheckArborTable, g_CheckArborBasic;
extern int g_CheckHead2Work, g_CheckHead2Vice, g_CheckHead2Table, g_CheckHead2Basic;
extern int g_CheckHead1Work, g_CheckHead1Vice, g_CheckHead1Table1, g_CheckHead1Table, g_CheckHead1Basic;
extern int g_CheckHeadWork, g_CheckHeadVice, g_CheckHeadTable2, g_CheckHeadTable1, g_CheckHeadTable;
extern int g_CheckHeadBasic;
extern int g_DialogPairChecks[DIALOG_PAIR_CHECK_COUNT];  // CheckAction; set by the interference dialog
extern int g_StopOnCheck;             // 1 when any check is in its stop setting (UpdateCheckStopFlag)
extern double g_RapidFeedrate;        // rapid feed rate for move times and reports
extern int g_ToolClearanceMode;       // 0 NO, 1 YES, 2 the value g_ToolClearance ("TOOL CLEARANCE")
extern double g_ToolClearance;
extern int g_ArborClearanceMode;      // likewise ("ARBOR CLEARANCE")
extern double g_ArborClearance;

// --- Display and drawing --------------------------------------------------------------------------
extern int g_WorkDisplayMode;         // PartDisplayMode (start 1)
extern int g_ToolDisplayMode;         // (start 1)
extern int g_MachineDisplayMode;      // (start 1)
extern int g_BasicModelDisplayMode;   // (start 0)
extern int g_SkipBlock;               // blocks between redraws while cutting
extern int g_SkipView;                // blocks between view updates
extern int g_RealRotation;            // simulation options of the same names
extern int g_RealRapid;
extern int g_WorkDisplayStyle;        // 1 = mesh mode of the work display
extern int g_ColourMode;              // always 0
extern int g_TopPathColourSpecified;  // 1 = the tool-tip path uses its own colour, 0 = the pen's (start 1)
extern int g_ToolTopColourSpecified;  // 1 = the tool top uses its own colour, 0 = the pen's (start 1)
extern int g_ShowViewCentre;          // show the rotation centre (start 0)
extern int g_ShowConstructionPoints;  // (start 0)
extern int g_ShowAxisTriad;           // (start 1)
extern char g_ProgressName[24];       // caption of the progress display ("" = built-in caption)
extern int g_SoundOn;                 // 1 = sound effects (start 1)
extern int g_IgnoreG00;               // 1 = rapid moves are skipped by the simulation and path drawing
extern double g_OffsetValue;          // default distance of the work offset command
extern int g_PauseKey;                // virtual-key code that pauses a run
extern int g_AbortKey;                // virtual-key code that aborts a run
extern int g_DifferenceArea;          // 1 PLUS, -1 MINUS (start 1)
extern double g_DifferenceMargin;     // (start 0.1)
extern double g_DifferenceMarginBuilt;// margin the difference offset model was built with
extern int g_DifferenceUsesPen;       // 1 = difference painting uses g_DifferencePen, 0 the paint colour
extern int g_DifferencePen;           // 1 to 15 (start 1)
extern int g_DifferenceKeepSameColour;// 0 = keep the parts of the same colour (start 1)
extern double g_DifferenceOffset;
extern int g_DifferenceTargetGiven;   // 1 = only faces of g_DifferenceTargetPen are compared
extern int g_DifferenceTargetPen;     // 1 to 15 (start 1)
extern int g_ViewCentreFromIni;       // 1 = the view rotates about g_IniViewCentre
extern double g_IniViewCentre[3];
extern int g_FullViewWork;            // 1 "WORK", 0 "ALL": what the full-view command fits
extern int g_OpenGlBufferMode;        // 1 "NOT SPECIFIED", 2 double buffering
extern int g_PumpOption;              // 0 "OLD", 1 otherwise
extern double g_ToolDialogZoomRate;   // zoom of the tool dialog

// Virtual-key codes the run-control keys take.
const int VK_CODE_CANCEL = 3;         // "BREAK"
const int VK_CODE_CONTROL = 17;       // "CTRL" (any other "STOP KEY" word)
const int VK_CODE_PAUSE = 19;         // "PAUSE"
const int VK_CODE_ESCAPE = 27;        // "ESC" (any other "ESCAPE KEY" word)
const int VK_CODE_SPACE = 32;         // "SPACE"

// Sets g_StopOnCheck to 1 when g_InterferenceCheck is 2, g_ArborCheck 4, g_HeightCheck 3,
// g_ChipWidthCheck 3, any part-pair or dialog pair check 2, or g_SpindleCheck 2; else to 0.
void UpdateCheckStopFlag();

// Puts every variable above back to its program start value.
void ResetDisplaySettings();

// --- Keys -----------------------------------------------------------------------------------------
// When the settings file reader must skip a key (the command line set the value).
enum DisplaySettingsKeyCondition {
    DISPLAY_KEY_ALWAYS = 0,
    DISPLAY_KEY_UNLESS_CMD_OFFSET = 1,     // skipped when the command line made an offset request
    DISPLAY_KEY_UNLESS_CMD_DIFFERENCE = 2  // skipped when the command line requested difference painting
};

struct DisplaySettingsKey {
    const char* key;          // key of section "Define"
    const char* defaultValue; // value used when the key is missing
    int condition;            // DisplaySettingsKeyCondition
    int (*readValue)(const char* value);  // 1 when the value changed the setting, 0 when it left it
};

// The keys of each group in reading order. First part: "SKIP BLOCK" .. "TOOL-TOP COLOR MODE".
extern const DisplaySettingsKey g_DisplayKeysFirst[];
extern const int g_DisplayKeysFirstCount;
// The checks: "INTERFERENCE" .. "HEAD-BASIC CHECK" (UpdateCheckStopFlag follows them).
extern const DisplaySettingsKey g_CheckKeys[];
extern const int g_CheckKeysCount;
// "RAPID FEEDRATE" .. "ESCAPE KEY" (then "UNDO" of the work settings).
extern const DisplaySettingsKey g_DisplayKeysBeforeUndo[];
extern const int g_DisplayKeysBeforeUndoCount;
// "PERSPECTIVE" .. "TOOL DIALOG ZOOM RATE".
extern const DisplaySettingsKey g_DisplayKeysAfterUndo[];
extern const int g_DisplayKeysAfterUndoCount;
// View keys of the second part: "ANGLE-A", "ANGLE-B" (then UpdateViewRotationCosSin), "EXPAND RATE".
extern const DisplaySettingsKey g_ViewKeys[];
extern const int g_ViewKeysCount;

// The entry of a key in any group above (exact match), or 0.
const DisplaySettingsKey* FindDisplaySettingsKey(const char* key);
// Applies a value (or the key's default when value is 0). Result as the key's reader; -1 unknown key.
int ReadDisplaySettingsKey(const char* key, const char* value);
