// The facet records of triangle meshes held in memory (machine parts, vices, basic-model regions): the
// triangle as read from an STL file and its plane record for the interference checks.
#pragma once
#include <cstdint>

// One facet as 12 doubles: the normal, then vertices 0, 1 and 2 (x, y, z each).
struct FacetVertices {
    double normal[3];
    double vertices[9];
};

// The plane record of a facet, at the same index as its FacetVertices.
struct FacetPlane {
    int32_t axisCode;   // 0, 1, 2: the three vertices share x, y, z (tested in this order); 3: oblique
    double plane[4];    // a, b, c (unit normal), d: a x + b y + c z + d = 0
    double boxMin[3];   // smallest vertex coordinate per axis
    double boxMax[3];   // largest vertex coordinate per axis; boxMax[2] is the sort key (highest first)
};
