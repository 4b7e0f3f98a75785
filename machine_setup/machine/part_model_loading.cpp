// Loading and freeing the machine part models: one STL file per part read into a mesh with its box
// (and plane table sorted by highest Z, or box corners for heads), the basic model split into regions
// around the free box of the table, and the TABLE1 model of a TABLE machine split into pieces. Which
// parts are loaded follows the check settings; the file names come from the machine definition.
#include "machine_setup/machine/machine_models.h"

#include <cstdlib>
#include <cstring>

#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/settings/display_settings.h"
#include "work_model/facet_tables.h"
#include "work_model/stl_files.h"

MachinePartMesh g_TableMesh = {};
MachinePartMesh g_Table1Pieces[TABLE1_PIECE_COUNT] = {};
int g_Table1PieceCount = 0;
MachinePartMesh g_Table2Mesh = {};
MachinePartMesh g_ViceMeshes[VICE_MESH_COUNT] = {};
MachinePartMesh g_HeadMesh = {};
MachinePartMesh g_Head1Mesh = {};
MachinePartMesh g_Head2Mesh = {};
MachinePartMesh g_BasicMeshes[BASIC_REGION_COUNT] = {};
ModelFreeBox g_BasicFreeBoxes[BASIC_REGION_COUNT] = {};
int g_CheckExtraPartBasic1 = 0;
int g_CheckExtraPartBasic2 = 0;

