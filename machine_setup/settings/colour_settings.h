// Display colours: the program-wide colour set with its pen use flags and transparencies, its backup copy
// for the colour dialog and colour files, the colour value syntax ("(r,g,b)" with flag digits, BLACK,
// WHITE) and the reading of the set from the settings file. Drawing materials are the view's business.
#pragma once
#include <cstdint>

// A colour is 0x00BBGGRR: red in the low byte, then green, then blue; the high byte is 0.
typedef uint32_t ColourValue;

const int PEN_COLOUR_COUNT = 16;   // entry 0 the uncut work, 1 to 15 the pens
const int HEAD_COLOUR_COUNT = 5;
const int TABLE_COLOUR_COUNT = 4;

// Entries of g_HeadColours, in the order of their keys.
enum HeadColourIndex {
    HEAD_COLOUR_STAR = 0,       // "HEAD(*) COLOR"
    HEAD_COLOUR_DOUBLE_STAR = 1,// "HEAD(**) COLOR"
    HEAD_COLOUR_HEAD = 2,       // "HEAD COLOR"
    HEAD_COLOUR_HEAD1 = 3,      // "HEAD1 COLOR"
    HEAD_COLOUR_HEAD2 = 4       // "HEAD2 COLOR"
};

// Entries of g_TableColours, in the order of their keys.
enum TableColourIndex {
    TABLE_COLOUR_STAR = 0,      // "TABLE(*) COLOR"
    TABLE_COLOUR_TABLE = 1,     // "TABLE COLOR"
    TABLE_COLOUR_TABLE1 = 2,    // "TABLE1 COLOR"
    TABLE_COLOUR_TABLE2 = 3     // "TABLE2 COLOR"
};

// --- The colour set in use ------------------------------------------------------------------------
// Written by the user-interface thread only (settings file at start-up, colour dialog, colour files,
// macros); the view and the simulation thread read it.
extern ColourValue g_PenColours[PEN_COLOUR_COUNT];  // "WORK COLOR", "PEN1 COLOR" .. "PEN15 COLOR"
extern int g_PenColourFlags[PEN_COLOUR_COUNT];      // 1 = work faces of this entry are drawn
extern int g_PenColourFlags2[PEN_COLOUR_COUNT];     // 1 = tool-path segments of this pen are shown
extern ColourValue g_PaintColour;                   // "PENKI COLOR": paint marks on the work
extern ColourValue g_BaseColour;                    // "BASE COLOR": basic model
extern ColourValue g_TopPathColour;                 // "TOP-PATH COLOR": path of the tool tip
extern ColourValue g_TopPath2Colour;                // "TOP-PATH2 COLOR" ("CUT-PATH COLOR" in colour files)
extern ColourValue g_ConstructionColour;            // "CONSTRUCTION COLOR"
extern ColourValue g_ToolTopColour;                 // "TOOL-TOP COLOR"
extern ColourValue g_ToolSideColour;                // "TOOL-SIDE COLOR"
extern ColourValue g_ArborColour;                   // "ARBOR COLOR"
extern ColourValue g_HeadColours[HEAD_COLOUR_COUNT];   // by HeadColourIndex
extern ColourValue g_TableColours[TABLE_COLOUR_COUNT]; // by TableColourIndex
extern ColourValue g_ViceColour;                    // "VICE COLOR"
extern ColourValue g_BasicColour;                   // "BASIC COLOR": basic machine part model
extern ColourValue g_DiameterValueColour;           // "DIAMETER VALUE COLOR": tool panel labels
extern ColourValue g_LengthValueColour;             // "LENGTH VALUE COLOR"
extern ColourValue g_MagazineNumberColour;          // "MAGAZINE NUMBER COLOR"
extern ColourValue g_BackgroundColourSetting;       // "BACKGROUND": view and panels
extern float g_WorkAlpha;                           // "WORK ALPHA", 0 to 1 (1 opaque)
extern float g_BaseAlpha;                           // "BASE ALPHA"
extern float g_ToolAlpha;                           // "TOOL ALPHA"
extern float g_MachineAlpha;                        // "MACHINE ALPHA"

