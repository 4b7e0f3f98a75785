// DXF tool outlines: reads the LINE and ARC entities of a half outline drawn in a DXF file, drops the
// axis line, moves the outline to the origin, chains it from the tip, sorts it by line style into
// cutting part, shank and holder, and derives the tool's dimensions from it. The tool table owns the
// chained segments (ToolRecord); the tool profile turns them into profile points.
#pragma once

// One LINE or ARC of the outline (x = distance from the tool axis, y = height above the tip).
struct DxfProfileSegment {
    int kind;               // 1 line; 3 arc counter-clockwise from startAngle to endAngle; 2 arc reversed
                            // by the chaining (clockwise from its start to its end point); <= 0 ignored
    int lineTypeIndex;      // position of its line type in the file's LTYPE table; 0 none or unknown
    int lineTypeDashCount;  // dash elements of that line type (group 73); 0 continuous
    int colour;             // colour number (group 62); 0 when none
    double startX, startY;
    double endX, endY;
    double centreX, centreY;  // arcs only
    double radius;            // arcs: truncated to a multiple of 0.0001
    double startAngle, endAngle;  // arcs: degrees
    int mark;               // -1 read; chain position once chained; part class once classified
};

enum DxfPartClass { DXF_CLASS_NONE = 0, DXF_CLASS_CUTTING = 1, DXF_CLASS_SHANK = 2, DXF_CLASS_HOLDER = 3 };

constexpr int DXF_MAX_SEGMENTS = 300;      // segments of the caller's scratch array
constexpr int DXF_MAX_LINE_TYPES = 200;    // entries of the LTYPE table

// Results of ReadDxfToolProfile.
enum DxfReadResult {
    DXF_READ_OK = 1,
    DXF_READ_NO_SEGMENTS = 0,    // readable, but no LINE or ARC, or no chain from a continuous segment
    DXF_READ_CANNOT_OPEN = -1,   // missing, unreadable or no regular file (a device, pipe or folder)
    DXF_READ_MALFORMED = -2      // a group-code line that is no integer, or a pair cut off at the end
};

// Reads fileName, filters, moves and chains its segments into scratch (DXF_MAX_SEGMENTS entries).
// *segmentCount = length of the chain (0 on every failure); extents = width and height of the moved
// outline. Returns a DxfReadResult; a malformed file is refused as a whole (count 0).
int ReadDxfToolProfile(const char* fileName, int* segmentCount, DxfProfileSegment* scratch,
                       double extents[2]);
// Short English text of a DxfReadResult.
const char* GetDxfReadResultText(int result);

// Box of the segments' start and end points; count <= 0 leaves the outputs untouched.
void ComputeDxfProfileBox(int count, const DxfProfileSegment* segments, double minimum[2],
                          double maximum[2]);
// Exact cosine and sine at multiples of 90 degrees within +-360, else cos/sin of angle x pi / 180.
void AngleToCosSin(double angleDeg, double* cosine, double* sine);
// Gives every chained segment its part class (mark) and fills classStart (first index of cutting part,
// shank, holder; -1 when absent).
void ClassifyDxfProfileSegments(int count, int classStart[3], DxfProfileSegment* segments);
// Diameter, corner radius, cutting length, length-record L6 and L1, holder diameter 0 and length 0 of a
// chained and classified outline. *scanEnd receives the end of the scanned range (informational).
void AnalyseDxfToolProfile(int count, const int classStart[3], int* scanEnd,
                           const DxfProfileSegment* segments, float* diameter, float* cornerRadius,
                           float* cuttingLength, float* lengthL6, float* lengthL1,
                           float* holderDiameter0, float* holderLength0);
// Number of profile points the outline needs (the tip point, one per line, ten per arc).
int CountDxfOutlinePoints(int count, const DxfProfileSegment* segments);
