// Feeds arbitrary text to the controller definition reader as a ".CTL" file: it must read or refuse
// every line, never crash, hang or write past a buffer. Each read is followed by the reset a new read
// begins with, which frees the replacement rules, the check characters and the in-memory program.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "fuzz/fuzz_input_file.h"
#include "machine_setup/controller/controller_definition.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PrepareFuzzScratch(".ctl");
    const char* path = WriteFuzzInput(data, size);
    std::snprintf(g_ControllerFilePath, sizeof(g_ControllerFilePath), "%s", path);
    ReadControllerFile();
    if (g_ControllerFileStatus != 1) std::abort();  // the file exists: it must be read
    ResetControllerSettings();
    return 0;
}
