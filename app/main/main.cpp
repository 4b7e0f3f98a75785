// Program entry point: starts the program with its command line. The real window system is used when
// a display can be opened and the run is not silent.
#include <cstdio>
#include <cstring>

#include "app/command_line.h"
#include "platform/ui/shell_services.h"
#include "app/startup.h"
#include "platform/ui/fltk/fltk_backend.h"

namespace {

int g_DisplayOpened = 0;

const UiBackend* ChooseBackend(int silent)
{
    if (silent || !OpenFltkDisplay()) return nullptr;
    g_DisplayOpened = 1;
    SetFltkEnglishButtons(g_EnglishUi);
    return GetFltkBackend();
}

}  // namespace

int main(int argc, char** argv)
{
    static char commandLine[8192];
    if (!JoinCommandLineArguments(argc, argv, commandLine, sizeof commandLine)) {
        std::fprintf(stderr, "qumbra: the command line is too long\n");
        return 2;
    }
    const int exitCode = RunProgram(commandLine, 1 /* SW_SHOWNORMAL */, ChooseBackend);
    if (g_DisplayOpened) CloseFltkDisplay();
    return exitCode;
}
