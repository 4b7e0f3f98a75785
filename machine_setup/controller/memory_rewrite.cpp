// The rewrite of the controller definition's MEMORY lines from the offset tables. The file is read
// whole, so lines of any length and any bytes pass through unchanged; a MEMORY line of the kind being
// written is replaced in place by the entry's current values (or dropped when they are all zero), and
// entries not met are appended. A number outside its table leaves its line as it is.
#include "machine_setup/controller/memory_rewrite.h"

#include <cctype>
#include <cstdarg>
#include <cstring>
#include <string>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/controller/controller_line.h"
#include "machine_setup/controller/offset_memories.h"
#include "machine_setup/settings/token_readers.h"
#include "platform/os/files.h"
#include "work_model/file_routines.h"

namespace {

// The value list without its line end: "(x,y,z,r1,r2)".
void FormatValueList(std::string* out, const double values[5])
{
    *out += '(';
    for (int k = 0; k < 5; ++k) {
        char text[400];
        std::snprintf(text, sizeof text, "%f", values[k]);
        size_t length = std::strlen(text);
        while (length > 0 && text[length - 1] == '0') --length;
        if (length > 0 && text[length - 1] == '.') --length;
        out->append(text, length);
        *out += k < 4 ? ',' : ')';
    }
}

void AppendFormatted(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void AppendFormatted(std::string* out, const char* format, ...)
{
    char text[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    *out += text;
}

// Handles one MEMORY line (text after the keyword from cursor): 1 when it wrote the replacement to out
// (or dropped the line), 0 when the line is to be kept unchanged.
typedef int (*MemoryLineRewriter)(std::string* out, const char* line, int cursor, const char* lineEnd,
                                  unsigned char* seen);
// Appends the entries not seen, each line ended by lineEnd.
typedef void (*MemoryAppender)(std::string* out, const char* lineEnd, const unsigned char* seen);

// A table number read at position and truncated; -1 when it lies outside 0 to limit - 1 (as the reader).
int ReadTableNumberAt(const char* line, int position, int limit)
{
    double value = 0.0;
    ReadNextNumber(&position, line, &value);
    if (!(value > -1.0 && value < static_cast<double>(limit))) return -1;
    int n = static_cast<int>(value);
    return n >= 0 ? n : -1;
}

char g_RewriteLetter = 'D';  // letter of the tool offset rewrite in progress (UI thread)

// The line of tool offset n when its value (or either value) is not zero.
void WriteToolOffsetLine(std::string* out, int n, const char* lineEnd)
{
    char letter = g_RewriteLetter;
    const float* first = letter == 'D' ? g_ToolOffsetD : g_ToolOffsetH;
    const float* second = letter == 'D' ? g_ToolOffsetD2 : g_ToolOffsetH2;
    if (g_ToolOffsetMemoryType == TOOL_OFFSET_MEMORY_A) {
        if (first[n] == 0.0f) return;
        AppendFormatted(out, "MEMORY %c%02d= %f%s", letter, n, first[n], lineEnd);
    } else {
        if (first[n] == 0.0f && second[n] == 0.0f) return;
        // A blank between the values: the reader takes the second value after a blank, tab or comma.
        AppendFormatted(out, "MEMORY %c%02d= %f %f%s", letter, n, first[n], second[n], lineEnd);
    }
}

int HasNonZeroValue(const AxisPosition& row)
{
    for (int k = 0; k < 5; ++k) {
        if (row.axis[k] != 0.0) return 1;
    }
    return 0;
}

void WriteWorkOffsetLine(std::string* out, const char* prefix, int row, const char* lineEnd)
{
    if (!HasNonZeroValue(g_WorkOffsets[row])) return;
    *out += prefix;
    FormatValueList(out, g_WorkOffsets[row].axis);
    *out += lineEnd;
}

int RewriteToolOffsetLine(std::string* out, const char* line, int cursor, const char* lineEnd, unsigned char* seen)
{
    if (std::toupper(static_cast<unsigned char>(line[cursor])) != g_RewriteLetter) return 0;
    int n = ReadTableNumberAt(line, cursor + 1, TOOL_OFFSET_COUNT);
    if (n < 0) return 0;
    WriteToolOffsetLine(out, n, lineEnd);
    seen[n] = 1;
    return 1;
}

void AppendToolOffsets(std::string* out, const char* lineEnd, const unsigned char* seen)
{
    for (int n = 1; n < TOOL_OFFSET_COUNT; ++n) {
        if (!seen[n]) WriteToolOffsetLine(out, n, lineEnd);
    }
}

int RewriteWorkOffsetLine(std::string* out, const char* line, int cursor, const char* lineEnd, unsigned char* seen)
{
    char prefix[32];
    int row;
    if (MatchesWordAt(line, cursor, "WK")) {
        row = ReadTableNumberAt(line, cursor + 2, WORK_OFFSET_COUNT);
        if (row < 0) return 0;
        std::snprintf(prefix, sizeof prefix, "MEMORY WK%d= ", row);
    } else if (MatchesWordAt(line, cursor, "G5")) {
        // G54 to G59 as the reader takes them: one digit 4 to 9 right after "G5".
        char digit = line[cursor + 2];
        if (digit < '4' || digit > '9') return 0;
        row = digit - '0' - 3;
        std::snprintf(prefix, sizeof prefix, "MEMORY G5%d= ", row + 3);
    } else if (MatchesWordAt(line, cursor, "EXOFS")) {
        row = 0;
        std::snprintf(prefix, sizeof prefix, "MEMORY EXOFS= ");
    } else {
        return 0;
    }
    WriteWorkOffsetLine(out, prefix, row, lineEnd);
    seen[row] = 1;
    return 1;
}

void AppendWorkOffsets(std::string* out, const char* lineEnd, const unsigned char* seen)
{
    for (int row = 0; row < WORK_OFFSET_COUNT; ++row) {
        if (seen[row]) continue;
        char prefix[32];
        if (row == 0) {
            std::snprintf(prefix, sizeof prefix, "MEMORY EXOFS= ");
        } else if (row <= 6 && g_DialectCode == 0) {
            std::snprintf(prefix, sizeof prefix, "MEMORY G5%d= ", row + 3);
        } else {
            std::snprintf(prefix, sizeof prefix, "MEMORY WK%d= ", row);
        }
        WriteWorkOffsetLine(out, prefix, row, lineEnd);
    }
}

// The first line end of the text, "\n" when it has none.
const char* FindLineEndStyle(const std::string& text)
{
    size_t end = text.find('\n');
    if (end != std::string::npos && end > 0 && text[end - 1] == '\r') return "\r\n";
    return "\n";
}

// The original text line by line, with rewriteLine replacing MEMORY lines, then the appended entries.
std::string MakeRewrittenText(const std::string& original, MemoryLineRewriter rewriteLine, MemoryAppender append,
                              unsigned char* seen)
{
    const char* fileLineEnd = FindLineEndStyle(original);
    std::string out;
    out.reserve(original.size() + 256);
    size_t start = 0;
    while (start < original.size()) {
        size_t newline = original.find('\n', start);
        size_t next = newline == std::string::npos ? original.size() : newline + 1;
        size_t bodyEnd = newline == std::string::npos ? original.size() : newline;
        const char* lineEnd = newline == std::string::npos ? fileLineEnd : "\n";
        if (newline != std::string::npos && bodyEnd > start && original[bodyEnd - 1] == '\r') {
            --bodyEnd;
            lineEnd = "\r\n";
        }
        std::string body = original.substr(start, bodyEnd - start);
        int handled = 0;
        if (MatchesWordAt(body.c_str(), 0, "MEMORY")) {
            int cursor = 6;
            SkipBlanksAndEquals(&cursor, body.c_str());
            handled = rewriteLine(&out, body.c_str(), cursor, lineEnd, seen);
        }
        if (!handled) out.append(original, start, next - start);
        start = next;
    }
    std::string appended;
    append(&appended, fileLineEnd, seen);
    if (!appended.empty()) {
        // Appended lines never run on from a last line that has no line end.
        if (!out.empty() && out.back() != '\n') out += fileLineEnd;
        out += appended;
    }
    return out;
}

// Writes all of text to path; 1 when every byte was written and the file closed cleanly.
int WriteWholeFile(const char* path, const std::string& text)
{
    FILE* stream = OpenFile(path, "wb");
    if (stream == nullptr) return 0;
    int ok = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    if (std::fflush(stream) != 0) ok = 0;
    if (std::fclose(stream) != 0) ok = 0;
    return ok;
}

// The common frame: reads the controller file, writes "<file>.new", keeps the old content as
// "<file>.bak" and puts the new file in place, then records the file's time. Any failure removes
// "<file>.new" and leaves the controller file as it was.
int RewriteControllerFile(MemoryLineRewriter rewriteLine, MemoryAppender append, unsigned char* seen)
{
    const char* path = g_ControllerFilePath;
    if (path[0] == '\0') return 0;
    std::string original;
    if (!ReadWholeFile(path, &original)) return 0;
    std::string text = MakeRewrittenText(original, rewriteLine, append, seen);
    std::string newPath = std::string(path) + ".new";
    std::string bakPath = std::string(path) + ".bak";
    int ok = WriteWholeFile(newPath.c_str(), text);
    // The old content becomes the backup (written whole through a temporary name), then the new file
    // takes the controller file's name in one rename: the controller file is never missing or partial.
    ok = ok && WriteFileThroughTemporary(bakPath.c_str(), original.data(), original.size());
    ok = ok && RenameFileAtPath(newPath.c_str(), path);
    if (!ok) {
        DeleteFileAtPath(newPath.c_str());
        return 0;
    }
    FileTime time = {0, 0};
    if (GetFileLastWriteTime(path, &time)) g_ControllerFileTime = time;
    return 1;
}

}  // namespace

void WriteValueList(FILE* stream, const double values[5])
{
    std::string text;
    FormatValueList(&text, values);
    text += '\n';
    std::fputs(text.c_str(), stream);
}

int RewriteCtlToolOffsets(int kind)
{
    g_RewriteLetter = kind == TOOL_OFFSET_KIND_H ? 'H' : 'D';
    unsigned char seen[TOOL_OFFSET_COUNT] = {};
    return RewriteControllerFile(RewriteToolOffsetLine, AppendToolOffsets, seen);
}

int RewriteCtlWorkOffsets()
{
    unsigned char seen[WORK_OFFSET_COUNT] = {};
    return RewriteControllerFile(RewriteWorkOffsetLine, AppendWorkOffsets, seen);
}
