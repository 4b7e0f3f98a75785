// STL files as the system reads them: the kind of a file (text, binary of either byte order), its
// facet count, the facet, tool-body and vertex-box readers, and the pieces every STL reader shares:
// the text line grammar, the binary facet record and a facet-by-facet reader. Writing STL is in
// stl_writer.h; ray casting of STL solids in stl_conversion.h.
#pragma once
#include <cstdint>
#include <cstdio>
#include "work_model/facet_types.h"

// The kind of an STL file; STL_NONE makes every reader return at once without touching its outputs.
enum StlKind { STL_NONE = 0, STL_ASCII = 2, STL_BINARY_LE = 3, STL_BINARY_BE = 4 };

enum {
    STL_DATA_ERROR = -20,     // the file cannot be read as the STL it was detected as
    STL_LINE_BYTES = 256,     // a text line is read with this buffer (longer lines come in pieces)
    STL_HEADER_BYTES = 84,    // 80 header bytes and the 32-bit facet count
    STL_RECORD_BYTES = 50,    // one binary facet: 12 floats and the 16-bit attribute word
};

// The keywords of a text line, in the order they are tested.
enum StlLineKeyword {
    STL_LINE_OTHER = 0,  // no keyword ("solid" lines and any other text)
    STL_LINE_FACET,
    STL_LINE_OUTER,
    STL_LINE_VERTEX,
    STL_LINE_ENDLOOP,    // "endloop" or "end loop"
    STL_LINE_ENDFACET,   // "endfacet" or "end facet"
    STL_LINE_ENDSOLID,   // "endsolid" or "end solid"
};

// The kind of the file at path (STL_NONE when it cannot be opened or is no STL). Looks only at the
// bytes it could read and the file's size.
int DetectStlKind(const char* path);
// The facet count: "endfacet" lines of a text file before its end, the count at byte 80 of a binary
// one; 0 for STL_NONE; STL_DATA_ERROR when the file cannot be opened, or is binary and shorter than
// 84 + 50 x its count.
int CountStlFacets(int kind, const char* path);
// Reads up to count facets (the array's size, from CountStlFacets) into facets, each vertex moved by
// offset, and the box of all vertices (starting at 1e11 / -1e11). Returns 1, or STL_DATA_ERROR when
// the file cannot be opened, is binary and shorter than its count, or holds more or fewer facets than
// count (the array is never written past count entries; a fourth vertex of a facet is ignored).
int ReadStlFacets(int kind, int count, const char* path, const double offset[3], double minOut[3],
                  double maxOut[3], FacetVertices* facets);
// ReadStlFacets for an imported tool body: with angleHeadAngles (A, B, C in degrees; null when the
// tool direction is not tilted) each normal and vertex is turned for the angle head: by A about X,
// else by B about Y (none of them, C included, when A and B are 0), then by C about Z.
int ReadStlToolShape(int kind, int count, const char* path, const double offset[3],
                     double minOut[3], double maxOut[3], FacetVertices* facets,
                     const double* angleHeadAngles);
// The box of all vertices after the import scale and mirror options (starting at 9999999 /
// -9999999, so a file without vertices leaves min above max). Returns 1 or STL_DATA_ERROR.
int ReadStlVertices(int kind, const char* path, double maxOut[3], double minOut[3]);
// Reverses the byte order of n 32-bit words in place (n of 0 or less: nothing).
void SwapBytes32Array(void* words, int n);

// The text line grammar. The keyword of line and in *position its keyword position (the first of the
// letters e f s o v in either case; -1 when there is none).
int ClassifyStlLine(const char* line, int* position);
// The three numbers of a "facet" or "vertex" line whose keyword is at position.
void ScanStlLineNumbers(const char* line, int position, double out[3]);
// Reads the next line (at most 255 characters) into buffer: its length, or -1 at the end of the file.
int ReadStlLine(FILE* stream, char buffer[STL_LINE_BYTES]);
// Opens a binary STL past its header: *count is the facet count (byte-reversed for
// STL_BINARY_BE). Null when the file cannot be opened or is shorter than 84 + 50 x count.
FILE* OpenStlBinary(const char* path, int kind, uint32_t* count);
// Reads one binary facet: the 3 normal and 9 vertex floats (byte-reversed for STL_BINARY_BE), every
// vertex float below 1e-14 in magnitude made 0. Returns 1, or 0 when the file ends first.
int ReadStlBinaryRecord(FILE* stream, int kind, float values[12]);

// A facet-by-facet reader of either kind. A text facet is given at its "endloop" line when its loop
// held three vertices ("outer" restarts it, a fourth vertex is ignored); its normal is the last
// "facet" line's. Binary facets come as read, widened to doubles.
struct StlFacetReader {
    FILE* stream;
    int kind;
    uint32_t remaining;          // binary facets not yet read
    int reportProgress;          // 1: each line's or record's bytes go to the progress
    int pumpEachLine;            // 1: the message pump runs after each line with a keyword position
    int vertexCount;             // text: vertices of the current loop
    double normal[3];            // text: normal of the last "facet" line
    double vertices[9];          // text: vertices of the current loop
    char line[STL_LINE_BYTES];
};
// Opens the reader (options 0). Returns 1 or STL_DATA_ERROR (nothing to close then).
int OpenStlFacetReader(StlFacetReader* reader, int kind, const char* path);
// The next facet: 1, 0 at the end ("endsolid" or the end of the file), STL_DATA_ERROR when a binary
// file ends before its count.
int ReadNextStlFacet(StlFacetReader* reader, double normal[3], double vertices[9]);
void CloseStlFacetReader(StlFacetReader* reader);
