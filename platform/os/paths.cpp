// Path texts: separators ("/" and "\" both split), extensions without regard to case, the native form of a
// path, and the current and program folders.
#include "platform/os/paths.h"

#include <strings.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <vector>

int IsPathSeparator(int c)
{
    return c == '/' || c == '\\';
}

int FindLastPathSeparator(const char* path)
{
    if (path == nullptr) return -1;
    int last = -1;
    for (int i = 0; path[i] != '\0'; i++) {
        if (IsPathSeparator(static_cast<unsigned char>(path[i]))) last = i;
    }
    return last;
}

const char* GetPathExtension(const char* path)
{
    if (path == nullptr) return nullptr;
    const char* name = path + FindLastPathSeparator(path) + 1;
    const char* dot = std::strrchr(name, '.');
    return dot != nullptr ? dot : name + std::strlen(name);
}

int HasFileExtension(const char* path, const char* extension)
{
    if (path == nullptr || extension == nullptr) return 0;
    return strcasecmp(GetPathExtension(path), extension) == 0 ? 1 : 0;
}

int IsAbsolutePath(const char* path)
{
    return path != nullptr && IsPathSeparator(static_cast<unsigned char>(path[0])) ? 1 : 0;
}

std::string MakeNativePath(const char* path)
{
    std::string native = path != nullptr ? path : "";
    for (char& c : native) {
        if (c == '\\') c = '/';
    }
    return native;
}

int ConvertToNativePath(const char* path, char* out, int outSize)
{
    if (out == nullptr || outSize < 1) return 0;
    std::string native = MakeNativePath(path);
    if (native.size() >= static_cast<size_t>(outSize)) {
        out[0] = '\0';
        return 0;
    }
    std::memcpy(out, native.c_str(), native.size() + 1);
    return 1;
}

namespace {

int CopyOut(const std::string& text, char* out, int outSize)
{
    if (out == nullptr || outSize < 1) return 0;
    if (text.empty() || text.size() >= static_cast<size_t>(outSize)) {
        out[0] = '\0';
        return 0;
    }
    std::memcpy(out, text.c_str(), text.size() + 1);
    return 1;
}

}  // namespace

int GetCurrentFolder(char* out, int outSize)
{
    std::vector<char> buffer(PATH_MAX + 1);
    if (getcwd(buffer.data(), buffer.size()) == nullptr) return CopyOut("", out, outSize);
    std::string folder = buffer.data();
    if (folder.empty() || folder.back() != '/') folder += '/';
    return CopyOut(folder, out, outSize);
}

int SetCurrentFolder(const char* path)
{
    if (path == nullptr || path[0] == '\0') return 0;
    return chdir(MakeNativePath(path).c_str()) == 0 ? 1 : 0;
}

int GetProgramFilePath(char* out, int outSize)
{
    std::vector<char> buffer(PATH_MAX + 1);
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) return CopyOut("", out, outSize);
    return CopyOut(std::string(buffer.data(), static_cast<size_t>(length)), out, outSize);
}
