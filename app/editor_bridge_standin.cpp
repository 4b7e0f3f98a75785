// Stand-ins of the editor bridge: no editor is started or closed.
#include "app/editor_bridge.h"

void OpenNcFileInEditor() {}
void CloseEditor(int) {}
