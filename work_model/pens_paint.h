// Whole-model passes over the current undo level: clearing pen colours, setting and clearing the
// paint mark, the material's extents in the machine frame or in the active work coordinate system,
// and interval counts. The passes do not mark display blocks: the caller marks them all.
#pragma once
#include <cstdint>
#include "work_model/work_model.h"

// Pen 1..15: every attribute byte whose pen nibble (bits 4-7) equals pen gets pen 0.
void ClearPenColour(WorkModel* work, int pen);
// Every attribute byte gets pen 0 (low four bits kept).
void ClearAllPenColours(WorkModel* work);
// Clears / sets bit 0 (the paint mark) of every attribute byte.
void ClearPaint(WorkModel* work);
void PaintAll(WorkModel* work);
// Extents of the material in the machine frame: per ray the first end (with its cross node
// coordinates, placed by the work's placement) lowers the minimum and the last end raises the
// maximum. Start values 1e12 and -1e12, returned as they are for a work without material.
void GetWorkExtents(const WorkModel* work, double minOut[3], double maxOut[3]);
// The same with every point converted by toWork (machine point in, work point out): the caller passes
// the conversion into the active work coordinate system (ToWorkCoordinates).
typedef void (*ConvertPointFn)(const double in[3], double out[3]);
void GetWorkExtentsInWorkCoords(const WorkModel* work, ConvertPointFn toWork, double minOut[3],
                                double maxOut[3]);
// Total number of intervals of the three families; the largest number on one ray of each family.
int64_t CountModelIntervals(const WorkModel* work, int* largestX, int* largestY, int* largestZ);
