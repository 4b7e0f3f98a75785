// Root solvers as the cutting kernel calls them: a quartic (a grid line against a torus) and a cubic per call.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "work_model/geometry.h"

namespace {

std::vector<double> MakeQuarticCoefficients(int count)
{
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> pick(-10.0, 10.0);
    std::vector<double> coefficients;
    for (int i = 0; i < count; i++) {
        double r[4] = {pick(random), pick(random), pick(random), pick(random)};
        coefficients.push_back(1.0);
        coefficients.push_back(-(r[0] + r[1] + r[2] + r[3]));
        coefficients.push_back(r[0] * r[1] + r[0] * r[2] + r[0] * r[3] + r[1] * r[2] + r[1] * r[3] + r[2] * r[3]);
        coefficients.push_back(-(r[0] * r[1] * r[2] + r[0] * r[1] * r[3] + r[0] * r[2] * r[3] + r[1] * r[2] * r[3]));
        coefficients.push_back(r[0] * r[1] * r[2] * r[3]);
    }
    return coefficients;
}

void BM_SolveQuartic(benchmark::State& state)
{
    const int count = 1024;
    std::vector<double> c = MakeQuarticCoefficients(count);
    double out[8];
    int i = 0;
    for (auto _ : state) {
        const double* k = &c[static_cast<size_t>(5 * i)];
        SolveQuartic(k[0], k[1], k[2], k[3], k[4], out);
        benchmark::DoNotOptimize(out);
        i = (i + 1) % count;
    }
}
BENCHMARK(BM_SolveQuartic);

void BM_SolveCubic(benchmark::State& state)
{
    const int count = 1024;
    std::vector<double> c = MakeQuarticCoefficients(count);
    double out[6];
    int i = 0;
    for (auto _ : state) {
        const double* k = &c[static_cast<size_t>(5 * i)];
        SolveCubic(k[0], k[1], k[2], k[3], out);
        benchmark::DoNotOptimize(out);
        i = (i + 1) % count;
    }
}
BENCHMARK(BM_SolveCubic);

}  // namespace
