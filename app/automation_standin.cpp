// Stand-in of the macro thread: a dropped or command-line macro file is not carried out yet.
#include "app/automation.h"

int RunMacroFile(void*) { return 0; }
