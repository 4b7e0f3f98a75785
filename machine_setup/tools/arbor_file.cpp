// The arbor file and the holder line syntax: "ARBOR" (stepped), "ARBOR2" (tapered between steps) and
// "ARBOR3" (sections with a transition code) into an ArborRecord. The tool table decides which record
// a holder line fills.
#include "machine_setup/tools/arbor_file.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "machine_setup/settings/token_readers.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/tools/tool_table.h"
#include "platform/os/files.h"
#include "platform/os/paths.h"
#include "work_model/file_routines.h"

FileTime g_ArborFileTime;

namespace {

constexpr int ARBOR_LINE_SIZE = 1024;
constexpr int ARBOR_NAME_SIZE = 256;

int TruncateToInt(float value) {
    if (!(value > -2e9f && value < 2e9f)) return 0;
    return (int)value;
}

// "ARBOR": pairs until a diameter of 0.
void ParseSteppedArbor(const char* line, int* position, ArborRecord* record) {
    ReadNextFloat(position, line, &record->diameters[0]);
    int steps = 0;
    while (steps < ARBOR_MAX_STEPS && record->diameters[steps] != 0) {
        if (steps == 0) ReadFloatAfterComma(position, line, &record->lengths[0]);
        else ReadFloatAfterComma(position, line, &record->lengths[steps]);
        steps++;
        if (steps < ARBOR_MAX_STEPS) ReadFloatAfterComma(position, line, &record->diameters[steps]);
    }
    record->stepCount = steps;
}

// "ARBOR2": pairs until a step of length 0 is followed by a diameter of 0 (that step is dropped).
void ParseTaperedArbor(const char* line, int* position, ArborRecord* record) {
    ReadNextFloat(position, line, &record->diameters[0]);
    ReadFloatAfterComma(position, line, &record->lengths[0]);
    int steps = ARBOR_MAX_STEPS;
    for (int i = 1; i <= ARBOR_MAX_STEPS; i++) {
        ReadFloatAfterComma(position, line, &record->diameters[i]);
        if (record->lengths[i - 1] == 0 && record->diameters[i] == 0) {
            steps = i - 1;
            break;
        }
        if (i < ARBOR_MAX_STEPS) ReadFloatAfterComma(position, line, &record->lengths[i]);
    }
    record->stepCount = steps;
}

// "ARBOR3": base diameter, then (length, code, top diameter) triples until length and diameter are 0.
void ParseSectionArbor(const char* line, int* position, ArborRecord* record) {
    ReadNextFloat(position, line, &record->diameters[0]);
    int steps = 0;
    while (steps < ARBOR_MAX_STEPS) {
        float length = 0, code = 0, top = 0;
        ReadFloatAfterComma(position, line, &length);
        ReadFloatAfterComma(position, line, &code);
        ReadFloatAfterComma(position, line, &top);
        if (length == 0 && top == 0) break;
        record->lengths[steps] = length;
        record->sectionCodes[steps] = TruncateToInt(code);
        record->diameters[steps + 1] = top;
        steps++;
    }
    record->stepCount = steps;
}

// A bare name (no separator) is completed with the tool table's folder. 0 when it does not fit.
int ResolveArborName(char* name) {
    if (FindLastPathSeparator(name) >= 0) return 1;
    int folderEnd = FindLastPathSeparator(g_ToolTableFilePath);
    if (folderEnd < 0) return 1;
    size_t nameLength = std::strlen(name);
    if ((size_t)folderEnd + 1 + nameLength >= (size_t)ARBOR_NAME_SIZE) return 0;
    char resolved[ARBOR_NAME_SIZE];
    std::memcpy(resolved, g_ToolTableFilePath, (size_t)folderEnd + 1);
    std::memcpy(resolved + folderEnd + 1, name, nameLength + 1);
    std::memcpy(name, resolved, std::strlen(resolved) + 1);
    return 1;
}

}  // namespace

void ClearArborRecord(ArborRecord* record) { std::memset(record, 0, sizeof(*record)); }

int MatchArborKeyword(const char* line, int* keywordLength) {
    static const char* const keywords[3] = {"ARBOR3", "ARBOR2", "ARBOR"};
    static const int kinds[3] = {ARBOR_KIND_SECTIONS, ARBOR_KIND_TAPERS, ARBOR_KIND_STEPS};
    for (int k = 0; k < 3; k++) {
        size_t n = std::strlen(keywords[k]);
        size_t i = 0;
        while (i < n && std::toupper((unsigned char)line[i]) == keywords[k][i]) i++;
        if (i == n) {
            *keywordLength = (int)n;
            return kinds[k];
        }
    }
    return -1;
}

void ParseArborValues(const char* line, int valuesStart, int kind, ArborRecord* record) {
    int lineLength = (int)std::strlen(line);
    int position = valuesStart < lineLength ? valuesStart : lineLength;
    record->stepCount = 0;
    for (int i = 0; i <= ARBOR_MAX_STEPS; i++) record->diameters[i] = 0;
    for (int i = 0; i < ARBOR_MAX_STEPS; i++) {
        record->lengths[i] = 0;
        record->sectionCodes[i] = 0;
    }
    record->kind = kind;
    if (kind == ARBOR_KIND_SECTIONS) ParseSectionArbor(line, &position, record);
    else if (kind == ARBOR_KIND_TAPERS) ParseTaperedArbor(line, &position, record);
    else ParseSteppedArbor(line, &position, record);
    record->used = 1;
}

int ReadArborFile(char* name, ArborRecord* record) {
    ClearArborRecord(record);
    const int isDefault = record == &g_DefaultArbor;
    if (!ResolveArborName(name)) {
        if (isDefault) g_ArborFileStatus = -1;
        return -2;
    }
    if (isDefault) {
        if (!GetFileLastWriteTime(name, &g_ArborFileTime)) ClearFileTime(&g_ArborFileTime);
    }
    // Only a regular file: a device or pipe named by a tool table would never end (or never open).
    FILE* file = DoesFileExist(name) ? OpenFile(name, "r") : nullptr;
    if (!file) {
        if (isDefault) g_ArborFileStatus = -1;
        return -1;
    }
    if (isDefault) g_ArborFileStatus = 1;
    char line[ARBOR_LINE_SIZE];
    int result = 0;
    while (std::fgets(line, sizeof(line), file)) {
        if (line[0] == '#') continue;
        int keywordLength = 0;
        int kind = MatchArborKeyword(line, &keywordLength);
        if (kind < 0) continue;
        // The keyword and one separating character are skipped, so the digit of "ARBOR2" is no value.
        ParseArborValues(line, keywordLength + 1, kind, record);
        result = 1;
        break;
    }
    std::fclose(file);
    return result;
}

char g_ArborFilePath[256] = "";
int g_ArborFileStatus = 0;
