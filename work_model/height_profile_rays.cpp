// Slicing height profiles at node levels and building the two ray families that cross a height
// family from those slices; removal of columns whose interval came out inverted.
#include "work_model/height_profile_rays.h"

#include <algorithm>
#include <vector>

#include "work_model/dexel_intervals.h"
#include "work_model/ray_axes.h"

void SliceTopProfile(const double* heights, int stride, double minimum, double maximum, int n,
                     double pitch, const double* coordinates, double level, double* outEnds,
                     int* outCount)
{
    int count = 0;
    if (n <= 0 || maximum < level) {
        *outCount = 0;
        return;
    }
    if (minimum > level) {
        outEnds[0] = coordinates[0];
        outEnds[1] = coordinates[n - 1];
        *outCount = 2;
        return;
    }
    if (level <= heights[0]) outEnds[count++] = coordinates[0];
    for (int i = 0; i + 1 < n; i++) {
        const double h0 = heights[size_t(i) * stride], h1 = heights[size_t(i + 1) * stride];
        if (h0 < level && level <= h1)
            outEnds[count++] = level == h1 ? coordinates[i + 1]
                                           : coordinates[i] + (level - h0) / (h1 - h0) * pitch;
        else if (h0 >= level && level > h1)
            outEnds[count++] = level == h0 ? coordinates[i]
                                           : coordinates[i] + (h0 - level) / (h0 - h1) * pitch;
    }
    if (level <= heights[size_t(n - 1) * stride]) outEnds[count++] = coordinates[n - 1];
    *outCount = count;
}

void SliceBottomProfile(const double* heights, int stride, double minimum, double maximum, int n,
                        double pitch, const double* coordinates, double level, double* outEnds,
                        int* outCount)
{
    int count = 0;
    if (n <= 0 || minimum > level) {
        *outCount = 0;
        return;
    }
    if (maximum < level) {
        outEnds[0] = coordinates[0];
        outEnds[1] = coordinates[n - 1];
        *outCount = 2;
        return;
    }
    if (level >= heights[0]) outEnds[count++] = coordinates[0];
    for (int i = 0; i + 1 < n; i++) {
        const double h0 = heights[size_t(i) * stride], h1 = heights[size_t(i + 1) * stride];
        if (h0 > level && level >= h1)
            outEnds[count++] = level == h1 ? coordinates[i + 1]
                                           : coordinates[i] + (level - h0) / (h1 - h0) * pitch;
        else if (h0 <= level && level < h1)
            outEnds[count++] = level == h0 ? coordinates[i]
                                           : coordinates[i] + (h0 - level) / (h0 - h1) * pitch;
    }
    if (level >= heights[size_t(n - 1) * stride]) outEnds[count++] = coordinates[n - 1];
    *outCount = count;
}

namespace {

// Where no height is given (a ray without its interval) there is no material on either side.
const double kNoMaterialBelow = -9999999999.9;
const double kNoMaterialAbove = 9999999999.9;

struct SliceBuffers {
    std::vector<double> profile;
    std::vector<double> ends;
    std::vector<uint8_t> attributes;  // zeros
    std::vector<int32_t> values;      // zeros
};

// Builds the family along axis b from the heights of the family along axis a: one profile along b
// per node of the third axis t, sliced at every node level of a.
int BuildOneCrossFamily(WorkModel* work, int a, int b, bool top, SliceBuffers* buffers)
{
    const int t = 3 - a - b;
    DexelFamily* heights = GetFamilyAlongAxis(work, a);
    DexelFamily* built = GetFamilyAlongAxis(work, b);
    const int nb = GetNodeCountAlongAxis(work, b);
    const double* coordinatesB = GetNodeCoordinatesAlongAxis(work, b);
    const double* levels = GetNodeCoordinatesAlongAxis(work, a);
    int ok = 1;
    int nodes[3] = {0, 0, 0};
    for (nodes[t] = 0; nodes[t] < GetNodeCountAlongAxis(work, t); nodes[t]++) {
        double minimum = 9999999999.9, maximum = -9999999999.9;
        for (nodes[b] = 0; nodes[b] < nb; nodes[b]++) {
            const int d = GetRayIndexAlongAxis(work, a, nodes);
            double h = top ? kNoMaterialBelow : kNoMaterialAbove;
            if (heights->counts[d] >= 2) {
                const double* ends = GetDexelEndsPointer(d, heights->capacity, heights->counts,
                                                         heights->ends);
                h = top ? ends[1] : ends[0];
            }
            buffers->profile[size_t(nodes[b])] = h;
            minimum = std::min(minimum, h);
            maximum = std::max(maximum, h);
        }
        for (nodes[a] = 0; nodes[a] < GetNodeCountAlongAxis(work, a); nodes[a]++) {
            int count = 0;
            if (top)
                SliceTopProfile(buffers->profile.data(), 1, minimum, maximum, nb, work->pitch,
                                coordinatesB, levels[nodes[a]], buffers->ends.data(), &count);
            else
                SliceBottomProfile(buffers->profile.data(), 1, minimum, maximum, nb, work->pitch,
                                   coordinatesB, levels[nodes[a]], buffers->ends.data(), &count);
            const int d = GetRayIndexAlongAxis(work, b, nodes);
            if (!StoreDexel(d, built->capacity, built->counts, built->ends, built->attributes,
                            built->values, buffers->ends.data(), buffers->attributes.data(),
                            buffers->values.data(), count))
                ok = 0;
        }
    }
    return ok;
}

}  // namespace

int BuildCrossRaysFromHeights(WorkModel* work, int axisCode)
{
    if (work->nodeCountX <= 0 || axisCode == 0 || axisCode < -3 || axisCode > 3) return 0;
    const int a = (axisCode < 0 ? -axisCode : axisCode) - 1;
    const bool top = axisCode > 0;
    const int first = (a + 2) % 3, second = (a + 1) % 3;
    const size_t longest = size_t(std::max({work->nodeCountX, work->nodeCountY, work->nodeCountZ}));
    SliceBuffers buffers;
    buffers.profile.resize(longest);
    buffers.ends.resize(longest + 1);
    buffers.attributes.assign(longest + 1, 0);
    buffers.values.assign(longest + 1, 0);
    int ok = BuildOneCrossFamily(work, a, first, top, &buffers);
    ok = BuildOneCrossFamily(work, a, second, top, &buffers) && ok;
    return ok;
}

int BuildSideRaysFromHeights(WorkModel* work, int secondEndsAreHeights)
{
    return BuildCrossRaysFromHeights(work, secondEndsAreHeights ? 3 : -3);
}

void DropInvertedDexels(WorkModel* work, int family)
{
    const int axis = family == 2 ? 2 : family == 1 ? 1 : 0;
    DexelFamily* f = GetFamilyAlongAxis(work, axis);
    for (int d = 0; d < f->rayCount; d++) {
        if (f->counts[d] != 2) continue;
        const double* ends = GetDexelEndsPointer(d, f->capacity, f->counts, f->ends);
        if (ends[0] > ends[1])
            StoreDexel(d, f->capacity, f->counts, f->ends, f->attributes, f->values, nullptr,
                       nullptr, nullptr, 0);
    }
}
