// Feeds arbitrary bytes to the LZMS buffer decoder: it must refuse or decode, never crash.
#include <cstddef>
#include <cstdint>
#include <vector>
#include "platform/os/lzms_buffer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> out;
    DecompressLzmsBuffer(data, size, &out);
    return 0;
}
