// DXF tool outlines: reading LINE, ARC and LTYPE entries of a DXF file, moving and chaining the outline
// from the tip, sorting the chain into cutting part, shank and holder, and measuring the tool from it.
// The tool table stores the result; the tool profile turns it into points.
#include "machine_setup/tools/dxf_outline.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "machine_setup/settings/token_readers.h"
#include "platform/os/files.h"
#include "work_model/file_routines.h"

namespace {

constexpr int DXF_LINE_SIZE = 256;
constexpr double CHAIN_TOLERANCE = 0.0001;

enum DxfMode { MODE_NONE, MODE_LINE, MODE_ARC, MODE_LTYPE };

struct LineTypeTable {
    char names[DXF_MAX_LINE_TYPES][DXF_LINE_SIZE];
    int dashCounts[DXF_MAX_LINE_TYPES];
    int count;
    char pendingName[DXF_LINE_SIZE];  // group 2 of the entry being read
};

// Reads one line of at most DXF_LINE_SIZE - 1 bytes; the rest of a longer line is skipped.
// Returns 0 at the end of the file.
int ReadDxfLine(FILE* file, char* line) {
    if (!std::fgets(line, DXF_LINE_SIZE, file)) return 0;
    size_t length = std::strlen(line);
    if (length > 0 && line[length - 1] != '\n') {
        int c;
        while ((c = std::fgetc(file)) != EOF && c != '\n') {
        }
    }
    return 1;
}

// Removes trailing line-end characters and blanks.
void TrimLineEnd(char* text) {
    size_t length = std::strlen(text);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' ' ||
                          text[length - 1] == '\t'))
        text[--length] = 0;
}

// The group code of a code line: 1 and *code, or 0 when the line holds no integer.
int ParseGroupCode(const char* line, int* code) {
    char* end = nullptr;
    long value = std::strtol(line, &end, 10);
    if (end == line) return 0;
    while (*end == ' ' || *end == '\t' || *end == '\r' || *end == '\n') end++;
    if (*end != 0 || value < -100000 || value > 100000) return 0;
    *code = (int)value;
    return 1;
}

int StartsWithNoCase(const char* text, const char* keyword) {
    size_t n = std::strlen(keyword);
    for (size_t i = 0; i < n; i++) {
        if (std::toupper((unsigned char)text[i]) != keyword[i]) return 0;
    }
    return 1;
}

int EqualNoCase(const char* a, const char* b) {
    if (std::strlen(a) != std::strlen(b)) return 0;
    for (; *a; a++, b++) {
        if (std::toupper((unsigned char)*a) != std::toupper((unsigned char)*b)) return 0;
    }
    return 1;
}

void LookUpLineType(const LineTypeTable& table, const char* name, DxfProfileSegment* segment) {
    segment->lineTypeIndex = 0;
    segment->lineTypeDashCount = 0;
    if (name[0] == 0) return;
    for (int i = 0; i < table.count; i++) {
        if (EqualNoCase(table.names[i], name)) {
            segment->lineTypeIndex = i;
            segment->lineTypeDashCount = table.dashCounts[i];
            return;
        }
    }
}

// Single precision, clamped so that absurd values stay finite.
double ToSingle(double value) {
    if (!(value > -1e30)) return -1e30;
    if (!(value < 1e30)) return 1e30;
    return (float)value;
}

void BeginSegment(DxfProfileSegment* segment) {
    std::memset(segment, 0, sizeof(*segment));
    segment->mark = -1;
}

// Arc end points from centre, radius and angles, rounded to single precision.
void CompleteArcPoints(DxfProfileSegment* s) {
    double c = 0, si = 0;
    AngleToCosSin(s->startAngle, &c, &si);
    s->startX = ToSingle(c * s->radius + s->centreX);
    s->startY = ToSingle(si * s->radius + s->centreY);
    AngleToCosSin(s->endAngle, &c, &si);
    s->endX = ToSingle(c * s->radius + s->centreX);
    s->endY = ToSingle(si * s->radius + s->centreY);
}

