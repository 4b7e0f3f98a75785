// A GL call table for tests: it records the calls the view makes (name and numbers) and keeps the
// modelview matrix the rotations and translations build, so tests can check what would be drawn
// without a display. Install with InstallGlRecorder(); the recorder answers glGenLists with 1 and
// glIsList for every list compiled since.
#pragma once
#include <cmath>
#include <set>
#include <string>
#include <vector>
#include "platform/ui/gl_calls.h"

struct GlCall {
    std::string name;
    std::vector<double> values;
};

struct GlRecorder {
    std::vector<GlCall> calls;
    std::set<unsigned> lists;
    double matrix[16];   // column-major, as GL keeps it
};

inline GlRecorder& GetGlRecorder()
{
    static GlRecorder recorder;
    return recorder;
}

namespace gl_recorder {

inline void Record(const char* name, std::vector<double> values = {})
{
    GetGlRecorder().calls.push_back(GlCall{name, std::move(values)});
}

inline void Identity(double* m)
{
    for (int i = 0; i < 16; ++i) m[i] = i % 5 == 0 ? 1.0 : 0.0;
}

// m = m x b (column-major).
inline void Multiply(double* m, const double* b)
{
    double r[16];
    for (int col = 0; col < 4; ++col) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += m[k * 4 + row] * b[col * 4 + k];
            r[col * 4 + row] = sum;
        }
    }
    for (int i = 0; i < 16; ++i) m[i] = r[i];
}

inline void Rotated(double angle, double x, double y, double z)
{
    Record("rotated", {angle, x, y, z});
    const double length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0) return;
    x /= length; y /= length; z /= length;
    const double a = angle * 3.14159265358979323846 / 180.0;
    const double c = std::cos(a), s = std::sin(a), t = 1.0 - c;
    const double r[16] = {t * x * x + c,     t * x * y + s * z, t * x * z - s * y, 0,
                          t * x * y - s * z, t * y * y + c,     t * y * z + s * x, 0,
                          t * x * z + s * y, t * y * z - s * x, t * z * z + c,     0,
                          0, 0, 0, 1};
    Multiply(GetGlRecorder().matrix, r);
}

inline void Translated(double x, double y, double z)
{
    Record("translated", {x, y, z});
    const double t[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
    Multiply(GetGlRecorder().matrix, t);
}

inline void Scaled(double x, double y, double z)
{
    Record("scaled", {x, y, z});
    const double t[16] = {x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1};
    Multiply(GetGlRecorder().matrix, t);
}

inline const UiGlCalls* Table()
{
    static const UiGlCalls table = {
        [](int range) -> unsigned { Record("genLists", {double(range)}); return 1u; },
        [](unsigned list, int range) { Record("deleteLists", {double(list), double(range)}); GetGlRecorder().lists.erase(list); },
        [](unsigned list) -> int { return GetGlRecorder().lists.count(list) ? 1 : 0; },
        [](unsigned list, unsigned mode) { Record("newList", {double(list), double(mode)}); GetGlRecorder().lists.insert(list); },
        []() { Record("endList"); },
        [](unsigned list) { Record("callList", {double(list)}); },
        [](unsigned mode) { Record("begin", {double(mode)}); },
        []() { Record("end"); },
        [](double x, double y, double z) { Record("vertex", {x, y, z}); },
        [](double x, double y, double z) { Record("normal", {x, y, z}); },
        [](const float* c) { Record("color", {c[0], c[1], c[2]}); },
        [](unsigned face, unsigned name, const float* v) { Record("material", {double(face), double(name), v[0], v[1], v[2], v[3]}); },
        [](unsigned light, unsigned name, const float* v) { Record("light", {double(light), double(name), v[0], v[1], v[2], v[3]}); },
        [](float w) { Record("lineWidth", {w}); },
        [](float s) { Record("pointSize", {s}); },
        [](unsigned cap) { Record("enable", {double(cap)}); },
        [](unsigned cap) { Record("disable", {double(cap)}); },
        [](unsigned s, unsigned d) { Record("blendFunc", {double(s), double(d)}); },
        [](unsigned mode) { Record("shadeModel", {double(mode)}); },
        [](float r, float g, float b, float a) { Record("clearColor", {r, g, b, a}); },
        [](unsigned mask) { Record("clear", {double(mask)}); },
        [](int x, int y, int w, int h) { Record("viewport", {double(x), double(y), double(w), double(h)}); },
        [](unsigned mode) { Record("matrixMode", {double(mode)}); },
        []() { Record("loadIdentity"); Identity(GetGlRecorder().matrix); },
        []() { Record("pushMatrix"); },
        []() { Record("popMatrix"); },
        Translated,
        Rotated,
        Scaled,
        [](double l, double r, double b, double t, double n, double f) { Record("ortho", {l, r, b, t, n, f}); },
        [](double fov, double aspect, double n, double f) { Record("perspective", {fov, aspect, n, f}); },
        [](unsigned mode) { Record("readBuffer", {double(mode)}); },
        [](int, int, int w, int h, unsigned format, unsigned, void*) { Record("readPixels", {double(w), double(h), double(format)}); },
        []() { Record("finish"); },
    };
    return &table;
}

}  // namespace gl_recorder

// Installs the recorder with no calls and an identity matrix.
inline void InstallGlRecorder()
{
    GlRecorder& recorder = GetGlRecorder();
    recorder.calls.clear();
    recorder.lists.clear();
    gl_recorder::Identity(recorder.matrix);
    SetUiGlCalls(gl_recorder::Table());
}

// The calls named name, in order.
inline std::vector<GlCall> RecordedCalls(const char* name)
{
    std::vector<GlCall> found;
    for (const GlCall& call : GetGlRecorder().calls) {
        if (call.name == name) found.push_back(call);
    }
    return found;
}

// Applies the recorded matrix to point p (w = 1).
inline void ApplyRecordedMatrix(const double* p, double* out)
{
    const double* m = GetGlRecorder().matrix;
    for (int row = 0; row < 3; ++row) out[row] = m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row];
}
