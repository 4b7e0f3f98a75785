// Drawing STL files facet by facet into the polygon sink.
#include "work_model/stl_drawing.h"

#include "work_model/polygon_sink.h"
#include "work_model/stl_files.h"

PolygonSink g_PolygonSink = {nullptr, nullptr};

void RotatePointAboutAxis(const ModelRotation* rotation, double v[3])
{
    const double s = rotation->sine, c = rotation->cosine;
    // The two coordinates turned: (y, z) about X, (z, x) about Y, (x, y) about Z.
    const int a = rotation->axis == 0 ? 1 : rotation->axis == 1 ? 2 : 0;
    const int b = rotation->axis == 0 ? 2 : rotation->axis == 1 ? 0 : 1;
    const double p = v[a], q = v[b];
    v[a] = p * c - q * s;
    v[b] = p * s + q * c;
}

void RotateModelPoint(const ModelRotation* rotation, double p[3])
{
    for (int k = 0; k < 3; k++) p[k] -= rotation->centre[k];
    RotatePointAboutAxis(rotation, p);
    for (int k = 0; k < 3; k++) p[k] += rotation->centre[k];
}

void DrawStlFile(int kind, const char* path, const double offset[3], const ModelRotation* rotation,
                 double sceneScale)
{
    if (kind == STL_NONE) return;
    StlFacetReader reader;
    if (OpenStlFacetReader(&reader, kind, path) != 1) return;
    reader.pumpEachLine = 1;
    double normal[3], v[9];
    while (ReadNextStlFacet(&reader, normal, v) == 1) {
        for (int i = 0; i < 3; i++) {
            double* p = v + 3 * i;
            for (int k = 0; k < 3; k++) p[k] += offset[k];
            if (rotation && rotation->active == 1) RotateModelPoint(rotation, p);
            for (int k = 0; k < 3; k++) p[k] /= sceneScale;
        }
        if (g_PolygonSink.drawTriangle) g_PolygonSink.drawTriangle(g_PolygonSink.context, normal, v);
    }
    CloseStlFacetReader(&reader);
}
