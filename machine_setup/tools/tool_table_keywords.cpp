// The keywords of a tool line: shapes (CUTTER to IMPORT), lengths, holders, shift, pen, limits,
// feed optimisation and LAYOUT1, each applied to the tool of the last MAGAZINE line. The line loop,
// the reset and the end-of-file pass are in tool_table.cpp.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/ui/shell_services.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/settings/token_readers.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/tools/tool_table.h"
#include "machine_setup/tools/tool_table_keywords.h"
#include "machine_setup/tools/tool_body.h"
#include "platform/os/paths.h"
#include "work_model/file_routines.h"

namespace {

constexpr double DEG = M_PI / 180.0;

// tan of an angle in degrees, exactly 1 at 45 degrees.
double TanDeg(double degrees) { return degrees == 45.0 ? 1.0 : std::tan(degrees * DEG); }

// The scan position of a line and the tool it applies to.
struct LineScan {
    const char* line;
    int length;
    int position;  // reading position
    ToolRecord* tool;
    int n;
};

float NextFloat(LineScan* s) {
    float v = 0;
    ReadNextFloat(&s->position, s->line, &v);
    return v;
}
float CommaFloat(LineScan* s) {
    float v = 0;
    ReadFloatAfterComma(&s->position, s->line, &v);
    return v;
}
double CommaDouble(LineScan* s) {
    double v = 0;
    ReadNumberAfterComma(&s->position, s->line, &v);
    return v;
}
float SemicolonFloat(LineScan* s) {
    float v = -1;
    ReadNumberAfterSemicolon(&s->position, s->line, &v);
    return v;
}
void ReadName(LineScan* s) { ReadQuotedOrWord(&s->position, s->line, &s->tool->name); }

int TruncateToInt(double v) {
    if (!(v > -2e9 && v < 2e9)) return v > 0 ? 2000000000 : (v < 0 ? -2000000000 : 0);
    return (int)v;
}

void ClearAngles(ToolRecord* t) {
    t->bottomAngle = t->sideAngle = 0;
    t->tipFlatDiameter = 0;
    t->verticalInset = 0;
}

int NameBeginsWith(const char* name, const char* prefix) {
    if (!name) return 0;
    for (; *prefix; prefix++, name++) {
        if (std::toupper((unsigned char)*name) != *prefix) return 0;
    }
    return 1;
}

int ClassifyCutter(const ToolRecord* t) {
    const float d = t->diameter, r = t->cornerRadius, alpha = t->bottomAngle, beta = t->sideAngle;
    if (d == 2 * r && alpha == 0 && beta == 0) return TOOL_BALL;
    if (d > 0) {
        if (r == 0 && alpha == 0 && beta == 0) return TOOL_FLAT;
        if (r > 0 && alpha == 0 && beta == 0) return TOOL_BULL;
        if (r <= 0) return TOOL_GENERAL;
    }
    if (r > 0 && r == t->cornerCentreHeight && t->cornerCentreRadius == 0 && alpha == 0 && beta > 0) {
        double b = beta * DEG;
        double taper = 2.0 * r * (std::sin(b) * std::tan(b) - std::tan(b) + std::cos(b));
        if (std::fabs(d - taper) < 1e-5) return TOOL_TAPER_BALL;
    }
    return TOOL_GENERAL;
}

void ApplyCutter(LineScan* s) {
    ToolRecord* t = s->tool;
    t->diameter = NextFloat(s);
    t->cornerRadius = CommaFloat(s);
    t->cornerCentreRadius = CommaFloat(s);
    t->cornerCentreHeight = CommaFloat(s);
    t->bottomAngle = CommaFloat(s);
    t->tipFlatDiameter = 0;
    if (t->bottomAngle > 0) {
        float x = SemicolonFloat(s);
        t->tipFlatDiameter = x > 0 ? x : 0;
    }
    t->sideAngle = CommaFloat(s);
    t->topDiameter = 0;
    if (t->sideAngle > 0) {
        float y = SemicolonFloat(s);
        t->topDiameter = y > 0 ? y : 0;
    }
    t->cuttingLength = CommaFloat(s);
    ReadName(s);
    t->verticalInset = 0;
    t->readCuttingLength = t->cuttingLength;
    if (t->topDiameter > 0)
        ComputeGeneralToolDimensions(t->diameter, t->cornerRadius, t->bottomAngle, t->sideAngle,
                                     t->cuttingLength, &t->topDiameter);
    t->type = ClassifyCutter(t);
}

void ApplyDrill(LineScan* s) {
    ToolRecord* t = s->tool;
    t->diameter = NextFloat(s);
    float alpha = CommaFloat(s);
    t->cuttingLength = CommaFloat(s);
    ReadName(s);
    ClearAngles(t);
    t->bottomAngle = alpha;
    t->cornerRadius = 0;
    t->cornerCentreRadius = t->diameter / 2;
    t->cornerCentreHeight = (float)(TanDeg(alpha) * t->diameter / 2);
    t->type = TOOL_GENERAL;
    if (!t->name) {
        const char* text = g_EnglishUi ? "Drill" : "\xE3\x83\x89\xE3\x83\xAA\xE3\x83\xAB";
        t->name = (char*)std::malloc(std::strlen(text) + 1);
        if (t->name) std::strcpy(t->name, text);
    }
}

// BALL, FLAT and KEGAKI: d, h, "name".
void ApplyDiameterLength(LineScan* s, int type) {
    ToolRecord* t = s->tool;
    t->diameter = NextFloat(s);
    t->cuttingLength = CommaFloat(s);
    ReadName(s);
    ClearAngles(t);
    if (type == TOOL_BALL) {
        t->cornerRadius = t->diameter / 2;
        t->cornerCentreRadius = 0;
        t->cornerCentreHeight = t->diameter / 2;
    } else {
        t->cornerRadius = t->cornerCentreRadius = t->cornerCentreHeight = 0;
    }
    if (type == TOOL_FLAT && NameBeginsWith(t->name, "KEGAKI")) type = TOOL_SCRIBING;
    t->type = type;
}

void ApplyBull(LineScan* s) {
    ToolRecord* t = s->tool;
    t->diameter = NextFloat(s);
    t->cornerRadius = CommaFloat(s);
    t->cuttingLength = CommaFloat(s);
    ReadName(s);
    ClearAngles(t);
    const float r = t->cornerRadius;
    if (r > 0) {
        t->type = TOOL_BULL;
        t->cornerCentreRadius = t->diameter / 2 - r;
        t->cornerCentreHeight = r;
    } else if (r == 0) {
        t->type = TOOL_FLAT;
        t->cornerCentreRadius = t->cornerCentreHeight = 0;
    } else {
        t->type = TOOL_GENERAL;
        t->cornerCentreRadius = 0;
        t->cornerCentreHeight = -r;
    }
}

void ApplyTaperBall(LineScan* s) {
    ToolRecord* t = s->tool;
    t->cornerRadius = NextFloat(s);
    t->sideAngle = CommaFloat(s);
    float y = SemicolonFloat(s);
    t->cuttingLength = CommaFloat(s);
    ReadName(s);
    const double b = t->sideAngle * DEG;
    const double r = t->cornerRadius;
    t->diameter = (float)(2 * r * (std::sin(b) * std::tan(b) - std::tan(b) + std::cos(b)));
    t->cornerCentreRadius = t->cornerCentreHeight = t->bottomAngle = 0;
    t->tipFlatDiameter = 0;
    t->verticalInset = 0;
    t->readCuttingLength = t->cuttingLength;
    t->topDiameter = y > 0 ? y : 0;
    if (t->topDiameter > 0)
        ComputeGeneralToolDimensions(t->diameter, t->cornerRadius, t->bottomAngle, t->sideAngle,
                                     t->cuttingLength, &t->topDiameter);
    t->type = TOOL_TAPER_BALL;
}

void ApplyVertical(LineScan* s) {
    ToolRecord* t = s->tool;
    t->diameter = NextFloat(s);
    float w = CommaFloat(s);
    t->cuttingLength = CommaFloat(s);
    ReadName(s);
    ClearAngles(t);
    t->verticalInset = w;
    t->cornerRadius = t->cornerCentreRadius = t->cornerCentreHeight = 0;
    t->type = TOOL_VERTICAL;
}

void ApplyOval(LineScan* s, int withRadius) {
    ToolRecord* t = s->tool;
    t->diameter = NextFloat(s);
    t->cornerCentreHeight = CommaFloat(s);
    t->cornerCentreRadius = CommaFloat(s);
    t->cornerRadius = withRadius ? CommaFloat(s) : 0;
    t->cuttingLength = CommaFloat(s);
    ReadName(s);
    ClearAngles(t);
    t->type = TOOL_OVAL;
}

void ApplyTSlot(LineScan* s) {
    ToolRecord* t = s->tool;
    t->diameter = NextFloat(s);
    float y = SemicolonFloat(s);
    t->topDiameter = y > 0 ? y : 0;
    t->headLength = CommaFloat(s);
    t->cornerRadius = CommaFloat(s);
    t->secondRadius = CommaFloat(s);
    t->neckDiameter = CommaFloat(s);
    ReadName(s);
    t->cuttingLength = t->headLength;
    ClearAngles(t);
    t->type = TOOL_T_SLOT;
    ToolRecord copy = *t;
    ToolCutGeometry slot;
    std::memset(&slot, 0, sizeof(slot));
    ComputeTaperGeometryInto(&copy, &slot);
    if (slot.slotSideLength < 0) t->cornerRadius = t->secondRadius = 0;
}

void ApplySphere(LineScan* s) {
    ToolRecord* t = s->tool;
    t->diameter = NextFloat(s);
    t->neckDiameter = CommaFloat(s);
    ReadName(s);
    t->cuttingLength = 5 * t->diameter;
    t->type = TOOL_SPHERE;
}

void ApplyRadius(LineScan* s) {
    ToolRecord* t = s->tool;
    t->diameter = NextFloat(s);
    t->cornerRadius = CommaFloat(s);
    t->cornerCentreHeight = CommaFloat(s);
    ReadName(s);
    t->cornerCentreRadius = (float)ComputeBullNoseOffset(t->diameter, t->cornerRadius, t->cornerCentreHeight);
    t->cuttingLength = t->cornerRadius;
    ClearAngles(t);
    t->type = TOOL_RADIUS;
}

// Opens the DXF as written, or, for a relative name that cannot be opened, beside the tool table.
int ReadDxfBesideTable(const char* file, int* count, DxfProfileSegment* scratch, double extents[2]) {
    int result = ReadDxfToolProfile(file, count, scratch, extents);
    if (result != DXF_READ_CANNOT_OPEN || IsAbsolutePath(file)) return result;
    char folder[256];
    if (!GetDriveAndDirectory(g_ToolTableFilePath, folder, sizeof(folder)) || folder[0] == 0) return result;
    char joined[512];
    if (std::snprintf(joined, sizeof(joined), "%s%s", folder, file) >= (int)sizeof(joined)) return result;
    return ReadDxfToolProfile(joined, count, scratch, extents);
}

void StoreDxfOutline(ToolRecord* t, int n, const DxfProfileSegment* scratch, int count,
                     const double extents[2]) {
    DxfProfileSegment* segments = (DxfProfileSegment*)std::malloc(sizeof(DxfProfileSegment) * (size_t)count);
    if (!segments) {
        AddToolTableMessage("out of memory for a DXF outline");
        return;
    }
    std::memcpy(segments, scratch, sizeof(DxfProfileSegment) * (size_t)count);
    if (t->dxfSegments) std::free(t->dxfSegments);
    t->dxfSegments = segments;
    t->dxfSegmentCount = t->dxfSegmentsUsed = count;
    t->dxfExtents[0] = extents[0];
    t->dxfExtents[1] = extents[1];
    t->type = TOOL_DXF;
    ClassifyDxfProfileSegments(count, t->dxfClassStart, segments);
    int scanEnd = 0;
    float d = 0, r = 0, h = 0, l6 = 0, l1 = 0, hd = 0, hl = 0;
    AnalyseDxfToolProfile(count, t->dxfClassStart, &scanEnd, segments, &d, &r, &h, &l6, &l1, &hd, &hl);
    t->diameter = d;
    t->cornerRadius = r;
    t->cuttingLength = h;
    g_ToolLengthTable[n].lengths[0] = l1;
    g_ToolLengthTable[n].lengths[5] = l6;
    if (hl > 0) {
        g_ArborTable[n].diameters[0] = hd;
        g_ArborTable[n].lengths[0] = hl;
    }
    char title[TOOL_NAME_MAX + 1];
    if (!GetFileNamePart(t->shapeFile, 1, title, sizeof(title))) {
        std::snprintf(title, sizeof(title), "%.*s", TOOL_NAME_MAX, t->shapeFile);
    }
    std::free(t->name);
    t->name = (char*)std::malloc(std::strlen(title) + 1);
    if (t->name) std::strcpy(t->name, title);
}

void ApplyImportTool(LineScan* s, ToolTableReadState* state) {
    ToolRecord* t = s->tool;
    ReadQuotedOrWord(&s->position, s->line, &t->shapeFile);
    t->diameter = t->cuttingLength = 10;
    t->cornerRadius = t->cornerCentreRadius = t->cornerCentreHeight = 0;
    ClearAngles(t);
    if (!t->shapeFile) {
        AddToolTableMessage("IMPORT-TOOL without a quoted DXF file name");
        return;
    }
    if (!state->dxfScratch) {
        state->dxfScratch = (DxfProfileSegment*)std::calloc(DXF_MAX_SEGMENTS, sizeof(DxfProfileSegment));
        if (!state->dxfScratch) {
            AddToolTableMessage("out of memory for the DXF reader");
            return;
        }
    }
    int count = 0;
    double extents[2] = {0, 0};
    int result = ReadDxfBesideTable(t->shapeFile, &count, state->dxfScratch, extents);
    if (count > 0) {
        StoreDxfOutline(t, s->n, state->dxfScratch, count, extents);
        return;
    }
    char text[400];
    std::snprintf(text, sizeof(text), "tool %d: DXF file %.200s: %s", s->n, t->shapeFile,
                  GetDxfReadResultText(result));
    AddToolTableMessage(text);
}

void ApplyImport(LineScan* s) {
    ToolRecord* t = s->tool;
    ReadName(s);
    double v = 0;
    ReadNextNumber(&s->position, s->line, &v);
    t->bodyPlacement[0] = v;
    t->bodyPlacement[1] = CommaDouble(s);
    t->bodyPlacement[2] = CommaDouble(s);
    t->neckDiameter = CommaFloat(s);
    t->cornerRadius = t->cornerCentreRadius = t->cornerCentreHeight = 0;
    ClearAngles(t);
    t->type = TOOL_STL;
    if (!LoadToolBody(t, 0)) {
        char text[400];
        std::snprintf(text, sizeof(text), "tool %d: STL file %.200s cannot be read", s->n,
                      t->name ? t->name : "");
        AddToolTableMessage(text);
        return;
    }
    const double (*box)[3] = g_ToolBodyBox;
    t->diameter = float(((box[1][0] - box[0][0]) + (box[1][1] - box[0][1])) / 2.0);
    t->cuttingLength = float(box[1][2] - box[0][2]);
}

// LENGTH lines: the kind is set unless the tool is a scribing tool; a DXF outline is then used up to
// its shank.
void SetLengthKind(LineScan* s, int kind) {
    ToolRecord* t = s->tool;
    if (t->type != TOOL_SCRIBING) g_ToolLengthTable[s->n].kind = kind;
    if (t->type == TOOL_DXF && t->dxfClassStart[1] > 0) t->dxfSegmentsUsed = t->dxfClassStart[1];
}

void ApplyLength(LineScan* s, int keyword) {
    ToolLengthRecord* l = &g_ToolLengthTable[s->n];
    ToolRecord* t = s->tool;
    const int type = t->type;
    l->lengths[0] = NextFloat(s);
    if (keyword == 1) {  // LENGTH
        float sv = SemicolonFloat(s);
        l->semicolonValue = sv;
        if (sv >= 0) l->lengths[5] = t->diameter;
        SetLengthKind(s, LENGTH_ONE);
        return;
    }
    const int withSemicolon = keyword == 2 || keyword == 3;
    float sv = withSemicolon ? SemicolonFloat(s) : -1;
    l->lengths[1] = CommaFloat(s);
    if (withSemicolon) {
        float sv2 = SemicolonFloat(s);
        if (sv2 >= 0) sv = sv2;
    }
    l->lengths[2] = CommaFloat(s);
    const int three = keyword == 3 || keyword == 13;
    if (three) {
        l->lengths[3] = CommaFloat(s);
        l->lengths[4] = CommaFloat(s);
    }
    l->lengths[5] = CommaFloat(s);
    l->semicolonValue = sv;
    int kind = keyword;
    if (keyword == 12) {
        kind = (type == TOOL_VERTICAL || type == TOOL_SPHERE || type == TOOL_RADIUS) ? LENGTH_TWO : LENGTH_TWO_A;
        if (l->lengths[1] + l->lengths[2] > t->cuttingLength) t->cuttingLength = l->lengths[1] + l->lengths[2];
    } else if (keyword == 13) {
        kind = (type == TOOL_VERTICAL || type == TOOL_T_SLOT || type == TOOL_SPHERE || type == TOOL_RADIUS)
                   ? LENGTH_THREE
                   : LENGTH_THREE_A;
    }
    SetLengthKind(s, kind);
}

// The scan goes on after the keyword (the values are numbers, which hold no keyword).
void ApplyArbor(LineScan* s, int kind) {
    ArborRecord* a = &g_ArborTable[s->n];
    const int wasUsed = a->used;
    ParseArborValues(s->line, s->position, kind, a);
    if (s->tool->type == TOOL_SCRIBING) a->used = wasUsed;
}

void ApplyAtl(LineScan* s) {
    char name[256];
    if (!ReadAtlFileName(s->line, s->position, name, sizeof(name))) {
        char text[128];
        std::snprintf(text, sizeof(text), "tool %d: ATL file name missing or too long", s->n);
        AddToolTableMessage(text);
        return;
    }
    ReadArborFile(name, &g_ArborTable[s->n]);
}

void ApplyPen(LineScan* s) {
    double v = 0;
    ReadNextNumber(&s->position, s->line, &v);
    int pen = TruncateToInt(v);
    if (pen < 1) pen = 0;
    if (pen > 15) pen = 15;
    g_ToolPenTable[s->n] = pen;
}

// A limit value: a percentage of the cross-section when a "%" follows it before the next ",".
float LimitValue(const LineScan* s, float value) {
    if (!HasPercentBeforeComma(s->line + s->position)) return value;
    const double d = s->tool->diameter;
    return (float)(d * value * d / 400.0 * M_PI);
}

void ApplyLimit(LineScan* s, int kind) {
    ToolLimitRecord* l = &g_ToolLimitTable[s->n];
    const int p = s->position;  // behind the keyword
    const int logged = p < s->length && (s->line[p] == 'P' || s->line[p] == 'p');
    l->kind = logged ? kind + 10 : kind;
    float x = NextFloat(s);
    l->limits[0] = LimitValue(s, x);
    if (!std::strchr(s->line + s->position, ',')) {
        l->limits[1] = l->limits[2] = l->limits[3] = l->limits[0];
        return;
    }
    for (int i = 1; i < 4; i++) {
        int before = s->position;
        x = CommaFloat(s);
        l->limits[i] = s->position != before ? LimitValue(s, x) : x;
    }
}

void ApplyOptFeed(LineScan* s) {
    ToolOptFeedRecord* o = &g_ToolOptFeedTable[s->n];
    int select = s->position + 1;  // "OPT-F", one separator, then the set letter
    int set = 0;
    if (select < s->length) {
        int c = std::toupper((unsigned char)s->line[select]);
        set = c == 'D' ? 3 : c == 'U' ? 2 : c == 'V' ? 1 : 0;
        s->position = select;
    }
    o->used[set] = 1;
    o->pairCount[set] = 0;
    o->feeds[set][0] = NextFloat(s);
    for (int k = 0; k < 19; k++) {
        float threshold = CommaFloat(s);
        if (threshold == 0) break;
        float feed = CommaFloat(s);
        if (feed == 0) break;
        o->thresholds[set][k] = threshold;
        o->feeds[set][k + 1] = feed;
        o->pairCount[set]++;
    }
}

void ApplyLayout(LineScan* s) {
    double p[3] = {0, 0, 0};
    ReadNextNumber(&s->position, s->line, &p[0]);
    p[1] = CommaDouble(s);
    p[2] = CommaDouble(s);
    const int n = s->n;
    if (n >= TOOL_LAYOUT_SLOTS) {
        char text[128];
        std::snprintf(text, sizeof(text), "tool %d: LAYOUT1 ignored (tool numbers up to %d only)", n,
                      TOOL_LAYOUT_SLOTS - 1);
        AddToolTableMessage(text);
        return;
    }
    for (int k = 0; k < 3; k++) g_ToolLayoutPositions[n][k] = p[k];
    if (g_ToolLayoutFlags[n]) return;  // a second LAYOUT1 line moves the tool, it is listed once
    if (g_MountedToolCount >= MAX_MOUNTED_TOOLS) {
        AddToolTableMessage("LAYOUT1: mounted-tool list full");
        return;
    }
    g_ToolLayoutFlags[n] = 1;
    g_MountedTools[g_MountedToolCount++] = n;
}

enum KeywordCode {
    KW_CUTTER, KW_DRILL, KW_BALL, KW_FLAT, KW_BULL, KW_KEGAKI, KW_TAPERBALL, KW_VERTICAL, KW_OVALR, KW_OVAL,
    KW_TTHROW, KW_SPHERE, KW_RADIUS, KW_IMPORT_TOOL, KW_IMPORT,
    KW_LENGTH2A, KW_LENGTH2, KW_LENGTH3A, KW_LENGTH3, KW_LENGTH, KW_ARBOR3, KW_ARBOR2, KW_ARBOR, KW_ATL,
    KW_SHIFT, KW_PEN, KW_LIMITS, KW_LIMIT, KW_OPTF, KW_LAYOUT1, KW_NAME, KW_COUNT
};
const int FIRST_NON_SHAPE = KW_LENGTH2A;

const char* const KEYWORDS[KW_COUNT] = {
    "CUTTER", "DRILL", "BALL", "FLAT", "BULL", "KEGAKI", "TAPERBALL", "VERTICAL", "OVALR", "OVAL",
    "T-THROW", "SPHERE", "RADIUS", "IMPORT-TOOL", "IMPORT",
    "LENGTH2A", "LENGTH2", "LENGTH3A", "LENGTH3", "LENGTH", "ARBOR3", "ARBOR2", "ARBOR", "ATL",
    "SHIFT", "PEN", "LIMITS", "LIMIT", "OPT-F", "LAYOUT1", "NAME="};

int MatchesAt(const char* line, int position, const char* keyword) {
    for (int i = 0; keyword[i]; i++) {
        if (std::toupper((unsigned char)line[position + i]) != keyword[i]) return 0;
    }
    return 1;
}

// Applies keyword k whose text starts at s->position. Returns 0 when the rest of the line is skipped.
int ApplyKeyword(LineScan* s, int k, ToolTableReadState* state) {
    const int length = (int)std::strlen(KEYWORDS[k]);
    s->position += length;
    switch (k) {
    case KW_CUTTER: ApplyCutter(s); break;
    case KW_DRILL: ApplyDrill(s); break;
    case KW_BALL: ApplyDiameterLength(s, TOOL_BALL); break;
    case KW_FLAT: ApplyDiameterLength(s, TOOL_FLAT); break;
    case KW_BULL: ApplyBull(s); break;
    case KW_KEGAKI: ApplyDiameterLength(s, TOOL_SCRIBING); break;
    case KW_TAPERBALL: ApplyTaperBall(s); break;
    case KW_VERTICAL: ApplyVertical(s); break;
    case KW_OVALR: ApplyOval(s, 1); break;
    case KW_OVAL: ApplyOval(s, 0); break;
    case KW_TTHROW: ApplyTSlot(s); break;
    case KW_SPHERE: ApplySphere(s); break;
    case KW_RADIUS: ApplyRadius(s); break;
    case KW_IMPORT_TOOL: ApplyImportTool(s, state); break;
    case KW_IMPORT: ApplyImport(s); break;
    case KW_LENGTH2A: ApplyLength(s, 12); break;
    case KW_LENGTH2: ApplyLength(s, 2); break;
    case KW_LENGTH3A: ApplyLength(s, 13); break;
    case KW_LENGTH3: ApplyLength(s, 3); break;
    case KW_LENGTH: ApplyLength(s, 1); break;
    case KW_ARBOR3: ApplyArbor(s, ARBOR_KIND_SECTIONS); break;
    case KW_ARBOR2: ApplyArbor(s, ARBOR_KIND_TAPERS); break;
    case KW_ARBOR: ApplyArbor(s, ARBOR_KIND_STEPS); break;
    case KW_ATL: ApplyAtl(s); return 0;
    case KW_SHIFT: g_ToolLengths[s->n] = NextFloat(s); break;
    case KW_PEN: ApplyPen(s); break;
    case KW_LIMITS: ApplyLimit(s, LIMIT_S); break;
    case KW_LIMIT: ApplyLimit(s, LIMIT_PLAIN); break;
    case KW_OPTF: ApplyOptFeed(s); break;
    case KW_LAYOUT1: ApplyLayout(s); break;
    case KW_NAME: return 0;
    default: break;
    }
    return 1;
}

int IsScanStop(int c) { return std::isalpha(c) || c == '(' || c == '\n'; }

}  // namespace

