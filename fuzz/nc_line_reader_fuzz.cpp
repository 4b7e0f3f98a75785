// Feeds arbitrary bytes to the NC line reader (as a program file, with replacement rules, the
// character check, block skip and the sequence search chosen by the first byte) and every line it
// delivers to the word value readers and the coordinate words: all must stay inside their buffers.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/controller/offset_memories.h"
#include "nc/coordinate_words.h"
#include "nc/interpreter_state.h"
#include "nc/nc_line_reader.h"
#include "nc/nc_words.h"

namespace {

void SetUpControllerOnce()
{
    static int done = 0;
    if (done) return;
    done = 1;
    ResetControllerSettings();
    ComputePlaneCodesFromAxisChars();
    const char* rules[] = {
        "REPLACE \"G0\" \"G00\"", "REPLACE \"X\" \"XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX\"",
        "REPLACE \"M6\" \"\"", "REPLACE \"(\" \"((\"", "REPLACE \"\r\" \"\"", "REPLACE \"\n\" \"NN\"",
    };
    for (const char* rule : rules) ReadReplaceRuleLine(rule);
    static char allowed[] = "GXYZIJKFNMTSPQR()./-+ #=";
    g_CheckChars = allowed;
    g_CheckCharsLength = (int)std::strlen(allowed);
}

// Every reader at the position after each letter of the line, as the block scan calls them.
void ReadWords(const char* line)
{
    const int length = (int)std::strlen(line);
    for (int k = 0; k < length; ++k) {
        const char c = line[k];
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) continue;
        int position = k + 1;
        double value = 0;
        int integer = 0;
        ReadWordValue(&position, line, &value);
        position = k + 1;
        ReadIntegerWord(&position, line, &integer);
        position = k + 1;
        ReadPlainValue(&position, line, &value);
        position = k + 1;
        ReadThousandthsValue(&position, line, &value);
        ReadValueWithDivisor(&position, line, &value, k % 3);
        ReadDwellValue(&position, line, &value);
        ReadDelimitedValue(&position, line, &value);
        position = k + 1;
        ReadCycleParameterWord(&position, line);
        position = k;
        ReadLinearAxisWord(&position, line, k % 3);
        position = k;
        ReadArcCentreWord(&position, line, k % 3);
        position = k;
        ReadRotaryWord(&position, line, 3 + k % 2);
        position = k;
        ReadIncrementalArcWord(&position, line, k % 3);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetUpControllerOnce();
    if (size < 2) return 0;
    const uint8_t options = data[0];
    ResetInterpreterState();
    g_ReplaceType2 = options & 1;
    const int savedCount = g_ReplaceRules.count;
    if (options & 2) g_ReplaceRules.count = 0;
    g_CodeCheck = (options >> 2) & 1;
    for (int k = 0; k < OPTIONAL_BLOCK_SKIP_COUNT; ++k) g_OptionalBlockSkip[k] = (options >> 3) & 1;
    g_OptionalBlockSkipAny = (options >> 3) & 1;
    g_SequenceSearchNumber = (options & 16) ? data[1] : -1;
    g_DialectCode = (options & 32) ? DIALECT_OSP : DIALECT_DEFAULT;
    std::memcpy(g_SequenceSearchName, "A1", 3);
    g_DecimalPointMode = (options >> 6) & 3;
    g_CannedCycleCode = (options & 64) ? 81 : 80;

    FILE* file = fmemopen((void*)(data + 2), size - 2, "rb");
    if (file == nullptr) {
        g_ReplaceRules.count = savedCount;
        return 0;
    }
    g_NcFile = file;
    for (int calls = 0; calls < 100000 && g_NcRunState < NC_RUN_FINISHED; ++calls) {
        g_NcAlarmCode = 0;
        if (ReadNextNcLine() && calls < 256) ReadWords(g_NcLineBuffer);
    }
    g_NcFile = nullptr;
    std::fclose(file);
    g_ReplaceRules.count = savedCount;
    return 0;
}
