// The tool table (".TTL"): the tool records indexed by tool number with their side tables (lengths,
// holders, limits, feed optimisation, length shifts, pens, LAYOUT1 positions) and the reader that fills
// them. Making a tool current and deriving its geometry belong to current_tool.h.
#pragma once
#include <cstdint>
#include "machine_setup/tools/arbor_file.h"
#include "machine_setup/tools/dxf_outline.h"
#include "platform/os/files.h"

// ToolTypeCode
enum ToolTypeCode {
    TOOL_GENERAL = 0,     // CUTTER (general), DRILL, BULL with r < 0
    TOOL_BALL = 1,
    TOOL_FLAT = 2,
    TOOL_BULL = 3,
    TOOL_TAPER_BALL = 4,
    TOOL_VERTICAL = 5,
    TOOL_OVAL = 6,
    TOOL_T_SLOT = 7,      // T-THROW
    TOOL_SPHERE = 8,
    TOOL_RADIUS = 9,
    TOOL_SCRIBING = 99,   // KEGAKI
    TOOL_DXF = 990,       // IMPORT-TOOL
    TOOL_STL = 999        // IMPORT
};

// ToolLengthKind
enum ToolLengthKind {
    LENGTH_NONE = 0, LENGTH_ONE = 1, LENGTH_TWO = 2, LENGTH_THREE = 3,
    LENGTH_TWO_A = 12, LENGTH_THREE_A = 13
};

// ToolLimitKind
enum ToolLimitKind { LIMIT_NONE = 0, LIMIT_PLAIN = 1, LIMIT_S = 2, LIMIT_PLAIN_LOG = 11, LIMIT_S_LOG = 12 };

constexpr int TOOL_LAYOUT_SLOTS = 201;     // LAYOUT1 tables: tool numbers 0 to 200
constexpr int MAX_MOUNTED_TOOLS = 200;     // mounted-tool list
constexpr int TOOL_LINE_SIZE = 1024;       // line buffer of the reader
constexpr int TOOL_NAME_MAX = 255;         // longest stored name (DXF title)
constexpr float TOOL_PLUGIN_LENGTH_MARKER = -0.0123f;  // tool 0 length shift meaning "no length"

struct ToolRecord {
    int defined;               // 1 once a MAGAZINE line named this number
    int type;                  // ToolTypeCode
    float diameter;            // d
    float cornerRadius;        // r (BULL with r < 0 keeps it negative: hollow corner)
    float secondRadius;        // T-THROW: upper corner radius r2
    float cornerCentreRadius;  // e (oval: radial semi-axis; radius mill: inner radius)
    float cornerCentreHeight;  // f (oval: height semi-axis; radius mill: centre height)
    float bottomAngle;         // alpha, degrees
    float tipFlatDiameter;     // flat at the tip of an inclined bottom
    float sideAngle;           // beta, degrees
    float topDiameter;         // top of a tapered cutting part; T-THROW: top of the head
    float verticalInset;       // VERTICAL: radial width w
    float headLength;          // T-THROW: height of the head
    float neckDiameter;        // T-THROW neck; SPHERE second value; IMPORT body diameter override
    float cuttingLength;       // h (raised by LENGTH2A / LENGTH3A)
    float readCuttingLength;   // h as written on CUTTER / TAPERBALL
    int dxfSegmentCount;       // IMPORT-TOOL outline segments
    int dxfSegmentsUsed;       // segments in use (up to the shank when a LENGTH line is given)
    int dxfClassStart[3];      // first segment of cutting part, shank, holder; -1 absent
    DxfProfileSegment* dxfSegments;  // heap array of dxfSegmentCount entries, owned by the record
    double dxfExtents[2];      // width and height of the moved outline
    double bodyPlacement[3];   // IMPORT: offset X, Y, Z of the STL body
    char* name;                // heap string or null; IMPORT: STL file; IMPORT-TOOL: DXF title
    char* shapeFile;           // heap string or null; IMPORT-TOOL: DXF file name
};

struct ToolLengthRecord {
    int kind;              // ToolLengthKind
    float lengths[6];      // L1 .. L6 (index 0 is L1); L6 is a diameter
    float semicolonValue;  // value after ";" (shank diameter), -1 when none
};

struct ToolLimitRecord {
    int kind;          // ToolLimitKind
    float limits[4];
};

struct ToolOptFeedRecord {
    int used[4];             // index 0 no letter, 1 "V", 2 "U", 3 "D"
    int pairCount[4];
    float feeds[4][20];
    float thresholds[4][19];
};

// ---------------------------------------------------------------------------------------------------
// Tables (UI thread writes them in ReadToolTableFile; the simulation thread reads them during a run).
// Heap arrays of g_MaxMagazine + 1 entries, allocated by AllocateToolArrays.
extern ToolRecord* g_ToolTable;
extern ToolLengthRecord* g_ToolLengthTable;
extern ArborRecord* g_ArborTable;
extern ToolOptFeedRecord* g_ToolOptFeedTable;
extern ToolLimitRecord* g_ToolLimitTable;
extern float* g_ToolLengths;               // length shift (SHIFT + TOOL BASE POINT correction)
extern int32_t* g_ToolPenTable;            // pen 0 to 15
extern unsigned char* g_ToolUsedFlags;     // 1 when the NC data check found the tool called (UI thread)
extern int g_ToolArrayCapacity;            // number of entries of the arrays above (0 before allocation)

extern int g_ToolLayoutFlags[TOOL_LAYOUT_SLOTS];          // 1 when tool n has a LAYOUT1 line
extern double g_ToolLayoutPositions[TOOL_LAYOUT_SLOTS][3];
extern int g_MountedTools[MAX_MOUNTED_TOOLS];             // tools with LAYOUT1 lines, in file order
extern int g_MountedToolCount;

extern ArborRecord g_DefaultArbor;         // holder given before the first MAGAZINE line
extern int g_ToolTableStatus;              // 1 read, -1 missing at the last read, 0 after reported
extern FileTime g_ToolTableFileTime;       // last-write time taken before the last read
extern int g_ToolTableLoaded;              // 1 after the first read
extern int g_HighestToolNumber;            // highest MAGAZINE number (at least 11)
extern int g_SelectedToolNumber;           // tool selected for the next change ("I" line)
extern int g_ToolBodyFacetCount;           // facets of the loaded STL tool body (0: none loaded)
extern char g_ToolTableMessage[512];       // last problem found by a read ("" none), for the caller

// Allocates the per-tool arrays for g_MaxMagazine + 1 tools (reallocates when called again).
void AllocateToolArrays();
// Reads g_ToolTableFilePath; sets g_ToolTableStatus and g_ToolTableFileTime. Returns 1 when read,
// -1 when the file cannot be opened.
int ReadToolTableFile();
// Frees names, shape files and DXF segments of every tool.
void FreeToolShapeBuffers();
// FreeToolShapeBuffers, then frees the arrays.
void FreeToolArrays();
// 1 when text holds a "%" and either no "," or its first "%" lies before its first ",".
int HasPercentBeforeComma(const char* text);
// Limits a given top diameter of a tapered tool to what the shape allows.
void ComputeGeneralToolDimensions(float d, float r, float alpha, float beta, float h, float* topDiameter);
// 1 when n is a valid index of the tool arrays.
int IsToolNumberInTable(int n);
