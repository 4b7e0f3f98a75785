// The macro thread: a macro file read line by line, each line sent to the frame as the menu command a
// user would choose. Carried out so far: comments, LOAD_WORK, SELECT_NCDATA, LOAD_TTL, LOAD_CTL,
// LOAD_MTL, the three CUT lines, SLEEP, SAVE_IMAGE and EXIT; every other line is passed over.
#include "app/automation.h"
#include "app/macro_file.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/command_line.h"
#include "app/macro_log.h"
#include "app/run_control.h"
#include "app/shell_commands.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/settings/work_settings.h"
#include "nc/interpreter_state.h"
#include "platform/os/clock.h"
#include "platform/ui/event_core.h"
#include "platform/ui/shell_services.h"

namespace {

intptr_t Send(int command, intptr_t argument = 0)
{
    return SendUiMessage(g_MainWindow, WM_COMMAND, static_cast<uintptr_t>(command), argument);
}

void WaitForRun()
{
    while (g_RunMode != 0 || g_RunFinishing) SleepMs(100);
}

// A keyword at column 0, compared over count characters without regard to case.
int Starts(const char* line, const char* keyword, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const unsigned char a = static_cast<unsigned char>(line[i]);
        const unsigned char b = static_cast<unsigned char>(keyword[i]);
        if (a == '\0' || std::toupper(a) != std::toupper(b)) return 0;
    }
    return 1;
}

// The argument at column of line into out (size bytes); 1 when there is one.
int TakeArgument(const char* line, size_t column, char* out, int size)
{
    if (std::strlen(line) < column) return 0;
    return ParseMacroFileArgument(line + column, out, size) != nullptr;
}

// CUT(REAL), CUT(SKIP), CUT(RESULT): a run in the given command-line run mode, waited for.
void Cut(int command, int runMode)
{
    if (g_MainWindowIconic) {
        g_CmdRunMode = 6;
        g_CmdQuietInterference = g_CmdQuietResults = g_SilentMode = 1;
        Send(RUN_COMMAND_RESULT);
        g_CmdQuietInterference = g_CmdQuietResults = g_SilentMode = 0;
    } else {
        g_CmdRunMode = runMode;
        Send(command);
    }
    WaitForRun();
    if (g_MacroLog != nullptr) {
        std::fputs("\n", g_MacroLog);
        CloseMacroLog();
    }
}

// Carries out one trimmed line; 0 when the macro is to stop (EXIT).
int RunMacroLine(const char* line)
{
    char file[MACRO_ARGUMENT_SIZE];
    if (Starts(line, "#", 1)) return 1;
    if (Starts(line, "LOAD_WORK", 9)) {
        if (TakeArgument(line, 9, file, sizeof file)) {
            std::snprintf(g_WorkFilePath, sizeof g_WorkFilePath, "%s", file);
            g_CmdWorkGiven = 1;
            Send(32784);
            g_CmdWorkGiven = 0;
        }
        return 1;
    }
    if (Starts(line, "SELECT_NCDATA", 13)) {
        if (TakeArgument(line, 13, file, sizeof file)) {
            std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "%s", file);
            g_CmdNcGiven = 1;
            Send(32771);
            g_CmdNcGiven = 0;
        }
        return 1;
    }
    struct FileCommand {
        const char* keyword;
        char* path;
        size_t size;
        int command;
    };
    const FileCommand definitions[] = {
        {"LOAD_TTL", g_ToolTableFilePath, sizeof g_ToolTableFilePath, 32781},
        {"LOAD_CTL", g_ControllerFilePath, sizeof g_ControllerFilePath, 32782},
        {"LOAD_MTL", g_MachineFilePath, sizeof g_MachineFilePath, 32783},
    };
    for (const FileCommand& d : definitions) {
        if (!Starts(line, d.keyword, 8)) continue;
        if (TakeArgument(line, 8, file, sizeof file)) {
            g_FileNamePreset = 1;
            std::snprintf(d.path, d.size, "%s", file);
            Send(d.command);
        }
        return 1;
    }
    if (Starts(line, "CUT(REAL)", 9)) {
        Cut(RUN_COMMAND_REAL, 2);
        return 1;
    }
    if (Starts(line, "CUT(SKIP)", 9)) {
        Cut(RUN_COMMAND_SKIP, 3);
        return 1;
    }
    if (Starts(line, "CUT(RESULT)", 11)) {
        const int silent = std::strlen(line) >= 17 && Starts(line + 12, "SILEN", 5);
        Cut(RUN_COMMAND_RESULT, silent ? 5 : 4);
        return 1;
    }
    if (Starts(line, "SLEEP", 5)) {
        const char* number = std::strlen(line) > 5 ? line + 5 : "";
        number += std::strcspn(number, "1234567890-.\n");
        const long ms = std::strtol(number, nullptr, 10);
        if (ms > 0) SleepMs(static_cast<unsigned>(ms));
        return 1;
    }
    if (Starts(line, "SAVE_IMAGE", 10)) {
        if (TakeArgument(line, 10, file, sizeof file)) {
            g_FileNamePreset = 1;
            std::snprintf(g_WorkBaseName, sizeof g_WorkBaseName, "%s", file);
            Send(32889);
        }
        return 1;
    }
    if (Starts(line, "EXIT", 4)) {
        PostUiMessage(g_MainWindow, WM_AUTOMATION_FINISHED, 0, 0);
        return 0;
    }
    return 1;
}

}  // namespace

