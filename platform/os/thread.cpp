// Threads on pthreads. Each thread has a record shared by the thread and its handle: a start gate for
// threads made suspended, the kernel thread id (for priority and processor), and the exit code. The
// record is freed by whichever of the two lets go last.
#include "platform/os/thread.h"

#include <errno.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

struct ThreadState {
    std::mutex lock;
    std::condition_variable changed;
    ThreadProcedure procedure = nullptr;  // set by StartThread
    void* argument = nullptr;             // set by StartThread
    pthread_t thread{};                   // set by StartThread
    pid_t kernelId = 0;                   // set by the thread before it waits at the gate
    int suspended = 0;                    // 1 until ResumeThread; written under lock by the handle's owner
    int finished = 0;                     // 1 once the procedure returned; written under lock by the thread
    int exitCode = kThreadStillActive;    // the procedure's result; written by the thread
    int handleClosed = 0;                 // 1 after CloseThreadHandle; the thread then frees the record
};

namespace {

void* RunThread(void* raw) {
    ThreadState* state = static_cast<ThreadState*>(raw);
    {
        std::unique_lock<std::mutex> guard(state->lock);
        state->kernelId = static_cast<pid_t>(syscall(SYS_gettid));
        state->changed.notify_all();
        state->changed.wait(guard, [state] { return state->suspended == 0; });
    }
    int code = state->procedure(state->argument);
    int freeHere = 0;
    {
        std::lock_guard<std::mutex> guard(state->lock);
        state->exitCode = code;
        state->finished = 1;
        freeHere = state->handleClosed;
        state->changed.notify_all();
    }
    if (freeHere) delete state;
    return nullptr;
}

int PinThread(pid_t kernelId, int processor) {
    if (processor < 0 || processor >= CPU_SETSIZE) return 0;
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(processor, &set);
    return sched_setaffinity(kernelId, sizeof set, &set) == 0 ? 1 : 0;
}

}  // namespace

ThreadHandle StartThread(ThreadProcedure procedure, void* argument, int suspended) {
    if (procedure == nullptr) return nullptr;
    ThreadState* state = new (std::nothrow) ThreadState;
    if (state == nullptr) return nullptr;
    state->procedure = procedure;
    state->argument = argument;
    state->suspended = suspended ? 1 : 0;
    if (pthread_create(&state->thread, nullptr, RunThread, state) != 0) {
        delete state;
        return nullptr;
    }
    // Wait until the thread has told its kernel id, so priority and processor can be set at once.
    std::unique_lock<std::mutex> guard(state->lock);
    state->changed.wait(guard, [state] { return state->kernelId != 0; });
    return state;
}

int ResumeThread(ThreadHandle thread) {
    if (thread == nullptr) return 0;
    std::lock_guard<std::mutex> guard(thread->lock);
    if (!thread->suspended) return 0;
    thread->suspended = 0;
    thread->changed.notify_all();
    return 1;
}

int SetThreadBelowNormalPriority(ThreadHandle thread) {
    if (thread == nullptr) return 0;
    errno = 0;
    int processNice = getpriority(PRIO_PROCESS, 0);
    if (errno != 0) return 0;
    int nice = processNice + 5 > 19 ? 19 : processNice + 5;
    return setpriority(PRIO_PROCESS, static_cast<id_t>(thread->kernelId), nice) == 0 ? 1 : 0;
}

int SetThreadPreferredProcessor(ThreadHandle thread, int processor) {
    if (thread == nullptr || processor >= GetProcessorCount()) return 0;
    return PinThread(thread->kernelId, processor);
}

int SetCurrentThreadPreferredProcessor(int processor) {
    if (processor >= GetProcessorCount()) return 0;
    return PinThread(static_cast<pid_t>(syscall(SYS_gettid)), processor);
}

int GetThreadExitCode(ThreadHandle thread, int* exitCode) {
    if (thread == nullptr) return 0;
    std::lock_guard<std::mutex> guard(thread->lock);
    if (exitCode != nullptr) *exitCode = thread->finished ? thread->exitCode : kThreadStillActive;
    return 1;
}

int JoinThread(ThreadHandle thread, int* exitCode) {
    if (thread == nullptr) return 0;
    ResumeThread(thread);
    pthread_join(thread->thread, nullptr);
    if (exitCode != nullptr) *exitCode = thread->exitCode;
    delete thread;
    return 1;
}

void CloseThreadHandle(ThreadHandle thread) {
    if (thread == nullptr) return;
    int freeHere = 0;
    {
        std::lock_guard<std::mutex> guard(thread->lock);
        thread->handleClosed = 1;
        freeHere = thread->finished;
        pthread_detach(thread->thread);
    }
    if (freeHere) delete thread;
}

int GetProcessorCount() {
    long online = sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? static_cast<int>(online) : 1;
}
