// Snapping placements, recognising axis permutations, inverting and multiplying 3x3 matrices.
#include "work_model/matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

std::vector<double> Row(const double* m, int count)
{
    return std::vector<double>(m, m + count);
}

// Rotation about X by angle degrees, rows acting on row vectors.
void MakeRotationX(double degrees, double m[9])
{
    double a = degrees * M_PI / 180.0, c = std::cos(a), s = std::sin(a);
    const double r[9] = {1, 0, 0, 0, c, s, 0, -s, c};
    for (int k = 0; k < 9; k++) m[k] = r[k];
}

// Every matrix with one entry of +-1 per row and column and determinant +1.
std::vector<std::vector<double>> MakeAxisRotations()
{
    std::vector<std::vector<double>> result;
    const int permutations[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    for (const auto& p : permutations) {
        for (int signs = 0; signs < 8; signs++) {
            std::vector<double> m(9, 0.0);
            for (int row = 0; row < 3; row++) m[3 * row + p[row]] = (signs >> row) & 1 ? -1.0 : 1.0;
            double det = m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
                         m[2] * (m[3] * m[7] - m[4] * m[6]);
            if (det == 1.0) result.push_back(m);
        }
    }
    return result;
}

}  // namespace

TEST(Matrix, SnapRotationMatrix)
{
    const double source[12] = {0.99995, 1e-10, 0.3, -0.99999, 0.2, 0.0, 0.5, 0.6, 0.7, 1.00002, -1e-10, 5.0};
    double out[12];
    SnapRotationMatrix(source, out);
    // Row 0: 0.99995 became 1 and cleared its row; row 1: -1 cleared its row; row 2 unchanged.
    EXPECT_EQ(Row(out, 12), (std::vector<double>{1, 0, 0, -1, 0, 0, 0.5, 0.6, 0.7, 1, 0, 5}));

    // A row (1, 0.3, 0) becomes (1, 0, 0); values just outside the tolerances stay.
    const double near[12] = {1, 0.3, 0, 0, 0.9998, 2e-9, 0, 0, 1.0002, 0, 0, 0};
    SnapRotationMatrix(near, out);
    EXPECT_EQ(Row(out, 3), (std::vector<double>{1, 0, 0}));
    EXPECT_EQ(out[4], 0.9998);
    EXPECT_EQ(out[5], 2e-9);
    EXPECT_EQ(out[8], 1.0002);

    // Two unit entries in one row: the first clears the second (row order, earlier results seen).
    const double twice[12] = {0, 1, -1, 0, 1, 0, 1, 0, 0, 0, 0, 0};
    SnapRotationMatrix(twice, out);
    EXPECT_EQ(Row(out, 3), (std::vector<double>{0, 1, 0}));
}

TEST(Matrix, ClassifyAxisPermutation)
{
    const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    EXPECT_EQ(ClassifyAxisPermutation(identity), 1);
    double rotation[9];
    MakeRotationX(30, rotation);
    EXPECT_EQ(ClassifyAxisPermutation(rotation), 101);
    const double aboutY[9] = {0.5, 0, -0.8660254037844386, 0, 1, 0, 0.8660254037844386, 0, 0.5};
    EXPECT_EQ(ClassifyAxisPermutation(aboutY), 103);
    const double aboutZ[9] = {0.5, 0.8660254037844386, 0, -0.8660254037844386, 0.5, 0, 0, 0, 1};
    EXPECT_EQ(ClassifyAxisPermutation(aboutZ), 0);

    // The 24 axis rotations all get distinct codes from the table, never a fallback code.
    std::vector<int> codes;
    for (const auto& m : MakeAxisRotations()) {
        int code = ClassifyAxisPermutation(m.data());
        EXPECT_TRUE(code >= 1 && code <= 28) << code;
        for (int other : codes) EXPECT_NE(other, code);
        codes.push_back(code);
    }
    EXPECT_EQ(codes.size(), 24u);

    // Spot checks of named codes: a quarter turn about Z, a half turn about X, a quarter turn about X.
    const double zQuarter[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
    EXPECT_EQ(ClassifyAxisPermutation(zQuarter), 2);
    const double xHalf[9] = {1, 0, 0, 0, -1, 0, 0, 0, -1};
    EXPECT_EQ(ClassifyAxisPermutation(xHalf), 5);
    const double xQuarter[9] = {1, 0, 0, 0, 0, 1, 0, -1, 0};
    EXPECT_EQ(ClassifyAxisPermutation(xQuarter), 15);
}

TEST(Matrix, InvertAndMultiply)
{
    double rotation[9], inverse[9], product[9];
    MakeRotationX(30, rotation);
    InvertMatrix3(rotation, inverse);
    for (int r = 0; r < 3; r++) {
        for (int c = 0; c < 3; c++) EXPECT_NEAR(inverse[3 * r + c], rotation[3 * c + r], 1e-15);
    }
    MultiplyMatrix3(rotation, inverse, product);
    for (int k = 0; k < 9; k++) EXPECT_NEAR(product[k], k % 4 == 0 ? 1.0 : 0.0, 1e-15);

    // Axis rotations invert exactly to their transposes, and their products are exact.
    for (const auto& m : MakeAxisRotations()) {
        InvertMatrix3(m.data(), inverse);
        for (int r = 0; r < 3; r++) {
            for (int c = 0; c < 3; c++) EXPECT_EQ(inverse[3 * r + c], m[3 * c + r]);
        }
        MultiplyMatrix3(m.data(), inverse, product);
        EXPECT_EQ(Row(product, 9), (std::vector<double>{1, 0, 0, 0, 1, 0, 0, 0, 1}));
    }

    // A general matrix: A x B by rows and columns, and A x inverse(A) = identity.
    const double a[9] = {2, 0, 1, 1, 3, 0, 0, 1, 4};
    const double b[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    MultiplyMatrix3(a, b, product);
    EXPECT_EQ(Row(product, 9), (std::vector<double>{9, 12, 15, 13, 17, 21, 32, 37, 42}));
    InvertMatrix3(a, inverse);
    MultiplyMatrix3(a, inverse, product);
    for (int k = 0; k < 9; k++) EXPECT_NEAR(product[k], k % 4 == 0 ? 1.0 : 0.0, 1e-15);

    // A singular matrix is not detected: the result is not finite.
    const double singular[9] = {1, 2, 3, 2, 4, 6, 0, 0, 1};
    InvertMatrix3(singular, inverse);
    bool anyNonFinite = false;
    for (int k = 0; k < 9; k++) anyNonFinite = anyNonFinite || !std::isfinite(inverse[k]);
    EXPECT_TRUE(anyNonFinite);
}
