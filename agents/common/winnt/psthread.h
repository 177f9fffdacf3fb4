// Portability layer: threads, mutexes and events.
//
// The engine's only access to threads and locks. Each object is one opaque handle word owned by
// the caller: the create operation writes it, the destroy operation closes it and clears it to 0.
// The semantics are those the engine was written for:
//   - a mutex is recursive and owned: the locking thread may lock again (one unlock per lock),
//     another thread's unlock fails, and a mutex whose owner ended while holding it is obtained
//     by the next lock;
//   - an event is auto-reset: one signal releases one waiter (or the next one to wait) and
//     clears itself;
//   - a thread runs a start routine that returns a 32-bit exit code, which its creator reads
//     back (PS_STILL_ACTIVE while it runs); the creator joins and releases it.
//
// Every operation returns 0 or RC_INTERNAL_ERROR (419); none ever prints. The mutex operations
// take `trace` (0 or 1): with 0 they write no trace line at all (the trace facility uses 0 for
// its own mutexes). Event and thread operations trace under the EVENT and THRead categories.
// Every operation may be called from any thread; the layer keeps no state of its own besides the
// objects behind the handles.
#pragma once

#include <cstdint>

struct psMutexObj;
struct psEventObj;
struct psThreadObj;
typedef psMutexObj* psMutex;
typedef psEventObj* psEvent;
typedef psThreadObj* psThread;

// The kernel's identifier of a thread, as the trace prints it.
typedef uint32_t psThreadId;

// A thread's start routine: one untyped argument, the thread's exit code as result.
typedef uint32_t (*psThreadStartRtn)(void* argP);

// Exit code reported for a thread that is still running.
constexpr uint32_t PS_STILL_ACTIVE = 259;
// Most handles one wait may name.
constexpr uint32_t PS_MAXIMUM_WAIT_OBJECTS = 64;

int psMutexInit(psMutex* mutexP, int trace);
int psMutexLock(psMutex mutex, int trace);
int psMutexUnlock(psMutex mutex, int trace);
int psMutexDestroy(psMutex* mutexP, int trace);

int psEventInit(psEvent* eventP);
int psEventDestroy(psEvent* eventP);
int psEventReset(psEvent event);
int psEventSignal(psEvent event);
int psEventWait(psEvent event);

// Starts the thread at once; *threadP gets its handle.
int psThreadCreate(psThread* threadP, psThreadStartRtn startRtn, void* argP);
// Waits with no time limit until all `count` threads (1 to 64) have ended.
int psThreadWaitForThreads(const psThread* threadsP, uint32_t count);
// Waits with no time limit until one of `count` threads (1 to 64) has ended; *indexP gets its
// position (the lowest when several have ended), written only on success.
int psThreadWaitForAnyThread(const psThread* threadsP, uint32_t* indexP, uint32_t count);
// As psThreadWaitForAnyThread, but waits at most `milliseconds`: when no thread has ended by
// then it still returns 0 and *indexP gets count.
int psThreadWaitForAnyThreadFor(const psThread* threadsP, uint32_t* indexP, uint32_t count,
                                uint32_t milliseconds);
// *exitCodeP gets the exit code, PS_STILL_ACTIVE while the thread runs, 419 on failure.
int psThreadGetExitCode(psThread thread, uint32_t* exitCodeP);
// Closes the handle and clears the word; a thread still running goes on unjoined.
int psThreadRelease(psThread* threadP);

// 1 when both identifiers name the same thread, else 0.
int psThreadIdEqual(psThreadId first, psThreadId second);
// The calling thread's kernel identifier.
psThreadId psThreadGetCurrentId();
// Suspends the calling thread; returns 1.
int psSleep(uint32_t milliseconds);