// --- The backup set -------------------------------------------------------------------------------
// Every colour entry and both flag arrays of the set above (the transparencies are not copied).
struct ColourSettings {
    ColourValue penColours[PEN_COLOUR_COUNT];
    int penColourFlags[PEN_COLOUR_COUNT];
    int penColourFlags2[PEN_COLOUR_COUNT];
    ColourValue paintColour;
    ColourValue baseColour;
    ColourValue topPathColour;
    ColourValue topPath2Colour;
    ColourValue constructionColour;
    ColourValue toolTopColour;
    ColourValue toolSideColour;
    ColourValue arborColour;
    ColourValue headColours[HEAD_COLOUR_COUNT];
    ColourValue tableColours[TABLE_COLOUR_COUNT];
    ColourValue viceColour;
    ColourValue basicColour;
    ColourValue diameterValueColour;
    ColourValue lengthValueColour;
    ColourValue magazineNumberColour;
    ColourValue backgroundColourSetting;
};
// The editable copy: the colour dialog and the colour-file reader fill it (UI thread).
extern ColourSettings g_ColourSettingsBackup;

// Copies the set in use, flags included, into g_ColourSettingsBackup.
void SaveColourSettings();
// Copies the set in use, flags included, into *out (leaves g_ColourSettingsBackup alone).
void CaptureColourSettings(ColourSettings* out);
// Copies g_ColourSettingsBackup into the set in use (no materials, no rebuild marks).
void RestoreColourSettings();
// Puts every colour, flag and transparency back to its program start value (the defaults below).
void ResetColourSettings();

// --- Colour values --------------------------------------------------------------------------------
// A value is "BLACK" or "WHITE" (the whole value, any case), or three numbers "(r,g,b)": the first
// number, then one after each of the next two commas (missing: 0), each truncated; above 255 gives 255.
// After the ")" that follows the third number, the digits "0"/"1" give the two use flags: "(r,g,b)01"
// hides the faces and keeps the tool paths; anything else ends the flags (which stay 1).

// The settings-file rule: a negative channel becomes 0. Reads key from section "Define" of
// g_IniFilePath (defaultText when absent) into *colour.
void ReadIniColour(const char* key, const char* defaultText, ColourValue* colour);
// The same, with the two flags set to 1 first and then read from the value.
void ReadIniColourWithFlags(const char* key, const char* defaultText, ColourValue* colour, int* flag1,
                            int* flag2);
// The colour-file rule: a negative channel keeps its value in *colour.
void ParseColour(const char* value, ColourValue* colour);
void ParseColourWithFlags(const char* value, ColourValue* colour, int* flag1, int* flag2);
// Parses value by the settings-file rule (the text form of ReadIniColour; flags may be null).
void ParseIniColourValue(const char* value, ColourValue* colour, int* flag1, int* flag2);

// "(r,g,b)" into out (at least 16 bytes). With flags: the two flag digits follow when either flag is 0,
// so that a hidden pen stays hidden when the value is read back.
void FormatColourValue(ColourValue colour, char* out, int outSize);
void FormatColourWithFlags(ColourValue colour, int flag1, int flag2, char* out, int outSize);

// A transparency value: a decimal number clamped to 0 .. 1.
float ParseTransparencyValue(const char* value);

// --- Keys -----------------------------------------------------------------------------------------
// One colour key of section "Define": key, default value text and the entry it fills (flags only for
// "WORK COLOR" and the pens).
struct ColourKey {
    const char* key;
    const char* defaultValue;
    ColourValue* colour;
    int* flag1;   // null: no use flags
    int* flag2;
};
// In reading order: "WORK COLOR", "PEN1 COLOR" .. "PEN15 COLOR", "PENKI COLOR", "BASE COLOR",
// "TOP-PATH COLOR", "TOP-PATH2 COLOR", "CONSTRUCTION COLOR", "TOOL-TOP COLOR", "TOOL-SIDE COLOR",
// "ARBOR COLOR", the five head colours, the four table colours, "VICE COLOR", "BASIC COLOR",
// "DIAMETER VALUE COLOR", "LENGTH VALUE COLOR", "MAGAZINE NUMBER COLOR", "BACKGROUND".
extern const ColourKey g_ColourKeys[];
extern const int g_ColourKeyCount;
// The entry of a key (exact match), or 0.
const ColourKey* FindColourKey(const char* key);

// Reads every colour key and then "WORK ALPHA", "BASE ALPHA", "TOOL ALPHA", "MACHINE ALPHA" from
// section "Define" of g_IniFilePath; absent keys take their defaults, so the whole set is defined after.
void ReadIniColourSettings();
