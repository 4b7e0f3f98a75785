// The NC line reader: one line at a time from the main program, a sub-program level or the reader
// plug-in, with the replacement rules, the character check, optional block skip, the line-end
// normalisation and the sequence search.
#include "nc/nc_line_reader.h"

#include <cstdlib>
#include <cstring>

#include "machine_setup/machine_setup_state.h"
#include "platform/ui/shell_services.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/controller/offset_memories.h"
#include "nc/interpreter_state.h"
#include "nc/reader_plugin.h"
#include "platform/ui/progress.h"

char g_NcLineBuffer[NC_LINE_BUFFER_SIZE] = {};
int g_NcLineLength = 0;
FILE* g_NcFile = nullptr;

namespace {

constexpr int LINE_TEXT_MAX = NC_LINE_BUFFER_SIZE - 1;  // characters a line may hold (line feed included)

inline unsigned char FoldCase(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? (unsigned char)(c + ('a' - 'A')) : c;
}

// 1 when text at line matches the rule text over its length, without regard to ASCII case.
int MatchesIgnoringCase(const char* line, int available, const char* text, int length)
{
    if (length > available) return 0;
    for (int k = 0; k < length; ++k) {
        if (FoldCase((unsigned char)line[k]) != FoldCase((unsigned char)text[k])) return 0;
    }
    return 1;
}

// Reads one piece of a line from a file into the buffer: at most LINE_TEXT_MAX characters when the
// piece ends in a line feed, at most LINE_TEXT_MAX - 1 otherwise, so that the line feed the reader
// appends always fits. Returns the length, 0 at the end of the file.
int ReadFilePiece(FILE* file, char* buffer)
{
    if (file == nullptr) return 0;
    if (std::fgets(buffer, NC_LINE_BUFFER_SIZE, file) == nullptr) {
        buffer[0] = '\0';
        return 0;
    }
    int length = (int)std::strlen(buffer);
    if (length == LINE_TEXT_MAX && buffer[length - 1] != '\n') {
        // The buffer is full without a line end: give the last character back for the next piece.
        std::ungetc((unsigned char)buffer[length - 1], file);
        buffer[--length] = '\0';
    }
    return length;
}

// Counts a line of any level in the block counter, unless the cutter compensation reads ahead.
void CountBlockLine()
{
    if (g_CutterCompensationState == 0) ++g_BlockLineNumber;
}

// Leaves the sub-program file level on top: the depth goes down and its file is closed.
void LeaveSubprogramFileLevel(int level)
{
    if (g_SubprogramFiles[level] != nullptr) std::fclose(g_SubprogramFiles[level]);
    g_SubprogramFiles[level] = nullptr;
    --g_SubprogramDepth;
    if (g_SubprogramDepth == 0) HideSubProgress();
}

// One line of an in-memory sub-program level; 0 when the level has no text left (it is then left).
int ReadMemoryLevelLine(int level)
{
    const int index = g_SubprogramIndex[level];
    if (g_ProgramText == nullptr || g_MemorySubprogramOffsets == nullptr || index < 0 ||
        index >= MEMORY_SUBPROGRAM_SLOTS ||
        (g_MemorySubprogramLengths != nullptr && g_SubprogramOffset[level] >= g_MemorySubprogramLengths[index])) {
        g_SubprogramInMemory[level] = 0;
        --g_SubprogramDepth;
        if (g_SubprogramDepth == 0) HideSubProgress();
        return 0;
    }
    const int64_t start = g_SubprogramOffset[level];
    const char* text = g_ProgramText + g_MemorySubprogramOffsets[index] + start;
    // The sub-program's text ends at its indexed length, also when its last line was skipped.
    int64_t rest = g_MemorySubprogramLengths != nullptr ? g_MemorySubprogramLengths[index] - start : LINE_TEXT_MAX;
    if (rest > LINE_TEXT_MAX - 1) rest = LINE_TEXT_MAX - 1;
    int n = 0;
    while (n < rest && text[n] != '\0') ++n;
    std::memcpy(g_NcLineBuffer, text, (size_t)n);
    g_NcLineBuffer[n] = '\n';
    g_NcLineBuffer[n + 1] = '\0';
    g_NcLineLength = n + 1;
    g_LevelLineNumber = ++g_SubprogramLineCount[level];
    CountBlockLine();
    if (g_RunMode > 0 && g_EditorOpen && g_EditorFollowsRun) {
        if (start == 0) {
            EditorJumpToLine(g_EditorKind, g_LevelLineNumber, 0);
        } else {
            EditorFollowRunLine(g_EditorKind, g_LevelLineNumber);
        }
    }
    // The text's NUL ends the line; a piece cut for length leaves the rest for the next call.
    g_SubprogramOffset[level] += text[n] == '\0' ? n + 1 : n;
    if (g_SubprogramDepth == 1) AddSubProgress(g_NcLineLength);
    return 1;
}

// Step 3: one raw line from the source of the current level; 0 when there is none this time.
int ReadRawLine()
{
    if (g_SubprogramDepth <= 0) {
        const int length = ReadFilePiece(g_NcFile, g_NcLineBuffer);
        if (length == 0) {
            EndNcInput();
            return 0;
        }
        ++g_NcLineNumber;
        CountBlockLine();
        if (g_RunMode > 0 && g_EditorOpen) EditorFollowRunLine(g_EditorKind, g_NcLineNumber);
        g_NcLineLength = length;
        AddProgress(length);
        return 1;
    }
    const int level = g_SubprogramDepth > MAX_SUBPROGRAM_DEPTH ? MAX_SUBPROGRAM_DEPTH - 1 : g_SubprogramDepth - 1;
    if (g_SubprogramInMemory[level]) return ReadMemoryLevelLine(level);
    const int length = ReadFilePiece(g_SubprogramFiles[level], g_NcLineBuffer);
    if (length == 0) {
        LeaveSubprogramFileLevel(level);
        return 0;
    }
    ++g_SubprogramLineCount[level];
    CountBlockLine();
    g_NcLineLength = length;
    if (g_SubprogramDepth == 1) AddSubProgress(length);
    return 1;
}

// Step 2: the next path record of the reader plug-in.
int ReadPluginRecord()
{
    const int status = CallReaderPluginPathNext();
    if (ReaderPluginHasTotalBlock()) AddProgress(1);
    if (g_ReaderPath.blockNumber != 0) {
        g_NcLineNumber = g_ReaderPath.blockNumber;
        if (g_CutterCompensationState == 0) g_BlockLineNumber = g_ReaderPath.blockNumber;
    } else {
        ++g_NcLineNumber;
        CountBlockLine();
    }
    if (status != 0) return 1;
    EndNcInput();
    return 0;
}

// Step 7: a CR LF end becomes one line feed; a line without a line end gets one.
void NormaliseLineEnd()
{
    int length = (int)std::strlen(g_NcLineBuffer);
    if (length >= 2 && g_NcLineBuffer[length - 2] == '\r' && g_NcLineBuffer[length - 1] == '\n') {
        g_NcLineBuffer[length - 2] = '\n';
        g_NcLineBuffer[length - 1] = '\0';
        return;
    }
    if (length > 0 && g_NcLineBuffer[length - 1] == '\n') return;
    if (length >= LINE_TEXT_MAX) length = LINE_TEXT_MAX - 1;  // keep room for the line feed
    g_NcLineBuffer[length] = '\n';
    g_NcLineBuffer[length + 1] = '\0';
}

// Index of the rules by their folded first character: head[c] is the first rule starting
// with c, next[r] the following one, both in file order; -1 ends a list.
struct RuleIndex {
    int head[256];
    int next[REPLACE_RULE_MAX];
};

void BuildRuleIndex(RuleIndex* index, int count)
{
    for (int c = 0; c < 256; ++c) index->head[c] = -1;
    for (int r = count - 1; r >= 0; --r) {
        if (g_ReplaceRules.fromLength[r] <= 0 || g_ReplaceRules.fromText[r] == nullptr) continue;
        const unsigned char first = FoldCase((unsigned char)g_ReplaceRules.fromText[r][0]);
        index->next[r] = index->head[first];
        index->head[first] = r;
    }
}

int RuleCount()
{
    int count = g_ReplaceRules.count;
    if (count < 0) count = 0;
    if (count > REPLACE_RULE_MAX) count = REPLACE_RULE_MAX;
    return count;
}

}  // namespace

