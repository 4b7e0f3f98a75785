// Results of the command line that the settings file reader respects: values the command line gave are
// not read from the settings file. The command-line parser fills them before the settings are read; the
// paths and pitches it gives go straight into the variables of their owners (see the comments).
#pragma once

// Written by the user-interface thread (command-line parser at start-up, macros); read at start-up.
extern char g_CmdIniFile[256];        // settings file name or path ("qumbra.ini" unless a switch names one)
extern int g_CmdToolTableGiven;       // 1: the tool table path is already in g_ToolTableFilePath
extern int g_CmdControllerGiven;      // 1: the controller path is already in g_ControllerFilePath
extern int g_CmdMachineGiven;         // 1: the machine path is already in g_MachineFilePath
extern int g_CmdWorkGiven;            // 1: the command line defines the work, of kind g_CmdWorkKind
extern int g_CmdWorkKind;             // CmdWorkKind
extern int g_CmdStartPositionGiven;   // 1: the start control point is given (g_ControlPoint)
extern int g_CmdDifference;           // 1: difference painting requested (its settings are given)
extern int g_CmdOffsetRequest;        // 1: a work offset was requested (g_OffsetValue is given)
extern int g_CmdWindowRectGiven;      // 1: the frame's rectangle is given (g_WindowX ... g_WindowWidth)
extern int g_CmdCtcGiven;             // 1: a colour file is named in g_CmdCtcFile (cleared once read)
extern char g_CmdCtcFile[256];
extern int g_CmdToolNumber;           // T switch: tool selected at start-up (0 none)
// Given elsewhere: g_BasicModelPath (not empty when named), g_WorkPitch and g_MovePitch (not 0 when
// given), g_SilentMode.

// Kinds of work the command line defines.
enum CmdWorkKind {
    CMD_WORK_FILE = 0,
    CMD_WORK_BOX = 1,
    CMD_WORK_BOX_FROM_ORIGIN = 2,
    CMD_WORK_CYLINDER = 3
};

// Puts every value above back to its program start value.
void ResetCommandLineValues();
