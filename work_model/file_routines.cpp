// Opening streams, splitting paths into folder and name, long path names, the separator between a keyword and
// its value in a definition line, and one number formatted into a fixed buffer.
#include "work_model/file_routines.h"

#include <cstring>
#include <string>

#include "platform/os/files.h"
#include "platform/os/paths.h"

namespace {

// Copies length characters of text into out as a terminated string: 1, or 0 with out emptied when it does not
// fit.
int CopyTextPart(const char* text, size_t length, char* out, int outSize)
{
    if (out == nullptr || outSize < 1) return 0;
    if (length >= static_cast<size_t>(outSize)) {
        out[0] = '\0';
        return 0;
    }
    std::memcpy(out, text, length);
    out[length] = '\0';
    return 1;
}

}  // namespace

FILE* OpenFile(const char* path, const char* mode)
{
    if (path == nullptr || mode == nullptr || path[0] == '\0') return nullptr;
    std::string native = MakeNativePath(path);
    // A folder opens as a stream on this system but cannot be read or written as a file.
    if (DoesFolderExist(native.c_str())) return nullptr;
    // A device or pipe named as an input file would block the reader or never end: only regular files
    // are read.
    if (mode[0] == 'r' && std::strchr(mode, '+') == nullptr && DoesPathExist(native.c_str()) &&
        !DoesFileExist(native.c_str()))
        return nullptr;
    return std::fopen(native.c_str(), mode);
}

int GetDriveAndDirectory(const char* path, char* out, int outSize)
{
    if (path == nullptr) return CopyTextPart("", 0, out, outSize);
    int last = FindLastPathSeparator(path);
    return CopyTextPart(path, static_cast<size_t>(last + 1), out, outSize);
}

int GetFileNamePart(const char* path, int withExtension, char* out, int outSize)
{
    if (path == nullptr) return CopyTextPart("", 0, out, outSize);
    const char* name = path + FindLastPathSeparator(path) + 1;
    size_t length = std::strlen(name);
    if (!withExtension) length = static_cast<size_t>(GetPathExtension(name) - name);
    return CopyTextPart(name, length, out, outSize);
}

int ExpandLongPath(const char* path, char* out, int outSize)
{
    // Names on this system have no short forms: an existing path is already its long form.
    if (path == nullptr || out == nullptr || path[0] == '\0') return 0;
    if (!DoesPathExist(path)) return 0;
    size_t length = std::strlen(path);
    if (outSize < 1 || length >= static_cast<size_t>(outSize)) return 0;
    std::memcpy(out, path, length + 1);
    return 1;
}

void SkipBlanksAndEquals(int* position, const char* line)
{
    if (position == nullptr || line == nullptr || *position < 0) return;
    while (line[*position] == ' ' || line[*position] == '=') (*position)++;
}

int FormatDouble(char* out, int outSize, const char* format, double value)
{
    if (out == nullptr || outSize < 1) return 0;
    if (format == nullptr) {
        out[0] = '\0';
        return 0;
    }
    int written = std::snprintf(out, static_cast<size_t>(outSize), format, value);
    if (written < 0) {
        out[0] = '\0';
        return 0;
    }
    return written < outSize ? written : outSize - 1;
}
