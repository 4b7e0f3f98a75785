// Dynamic libraries (plug-ins) loaded by name at run time, on dlopen.
#pragma once

// A loaded library; null means none.
typedef void* LibraryHandle;

// Loads a library by name: "NAME" means "NAME.so" (a name already ending ".so" is kept), tried in the
// program's folder, then the current folder, then the system's default search. A name with a folder in
// it ("/" or "\") is loaded from there only. Returns the handle or null.
LibraryHandle LoadDynamicLibrary(const char* name);

// The address of the exported entry point called name, or null when the library lacks it.
void* FindLibraryEntry(LibraryHandle library, const char* name);

// Releases a library loaded by LoadDynamicLibrary; null is ignored.
void FreeDynamicLibrary(LibraryHandle library);

// The folder of the running program with a trailing "/" ("" when it cannot be found).
const char* GetProgramFolder();
