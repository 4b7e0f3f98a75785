// The tool table: allocation of the per-tool arrays, the reset before a read, the line loop of
// ReadToolTableFile (spindle-tool line, comments, head lines, MAGAZINE lines) and its end-of-file pass
// (holders, refused outlines, LAYOUT1 sets, TOOL BASE POINT, spindle tool). Keywords of tool lines are
// applied in tool_table_keywords.cpp.
#include "machine_setup/tools/tool_table.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "machine_setup/tools/current_tool.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/settings/token_readers.h"
#include "machine_setup/tools/tool_arrays.h"
#include "machine_setup/tools/tool_profile.h"
#include "machine_setup/tools/arbor_file.h"
#include "machine_setup/machine_setup_state.h"
#include "platform/ui/shell_services.h"
#include "machine_setup/tools/tool_body.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/tools/tool_table_keywords.h"
#include "machine_setup/settings/work_settings.h"
#include "work_model/file_routines.h"

ToolRecord* g_ToolTable = nullptr;
ToolLengthRecord* g_ToolLengthTable = nullptr;
ArborRecord* g_ArborTable = nullptr;
ToolOptFeedRecord* g_ToolOptFeedTable = nullptr;
ToolLimitRecord* g_ToolLimitTable = nullptr;
float* g_ToolLengths = nullptr;
int32_t* g_ToolPenTable = nullptr;
unsigned char* g_ToolUsedFlags = nullptr;
int g_ToolArrayCapacity = 0;

int g_ToolLayoutFlags[TOOL_LAYOUT_SLOTS];
double g_ToolLayoutPositions[TOOL_LAYOUT_SLOTS][3];
int g_MountedTools[MAX_MOUNTED_TOOLS];
int g_MountedToolCount = 0;

ArborRecord g_DefaultArbor;
int g_ToolTableStatus = 0;
FileTime g_ToolTableFileTime;
int g_ToolTableLoaded = 0;
int g_HighestToolNumber;
int g_SelectedToolNumber;
int g_ToolBodyFacetCount = 0;
char g_ToolTableMessage[512];