void EndNcInput()
{
    g_IncrementalMode = 0;
    g_NcRunState = NC_RUN_INPUT_ENDED;
    if (g_LookaheadCount == 0) {
        g_NcRunState = NC_RUN_FINISHED;
        if (g_DialectHeidenhain) CheckRotaryTurnOver360(0);
    }
}

void ApplyReplaceRules(int* length, char* line)
{
    const int count = RuleCount();
    if (count == 0 || line == nullptr) return;
    // The index depends only on the rule table: rebuild it when the table has changed.
    static thread_local RuleIndex index;
    static thread_local uint32_t indexGeneration = 0;
    static thread_local int indexCount = -1;
    if (indexCount != count || indexGeneration != g_ReplaceRulesGeneration) {
        BuildRuleIndex(&index, count);
        indexCount = count;
        indexGeneration = g_ReplaceRulesGeneration;
    }
    const int n = (int)std::strlen(line);
    int matchRule[NC_REPLACE_MATCH_MAX];
    int matchPos[NC_REPLACE_MATCH_MAX];
    int matches = 0;
    for (int pos = 0; pos <= n && matches < NC_REPLACE_MATCH_MAX;) {
        int found = -1;
        for (int r = index.head[FoldCase((unsigned char)line[pos])]; r >= 0; r = index.next[r]) {
            if (MatchesIgnoringCase(line + pos, n - pos, g_ReplaceRules.fromText[r], g_ReplaceRules.fromLength[r])) {
                found = r;
                break;
            }
        }
        if (found < 0) {
            ++pos;
            continue;
        }
        matchRule[matches] = found;
        matchPos[matches++] = pos;
        pos += g_ReplaceRules.fromLength[found] + 1;
    }
    if (matches == 0) return;
    char out[NC_LINE_BUFFER_SIZE];
    int outLength = 0;
    int source = 0;
    int change = 0;
    for (int m = 0; m < matches; ++m) {
        const int r = matchRule[m];
        const int from = g_ReplaceRules.fromLength[r];
        const int to = g_ReplaceRules.toLength[r] > 0 ? g_ReplaceRules.toLength[r] : 0;
        const int keep = matchPos[m] - source;
        std::memcpy(out + outLength, line + source, (size_t)keep);
        outLength += keep;
        source = matchPos[m] + from;
        // A replacement that would make the line longer than the buffer allows is not made.
        const int restAfter = n - source;
        if (outLength + to + restAfter > LINE_TEXT_MAX) {
            std::memcpy(out + outLength, line + matchPos[m], (size_t)from);
            outLength += from;
            continue;
        }
        if (to > 0) std::memcpy(out + outLength, g_ReplaceRules.toText[r], (size_t)to);
        outLength += to;
        change += to - from;
    }
    std::memcpy(out + outLength, line + source, (size_t)(n - source));
    outLength += n - source;
    out[outLength] = '\0';
    std::memcpy(line, out, (size_t)outLength + 1);
    if (length) *length += change;
}

