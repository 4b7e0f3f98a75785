// Files on disk: existence and size, last-write times in the two-word form the definition-file watch keeps,
// deletion, renaming, folders, whole-file reads and rewrites through a temporary name and a rename.
#include "platform/os/files.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <ctime>

#include "platform/os/paths.h"

namespace {

// Seconds from 1601-01-01 to 1970-01-01.
const int64_t kUnixEpochOffsetSeconds = 11644473600LL;

int StatPath(const char* path, struct stat* info)
{
    if (path == nullptr || path[0] == '\0') return 0;
    return stat(MakeNativePath(path).c_str(), info) == 0 ? 1 : 0;
}

}  // namespace

int GetFileLastWriteTime(const char* path, FileTime* out)
{
    struct stat info;
    if (out == nullptr || !StatPath(path, &info)) return 0;
    int64_t seconds = static_cast<int64_t>(info.st_mtim.tv_sec) + kUnixEpochOffsetSeconds;
    if (seconds < 0) seconds = 0;
    uint64_t ticks = static_cast<uint64_t>(seconds) * 10000000ULL + static_cast<uint64_t>(info.st_mtim.tv_nsec / 100);
    out->lowDateTime = static_cast<uint32_t>(ticks & 0xffffffffULL);
    out->highDateTime = static_cast<uint32_t>(ticks >> 32);
    return 1;
}

int AreFileTimesEqual(const FileTime* a, const FileTime* b)
{
    return a->lowDateTime == b->lowDateTime && a->highDateTime == b->highDateTime ? 1 : 0;
}

void ClearFileTime(FileTime* time)
{
    time->lowDateTime = 0;
    time->highDateTime = 0;
}

int64_t ConvertFileTimeToUnixSeconds(const FileTime* time)
{
    uint64_t ticks = (static_cast<uint64_t>(time->highDateTime) << 32) | time->lowDateTime;
    return static_cast<int64_t>(ticks / 10000000ULL) - kUnixEpochOffsetSeconds;
}

int GetFileTimeLocalYear(const FileTime* time)
{
    time_t seconds = static_cast<time_t>(ConvertFileTimeToUnixSeconds(time));
    struct tm local;
    if (localtime_r(&seconds, &local) == nullptr) return 1970;
    return local.tm_year + 1900;
}

int64_t GetFileSizeBytes(const char* path)
{
    struct stat info;
    if (!StatPath(path, &info) || !S_ISREG(info.st_mode)) return -1;
    return static_cast<int64_t>(info.st_size);
}

int DoesFileExist(const char* path)
{
    struct stat info;
    return StatPath(path, &info) && S_ISREG(info.st_mode) ? 1 : 0;
}

int DoesFolderExist(const char* path)
{
    struct stat info;
    return StatPath(path, &info) && S_ISDIR(info.st_mode) ? 1 : 0;
}

int DoesPathExist(const char* path)
{
    struct stat info;
    return StatPath(path, &info);
}

int CreateFolder(const char* path)
{
    if (path == nullptr || path[0] == '\0') return 0;
    std::string native = MakeNativePath(path);
    // Make each parent in turn; one that already exists is fine.
    for (size_t i = 1; i <= native.size(); i++) {
        if (i < native.size() && native[i] != '/') continue;
        std::string part = native.substr(0, i);
        if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return 0;
    }
    return DoesFolderExist(native.c_str());
}

int DeleteFileAtPath(const char* path)
{
    if (path == nullptr || path[0] == '\0') return 0;
    return unlink(MakeNativePath(path).c_str()) == 0 ? 1 : 0;
}

int RenameFileAtPath(const char* from, const char* to)
{
    if (from == nullptr || to == nullptr || from[0] == '\0' || to[0] == '\0') return 0;
    return rename(MakeNativePath(from).c_str(), MakeNativePath(to).c_str()) == 0 ? 1 : 0;
}

int ReadWholeFile(const char* path, std::string* out)
{
    if (out == nullptr) return 0;
    out->clear();
    if (!DoesFileExist(path)) return 0;
    FILE* stream = std::fopen(MakeNativePath(path).c_str(), "rb");
    if (stream == nullptr) return 0;
    char buffer[65536];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, stream)) > 0) out->append(buffer, count);
    int ok = !std::ferror(stream);
    std::fclose(stream);
    if (!ok) out->clear();
    return ok ? 1 : 0;
}

namespace {

// The target of a rewrite: a symbolic link is followed, so the link stays and its target gets the content.
std::string ResolveRewriteTarget(const std::string& native)
{
    struct stat info;
    if (lstat(native.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char* resolved = realpath(native.c_str(), nullptr);
        if (resolved != nullptr) {
            std::string target = resolved;
            std::free(resolved);
            return target;
        }
    }
    return native;
}

}  // namespace

int BeginFileRewrite(const char* path, FileRewrite* rewrite)
{
    if (rewrite == nullptr) return 0;
    rewrite->stream = nullptr;
    rewrite->path.clear();
    rewrite->tempPath.clear();
    if (path == nullptr || path[0] == '\0') return 0;
    std::string target = ResolveRewriteTarget(MakeNativePath(path));
    if (DoesFolderExist(target.c_str())) return 0;
    static unsigned s_counter = 0;
    for (int attempt = 0; attempt < 100; attempt++) {
        std::string temp = target + ".tmp" + std::to_string(static_cast<long>(getpid())) + "-" +
                           std::to_string(__atomic_add_fetch(&s_counter, 1u, __ATOMIC_RELAXED));
        int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return 0;
        }
        FILE* stream = fdopen(fd, "wb");
        if (stream == nullptr) {
            close(fd);
            unlink(temp.c_str());
            return 0;
        }
        rewrite->stream = stream;
        rewrite->path = target;
        rewrite->tempPath = temp;
        return 1;
    }
    return 0;
}

int CommitFileRewrite(FileRewrite* rewrite)
{
    if (rewrite == nullptr || rewrite->stream == nullptr) return 0;
    FILE* stream = rewrite->stream;
    rewrite->stream = nullptr;
    int ok = std::fflush(stream) == 0 && !std::ferror(stream);
    struct stat info;
    if (ok && stat(rewrite->path.c_str(), &info) == 0) {
        // Keep the permission bits of the file being replaced.
        ok = fchmod(fileno(stream), info.st_mode & 07777) == 0;
    }
    if (ok) ok = fsync(fileno(stream)) == 0;
    if (std::fclose(stream) != 0) ok = 0;
    if (ok) ok = rename(rewrite->tempPath.c_str(), rewrite->path.c_str()) == 0;
    if (!ok) unlink(rewrite->tempPath.c_str());
    return ok ? 1 : 0;
}

void AbortFileRewrite(FileRewrite* rewrite)
{
    if (rewrite == nullptr || rewrite->stream == nullptr) return;
    std::fclose(rewrite->stream);
    rewrite->stream = nullptr;
    unlink(rewrite->tempPath.c_str());
}

int WriteFileThroughTemporary(const char* path, const void* data, size_t size)
{
    FileRewrite rewrite;
    if (!BeginFileRewrite(path, &rewrite)) return 0;
    if (size > 0 && std::fwrite(data, 1, size, rewrite.stream) != size) {
        AbortFileRewrite(&rewrite);
        return 0;
    }
    return CommitFileRewrite(&rewrite);
}
