// The include-graph check of scripts/check_includes.sh: it passes on the repository, and it fails on
// a small tree with an upward include, with the FLTK backend seen from a subsystem, or with a
// toolkit header outside the backend.
#include <gtest/gtest.h>

#include <ftw.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

// A fresh folder under TMPDIR (or /tmp), removed with everything in it when the test ends.
struct TempTree {
    std::string path;
    TempTree()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/qincXXXXXX";
        char* made = mkdtemp(&pattern[0]);
        path = made != nullptr ? std::string(made) : std::string();
    }
    ~TempTree()
    {
        if (!path.empty()) nftw(path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    }
    // Writes text to the file at relative, making its folders.
    void Write(const std::string& relative, const std::string& text) const
    {
        for (size_t slash = relative.find('/'); slash != std::string::npos; slash = relative.find('/', slash + 1))
            mkdir((path + "/" + relative.substr(0, slash)).c_str(), 0700);
        std::ofstream(path + "/" + relative) << text;
    }
};

// Exit status of the checker run on root (its output is discarded).
int RunCheck(const std::string& root)
{
    const std::string command = "bash \"" QUMBRA_SOURCE_DIR "/scripts/check_includes.sh\" \"" + root + "\" >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A layered tree that follows the order: each file includes only its own layer or lower ones.
void WriteLayeredTree(const TempTree& tree)
{
    tree.Write("platform/os/files.h", "#pragma once\n#include <cstdio>\n");
    tree.Write("platform/ui/ui_types.h", "#pragma once\n#include \"platform/os/files.h\"\n");
    tree.Write("platform/ui/fltk/window.cpp", "#include <FL/Fl.H>\n#include \"platform/ui/ui_types.h\"\n");
    tree.Write("work_model/geometry.h", "#pragma once\n#include \"platform/ui/ui_types.h\"\n");
    tree.Write("machine_setup/machine/rotation.cpp", "#include \"work_model/geometry.h\"\n");
    tree.Write("nc/gm_codes.cpp", "#include \"machine_setup/machine/rotation.h\"\n#include \"nc/gm_codes.h\"\n");
    tree.Write("app/main/main.cpp", "#include \"platform/ui/fltk/window.h\"\n#include \"nc/gm_codes.h\"\n");
}

}  // namespace

TEST(IncludeCheck, RepositoryFollowsTheLayers)
{
    EXPECT_EQ(RunCheck(QUMBRA_SOURCE_DIR), 0);
}

TEST(IncludeCheck, LayeredTreePassesAndEachFaultFails)
{
    struct Fault {
        const char* file;
        const char* text;
    };
    const Fault faults[] = {
        {"machine_setup/machine/kinematics.cpp", "#include \"nc/interpreter_state.h\"\n"},  // upward
        {"work_model/work_files.cpp", "  #  include \"app/shell_services.h\"\n"},          // upward, spaced
        {"nc/reader.cpp", "#include \"platform/ui/fltk/window.h\"\n"},                     // backend outside the entry
        {"platform/ui/fltk/frame.cpp", "#include \"view/drawing.h\"\n"},                    // backend sees a subsystem
        {"simulation/cut.cpp", "#include <GL/gl.h>\n"},                                      // toolkit outside the backend
        {"app/frame.cpp", "#include <FL/Fl_Window.H>\n"},
    };
    {
        TempTree tree;
        ASSERT_FALSE(tree.path.empty());
        WriteLayeredTree(tree);
        EXPECT_EQ(RunCheck(tree.path), 0);
    }
    for (const Fault& fault : faults) {
        TempTree tree;
        ASSERT_FALSE(tree.path.empty());
        WriteLayeredTree(tree);
        tree.Write(fault.file, fault.text);
        EXPECT_EQ(RunCheck(tree.path), 1) << fault.file << ": " << fault.text;
    }
}
