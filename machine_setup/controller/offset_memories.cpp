// The replacement rules, tool-offset memories, work offsets and reference points of the controller
// definition, and the readers of their "REPLACE", "MEMORY" and bare D/H/F lines. A number that lies
// outside its table passes the line over, so nothing is written outside the tables.
#include "machine_setup/controller/offset_memories.h"

#include <cstdlib>
#include <cstring>

#include "machine_setup/controller/controller_line.h"
#include "machine_setup/settings/token_readers.h"
#include "work_model/file_routines.h"

ReplaceRuleTable g_ReplaceRules;
uint32_t g_ReplaceRulesGeneration = 0;
float g_ToolOffsetD[TOOL_OFFSET_COUNT];
float g_ToolOffsetD2[TOOL_OFFSET_COUNT];
float g_ToolOffsetH[TOOL_OFFSET_COUNT];
float g_ToolOffsetH2[TOOL_OFFSET_COUNT];
float g_FeedTable[TOOL_OFFSET_COUNT] = {};
WorkOffsetEntry g_WorkOffsets[WORK_OFFSET_COUNT];
float g_ReferencePoints[REFERENCE_POINT_COUNT][5] = {};
int32_t g_ReferencePointGiven[REFERENCE_POINT_COUNT];

namespace {

// Offset number read at the cursor, truncated; -1 when it lies outside 0 to limit - 1.
int ReadTableNumber(int* cursor, const char* line, int limit)
{
    double value = 0.0;
    ReadNextNumber(cursor, line, &value);
    if (!(value > -1.0 && value < (double)limit)) return -1;
    int n = (int)value;  // truncation; -0.5 becomes 0
    return n >= 0 ? n : -1;
}

// D, H or F memory: number, then the first value two (three above 99) characters on, then for D and
// H a second value after a blank, tab or comma that follows the first value.
int ReadToolMemory(const char* line, int cursor, char letter)
{
    cursor = AdvanceCursor(line, cursor, 1);
    int n = ReadTableNumber(&cursor, line, TOOL_OFFSET_COUNT);
    if (n < 0) return 0;
    cursor = AdvanceCursor(line, cursor, n > 99 ? 3 : 2);
    float first = 0.0f;
    ReadNextFloat(&cursor, line, &first);
    float second = 0.0f;
    int separator = FindCharFrom(line, cursor, " \t,");
    if (separator >= 0) ReadNextFloat(&separator, line, &second);
    if (letter == 'D') {
        g_ToolOffsetD[n] = first;
        g_ToolOffsetD2[n] = second;
    } else if (letter == 'H') {
        g_ToolOffsetH[n] = first;
        g_ToolOffsetH2[n] = second;
    } else {
        g_FeedTable[n] = first;
    }
    return 1;
}

// Five doubles: the first number, then four each after a comma.
void ReadFiveNumbers(int cursor, const char* line, double values[5])
{
    ReadNextNumber(&cursor, line, &values[0]);
    for (int k = 1; k < 5; ++k) ReadNumberAfterComma(&cursor, line, &values[k]);
}

void ReadWorkOffsetValues(int cursor, const char* line, int entry)
{
    ReadFiveNumbers(cursor, line, g_WorkOffsets[entry].axis);
}

int ReadWkMemory(const char* line, int cursor)
{
    cursor = AdvanceCursor(line, cursor, 2);
    int n = ReadTableNumber(&cursor, line, WORK_OFFSET_COUNT);
    if (n < 0) return 0;
    cursor = AdvanceCursor(line, cursor, n > 99 ? 3 : 2);
    ReadWorkOffsetValues(cursor, line, n);
    return 1;
}

// "G5" and a digit 4 to 9: G54 is entry 1, G59 entry 6.
int ReadG5Memory(const char* line, int cursor)
{
    cursor = AdvanceCursor(line, cursor, 2);
    char digit = line[cursor];
    if (digit < '4' || digit > '9') return 0;
    int entry = digit - '0' - 3;
    cursor = AdvanceCursor(line, cursor, 2);
    ReadWorkOffsetValues(cursor, line, entry);
    return 1;
}

// "REF-PT" with an optional point digit 1 to 4 (no digit: point 1). Another digit would name a point
// the table does not have: the line is passed over.
int ReadReferencePoint(const char* line, int cursor)
{
    cursor = AdvanceCursor(line, cursor, 6);
    char c = line[cursor];
    int point = 0;
    if (c >= '1' && c <= '4') {
        point = c - '1';
        cursor = AdvanceCursor(line, cursor, 1);
    } else if (c >= '0' && c <= '9') {
        return 0;
    }
    double values[5];
    ReadFiveNumbers(cursor, line, values);
    for (int k = 0; k < 5; ++k) g_ReferencePoints[point][k] = (float)values[k];
    g_ReferencePointGiven[point] = 1;
    return 1;
}

// The memory forms at the cursor (the word after "MEMORY", or the letter of a bare offset line).
int ReadMemoryEntry(const char* line, int cursor)
{
    if (MatchesWordAt(line, cursor, "D")) return ReadToolMemory(line, cursor, 'D');
    if (MatchesWordAt(line, cursor, "H")) return ReadToolMemory(line, cursor, 'H');
    if (MatchesWordAt(line, cursor, "F")) return ReadToolMemory(line, cursor, 'F');
    if (MatchesWordAt(line, cursor, "EXOFS")) {
        ReadWorkOffsetValues(AdvanceCursor(line, cursor, 5), line, 0);
        return 1;
    }
    if (MatchesWordAt(line, cursor, "WK")) return ReadWkMemory(line, cursor);
    if (MatchesWordAt(line, cursor, "G5")) return ReadG5Memory(line, cursor);
    if (MatchesWordAt(line, cursor, "REF-PT")) return ReadReferencePoint(line, cursor);
    return 0;
}

// Copies length bytes into a new heap block (at least one byte, zero when length is 0).
char* CopyRuleText(const char* text, int length)
{
    char* block = (char*)std::malloc(length > 0 ? (size_t)length : 1);
    if (block == nullptr) return nullptr;
    if (length > 0) {
        std::memcpy(block, text, (size_t)length);
    } else {
        block[0] = '\0';
    }
    return block;
}

}  // namespace

