// Removal of one cut interval from one ray's material intervals, with the colour and tag of the
// new ends, the removed volume and the removed pieces; material ends within 1e-9 of the cut's ends
// count as reached. Used by the neck-section and holder-step stamps.
#pragma once
#include <cstdint>

// Removes [c, e] from the ray's sorted list (ends, attributes, tags, *count; room for two more
// ends). A new end at c takes colour[0]/tag[0], a new start at e colour[1]/tag[1]. Adds the removed
// length x areaWeight to *volume; writes the removed pieces as (start, end) pairs and sets
// *pieceEndCount to their number of ends. A cut shorter than the pitch inside one interval with no
// grid node inside it trims the interval end sharing its cell instead of splitting. nodeCount is
// not used; rayCoordinates[0] is the first node along the ray.
void SubtractCutIntervalFromDexel(double* ends, uint8_t* attributes, int32_t* tags, int* count,
                                  double pitch, int nodeCount, const double* rayCoordinates,
                                  double areaWeight, double* volume, double* pieces,
                                  int* pieceEndCount, double c, double e, const uint8_t colour[2],
                                  const int32_t tag[2]);
