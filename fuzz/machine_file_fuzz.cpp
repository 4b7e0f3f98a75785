// Feeds arbitrary text to the machine definition reader as a ".MTL" file: every keyword line must be
// read or passed over, never crash, hang or write past a buffer, and the values derived after reading
// (rotary frames, spindle direction, strokes, tool-change route) must stay computable.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_input_file.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_definition.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PrepareFuzzScratch(".mtl");
    const char* path = WriteFuzzInput(data, size);
    std::snprintf(g_MachineFilePath, sizeof(g_MachineFilePath), "%s", path);
    // The controller reset gives the axis letters and rotary letters the machine reader starts from.
    ResetControllerSettings();
    ReadMachineFile(1);
    if (g_MachineFileStatus != 1) std::abort();  // the file exists: it must be read
    return 0;
}
