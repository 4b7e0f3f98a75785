// The detection of an STL file's kind, its facet count and the three readers: facets with their box,
// an imported tool body turned for the angle head, and the box of all vertices for sizing a work.
#include "work_model/stl_files.h"

#include <cstring>

#include "platform/os/files.h"
#include "platform/os/paths.h"
#include "work_model/file_routines.h"
#include "work_model/geometry.h"
#include "work_model/stl_import_placement.h"
#include "work_model/stl_load_reports.h"

namespace {

enum { DETECT_BYTES = 256, FACET_TEXT_POSITIONS = 250 };

bool HoldsFacetText(const uint8_t* bytes, size_t size)
{
    static const char word[] = "facet";
    for (size_t start = 0; start < FACET_TEXT_POSITIONS && start + 5 <= size; start++) {
        size_t i = 0;
        while (i < 5 && (bytes[start + i] | 0x20) == word[i]) i++;
        if (i == 5) return true;
    }
    return false;
}

bool IsBinaryKind(int kind)
{
    return kind == STL_BINARY_LE || kind == STL_BINARY_BE;
}

// A normal with a component of magnitude exactly 1 loses its other components.
void TidyNormal(double n[3])
{
    for (int k = 0; k < 3; k++) {
        if (n[k] == 1.0 || n[k] == -1.0) {
            n[(k + 1) % 3] = 0.0;
            n[(k + 2) % 3] = 0.0;
        }
    }
}

void StartBox(double minOut[3], double maxOut[3], double start)
{
    for (int k = 0; k < 3; k++) {
        minOut[k] = start;
        maxOut[k] = -start;
    }
}

void TakeIntoBox(const double* v, double minOut[3], double maxOut[3])
{
    for (int k = 0; k < 3; k++) {
        if (v[k] < minOut[k]) minOut[k] = v[k];
        if (v[k] > maxOut[k]) maxOut[k] = v[k];
    }
}

// Turns a point for the angle head: by A about X, else by B about Y (nothing when both are 0),
// then by C about Z.
void TurnForAngleHead(const double angles[3], double p[3])
{
    if (angles[0] == 0.0 && angles[1] == 0.0) return;
    if (angles[0] != 0.0) RotatePoint2D(angles[0], p[1], p[2], &p[1], &p[2]);
    else RotatePoint2D(angles[1], p[2], p[0], &p[2], &p[0]);
    if (angles[2] != 0.0) RotatePoint2D(angles[2], p[0], p[1], &p[0], &p[1]);
}

// A binary facet as ReadStlFacets stores it: vertices moved by offset, a zero normal recomputed
// from the file's vertices, the normal tidied.
void TakeBinaryFacet(const float values[12], const double offset[3], FacetVertices* facet)
{
    for (int i = 0; i < 9; i++) facet->vertices[i] = double(values[3 + i]) + offset[i % 3];
    if (values[0] == 0.0f && values[1] == 0.0f && values[2] == 0.0f) {
        double a[3], b[3];
        for (int k = 0; k < 3; k++) {
            a[k] = double(values[6 + k] - values[3 + k]);
            b[k] = double(values[9 + k] - values[3 + k]);
        }
        ComputeCrossProduct(a, b, facet->normal);
        const double length = GetVectorLength(facet->normal);
        if (length > 0.0)
            for (int k = 0; k < 3; k++) facet->normal[k] /= length;
    } else {
        for (int k = 0; k < 3; k++) facet->normal[k] = values[k];
    }
    TidyNormal(facet->normal);
}

int ReadBinaryFacets(int kind, int count, const char* path, const double offset[3],
                     FacetVertices* facets)
{
    uint32_t n;
    FILE* stream = OpenStlBinary(path, kind, &n);
    if (!stream) return STL_DATA_ERROR;
    int result = count >= 0 && n == uint32_t(count) ? 1 : STL_DATA_ERROR;
    float values[12];
    for (uint32_t f = 0; result == 1 && f < n; f++) {
        if (!ReadStlBinaryRecord(stream, kind, values)) result = STL_DATA_ERROR;
        else TakeBinaryFacet(values, offset, &facets[f]);
    }
    std::fclose(stream);
    return result;
}

// Text facets: facet f takes the "facet" normal and up to three vertices; "endfacet" moves on.
int ReadTextFacets(int count, const char* path, const double offset[3], FacetVertices* facets)
{
    FILE* stream = OpenFile(path, "rb");
    if (!stream) return STL_DATA_ERROR;
    char line[STL_LINE_BYTES];
    int f = 0, k = 0, position;
    while (ReadStlLine(stream, line) >= 0) {
        const int keyword = ClassifyStlLine(line, &position);
        if (keyword == STL_LINE_ENDSOLID) break;
        if (keyword == STL_LINE_ENDFACET) {
            f++;
            k = 0;
        } else if (keyword == STL_LINE_OUTER) {
            k = 0;
        } else if (f < count && keyword == STL_LINE_FACET) {
            ScanStlLineNumbers(line, position, facets[f].normal);
            TidyNormal(facets[f].normal);
        } else if (f < count && keyword == STL_LINE_VERTEX && k < 3) {
            double* v = facets[f].vertices + 3 * k++;
            ScanStlLineNumbers(line, position, v);
            for (int a = 0; a < 3; a++) v[a] += offset[a];
        }
    }
    std::fclose(stream);
    return f == count ? 1 : STL_DATA_ERROR;
}

}  // namespace

