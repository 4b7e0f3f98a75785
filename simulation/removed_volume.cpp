// Removed volume against the stored undo level.
#include "simulation/removed_volume.h"

#include "platform/ui/shell_services.h"
#include "work_model/dexel_intervals.h"
#include "work_model/work_model.h"

double g_RemovedVolume = 0.0;

namespace {

// Material length of a ray's ends (pairs of entry and exit); *ok := 0 when the ray holds more ends
// than a ray may (it is then left out).
double RayMaterialLength(int d, int capacity, const int32_t* counts, const double* ends, double* buffer, int* ok)
{
    const int32_t count = counts[d];
    if (count < 0 || count > DEXEL_MAX_ENDS) {
        *ok = 0;
        return 0.0;
    }
    int read = 0;
    ReadDexelEnds(d, capacity, counts, ends, &read, buffer);
    double length = 0.0;
    for (int k = 0; k + 1 < read; k += 2) length += buffer[k + 1] - buffer[k];
    return length;
}

}  // namespace

void SumDexelDifference(int capacity, int innerCount, int outerCount, double cellArea, const int32_t* storedCounts,
                        const double* storedEnds, const int32_t* currentCounts, const double* currentEnds,
                        int* changedRays, double* volumeChange)
{
    double stored[DEXEL_MAX_ENDS];
    double current[DEXEL_MAX_ENDS];
    *changedRays = 0;
    *volumeChange = 0.0;
    for (int outer = 0; outer < outerCount; ++outer) {
        for (int inner = 0; inner < innerCount; ++inner) {
            const int d = outer * innerCount + inner;
            int ok = 1;
            const double before = RayMaterialLength(d, capacity, storedCounts, storedEnds, stored, &ok);
            const double after = RayMaterialLength(d, capacity, currentCounts, currentEnds, current, &ok);
            if (!ok || before == after) continue;
            double weight = cellArea;
            if (outer == 0 || outer == outerCount - 1) weight *= 0.5;
            if (inner == 0 || inner == innerCount - 1) weight *= 0.5;
            ++*changedRays;
            *volumeChange += (after - before) * weight;
        }
    }
}

double ComputeRemovedVolume()
{
    g_RemovedVolume = 0.0;
    if (!g_WorkDefined) return 0.0;
    const WorkModel& work = g_WorkModels[g_CurrentWorkIndex];
    if (work.nodeCountX == 0 || work.undoLevels < 1) return 0.0;
    int level = work.currentLevel - 1;
    if (level < 0) level = work.highestLevel;
    if (level < 0 || level >= work.undoLevels) return 0.0;
    const int nx = work.nodeCountX, ny = work.nodeCountY, nz = work.nodeCountZ;
    int countX = 0, countY = 0, countZ = 0;
    double volumeX = 0.0, volumeY = 0.0, volumeZ = 0.0;
    SumDexelDifference(work.familyX.capacity, ny, nz, work.cellArea, work.levelCountsX[level], work.levelEndsX[level],
                       work.familyX.counts, work.familyX.ends, &countX, &volumeX);
    SumDexelDifference(work.familyY.capacity, nz, nx, work.cellArea, work.levelCountsY[level], work.levelEndsY[level],
                       work.familyY.counts, work.familyY.ends, &countY, &volumeY);
    SumDexelDifference(work.familyZ.capacity, nx, ny, work.cellArea, work.levelCountsZ[level], work.levelEndsZ[level],
                       work.familyZ.counts, work.familyZ.ends, &countZ, &volumeZ);
    if (countZ >= countX && countZ >= countY) {
        g_RemovedVolume = volumeZ;
    } else if (countX >= countY && countX >= countZ) {
        g_RemovedVolume = volumeX;
    } else {
        g_RemovedVolume = volumeY;
    }
    return g_RemovedVolume;
}