namespace {

enum MeshForm { MESH_WITH_PLANES, MESH_HEAD };

void FreeMesh(MachinePartMesh* mesh)
{
    std::free(mesh->facets);
    std::free(mesh->planes);
    std::memset(mesh, 0, sizeof *mesh);
}

// Reads an STL file into a new facet array (with the offset added) and its box. Returns the facet
// count, or 0 (nothing allocated) when the file is no STL, holds no facet or cannot be read.
int ReadFacetArray(const char* path, const double offset[3], FacetVertices** facetsOut, double boxMin[3],
                   double boxMax[3])
{
    *facetsOut = nullptr;
    if (path == nullptr || path[0] == '\0') return 0;
    int kind = DetectStlKind(path);
    if (kind == STL_NONE) return 0;
    int count = CountStlFacets(kind, path);
    if (count <= 0) return 0;
    FacetVertices* facets = static_cast<FacetVertices*>(std::calloc(static_cast<size_t>(count), sizeof *facets));
    if (facets == nullptr) return 0;
    if (ReadStlFacets(kind, count, path, offset, boxMin, boxMax, facets) != 1) {
        std::free(facets);
        return 0;
    }
    *facetsOut = facets;
    return count;
}

// Builds the plane table of a mesh whose facets are set and sorts both by highest Z. Returns 1, or 0
// (the mesh freed) when the planes cannot be allocated.
int AttachSortedPlanes(MachinePartMesh* mesh)
{
    mesh->planes = static_cast<FacetPlane*>(std::calloc(static_cast<size_t>(mesh->count), sizeof(FacetPlane)));
    if (mesh->planes == nullptr) {
        FreeMesh(mesh);
        return 0;
    }
    BuildFacetPlaneTable(mesh->count, mesh->facets, mesh->planes);
    SortFacetsByTopChunked(mesh->count, mesh->facets, mesh->planes);
    return 1;
}

// Loads one part file into mesh (freed first): with a sorted plane table, or with box corners for a head.
int LoadPartMesh(const char* path, const double offset[3], int form, MachinePartMesh* mesh)
{
    FreeMesh(mesh);
    FacetVertices* facets = nullptr;
    int count = ReadFacetArray(path, offset, &facets, mesh->boxMin, mesh->boxMax);
    if (count <= 0) {
        FreeMesh(mesh);
        return 0;
    }
    mesh->facets = facets;
    mesh->count = count;
    if (form == MESH_HEAD) {
        MakeBoxCorners(mesh->boxMin, mesh->boxMax, mesh->corners);
        return 1;
    }
    return AttachSortedPlanes(mesh);
}

int IsOn(int check) { return check > 0; }

int HasPath(int part) { return g_PartModelFiles[part][0] != '\0'; }

const double* PartOffset(int part) { return g_PartModelOffsets.part[part]; }

// Region of a triangle by the sides it lies beyond: above / below (Z), x-high / x-low, y-high / y-low,
// each meaning all three vertices at or beyond the bound. noneRegion takes a triangle beyond no bound.
int ClassifyTriangle(const double* v, const double low[3], const double high[3], int noneRegion)
{
    int beyondHigh[3], beyondLow[3];
    for (int axis = 0; axis < 3; ++axis) {
        beyondHigh[axis] = v[axis] >= high[axis] && v[3 + axis] >= high[axis] && v[6 + axis] >= high[axis];
        beyondLow[axis] = v[axis] <= low[axis] && v[3 + axis] <= low[axis] && v[6 + axis] <= low[axis];
    }
    int xh = beyondHigh[0], xl = beyondLow[0], yh = beyondHigh[1], yl = beyondLow[1];
    if (beyondHigh[2]) return xh ? 11 : xl ? 10 : yh ? 13 : yl ? 12 : 5;
    if (beyondLow[2]) return xh ? 7 : xl ? 6 : yh ? 9 : yl ? 8 : 2;
    if (xh) return yh ? 17 : yl ? 16 : 3;
    if (xl) return yh ? 15 : yl ? 14 : 0;
    return yh ? 4 : yl ? 1 : noneRegion;
}

// Distributes the triangles over regionCount meshes (freed first) by ClassifyTriangle, keeping their
// input order within a region; each region gets its box and a sorted plane table.
void SplitIntoRegions(int count, const FacetVertices* facets, const double low[3], const double high[3],
                      int noneRegion, int regionCount, MachinePartMesh* regions)
{
    int regionCounts[TABLE1_PIECE_COUNT] = {};
    for (int r = 0; r < regionCount; ++r) {
        FreeMesh(&regions[r]);
        for (int axis = 0; axis < 3; ++axis) {
            regions[r].boxMin[axis] = 1e9;
            regions[r].boxMax[axis] = -1e9;
        }
    }
    int* regionOf = static_cast<int*>(std::malloc(static_cast<size_t>(count > 0 ? count : 1) * sizeof(int)));
    if (regionOf == nullptr) return;
    for (int f = 0; f < count; ++f) {
        const double* v = facets[f].vertices;
        int r = ClassifyTriangle(v, low, high, noneRegion);
        regionOf[f] = r;
        regionCounts[r]++;
        for (int corner = 0; corner < 3; ++corner) {
            for (int axis = 0; axis < 3; ++axis) {
                double value = v[3 * corner + axis];
                if (value < regions[r].boxMin[axis]) regions[r].boxMin[axis] = value;
                if (value > regions[r].boxMax[axis]) regions[r].boxMax[axis] = value;
            }
        }
    }
    for (int r = 0; r < regionCount; ++r) {
        if (regionCounts[r] == 0) continue;
        regions[r].facets =
            static_cast<FacetVertices*>(std::calloc(static_cast<size_t>(regionCounts[r]), sizeof(FacetVertices)));
    }
    for (int f = 0; f < count; ++f) {
        MachinePartMesh* region = &regions[regionOf[f]];
        if (region->facets != nullptr) region->facets[region->count++] = facets[f];
    }
    std::free(regionOf);
    for (int r = 0; r < regionCount; ++r) {
        if (regions[r].count > 0) AttachSortedPlanes(&regions[r]);
    }
}

// The reference point of the basic model's free box: the middle of the top of the table the work
// stands on when that table is loaded, else the table pivot.
void ComputeBasicReferencePoint(double point[3])
{
    const MachinePartMesh* table = nullptr;
    if (g_MachineKind == MACHINE_HEAD) {
        if (HasPath(PART_MODEL_TABLE) && g_TableMesh.count > 0) table = &g_TableMesh;
    } else if (g_MachineKind == MACHINE_TABLE) {
        if (HasPath(PART_MODEL_TABLE2) && g_Table2Mesh.count > 0) table = &g_Table2Mesh;
    } else if (HasPath(PART_MODEL_TABLE1) && g_Table1PieceCount > 0 && g_Table1Pieces[0].count > 0) {
        table = &g_Table1Pieces[0];
    }
    if (table != nullptr) {
        point[0] = (table->boxMin[0] + table->boxMax[0]) * 0.5;
        point[1] = (table->boxMin[1] + table->boxMax[1]) * 0.5;
        point[2] = table->boxMax[2];
        return;
    }
    for (int k = 0; k < 3; ++k) point[k] = g_MachineKind == MACHINE_HEAD ? 0.0 : g_TablePosition[k];
    if (g_MachineKind == MACHINE_TABLE) {
        point[g_Rotary2CrossAxes[0]] += g_TableOffset[g_Rotary2CrossAxes[0]];
        point[g_Rotary2CrossAxes[1]] += g_TableOffset[g_Rotary2CrossAxes[1]];
    }
}

void LoadTable1Model()
{
    for (int k = 0; k < TABLE1_PIECE_COUNT; ++k) FreeMesh(&g_Table1Pieces[k]);
    g_Table1PieceCount = 0;
    if (g_MachineKind == MACHINE_TABLE) {
        FacetVertices* facets = nullptr;
        double boxMin[3], boxMax[3];
        int count = ReadFacetArray(g_PartModelFiles[PART_MODEL_TABLE1], PartOffset(PART_MODEL_TABLE1), &facets,
                                   boxMin, boxMax);
        g_Table1PieceCount = TABLE1_PIECE_COUNT;
        if (count > 0) PrepareTableModel(count, facets, boxMin, boxMax);
        std::free(facets);
    } else if (g_MachineKind == MACHINE_MIX) {
        g_Table1PieceCount = 1;
        LoadPartMesh(g_PartModelFiles[PART_MODEL_TABLE1], PartOffset(PART_MODEL_TABLE1), MESH_WITH_PLANES,
                     &g_Table1Pieces[0]);
    }
}

int NeedsTable()
{
    return IsOn(g_CheckToolTable) || IsOn(g_CheckArborTable) || IsOn(g_CheckHeadTable) ||
           IsOn(g_CheckHead1Table) || IsOn(g_CheckHead2Table);
}

int NeedsTable1()
{
    return IsOn(g_CheckToolTable1) || IsOn(g_CheckArborTable1) || IsOn(g_CheckHeadTable1) ||
           IsOn(g_CheckHead1Table1);
}

int NeedsTable2() { return IsOn(g_CheckToolTable2) || IsOn(g_CheckArborTable2) || IsOn(g_CheckHeadTable2); }

int NeedsHead2()
{
    return IsOn(g_CheckHead2Work) || IsOn(g_CheckHead2Vice) || IsOn(g_CheckHead2Table) || IsOn(g_CheckHead2Basic);
}

int NeedsHead1()
{
    return IsOn(g_CheckHead1Work) || IsOn(g_CheckHead1Vice) || IsOn(g_CheckHead1Table1) ||
           IsOn(g_CheckHead1Table) || IsOn(g_CheckHead1Basic);
}

int NeedsHead()
{
    return IsOn(g_CheckHeadWork) || IsOn(g_CheckHeadVice) || IsOn(g_CheckHeadTable2) || IsOn(g_CheckHeadTable1) ||
           IsOn(g_CheckHeadTable) || IsOn(g_CheckHeadBasic);
}

int NeedsBasic()
{
    return IsOn(g_CheckToolBasic) || IsOn(g_CheckArborBasic) || IsOn(g_CheckHead2Basic) ||
           IsOn(g_CheckHead1Basic) || IsOn(g_CheckHeadBasic) || IsOn(g_CheckExtraPartBasic1) ||
           IsOn(g_CheckExtraPartBasic2);
}

// The loading steps in their fixed order; onlyMissing skips a part that is loaded already.
void LoadNeededModels(int onlyMissing)
{
    if (NeedsTable() && HasPath(PART_MODEL_TABLE) && !(onlyMissing && g_TableMesh.count != 0)) {
        LoadPartMesh(g_PartModelFiles[PART_MODEL_TABLE], PartOffset(PART_MODEL_TABLE), MESH_WITH_PLANES,
                     &g_TableMesh);
    }
    if (NeedsTable1() && HasPath(PART_MODEL_TABLE1) && !(onlyMissing && g_Table1PieceCount != 0)) {
        LoadTable1Model();
    }
    if (g_MachineKind == MACHINE_TABLE && NeedsTable2() && HasPath(PART_MODEL_TABLE2) &&
        !(onlyMissing && g_Table2Mesh.count != 0)) {
        LoadPartMesh(g_PartModelFiles[PART_MODEL_TABLE2], PartOffset(PART_MODEL_TABLE2), MESH_WITH_PLANES,
                     &g_Table2Mesh);
    }
    if (!(onlyMissing && g_ViceMeshes[0].count != 0)) LoadViceModels();
    if (g_MachineKind == MACHINE_HEAD && NeedsHead2() && HasPath(PART_MODEL_HEAD2) &&
        !(onlyMissing && g_Head2Mesh.count != 0)) {
        LoadPartMesh(g_PartModelFiles[PART_MODEL_HEAD2], PartOffset(PART_MODEL_HEAD2), MESH_HEAD, &g_Head2Mesh);
    }
    if (g_MachineKind != MACHINE_TABLE && NeedsHead1() && HasPath(PART_MODEL_HEAD1) &&
        !(onlyMissing && g_Head1Mesh.count != 0)) {
        LoadPartMesh(g_PartModelFiles[PART_MODEL_HEAD1], PartOffset(PART_MODEL_HEAD1), MESH_HEAD, &g_Head1Mesh);
    }
    if (NeedsHead() && HasPath(PART_MODEL_HEAD) && !(onlyMissing && g_HeadMesh.count != 0)) {
        LoadPartMesh(g_PartModelFiles[PART_MODEL_HEAD], PartOffset(PART_MODEL_HEAD), MESH_HEAD, &g_HeadMesh);
    }
    if (NeedsBasic() && !(onlyMissing && g_BasicMeshes[0].count != 0)) LoadBasicModels();
}

}  // namespace

