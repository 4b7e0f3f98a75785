// The program index of an NC file run from memory (IndexNcFile and the look-ups) and the sub-program
// call stack: calls of in-memory sub-programs and of sub-program files, and the return.
#include "nc/subprograms.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "machine_setup/machine_setup_state.h"
#include "platform/ui/shell_services.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/controller/offset_memories.h"
#include "nc/interpreter_state.h"
#include "nc/nc_line_reader.h"
#include "platform/ui/progress.h"
#include "nc/subprogram_calls.h"
#include "platform/os/files.h"

const char* const kSubprogramNotFoundText[2] = {"サブプログラムが見つかりません", "Subprogram not found"};

int g_MainProgramBytes = 0;
char g_SubprogramPath[256] = {};

namespace {

constexpr int OSP_NAME_SIZE = 5;  // bytes per OSP name: at most four characters and a NUL

// Where the index scan stands in the file.
enum IndexSection { SECTION_MAIN, SECTION_IN_SUBPROGRAM, SECTION_AFTER_MAIN, SECTION_AFTER_SUBPROGRAM };

// The growing program text of one index pass.
struct ProgramTextBuffer {
    char* text;
    int64_t length;
    int64_t capacity;
};

// Appends length bytes; 0 when memory runs out (the text then stays as it was).
int AppendProgramText(ProgramTextBuffer* buffer, const char* bytes, int length)
{
    if (buffer->length + length + 1 > buffer->capacity) {
        int64_t capacity = buffer->capacity * 2;
        if (capacity < buffer->length + length + 1) capacity = buffer->length + length + 1;
        if (capacity > INT32_MAX) return 0;  // offsets are 32-bit
        char* grown = (char*)std::realloc(buffer->text, (size_t)capacity);
        if (grown == nullptr) return 0;
        buffer->text = grown;
        buffer->capacity = capacity;
    }
    std::memcpy(buffer->text + buffer->length, bytes, (size_t)length);
    buffer->length += length;
    buffer->text[buffer->length] = '\0';
    return 1;
}

// Position of the line's first word: the first ASCII letter, "(", ";" or line feed; behind an "N" the
// next such character. -1 when the line has none.
int FindFirstWord(const char* line)
{
    int k = 0;
    for (;; ++k) {
        const char c = line[k];
        if (c == '\0') return -1;
        if (std::isalpha((unsigned char)c) || c == '(' || c == ';' || c == '\n') break;
    }
    if (line[k] != 'N' && line[k] != 'n') return k;
    for (++k;; ++k) {
        const char c = line[k];
        if (c == '\0') return -1;
        if (std::isalpha((unsigned char)c) || c == '(' || c == ';' || c == '\n') return k;
    }
}

// The state of one index pass over the file.
struct IndexScan {
    int section;
    int lineNumber;        // of the line being scanned, from 1
    int entryLength;       // bytes of the sub-program being indexed
    int entryOffset;       // its O line's offset in the text
    int entryLine;         // its O line's number
};

// An "O" line after the main program starts the entry g_MemorySubprogramCount.
void StartIndexEntry(IndexScan* scan, const char* word, int offset, int length)
{
    const int slot = g_MemorySubprogramCount;
    if (g_DialectOsp && g_MemorySubprogramNames != nullptr) {
        char* name = g_MemorySubprogramNames + slot * OSP_NAME_SIZE;
        std::memset(name, 0, OSP_NAME_SIZE);
        std::strncpy(name, word + 1, OSP_NAME_SIZE - 1);
        CutAtNonAlphanumeric(name, OSP_NAME_SIZE - 1);
    } else {
        g_MemorySubprogramNumbers[slot] = (int32_t)std::strtol(word + 1, nullptr, 10);
    }
    scan->entryLength = length;
    scan->entryOffset = offset;
    scan->entryLine = scan->lineNumber;
    scan->section = SECTION_IN_SUBPROGRAM;
}

// M99 (or OSP "RTS") inside a sub-program completes its entry.
void CompleteIndexEntry(IndexScan* scan)
{
    const int slot = g_MemorySubprogramCount;
    g_MemorySubprogramOffsets[slot] = scan->entryOffset;
    g_MemorySubprogramLines[slot] = scan->entryLine - 1;
    g_MemorySubprogramLengths[slot] = scan->entryLength;
    ++g_MemorySubprogramCount;
    scan->section = SECTION_AFTER_SUBPROGRAM;
}

// Classifies one appended line (at offset, length bytes in the text) by its first word.
void IndexLine(IndexScan* scan, const char* line, int offset, int length)
{
    const int k = FindFirstWord(line);
    const char c = k >= 0 ? (char)std::toupper((unsigned char)line[k]) : '\0';
    if (c == 'O' && scan->section != SECTION_MAIN) {
        if (g_MemorySubprogramCount < MEMORY_SUBPROGRAM_SLOTS) StartIndexEntry(scan, line + k, offset, length);
        return;
    }
    scan->entryLength += length;
    if (c == 'M') {
        const char* digits = line + k + 1;
        if (std::strncmp(digits, "30", 2) == 0 || std::strncmp(digits, "02", 2) == 0) {
            scan->section = SECTION_AFTER_MAIN;
        } else if (std::strncmp(digits, "99", 2) == 0 && scan->section == SECTION_IN_SUBPROGRAM) {
            CompleteIndexEntry(scan);
        }
    } else if (c == 'R' && g_DialectOsp && scan->section == SECTION_IN_SUBPROGRAM &&
               std::strncmp(line + k + 1, "TS", 2) == 0) {
        CompleteIndexEntry(scan);
    }
}

// Reads the file into buffer line by line (pieces of at most one line buffer) and indexes it.
void ScanProgramFile(FILE* file, ProgramTextBuffer* buffer)
{
    IndexScan scan = {SECTION_MAIN, 0, 0, 0, 0};
    char line[NC_LINE_BUFFER_SIZE];
    while (std::fgets(line, sizeof line, file) != nullptr) {
        ++scan.lineNumber;
        int length = (int)std::strlen(line);
        if (g_MemorySubprogramCount == 0 && scan.section == SECTION_MAIN) g_MainProgramBytes += length;
        if (g_ReplaceRules.count > 0) {
            if (g_ReplaceType2) ApplyReplaceRulesType2(&length, line);
            else ApplyReplaceRules(&length, line);
            length = (int)std::strlen(line);
        }
        if (length >= 2 && line[length - 2] == '\r' && line[length - 1] == '\n') line[--length] = '\0';
        const int offset = (int)buffer->length;
        if (!AppendProgramText(buffer, line, length)) return;
        IndexLine(&scan, line, offset, length);
    }
}

int IndexArraysReady()
{
    if (g_MemorySubprogramNumbers == nullptr || g_MemorySubprogramOffsets == nullptr ||
        g_MemorySubprogramLines == nullptr || g_MemorySubprogramLengths == nullptr) {
        return 0;
    }
    if (g_DialectOsp && g_MemorySubprogramNames == nullptr) {
        g_MemorySubprogramNames = (char*)std::calloc(MEMORY_SUBPROGRAM_NAMES_SIZE, 1);
    }
    return 1;
}

void RaiseSubprogramAlarm()
{
    if (g_NcAlarmCode == 0) g_NcAlarmCode = NC_ALARM_SUBPROGRAM_NOT_FOUND;
}

// Opens folder + name into g_SubprogramPath; null when the path does not fit or the file does not open.
FILE* OpenSubprogramFile(const char* name)
{
    const int n = std::snprintf(g_SubprogramPath, sizeof g_SubprogramPath, "%s%s", g_SubprogramFolder, name);
    if (n < 0 || n >= (int)sizeof g_SubprogramPath) return nullptr;
    for (char* p = g_SubprogramPath; *p != '\0'; ++p) {
        if (*p == '\\') *p = '/';
    }
    if (!DoesFileExist(g_SubprogramPath)) return nullptr;
    return std::fopen(g_SubprogramPath, "rb");
}

}  // namespace

