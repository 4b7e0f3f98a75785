// Shared steps of the two inverse kinematics solvers: the candidate list, the filters, the long-move
// warning and the choice between two survivors. Used by inverse_kinematics*.cpp only.
#pragma once

constexpr int MAX_ROTARY_CANDIDATES = 4;

// Candidate angle pairs in radians, before the direction signs are applied.
struct RotaryCandidates {
    int count;
    double angle[MAX_ROTARY_CANDIDATES][2];
};

void AddRotaryCandidate(RotaryCandidates* list, double angle1, double angle2);

// Steps after the candidates: signs, filters, long-move warning (requireRunMode: only while a cutting
// run is active), solution count and choice. Writes resultDeg ((0, 0) when none survives); returns 1
// when a solution survived, 0 when none.
int FinishRotarySolve(RotaryCandidates* list, const double* previousDeg, const int* rangeEnabled,
                      const double* range1, const double* range2, int requireRunMode, double* resultDeg);

// Clamps a cosine or sine argument into [-1, 1] so that rounding cannot give NaN.
double ClampUnit(double value);

// Cosine and sine of t (radians), exact at 0, +-pi/2 and +-pi.
void ComputeExactCosSin(double t, double* c, double* s);
