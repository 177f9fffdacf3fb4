// Threads on std::thread. Each thread's state (its kernel id, whether it ended, its exit code)
// lives in a record shared by the handle and the running thread, so a handle may be released
// while the thread still runs. Thread ends are announced on one process-wide condition
// variable, which lets a creator wait for all or any of several threads.
#include "psthread.h"

#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "pstrace.h"

namespace {

struct ThreadState {
  psThreadStartRtn startRtn;
  void* argP;
  psThreadId id = 0;                    // guarded by ThreadEnds::mutex
  bool started = false;                 // guarded by ThreadEnds::mutex
  bool ended = false;                   // guarded by ThreadEnds::mutex
  uint32_t exitCode = PS_STILL_ACTIVE;  // guarded by ThreadEnds::mutex
};

// Announces thread starts and ends. Never destroyed, so threads that outlive main still find it.
struct ThreadEnds {
  std::mutex mutex;
  std::condition_variable changed;
};

ThreadEnds& threadEnds() {
  static ThreadEnds* endsP = new ThreadEnds;
  return *endsP;
}

void runThread(std::shared_ptr<ThreadState> stateP) {
  ThreadEnds& ends = threadEnds();
  {
    std::lock_guard<std::mutex> lock(ends.mutex);
    stateP->id = psThreadGetCurrentId();
    stateP->started = true;
  }
  ends.changed.notify_all();
  uint32_t exitCode = stateP->startRtn(stateP->argP);
  {
    std::lock_guard<std::mutex> lock(ends.mutex);
    stateP->exitCode = exitCode;
    stateP->ended = true;
  }
  ends.changed.notify_all();
}

bool validWait(const psThread* threadsP, uint32_t count) {
  if (threadsP == nullptr || count == 0 || count > PS_MAXIMUM_WAIT_OBJECTS) return false;
  for (uint32_t i = 0; i < count; i++) {
    if (threadsP[i] == nullptr) return false;
  }
  return true;
}

}  // namespace

struct psThreadObj {
  std::shared_ptr<ThreadState> stateP;
  std::thread thread;
};

namespace {

// Position of the first ended thread, or count when none has ended. Caller holds ends.mutex.
uint32_t firstEnded(const psThread* threadsP, uint32_t count) {
  uint32_t i = 0;
  while (i < count && !threadsP[i]->stateP->ended) i++;
  return i;
}

bool allEnded(const psThread* threadsP, uint32_t count) {
  for (uint32_t i = 0; i < count; i++) {
    if (!threadsP[i]->stateP->ended) return false;
  }
  return true;
}

// Starts the thread and waits until it has published its kernel id; 0 or an error number.
int startThread(psThreadObj* objP, psThreadStartRtn startRtn, void* argP) {
  try {
    objP->stateP = std::make_shared<ThreadState>();
    objP->stateP->startRtn = startRtn;
    objP->stateP->argP = argP;
    objP->thread = std::thread(runThread, objP->stateP);
  } catch (const std::system_error& e) {
    return e.code().value() != 0 ? e.code().value() : EAGAIN;
  } catch (const std::bad_alloc&) {
    return ENOMEM;
  }
  ThreadEnds& ends = threadEnds();
  std::unique_lock<std::mutex> lock(ends.mutex);
  ends.changed.wait(lock, [objP] { return objP->stateP->started; });
  return 0;
}

// A started thread in *objPP, or an error number and no thread.
int newThread(psThreadObj** objPP, psThreadStartRtn startRtn, void* argP) {
  if (startRtn == nullptr) return EINVAL;
  psThreadObj* objP = new (std::nothrow) psThreadObj;
  if (objP == nullptr) return ENOMEM;
  int error = startThread(objP, startRtn, argP);
  if (error != 0) {
    delete objP;
    return error;
  }
  *objPP = objP;
  return 0;
}

const PsOpTexts kReleaseTexts = {PS_FAULT_THREAD_RELEASE, "psThreadRelease()", nullptr,
                                 "Thread destroyed: %" PRIxPTR "\n",
                                 "CloseHandle() failed, thread = %" PRIxPTR ", rc = %d\n"};

// An ended thread is only finishing its return: it is joined. A running one goes on by itself.
int closeThread(psThread thread) {
  bool ended;
  {
    std::lock_guard<std::mutex> lock(threadEnds().mutex);
    ended = thread->stateP->ended;
  }
  if (ended) {
    thread->thread.join();
  } else {
    thread->thread.detach();
  }
  return 0;
}

}  // namespace

int psThreadCreate(psThread* threadP, psThreadStartRtn startRtn, void* argP) {
  TRACE_ENTRY(TRC_THREAD, "psThreadCreate()");
  psThreadObj* objP = nullptr;
  int error = psFaultCheck(PS_FAULT_THREAD_CREATE);
  if (error == 0) error = newThread(&objP, startRtn, argP);
  if (error != 0) {
    TRACE_LINE(TRC_THREAD, "_beginthreadex() failed, rc = %d\n", error);
  } else {
    TRACE_LINE(TRC_THREAD, "Thread created: handle = %" PRIxPTR ", identifier = %x\n",
               psHandleWord(objP), objP->stateP->id);
  }
  *threadP = objP;
  TRACE_RETURN(psRcOf(error));
}

