// Paths (either separator, extensions without regard to case), file times, existence and size, folders,
// renames and rewrites through a temporary name.
#include "platform/os/files.h"
#include "platform/os/paths.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "tests/scoped_temp_folder.h"
#include <vector>

namespace {

std::vector<std::string> ListFolder(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    return names;
}

}  // namespace

TEST(Paths, SeparatorsAndExtensions)
{
    EXPECT_EQ(FindLastPathSeparator("a/b\\c"), 3);
    EXPECT_EQ(FindLastPathSeparator("abc"), -1);
    EXPECT_STREQ(GetPathExtension("dir.x/NAME.Dme"), ".Dme");
    EXPECT_STREQ(GetPathExtension("dir.x\\NAME"), "");
    EXPECT_EQ(HasFileExtension("work\\PART.dme", ".DME"), 1);
    EXPECT_EQ(HasFileExtension("work/PART.DMEZ", ".DME"), 0);
    EXPECT_EQ(HasFileExtension("work.DME/PART", ".DME"), 0);
    EXPECT_EQ(HasFileExtension("PART", ""), 1);
    EXPECT_EQ(IsAbsolutePath("\\data\\x"), 1);
    EXPECT_EQ(IsAbsolutePath("data/x"), 0);
    EXPECT_EQ(MakeNativePath("a\\b/c\\"), "a/b/c/");
    char out[6];
    EXPECT_EQ(ConvertToNativePath("a\\bcd", out, sizeof out), 1);
    EXPECT_STREQ(out, "a/bcd");
    EXPECT_EQ(ConvertToNativePath("a\\bcde", out, sizeof out), 0);
    EXPECT_STREQ(out, "");
}

TEST(Paths, CurrentAndProgramFolders)
{
    char folder[4096];
    ASSERT_EQ(GetCurrentFolder(folder, sizeof folder), 1);
    EXPECT_EQ(folder[0], '/');
    EXPECT_EQ(folder[strlen(folder) - 1], '/');
    char tiny[2];
    EXPECT_EQ(GetCurrentFolder(tiny, sizeof tiny), 0);
    char program[4096];
    ASSERT_EQ(GetProgramFilePath(program, sizeof program), 1);
    EXPECT_EQ(DoesFileExist(program), 1);

    const ScopedTempFolder scratch;
    std::string temp = scratch.path;
    ASSERT_EQ(SetCurrentFolder(temp.c_str()), 1);
    char now[4096];
    ASSERT_EQ(GetCurrentFolder(now, sizeof now), 1);
    EXPECT_EQ(std::string(now), temp + "/");
    ASSERT_EQ(SetCurrentFolder(folder), 1);
}

TEST(Files, ExistenceSizeAndTimes)
{
    const ScopedTempFolder scratch;
    std::string folder = scratch.path;
    ASSERT_FALSE(folder.empty());
    std::string path = folder + "/a.txt";
    FileTime time = {7, 9};
    EXPECT_EQ(GetFileLastWriteTime(path.c_str(), &time), 0);
    EXPECT_EQ(time.lowDateTime, 7u);  // untouched when missing
    EXPECT_EQ(GetFileSizeBytes(path.c_str()), -1);
    ASSERT_EQ(WriteFileThroughTemporary(path.c_str(), "hello", 5), 1);
    EXPECT_EQ(GetFileSizeBytes((folder + "\\a.txt").c_str()), 5);
    EXPECT_EQ(DoesFileExist(path.c_str()), 1);
    EXPECT_EQ(DoesFolderExist(path.c_str()), 0);
    EXPECT_EQ(DoesFolderExist(folder.c_str()), 1);
    EXPECT_EQ(GetFileSizeBytes(folder.c_str()), -1);

    // A known modification time: 2024-01-02 03:04:05.5 UTC.
    struct timespec times[2];
    times[0].tv_sec = times[1].tv_sec = 1704164645;
    times[0].tv_nsec = times[1].tv_nsec = 500000000;
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    ASSERT_EQ(GetFileLastWriteTime(path.c_str(), &time), 1);
    uint64_t ticks = (static_cast<uint64_t>(time.highDateTime) << 32) | time.lowDateTime;
    EXPECT_EQ(ticks, (1704164645ULL + 11644473600ULL) * 10000000ULL + 5000000ULL);
    EXPECT_EQ(ConvertFileTimeToUnixSeconds(&time), 1704164645);
    int year = GetFileTimeLocalYear(&time);
    EXPECT_TRUE(year == 2024 || year == 2023) << year;  // by time zone

    FileTime again;
    ASSERT_EQ(GetFileLastWriteTime(path.c_str(), &again), 1);
    EXPECT_EQ(AreFileTimesEqual(&time, &again), 1);
    times[1].tv_nsec = 500000100;  // 100 ns later is a different time
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    ASSERT_EQ(GetFileLastWriteTime(path.c_str(), &again), 1);
    EXPECT_EQ(AreFileTimesEqual(&time, &again), 0);
    ClearFileTime(&again);
    EXPECT_EQ(again.lowDateTime | again.highDateTime, 0u);
}

