// Writing STL facets: the program-wide writer state of a work saved as STL and the two facet writers
// the mesh export calls between the head and the trail that the save writes.
#pragma once
#include <cstdint>
#include <cstdio>

// StlOutputFormat: the "format" field of MeshOutputState.
enum StlOutputFormat { STL_OUT_ASCII = 0, STL_OUT_BINARY = 1, STL_OUT_BINARY_SWAPPED = 2 };

// The writer state of one STL save. The save sets the first seven fields, the mesh export the last
// five at every start; the facet writers read them. One save at a time (the thread that saves).
struct MeshOutputState {
    FILE* stream;                  // the open output file
    int format;                    // StlOutputFormat
    uint16_t attributeWord;        // written after each binary facet (0)
    int toWorkCoordinates;         // 1: the work origin is subtracted from every vertex
    int rotate;                    // 1: then vertices and normals are turned by rotation
    double workOrigin[3];
    double rotation[9];            // the inverse rotation of the active work coordinate system
    double outputRotation[9];      // the work's rotation for the mesh export
    double outputTranslation[3];   // the work's translation for the mesh export
    int outputRotate;              // 1 when outputRotation applies
    int outputTranslate;           // 1 when outputTranslation applies
    uint32_t givenUpChains;        // segment chains the mesh export could not close
};
extern MeshOutputState g_MeshOutput;

// Appends one facet with the given normal (vertices placed as the state says, rounded to floats).
// Returns 1, or 0 when a write failed.
int WriteStlFacetWithNormal(const double normal[3], const double v0[3], const double v1[3],
                            const double v2[3]);
// Appends one facet with the normal of its placed vertices and adds 1 to *counter; writes nothing
// for two vertices equal as floats or a zero normal. Returns 1 (also when nothing was written), or 0
// when a write failed.
int WriteStlFacet(uint32_t* counter, const double v0[3], const double v1[3], const double v2[3]);
