// Stand-in for the reader and NC tool plug-in calls: no plug-in is loaded, so no file opens through
// one, the path input is at its end at once and comments reach nobody.
#include "nc/reader_plugin.h"

ReaderPathRecord g_ReaderPath = {};
int g_FileToolsFromPlugin = 0;

int StartNcReadPlugin() { return 0; }
void CloseNcReadPlugin() {}
int CallReaderPluginPathNext() { return 0; }
int ReaderPluginHasTotalBlock() { return 0; }
int ReaderPluginHasPathWithPlane() { return 0; }
void CallNcToolPlugin(const char*) {}
void ClearNcToolPluginCallMemory() {}