TEST(Files, FoldersRenameDelete)
{
    const ScopedTempFolder scratch;
    std::string folder = scratch.path;
    std::string deep = folder + "\\x\\y/z";
    EXPECT_EQ(CreateFolder(deep.c_str()), 1);
    EXPECT_EQ(DoesFolderExist((folder + "/x/y/z").c_str()), 1);
    EXPECT_EQ(CreateFolder(deep.c_str()), 1);  // existing is fine

    std::string a = folder + "/a", b = folder + "/b";
    ASSERT_EQ(WriteFileThroughTemporary(a.c_str(), "A", 1), 1);
    ASSERT_EQ(WriteFileThroughTemporary(b.c_str(), "BB", 2), 1);
    EXPECT_EQ(RenameFileAtPath(a.c_str(), b.c_str()), 1);  // replaces b
    EXPECT_EQ(GetFileSizeBytes(b.c_str()), 1);
    EXPECT_EQ(DoesFileExist(a.c_str()), 0);
    EXPECT_EQ(RenameFileAtPath(a.c_str(), b.c_str()), 0);
    EXPECT_EQ(DeleteFileAtPath(b.c_str()), 1);
    EXPECT_EQ(DeleteFileAtPath(b.c_str()), 0);
}

TEST(Files, RewriteThroughTemporary)
{
    const ScopedTempFolder scratch;
    std::string folder = scratch.path;
    std::string path = folder + "/settings.ini";
    ASSERT_EQ(WriteFileThroughTemporary(path.c_str(), "old\n", 4), 1);
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);

    // While a rewrite is in progress the target still holds the old content.
    FileRewrite rewrite;
    ASSERT_EQ(BeginFileRewrite(path.c_str(), &rewrite), 1);
    std::fputs("new content\n", rewrite.stream);
    std::string text;
    ASSERT_EQ(ReadWholeFile(path.c_str(), &text), 1);
    EXPECT_EQ(text, "old\n");
    ASSERT_EQ(CommitFileRewrite(&rewrite), 1);
    ASSERT_EQ(ReadWholeFile(path.c_str(), &text), 1);
    EXPECT_EQ(text, "new content\n");
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);  // permission bits kept

    // An aborted rewrite changes nothing and leaves no temporary file.
    ASSERT_EQ(BeginFileRewrite(path.c_str(), &rewrite), 1);
    std::fputs("half", rewrite.stream);
    AbortFileRewrite(&rewrite);
    ASSERT_EQ(ReadWholeFile(path.c_str(), &text), 1);
    EXPECT_EQ(text, "new content\n");
    EXPECT_EQ(ListFolder(folder), std::vector<std::string>{"settings.ini"});

    // A symbolic link keeps pointing at its target, which gets the new content.
    std::string link = folder + "/link.ini";
    ASSERT_EQ(symlink(path.c_str(), link.c_str()), 0);
    ASSERT_EQ(WriteFileThroughTemporary(link.c_str(), "via link", 8), 1);
    struct stat linkInfo;
    ASSERT_EQ(lstat(link.c_str(), &linkInfo), 0);
    EXPECT_TRUE(S_ISLNK(linkInfo.st_mode));
    ASSERT_EQ(ReadWholeFile(path.c_str(), &text), 1);
    EXPECT_EQ(text, "via link");

    // No rewrite into a missing folder or over a folder.
    EXPECT_EQ(WriteFileThroughTemporary((folder + "/none/x.ini").c_str(), "x", 1), 0);
    EXPECT_EQ(WriteFileThroughTemporary(folder.c_str(), "x", 1), 0);
    EXPECT_EQ(ReadWholeFile(folder.c_str(), &text), 0);
    EXPECT_EQ(text, "");
}