void ApplyReplaceRulesType2(int* length, char* line)
{
    const int count = RuleCount();
    if (count == 0 || line == nullptr) return;
    int n = (int)std::strlen(line);
    // Folded characters present in the line (a superset after replacements), to skip hopeless rules.
    unsigned char present[256] = {};
    for (int k = 0; k < n; ++k) present[FoldCase((unsigned char)line[k])] = 1;
    for (int r = 0; r < count; ++r) {
        const int from = g_ReplaceRules.fromLength[r];
        const char* fromText = g_ReplaceRules.fromText[r];
        if (from <= 0 || fromText == nullptr || !present[FoldCase((unsigned char)fromText[0])]) continue;
        int pos = 0;
        while (pos <= n && !MatchesIgnoringCase(line + pos, n - pos, fromText, from)) ++pos;
        if (pos > n) continue;
        const int to = g_ReplaceRules.toLength[r] > 0 ? g_ReplaceRules.toLength[r] : 0;
        if (n - from + to > LINE_TEXT_MAX) continue;  // would not fit the buffer
        std::memmove(line + pos + to, line + pos + from, (size_t)(n - pos - from) + 1);
        if (to > 0) std::memcpy(line + pos, g_ReplaceRules.toText[r], (size_t)to);
        for (int k = 0; k < to; ++k) present[FoldCase((unsigned char)line[pos + k])] = 1;
        n += to - from;
        if (length) *length += to - from;
    }
}

