// The projected point-in-triangle tests of the STL casting (exact codes for the whole-solid cast,
// tolerant ones for the one-direction cast) and the snap of a facet's plane direction.
#include <cmath>

#include "work_model/stl_conversion.h"

namespace {

const double kNearVertex = 0.01;
const double kEdgeCosine = -0.999999;
const double kFullTurn = 6.0;

double ClampCosine(double c)
{
    return c > 1.0 ? 1.0 : c < -1.0 ? -1.0 : c;
}

// The winding angle of the three unit directions, each angle signed by its pair's cross product.
double SumWindingAngles(const double u[3][2])
{
    double sum = 0.0;
    for (int i = 0; i < 3; i++) {
        const double* a = u[i];
        const double* b = u[(i + 1) % 3];
        const double angle = std::acos(ClampCosine(a[0] * b[0] + a[1] * b[1]));
        sum += a[0] * b[1] - a[1] * b[0] < 0.0 ? -angle : angle;
    }
    return sum;
}

// The code of the edge from vertex a to b (4, 5, 6) for the point, or 0.
int TestEdgeExactly(const double x[3], const double y[3], double px, double py, int a, int b,
                    const double u[3][2], const bool unreliable[3])
{
    if (x[a] == px && x[b] == px) {
        return (py > std::fmin(y[a], y[b]) && py < std::fmax(y[a], y[b])) ? 4 + a : 0;
    }
    if (y[a] == py && y[b] == py) {
        return (px > std::fmin(x[a], x[b]) && px < std::fmax(x[a], x[b])) ? 4 + a : 0;
    }
    const double c = ClampCosine(u[a][0] * u[b][0] + u[a][1] * u[b][1]);
    if (c == -1.0 && !unreliable[a] && !unreliable[b]) return 7;
    if (x[a] != x[b] && y[a] != y[b]) {
        const double tx = (px - x[a]) / (x[b] - x[a]);
        const double ty = (py - y[a]) / (y[b] - y[a]);
        if (tx == ty && tx >= 0.0 && tx <= 1.0) return 7;
    }
    return 0;
}

}  // namespace

int CheckTriangleAnglesAlt(const double triangle[9], int ax0, int ax1, const double point[3])
{
    const double px = point[ax0], py = point[ax1];
    double x[3], y[3], u[3][2];
    bool unreliable[3];
    for (int v = 0; v < 3; v++) {
        x[v] = triangle[3 * v + ax0];
        y[v] = triangle[3 * v + ax1];
        if (x[v] == px && y[v] == py) return 1 + v;
        const double dx = x[v] - px, dy = y[v] - py;
        const double length = std::sqrt(dx * dx + dy * dy);
        u[v][0] = dx / length;
        u[v][1] = dy / length;
        unreliable[v] = (std::fabs(u[v][0]) >= 1.0 && dy != 0.0) ||
                        (std::fabs(u[v][1]) >= 1.0 && dx != 0.0);
    }
    for (int a = 0; a < 3; a++) {
        const int code = TestEdgeExactly(x, y, px, py, a, (a + 1) % 3, u, unreliable);
        if (code != 0) return code;
    }
    return std::fabs(SumWindingAngles(u)) > kFullTurn ? 7 : 0;
}

int CheckTriangleAngles(const double triangle[9], int ax0, int ax1, const double point[3])
{
    double u[3][2];
    for (int v = 0; v < 3; v++) {
        const double dx = triangle[3 * v + ax0] - point[ax0];
        const double dy = triangle[3 * v + ax1] - point[ax1];
        const double length = std::sqrt(dx * dx + dy * dy);
        if (length < kNearVertex) return 1;
        u[v][0] = dx / length;
        u[v][1] = dy / length;
    }
    static const int pairs[3][2] = {{0, 1}, {1, 2}, {0, 2}};
    for (const auto& p : pairs) {
        const double c = ClampCosine(u[p[0]][0] * u[p[1]][0] + u[p[0]][1] * u[p[1]][1]);
        if (c < kEdgeCosine) return 2;
    }
    return std::fabs(SumWindingAngles(u)) > kFullTurn ? 3 : 0;
}

void SnapNormalDirection(const double source[3], double destination[3])
{
    const double x = source[0], y = source[1], z = source[2];
    if (x == 0.0 && y == 0.0 && z == 0.0) return;
    double r[3];
    if (y == 0.0 && x == z) {
        const double s = x > 0.0 ? 1.0 : -1.0;
        r[0] = s, r[1] = 0.0, r[2] = s;
    } else if (y == 0.0 && x == -z) {
        r[0] = x > 0.0 ? 1.0 : -1.0, r[1] = 0.0, r[2] = -r[0];
    } else if (x == 0.0 && y == z) {
        const double s = y > 0.0 ? 1.0 : -1.0;
        r[0] = 0.0, r[1] = s, r[2] = s;
    } else if (x == 0.0 && y == -z) {
        r[0] = 0.0, r[1] = y > 0.0 ? 1.0 : -1.0, r[2] = -r[1];
    } else if (z == 0.0 && x == y) {
        const double s = x > 0.0 ? 1.0 : -1.0;
        r[0] = s, r[1] = s, r[2] = 0.0;
    } else if (z == 0.0 && x == -y) {
        r[0] = x > 0.0 ? 1.0 : -1.0, r[1] = -r[0], r[2] = 0.0;
    } else {
        const double length = std::sqrt(x * x + y * y + z * z);
        if (!(length > 0.0)) return;
        r[0] = x / length, r[1] = y / length, r[2] = z / length;
    }
    for (int k = 0; k < 3; k++) destination[k] = r[k];
}

void SmoothLevelSpikes(int axisCode, int count0, int count1, int capacity, double* ends,
                       double level)
{
    const int endIndex = axisCode > 0 ? 1 : 0;
    const double threshold = axisCode > 0 ? level + 0.1 : level - 0.1;
    auto end = [&](int i0, int i1) -> double& {
        return ends[(size_t(i0) + size_t(i1) * size_t(count0)) * size_t(capacity) + endIndex];
    };
    auto isBeyond = [&](double e) { return axisCode > 0 ? e > threshold : e < threshold; };
    for (int i1 = 0; i1 < count1; i1++) {
        for (int i0 = 1; i0 < count0 - 1; i0++) {
            double& e = end(i0, i1);
            const double before = end(i0 - 1, i1), after = end(i0 + 1, i1);
            if (std::fabs(e - level) <= 1e-4 && isBeyond(before) && isBeyond(after))
                e = (before + after) / 2.0;
        }
    }
    for (int i0 = 0; i0 < count0; i0++) {
        for (int i1 = 1; i1 < count1 - 1; i1++) {
            double& e = end(i0, i1);
            const double before = end(i0, i1 - 1), after = end(i0, i1 + 1);
            if (std::fabs(e - level) <= 1e-4 && isBeyond(before) && isBeyond(after))
                e = (before + after) / 2.0;
        }
    }
}
