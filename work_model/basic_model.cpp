// Loading the basic model from STL onto the widened work grid (cast with the import transform,
// cleaned and clipped to the grid) and reading the placement file.
#include "work_model/basic_model.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/os/paths.h"
#include "work_model/dexel_cleaning.h"
#include "work_model/file_routines.h"
#include "work_model/matrix.h"
#include "work_model/pens_paint.h"
#include "work_model/stl_conversion.h"
#include "work_model/stl_files.h"
#include "work_model/stl_load_reports.h"

int g_BasicModelMarginX = 5;
int g_BasicModelMarginY = 5;
int g_BasicModelMarginZ = 5;
int g_BasicModelPlacementOverride = -1;

namespace {

const int kMargin = 5;
enum { MATRIX_LINE_BYTES = 64 };

// The three casts: Z-rays (0, 1, 2), X-rays (1, 2, 0), Y-rays (2, 0, 1).
const int kCastOrders[3][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}};

int FailBasicModel(WorkModel* basicModel, int code)
{
    DestroyWorkModel(basicModel);
    basicModel->nodeCountX = 0;
    return code;
}

void CopyWorkPlacement(const WorkModel* work, WorkModel* basicModel)
{
    std::memcpy(basicModel->rotation, work->rotation, sizeof work->rotation);
    std::memcpy(basicModel->translation, work->translation, sizeof work->translation);
    std::memcpy(basicModel->inverseRotation, work->inverseRotation, sizeof work->inverseRotation);
    std::memcpy(basicModel->inverseTranslation, work->inverseTranslation,
                sizeof work->inverseTranslation);
    basicModel->pitch = work->pitch;
}

// Sets up and allocates the widened grid, casts the three families and cleans them.
int BuildBasicModel(WindowHandle owner, WorkModel* basicModel, const char* path, int kind,
                    const WorkModel* work, const ImportFrame* frame)
{
    double gridMin[3], gridMax[3];
    DeriveMarginGrid(work, basicModel, gridMin, gridMax, &g_BasicModelMarginX,
                     &g_BasicModelMarginY, &g_BasicModelMarginZ);
    int result = SetUpWorkGridSingleBlock(basicModel);
    if (result == 1) result = AllocateWorkModelArrays(basicModel);
    if (result != 1) return result;
    BeginStlProgress(owner, path, 4);
    double placement[12];
    std::memcpy(placement, basicModel->rotation, sizeof basicModel->rotation);
    std::memcpy(placement + 9, basicModel->translation, sizeof basicModel->translation);
    SetupImportTransform(placement, frame);
    for (int f = 0; f < 3 && result == 1; f++) {
        StlRayFamily family;
        DescribeRayFamily(basicModel, kCastOrders[f][0], kCastOrders[f][1], kCastOrders[f][2],
                          &family);
        result = ConvertStlToDexels(kind, path, &family);
    }
    ResetImportTransformFlags();
    EndStlProgress();
    if (result != 1) return result;
    ShowStlStatusText("データ整合中");
    return CleanConvertedWork(basicModel, 1);
}

int LoadWithFrame(WindowHandle owner, WorkModel* basicModel, const char* path,
                  const WorkModel* work, const ImportFrame* frame)
{
    DestroyWorkModel(basicModel);
    if (!HasFileExtension(path, ".STL")) return FailBasicModel(basicModel, STL_DATA_ERROR);
    CopyWorkPlacement(work, basicModel);
    const int kind = DetectStlKind(path);
    if (kind == STL_NONE) return FailBasicModel(basicModel, STL_DATA_ERROR);
    const int result = BuildBasicModel(owner, basicModel, path, kind, work, frame);
    if (result != 1) return FailBasicModel(basicModel, result);
    InvertMatrix3(basicModel->rotation, basicModel->inverseRotation);
    for (int k = 0; k < 3; k++) basicModel->inverseTranslation[k] = -basicModel->translation[k];
    UpdateWorkHasPlacement(basicModel);
    // The corners are the extents of the material, as for every other loaded model.
    GetWorkExtents(basicModel, basicModel->minCorner, basicModel->maxCorner);
    ShowStlStatusText("");
    return 1;
}

// The number at the start of line (leading blanks allowed); 0 when there is none.
int ReadPlacementNumber(const char* line, double* value)
{
    char* end;
    const double v = std::strtod(line, &end);
    if (end == line || !std::isfinite(v)) return 0;
    *value = v;
    return 1;
}

}  // namespace

int LoadBasicModelStl(WindowHandle owner, WorkModel* basicModel, const char* path,
                      const WorkModel* work, const ImportFrame* frame)
{
    ImportFrame used = *frame;
    if (g_BasicModelPlacementOverride == 0 || g_BasicModelPlacementOverride == 1) {
        used.inWorkCoordinates = g_BasicModelPlacementOverride;
        g_BasicModelPlacementOverride = 2;
    }
    const int result = LoadWithFrame(owner, basicModel, path, work, &used);
    if (g_BasicModelPlacementOverride == 2) g_BasicModelPlacementOverride = -1;
    return result;
}

void DeriveMarginGrid(const WorkModel* work, WorkModel* basicModel, double gridMin[3],
                      double gridMax[3], int* marginX, int* marginY, int* marginZ)
{
    *marginX = *marginY = *marginZ = kMargin;
    const double pitch = work->pitch;
    basicModel->pitch = pitch;
    basicModel->nodeCountX = work->nodeCountX + 2 * kMargin;
    basicModel->nodeCountY = work->nodeCountY + 2 * kMargin;
    basicModel->nodeCountZ = work->nodeCountZ + 2 * kMargin;
    const double first[3] = {work->originX, work->originY, work->originZ};
    const int nodes[3] = {work->nodeCountX, work->nodeCountY, work->nodeCountZ};
    for (int k = 0; k < 3; k++) {
        gridMin[k] = first[k] - kMargin * pitch;
        gridMax[k] = first[k] + (nodes[k] - 1) * pitch + kMargin * pitch;
    }
    basicModel->originX = gridMin[0];
    basicModel->originY = gridMin[1];
    basicModel->originZ = gridMin[2];
    basicModel->undoLevels = 1;
}

void ReadPlacementMatrixFile(double placement[12], const char* matrixPath)
{
    if (!matrixPath || matrixPath[0] == '\0') return;
    FILE* stream = OpenFile(matrixPath, "r");
    if (!stream) return;
    char line[MATRIX_LINE_BYTES];
    for (int i = 0; i < 12 && std::fgets(line, sizeof line, stream); i++) {
        // Only the first 63 characters count: the rest of a longer line is passed over.
        if (!std::strchr(line, '\n'))
            for (int c = std::fgetc(stream); c != EOF && c != '\n';) c = std::fgetc(stream);
        ReadPlacementNumber(line, &placement[i]);
    }
    std::fclose(stream);
}
