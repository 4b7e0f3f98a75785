// The machine part models (basic model, vices, tables, heads) loaded from the STL files the machine
// definition names, split into regions and pieces the interference checks can skip by their boxes;
// and the bookkeeping the machine definition reader uses: model file readability, reset of the model
// lists, the tool-change route and the angle-head direction. The point transforms that carry the
// models through the machine position are in part_transforms.h.
#pragma once
#include "work_model/facet_types.h"
#include "work_model/geometry.h"  // MakeBoxCorners

constexpr int BASIC_REGION_COUNT = 18;   // regions of one basic model file (or one slot per file)
constexpr int TABLE1_PIECE_COUNT = 19;   // pieces of the TABLE1 model of a TABLE machine
constexpr int VICE_MESH_COUNT = 5;       // vice files the definition can name

// One loaded part model. count 0: not loaded (the arrays are null).
struct MachinePartMesh {
    int count;                 // triangles
    FacetVertices* facets;     // in machine coordinates, the part's model offset added (heap)
    FacetPlane* planes;        // one per facet, sorted with them by highest Z first; null for heads
    double boxMin[3];          // bounds of the triangles
    double boxMax[3];
    double corners[8][3];      // heads only: the box corners in MakeBoxCorners order
};

// The free box around the reference point of one basic-model slot.
struct ModelFreeBox {
    double low[3];
    double high[3];
};

// The loaded part models. Written by the loaders on the user-interface thread (machine definition
// read, check settings dialog, vice-file command, exit); read by the checks of the simulation thread
// and by the view between loads.
extern MachinePartMesh g_TableMesh;
extern MachinePartMesh g_Table1Pieces[TABLE1_PIECE_COUNT];
extern int g_Table1PieceCount;           // 19 (TABLE machine), 1 (MIX machine) or 0 (not loaded)
extern MachinePartMesh g_Table2Mesh;
extern MachinePartMesh g_ViceMeshes[VICE_MESH_COUNT];
extern MachinePartMesh g_HeadMesh;
extern MachinePartMesh g_Head1Mesh;
extern MachinePartMesh g_Head2Mesh;
extern MachinePartMesh g_BasicMeshes[BASIC_REGION_COUNT];  // regions of one file, or one slot per file
extern ModelFreeBox g_BasicFreeBoxes[BASIC_REGION_COUNT];

// Basic-model checks of two further part groups (no settings key; set by the interference dialog).
extern int g_CheckExtraPartBasic1;
extern int g_CheckExtraPartBasic2;

constexpr int MAX_TOOL_CHANGE_ROUTE_STEPS = 5;

// One step of the tool-change route: 1 for each axis (X, Y, Z, rotary 1, rotary 2) that moves in it.
struct ToolChangeRouteStep {
    int moves[5];
};

extern ToolChangeRouteStep g_ToolChangeRoute[MAX_TOOL_CHANGE_ROUTE_STEPS];  // UI thread (reader)
extern int g_ToolChangeRouteStepCount;                                     // steps in the route
extern int g_ViceModelsFromUser;   // 1 when the vice was chosen by the vice-file command (UI thread)

// 1 when the file opens for reading; otherwise a topmost message box names it and the result is 0.
int CheckModelFileReadable(const char* path);

// Unit spindle direction of an angle head with angles A, B, C (degrees).
void ComputeToolDirectionFromAngles(double a, double b, double c, double* direction);

// Angle-head angles A (from the vertical) and C (azimuth), degrees, of a direction vector.
void ComputeDirectionAngles(const double* direction, double* a, double* c);

// Empties the model file lists, counts and offsets before a machine definition is read; the vice list
// is kept when resetUserVice is 0 and the user chose the vice.
void ResetMachineModels(int resetUserVice);

// Frees every loaded machine part model (TABLE, TABLE1 pieces, TABLE2, vices, heads, basic model).
void FreeMachineModels();
// Frees the basic-model slots / the vice meshes and sets their counts to 0.
void FreeBasicModels();
void FreeViceModels();

// After a machine definition was read: loads every part an enabled check needs, and always the vices.
void LoadAllMachineModels();
// After the check settings changed: loads the parts an enabled check needs that are not loaded yet.
void LoadCheckModelsIfNeeded();
// Loads the basic model files into g_BasicMeshes (regions of one file, or one slot per file).
void LoadBasicModels();
// Loads each named vice file, with its own model offset, into g_ViceMeshes.
void LoadViceModels();

// 1 when any basic or vice file is counted or any part model path is set, else 0.
int HasAnyMachineModel();

// The free box around point: the opening bounded by the nearest triangles on each side (+-1e11 where
// none bounds it).
void ComputeModelBoxAroundPoint(int count, const FacetVertices* facets, const double point[3],
                                double low[3], double high[3]);
// Splits the triangles of one basic model file into the 18 regions of g_BasicMeshes around the free box.
void SplitBasicModelIntoRegions(int count, const FacetVertices* facets, const double low[3], const double high[3]);
// Splits the TABLE1 model of a TABLE machine into the 19 pieces of g_Table1Pieces by thirds of its box.
void PrepareTableModel(int count, const FacetVertices* facets, const double boxMin[3], const double boxMax[3]);

// Turns the "TOOL CHANGE ROUTE" text into g_ToolChangeRoute; an empty text gives Z, then X and Y.
// Returns 1, or 0 when the text names more steps than the route holds (the extra steps are dropped).
int ParseToolChangeRoute(const char* text);

