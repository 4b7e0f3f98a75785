// A generator of STL test files: boxes, spheres and height fields as facet lists, written as text
// (with the keyword case and number style chosen) or as binary of either byte order. Used by the
// tests, the benchmarks and the fuzz corpus.
#pragma once
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

struct TestFacet {
    double normal[3];
    double v[9];
};

inline void AddTestTriangle(std::vector<TestFacet>* facets, const double a[3], const double b[3],
                            const double c[3])
{
    TestFacet f;
    for (int k = 0; k < 3; k++) {
        f.v[k] = a[k];
        f.v[3 + k] = b[k];
        f.v[6 + k] = c[k];
    }
    const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const double w[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    double n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    for (int k = 0; k < 3; k++) f.normal[k] = length > 0 ? n[k] / length : 0.0;
    facets->push_back(f);
}

// The twelve facets of a box, outward normals.
inline void AddTestBox(std::vector<TestFacet>* facets, const double lo[3], const double hi[3])
{
    double p[8][3];
    for (int i = 0; i < 8; i++) {
        p[i][0] = (i & 1) ? hi[0] : lo[0];
        p[i][1] = (i & 2) ? hi[1] : lo[1];
        p[i][2] = (i & 4) ? hi[2] : lo[2];
    }
    static const int quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                    {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (const auto& q : quads) {
        AddTestTriangle(facets, p[q[0]], p[q[1]], p[q[2]]);
        AddTestTriangle(facets, p[q[0]], p[q[2]], p[q[3]]);
    }
}

// A sphere of rings x segments quads (two facets each, one at the poles).
inline void AddTestSphere(std::vector<TestFacet>* facets, const double centre[3], double radius,
                          int rings, int segments)
{
    const double pi = 3.14159265358979323846;
    auto point = [&](int ring, int segment, double out[3]) {
        const double theta = pi * ring / rings, phi = 2 * pi * segment / segments;
        out[0] = centre[0] + radius * std::sin(theta) * std::cos(phi);
        out[1] = centre[1] + radius * std::sin(theta) * std::sin(phi);
        out[2] = centre[2] + radius * std::cos(theta);
    };
    for (int r = 0; r < rings; r++) {
        for (int s = 0; s < segments; s++) {
            double a[3], b[3], c[3], d[3];
            point(r, s, a);
            point(r + 1, s, b);
            point(r + 1, s + 1, c);
            point(r, s + 1, d);
            if (r != rings - 1) AddTestTriangle(facets, a, b, c);
            if (r != 0) AddTestTriangle(facets, a, c, d);
        }
    }
}

// The top surface of a height field over an nx x ny node grid at pitch from (0, 0): two facets per
// cell; heights[i + j * nx].
inline void AddTestHeightField(std::vector<TestFacet>* facets, int nx, int ny, double pitch,
                               const std::vector<double>& heights)
{
    for (int j = 0; j + 1 < ny; j++) {
        for (int i = 0; i + 1 < nx; i++) {
            auto p = [&](int a, int b, double out[3]) {
                out[0] = a * pitch;
                out[1] = b * pitch;
                out[2] = heights[size_t(a + b * nx)];
            };
            double p00[3], p10[3], p11[3], p01[3];
            p(i, j, p00);
            p(i + 1, j, p10);
            p(i + 1, j + 1, p11);
            p(i, j + 1, p01);
            AddTestTriangle(facets, p00, p10, p11);
            AddTestTriangle(facets, p00, p11, p01);
        }
    }
}

enum TestStlTextStyle { TEXT_LOWER = 0, TEXT_UPPER = 1, TEXT_MIXED = 2 };

inline std::string MakeTestStlText(const std::vector<TestFacet>& facets, int style = TEXT_LOWER,
                                   bool plusSigns = false)
{
    static const char* words[3][6] = {
        {"solid", "facet normal", "outer loop", "vertex", "endloop", "endfacet"},
        {"SOLID", "FACET NORMAL", "OUTER LOOP", "VERTEX", "ENDLOOP", "ENDFACET"},
        {"Solid", "FaCeT Normal", "OuTeR loop", "VeRtEx", "EndLoop", "EndFacet"}};
    const char* const* w = words[style];
    const char* sign = plusSigns ? "+" : "";
    std::string text = std::string(w[0]) + " test\n";
    char line[256];
    for (const TestFacet& f : facets) {
        std::snprintf(line, sizeof line, "  %s %.17g %.17g %.17g\n    %s\n", w[1], f.normal[0],
                      f.normal[1], f.normal[2], w[2]);
        text += line;
        for (int v = 0; v < 3; v++) {
            char n[3][40];
            for (int k = 0; k < 3; k++) {
                const double x = f.v[3 * v + k];
                std::snprintf(n[k], sizeof n[k], "%s%.17g", x >= 0 ? sign : "", x);
            }
            std::snprintf(line, sizeof line, "      %s %s %s %s\n", w[3], n[0], n[1], n[2]);
            text += line;
        }
        text += std::string("    ") + w[4] + "\n  " + w[5] + "\n";
    }
    text += style == TEXT_UPPER ? "ENDSOLID test\n" : "endsolid test\n";
    return text;
}

inline void PutTestWord(std::vector<uint8_t>* out, uint32_t word, bool bigEndian)
{
    for (int i = 0; i < 4; i++) out->push_back(uint8_t(word >> (bigEndian ? 24 - 8 * i : 8 * i)));
}

inline std::vector<uint8_t> MakeTestStlBinary(const std::vector<TestFacet>& facets, bool bigEndian,
                                              uint32_t countOverride = 0xFFFFFFFFu)
{
    std::vector<uint8_t> out(80, ' ');
    PutTestWord(&out, countOverride != 0xFFFFFFFFu ? countOverride : uint32_t(facets.size()),
                bigEndian);
    for (const TestFacet& f : facets) {
        float values[12];
        for (int k = 0; k < 3; k++) values[k] = float(f.normal[k]);
        for (int k = 0; k < 9; k++) values[3 + k] = float(f.v[k]);
        for (float value : values) {
            uint32_t word;
            std::memcpy(&word, &value, 4);
            PutTestWord(&out, word, bigEndian);
        }
        out.push_back(0);
        out.push_back(0);
    }
    return out;
}

inline bool WriteTestFile(const std::string& path, const void* data, size_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

inline bool WriteTestFile(const std::string& path, const std::string& text)
{
    return WriteTestFile(path, text.data(), text.size());
}

inline bool WriteTestFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    return WriteTestFile(path, bytes.data(), bytes.size());
}
