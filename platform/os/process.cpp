// Other programs on posix_spawn: the desktop's default application through xdg-open, detached starts
// through a short-lived shell that backgrounds the program, and runs that wait for the program's end.
#include "platform/os/process.h"

#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

std::string ToSlashes(const char* path) {
    std::string text = path;
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

int IsExecutableFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// Waits for a child we started; returns its wait status, or -1.
int WaitForChild(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return status;
}

// Spawns argv[0] (a path) with the given arguments; the standard streams of the child go to /dev/null
// when quiet. Returns the child's id, or -1.
pid_t SpawnProgram(const std::vector<std::string>& arguments, int quiet) {
    std::vector<char*> argv;
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = -1;
    int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

// Starts the program detached: a shell puts it in the background and ends at once, so the program is
// no child of ours and leaves no zombie. Returns 1 when the shell ran, else 0.
int StartDetached(const std::string& program, const std::vector<std::string>& parameters) {
    std::vector<std::string> arguments = {"/bin/sh", "-c", "\"$0\" \"$@\" </dev/null >/dev/null 2>&1 &", program};
    arguments.insert(arguments.end(), parameters.begin(), parameters.end());
    pid_t pid = SpawnProgram(arguments, 1);
    if (pid < 0) return 0;
    int status = WaitForChild(pid);
    return status >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 1 : 0;
}

// Splits a command-line text into words at blanks and tabs; double quotes group words and are removed.
std::vector<std::string> SplitParameters(const char* text) {
    std::vector<std::string> words;
    if (text == nullptr) return words;
    std::string word;
    int inQuotes = 0, inWord = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == '"') {
            inQuotes = !inQuotes;
            inWord = 1;
        } else if ((*p == ' ' || *p == '\t') && !inQuotes) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = 0;
        } else {
            word += *p;
            inWord = 1;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

}  // namespace

int FindProgramOnPath(const char* name, std::string* path) {
    if (name == nullptr || name[0] == '\0') return 0;
    std::string program = ToSlashes(name);
    if (program.find('/') != std::string::npos) {
        if (!IsExecutableFile(program)) return 0;
        if (path != nullptr) *path = program;
        return 1;
    }
    const char* searchPath = std::getenv("PATH");
    std::string folders = searchPath != nullptr ? searchPath : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        std::string folder = folders.substr(start, end - start);
        std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + program;
        if (IsExecutableFile(candidate)) {
            if (path != nullptr) *path = candidate;
            return 1;
        }
        start = end + 1;
    }
    return 0;
}

int OpenWithDefaultApplication(const char* path) {
    if (path == nullptr || path[0] == '\0') return -1;
    std::string opener;
    if (!FindProgramOnPath("xdg-open", &opener)) return 0;
    return StartDetached(opener, {ToSlashes(path)});
}

int StartProgram(const char* program, const char* parameters) {
    if (program == nullptr || program[0] == '\0') return -1;
    std::string found;
    if (!FindProgramOnPath(program, &found)) return 0;
    return StartDetached(found, SplitParameters(parameters));
}

int RunProgramAndWait(const char* program, const char* argument, int* exitCode) {
    if (program == nullptr || program[0] == '\0') return -1;
    std::string found;
    if (!FindProgramOnPath(program, &found)) return 0;
    std::vector<std::string> arguments = {found};
    if (argument != nullptr && argument[0] != '\0') arguments.push_back(argument);
    pid_t pid = SpawnProgram(arguments, 0);
    if (pid < 0) return 0;
    int status = WaitForChild(pid);
    if (status < 0) return 0;
    if (exitCode != nullptr) *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return 1;
}