int psThreadWaitForThreads(const psThread* threadsP, uint32_t count) {
  TRACE_ENTRY(TRC_THREAD, "psThreadWaitForThreads()");
  TRACE_LINE(TRC_THREAD, "Waiting for %u thread(s).\n", count);
  int error = validWait(threadsP, count) ? psFaultCheck(PS_FAULT_THREAD_WAIT_ALL) : EINVAL;
  if (error != 0) {
    TRACE_LINE(TRC_THREAD, "WaitForMultipleObjects()failed, rc = %u\n", error);
    TRACE_RETURN(psRcOf(error));
  }
  ThreadEnds& ends = threadEnds();
  {
    std::unique_lock<std::mutex> lock(ends.mutex);
    ends.changed.wait(lock, [threadsP, count] { return allEnded(threadsP, count); });
  }
  TRACE_LINE(TRC_THREAD, "Wait complete, all %u thread(s) have completed.\n", count);
  TRACE_RETURN(RC_OK);
}

namespace {

// The wait of both any-thread operations; without a limit when `limitP` is null. A wait that
// reaches its limit stores count.
int waitForAny(const psThread* threadsP, uint32_t* indexP, uint32_t count,
               const std::chrono::milliseconds* limitP) {
  TRACE_LINE(TRC_THREAD, "Waiting for any of %u thread(s).\n", count);
  bool valid = validWait(threadsP, count) && indexP != nullptr;
  int error = valid ? psFaultCheck(PS_FAULT_THREAD_WAIT_ANY) : EINVAL;
  if (error != 0) {
    TRACE_LINE(TRC_THREAD, "WaitForMultipleObjects()failed, rc = %u\n", error);
    return psRcOf(error);
  }
  ThreadEnds& ends = threadEnds();
  uint32_t index = count;
  {
    std::unique_lock<std::mutex> lock(ends.mutex);
    auto ended = [&] { return (index = firstEnded(threadsP, count)) < count; };
    if (limitP == nullptr) {
      ends.changed.wait(lock, ended);
    } else {
      ends.changed.wait_for(lock, *limitP, ended);
    }
  }
  *indexP = index;
  if (index == count) {
    TRACE_LINE(TRC_THREAD, "Wait timed out, none of %u thread(s) has completed.\n", count);
  } else {
    TRACE_LINE(TRC_THREAD, "Wait complete, for thread %u of %u thread(s) has completed.\n", index,
               count);
  }
  return RC_OK;
}

}  // namespace

int psThreadWaitForAnyThread(const psThread* threadsP, uint32_t* indexP, uint32_t count) {
  TRACE_ENTRY(TRC_THREAD, "psThreadWaitForAnyThread()");
  TRACE_RETURN(waitForAny(threadsP, indexP, count, nullptr));
}

int psThreadWaitForAnyThreadFor(const psThread* threadsP, uint32_t* indexP, uint32_t count,
                                uint32_t milliseconds) {
  TRACE_ENTRY(TRC_THREAD, "psThreadWaitForAnyThreadFor()");
  std::chrono::milliseconds limit(milliseconds);
  TRACE_RETURN(waitForAny(threadsP, indexP, count, &limit));
}

int psThreadGetExitCode(psThread thread, uint32_t* exitCodeP) {
  TRACE_ENTRY(TRC_THREAD, "psThreadGetExitCode()");
  int error = thread != nullptr ? psFaultCheck(PS_FAULT_THREAD_EXIT_CODE) : EINVAL;
  if (error != 0) {
    *exitCodeP = RC_INTERNAL_ERROR;
    TRACE_LINE(TRC_THREAD, "GetExitCodeThread() failed, thread = %" PRIxPTR ", rc = %d\n",
               psHandleWord(thread), error);
    TRACE_RETURN(psRcOf(error));
  }
  {
    std::lock_guard<std::mutex> lock(threadEnds().mutex);
    *exitCodeP = thread->stateP->exitCode;
  }
  TRACE_LINE(TRC_THREAD, "Thread exit code obtained, thread = %" PRIxPTR ", exitRc = %d\n",
             psHandleWord(thread), static_cast<int>(*exitCodeP));
  TRACE_RETURN(RC_OK);
}

int psThreadRelease(psThread* threadP) {
  return psTracedClose(TRC_THREAD, true, kReleaseTexts, threadP, closeThread);
}

int psThreadIdEqual(psThreadId first, psThreadId second) {
  return first == second ? 1 : 0;
}

namespace {

// The calling thread's kernel id, asked of the kernel once per thread: the trace and every mutex
// operation need it. A forked child's thread has a new id, so the child forgets the cached one.
thread_local psThreadId tCurrentId = 0;

void forgetCurrentId() {
  tCurrentId = 0;
}

[[maybe_unused]] const int kForgetInChild = pthread_atfork(nullptr, nullptr, forgetCurrentId);

}  // namespace

psThreadId psThreadGetCurrentId() {
  if (tCurrentId == 0) tCurrentId = static_cast<psThreadId>(gettid());
  return tCurrentId;
}

int psSleep(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  return 1;
}