int CheckNcLineSyntax(const char* line, int* column)
{
    int length = (int)std::strlen(line);
    for (int k = 0; k < 2 && length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r'); ++k) --length;
    const int setLength = (g_CheckChars != nullptr && g_CheckCharsLength > 0) ? g_CheckCharsLength : 0;
    int points = 0;
    int inComment = 0;
    for (int k = 0; k < length; ++k) {
        const char c = line[k];
        if (inComment) {
            if (c != ')') continue;
            inComment = 0;
        }
        if (setLength > 0 && !(c >= '0' && c <= '9') && std::memchr(g_CheckChars, c, (size_t)setLength) == nullptr) {
            g_NcAlarmCode = NC_ALARM_BAD_CHARACTER;
            g_NcAlarmChar = c;
            g_NcAlarmColumn = k + 1;
            if (column) *column = k + 1;
            return 1;
        }
        if (c == '(') {
            inComment = 1;
        } else if (c == '.') {
            if (++points >= 2) {
                g_NcAlarmCode = NC_ALARM_DOUBLE_POINT;
                g_NcAlarmColumn = k + 1;
                if (column) *column = k + 1;
                return 1;
            }
        } else if ((c >= 'A' && c <= 'Z') || c == '#') {
            points = 0;
        }
    }
    return 0;
}

int IsBlockSkipped()
{
    if (g_NcLineBuffer[0] != '/') return 0;
    const char c = g_NcLineBuffer[1];
    if (c >= '2' && c <= '9') return g_OptionalBlockSkip[c - '0'] ? 1 : 0;
    return (g_OptionalBlockSkip[0] || g_OptionalBlockSkip[1]) ? 1 : 0;
}

int SequenceNumberSearch()
{
    const char* line = g_NcLineBuffer;
    const char* n = std::strchr(line, 'N');
    if (n == nullptr) return 1;
    const char* open = std::strchr(line, '(');
    if (open != nullptr && open < n) {
        const char* close = std::strchr(line, ')');
        if (close == nullptr) return 1;  // the comment runs to the end of the line
        n = std::strchr(close + 1, 'N');
        if (n == nullptr) return 1;
    }
    int match = 0;
    if (g_DialectCode == DIALECT_DEFAULT) {
        match = std::atoi(n + 1) == g_SequenceSearchNumber;
    } else if (g_DialectCode == DIALECT_OSP) {
        const int nameLength = (int)strnlen(g_SequenceSearchName, sizeof g_SequenceSearchName);
        match = MatchesIgnoringCase(n + 1, (int)std::strlen(n + 1), g_SequenceSearchName, nameLength);
    }
    if (!match) return 1;
    g_SequenceSearchNumber = -1;
    return 0;
}

void CutAtNonAlphanumeric(char* name, int limit)
{
    if (name == nullptr) return;
    for (int k = 0; k < limit && name[k] != '\0'; ++k) {
        const char c = name[k];
        const int alnum = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!alnum) {
            name[k] = '\0';
            return;
        }
    }
}

int ReadNextNcLine()
{
    if (g_StopBlockPending) {
        g_StopBlockPending = 0;
        return 1;
    }
    if (g_ActiveReaderPlugin >= 0) return ReadPluginRecord();
    for (;;) {
        if (!ReadRawLine()) return 0;
        if (g_ReplaceRules.count > 0) {
            if (g_ReplaceType2) {
                ApplyReplaceRulesType2(&g_NcLineLength, g_NcLineBuffer);
            } else {
                ApplyReplaceRules(&g_NcLineLength, g_NcLineBuffer);
            }
        }
        if (g_CodeCheck) {
            int column = 0;
            if (CheckNcLineSyntax(g_NcLineBuffer, &column)) {
                NormaliseLineEnd();
                return 0;
            }
        }
        if (g_OptionalBlockSkipAny && IsBlockSkipped()) continue;
        break;
    }
    NormaliseLineEnd();
    if (g_SequenceSearchNumber >= 0 && SequenceNumberSearch()) return 0;
    return 1;
}
