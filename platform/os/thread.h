// Threads of the program: started running or suspended (then resumed), below-normal priority, a
// preferred processor, exit codes and joins. On pthreads; the thread record is private to thread.cpp.
#pragma once

// A thread's procedure: gets the argument given to StartThread, returns the thread's exit code.
typedef int (*ThreadProcedure)(void* argument);

struct ThreadState;                   // private to thread.cpp
typedef ThreadState* ThreadHandle;    // null means none

// The exit code GetThreadExitCode reports for a thread that still runs.
constexpr int kThreadStillActive = 259;

// Starts procedure(argument) on a new thread; with suspended = 1 it waits until ResumeThread. Returns the
// handle, or null when no thread could be made. Close every handle with CloseThreadHandle or JoinThread.
ThreadHandle StartThread(ThreadProcedure procedure, void* argument, int suspended);

// Lets a suspended thread run. Returns 1, or 0 when it was not suspended (or the handle is null).
int ResumeThread(ThreadHandle thread);

// Lowers the thread's scheduling priority below the program's (nice + 5). Returns 1 or 0.
int SetThreadBelowNormalPriority(ThreadHandle thread);

// Keeps the thread on the processor numbered processor (0-based). Returns 1, or 0 when the number is out
// of range or the system refuses.
int SetThreadPreferredProcessor(ThreadHandle thread, int processor);
int SetCurrentThreadPreferredProcessor(int processor);

// 1 with *exitCode = the procedure's result when the thread has ended; 1 with *exitCode =
// kThreadStillActive while it runs; 0 for a null handle.
int GetThreadExitCode(ThreadHandle thread, int* exitCode);

// Waits for the thread to end, stores its exit code (when exitCode is not null) and closes the handle.
// A suspended thread is resumed first. Returns 1, or 0 for a null handle.
int JoinThread(ThreadHandle thread, int* exitCode);

// Releases the handle without waiting; a running thread runs on and cleans up after itself.
void CloseThreadHandle(ThreadHandle thread);

// The number of processors online (at least 1); processors are numbered from 0.
int GetProcessorCount();
