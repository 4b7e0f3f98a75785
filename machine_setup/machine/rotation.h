// Rotation routines shared by the kinematics, the checks, the interpreter and the view: the three forms
// of a turn about a rotary axis (plain, inclined, vector-given), the exact cosine and sine of an axis
// angle, the table turn of a tool point and its inverse, and the tool-axis clean-up and frame turns.
#pragma once

// Cosine and sine of sign x angle (degrees); exact at 0, +-90, +-180, +-270, +-360 degrees.
void ComputeAxisAngleSinCos(double angleDeg, int directionSign, double* sine, double* cosine);

// Plain turn about coordinate axis a with cross pair (i, j):
// result[a] = source[a]; result[i] = c source[i] - s source[j]; result[j] = s source[i] + c source[j].
// source and result must be distinct.
void RotateAboutAxis(const double* source, double* result, double c, double s, int a, int i, int j);

// Turn about an axis inclined from coordinate axis a towards its first cross axis by an angle with
// sine st and cosine ct; the turn itself has sine s and cosine c. result may be the source.
void RotateAboutTwoAxes(const double* source, double* result, double st, double ct, double s, double c,
                        int a, const int cross[2]);

// Turn about a vector-given axis (a = 0 or 1): elevation (st, ct) towards Z, azimuth (sa, ca) in the
// plane of a and the other horizontal axis, turn (s, c). result may be the source.
void RotateInclinedPair(const double* source, double* result, double st, double ct, double sa, double ca,
                        double s, double c, int a, const int cross[2]);

// Turn about rotary axis 1 by its current angle (g_RotaryCosSin), in the form the machine gives it.
void RotateByInclinedAxis(const double* source, double* result);

// Turn about Z by g_ZTurnAngle (degrees), exact at quarter turns. source and result may be the same.
void RotateAboutZByAxisAngle(const double* source, double* result);

// The point turned about rotary axis 1 (plain, inclined or vector-given) by cosine c and sine s.
void RotatePointAboutRotaryAxes(const double* point, double c, double s, double* result);

// The point turned about rotary axis 2 as a plain axis by cosine c and sine s.
void RotatePointInAxisPlane(const double* point, double c, double s, double* result);

// Carries a point (in/out) through the table rotary axes at the angles of g_TableRotaryCosSin;
// TABLE and MIX machines only, other kinds leave it unchanged.
void ApplyTableRotaryToPosition(double* point);
// The inverse of ApplyTableRotaryToPosition.
void RemoveTableRotaryFromPosition(double* point);

// Removes components below 2.5e-4 from a unit vector (in/out) and renormalises the rest.
void NormaliseAxisVector(double* vector);

// Turns t (in/out) by q radians about an axis of the frame built on the reference direction d and
// the frame vector c; g_PlaneRotationMode chooses the axis and sense.
void RotateVectorBySphericalAngles(const double* d, const double* c, double* t, double q);
