// The STL facet writers: vertices placed into work coordinates when asked, rounded to floats and
// written as text lines or as a binary record of either byte order.
#include "work_model/stl_writer.h"

#include <cstring>

#include "work_model/geometry.h"
#include "work_model/stl_files.h"

MeshOutputState g_MeshOutput;

namespace {

// Places v as the writer state says: minus the work origin, then turned, when asked.
void PlacePoint(const double v[3], double out[3])
{
    for (int k = 0; k < 3; k++) out[k] = v[k];
    if (g_MeshOutput.toWorkCoordinates) {
        SubtractVectors(out, g_MeshOutput.workOrigin, out);
        if (g_MeshOutput.rotate == 1) RotateVector(g_MeshOutput.rotation, out, out);
    }
}

// Places the three vertices and rounds them to floats.
void PlaceVertices(const double v0[3], const double v1[3], const double v2[3], double placed[9],
                   float rounded[9])
{
    PlacePoint(v0, placed);
    PlacePoint(v1, placed + 3);
    PlacePoint(v2, placed + 6);
    for (int i = 0; i < 9; i++) rounded[i] = float(placed[i]);
}

bool AreEqualFloatPoints(const float* a, const float* b)
{
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

int WritePlacedFacet(const double normal[3], const float vertices[9])
{
    FILE* out = g_MeshOutput.stream;
    if (!out) return 0;
    if (g_MeshOutput.format == STL_OUT_ASCII) {
        int ok = std::fprintf(out, "  facet normal %f %f %f\n    outer loop\n", normal[0], normal[1],
                              normal[2]) > 0;
        for (int v = 0; v < 3; v++)
            ok &= std::fprintf(out, "      vertex %f %f %f\n", double(vertices[3 * v]),
                               double(vertices[3 * v + 1]), double(vertices[3 * v + 2])) > 0;
        ok &= std::fputs("    endloop\n  endfacet\n", out) >= 0;
        return ok;
    }
    float values[12];
    for (int k = 0; k < 3; k++) values[k] = float(normal[k]);
    std::memcpy(values + 3, vertices, 9 * sizeof(float));
    if (g_MeshOutput.format == STL_OUT_BINARY_SWAPPED) SwapBytes32Array(values, 12);
    return std::fwrite(values, sizeof(float), 12, out) == 12 &&
           std::fwrite(&g_MeshOutput.attributeWord, 2, 1, out) == 1;
}

}  // namespace

int WriteStlFacetWithNormal(const double normal[3], const double v0[3], const double v1[3],
                            const double v2[3])
{
    double placed[9];
    float vertices[9];
    PlaceVertices(v0, v1, v2, placed, vertices);
    double n[3] = {normal[0], normal[1], normal[2]};
    if (g_MeshOutput.toWorkCoordinates == 1 && g_MeshOutput.rotate == 1)
        RotateVector(g_MeshOutput.rotation, n, n);
    return WritePlacedFacet(n, vertices);
}

int WriteStlFacet(uint32_t* counter, const double v0[3], const double v1[3], const double v2[3])
{
    double p[9];
    float vertices[9];
    PlaceVertices(v0, v1, v2, p, vertices);
    if (AreEqualFloatPoints(vertices, vertices + 3) || AreEqualFloatPoints(vertices, vertices + 6) ||
        AreEqualFloatPoints(vertices + 3, vertices + 6))
        return 1;
    // The normal from the placed vertices before their rounding.
    double a[3], b[3], n[3];
    SubtractVectors(p + 3, p, a);
    SubtractVectors(p + 6, p, b);
    ComputeCrossProduct(a, b, n);
    const double length = GetVectorLength(n);
    if (!(length > 0.0)) return 1;
    for (int k = 0; k < 3; k++) n[k] /= length;
    const int ok = WritePlacedFacet(n, vertices);
    if (ok) (*counter)++;
    return ok;
}
