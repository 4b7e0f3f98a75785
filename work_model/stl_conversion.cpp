// Ray casting of STL facets into one ray family: per facet only the nodes of its box are tested, a
// row stops at its first miss after it entered the triangle, and each crossing is appended to its
// ray (in the ray's own slots while they have room).
#include "work_model/stl_conversion.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "work_model/dexel_intervals.h"
#include "work_model/geometry.h"
#include "work_model/ray_axes.h"
#include "work_model/stl_files.h"
#include "work_model/stl_import_placement.h"
#include "work_model/stl_load_reports.h"

namespace {

const double kOneDirectionReach = 5.0;   // a plane point this far beyond the facet is no crossing
const double kParallelNormal = 1e-8;

// Working copy of one ray that outgrew its slots.
struct RayScratch {
    std::vector<double> ends;
    std::vector<uint8_t> attributes;
    std::vector<int32_t> values;
};

// The node range [*first, *last] along axis covered by lo..hi: ceil of both ends, kept inside
// 0..lastIndex. 0 when it is empty or not finite.
int GetNodeRange(const StlRayFamily* f, int axis, int lastIndex, double lo, double hi, int* first,
                 int* last)
{
    double a = std::ceil((lo - f->origin[axis]) / f->pitch);
    double b = std::ceil((hi - f->origin[axis]) / f->pitch);
    if (!std::isfinite(a) || !std::isfinite(b)) return 0;
    a = std::max(a, 0.0);
    b = std::min(b, double(lastIndex));
    if (a > b) return 0;
    *first = int(a);
    *last = int(b);
    return 1;
}

double ClampToRange(double z, double lo, double hi)
{
    return z < lo ? lo : z > hi ? hi : z;
}

// Empties every ray (releasing long rays' arrays).
void EmptyFamily(const StlRayFamily* f)
{
    MarkDexelStorageChanged();
    for (int d = 0; d < f->rayCount; d++) {
        if (f->counts[d] > f->capacity)
            StoreDexel(d, f->capacity, f->counts, f->ends, f->attributes, f->values, nullptr,
                       nullptr, nullptr, 0);
        f->counts[d] = 0;
    }
}

int AppendCrossing(const StlRayFamily* f, int d, double z, uint8_t attribute, RayScratch* scratch)
{
    int n = f->counts[d];
    if (n >= DEXEL_MAX_ENDS) return STL_DATA_ERROR;
    MarkDexelStorageChanged();
    if (n < f->capacity) {
        const size_t slot = size_t(d) * size_t(f->capacity) + size_t(n);
        f->ends[slot] = z;
        f->attributes[slot] = attribute;
        f->values[slot] = 0;
        f->counts[d] = n + 1;
        return 1;
    }
    if (scratch->ends.empty()) {
        scratch->ends.resize(DEXEL_MAX_ENDS);
        scratch->attributes.resize(DEXEL_MAX_ENDS);
        scratch->values.resize(DEXEL_MAX_ENDS);
    }
    ReadDexel(d, f->capacity, f->counts, f->ends, f->attributes, f->values, &n,
              scratch->ends.data(), scratch->attributes.data(), scratch->values.data());
    scratch->ends[size_t(n)] = z;
    scratch->attributes[size_t(n)] = attribute;
    scratch->values[size_t(n)] = 0;
    if (!StoreDexel(d, f->capacity, f->counts, f->ends, f->attributes, f->values,
                    scratch->ends.data(), scratch->attributes.data(), scratch->values.data(),
                    n + 1))
        return WORK_GRID_NO_MEMORY;
    return 1;
}

// 1 when a vertex is not finite or two vertices coincide in the ax0-ax1 projection.
bool IsUncastable(const double v[9], int ax0, int ax1)
{
    for (int i = 0; i < 9; i++)
        if (!std::isfinite(v[i])) return true;
    for (int a = 0; a < 3; a++) {
        const int b = (a + 1) % 3;
        if (v[3 * a + ax0] == v[3 * b + ax0] && v[3 * a + ax1] == v[3 * b + ax1]) return true;
    }
    return false;
}

// The plane direction: an axis when the three vertices share that coordinate, else the snapped
// cross product (recordNormal when that is zero).
void GetFacetDirection(const double v[9], const double recordNormal[3], double n[3])
{
    for (int axis = 0; axis < 3; axis++) {
        if (v[axis] == v[3 + axis] && v[axis] == v[6 + axis]) {
            n[0] = n[1] = n[2] = 0.0;
            n[axis] = 1.0;
            return;
        }
    }
    double a[3], b[3], cross[3];
    SubtractVectors(v + 3, v, a);
    SubtractVectors(v + 6, v, b);
    ComputeCrossProduct(a, b, cross);
    for (int k = 0; k < 3; k++) n[k] = recordNormal[k];
    SnapNormalDirection(cross, n);
}

// The crossing along axR of the hit with code at p; sets *entered for a hit inside.
double GetCrossing(const StlRayFamily* f, const double v[9], const double n[3], double k, int code,
                   const double p[3], const double boxMin[3], const double boxMax[3],
                   bool* entered)
{
    const int a0 = f->ax0, a1 = f->ax1, r = f->axR;
    if (code <= 3) return v[3 * (code - 1) + r];
    if (code <= 6) {
        const double* a = v + 3 * (code - 4);
        const double* b = v + 3 * ((code - 3) % 3);
        if (a[r] == b[r]) return a[r];
        const double da = std::hypot(p[a0] - a[a0], p[a1] - a[a1]);
        const double db = std::hypot(p[a0] - b[a0], p[a1] - b[a1]);
        return ClampToRange(a[r] + (b[r] - a[r]) * da / (da + db), boxMin[r], boxMax[r]);
    }
    *entered = true;
    return ClampToRange((k - n[a0] * p[a0] - n[a1] * p[a1]) / n[r], boxMin[r], boxMax[r]);
}

uint8_t GetBorderBits(const StlRayFamily* f, const double p[3], const double boxMin[3],
                      const double boxMax[3])
{
    uint8_t bits = 0;
    if (p[f->ax0] == boxMin[f->ax0]) bits |= 1;
    if (p[f->ax0] == boxMax[f->ax0]) bits |= 2;
    if (p[f->ax1] == boxMin[f->ax1]) bits |= 4;
    if (p[f->ax1] == boxMax[f->ax1]) bits |= 8;
    return bits;
}

// Casts one placed facet into the family. Returns 1 or the code of a ray that cannot take it.
int CastFacet(const StlRayFamily* f, const double v[9], const double recordNormal[3],
              RayScratch* scratch)
{
    const int a0 = f->ax0, a1 = f->ax1, r = f->axR;
    if (IsUncastable(v, a0, a1)) return 1;
    double boxMin[3], boxMax[3], n[3];
    GetTriangleBounds(v, boxMin, boxMax);
    GetFacetDirection(v, recordNormal, n);
    if (n[r] == 0.0) return 1;
    const double k = ComputeDotProduct(n, v);
    int first0, last0, first1, last1;
    if (!GetNodeRange(f, a0, f->last0, boxMin[a0], boxMax[a0], &first0, &last0) ||
        !GetNodeRange(f, a1, f->last1, boxMin[a1], boxMax[a1], &first1, &last1))
        return 1;
    double p[3] = {0.0, 0.0, 0.0};
    for (int i1 = first1; i1 <= last1; i1++) {
        p[a1] = f->origin[a1] + i1 * f->pitch;
        if (p[a1] < boxMin[a1] || p[a1] > boxMax[a1]) continue;
        bool entered = false;
        for (int i0 = first0; i0 <= last0; i0++) {
            p[a0] = f->origin[a0] + i0 * f->pitch;
            const int code = p[a0] < boxMin[a0] || p[a0] > boxMax[a0]
                                 ? 0 : CheckTriangleAnglesAlt(v, a0, a1, p);
            if (code == 0) {
                if (entered) break;
                continue;
            }
            const double z = GetCrossing(f, v, n, k, code, p, boxMin, boxMax, &entered);
            f->maxCorner[r] = std::max(f->maxCorner[r], z);
            f->minCorner[r] = std::min(f->minCorner[r], z);
            const int result = AppendCrossing(f, i0 + i1 * f->n0, z,
                                              GetBorderBits(f, p, boxMin, boxMax), scratch);
            if (result != 1) return result;
        }
    }
    return 1;
}

// Vertices and record normal into the model's frame: the armed import transform, else the scale
// and mirror options.
void PlaceFacet(int kind, double normal[3], double v[9])
{
    const ImportTransform* t = &g_ImportTransform;
    if (t->active) {
        if (t->transform != 1) return;
        for (int i = 0; i < 3; i++) TransformImportPoint(v + 3 * i);
        if (kind == STL_ASCII || t->rotate == 1) RotateImportNormal(normal);
    } else if (IsImportScaleMirrorOn()) {
        for (int i = 0; i < 3; i++) ApplyImportScaleMirror(v + 3 * i);
        MirrorImportNormal(normal);
    }
}

int OpenConversionReader(StlFacetReader* reader, int kind, const char* path)
{
    const int result = OpenStlFacetReader(reader, kind, path);
    if (result != 1) return result;
    reader->reportProgress = 1;
    if (kind != STL_ASCII) ReportStlBytes(STL_HEADER_BYTES);
    return 1;
}

// Lowers the ray's interval to z (sign +1: raises its top) when z lies beyond it.
void ExtendInterval(const StlRayFamily* f, int sign, int d, double z)
{
    double* ends = f->ends + size_t(d) * size_t(f->capacity);
    if (sign > 0 && z > ends[1]) {
        ends[1] = z;
        f->maxCorner[f->axR] = std::max(f->maxCorner[f->axR], z);
    } else if (sign < 0 && z < ends[0]) {
        ends[0] = z;
        f->minCorner[f->axR] = std::min(f->minCorner[f->axR], z);
    }
}

// Casts one facet of a one-direction read.
void CastFacetOneDirection(const StlRayFamily* f, int sign, const double v[9], double n[3])
{
    const int a0 = f->ax0, a1 = f->ax1, r = f->axR;
    for (int i = 0; i < 9; i++)
        if (!std::isfinite(v[i])) return;
    if (n[0] == 0.0 && n[1] == 0.0 && n[2] == 0.0) {
        double a[3], b[3];
        SubtractVectors(v + 3, v, a);
        SubtractVectors(v + 6, v, b);
        ComputeCrossProduct(a, b, n);
        const double length = GetVectorLength(n);
        if (length > 0.0)
            for (int i = 0; i < 3; i++) n[i] /= length;
    }
    if (!(std::fabs(n[r]) >= kParallelNormal)) return;
    const double k = ComputeDotProduct(n, v);
    double boxMin[3], boxMax[3];
    GetTriangleBounds(v, boxMin, boxMax);
    int first0, last0, first1, last1;
    if (!GetNodeRange(f, a0, f->last0, boxMin[a0], boxMax[a0], &first0, &last0) ||
        !GetNodeRange(f, a1, f->last1, boxMin[a1], boxMax[a1], &first1, &last1))
        return;
    const double startFace = sign > 0 ? f->origin[r] : f->origin[r] + f->lastR * f->pitch;
    double p[3] = {0.0, 0.0, 0.0};
    for (int i1 = first1; i1 <= last1; i1++) {
        p[a1] = f->origin[a1] + i1 * f->pitch;
        bool entered = false;
        for (int i0 = first0; i0 <= last0; i0++) {
            p[a0] = f->origin[a0] + i0 * f->pitch;
            const int code = CheckTriangleAngles(v, a0, a1, p);
            if (code == 0) {
                if (entered) break;
                continue;
            }
            if (code == 3) entered = true;
            double z = (k - n[a0] * p[a0] - n[a1] * p[a1]) / n[r];
            if (z > boxMax[r] + kOneDirectionReach || z < boxMin[r] - kOneDirectionReach)
                z = startFace;
            else
                z = ClampToRange(z, boxMin[r], boxMax[r]);
            ExtendInterval(f, sign, i0 + i1 * f->n0, z);
        }
    }
}

}  // namespace