// The pair loop of the reader. Returns DXF_READ_OK or DXF_READ_MALFORMED; *count segments read.
int ReadDxfEntities(FILE* file, DxfProfileSegment* segments, int* count, LineTypeTable* table) {
    char codeLine[DXF_LINE_SIZE];
    char value[DXF_LINE_SIZE];
    char lineTypeName[DXF_LINE_SIZE] = "";
    int mode = MODE_NONE;
    *count = 0;
    while (*count < DXF_MAX_SEGMENTS && ReadDxfLine(file, codeLine)) {
        int code = 0;
        if (!ParseGroupCode(codeLine, &code)) {
            // Blank lines at the very end are tolerated; anything else is a broken file.
            TrimLineEnd(codeLine);
            if (codeLine[0] == 0 && !ReadDxfLine(file, value)) break;
            return DXF_READ_MALFORMED;
        }
        if (!ReadDxfLine(file, value)) return DXF_READ_MALFORMED;
        DxfProfileSegment* s = &segments[*count];
        if (mode == MODE_NONE) {
            if (code != 0) continue;
            if (StartsWithNoCase(value, "LTYPE")) {
                mode = MODE_LTYPE;
            } else if (StartsWithNoCase(value, "LINE")) {
                mode = MODE_LINE;
                lineTypeName[0] = 0;
                BeginSegment(s);
            } else if (StartsWithNoCase(value, "ARC")) {
                mode = MODE_ARC;
                lineTypeName[0] = 0;
                BeginSegment(s);
            }
            continue;
        }
        if (mode == MODE_LTYPE) {
            if (code == 2) {
                std::snprintf(table->pendingName, sizeof(table->pendingName), "%s", value);
                TrimLineEnd(table->pendingName);
            } else if (code == 73) {
                if (table->count < DXF_MAX_LINE_TYPES) {
                    std::memcpy(table->names[table->count], table->pendingName, DXF_LINE_SIZE);
                    table->dashCounts[table->count] = ConvertIntegerText(value);
                    table->count++;
                }
                mode = MODE_NONE;
            }
            continue;
        }
        double number = ConvertNumberText(value);
        if (code == 6) {
            std::snprintf(lineTypeName, sizeof(lineTypeName), "%s", value);
            TrimLineEnd(lineTypeName);
        } else if (code == 62) {
            s->colour = ConvertIntegerText(value);
        } else if (mode == MODE_LINE) {
            if (code == 10) s->startX = ToSingle(number);
            else if (code == 20) s->startY = ToSingle(number);
            else if (code == 11) s->endX = ToSingle(number);
            else if (code == 21) {
                s->endY = ToSingle(number);
                s->kind = 1;
                LookUpLineType(*table, lineTypeName, s);
                (*count)++;
                mode = MODE_NONE;
            }
        } else {  // MODE_ARC
            if (code == 10) s->centreX = number;
            else if (code == 20) s->centreY = number;
            else if (code == 40) s->radius = std::trunc(ToSingle(number) * 10000.0 + 1e-6) / 10000.0;
            else if (code == 50) { s->startAngle = number; SnapNearZeroAngle(&s->startAngle); }
            else if (code == 51) {
                s->endAngle = number;
                SnapNearZeroAngle(&s->endAngle);
                s->kind = 3;
                LookUpLineType(*table, lineTypeName, s);
                CompleteArcPoints(s);
                (*count)++;
                mode = MODE_NONE;
            }
        }
    }
    return DXF_READ_OK;
}

// Drops the axis line, then moves the outline so that its lowest-left corner is the origin.
int DropAxisAndMove(int count, DxfProfileSegment* segments, double extents[2]) {
    double minimum[2], maximum[2];
    ComputeDxfProfileBox(count, segments, minimum, maximum);
    int kept = 0;
    for (int i = 0; i < count; i++) {
        const DxfProfileSegment& s = segments[i];
        if (s.kind == 1 && s.startX == minimum[0] && s.endX == minimum[0]) continue;
        segments[kept++] = s;
    }
    if (kept == 0) return 0;
    ComputeDxfProfileBox(kept, segments, minimum, maximum);
    for (int i = 0; i < kept; i++) {
        DxfProfileSegment& s = segments[i];
        if (minimum[0] != 0) {
            s.startX -= minimum[0];
            s.endX -= minimum[0];
            if (s.kind != 1) s.centreX -= minimum[0];
        }
        if (minimum[1] != 0) {
            s.startY -= minimum[1];
            s.endY -= minimum[1];
            if (s.kind != 1) s.centreY -= minimum[1];
        }
    }
    ComputeDxfProfileBox(kept, segments, minimum, maximum);
    extents[0] = maximum[0];
    extents[1] = maximum[1];
    return kept;
}

int IsNear(double ax, double ay, double bx, double by) {
    return std::fabs(ax - bx) < CHAIN_TOLERANCE && std::fabs(ay - by) < CHAIN_TOLERANCE;
}

