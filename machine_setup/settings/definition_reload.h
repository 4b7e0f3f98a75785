// The reload of a definition file (tool table, holder file, controller, machine) that changed on disk.
// Stand-in (definition_reload_standin.cpp) until the reload is built: nothing is reloaded.
#pragma once
#include "platform/ui/ui_types.h"

// Compares the kept file times with the files' current ones and reloads what changed (stand-in: nothing).
void CheckDefinitionFilesChanged(WindowHandle frame);
