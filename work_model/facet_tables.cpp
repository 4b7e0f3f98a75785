// Facet plane tables: the plane, box and axis code of every facet, and the sort of the facet and plane arrays
// together by the facet's top, highest first (a selection sort over chunks, then a merge of the chunks).
#include "work_model/facet_tables.h"

#include <new>
#include <utility>

#include "work_model/geometry.h"

namespace {

const int kChunkSize = 5000;
const int kMostChunks = 50;

double FacetTop(const FacetPlane* planes, int index)
{
    return planes[index].boxMax[2];
}

void SwapFacets(FacetVertices* facets, FacetPlane* planes, int a, int b)
{
    if (a == b) return;
    std::swap(facets[a], facets[b]);
    std::swap(planes[a], planes[b]);
}

// One merge step: the chunk whose next entry has the largest key (the lowest-numbered on equal keys), or -1.
int ChooseMergeChunk(const FacetPlane* planes, const int* cursor, const int* chunkEnd, int chunks)
{
    int chosen = -1;
    for (int c = 0; c < chunks; c++) {
        if (cursor[c] >= chunkEnd[c]) continue;
        if (chosen < 0 || FacetTop(planes, cursor[c]) > FacetTop(planes, cursor[chosen])) chosen = c;
    }
    return chosen;
}

}  // namespace

void BuildFacetPlaneTable(int count, const FacetVertices* facets, FacetPlane* planes)
{
    for (int f = 0; f < count; f++) {
        const double* v = facets[f].vertices;
        FacetPlane* plane = &planes[f];
        ComputeTrianglePlane(v, plane->plane);  // a facet of no area keeps the plane (0, 0, 0, 0)
        GetTriangleBounds(v, plane->boxMin, plane->boxMax);
        plane->axisCode = 3;
        for (int axis = 0; axis < 3; axis++) {
            if (v[axis] == v[3 + axis] && v[axis] == v[6 + axis]) {
                plane->axisCode = axis;
                break;
            }
        }
    }
}

int SortFacetsByTop(int count, FacetVertices* facets, FacetPlane* planes)
{
    if (count < 2) return 1;
    int* equalPositions = new (std::nothrow) int[count];
    if (equalPositions == nullptr) return 0;
    int j = 0;
    while (j <= count - 2) {
        int best = j, listed = 0;
        double bestKey = FacetTop(planes, j);
        for (int i = j + 1; i < count; i++) {
            double key = FacetTop(planes, i);
            if (key > bestKey) {
                best = i;
                bestKey = key;
                listed = 0;
            } else if (key == bestKey) {
                equalPositions[listed++] = i;
            }
        }
        SwapFacets(facets, planes, j, best);
        // The listed positions lie behind best, so the swap above did not move them.
        for (int l = 0; l < listed; l++) SwapFacets(facets, planes, j + 1 + l, equalPositions[l]);
        if (j + listed >= count - 1) break;
        j += listed + 1;
    }
    delete[] equalPositions;
    return 1;
}

int SortFacetsByTopChunked(int count, FacetVertices* facets, FacetPlane* planes)
{
    if (count < 2) return 1;
    if (count < kChunkSize) return SortFacetsByTop(count, facets, planes);
    int chunks = count / kChunkSize;
    if (chunks < 2) chunks = 2;
    if (chunks > kMostChunks) chunks = kMostChunks;
    FacetVertices* facetCopy = new (std::nothrow) FacetVertices[count];
    FacetPlane* planeCopy = new (std::nothrow) FacetPlane[count];
    if (facetCopy == nullptr || planeCopy == nullptr) {
        delete[] facetCopy;
        delete[] planeCopy;
        SortFacetsByTop(count, facets, planes);
        return 0;
    }
    int cursor[kMostChunks], chunkEnd[kMostChunks];
    int length = count / chunks;
    for (int c = 0; c < chunks; c++) {
        cursor[c] = c * length;
        chunkEnd[c] = c == chunks - 1 ? count : cursor[c] + length;
        SortFacetsByTop(chunkEnd[c] - cursor[c], facets + cursor[c], planes + cursor[c]);
    }
    for (int f = 0; f < count; f++) {
        facetCopy[f] = facets[f];
        planeCopy[f] = planes[f];
    }
    int out = 0;
    for (int chosen; (chosen = ChooseMergeChunk(planeCopy, cursor, chunkEnd, chunks)) >= 0;) {
        double key = FacetTop(planeCopy, cursor[chosen]);
        // Move the chosen entry and the chunk's following entries of exactly the same key.
        do {
            facets[out] = facetCopy[cursor[chosen]];
            planes[out] = planeCopy[cursor[chosen]];
            out++;
            cursor[chosen]++;
        } while (cursor[chosen] < chunkEnd[chosen] && FacetTop(planeCopy, cursor[chosen]) == key);
    }
    delete[] facetCopy;
    delete[] planeCopy;
    return 1;
}
