// Facet plane tables of in-memory triangle meshes: one FacetPlane per FacetVertices, and the sort of both
// arrays together by the facet's top (highest first) that lets a sweep stop at the first facet below it.
#pragma once
#include "work_model/facet_types.h"

// Fills planes[f] (plane, box, axis code) for each of the count facets.
void BuildFacetPlaneTable(int count, const FacetVertices* facets, FacetPlane* planes);
// Sorts both arrays by boxMax[2], highest first: chunks of about 5000 entries sorted apart, then merged
// (entries of a lower-numbered chunk first among equal keys). This is the sort callers use. Returns 1; 0 when
// no work memory was available, in which case the whole table was sorted in one piece instead.
int SortFacetsByTopChunked(int count, FacetVertices* facets, FacetPlane* planes);
// The plain selection sort that moves groups of equal keys at once (quadratic). Returns 1, 0 when its work
// list could not be allocated (nothing sorted).
int SortFacetsByTop(int count, FacetVertices* facets, FacetPlane* planes);