void FreeReplaceRules()
{
    for (int k = 0; k < g_ReplaceRules.count && k < REPLACE_RULE_MAX; ++k) {
        std::free(g_ReplaceRules.fromText[k]);
        std::free(g_ReplaceRules.toText[k]);
        g_ReplaceRules.fromText[k] = nullptr;
        g_ReplaceRules.toText[k] = nullptr;
    }
    g_ReplaceRules.count = 0;
    ++g_ReplaceRulesGeneration;
}

void ClearOffsetMemories()
{
    std::memset(g_ToolOffsetD, 0, sizeof g_ToolOffsetD);
    std::memset(g_ToolOffsetD2, 0, sizeof g_ToolOffsetD2);
    std::memset(g_ToolOffsetH, 0, sizeof g_ToolOffsetH);
    std::memset(g_ToolOffsetH2, 0, sizeof g_ToolOffsetH2);
    std::memset(g_WorkOffsets, 0, sizeof g_WorkOffsets);
    std::memset(g_ReferencePointGiven, 0, sizeof g_ReferencePointGiven);
}

int ReadReplaceRuleLine(const char* line)
{
    if (g_ReplaceRules.count >= REPLACE_RULE_MAX) return 0;
    int cursor = AdvanceCursor(line, 0, 7);
    int open = FindCharFrom(line, cursor, "\"'");
    if (open < 0) return 0;
    char quote[2] = {line[open], '\0'};
    int fromEnd = FindCharFrom(line, open + 1, quote);
    if (fromEnd < 0) return 0;
    int fromLength = fromEnd - open - 1;
    if (fromLength == 0) return 0;
    int toOpen = FindCharFrom(line, fromEnd + 1, quote);
    if (toOpen < 0) return 0;
    int toEnd = FindCharFrom(line, toOpen + 1, quote);
    if (toEnd < 0) return 0;
    int toLength = toEnd - toOpen - 1;

    char* fromText = CopyRuleText(line + open + 1, fromLength);
    char* toText = CopyRuleText(line + toOpen + 1, toLength);
    if (fromText == nullptr || toText == nullptr) {
        std::free(fromText);
        std::free(toText);
        return 0;
    }
    int n = g_ReplaceRules.count;
    g_ReplaceRules.fromText[n] = fromText;
    g_ReplaceRules.toText[n] = toText;
    g_ReplaceRules.fromLength[n] = fromLength;
    g_ReplaceRules.toLength[n] = toLength;
    g_ReplaceRules.count = n + 1;
    ++g_ReplaceRulesGeneration;
    return 1;
}

int ReadMemoryLine(const char* line)
{
    int cursor = AdvanceCursor(line, 0, 6);
    SkipBlanksAndEquals(&cursor, line);
    return ReadMemoryEntry(line, cursor);
}

int ReadBareOffsetLine(const char* line)
{
    if (!MatchesWordAt(line, 0, "D") && !MatchesWordAt(line, 0, "H") && !MatchesWordAt(line, 0, "F")) {
        return 0;
    }
    if (FindNumberStart(line, 1) != 1) return 0;
    ReadMemoryEntry(line, 0);
    return 1;
}