// Orders the segments into one chain from the lowest-left end of a continuous segment.
int ChainSegments(int count, DxfProfileSegment* segments) {
    double currentX = 1e8, currentY = 1e8;
    for (int i = 0; i < count; i++) {
        const DxfProfileSegment& s = segments[i];
        if (s.lineTypeDashCount != 0) continue;
        if (s.startX <= currentX && s.startY <= currentY) { currentX = s.startX; currentY = s.startY; }
        if (s.endX <= currentX && s.endY <= currentY) { currentX = s.endX; currentY = s.endY; }
    }
    int havePrevious = 0;
    double previousX = 0, previousY = 0;
    int placed = 0;
    while (placed < count) {
        int found = -1, reversed = 0;
        for (int i = placed; i < count && found < 0; i++) {
            const DxfProfileSegment& s = segments[i];
            if (IsNear(s.startX, s.startY, currentX, currentY) &&
                (!havePrevious || !IsNear(s.endX, s.endY, previousX, previousY))) {
                found = i;
            } else if (IsNear(s.endX, s.endY, currentX, currentY) &&
                       (!havePrevious || !IsNear(s.startX, s.startY, previousX, previousY))) {
                found = i;
                reversed = 1;
            }
        }
        if (found < 0) break;
        DxfProfileSegment s = segments[found];
        segments[found] = segments[placed];
        if (reversed) {
            double t = s.startX; s.startX = s.endX; s.endX = t;
            t = s.startY; s.startY = s.endY; s.endY = t;
            if (s.kind != 1) {
                t = s.startAngle; s.startAngle = s.endAngle; s.endAngle = t;
                s.kind = 2;
            }
        }
        s.mark = placed;
        segments[placed++] = s;
        havePrevious = 1;
        previousX = s.startX;
        previousY = s.startY;
        currentX = s.endX;
        currentY = s.endY;
    }
    return placed;
}

struct SegmentStyle {
    int lineTypeIndex, dashCount, colour;
};

int IsStyle(const DxfProfileSegment& s, const SegmentStyle* style) {
    return style && s.lineTypeIndex == style->lineTypeIndex && s.lineTypeDashCount == style->dashCount &&
           s.colour == style->colour;
}

}  // namespace

void ComputeDxfProfileBox(int count, const DxfProfileSegment* segments, double minimum[2],
                          double maximum[2]) {
    if (count <= 0) return;
    minimum[0] = minimum[1] = 1e9;
    maximum[0] = maximum[1] = -1e9;
    for (int i = 0; i < count; i++) {
        const DxfProfileSegment& s = segments[i];
        const double xs[2] = {s.startX, s.endX};
        const double ys[2] = {s.startY, s.endY};
        for (int k = 0; k < 2; k++) {
            if (xs[k] < minimum[0]) minimum[0] = xs[k];
            if (xs[k] > maximum[0]) maximum[0] = xs[k];
            if (ys[k] < minimum[1]) minimum[1] = ys[k];
            if (ys[k] > maximum[1]) maximum[1] = ys[k];
        }
    }
}

void AngleToCosSin(double angleDeg, double* cosine, double* sine) {
    if (angleDeg == 0 || angleDeg == 360 || angleDeg == -360) { *cosine = 1; *sine = 0; return; }
    if (angleDeg == 90 || angleDeg == -270) { *cosine = 0; *sine = 1; return; }
    if (angleDeg == -90 || angleDeg == 270) { *cosine = 0; *sine = -1; return; }
    if (angleDeg == 180 || angleDeg == -180) { *cosine = -1; *sine = 0; return; }
    double radians = angleDeg * M_PI / 180.0;
    *cosine = std::cos(radians);
    *sine = std::sin(radians);
}

int ReadDxfToolProfile(const char* fileName, int* segmentCount, DxfProfileSegment* scratch,
                       double extents[2]) {
    *segmentCount = 0;
    // Only a regular file: a pipe or terminal named by a tool table would wait for input forever.
    FILE* file = DoesFileExist(fileName) ? OpenFile(fileName, "r") : nullptr;
    if (!file) return DXF_READ_CANNOT_OPEN;
    LineTypeTable* table = (LineTypeTable*)std::calloc(1, sizeof(LineTypeTable));
    if (!table) {
        std::fclose(file);
        return DXF_READ_CANNOT_OPEN;
    }
    int count = 0;
    int result = ReadDxfEntities(file, scratch, &count, table);
    std::fclose(file);
    std::free(table);
    if (result != DXF_READ_OK) return result;
    if (count == 0) return DXF_READ_NO_SEGMENTS;
    count = DropAxisAndMove(count, scratch, extents);
    count = ChainSegments(count, scratch);
    *segmentCount = count;
    return count > 0 ? DXF_READ_OK : DXF_READ_NO_SEGMENTS;
}

const char* GetDxfReadResultText(int result) {
    switch (result) {
    case DXF_READ_OK: return "read";
    case DXF_READ_NO_SEGMENTS: return "no chained LINE or ARC from a continuous segment";
    case DXF_READ_CANNOT_OPEN: return "cannot be opened";
    case DXF_READ_MALFORMED: return "malformed group code";
    default: return "unknown result";
    }
}