void LoadAllMachineModels() { LoadNeededModels(0); }

void LoadCheckModelsIfNeeded() { LoadNeededModels(1); }

void LoadViceModels()
{
    int count = g_ViceModelCount < VICE_MESH_COUNT ? g_ViceModelCount : VICE_MESH_COUNT;
    for (int k = 0; k < count; ++k) {
        if (g_ViceModelFiles[k][0] == '\0') continue;
        LoadPartMesh(g_ViceModelFiles[k], g_PartModelOffsets.vice[k], MESH_WITH_PLANES, &g_ViceMeshes[k]);
    }
}

void LoadBasicModels()
{
    if (g_BasicModelCount <= 0) return;
    FreeBasicModels();
    double reference[3];
    ComputeBasicReferencePoint(reference);
    const double* offset = g_PartModelOffsets.basic;
    if (g_BasicModelCount == 1) {
        FacetVertices* facets = nullptr;
        double boxMin[3], boxMax[3];
        int count = ReadFacetArray(g_BasicModelFiles[0], offset, &facets, boxMin, boxMax);
        if (count <= 0) return;
        ModelFreeBox* box = &g_BasicFreeBoxes[0];
        ComputeModelBoxAroundPoint(count, facets, reference, box->low, box->high);
        SplitBasicModelIntoRegions(count, facets, box->low, box->high);
        std::free(facets);
        return;
    }
    int files = g_BasicModelCount < MAX_BASIC_MODEL_FILES ? g_BasicModelCount : MAX_BASIC_MODEL_FILES;
    for (int k = 0; k < files; ++k) {
        MachinePartMesh* slot = &g_BasicMeshes[k];
        FacetVertices* facets = nullptr;
        int count = ReadFacetArray(g_BasicModelFiles[k], offset, &facets, slot->boxMin, slot->boxMax);
        if (count <= 0) continue;
        slot->facets = facets;
        slot->count = count;
        ComputeModelBoxAroundPoint(count, facets, reference, g_BasicFreeBoxes[k].low, g_BasicFreeBoxes[k].high);
        AttachSortedPlanes(slot);
    }
}

