// Stand-in of the definition-file reload: nothing is reloaded.
#include "machine_setup/settings/definition_reload.h"

void CheckDefinitionFilesChanged(WindowHandle) {}