int DetectStlKind(const char* path)
{
    FILE* stream = OpenFile(path, "rb");
    if (!stream) return STL_NONE;
    uint8_t bytes[DETECT_BYTES];
    const size_t got = std::fread(bytes, 1, sizeof bytes, stream);
    std::fclose(stream);
    const int64_t size = GetFileSizeBytes(MakeNativePath(path).c_str());
    if (size <= 0) return STL_NONE;
    const uint32_t expected = size >= STL_HEADER_BYTES ? uint32_t((size - STL_HEADER_BYTES) / STL_RECORD_BYTES) : 0;
    // A file too short to hold the count has none: only the text test applies.
    uint32_t count = 0, reversed = 0;
    const bool hasCount = got >= STL_HEADER_BYTES;
    if (hasCount) {
        std::memcpy(&count, bytes + 80, 4);
        reversed = count;
        SwapBytes32Array(&reversed, 1);
        if (count == expected) return STL_BINARY_LE;
        if (reversed == expected) return STL_BINARY_BE;
    }
    if (HoldsFacetText(bytes, got)) return STL_ASCII;
    if (hasCount && count != 0 && expected != 0 && count <= expected) return STL_BINARY_LE;
    return STL_NONE;
}

int CountStlFacets(int kind, const char* path)
{
    if (IsBinaryKind(kind)) {
        uint32_t n;
        FILE* stream = OpenStlBinary(path, kind, &n);
        if (!stream) return STL_DATA_ERROR;
        std::fclose(stream);
        return n > uint32_t(INT32_MAX) ? STL_DATA_ERROR : int(n);
    }
    if (kind != STL_ASCII) return 0;
    FILE* stream = OpenFile(path, "rb");
    if (!stream) return STL_DATA_ERROR;
    char line[STL_LINE_BYTES];
    int count = 0, position;
    while (ReadStlLine(stream, line) >= 0) {
        const int keyword = ClassifyStlLine(line, &position);
        if (keyword == STL_LINE_ENDSOLID) break;
        if (keyword == STL_LINE_ENDFACET && count < INT32_MAX) count++;
    }
    std::fclose(stream);
    return count;
}

int ReadStlFacets(int kind, int count, const char* path, const double offset[3], double minOut[3],
                  double maxOut[3], FacetVertices* facets)
{
    if (kind != STL_ASCII && !IsBinaryKind(kind)) return 1;
    StartBox(minOut, maxOut, 1e11);
    const int result = kind == STL_ASCII ? ReadTextFacets(count, path, offset, facets)
                                         : ReadBinaryFacets(kind, count, path, offset, facets);
    if (result != 1) return result;
    for (int f = 0; f < count; f++)
        for (int v = 0; v < 3; v++) TakeIntoBox(facets[f].vertices + 3 * v, minOut, maxOut);
    return 1;
}

int ReadStlToolShape(int kind, int count, const char* path, const double offset[3],
                     double minOut[3], double maxOut[3], FacetVertices* facets,
                     const double* angleHeadAngles)
{
    const int result = ReadStlFacets(kind, count, path, offset, minOut, maxOut, facets);
    if (result != 1 || !angleHeadAngles || (kind != STL_ASCII && !IsBinaryKind(kind))) return result;
    StartBox(minOut, maxOut, 1e11);
    for (int f = 0; f < count; f++) {
        TurnForAngleHead(angleHeadAngles, facets[f].normal);
        for (int v = 0; v < 3; v++) {
            TurnForAngleHead(angleHeadAngles, facets[f].vertices + 3 * v);
            TakeIntoBox(facets[f].vertices + 3 * v, minOut, maxOut);
        }
    }
    return 1;
}

int ReadStlVertices(int kind, const char* path, double maxOut[3], double minOut[3])
{
    if (kind != STL_ASCII && !IsBinaryKind(kind)) return 1;
    StartBox(minOut, maxOut, 9999999.0);
    StlFacetReader reader;
    if (OpenStlFacetReader(&reader, kind, path) != 1) return STL_DATA_ERROR;
    const int scaled = IsImportScaleMirrorOn();
    int result;
    double normal[3], vertices[9];
    while ((result = ReadNextStlFacet(&reader, normal, vertices)) == 1) {
        for (int v = 0; v < 3; v++) {
            if (scaled) ApplyImportScaleMirror(vertices + 3 * v);
            TakeIntoBox(vertices + 3 * v, minOut, maxOut);
        }
        if (kind != STL_ASCII) PumpDuringStlWork();
    }
    CloseStlFacetReader(&reader);
    return result == 0 ? 1 : result;
}
