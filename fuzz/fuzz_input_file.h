// Shared by the definition-file fuzz targets: a per-process scratch folder under /tmp that becomes the
// working directory (so relative names a file mentions, such as wait files or holder files, stay inside
// it), and one temporary file in it that every input is written to before the reader opens it.
#pragma once
#include <dirent.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

struct FuzzScratch {
    char folder[64];
    char inputPath[96];
};

inline FuzzScratch g_FuzzScratch = {{0}, {0}};

// Removes every entry of the scratch folder, then the folder (it is ours alone).
inline void RemoveFuzzScratch() {
    if (!g_FuzzScratch.folder[0]) return;
    if (DIR* dir = opendir(g_FuzzScratch.folder)) {
        while (dirent* entry = readdir(dir)) {
            if (!std::strcmp(entry->d_name, ".") || !std::strcmp(entry->d_name, "..")) continue;
            std::string path = std::string(g_FuzzScratch.folder) + "/" + entry->d_name;
            unlink(path.c_str());
        }
        closedir(dir);
    }
    rmdir(g_FuzzScratch.folder);
    g_FuzzScratch.folder[0] = 0;
}

// Writes bytes to name inside the scratch folder (a helper file the inputs may refer to).
inline void WriteFuzzScratchFile(const char* name, const char* text) {
    std::string path = std::string(g_FuzzScratch.folder) + "/" + name;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(text, 1, std::strlen(text), f);
        std::fclose(f);
    }
}

// Creates the scratch folder and the input file (with the given extension, e.g. ".ttl") once.
inline void PrepareFuzzScratch(const char* extension) {
    if (g_FuzzScratch.folder[0]) return;
    std::snprintf(g_FuzzScratch.folder, sizeof(g_FuzzScratch.folder), "/tmp/qumbra_fuzz_XXXXXX");
    if (!mkdtemp(g_FuzzScratch.folder)) std::abort();
    std::snprintf(g_FuzzScratch.inputPath, sizeof(g_FuzzScratch.inputPath), "%s/inXXXXXX%s",
                  g_FuzzScratch.folder, extension);
    int fd = mkstemps(g_FuzzScratch.inputPath, (int)std::strlen(extension));
    if (fd < 0) std::abort();
    close(fd);
    if (chdir(g_FuzzScratch.folder) != 0) std::abort();
    std::atexit(RemoveFuzzScratch);
}

// Replaces the input file's contents with the fuzzer's bytes; returns its path.
inline const char* WriteFuzzInput(const uint8_t* data, size_t size) {
    FILE* f = std::fopen(g_FuzzScratch.inputPath, "wb");
    if (!f) std::abort();
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
    return g_FuzzScratch.inputPath;
}

