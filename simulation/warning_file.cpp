// The warning file: its name, head and entries.
#include "simulation/warning_file.h"

#include <cstring>

#include "nc/interpreter_state.h"
#include "nc/motion_delivery.h"
#include "nc/nc_line_reader.h"

FILE* g_WarningFile = nullptr;
char g_WarningFilePath[WARNING_FILE_PATH_SIZE] = "";

void MakeWarningFilePath(const char* ncPath, char* out)
{
    size_t length = std::strlen(ncPath);
    if (length > WARNING_FILE_PATH_SIZE - sizeof "_warning.txt") length = WARNING_FILE_PATH_SIZE - sizeof "_warning.txt";
    size_t cut = length;
    for (size_t k = length; k > 0; --k) {
        const char c = ncPath[k - 1];
        if (c == '/' || c == '\\') break;
        if (c == '.') {
            cut = k - 1;
            break;
        }
    }
    std::memcpy(out, ncPath, cut);
    std::strcpy(out + cut, "_warning.txt");
}

void OpenWarningFile()
{
    if (g_WarningLevel <= 0) return;
    g_WarningCount = 0;
    MakeWarningFilePath(g_NcFilePath, g_WarningFilePath);
    g_WarningFile = std::fopen(g_WarningFilePath, "w");
    if (g_WarningFile != nullptr) std::fputs("<<< WARNING INFORMATION >>>\n-----------\n", g_WarningFile);
}

void WriteLongRotaryMoveWarning(double previous1, double previous2, double new1, double new2)
{
    // The NC data check moves the machine too, but it is no run: its moves leave no warning file
    // that nobody would close.
    if (g_WarningLevel <= 0 || g_DataCheckRunning) return;
    if (g_WarningFile == nullptr) OpenWarningFile();
    FILE* file = g_WarningFile;
    // A file that failed to open gets no entry and no count: the frame opens the file when warnings
    // were counted, and there would be none to show.
    if (file == nullptr) return;
    g_WarningCount += 1;
    if (g_SubprogramDepth > 0) {
        std::fprintf(file, "%s:%d:", g_SubprogramCallNames[g_SubprogramDepth - 1], CurrentLineCounter());
    } else {
        std::fprintf(file, "%d:", g_NcLineNumber);
    }
    const size_t length = std::strlen(g_NcLineBuffer);
    std::fputs(g_NcLineBuffer, file);
    if (length == 0 || g_NcLineBuffer[length - 1] != '\n') std::fputc('\n', file);
    std::fputs("* Long movement of rotary axis *\n", file);
    std::fprintf(file, "( %f , %f ) -> ( %f , %f )\n\n", previous1, previous2, new1, new2);
    std::fflush(file);
}

void InstallWarningFileHook() { g_WarnLongRotaryMoveHook = WriteLongRotaryMoveWarning; }