void AddToolTableMessage(const char* text) {
    size_t used = std::strlen(g_ToolTableMessage);
    if (used + 3 >= sizeof(g_ToolTableMessage)) return;
    std::snprintf(g_ToolTableMessage + used, sizeof(g_ToolTableMessage) - used, "%s%s",
                  used ? "; " : "", text);
}

int ReadAtlFileName(const char* line, int position, char* out, int outSize) {
    out[0] = 0;
    const int length = (int)std::strlen(line);
    int p = position < length ? position : length;
    while (p < length) {
        unsigned char c = (unsigned char)line[p];
        if (c == ' ' || c == '\t' || c == '=') { p++; continue; }
        if (c == 0x81 && (unsigned char)line[p + 1] == 0x40) { p += 2; continue; }
        if (c == 0xE3 && (unsigned char)line[p + 1] == 0x80 && (unsigned char)line[p + 2] == 0x80) {
            p += 3;  // the full-width blank in UTF-8
            continue;
        }
        break;
    }
    int end = length;
    while (end > p && (line[end - 1] == '\n' || line[end - 1] == '\r')) end--;
    const int nameLength = end - p;
    if (nameLength <= 0 || nameLength >= outSize) return 0;
    std::memcpy(out, line + p, (size_t)nameLength);
    out[nameLength] = 0;
    return 1;
}

void ScanToolLine(const char* line, int start, int n, ToolTableReadState* state) {
    LineScan s;
    s.line = line;
    s.length = (int)std::strlen(line);
    s.tool = &g_ToolTable[n];
    s.n = n;
    if (start >= s.length) return;
    s.position = start;
    SkipBlanksAndEquals(&s.position, line);
    int shapeMatched = 0;
    while (s.position < s.length) {
        const int here = s.position;
        int matched = -1;
        for (int k = shapeMatched ? FIRST_NON_SHAPE : 0; k < KW_COUNT && matched < 0; k++) {
            if (MatchesAt(line, here, KEYWORDS[k])) matched = k;
        }
        if (matched >= 0) {
            if (matched < FIRST_NON_SHAPE) shapeMatched = 1;
            if (!ApplyKeyword(&s, matched, state)) return;
            if (s.position <= here) s.position = here + 1;
        } else {
            s.position = here + 1;
        }
        if (s.position > s.length) return;
        while (s.position < s.length && !IsScanStop((unsigned char)line[s.position])) s.position++;
        if (s.position >= s.length - 1 || line[s.position] == '\n') return;
    }
}
