// Dynamic libraries: a plug-in copied into the current folder is found by its bare name, entry points
// are looked up by name, missing libraries and entries give null.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/os/dynamic_library.h"
#include "tests/scoped_temp_folder.h"

namespace {

// The file of the zlib shared library this test links with.
std::string FindZlibFile() {
    void* z = dlopen("libz.so.1", RTLD_NOW);
    if (z == nullptr) return "";
    Dl_info info{};
    void* entry = dlsym(z, "zlibVersion");
    std::string path = entry != nullptr && dladdr(entry, &info) && info.dli_fname ? info.dli_fname : "";
    dlclose(z);
    return path;
}

}  // namespace

TEST(DynamicLibrary, FindsAPluginInTheCurrentFolderByItsBareName) {
    std::string zlib = FindZlibFile();
    if (zlib.empty()) GTEST_SKIP() << "no zlib shared library";
    char oldFolder[4096];
    ASSERT_NE(getcwd(oldFolder, sizeof oldFolder), nullptr);
    const ScopedTempFolder scratch;
    const std::string folder = scratch.path;
    ASSERT_FALSE(folder.empty());
    ASSERT_EQ(chdir(folder.c_str()), 0);
    {
        std::ifstream in(zlib, std::ios::binary);
        std::ofstream out("qbtestplugin.so", std::ios::binary);
        out << in.rdbuf();
    }
    for (const char* name : {"qbtestplugin", "qbtestplugin.so", "./qbtestplugin", ".\\qbtestplugin"}) {
        SCOPED_TRACE(name);
        LibraryHandle library = LoadDynamicLibrary(name);
        ASSERT_NE(library, nullptr);
        typedef const char* (*VersionEntry)();
        VersionEntry version = reinterpret_cast<VersionEntry>(FindLibraryEntry(library, "zlibVersion"));
        ASSERT_NE(version, nullptr);
        EXPECT_EQ(version()[0], '1');
        EXPECT_EQ(FindLibraryEntry(library, "QBREADSUFFIX"), nullptr);
        FreeDynamicLibrary(library);
    }
    ASSERT_EQ(chdir(oldFolder), 0);
}

TEST(DynamicLibrary, MissingLibrariesGiveNull) {
    EXPECT_EQ(LoadDynamicLibrary("qbread3"), nullptr);
    EXPECT_EQ(LoadDynamicLibrary(""), nullptr);
    EXPECT_EQ(LoadDynamicLibrary(nullptr), nullptr);
    EXPECT_EQ(FindLibraryEntry(nullptr, "x"), nullptr);
    FreeDynamicLibrary(nullptr);
    std::string folder = GetProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
}
