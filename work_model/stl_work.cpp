// An STL file read as the work: the grid laid around the solid's box, the solid cast into the three
// families and cleaned, or one family cast from one side and the others built from its heights.
#include "work_model/stl_work.h"

#include <cmath>
#include <cstring>

#include "work_model/basic_model.h"
#include "work_model/dexel_cleaning.h"
#include "work_model/height_profile_rays.h"
#include "work_model/matrix.h"
#include "work_model/stl_conversion.h"
#include "work_model/stl_files.h"
#include "work_model/stl_load_reports.h"
#include "work_model/work_files_internal.h"

namespace {

// Cast orders (ax0, ax1, axR) by ray axis: X-rays, Y-rays, Z-rays.
const int kCastOrders[3][3] = {{1, 2, 0}, {2, 0, 1}, {0, 1, 2}};

void SetWorkPlacement(WorkModel* work, double placement[12], const StlWorkLoadOptions* options)
{
    double snapped[12];
    if (options->frame.inWorkCoordinates) {
        std::memcpy(snapped, options->frame.rotation, 9 * sizeof(double));
        std::memcpy(snapped + 9, options->frame.origin, 3 * sizeof(double));
    } else {
        ReadPlacementMatrixFile(placement, options->placementFile);
        SnapRotationMatrix(placement, snapped);
    }
    std::memcpy(work->rotation, snapped, sizeof work->rotation);
    std::memcpy(work->translation, snapped + 9, sizeof work->translation);
}

// Node count along one axis: ceil(extent / pitch) + 1, at least 2; 0 when it does not fit.
int32_t CountGridNodes(double extent, double pitch)
{
    const double n = std::ceil(extent / pitch) + 1.0;
    if (!std::isfinite(n) || n > 2147483647.0) return 0;
    return n < 2.0 ? 2 : int32_t(n);
}

// Lays the grid around the box: origin at the box minimum (whole numbers below it for the whole
// solid; for a negative axis code the last node on the box maximum along that axis).
int LayGridAroundBox(WorkModel* work, const double boxMin[3], const double boxMax[3], int axisCode)
{
    if (!std::isfinite(work->pitch) || work->pitch <= 0.0) return STL_DATA_ERROR;
    double origin[3];
    int32_t nodes[3];
    for (int k = 0; k < 3; k++) {
        origin[k] = axisCode == 0 ? std::floor(boxMin[k]) : boxMin[k];
        nodes[k] = CountGridNodes(boxMax[k] - origin[k], work->pitch);
        if (nodes[k] == 0) return STL_DATA_ERROR;
    }
    if (axisCode < 0) {
        const int axis = -axisCode - 1;
        origin[axis] = boxMax[axis] - (nodes[axis] - 1) * work->pitch;
    }
    work->originX = origin[0];
    work->originY = origin[1];
    work->originZ = origin[2];
    work->nodeCountX = nodes[0];
    work->nodeCountY = nodes[1];
    work->nodeCountZ = nodes[2];
    int result = SetUpWorkGrid(work);
    if (result != 1) return MapGridCodeForLoad(result);
    // The grid set-up and the allocation refuse a grid beyond the machine's memory themselves.
    return AllocateWorkModelArrays(work);
}

int CastWholeSolid(WorkModel* work, int kind, const char* path)
{
    int result = 1;
    static const int axes[3] = {2, 0, 1};  // Z-, X-, Y-rays
    for (int i = 0; i < 3 && result == 1; i++) {
        StlRayFamily family;
        const int* order = kCastOrders[axes[i]];
        DescribeRayFamily(work, order[0], order[1], order[2], &family);
        result = ConvertStlToDexels(kind, path, &family);
    }
    EndStlProgress();
    if (result != 1) return result;
    ShowStlStatusText("データ整合中");
    return CleanConvertedWork(work, 0);
}

int CastOneDirection(WorkModel* work, int kind, const char* path, int axisCode,
                     const double boxMin[3], const double boxMax[3], int stlFilter)
{
    const int axis = (axisCode > 0 ? axisCode : -axisCode) - 1;
    const int sign = axisCode > 0 ? 1 : -1;
    for (int k = 0; k < 3; k++) {
        work->minCorner[k] = boxMin[k];
        work->maxCorner[k] = boxMax[k];
    }
    StlRayFamily family;
    const int* order = kCastOrders[axis];
    DescribeRayFamily(work, order[0], order[1], order[2], &family);
    const int result = ConvertStlToDexelsOneDirection(kind, path, sign, &family);
    EndStlProgress();
    if (result != 1) return result;
    ShowStlStatusText("データ整合中");
    if (stlFilter)
        SmoothLevelSpikes(axisCode, family.n0, family.last1 + 1, family.capacity, family.ends,
                          sign > 0 ? boxMin[axis] : boxMax[axis]);
    if (!BuildCrossRaysFromHeights(work, axisCode)) return WORK_GRID_NO_MEMORY;
    DropInvertedDexels(work, axis);
    return 1;
}

}  // namespace

int LoadStlWorkModel(WindowHandle owner, WorkModel* work, const char* path, double placement[12],
                     double pitch, int axisCode, const StlWorkLoadOptions* options)
{
    SetWorkPlacement(work, placement, options);
    work->pitch = pitch;
    const int kind = DetectStlKind(path);
    if (kind == STL_NONE || axisCode < -3 || axisCode > 3) return STL_DATA_ERROR;
    double boxMin[3], boxMax[3];
    int result = ReadStlVertices(kind, path, boxMax, boxMin);
    if (result != 1) return result;
    if (boxMin[0] > boxMax[0]) return STL_DATA_ERROR;  // no vertices: nothing to lay a grid around
    result = LayGridAroundBox(work, boxMin, boxMax, axisCode);
    if (result != 1) return result;
    BeginStlProgress(owner, path, axisCode == 0 ? 4 : 2);
    if (axisCode == 0) return CastWholeSolid(work, kind, path);
    return CastOneDirection(work, kind, path, axisCode, boxMin, boxMax, options->stlFilter);
}
