// Routines on 3x3 matrices and twelve-double placements: snapping a placement read from a file, recognising
// rotations that only permute axes, inverting and multiplying. They touch nothing but their arguments.
#include "work_model/matrix.h"

#include <cmath>

void SnapRotationMatrix(const double source[12], double destination[12])
{
    for (int k = 0; k < 12; k++) {
        double v = source[k];
        if (std::fabs(v) < 1e-9) v = 0.0;
        else if (std::fabs(v + 1.0) < 1e-4) v = -1.0;
        else if (std::fabs(v - 1.0) < 1e-4) v = 1.0;
        destination[k] = v;
    }
    // An entry of exactly +-1 leaves no room for the rest of its row; entries are tested in row order, each
    // seeing the zeros written by the earlier ones.
    for (int k = 0; k < 9; k++) {
        if (destination[k] != 1.0 && destination[k] != -1.0) continue;
        int rowStart = (k / 3) * 3;
        for (int j = rowStart; j < rowStart + 3; j++) {
            if (j != k) destination[j] = 0.0;
        }
    }
}

namespace {

// One candidate of the permutation table: entries i and j must hold vi and vj.
struct PermutationTest {
    int code;
    int i;
    double vi;
    int j;
    double vj;
};

int MatchPermutationTests(const double m[9], const PermutationTest* tests, int count)
{
    for (int k = 0; k < count; k++) {
        if (m[tests[k].i] == tests[k].vi && m[tests[k].j] == tests[k].vj) return tests[k].code;
    }
    return 0;
}

}  // namespace

int ClassifyAxisPermutation(const double m[9])
{
    static const PermutationTest zPlus[] = {
        {1, 0, 1, 4, 1}, {2, 1, 1, 3, -1}, {3, 0, -1, 4, -1}, {4, 1, -1, 3, 1}};
    static const PermutationTest zMinus[] = {
        {5, 0, 1, 4, -1}, {6, 1, 1, 3, 1}, {7, 0, -1, 4, 1}, {8, 1, -1, 3, -1}};
    static const PermutationTest yPlus[] = {
        {11, 0, 1, 5, -1}, {12, 2, -1, 3, -1}, {13, 0, -1, 5, 1}, {14, 2, 1, 3, 1}};
    static const PermutationTest yMinus[] = {
        {15, 0, 1, 5, 1}, {16, 2, 1, 3, -1}, {17, 0, -1, 5, -1}, {18, 2, -1, 3, 1}};
    static const PermutationTest xPlus[] = {
        {21, 2, -1, 4, 1}, {22, 1, 1, 5, 1}, {23, 2, 1, 4, -1}, {24, 1, -1, 5, -1}};
    static const PermutationTest xMinus[] = {
        {25, 2, 1, 4, 1}, {26, 1, 1, 5, -1}, {27, 2, -1, 4, -1}, {28, 1, -1, 5, 1}};

    int code = 0;
    if (m[8] == 1.0) code = MatchPermutationTests(m, zPlus, 4);
    else if (m[8] == -1.0) code = MatchPermutationTests(m, zMinus, 4);
    else if (m[7] == 1.0) code = MatchPermutationTests(m, yPlus, 4);
    else if (m[7] == -1.0) code = MatchPermutationTests(m, yMinus, 4);
    else if (m[6] == 1.0) code = MatchPermutationTests(m, xPlus, 4);
    else if (m[6] == -1.0) code = MatchPermutationTests(m, xMinus, 4);
    if (code != 0) return code;
    if (m[0] == 1.0) return 101;
    if (m[4] == 1.0) return 103;
    return 0;
}

void InvertMatrix3(const double m[9], double out[9])
{
    // Cofactors c[3r + c] of entry (r, c).
    double cof[9];
    cof[0] = m[4] * m[8] - m[5] * m[7];
    cof[1] = m[5] * m[6] - m[3] * m[8];
    cof[2] = m[3] * m[7] - m[4] * m[6];
    cof[3] = m[2] * m[7] - m[1] * m[8];
    cof[4] = m[0] * m[8] - m[2] * m[6];
    cof[5] = m[1] * m[6] - m[0] * m[7];
    cof[6] = m[1] * m[5] - m[2] * m[4];
    cof[7] = m[2] * m[3] - m[0] * m[5];
    cof[8] = m[0] * m[4] - m[1] * m[3];
    double determinant = m[0] * cof[0] + m[1] * cof[1] + m[2] * cof[2];
    for (int r = 0; r < 3; r++) {
        for (int c = 0; c < 3; c++) out[3 * r + c] = cof[3 * c + r] / determinant;
    }
}

void MultiplyMatrix3(const double a[9], const double b[9], double out[9])
{
    for (int i = 0; i < 3; i++) {
        for (int j = 0; j < 3; j++) {
            out[3 * i + j] = a[3 * i] * b[j] + a[3 * i + 1] * b[3 + j] + a[3 * i + 2] * b[6 + j];
        }
    }
}