void ClassifyDxfProfileSegments(int count, int classStart[3], DxfProfileSegment* segments) {
    SegmentStyle styles[3];
    int styleCount = 0, distinct = 0;
    for (int i = 0; i < count; i++) {
        int known = 0;
        for (int k = 0; k < styleCount; k++) known |= IsStyle(segments[i], &styles[k]);
        if (known) continue;
        distinct++;
        if (styleCount < 3)
            styles[styleCount++] = {segments[i].lineTypeIndex, segments[i].lineTypeDashCount, segments[i].colour};
    }
    const SegmentStyle* cutting = styleCount > 0 ? &styles[0] : nullptr;
    const SegmentStyle* shank = styleCount > 1 ? &styles[1] : nullptr;
    const SegmentStyle* holder = styleCount > 2 ? &styles[2] : nullptr;
    if (distinct == 2) {
        holder = nullptr;
        if (styles[0].dashCount != 0 && styles[0].dashCount != styles[1].dashCount) {
            cutting = &styles[1];
            shank = &styles[0];
        }
    }
    classStart[0] = classStart[1] = classStart[2] = -1;
    int state = 0;
    for (int i = 0; i < count; i++) {
        DxfProfileSegment& s = segments[i];
        int asHolder = IsStyle(s, holder);
        if (IsStyle(s, cutting)) {
            if (state < 2) {
                s.mark = DXF_CLASS_CUTTING;
                if (state == 0) { classStart[0] = i; state = 1; }
                continue;
            }
            if (i > 0 && i < count - 1 && IsStyle(segments[i - 1], shank) && IsStyle(segments[i + 1], shank)) {
                s.mark = DXF_CLASS_SHANK;
                continue;
            }
            asHolder = 1;
        } else if (IsStyle(s, shank)) {
            if (state == 1 || state == 2) {
                s.mark = DXF_CLASS_SHANK;
                if (state == 1) { classStart[1] = i; state = 2; }
            } else {
                s.mark = DXF_CLASS_NONE;
            }
            continue;
        }
        if (asHolder) {
            s.mark = DXF_CLASS_HOLDER;
            if (state == 2) classStart[2] = i;
            state = 3;
        } else {
            s.mark = DXF_CLASS_NONE;  // a fourth style
        }
    }
}

void AnalyseDxfToolProfile(int count, const int classStart[3], int* scanEnd,
                           const DxfProfileSegment* segments, float* diameter, float* cornerRadius,
                           float* cuttingLength, float* lengthL6, float* lengthL1,
                           float* holderDiameter0, float* holderLength0) {
    *diameter = *cornerRadius = *cuttingLength = *lengthL6 = *lengthL1 = 0;
    *holderDiameter0 = *holderLength0 = 0;
    *scanEnd = 0;
    if (count <= 0) return;
    int end = classStart[1] > 0 ? classStart[1] : count;
    *scanEnd = end;
    double maxX = 0, maxY = 0;
    int arcFound = 0;
    for (int i = 0; i < end; i++) {
        const DxfProfileSegment& s = segments[i];
        if (i == 0 || s.endX > maxX) maxX = s.endX;
        if (i == 0 || s.endY > maxY) maxY = s.endY;
        if (!arcFound && (s.kind == 2 || s.kind == 3)) {
            arcFound = 1;
            *cornerRadius = (float)(s.kind == 2 ? -s.radius : s.radius);
        }
    }
    *diameter = (float)(2 * maxX);
    *cuttingLength = (float)maxY;
    if (classStart[1] >= 0 && classStart[2] > classStart[1] && classStart[2] > 0) {
        *lengthL6 = (float)(2 * segments[classStart[2]].startX);
        *lengthL1 = (float)segments[classStart[2]].startY;
    } else {
        const DxfProfileSegment& last = segments[count - 1];
        *lengthL6 = (float)(2 * (last.startX > last.endX ? last.startX : last.endX));
        *lengthL1 = (float)last.endY;
    }
    if (classStart[2] >= 1 && classStart[2] <= count - 1) {
        double holderX = 0, holderY = 0;
        for (int i = classStart[2]; i < count; i++) {
            if (segments[i].endX > holderX) holderX = segments[i].endX;
            if (segments[i].endY > holderY) holderY = segments[i].endY;
        }
        *holderDiameter0 = (float)(2 * holderX);
        *holderLength0 = (float)(holderY - segments[classStart[2]].endY);
    }
}

int CountDxfOutlinePoints(int count, const DxfProfileSegment* segments) {
    int points = 1;
    for (int i = 0; i < count; i++) {
        if (segments[i].kind == 1) points += 1;
        else if (segments[i].kind >= 2) points += 10;
    }
    return points;
}
