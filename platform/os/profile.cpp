// Profile (INI) files: reading a string or an integer with a default, and writing one key so that every other
// line of the file stays as it was. The whole file is read for each call (settings files are small) and a write
// goes through a temporary name and a rename.
#include "platform/os/profile.h"

#include <strings.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/os/files.h"

namespace {

enum ProfileLineKind { LINE_OTHER, LINE_SECTION, LINE_KEY };

// One line of the file as it lies in the text: [start, end) without its "\n"; the parsed parts are offsets
// into the text as well.
struct ProfileLine {
    size_t start;
    size_t end;            // before "\r\n" or "\n" (a "\r" before "\n" is not part of the line)
    size_t next;           // start of the following line
    int kind;
    std::string name;      // section name or key, trimmed
    size_t valueStart;     // LINE_KEY: first character of the value after "=" and blanks
    size_t valueEnd;       // LINE_KEY: end of the value without trailing blanks
    int sectionIndex;      // index of the section header line this line belongs to, -1 before any section
};

int IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

void TrimRange(const std::string& text, size_t* start, size_t* end)
{
    while (*start < *end && IsBlank(text[*start])) (*start)++;
    while (*end > *start && IsBlank(text[*end - 1])) (*end)--;
}

void ParseProfileLine(const std::string& text, ProfileLine* line)
{
    size_t start = line->start, end = line->end;
    if (start == 0 && text.compare(0, 3, "\xEF\xBB\xBF") == 0 && end >= 3) start = 3;  // UTF-8 byte order mark
    TrimRange(text, &start, &end);
    line->kind = LINE_OTHER;
    if (start == end || text[start] == ';' || text[start] == '#') return;
    if (text[start] == '[') {
        size_t nameStart = start + 1;
        size_t nameEnd = text.find(']', nameStart);
        if (nameEnd == std::string::npos || nameEnd > end) nameEnd = end;
        TrimRange(text, &nameStart, &nameEnd);
        line->kind = LINE_SECTION;
        line->name = text.substr(nameStart, nameEnd - nameStart);
        return;
    }
    size_t equals = text.find('=', start);
    if (equals == std::string::npos || equals >= end) return;
    size_t keyStart = start, keyEnd = equals;
    TrimRange(text, &keyStart, &keyEnd);
    if (keyStart == keyEnd) return;
    line->kind = LINE_KEY;
    line->name = text.substr(keyStart, keyEnd - keyStart);
    line->valueStart = equals + 1;
    line->valueEnd = end;
    TrimRange(text, &line->valueStart, &line->valueEnd);
}

std::vector<ProfileLine> SplitProfileLines(const std::string& text)
{
    std::vector<ProfileLine> lines;
    int section = -1;
    size_t position = 0;
    while (position < text.size()) {
        ProfileLine line = {};
        line.start = position;
        size_t newline = text.find('\n', position);
        line.next = newline == std::string::npos ? text.size() : newline + 1;
        line.end = newline == std::string::npos ? text.size() : newline;
        if (newline != std::string::npos && line.end > line.start && text[line.end - 1] == '\r') line.end--;
        ParseProfileLine(text, &line);
        if (line.kind == LINE_SECTION) section = static_cast<int>(lines.size());
        line.sectionIndex = section;
        lines.push_back(line);
        position = line.next;
    }
    return lines;
}

std::string TrimText(const char* text)
{
    std::string result = text != nullptr ? text : "";
    size_t start = 0, end = result.size();
    TrimRange(result, &start, &end);
    return result.substr(start, end - start);
}

int NamesMatch(const std::string& a, const std::string& b)
{
    return strcasecmp(a.c_str(), b.c_str()) == 0 ? 1 : 0;
}

// Index of the first line holding key in a section named section, or -1.
int FindProfileKey(const std::vector<ProfileLine>& lines, const std::string& section, const std::string& key)
{
    for (size_t i = 0; i < lines.size(); i++) {
        const ProfileLine& line = lines[i];
        if (line.kind != LINE_KEY || line.sectionIndex < 0 || !NamesMatch(line.name, key)) continue;
        if (NamesMatch(lines[static_cast<size_t>(line.sectionIndex)].name, section)) return static_cast<int>(i);
    }
    return -1;
}

// 1 and the value (trimmed, one pair of matching outer quotes removed) when the key exists.
int LookUpProfileValue(const char* section, const char* key, const char* path, std::string* value)
{
    if (section == nullptr || key == nullptr || path == nullptr) return 0;
    std::string text;
    if (!ReadWholeFile(path, &text)) return 0;
    std::vector<ProfileLine> lines = SplitProfileLines(text);
    int index = FindProfileKey(lines, TrimText(section), TrimText(key));
    if (index < 0) return 0;
    const ProfileLine& line = lines[static_cast<size_t>(index)];
    *value = text.substr(line.valueStart, line.valueEnd - line.valueStart);
    if (value->size() >= 2 && (value->front() == '"' || value->front() == '\'') && value->back() == value->front()) {
        *value = value->substr(1, value->size() - 2);
    }
    return 1;
}

// The line break the file already uses ("\r\n" when its first line ends so), "\n" for a new file.
std::string ChooseLineBreak(const std::string& text)
{
    size_t newline = text.find('\n');
    if (newline != std::string::npos && newline > 0 && text[newline - 1] == '\r') return "\r\n";
    return "\n";
}

int IsWritableName(const std::string& name, const char* forbidden)
{
    if (name.empty()) return 0;
    for (char c : name) {
        if (c == '\n' || c == '\r' || std::strchr(forbidden, c) != nullptr) return 0;
    }
    return 1;
}

}  // namespace