void SetSubprogramFolder(const char* path)
{
    if (path == nullptr) path = "";
    const char* slash = std::strrchr(path, '/');
    const char* backslash = std::strrchr(path, '\\');
    if (backslash != nullptr && (slash == nullptr || backslash > slash)) slash = backslash;
    size_t length = slash == nullptr ? 0 : (size_t)(slash - path) + 1;
    if (length >= sizeof g_SubprogramFolder) length = 0;  // a folder that does not fit: the current one
    std::memcpy(g_SubprogramFolder, path, length);
    g_SubprogramFolder[length] = '\0';
}

void IndexNcFile()
{
    if (g_ActiveReaderPlugin >= 0 || !IndexArraysReady()) return;
    FileTime time = {};
    if (!GetFileLastWriteTime(g_NcFilePath, &time)) return;
    if (AreFileTimesEqual(&time, &g_NcExtentsFileTime) && g_ProgramText != nullptr) return;
    FILE* file = DoesFileExist(g_NcFilePath) ? std::fopen(g_NcFilePath, "rb") : nullptr;
    if (file == nullptr) return;
    g_NcExtentsFileTime = time;
    std::free(g_ProgramText);
    g_ProgramText = nullptr;
    SetSubprogramFolder(g_NcFilePath);
    g_MemorySubprogramCount = 0;
    g_MainProgramBytes = 0;
    const int64_t size = GetFileSizeBytes(g_NcFilePath);
    ProgramTextBuffer buffer = {nullptr, 0, 0};
    buffer.capacity = size > 0 && size < INT32_MAX ? size + 1 : 1;
    buffer.text = (char*)std::malloc((size_t)buffer.capacity);
    if (buffer.text != nullptr) {
        buffer.text[0] = '\0';
        ScanProgramFile(file, &buffer);
        for (int64_t k = 0; k < buffer.length; ++k) {
            if (buffer.text[k] == '\r' || buffer.text[k] == '\n') buffer.text[k] = '\0';
        }
    }
    std::fclose(file);
    g_ProgramText = buffer.text;
}