namespace {

// The tool numbers before a tool table is read, and at the start of every read.
void ResetToolNumbers() {
    g_HighestToolNumber = 11;
    g_SelectedToolNumber = 1;
}

void FreeArrays() {
    std::free(g_ToolTable);
    std::free(g_ToolLengthTable);
    std::free(g_ArborTable);
    std::free(g_ToolOptFeedTable);
    std::free(g_ToolLimitTable);
    std::free(g_ToolLengths);
    std::free(g_ToolPenTable);
    std::free(g_ToolUsedFlags);
    g_ToolTable = nullptr;
    g_ToolLengthTable = nullptr;
    g_ArborTable = nullptr;
    g_ToolOptFeedTable = nullptr;
    g_ToolLimitTable = nullptr;
    g_ToolLengths = nullptr;
    g_ToolPenTable = nullptr;
    g_ToolUsedFlags = nullptr;
    g_ToolArrayCapacity = 0;
}

void ClearLayoutTables() {
    std::memset(g_ToolLayoutFlags, 0, sizeof(g_ToolLayoutFlags));
    std::memset(g_ToolLayoutPositions, 0, sizeof(g_ToolLayoutPositions));
    std::memset(g_MountedTools, 0, sizeof(g_MountedTools));
    g_MountedToolCount = 0;
}

// Every record back to "not defined" (names and outlines must have been freed).
void ResetToolRecords() {
    for (int i = 0; i < g_ToolArrayCapacity; i++) {
        std::memset(&g_ToolTable[i], 0, sizeof(ToolRecord));
        g_ToolTable[i].dxfClassStart[0] = g_ToolTable[i].dxfClassStart[1] = g_ToolTable[i].dxfClassStart[2] = -1;
        std::memset(&g_ToolLengthTable[i], 0, sizeof(ToolLengthRecord));
        g_ToolLengthTable[i].semicolonValue = -1;
        ClearArborRecord(&g_ArborTable[i]);
        std::memset(&g_ToolLimitTable[i], 0, sizeof(ToolLimitRecord));
        std::memset(&g_ToolOptFeedTable[i], 0, sizeof(ToolOptFeedRecord));
        g_ToolLengths[i] = 0;
        g_ToolPenTable[i] = 0;
    }
}

int StartsWithNoCase(const char* line, const char* keyword) {
    for (int i = 0; keyword[i]; i++) {
        if (std::toupper((unsigned char)line[i]) != keyword[i]) return 0;
    }
    return 1;
}

// A line before the first MAGAZINE line: ATL or a default holder. 1 when it was one of them.
int ReadHeadLine(const char* line) {
    if (StartsWithNoCase(line, "ATL")) {
        char name[256];
        if (!ReadAtlFileName(line, 3, name, sizeof(name))) {
            AddToolTableMessage("ATL: holder file name missing or too long");
            return 1;
        }
        std::memcpy(g_ArborFilePath, name, sizeof(name));
        ReadArborFile(g_ArborFilePath, &g_DefaultArbor);
        return 1;
    }
    int keywordLength = 0;
    int kind = MatchArborKeyword(line, &keywordLength);
    if (kind < 0) return 0;
    ParseArborValues(line, keywordLength, kind, &g_DefaultArbor);
    return 1;
}

// A MAGAZINE line: 1 and *n for a tool number in range, 0 when reading must stop.
int StartTool(const char* line, int* n) {
    int position = 8, number = 0;
    ReadNextInteger(&position, line, &number);
    if (number < 1 || number > g_MaxMagazine || number >= g_ToolArrayCapacity) {
        char text[128];
        std::snprintf(text, sizeof(text), "MAGAZINE %d out of range 1 to %d: rest of the file ignored",
                      number, g_MaxMagazine);
        AddToolTableMessage(text);
        return 0;
    }
    ToolRecord* tool = &g_ToolTable[number];
    tool->defined = 1;
    g_ToolLengthTable[number].kind = LENGTH_NONE;
    if (g_DefaultArbor.used) g_ArborTable[number] = g_DefaultArbor;
    else g_ArborTable[number].used = 0;
    g_ToolLengths[number] = 0;
    g_ToolPenTable[number] = 0;
    for (int k = 0; k < 4; k++) g_ToolOptFeedTable[number].used[k] = 0;
    if (number > g_HighestToolNumber) g_HighestToolNumber = number;
    *n = number;
    return 1;
}

void ReadToolLines(FILE* file, ToolTableReadState* state) {
    char line[TOOL_LINE_SIZE];
    int magazineSeen = 0;
    int n = -1;
    while (std::fgets(line, sizeof(line), file)) {
        if (line[0] == 'I') {
            int position = 1, number = 0;
            ReadNextInteger(&position, line, &number);
            g_SpindleToolNumber = g_SelectedToolNumber = number;
            continue;
        }
        if (line[0] == '#') continue;
        if (!magazineSeen && ReadHeadLine(line)) continue;
        if (StartsWithNoCase(line, "MAGAZINE")) {
            if (!StartTool(line, &n)) return;
            magazineSeen = 1;
            ScanToolLine(line, 10, n, state);
            continue;
        }
        if (n >= 0) ScanToolLine(line, 0, n, state);
    }
}

// Holders count only for tools with a length definition; scribing tools have none.
void FinishToolRecords() {
    for (int i = 0; i < g_ToolArrayCapacity; i++) {
        if (g_ToolTable[i].type == TOOL_SCRIBING) g_ToolLengthTable[i].kind = LENGTH_NONE;
        if (g_ToolLengthTable[i].kind == LENGTH_NONE) g_ArborTable[i].used = 0;
    }
    if (g_MountedToolCount == 1) ClearLayoutTables();
}

// Makes every defined tool current once; a tool whose profile does not fit is refused.
void BuildEveryToolOnce() {
    for (int i = 1; i < g_ToolArrayCapacity; i++) {
        if (!g_ToolTable[i].defined) continue;
        if (SelectCurrentTool(i, 0) != -2) continue;
        g_ToolTable[i].defined = 0;
        char text[160];
        std::snprintf(text, sizeof(text), "tool %d refused: its outline needs more than %d profile points", i,
                      TOOL_PROFILE_MAX_POINTS);
        AddToolTableMessage(text);
    }
}

void ApplyToolBasePoint() {
    if (g_ToolBasePoint <= TOOL_BASE_BOTTOM) return;
    for (int i = 0; i < g_ToolArrayCapacity; i++) {
        const ToolRecord& t = g_ToolTable[i];
        if (g_ToolLengthTable[i].kind == LENGTH_NONE && t.type != TOOL_STL) continue;
        double add = 0;
        switch (g_ToolBasePoint) {
        case TOOL_BASE_BALL_CENTER:
            if (t.type == TOOL_BALL || t.type == TOOL_TAPER_BALL) add = t.cornerRadius;
            break;
        case TOOL_BASE_F_CENTER:
            SelectCurrentTool(i, 0);
            add = g_ToolCut.cornerCentreHeight;
            break;
        case TOOL_BASE_R_HEIGHT:
            if (t.bottomAngle == 0) add = t.cornerRadius;
            break;
        case TOOL_BASE_LENGTH_TOP: add = g_ToolLengthTable[i].lengths[0]; break;
        case TOOL_BASE_ARBOR_TOP:
            SelectCurrentTool(i, 0);
            add = g_ToolLength;
            break;
        default: break;
        }
        g_ToolLengths[i] = (float)(g_ToolLengths[i] + add);
    }
}

}  // namespace

int IsToolNumberInTable(int n) { return g_ToolTable && n >= 0 && n < g_ToolArrayCapacity; }

