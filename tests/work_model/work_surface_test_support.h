// Helpers of the surface tests: works cut by boxes and balls ray by ray, STL meshes read back as
// triangles, and the measures of a mesh: signed volume, and the balance of its edges once every
// edge is split at the mesh vertices lying on it.
#pragma once
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "work_model/dexel_intervals.h"
#include "work_model/stl_files.h"
#include "work_model/work_model.h"

// Subtracts [a, b] (along the ray) from every ray of the family for which inside(u, v) gives the
// range, where u, v are the ray's two node coordinates in the family's (axis + 1, axis + 2) order.
template <typename RangeOf>
void CutFamily(WorkModel* work, int axis, RangeOf rangeOf)
{
    DexelFamily* f = axis == 0 ? &work->familyX : axis == 1 ? &work->familyY : &work->familyZ;
    const int nodes[3] = {work->nodeCountX, work->nodeCountY, work->nodeCountZ};
    const double* coordinates[3] = {work->coordinatesX, work->coordinatesY, work->coordinatesZ};
    const int ua = (axis + 1) % 3, va = (axis + 2) % 3;
    std::vector<double> ends(DEXEL_MAX_ENDS + 2);
    std::vector<uint8_t> attributes(DEXEL_MAX_ENDS + 2);
    std::vector<int32_t> values(DEXEL_MAX_ENDS + 2);
    for (int b = 0; b < nodes[va]; b++) {
        for (int a = 0; a < nodes[ua]; a++) {
            double lo, hi;
            if (!rangeOf(coordinates[ua][a], coordinates[va][b], &lo, &hi)) continue;
            const int d = a + b * nodes[ua];
            int count = 0;
            ReadDexel(d, f->capacity, f->counts, f->ends, f->attributes, f->values, &count,
                      ends.data(), attributes.data(), values.data());
            SubtractDexelIntervalClearMarks(ends.data(), attributes.data(), values.data(), &count,
                                            lo, hi);
            StoreDexel(d, f->capacity, f->counts, f->ends, f->attributes, f->values, ends.data(),
                       attributes.data(), values.data(), count);
        }
    }
}

// Removes the box lo..hi from all three families. A ray on a side of the box keeps its material
// unless closed is set (then the box's sides are cut too).
inline void CutBox(WorkModel* work, const double lo[3], const double hi[3], bool closed = false)
{
    for (int axis = 0; axis < 3; axis++) {
        const int ua = (axis + 1) % 3, va = (axis + 2) % 3;
        CutFamily(work, axis, [&](double u, double v, double* a, double* b) {
            if (closed ? (u < lo[ua] || u > hi[ua] || v < lo[va] || v > hi[va])
                       : (u <= lo[ua] || u >= hi[ua] || v <= lo[va] || v >= hi[va]))
                return false;
            *a = lo[axis];
            *b = hi[axis];
            return true;
        });
    }
}

// Removes the ball from all three families.
inline void CutBall(WorkModel* work, const double centre[3], double radius)
{
    for (int axis = 0; axis < 3; axis++) {
        const int ua = (axis + 1) % 3, va = (axis + 2) % 3;
        CutFamily(work, axis, [&](double u, double v, double* a, double* b) {
            const double du = u - centre[ua], dv = v - centre[va];
            const double h2 = radius * radius - du * du - dv * dv;
            if (!(h2 > 0)) return false;
            const double h = std::sqrt(h2);
            *a = centre[axis] - h;
            *b = centre[axis] + h;
            return true;
        });
    }
}

// Material volume from the Z-rays, each ray weighted by the part of its cell-sized column that lies
// inside the grid (half on a side of the grid box, a quarter at its edges).
inline double MeasureRayVolume(const WorkModel* work)
{
    double volume = 0;
    const DexelFamily& f = work->familyZ;
    for (int j = 0; j < work->nodeCountY; j++) {
        for (int i = 0; i < work->nodeCountX; i++) {
            const int d = i + j * work->nodeCountX;
            const double* e = GetDexelEndsPointer(d, f.capacity, f.counts, f.ends);
            double length = 0;
            for (int n = 0; n + 1 < f.counts[d]; n += 2) length += e[n + 1] - e[n];
            const double wi = (i == 0 || i == work->nodeCountX - 1) ? 0.5 : 1.0;
            const double wj = (j == 0 || j == work->nodeCountY - 1) ? 0.5 : 1.0;
            volume += length * wi * wj;
        }
    }
    return volume * work->cellArea;
}

