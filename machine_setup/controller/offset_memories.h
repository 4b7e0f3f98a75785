// The tables of the controller definition that hold more than one setting: the text replacement
// rules applied to every NC line, the D, H and F-number memories, the work-offset table and the four
// reference points, with the readers of their "REPLACE", "MEMORY" and bare D/H/F lines.
#pragma once
#include <cstdint>

#include "machine_setup/machine/axis_position.h"

constexpr int REPLACE_RULE_MAX = 1000;      // rules a controller file can hold
constexpr int TOOL_OFFSET_COUNT = 1000;     // D, H and F numbers 0 to 999
constexpr int WORK_OFFSET_COUNT = 201;      // entry 0 external offset, 1 to 200 WK1 to WK200 (G54 = 1)
constexpr int REFERENCE_POINT_COUNT = 4;

// Text replacements in file order. The table owns the texts (heap blocks, no terminating zero; an
// empty replacement is a one-byte block holding a zero). Written by ReadControllerFile (UI thread),
// read by the NC line reader.
struct ReplaceRuleTable {
    int32_t count;                          // 0 to REPLACE_RULE_MAX
    int32_t fromLength[REPLACE_RULE_MAX];   // length of the text to find, at least 1
    int32_t toLength[REPLACE_RULE_MAX];     // length of the replacement, 0 or more
    char* fromText[REPLACE_RULE_MAX];
    char* toText[REPLACE_RULE_MAX];
};
extern ReplaceRuleTable g_ReplaceRules;
// Counts every change of g_ReplaceRules (a rule added, the table freed), so that readers of the table
// can keep an index of it and rebuild that only when the rules change.
extern uint32_t g_ReplaceRulesGeneration;

// Tool offset memory by offset number (single precision). Filled by ReadControllerFile; changed by
// the interpreter (UI or simulation thread) and the offset dialog (UI thread).
extern float g_ToolOffsetD[TOOL_OFFSET_COUNT];   // first value of D offset n (radius)
extern float g_ToolOffsetD2[TOOL_OFFSET_COUNT];  // second value of D offset n
extern float g_ToolOffsetH[TOOL_OFFSET_COUNT];   // first value of H offset n (length)
extern float g_ToolOffsetH2[TOOL_OFFSET_COUNT];  // second value of H offset n
extern float g_FeedTable[TOOL_OFFSET_COUNT];     // feed of F number n; not cleared by a new read

// Work offsets: X, Y, Z (mm), rotary 1, rotary 2 (degrees). Same writers as the tool offsets.
using WorkOffsetEntry = AxisPosition;
extern WorkOffsetEntry g_WorkOffsets[WORK_OFFSET_COUNT];

// Reference points 1 to 4 (index 0 to 3): X, Y, Z, rotary 1, rotary 2; flag 1 when the point was read.
extern float g_ReferencePoints[REFERENCE_POINT_COUNT][5];
extern int32_t g_ReferencePointGiven[REFERENCE_POINT_COUNT];

// Frees every rule text and sets the count to 0.
void FreeReplaceRules();

// Empties the D and H memories, the work offsets and the reference-point flags (the F-number feeds
// keep their values).
void ClearOffsetMemories();

// A "REPLACE" line (the keyword at column 0): adds one rule written with double quotes or with single
// quotes around both texts. 1 when a rule was added; 0 when the line lacks a quote or a closing quote,
// the text to find is empty, the table is full or memory ran out.
int ReadReplaceRuleLine(const char* line);

// A "MEMORY" line (the keyword at column 0): stores a D, H or F memory, the external offset, a WK or
// G54 to G59 work offset or a reference point. 1 when stored; 0 when the word after "MEMORY" is none
// of these or its number lies outside the table (the line is then passed over).
int ReadMemoryLine(const char* line);

// A line starting with "D", "H" or "F" whose number starts at column 1 is read as the MEMORY form of
// that letter. 1 when it was such a line (stored or passed over), 0 when it is no offset line.
int ReadBareOffsetLine(const char* line);
