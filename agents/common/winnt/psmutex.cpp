// Mutexes: recursive, owned and robust pthread mutexes. A robust mutex whose owner ended while
// holding it is handed to the next locker with EOWNERDEAD, which counts as obtained (the
// platform's "abandoned" wait result). The owner and its lock count are kept beside the pthread
// mutex, so an unlock by a thread that does not own it is refused before it reaches pthreads.
#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <new>

#include "psthread.h"
#include "pstrace.h"

struct psMutexObj {
  pthread_mutex_t mutex;
  std::atomic<psThreadId> owner{0};  // written only by the thread that holds mutex
  uint32_t depth = 0;                // locks held by owner; guarded by mutex
};

namespace {

const PsOpTexts kInitTexts = {PS_FAULT_MUTEX_INIT, "psMutexInit()", nullptr,
                              "Mutex created: %" PRIxPTR "\n", "CreateMutex() failed, rc = %d\n"};
const PsOpTexts kLockTexts = {PS_FAULT_MUTEX_LOCK, "psMutexLock()",
                              "Waiting for mutex: %" PRIxPTR "\n", "Mutex locked: %" PRIxPTR "\n",
                              "WaitForSingleObject() failed, rc = %d\n"};
const PsOpTexts kUnlockTexts = {PS_FAULT_MUTEX_UNLOCK, "psMutexUnlock()",
                                "Releasing mutex: %" PRIxPTR "\n", "Mutex unlocked: %" PRIxPTR "\n",
                                "ReleaseMutex() failed, rc = %d\n"};
const PsOpTexts kDestroyTexts = {PS_FAULT_MUTEX_DESTROY, "psMutexDestroy()", nullptr,
                                 "Mutex destroyed: %" PRIxPTR "\n",
                                 "CloseHandle() failed, mutex = %" PRIxPTR ", rc = %d\n"};

// The trace's own mutexes are made and used without a trace.
int mutexCategory(int trace) {
  return trace != 0 ? TRC_MUTEX : TRC_OFF;
}

int initPthreadMutex(pthread_mutex_t* mutexP) {
  pthread_mutexattr_t attr;
  int error = pthread_mutexattr_init(&attr);
  if (error != 0) return error;
  error = pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
  if (error == 0) error = pthread_mutexattr_setrobust(&attr, PTHREAD_MUTEX_ROBUST);
  if (error == 0) error = pthread_mutex_init(mutexP, &attr);
  pthread_mutexattr_destroy(&attr);
  return error;
}

int createMutex(psMutex* mutexP) {
  psMutexObj* objP = new (std::nothrow) psMutexObj;
  if (objP == nullptr) return ENOMEM;
  int error = initPthreadMutex(&objP->mutex);
  if (error != 0) {
    delete objP;
    return error;
  }
  *mutexP = objP;
  return 0;
}

int lockMutex(psMutex mutex) {
  int error = pthread_mutex_lock(&mutex->mutex);
  if (error == EOWNERDEAD) {
    mutex->depth = 0;  // the ended owner's locks ended with it
    error = pthread_mutex_consistent(&mutex->mutex);
  }
  if (error != 0) return error;
  mutex->owner.store(psThreadGetCurrentId(), std::memory_order_relaxed);
  mutex->depth++;
  return 0;
}

// Releases one level of ownership; EPERM when the calling thread does not own the mutex.
int unlockMutex(psMutex mutex) {
  if (mutex->owner.load(std::memory_order_relaxed) != psThreadGetCurrentId()) return EPERM;
  if (--mutex->depth == 0) mutex->owner.store(0, std::memory_order_relaxed);
  return pthread_mutex_unlock(&mutex->mutex);
}

int destroyMutex(psMutex mutex) {
  return pthread_mutex_destroy(&mutex->mutex);
}

}  // namespace

int psMutexInit(psMutex* mutexP, int trace) {
  return psTracedCreate(mutexCategory(trace), trace != 0, kInitTexts, mutexP, createMutex);
}

int psMutexLock(psMutex mutex, int trace) {
  return psTracedCall(mutexCategory(trace), trace != 0, kLockTexts, mutex, lockMutex);
}

int psMutexUnlock(psMutex mutex, int trace) {
  return psTracedCall(mutexCategory(trace), trace != 0, kUnlockTexts, mutex, unlockMutex);
}

int psMutexDestroy(psMutex* mutexP, int trace) {
  return psTracedClose(mutexCategory(trace), trace != 0, kDestroyTexts, mutexP, destroyMutex);
}