int FindSubprogramByNumber(int number)
{
    if (g_MemorySubprogramNumbers == nullptr || g_ProgramText == nullptr) return -1;
    for (int k = 0; k < g_MemorySubprogramCount; ++k) {
        if (g_MemorySubprogramNumbers[k] == number) return k;
    }
    return -1;
}

int FindSubprogramByName(const char* text)
{
    if (g_MemorySubprogramNames == nullptr || g_ProgramText == nullptr || text == nullptr) return -1;
    for (int k = 0; k < g_MemorySubprogramCount; ++k) {
        const char* name = g_MemorySubprogramNames + k * OSP_NAME_SIZE;
        const size_t length = strnlen(name, OSP_NAME_SIZE - 1);
        if (length > 0 && strncasecmp(text, name, length) == 0) return k;
    }
    return -1;
}

void CallMemorySubprogram(int number, const char* ospName)
{
    if (g_SubprogramDepth >= MAX_CALL_LEVELS) return;
    const int index = ospName != nullptr ? FindSubprogramByName(ospName) : FindSubprogramByNumber(number);
    if (index < 0) {
        RaiseSubprogramAlarm();
        return;
    }
    const int level = g_SubprogramDepth;
    char* callName = g_SubprogramCallNames[level];
    if (ospName != nullptr) {
        std::snprintf(callName, sizeof g_SubprogramCallNames[level], "O%s", g_MemorySubprogramNames + index * OSP_NAME_SIZE);
    } else {
        std::snprintf(callName, sizeof g_SubprogramCallNames[level], number < 1000 ? "O%04d" : "O%d", number);
    }
    g_SubprogramInMemory[level] = 1;
    g_SubprogramIndex[level] = index;
    g_SubprogramOffset[level] = 0;
    g_SubprogramLineCount[level] = g_MemorySubprogramLines[index];
    g_SubprogramFiles[level] = nullptr;
    ++g_SubprogramDepth;
    BeginSubprogramProgress(g_MainWindow, callName);
}

void CallSubprogramFile(const char* name, int fallbackNumber)
{
    if (g_SubprogramDepth >= MAX_CALL_LEVELS || name == nullptr) return;
    if (g_SubprogramFolder[0] == '\0') SetSubprogramFolder(g_NcFilePath);
    const int level = g_SubprogramDepth;
    char* callName = g_SubprogramCallNames[level];
    std::snprintf(callName, sizeof g_SubprogramCallNames[level], "%s", name);
    FILE* file = OpenSubprogramFile(callName);
    if (file == nullptr && fallbackNumber >= 0 && fallbackNumber < 1000) {
        std::snprintf(callName, sizeof g_SubprogramCallNames[level], "O%04d", fallbackNumber);
        file = OpenSubprogramFile(callName);
    }
    if (file == nullptr) {
        RaiseSubprogramAlarm();
        return;
    }
    g_SubprogramInMemory[level] = 0;
    g_SubprogramIndex[level] = -1;
    g_SubprogramOffset[level] = 0;
    g_SubprogramLineCount[level] = 0;
    g_SubprogramFiles[level] = file;
    ++g_SubprogramDepth;
    std::snprintf(g_LastSubprogramPath, sizeof g_LastSubprogramPath, "%s", g_SubprogramPath);
    BeginSubprogramProgress(g_MainWindow, g_SubprogramPath);
}

void ReturnFromSubprogram()
{
    if (g_SubprogramDepth <= 0) return;
    if (g_SubprogramDepth > MAX_SUBPROGRAM_DEPTH) g_SubprogramDepth = MAX_SUBPROGRAM_DEPTH;
    const int left = --g_SubprogramDepth;
    const int caller = left - 1;
    g_LevelLineNumber = caller >= 0 ? g_SubprogramLineCount[caller] : g_NcLineNumber;
    const int callerInMemory = caller < 0 || g_SubprogramInMemory[caller];
    if (g_RunMode > 0 && g_EditorOpen && g_EditorFollowsRun && callerInMemory) {
        EditorJumpToLine(g_EditorKind, g_LevelLineNumber, 0);
    }
    if (g_SubprogramFiles[left] != nullptr) std::fclose(g_SubprogramFiles[left]);
    g_SubprogramFiles[left] = nullptr;
    g_SubprogramInMemory[left] = 0;
    if (g_SubprogramDepth == 0) HideSubProgress();
}
