// Routines on 3x3 matrices (nine doubles row by row, acting on row vectors) and twelve-double placements
// (rotation rows, then translation; machine = work x R + t). They work only on their arguments and may run on
// any thread; source and destination must be distinct arrays.
#pragma once

// Copies a placement, snapping each number near 0 to 0 (|v| < 1e-9) and near +-1 to +-1 (within 1e-4);
// a rotation entry that is then exactly +-1 clears the other two entries of its row.
void SnapRotationMatrix(const double source[12], double destination[12]);
// 1 for the identity, 2..28 for the other rotations that map axes onto axes, 101 / 103 / 0 otherwise.
// Callers only distinguish 1 (no rotation) from the rest.
int ClassifyAxisPermutation(const double m[9]);
// The adjugate over the determinant; a singular matrix gives non-finite numbers (not detected).
void InvertMatrix3(const double m[9], double out[9]);
// out = A x B.
void MultiplyMatrix3(const double a[9], const double b[9], double out[9]);