void ComputeModelBoxAroundPoint(int count, const FacetVertices* facets, const double point[3], double low[3],
                                double high[3])
{
    for (int axis = 0; axis < 3; ++axis) {
        low[axis] = -1e11;
        high[axis] = 1e11;
    }
    for (int f = 0; f < count; ++f) {
        const double* v = facets[f].vertices;
        double mn[3], mx[3], distance[3];
        int side[3];
        for (int axis = 0; axis < 3; ++axis) {
            mn[axis] = v[axis];
            mx[axis] = v[axis];
            for (int corner = 1; corner < 3; ++corner) {
                double value = v[3 * corner + axis];
                if (value < mn[axis]) mn[axis] = value;
                if (value > mx[axis]) mx[axis] = value;
            }
            if (point[axis] - mx[axis] > 0.0) {
                distance[axis] = point[axis] - mx[axis];
                side[axis] = -1;
            } else if (mn[axis] - point[axis] > 0.0) {
                distance[axis] = mn[axis] - point[axis];
                side[axis] = 1;
            } else {
                distance[axis] = 0.0;
                side[axis] = 0;
            }
        }
        int a;
        if (distance[0] >= distance[1] && distance[0] >= distance[2]) a = 0;
        else if (distance[1] >= distance[0] && distance[1] >= distance[2]) a = 1;
        else a = 2;
        int b = (a + 1) % 3, c = (a + 2) % 3;
        if (mx[b] >= high[b] && mn[b] <= low[b] && mx[c] >= high[c] && mn[c] <= low[c]) continue;
        if (side[a] == 1) {
            if (mn[a] < high[a]) high[a] = mn[a];
        } else {
            if (mx[a] > low[a]) low[a] = mx[a];
        }
    }
}

