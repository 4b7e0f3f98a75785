// Point transforms that carry the machine part models (stored with every axis at zero) through the
// current machine position: head, head 1, head 2 and holder points, the placement of a new work on a
// turned table, the "matrix.txt" output of a work placement, and the display offsets of the table axes.
// The angles come from g_RotaryCosSin, so UpdateCurrentMachinePosition must have run for the position.
#pragma once

struct WorkModel;

// For each linear axis X, Y, Z moved by the table: minus the machine position on it, else 0.
// Written by UpdateTableAxisOffsets (UI thread); read by the view.
extern double g_TableAxisOffsets[3];

// Each takes the X, Y, Z of a machine position, a model point and the result (may not be the point).
// HEAD1 point on MIX (and other non-HEAD) machines.
void TransformHead1ModelPoint(const double machinePosition[3], const double point[3], double result[3]);
// HEAD1 point on HEAD machines.
void TransformHead1ModelPointOnHead(const double machinePosition[3], const double point[3], double result[3]);
// HEAD2 point (HEAD machines).
void TransformHead2ModelPoint(const double machinePosition[3], const double point[3], double result[3]);
// HEAD point on MIX machines.
void TransformHeadModelPoint(const double machinePosition[3], const double point[3], double result[3]);
// HEAD point on TABLE machines.
void TransformHeadModelPointOnTable(const double machinePosition[3], const double point[3], double result[3]);
// A holder or tool point turned by both rotary axes, without translation.
void TransformHolderModelPoint(const double point[3], double result[3]);

// Turns the work's placement by the rotary values of the active work offset (TABLE and MIX machines)
// and rebuilds its inverse (every kind).
void ComputeTablePlacementMatrix(WorkModel* work);
// With "CHECK MATRIX" on, writes the twelve placement values (rotation rows, then translation) to
// "matrix.txt" in the current folder, one "%f" per line. Returns 1 when written, 0 otherwise.
int WritePlacementMatrix(const double placement[12]);
// Sets g_TableAxisOffsets from g_MachinePosition and g_TableMovesAxis.
void UpdateTableAxisOffsets();