struct MeshTriangle {
    double normal[3];
    double v[3][3];
};

// Reads every facet of an STL file (any kind); false when it cannot be read.
inline bool ReadMesh(const std::string& path, std::vector<MeshTriangle>* out)
{
    out->clear();
    const int kind = DetectStlKind(path.c_str());
    if (kind == STL_NONE) return false;
    StlFacetReader reader;
    if (OpenStlFacetReader(&reader, kind, path.c_str()) != 1) return false;
    MeshTriangle t;
    double vertices[9];
    int r;
    while ((r = ReadNextStlFacet(&reader, t.normal, vertices)) == 1) {
        for (int k = 0; k < 9; k++) t.v[k / 3][k % 3] = vertices[k];
        out->push_back(t);
    }
    CloseStlFacetReader(&reader);
    return r == 0;
}

inline double MeasureSignedVolume(const std::vector<MeshTriangle>& mesh)
{
    double volume = 0;
    for (const MeshTriangle& t : mesh) {
        const double* a = t.v[0];
        const double* b = t.v[1];
        const double* c = t.v[2];
        volume += a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) +
                  a[2] * (b[0] * c[1] - b[1] * c[0]);
    }
    return volume / 6.0;
}

// Directed edges whose reverse is missing or used a different number of times, after each edge is
// split at every mesh vertex that lies on it (the T-junctions of merged rectangles). Zero-length
// edges are left out. *twiceUsed gets the number of edges used more than once in one direction.
inline int CountUnbalancedEdges(const std::vector<MeshTriangle>& mesh, int* twiceUsed = nullptr)
{
    typedef std::array<double, 3> Point;
    std::map<Point, int> ids;
    std::vector<Point> points;
    auto idOf = [&](const double* p) {
        const Point key = {p[0], p[1], p[2]};
        auto it = ids.find(key);
        if (it != ids.end()) return it->second;
        const int id = int(points.size());
        ids.emplace(key, id);
        points.push_back(key);
        return id;
    };
    for (const MeshTriangle& t : mesh)
        for (int k = 0; k < 3; k++) idOf(t.v[k]);
    // Vertices along each axis-parallel line, sorted along the line.
    std::map<std::tuple<int, double, double>, std::vector<std::pair<double, int>>> lines;
    for (int id = 0; id < int(points.size()); id++) {
        const Point& p = points[size_t(id)];
        for (int axis = 0; axis < 3; axis++)
            lines[std::make_tuple(axis, p[(axis + 1) % 3], p[(axis + 2) % 3])].push_back(
                std::make_pair(p[axis], id));
    }
    for (auto& line : lines) std::sort(line.second.begin(), line.second.end());
    std::map<std::pair<int, int>, int> uses;
    for (const MeshTriangle& t : mesh) {
        for (int k = 0; k < 3; k++) {
            const int a = idOf(t.v[k]), b = idOf(t.v[(k + 1) % 3]);
            if (a == b) continue;
            const Point& pa = points[size_t(a)];
            const Point& pb = points[size_t(b)];
            int axis = -1;
            for (int c = 0; c < 3; c++)
                if (pa[(c + 1) % 3] == pb[(c + 1) % 3] && pa[(c + 2) % 3] == pb[(c + 2) % 3]) axis = c;
            std::vector<int> chain = {a};
            if (axis >= 0) {
                const auto& line = lines[std::make_tuple(axis, pa[(axis + 1) % 3], pa[(axis + 2) % 3])];
                const double lo = std::min(pa[axis], pb[axis]), hi = std::max(pa[axis], pb[axis]);
                std::vector<int> inner;
                for (const auto& entry : line)
                    if (entry.first > lo && entry.first < hi) inner.push_back(entry.second);
                if (pa[axis] > pb[axis]) std::reverse(inner.begin(), inner.end());
                chain.insert(chain.end(), inner.begin(), inner.end());
            }
            chain.push_back(b);
            for (size_t s = 0; s + 1 < chain.size(); s++) uses[std::make_pair(chain[s], chain[s + 1])]++;
        }
    }
    int unbalanced = 0, twice = 0;
    for (const auto& use : uses) {
        auto reverse = uses.find(std::make_pair(use.first.second, use.first.first));
        if (reverse == uses.end() || reverse->second != use.second) unbalanced++;
        if (use.second > 1) twice++;
    }
    if (twiceUsed) *twiceUsed = twice;
    return unbalanced;
}