void SplitBasicModelIntoRegions(int count, const FacetVertices* facets, const double low[3], const double high[3])
{
    SplitIntoRegions(count, facets, low, high, 0, BASIC_REGION_COUNT, g_BasicMeshes);
}

void PrepareTableModel(int count, const FacetVertices* facets, const double boxMin[3], const double boxMax[3])
{
    double lowerThird[3], upperThird[3];
    for (int axis = 0; axis < 3; ++axis) {
        double size = boxMax[axis] - boxMin[axis];
        lowerThird[axis] = boxMin[axis] + size / 3.0;
        upperThird[axis] = boxMin[axis] + size * 2.0 / 3.0;
    }
    SplitIntoRegions(count, facets, lowerThird, upperThird, TABLE1_PIECE_COUNT - 1, TABLE1_PIECE_COUNT,
                     g_Table1Pieces);
}

void FreeBasicModels()
{
    // Every slot is freed, whatever the file count says now: the count may have changed since loading.
    for (int k = 0; k < BASIC_REGION_COUNT; ++k) FreeMesh(&g_BasicMeshes[k]);
    std::memset(g_BasicFreeBoxes, 0, sizeof g_BasicFreeBoxes);
}

void FreeViceModels()
{
    for (int k = 0; k < VICE_MESH_COUNT; ++k) FreeMesh(&g_ViceMeshes[k]);
}

void FreeMachineModels()
{
    FreeMesh(&g_TableMesh);
    for (int k = 0; k < TABLE1_PIECE_COUNT; ++k) FreeMesh(&g_Table1Pieces[k]);
    g_Table1PieceCount = 0;
    FreeMesh(&g_Table2Mesh);
    FreeViceModels();
    FreeMesh(&g_HeadMesh);
    FreeMesh(&g_Head1Mesh);
    FreeMesh(&g_Head2Mesh);
    FreeBasicModels();
}

int HasAnyMachineModel()
{
    if (g_BasicModelCount > 0 || g_ViceModelCount > 0) return 1;
    for (int k = 0; k < PART_MODEL_COUNT; ++k) {
        if (g_PartModelFiles[k][0] != '\0') return 1;
    }
    return 0;
}
