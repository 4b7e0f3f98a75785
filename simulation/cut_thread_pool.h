// The threads that cut one tool position together: the caller hands out a list of tasks and takes
// part as worker 0; the other workers wait between positions (spinning briefly, then asleep) and
// are ended with the work they cut or at exit. The only locks are those of the start handshake.
#pragma once

typedef void (*CutTaskProcedure)(int taskIndex, int worker, void* context);

// Runs procedure(task, worker, context) once for every task in 0 .. taskCount-1 on at most
// `threads` workers (worker 0 is the caller; the rest are the pool's threads, started when first
// needed) and returns when all have run. Each task runs on one worker; which one is not fixed.
// The tasks below spreadCount are dealt out in runs of consecutive tasks, one run per worker, so
// that a worker meets much the same tasks (and their data) round after round; a worker done with
// its run helps with the others'. The tasks from spreadCount on are drawn in their order once every
// spread task is drawn. On one worker the tasks run in their order.
void RunCutTasks(int taskCount, int spreadCount, int threads, CutTaskProcedure procedure, void* context);

// The number of workers RunCutTasks may use for a thread count setting (0: one per processor).
int ResolveCutThreadCount(int setting);

// A short pause for a thread that spins waiting on another (a processor hint where there is one),
// at its spin-th check: now and then it gives the processor to another thread ready to run there.
void PauseCutThread(int spin);

// Ends the pool's threads (a later RunCutTasks starts them again).
void StopCutThreads();