void ExpandPathMacros(const char* source, char* out, int size)
{
    if (size <= 0) return;
    int n = 0;
    auto put = [&](const char* text, size_t length) {
        for (size_t i = 0; i < length && n < size - 1; ++i) out[n++] = text[i];
    };
    for (const char* p = source; *p != '\0';) {
        if (p[0] != '$' || p[1] != '(') {
            put(p++, 1);
            continue;
        }
        const char* close = std::strchr(p + 2, ')');
        if (close == nullptr) break;   // an unclosed macro ends the text
        const size_t length = static_cast<size_t>(close - (p + 2));
        if (length <= 15) {
            if (length >= 5 && Starts(p + 2, "ncdir", 5)) put(g_NcFolder, std::strlen(g_NcFolder));
            else if (length >= 7 && Starts(p + 2, "workdir", 7)) put(g_DmeFolder, std::strlen(g_DmeFolder));
        }
        p = close + 1;
    }
    out[n] = '\0';
}

const char* ParseMacroFileArgument(const char* text, char* out, int size)
{
    if (text[0] != ' ' && text[0] != '\t') return nullptr;
    const char* p = text + std::strspn(text, " \t");
    char argument[MACRO_ARGUMENT_SIZE];
    const char* end;
    size_t length;
    if (*p == '"') {
        const char* close = std::strchr(p + 1, '"');
        if (close == nullptr) return nullptr;
        length = static_cast<size_t>(close - (p + 1));
        if (length > MACRO_ARGUMENT_SIZE - 1) length = MACRO_ARGUMENT_SIZE - 1;
        std::memcpy(argument, p + 1, length);
        end = close + 1;
    } else {
        length = std::strcspn(p, "\r\n");
        if (length > MACRO_ARGUMENT_SIZE - 1) length = MACRO_ARGUMENT_SIZE - 1;
        std::memcpy(argument, p, length);
        end = p + std::strlen(p);
    }
    argument[length] = '\0';
    if (length == 0) return nullptr;
    ExpandPathMacros(argument, out, size);
    return end;
}

int RunMacroFile(void*)
{
    if (g_CmdWorkGiven) {
        Send(32784);
        if (g_WorkFilePath[0] != '\0' && !g_WorkFileFound) {
            PostUiMessage(g_MainWindow, WM_AUTOMATION_FINISHED, 0, 0);
            return 0;
        }
        g_CmdWorkGiven = 0;
    }
    FILE* file = g_MacroFilePath[0] != '\0' ? std::fopen(g_MacroFilePath, "rb") : nullptr;
    if (file == nullptr) return 0;
    char line[MACRO_LINE_SIZE];
    while (std::fgets(line, sizeof line, file) != nullptr) {
        size_t n = std::strlen(line);
        while (n > 0 && std::strchr(" \t\r\n", line[n - 1]) != nullptr) line[--n] = '\0';
        if (!RunMacroLine(line)) break;
    }
    std::fclose(file);
    return 0;
}
