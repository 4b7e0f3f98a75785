// Files on disk: existence, size, last-write times, deletion, renaming, folders and rewrites that go through a
// temporary name and a rename, so a reader never sees a half-written file. Every path may use "/" or "\".
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// A last-write time as two 32-bit words, low then high, counting 100-nanosecond intervals since
// 1601-01-01 UTC. Cleared (both 0) means "no time taken".
struct FileTime {
    uint32_t lowDateTime;
    uint32_t highDateTime;
};

// 1 and *out set when the file's last-write time could be taken; 0 with *out untouched otherwise.
int GetFileLastWriteTime(const char* path, FileTime* out);
// 1 when both words are equal.
int AreFileTimesEqual(const FileTime* a, const FileTime* b);
void ClearFileTime(FileTime* time);
// Seconds since 1970-01-01 UTC (negative before).
int64_t ConvertFileTimeToUnixSeconds(const FileTime* time);
// The calendar year of the time in local time.
int GetFileTimeLocalYear(const FileTime* time);

// The size in bytes of a regular file, or -1 when it does not exist or is no regular file.
int64_t GetFileSizeBytes(const char* path);
// 1 when path names an existing regular file / folder.
int DoesFileExist(const char* path);
int DoesFolderExist(const char* path);
// 1 when path names anything that exists (file, folder, other).
int DoesPathExist(const char* path);
// 1 when the folder exists afterwards; makes missing parent folders as well.
int CreateFolder(const char* path);
// 1 when the file was deleted; 0 when it was missing or could not be deleted.
int DeleteFileAtPath(const char* path);
// 1 when from now carries the name to (an existing file named to is replaced).
int RenameFileAtPath(const char* from, const char* to);

// Reads a whole file into *out: 1, or 0 (out emptied) when it cannot be read.
int ReadWholeFile(const char* path, std::string* out);

// A rewrite in progress: the new content goes to a temporary file beside the target, which replaces the
// target only when everything was written.
struct FileRewrite {
    FILE* stream;           // open on the temporary file while the rewrite is in progress, else null
    std::string path;       // the target, native form (a symbolic link resolved to its target)
    std::string tempPath;   // the temporary file beside it
};
// Opens the temporary file for writing ("wb"): 1, or 0 (nothing changed on disk).
int BeginFileRewrite(const char* path, FileRewrite* rewrite);
// Flushes and closes the temporary file and renames it over the target (keeping the target's permission
// bits): 1; on any failure the temporary file is removed, the target is left as it was, and the result is 0.
int CommitFileRewrite(FileRewrite* rewrite);
// Closes and removes the temporary file; the target is left as it was.
void AbortFileRewrite(FileRewrite* rewrite);
// The whole rewrite in one call: 1 when the file now holds exactly data, else 0 and the file unchanged.
int WriteFileThroughTemporary(const char* path, const void* data, size_t size);
