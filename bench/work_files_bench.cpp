// Saving and loading a work of 1.6 million rays as ".DME", and compressing and decompressing it as
// ".DMEZ" (whole save and load, and the codec alone on the file's content).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/os/files.h"
#include "platform/os/lzms_buffer.h"
#include "work_model/compressed_work_files.h"
#include "work_model/dexel_intervals.h"
#include "work_model/work_creation.h"
#include "work_model/work_files.h"
#include "tests/scoped_temp_folder.h"

namespace {

const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
const double kNoOrigin[3] = {0, 0, 0};

// A 1000 x 1000 x 300-node box (1.6 million rays) whose Z-rays carry a machined, uneven top with
// pens and NC line tags, so that the file is not one repeated pattern.
WorkModel* GetBenchWork()
{
    static WorkModel work{};
    if (work.nodeCountX == 0) {
        work.undoLevels = 1;
        const double box[6] = {0, 0, 0, 999, 999, 299};
        if (CreateBoxWorkIdentity(&work, box, 1.0) != 1) std::abort();
        DexelFamily& z = work.familyZ;
        for (int j = 0; j < work.nodeCountY; j++)
            for (int i = 0; i < work.nodeCountX; i++) {
                const int d = i + j * work.nodeCountX;
                const double top = 280.0 + 10.0 * std::sin(i * 0.013) * std::cos(j * 0.021);
                z.ends[d * 8 + 1] = top;
                z.attributes[d * 8 + 1] = uint8_t(((i / 50) % 15 + 1) << 4);
                z.values[d * 8 + 1] = 1000 + (i + 7 * j) / 97;
            }
    }
    return &work;
}

// Files in a scratch folder of this run, removed when the program ends.
std::string BenchPath(const char* name)
{
    return ProgramTempFolder().File(name);
}

void BM_SaveDme(benchmark::State& state)
{
    WorkModel* work = GetBenchWork();
    const std::string path = BenchPath("work.dme");
    for (auto _ : state)
        if (SaveWorkModel(work, path.c_str(), 0, 0, 0, kIdentity, kNoOrigin) != 1) state.SkipWithError("save");
    state.SetBytesProcessed(int64_t(state.iterations()) * GetFileSizeBytes(path.c_str()));
}

void BM_LoadDme(benchmark::State& state)
{
    const std::string path = BenchPath("work.dme");
    SaveWorkModel(GetBenchWork(), path.c_str(), 0, 0, 0, kIdentity, kNoOrigin);
    WorkModel loaded{};
    loaded.undoLevels = 1;
    for (auto _ : state)
        if (LoadWorkModelIdentity(nullptr, &loaded, path.c_str(), 1.0, 0) != 1) state.SkipWithError("load");
    DestroyWorkModel(&loaded);
}

void BM_SaveDmez(benchmark::State& state)
{
    WorkModel* work = GetBenchWork();
    const std::string path = BenchPath("work.dmez");
    for (auto _ : state)
        if (SaveWorkModel(work, path.c_str(), 0, 0, 0, kIdentity, kNoOrigin) != 1) state.SkipWithError("save");
}

void BM_LoadDmez(benchmark::State& state)
{
    const std::string path = BenchPath("work.dmez");
    SaveWorkModel(GetBenchWork(), path.c_str(), 0, 0, 0, kIdentity, kNoOrigin);
    WorkModel loaded{};
    loaded.undoLevels = 1;
    for (auto _ : state)
        if (LoadWorkModelIdentity(nullptr, &loaded, path.c_str(), 1.0, 0) != 1) state.SkipWithError("load");
    DestroyWorkModel(&loaded);
}

// The codec alone on the ".DME" content, at the work-file level and at the library's default.
void BM_CompressContent(benchmark::State& state)
{
    std::vector<uint8_t> content, packed;
    SerializeWorkModelDme(GetBenchWork(), 0, 0, kIdentity, kNoOrigin, &content);
    const unsigned level = unsigned(state.range(0));
    for (auto _ : state)
        CompressLzmsBufferWithOptions(content.data(), content.size(), kLzmsDefaultBlockSize, level, &packed);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(content.size()));
    state.counters["content_MB"] = double(content.size()) / 1e6;
    state.counters["packed_MB"] = double(packed.size()) / 1e6;
}

void BM_DecompressContent(benchmark::State& state)
{
    std::vector<uint8_t> content, packed, out;
    SerializeWorkModelDme(GetBenchWork(), 0, 0, kIdentity, kNoOrigin, &content);
    CompressWorkFileBuffer(content.data(), content.size(), &packed);
    for (auto _ : state) DecompressLzmsBuffer(packed.data(), packed.size(), &out);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(content.size()));
}

}  // namespace

BENCHMARK(BM_SaveDme)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadDme)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveDmez)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LoadDmez)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CompressContent)->Arg(WORK_FILE_COMPRESSION_LEVEL)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_DecompressContent)->Unit(benchmark::kMillisecond)->Iterations(3);
