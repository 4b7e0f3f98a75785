// Shared set-up of the block interpreter tests and benchmark: a fresh interpreter with default
// controller settings, and NC text run block by block the way motion delivery runs it (per-call
// clears, the interpreter, the block-end step).
#pragma once
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/controller/offset_memories.h"
#include "nc/block_end_position.h"
#include "nc/block_interpreter.h"
#include "nc/block_state.h"
#include "nc/interpreter_state.h"
#include "nc/nc_line_reader.h"

// Default controller settings, plane codes derived, interpreter and block state reset, no decimal
// point scaling surprises (mode NORMAL: every value as written), everything at the origin.
inline void ResetBlockTestState()
{
    if (g_NcFile != nullptr) {
        std::fclose(g_NcFile);
        g_NcFile = nullptr;
    }
    ResetControllerSettings();
    ComputePlaneCodesFromAxisChars();
    g_ControlPoint = AxisPosition{};
    ResetInterpreterState();
    ResetBlockState();
    g_NcPreviousPosition = AxisPosition{};
    g_NcMoveStart = AxisPosition{};
}

// The fields motion delivery clears before each block it reads.
inline void ClearPerCallFields() { ClearPerBlockFields(); }

// Interprets one block (a line feed is appended) and runs the block-end step; the drivers' control
// point follows the move end.
inline void RunBlock(const std::string& text)
{
    ClearPerCallFields();
    std::string line = text + "\n";
    if (line.size() >= sizeof g_NcLineBuffer) line.resize(sizeof g_NcLineBuffer - 1);
    std::memcpy(g_NcLineBuffer, line.c_str(), line.size() + 1);
    InterpretNcBlock(g_NcLineBuffer);
    FinishBlockPosition();
    g_ControlPoint = g_NcTargetPosition;
}

// Machine position of the move end: program coordinates plus the active work offset.
inline double MachineAxis(int axis)
{
    return g_NcMoveEnd.axis[axis] + g_ActiveWorkOffset.axis[axis];
}

// Runs the blocks of a program with RunBlock and checks that every move starts in the machine where
// the one before it ended: the move start and end are taken with the active offset of their own
// block, so a change of coordinate system between them must not move the tool. Returns "" or a
// description of the first block whose move jumps.
inline std::string FindFirstMoveJump(const std::vector<std::string>& blocks, double tolerance = 1e-9)
{
    double lastEnd[AXIS_POSITION_COUNT];
    for (int a = 0; a < AXIS_POSITION_COUNT; ++a) lastEnd[a] = MachineAxis(a);
    for (size_t k = 0; k < blocks.size(); ++k) {
        RunBlock(blocks[k]);
        for (int a = 0; a < AXIS_POSITION_COUNT; ++a) {
            const double start = g_NcMoveStart.axis[a] + g_ActiveWorkOffset.axis[a];
            if (!(std::fabs(start - lastEnd[a]) <= tolerance)) {
                char text[320];
                std::snprintf(text, sizeof text, "block %d \"%s\": axis %d starts at %.9g, the last move ended at %.9g",
                              int(k) + 1, blocks[k].c_str(), a, start, lastEnd[a]);
                return text;
            }
        }
        for (int a = 0; a < AXIS_POSITION_COUNT; ++a) lastEnd[a] = MachineAxis(a);
    }
    return "";
}