void AllocateToolArrays() {
    if (g_ToolTableLoaded) FreeToolShapeBuffers();
    FreeArrays();
    int count = g_MaxMagazine + 1;
    if (count < 1) count = 1;
    g_ToolTable = (ToolRecord*)std::calloc((size_t)count, sizeof(ToolRecord));
    g_ToolLengthTable = (ToolLengthRecord*)std::calloc((size_t)count, sizeof(ToolLengthRecord));
    g_ArborTable = (ArborRecord*)std::calloc((size_t)count, sizeof(ArborRecord));
    g_ToolOptFeedTable = (ToolOptFeedRecord*)std::calloc((size_t)count, sizeof(ToolOptFeedRecord));
    g_ToolLimitTable = (ToolLimitRecord*)std::calloc((size_t)count, sizeof(ToolLimitRecord));
    g_ToolLengths = (float*)std::calloc((size_t)count, sizeof(float));
    g_ToolPenTable = (int32_t*)std::calloc((size_t)count, sizeof(int32_t));
    g_ToolUsedFlags = (unsigned char*)std::calloc((size_t)count, 1);
    if (!g_ToolTable || !g_ToolLengthTable || !g_ArborTable || !g_ToolOptFeedTable || !g_ToolLimitTable ||
        !g_ToolLengths || !g_ToolPenTable || !g_ToolUsedFlags) {
        FreeArrays();
        return;
    }
    g_ToolArrayCapacity = count;
    ResetToolRecords();
}

void FreeToolShapeBuffers() {
    for (int i = 0; i < g_ToolArrayCapacity; i++) {
        ToolRecord& t = g_ToolTable[i];
        std::free(t.name);
        std::free(t.shapeFile);
        t.name = t.shapeFile = nullptr;
        std::free(t.dxfSegments);
        t.dxfSegments = nullptr;
        t.dxfSegmentCount = t.dxfSegmentsUsed = 0;
    }
    // The current tool shares the heap fields of the record it was copied from.
    g_CurrentTool.name = g_CurrentTool.shapeFile = nullptr;
    g_CurrentTool.dxfSegments = nullptr;
    g_CurrentTool.dxfSegmentCount = g_CurrentTool.dxfSegmentsUsed = 0;
    std::free(g_ToolBodyFacets);
    g_ToolBodyFacets = nullptr;
    g_ToolBodyFacetCount = 0;
}

void FreeToolArrays() {
    FreeToolShapeBuffers();
    FreeArrays();
    g_ToolTableLoaded = 0;
}

int HasPercentBeforeComma(const char* text) {
    const char* percent = std::strchr(text, '%');
    if (!percent) return 0;
    const char* comma = std::strchr(text, ',');
    return !comma || percent < comma;
}

void ComputeGeneralToolDimensions(float d, float r, float alpha, float beta, float h, float* topDiameter) {
    const double rad = M_PI / 180.0;
    double lower, upper;
    const double half = (alpha + beta) / 2.0 + 45.0;
    const double tanHalf = half == 45.0 ? 1.0 : std::tan(half * rad);
    lower = 2.0 * (std::sin(beta * rad) * r / tanHalf + d / 2.0);
    if (alpha == 45.0f && beta == 45.0f) {
        upper = 2.0 * h;
    } else {
        const double tanAlpha = alpha == 45.0f ? 1.0 : std::tan(alpha * rad);
        const double tanBeta = beta == 45.0f ? 1.0 : std::tan(beta * rad);
        upper = 2.0 * ((h - tanAlpha * d / 2.0) * tanBeta + d / 2.0);
    }
    double top = *topDiameter;
    if (top < lower) top = lower;
    if (top > upper) top = upper;
    *topDiameter = (float)top;
}

int ReadToolTableFile() {
    g_ToolTableMessage[0] = 0;
    if (!g_ToolTable) AllocateToolArrays();
    ClearLayoutTables();
    if (g_ToolTableLoaded) FreeToolShapeBuffers();
    g_ToolTableLoaded = 1;
    ResetToolRecords();
    g_ArborFileStatus = 0;
    g_ToolBodyFacetCount = 0;
    g_SavedState.spindleToolNumber = -1;
    ResetToolNumbers();
    g_SpindleToolNumber = g_SelectedToolNumber;
    if (!GetFileLastWriteTime(g_ToolTableFilePath, &g_ToolTableFileTime)) ClearFileTime(&g_ToolTableFileTime);
    FILE* file = g_ToolTable ? OpenFile(g_ToolTableFilePath, "r") : nullptr;
    if (!file) {
        g_ToolTableStatus = -1;
        return -1;
    }
    g_ToolTableStatus = 1;
    g_DefaultArbor.used = 0;
    ToolTableReadState state;
    state.dxfScratch = nullptr;
    ReadToolLines(file, &state);
    std::fclose(file);
    FinishToolRecords();
    AllocToolProfileBuffers();
    BuildEveryToolOnce();
    ApplyToolBasePoint();
    if (g_CmdToolNumber > 0) g_SpindleToolNumber = g_SelectedToolNumber = g_CmdToolNumber;
    SelectCurrentTool(g_SpindleToolNumber, g_WorkPitch);
    g_ToolPanelPage = 0;
    g_KeepPluginTool = 0;
    if (g_ToolBodyFacetCount > 0 && !g_MeshCutListsAllocated && g_WorkDefined) AllocateMeshCutLists();
    std::free(state.dxfScratch);
    return 1;
}

namespace {
// The program start values of the tool numbers are the reset values: their definitions leave them to
// this call, so each default is written once.
[[maybe_unused]] const int kStartValuesSet = (ResetToolNumbers(), 1);
}  // namespace
