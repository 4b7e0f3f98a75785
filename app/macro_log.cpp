// The macro log of batch runs.
#include "app/macro_log.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "machine_setup/settings/settings_file.h"
#include "platform/os/files.h"
#include "platform/ui/shell_services.h"

char g_MacroLogPath[300] = "";

void OpenMacroLog()
{
    if (g_MacroLog != nullptr) return;
    const size_t n = std::strlen(g_LogFolder);
    const char* separator = n == 0 || g_LogFolder[n - 1] == '/' || g_LogFolder[n - 1] == '\\' ? "" : "/";
    std::snprintf(g_MacroLogPath, sizeof g_MacroLogPath, "%s%s%s", g_LogFolder, separator, "qumbra.log");
    g_MacroLog = std::fopen(g_MacroLogPath, "ab");
    if (g_MacroLog == nullptr && n > 0 && !DoesFolderExist(g_LogFolder) && CreateFolder(g_LogFolder)) {
        g_MacroLog = std::fopen(g_MacroLogPath, "ab");
    }
}

void WriteMacroLogLine(const char* text)
{
    if (g_MacroLog == nullptr) return;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::fprintf(g_MacroLog, "%04d/%02d/%02d %02d:%02d:%02d\xEF\xBC\x9A%s", local.tm_year + 1900, local.tm_mon + 1,
                 local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, text);
    std::fflush(g_MacroLog);
}

void WriteMacroLogRecord(const char* text, const char* message)
{
    const int wasOpen = g_MacroLog != nullptr;
    OpenMacroLog();
    if (g_MacroLog == nullptr) return;
    WriteMacroLogLine(text);
    std::fputs(message, g_MacroLog);
    std::fflush(g_MacroLog);
    if (!wasOpen) CloseMacroLog();
}

void CloseMacroLog()
{
    if (g_MacroLog == nullptr) return;
    std::fclose(g_MacroLog);
    g_MacroLog = nullptr;
}
