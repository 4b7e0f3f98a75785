// The active work coordinate system: the external offset plus the selected work offset entry, as an
// origin, a rotation and its inverse (turned with the rotary table when the entry has rotary values),
// and the conversions of points between machine and work coordinates.
#pragma once
#include "machine_setup/controller/offset_memories.h"
#include "work_model/stl_import_placement.h"

// Rebuilt by UpdateActiveWorkCoordinate on the UI or the simulation thread (whichever runs the
// interpreter); read by the kinematics, the checks and the view.
extern WorkOffsetEntry g_ActiveWorkCoordEntry;   // entry 0 plus the selected entry (entry 0 alone for index 0)
extern double g_WorkAxisMarks[9];                // rotation rows x 0.2: ends of the origin axis marks
extern double g_ActiveWorkOrigin[3];             // origin in machine coordinates, after the table rotation
extern double g_ActiveWorkRotation[9];           // row by row; work point w maps to w x rotation
extern double g_ActiveWorkInverseRotation[9];    // inverse of g_ActiveWorkRotation
extern int g_WorkCoordRotated;                   // 1 when the rotation is in force
extern int g_WorkOriginShifted;                  // 1 when g_ActiveWorkOrigin is not zero

// The active work coordinate system as the work-file readers take it, with the given
// "IMPORT COORDINATE" choice (1: file coordinates are work coordinates).
ImportFrame GetActiveImportFrame(int inWorkCoordinates);

// Rebuilds every value above from g_WorkOffsets and g_WorkOffsetIndex; asks for a new axis triad.
void UpdateActiveWorkCoordinate();
// g_ActiveWorkOffset = entry 0 (+ entry g_WorkOffsetIndex when not 0); then UpdateActiveWorkCoordinate.
void ApplyCurrentWorkOffset();
// Asks the view to rebuild the axis triad after a definition file was read.
void UpdateWorkCoordinateMatrix();

// Origin and rotation of a work coordinate system entry; marks = markScale x rotation.
void BuildRotaryTransform(const WorkOffsetEntry* entry, double originOut[3], double rotationOut[9],
                          double markScale, double marksOut[9]);

// Machine point into the active work coordinate system (no tilted plane).
void ToWorkCoordinates(const double machinePoint[3], double workPointOut[3]);
// Machine point into work coordinates through the tilted working plane as well.
void MachineToWorkCoordinates(const double machinePoint[3], double workPointOut[3]);
// The reverse of MachineToWorkCoordinates.
void WorkToMachineCoordinates(const double workPoint[3], double machinePointOut[3]);

// result = position - / + g_ActiveWorkOffset, all five components; result may be position.
void SubtractWorkOffset5(const double position[5], double resultOut[5]);
void AddWorkOffset5(const double position[5], double resultOut[5]);
