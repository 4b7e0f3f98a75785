// The numbering of the view's display lists, the builders of the scene's part lists (axis indicator,
// axis triad, machine basic models, tool, HEAD and TABLE parts, vice, pick mark, rotation-centre mark,
// tool path, basic model) and the drawing of machine part model files into them. Every builder runs on
// the UI thread with the view's context current, clears its flag first, deletes its old list and
// compiles a fresh one in scene units.
#pragma once

// Fixed list names (inside the reservation, which starts at 1 on a fresh context).
enum SceneListName : unsigned {
    LIST_VIEW_INDICATOR = 1,
    LIST_AXIS_TRIAD = 2,
    LIST_MACHINE_BASIC_MODELS = 3,
    LIST_TOOL = 4,
    LIST_HEAD = 11,
    LIST_HEAD_X = 12, LIST_HEAD_Y = 13, LIST_HEAD_Z = 14,
    LIST_HEAD_XY = 15, LIST_HEAD_YZ = 16, LIST_HEAD_ZX = 17,
    LIST_HEAD1 = 18,
    LIST_HEAD2 = 19,
    LIST_TABLE = 21,
    LIST_TABLE_X = 22, LIST_TABLE_Y = 23, LIST_TABLE_Z = 24,
    LIST_TABLE1 = 25,
    LIST_TABLE2 = 26,
    LIST_VICE_MODELS = 27,
    LIST_PICK_MARK = 28,
    LIST_VIEW_CENTRE_MARK = 30,
    LIST_TOOL_PATH = 31,
    LIST_LINEAR_TOOL_PATH = 32,
    LIST_BASIC_MODEL = 33,
};

const int DISPLAY_LIST_RESERVATION = 400034;   // 20 work slots x 20000 + 34
const int WORK_LIST_SLOT_SIZE = 20000;
const int WORK_LIST_ROW_SIZE = 1000;
const int WORK_LIST_FIRST = 34;

// The name of display block `block` in work slot `slot`, row m (0 to 19) of the slot.
unsigned WorkBlockListName(unsigned base, int slot, int row, int block);

// The list of the current tool was last compiled with this g_CutCodeState (UI thread).
extern int g_ToolListCutState;

// Sets every rebuild flag of the scene's part lists (a new context, a new machine).
void MarkAllSceneListsForRebuild();

// The screen direction (dx, dy) of machine axis 0 X, 1 Y, 2 Z in the view axis indicator for axis
// direction code `code` and the indicator's cosines c, s (angle A) and C, N (cos B, -sin B).
void GetIndicatorAxisDirection(int axis, int code, double c, double s, double bigC, double bigN, double* dx,
                               double* dy);

// The builders, each for its list(s).
void BuildViewAxisIndicatorList();   // 1
void BuildAxisTriadList();           // 2
void BuildMachineBasicModelsList();  // 3
void BuildCurrentToolList();         // 4
void BuildLayoutToolsList();         // 4
void BuildHeadPartLists();           // 11 to 17
void BuildHead1PartList();           // 18
void BuildHead2PartList();           // 19
void BuildTablePartLists();          // 21 to 24
void BuildTable1PartList();          // 25
void BuildTable2PartList();          // 26
void BuildViceModelsList();          // 27
void BuildPickMarkList();            // 28
void BuildViewCentreMarkList();      // 30
void BuildToolPathList();            // 31
void BuildLinearToolPathList();      // 32
void BuildBasicModelList();          // 33

// Draws an STL model file (kind detected) into the open list, every vertex plus offset, in scene units.
void DrawPartModelFile(const char* path, const double* offset);
// Draws the facets of the STL tool body plus offset (mm) into the open list.
void DrawTriangleList(const double* offset);
