// Helpers of the shell tests: a temporary folder removed with its files, and a scope that runs inside
// another current folder.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

// A fresh folder under /tmp, removed with everything in it at the end.
struct TempFolder {
    std::string path;
    TempFolder()
    {
        char pattern[] = "/tmp/qumbra_app_XXXXXX";
        const char* made = mkdtemp(pattern);
        path = made ? made : "/tmp";
    }
    ~TempFolder() { std::system(("rm -rf '" + path + "'").c_str()); }
    std::string File(const char* name) const { return path + "/" + name; }
    // Writes text into name (folders below are made); returns the file's path.
    std::string Write(const std::string& name, const std::string& text) const
    {
        const std::string file = path + "/" + name;
        std::system(("mkdir -p \"$(dirname '" + file + "')\"").c_str());
        FILE* f = std::fopen(file.c_str(), "wb");
        EXPECT_NE(f, nullptr) << file;
        if (f != nullptr) {
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
        return file;
    }
};

// Runs inside folder as the current folder, restoring the previous one.
struct InFolder {
    char previous[4096];
    explicit InFolder(const std::string& folder)
    {
        if (getcwd(previous, sizeof previous) == nullptr) previous[0] = '\0';
        EXPECT_EQ(chdir(folder.c_str()), 0);
    }
    ~InFolder()
    {
        if (previous[0] != '\0' && chdir(previous) != 0) std::perror("chdir");
    }
};
