// Feeds arbitrary bytes as NC blocks to the block interpreter and the block-end stage, in the dialect
// and with the machine letters chosen by the first byte: every word must stay inside the line and
// every table index inside its table.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "nc/block_end_position.h"
#include "nc/block_interpreter.h"
#include "nc/block_state.h"
#include "nc/interpreter_state.h"
#include "nc/nc_line_reader.h"

namespace {

void SetUpRun(uint8_t mode)
{
    ResetControllerSettings();
    ComputePlaneCodesFromAxisChars();
    const int dialect = mode % 5;
    g_DialectOsp = dialect == 1;
    g_DialectMazak = dialect == 2;
    g_DialectSiemens = dialect == 3;
    g_DialectHeidenhain = dialect == 4;
    g_DialectCode = dialect == 1 ? DIALECT_OSP : dialect == 4 ? DIALECT_HEIDENHAIN : DIALECT_DEFAULT;
    g_RunFromMemory = (mode >> 3) & 1;
    g_MachineKind = (mode >> 4) & 3;
    g_Rotary1Letter = 'A';
    g_Rotary2Letter = 'C';
    g_MachineWire = (mode >> 6) & 1;
    g_FeedrateMode = (mode >> 7) & 1;
    g_ControlPoint = AxisPosition{};
    ResetInterpreterState();
    ResetBlockState();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    SetUpRun(data[0]);
    size_t start = 1;
    while (start < size) {
        size_t end = start;
        while (end < size && data[end] != '\n' && end - start < NC_LINE_BUFFER_SIZE - 2) ++end;
        const size_t length = end - start;
        std::memcpy(g_NcLineBuffer, data + start, length);
        g_NcLineBuffer[length] = '\n';
        g_NcLineBuffer[length + 1] = '\0';
        g_LastGCode = 0;
        g_LastMCode = -1;
        g_MoveChanged = 0;
        InterpretNcBlock(g_NcLineBuffer);
        FinishBlockPosition();
        g_ControlPoint = g_NcTargetPosition;
        start = end + 1;
    }
    return 0;
}
