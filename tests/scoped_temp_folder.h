// A scratch folder for a test: made fresh under the temporary folder ($TMPDIR, else /tmp) with a unique
// name, and removed with everything in it when the guard ends, also when an assertion failed. Tests
// run in parallel processes, so every scratch file lives in such a folder, never under a fixed name.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <string>

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace scoped_temp_folder_detail {

// Gives every folder owner rights again, so read-only folders a test made can be emptied.
inline int OpenFolder(const char* path, const struct stat*, int type, struct FTW*)
{
    if (type == FTW_D || type == FTW_DNR) chmod(path, 0700);
    return 0;
}

inline int RemoveEntry(const char* path, const struct stat*, int, struct FTW*)
{
    std::remove(path);
    return 0;
}

}  // namespace scoped_temp_folder_detail

struct ScopedTempFolder {
    std::string path;   // the folder, without a closing "/"; empty when it could not be made

    explicit ScopedTempFolder(const char* prefix = "qumbra_test_")
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = base != nullptr && base[0] != '\0' ? base : "/tmp";
        while (pattern.size() > 1 && pattern.back() == '/') pattern.pop_back();
        pattern += std::string("/") + prefix + "XXXXXX";
        if (mkdtemp(&pattern[0]) != nullptr) path = pattern;
    }
    ~ScopedTempFolder()
    {
        if (path.empty()) return;
        nftw(path.c_str(), scoped_temp_folder_detail::OpenFolder, 16, FTW_PHYS);
        nftw(path.c_str(), scoped_temp_folder_detail::RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    }
    ScopedTempFolder(const ScopedTempFolder&) = delete;
    ScopedTempFolder& operator=(const ScopedTempFolder&) = delete;

    std::string File(const std::string& name) const { return path + "/" + name; }
};

// One scratch folder for the whole test program, removed when the program ends.
inline const ScopedTempFolder& ProgramTempFolder()
{
    static const ScopedTempFolder folder;
    return folder;
}
