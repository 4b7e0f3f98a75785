// Dynamic libraries on dlopen: a plain name is looked for as "NAME.so" in the program's folder, the
// current folder and then the system's default search, like the plug-in search of the program.
#include "platform/os/dynamic_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace {

int EndsWithSo(const std::string& name) {
    if (name.size() < 3) return 0;
    std::string tail = name.substr(name.size() - 3);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
    return tail == ".so";
}

std::string FindProgramFolder() {
    char buffer[4096];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return "";
    std::string path(buffer, static_cast<size_t>(length));
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

LibraryHandle OpenLibrary(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }

}  // namespace

const char* GetProgramFolder() {
    static const std::string folder = FindProgramFolder();
    return folder.c_str();
}

LibraryHandle LoadDynamicLibrary(const char* name) {
    if (name == nullptr || name[0] == '\0') return nullptr;
    std::string fileName = name;
    std::replace(fileName.begin(), fileName.end(), '\\', '/');
    if (!EndsWithSo(fileName)) fileName += ".so";
    if (fileName.find('/') != std::string::npos) return OpenLibrary(fileName);
    std::string programFolder = GetProgramFolder();
    LibraryHandle library = nullptr;
    if (!programFolder.empty() && access((programFolder + fileName).c_str(), F_OK) == 0)
        library = OpenLibrary(programFolder + fileName);
    if (library == nullptr && access(fileName.c_str(), F_OK) == 0) library = OpenLibrary("./" + fileName);
    if (library == nullptr) library = OpenLibrary(fileName);
    return library;
}

void* FindLibraryEntry(LibraryHandle library, const char* name) {
    if (library == nullptr || name == nullptr || name[0] == '\0') return nullptr;
    return dlsym(library, name);
}

void FreeDynamicLibrary(LibraryHandle library) {
    if (library != nullptr) dlclose(library);
}