void DescribeRayFamily(WorkModel* work, int ax0, int ax1, int axR, StlRayFamily* family)
{
    const DexelFamily* rays = GetFamilyAlongAxis(work, axR);
    family->ax0 = ax0;
    family->ax1 = ax1;
    family->axR = axR;
    family->origin[0] = work->originX;
    family->origin[1] = work->originY;
    family->origin[2] = work->originZ;
    family->pitch = work->pitch;
    family->n0 = GetNodeCountAlongAxis(work, ax0);
    family->last0 = family->n0 - 1;
    family->last1 = GetNodeCountAlongAxis(work, ax1) - 1;
    family->lastR = GetNodeCountAlongAxis(work, axR) - 1;
    family->maxCorner = work->maxCorner;
    family->minCorner = work->minCorner;
    family->rayCount = rays->rayCount;
    family->capacity = rays->capacity;
    family->counts = rays->counts;
    family->ends = rays->ends;
    family->attributes = rays->attributes;
    family->values = rays->values;
}

int ConvertStlToDexels(int kind, const char* path, const StlRayFamily* family)
{
    EmptyFamily(family);
    family->maxCorner[family->axR] = -999999999.9;
    family->minCorner[family->axR] = 999999999.9;
    StlFacetReader reader;
    int result = OpenConversionReader(&reader, kind, path);
    if (result != 1) return result;
    RayScratch scratch;
    double normal[3], v[9];
    while ((result = ReadNextStlFacet(&reader, normal, v)) == 1) {
        PlaceFacet(kind, normal, v);
        result = CastFacet(family, v, normal, &scratch);
        if (result != 1) break;
        if (kind != STL_ASCII) PumpDuringStlWork();
    }
    CloseStlFacetReader(&reader);
    if (kind == STL_ASCII && result == 0) PumpDuringStlWork();
    return result == 0 ? 1 : result;
}

int ConvertStlToDexelsOneDirection(int kind, const char* path, int sign, const StlRayFamily* family)
{
    const int r = family->axR;
    const double start = sign > 0 ? family->minCorner[r] : family->maxCorner[r];
    family->minCorner[r] = family->maxCorner[r] = start;
    EmptyFamily(family);
    MarkDexelStorageChanged();
    for (int d = 0; d < family->rayCount; d++) {
        const size_t base = size_t(d) * size_t(family->capacity);
        for (int e = 0; e < 2; e++) {
            family->ends[base + e] = start;
            family->attributes[base + e] = 0;
            family->values[base + e] = 0;
        }
        family->counts[d] = 2;
    }
    StlFacetReader reader;
    int result = OpenConversionReader(&reader, kind, path);
    if (result != 1) return result;
    double normal[3], v[9];
    const int scaled = IsImportScaleMirrorOn();
    while ((result = ReadNextStlFacet(&reader, normal, v)) == 1) {
        if (scaled)
            for (int i = 0; i < 3; i++) ApplyImportScaleMirror(v + 3 * i);
        MirrorImportNormal(normal);
        CastFacetOneDirection(family, sign, v, normal);
    }
    CloseStlFacetReader(&reader);
    return result == 0 ? 1 : result;
}
