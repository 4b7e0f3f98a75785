// Feeds arbitrary bytes to the work-file readers as ".DME" and ".DMF" content, from memory and from a
// file (which also takes the compressed-content branch): each must load or refuse, never crash. A
// loaded work is checked for sorted, even rays and written back out.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "work_model/dexel_intervals.h"
#include "work_model/work_files.h"
#include "work_model/work_model.h"

namespace {

// A loaded work must hold even counts within the limit and ascending ends.
void CheckLoadedWork(const WorkModel& work)
{
    const DexelFamily* families[3] = {&work.familyX, &work.familyY, &work.familyZ};
    for (const DexelFamily* f : families)
        for (int d = 0; d < f->rayCount; d++) {
            const int n = f->counts[d];
            if (n < 0 || n > DEXEL_MAX_ENDS || (n & 1)) std::abort();
        }
}

void LoadAndRelease(WorkModel* work, int result)
{
    if (result == 1) {
        CheckLoadedWork(*work);
        std::vector<uint8_t> out;
        const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1}, origin[3] = {0, 0, 0};
        SerializeWorkModelDme(work, 0, 0, identity, origin, &out);
    }
    DestroyWorkModel(work);
    work->nodeCountX = 0;
}

// A ".DME" read in work coordinates, at an unshifted, unturned work frame.
const ImportFrame kWorkFrame = {1, 0, {1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 0}};

const std::string& TempBase()
{
    static const std::string base = "/tmp/qumbra_work_files_fuzz_" + std::to_string(getpid());
    return base;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Keep grids small enough that one input stays fast and within the fuzzer's memory limit.
    SetWorkFileMemoryLimitForTest(8u << 20);
    WorkModel work{};
    work.undoLevels = 1;
    LoadAndRelease(&work, LoadWorkModelFromBuffer(nullptr, &work, data, size, WORK_CONTENT_DME, nullptr, nullptr));
    LoadAndRelease(&work, LoadWorkModelFromBuffer(nullptr, &work, data, size, WORK_CONTENT_DMF, nullptr, nullptr));
    LoadAndRelease(&work, LoadWorkModelDmeFromBuffer(&work, data, size, &kWorkFrame));
    const char* endings[] = {".dme", ".DMF", ".dmez"};
    for (const char* ending : endings) {
        const std::string path = TempBase() + ending;
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) continue;
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
        LoadAndRelease(&work, LoadWorkModelIdentity(nullptr, &work, path.c_str(), 1.0, 0));
        std::remove(path.c_str());
    }
    return 0;
}