int ReadProfileString(const char* section, const char* key, const char* defaultText, char* out, int outSize,
                      const char* path)
{
    if (out == nullptr || outSize < 1) return 0;
    std::string value;
    if (!LookUpProfileValue(section, key, path, &value)) value = defaultText != nullptr ? defaultText : "";
    size_t length = value.size();
    if (length > static_cast<size_t>(outSize - 1)) {
        length = static_cast<size_t>(outSize - 1);
        // Do not leave half of a UTF-8 character at the cut.
        while (length > 0 && (static_cast<unsigned char>(value[length]) & 0xC0) == 0x80) length--;
    }
    std::memcpy(out, value.data(), length);
    out[length] = '\0';
    return static_cast<int>(length);
}

int ReadProfileInt(const char* section, const char* key, int defaultValue, const char* path)
{
    std::string value;
    if (!LookUpProfileValue(section, key, path, &value) || value.empty()) return defaultValue;
    const char* text = value.c_str();
    char* end = nullptr;
    errno = 0;
    long long number = std::strtoll(text, &end, 10);
    if (end == text) return 0;
    if (number > INT_MAX) return INT_MAX;
    if (number < INT_MIN) return INT_MIN;
    return static_cast<int>(number);
}

int WriteProfileString(const char* section, const char* key, const char* value, const char* path)
{
    if (section == nullptr || key == nullptr || path == nullptr || path[0] == '\0') return 0;
    std::string sectionName = TrimText(section), keyName = TrimText(key);
    if (!IsWritableName(sectionName, "]") || !IsWritableName(keyName, "=")) return 0;
    if (keyName[0] == '[' || keyName[0] == ';' || keyName[0] == '#') return 0;
    if (value != nullptr && (std::strchr(value, '\n') != nullptr || std::strchr(value, '\r') != nullptr)) return 0;

    std::string text;
    if (!ReadWholeFile(path, &text) && DoesPathExist(path)) return 0;  // exists but unreadable: leave it alone
    std::vector<ProfileLine> lines = SplitProfileLines(text);
    std::string lineBreak = ChooseLineBreak(text);
    std::string result;

    int index = FindProfileKey(lines, sectionName, keyName);
    if (index >= 0) {
        const ProfileLine& line = lines[static_cast<size_t>(index)];
        if (value == nullptr) {
            result = text.substr(0, line.start) + text.substr(line.next);
        } else {
            // Keep everything up to the value (indentation, key spelling, blanks around "=") and the line end.
            result = text.substr(0, line.valueStart) + value + text.substr(line.end);
        }
    } else if (value == nullptr) {
        return 1;
    } else {
        std::string entry = keyName + "=" + value + lineBreak;
        int sectionLine = -1, lastInSection = -1;
        for (size_t i = 0; i < lines.size(); i++) {
            if (sectionLine < 0 && lines[i].kind == LINE_SECTION && NamesMatch(lines[i].name, sectionName)) {
                sectionLine = lastInSection = static_cast<int>(i);
            } else if (sectionLine >= 0 && lines[i].sectionIndex == sectionLine && lines[i].kind == LINE_KEY) {
                lastInSection = static_cast<int>(i);
            }
        }
        if (sectionLine >= 0) {
            const ProfileLine& after = lines[static_cast<size_t>(lastInSection)];
            std::string head = text.substr(0, after.next);
            if (after.next == after.end) head += lineBreak;  // the last line of the file had no line break
            result = head + entry + text.substr(after.next);
        } else {
            result = text;
            if (!result.empty() && result.back() != '\n') result += lineBreak;
            result += "[" + sectionName + "]" + lineBreak + entry;
        }
    }
    if (result == text && DoesFileExist(path)) return 1;
    return WriteFileThroughTemporary(path, result.data(), result.size());
}
