#include "psthread.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <string>

#include "agtrc.h"
#include "psfault.h"
#include "trcfile_testutil.h"

namespace {

uint32_t returnArg(void* argP) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(argP));
}

// Waits for the event given as argument, then ends with 7.
uint32_t waitForEvent(void* argP) {
  psEventWait(static_cast<psEvent>(argP));
  return 7;
}

struct MutexUse {
  psMutex mutex;
  int lockRc = -1;
  int unlockRc = -1;
};

uint32_t lockAndLeave(void* argP) {
  auto* useP = static_cast<MutexUse*>(argP);
  useP->lockRc = psMutexLock(useP->mutex, 1);
  return 0;
}

uint32_t unlockOnly(void* argP) {
  auto* useP = static_cast<MutexUse*>(argP);
  useP->unlockRc = psMutexUnlock(useP->mutex, 1);
  return 0;
}

uint32_t lockAndUnlock(void* argP) {
  auto* useP = static_cast<MutexUse*>(argP);
  useP->lockRc = psMutexLock(useP->mutex, 1);
  useP->unlockRc = psMutexUnlock(useP->mutex, 1);
  return 0;
}

// Runs routine(arg) on a thread of its own to the end; returns its exit code.
uint32_t runToEnd(psThreadStartRtn routine, void* argP) {
  psThread thread = nullptr;
  EXPECT_EQ(psThreadCreate(&thread, routine, argP), 0);
  EXPECT_EQ(psThreadWaitForThreads(&thread, 1), 0);
  uint32_t exitCode = 0;
  EXPECT_EQ(psThreadGetExitCode(thread, &exitCode), 0);
  EXPECT_EQ(psThreadRelease(&thread), 0);
  return exitCode;
}

TEST(PsMutex, CreateAndDestroyClearTheWordAndASecondDestroyFails) {
  psMutex mutex = nullptr;
  ASSERT_EQ(psMutexInit(&mutex, 1), 0);
  EXPECT_NE(mutex, nullptr);
  EXPECT_EQ(psMutexDestroy(&mutex, 1), 0);
  EXPECT_EQ(mutex, nullptr);
  EXPECT_EQ(psMutexDestroy(&mutex, 1), RC_INTERNAL_ERROR);
  EXPECT_EQ(mutex, nullptr);
}

TEST(PsMutex, IsRecursiveAndOwnedUntilTheLastUnlock) {
  MutexUse use;
  ASSERT_EQ(psMutexInit(&use.mutex, 1), 0);
  ASSERT_EQ(psMutexLock(use.mutex, 1), 0);
  ASSERT_EQ(psMutexLock(use.mutex, 1), 0);
  ASSERT_EQ(psMutexUnlock(use.mutex, 1), 0);
  // Still held once by this thread: another thread may not release it.
  runToEnd(unlockOnly, &use);
  EXPECT_EQ(use.unlockRc, RC_INTERNAL_ERROR);
  ASSERT_EQ(psMutexUnlock(use.mutex, 1), 0);
  // Free now: another thread takes and gives it back, and this thread no longer owns it.
  runToEnd(lockAndUnlock, &use);
  EXPECT_EQ(use.lockRc, 0);
  EXPECT_EQ(use.unlockRc, 0);
  EXPECT_EQ(psMutexUnlock(use.mutex, 1), RC_INTERNAL_ERROR);
  EXPECT_EQ(psMutexDestroy(&use.mutex, 1), 0);
}

TEST(PsMutex, UnlockByANonOwnerFails) {
  MutexUse use;
  ASSERT_EQ(psMutexInit(&use.mutex, 0), 0);
  EXPECT_EQ(psMutexUnlock(use.mutex, 0), RC_INTERNAL_ERROR);  // nobody owns it
  runToEnd(lockAndLeave, &use);
  EXPECT_EQ(use.lockRc, 0);
  EXPECT_EQ(psMutexLock(use.mutex, 0), 0);  // abandoned by its ended owner: obtained
  EXPECT_EQ(psMutexUnlock(use.mutex, 0), 0);
  EXPECT_EQ(psMutexDestroy(&use.mutex, 0), 0);
}

TEST(PsMutex, AbandonedMutexHeldTwiceIsObtainedByTheNextLock) {
  MutexUse use;
  ASSERT_EQ(psMutexInit(&use.mutex, 1), 0);
  auto lockTwice = [](void* argP) -> uint32_t {
    auto* useP = static_cast<MutexUse*>(argP);
    psMutexLock(useP->mutex, 1);
    useP->lockRc = psMutexLock(useP->mutex, 1);
    return 0;
  };
  runToEnd(lockTwice, &use);
  EXPECT_EQ(use.lockRc, 0);
  EXPECT_EQ(psMutexLock(use.mutex, 1), 0);
  EXPECT_EQ(psMutexUnlock(use.mutex, 1), 0);
  runToEnd(lockAndUnlock, &use);  // one unlock freed it for others
  EXPECT_EQ(use.lockRc, 0);
  EXPECT_EQ(psMutexDestroy(&use.mutex, 1), 0);
}

TEST(PsMutex, OperationsOnANullHandleFail) {
  EXPECT_EQ(psMutexLock(nullptr, 1), RC_INTERNAL_ERROR);
  EXPECT_EQ(psMutexUnlock(nullptr, 1), RC_INTERNAL_ERROR);
}

TEST(PsEvent, ASignalGivenWithNobodyWaitingStaysPending) {
  psEvent event = nullptr;
  ASSERT_EQ(psEventInit(&event), 0);
  EXPECT_EQ(psEventSignal(event), 0);
  EXPECT_EQ(psEventWait(event), 0);  // returns at once
  EXPECT_EQ(psEventDestroy(&event), 0);
  EXPECT_EQ(event, nullptr);
  EXPECT_EQ(psEventDestroy(&event), RC_INTERNAL_ERROR);
  EXPECT_EQ(event, nullptr);
}

TEST(PsEvent, OneSignalReleasesOneWaiterAndTwoPendingSignalsOnlyOne) {
  psEvent event = nullptr;
  ASSERT_EQ(psEventInit(&event), 0);
  psEventSignal(event);
  psEventSignal(event);  // the event is already set: this one is lost
  psThread threads[2] = {};
  ASSERT_EQ(psThreadCreate(&threads[0], waitForEvent, event), 0);
  ASSERT_EQ(psThreadCreate(&threads[1], waitForEvent, event), 0);
  uint32_t first = 9;
  ASSERT_EQ(psThreadWaitForAnyThread(threads, &first, 2), 0);
  uint32_t exitCode = 0;
  psThreadGetExitCode(threads[1 - first], &exitCode);
  EXPECT_EQ(exitCode, PS_STILL_ACTIVE);
  psEventSignal(event);
  ASSERT_EQ(psThreadWaitForThreads(threads, 2), 0);
  for (psThread& thread : threads) {
    psThreadGetExitCode(thread, &exitCode);
    EXPECT_EQ(exitCode, 7u);
    EXPECT_EQ(psThreadRelease(&thread), 0);
  }
  EXPECT_EQ(psEventDestroy(&event), 0);
}

TEST(PsEvent, ResetClearsAPendingSignal) {
  psEvent event = nullptr;
  ASSERT_EQ(psEventInit(&event), 0);
  psEventSignal(event);
  EXPECT_EQ(psEventReset(event), 0);
  psThread waiter = nullptr;
  ASSERT_EQ(psThreadCreate(&waiter, waitForEvent, event), 0);
  psThread quick = nullptr;
  ASSERT_EQ(psThreadCreate(&quick, returnArg, nullptr), 0);
  ASSERT_EQ(psThreadWaitForThreads(&quick, 1), 0);
  uint32_t exitCode = 0;
  psThreadGetExitCode(waiter, &exitCode);
  EXPECT_EQ(exitCode, PS_STILL_ACTIVE);
  psEventSignal(event);
  ASSERT_EQ(psThreadWaitForThreads(&waiter, 1), 0);
  psThreadRelease(&waiter);
  psThreadRelease(&quick);
  psEventDestroy(&event);
}

TEST(PsEvent, OperationsOnANullHandleFail) {
  EXPECT_EQ(psEventSignal(nullptr), RC_INTERNAL_ERROR);
  EXPECT_EQ(psEventReset(nullptr), RC_INTERNAL_ERROR);
  EXPECT_EQ(psEventWait(nullptr), RC_INTERNAL_ERROR);
}

TEST(PsThread, ExitCodeIsStillActiveWhileRunningThenTheRoutinesResult) {
  psEvent go = nullptr;
  ASSERT_EQ(psEventInit(&go), 0);
  psThread thread = nullptr;
  ASSERT_EQ(psThreadCreate(&thread, waitForEvent, go), 0);
  uint32_t exitCode = 0;
  EXPECT_EQ(psThreadGetExitCode(thread, &exitCode), 0);
  EXPECT_EQ(exitCode, PS_STILL_ACTIVE);
  EXPECT_EQ(exitCode, 259u);
  psEventSignal(go);
  ASSERT_EQ(psThreadWaitForThreads(&thread, 1), 0);
  EXPECT_EQ(psThreadGetExitCode(thread, &exitCode), 0);
  EXPECT_EQ(exitCode, 7u);
  EXPECT_EQ(psThreadRelease(&thread), 0);
  EXPECT_EQ(thread, nullptr);
  EXPECT_EQ(psThreadRelease(&thread), RC_INTERNAL_ERROR);
  psEventDestroy(&go);
}

TEST(PsThread, ExitCodeOfACancelledThreadIs415) {
  EXPECT_EQ(runToEnd(returnArg, reinterpret_cast<void*>(uintptr_t{415})), 415u);
}

TEST(PsThread, WaitForAnyGivesTheLowestEndedPosition) {
  psEvent go = nullptr;
  ASSERT_EQ(psEventInit(&go), 0);
  psThread threads[3] = {};
  ASSERT_EQ(psThreadCreate(&threads[0], waitForEvent, go), 0);
  ASSERT_EQ(psThreadCreate(&threads[1], returnArg, nullptr), 0);
  ASSERT_EQ(psThreadCreate(&threads[2], returnArg, nullptr), 0);
  ASSERT_EQ(psThreadWaitForThreads(&threads[1], 2), 0);
  uint32_t index = 9;
  ASSERT_EQ(psThreadWaitForAnyThread(threads, &index, 3), 0);
  EXPECT_EQ(index, 1u);
  psEventSignal(go);
  ASSERT_EQ(psThreadWaitForThreads(threads, 3), 0);
  ASSERT_EQ(psThreadWaitForAnyThread(threads, &index, 3), 0);
  EXPECT_EQ(index, 0u);
  for (psThread& thread : threads) psThreadRelease(&thread);
  psEventDestroy(&go);
}

TEST(PsThread, ATimedWaitForAnyGivesTheCountWhileNoneHasEndedAndThePositionOnceOneHas) {
  psEvent go = nullptr;
  ASSERT_EQ(psEventInit(&go), 0);
  psThread threads[2] = {};
  ASSERT_EQ(psThreadCreate(&threads[0], waitForEvent, go), 0);
  ASSERT_EQ(psThreadCreate(&threads[1], waitForEvent, go), 0);
  uint32_t index = 9;
  ASSERT_EQ(psThreadWaitForAnyThreadFor(threads, &index, 2, 20), 0);
  EXPECT_EQ(index, 2u);
  psEventSignal(go);
  ASSERT_EQ(psThreadWaitForAnyThreadFor(threads, &index, 2, 600000), 0);
  ASSERT_LT(index, 2u);
  uint32_t exitCode = 0;
  psThreadGetExitCode(threads[index], &exitCode);
  EXPECT_EQ(exitCode, 7u);
  psEventSignal(go);
  ASSERT_EQ(psThreadWaitForThreads(threads, 2), 0);
  index = 9;
  EXPECT_EQ(psThreadWaitForAnyThreadFor(threads, &index, 0, 20), RC_INTERNAL_ERROR);
  EXPECT_EQ(index, 9u);
  for (psThread& thread : threads) psThreadRelease(&thread);
  psEventDestroy(&go);
}

TEST(PsThread, WaitsRefuseBadCountsAndNullHandlesWithoutWritingTheIndex) {
  psThread thread = nullptr;
  ASSERT_EQ(psThreadCreate(&thread, returnArg, nullptr), 0);
  psThread many[PS_MAXIMUM_WAIT_OBJECTS + 1];
  for (psThread& each : many) each = thread;
  uint32_t index = 77;
  EXPECT_EQ(psThreadWaitForThreads(many, 0), RC_INTERNAL_ERROR);
  EXPECT_EQ(psThreadWaitForThreads(many, PS_MAXIMUM_WAIT_OBJECTS + 1), RC_INTERNAL_ERROR);
  EXPECT_EQ(psThreadWaitForAnyThread(many, &index, 0), RC_INTERNAL_ERROR);
  EXPECT_EQ(psThreadWaitForAnyThread(many, &index, PS_MAXIMUM_WAIT_OBJECTS + 1), RC_INTERNAL_ERROR);
  EXPECT_EQ(index, 77u);
  EXPECT_EQ(psThreadWaitForThreads(many, PS_MAXIMUM_WAIT_OBJECTS), 0);
  psThread withNull[2] = {thread, nullptr};
  EXPECT_EQ(psThreadWaitForAnyThread(withNull, &index, 2), RC_INTERNAL_ERROR);
  EXPECT_EQ(index, 77u);
  uint32_t exitCode = 0;
  EXPECT_EQ(psThreadGetExitCode(nullptr, &exitCode), RC_INTERNAL_ERROR);
  EXPECT_EQ(exitCode, static_cast<uint32_t>(RC_INTERNAL_ERROR));
  EXPECT_EQ(psThreadCreate(&withNull[1], nullptr, nullptr), RC_INTERNAL_ERROR);
  EXPECT_EQ(withNull[1], nullptr);
  psThreadRelease(&thread);
}

TEST(PsThread, AThreadReleasedWhileRunningGoesOnToItsEnd) {
  struct Pair {
    psEvent go;
    psEvent done;
  } pair{};
  ASSERT_EQ(psEventInit(&pair.go), 0);
  ASSERT_EQ(psEventInit(&pair.done), 0);
  auto relay = [](void* argP) -> uint32_t {
    auto* pairP = static_cast<Pair*>(argP);
    psEventWait(pairP->go);
    psEventSignal(pairP->done);
    return 0;
  };
  psThread thread = nullptr;
  ASSERT_EQ(psThreadCreate(&thread, relay, &pair), 0);
  EXPECT_EQ(psThreadRelease(&thread), 0);
  psEventSignal(pair.go);
  EXPECT_EQ(psEventWait(pair.done), 0);
  psEventDestroy(&pair.go);
  psEventDestroy(&pair.done);
}

TEST(PsThread, IdentifiersAreTheKernelsThreadIds) {
  EXPECT_EQ(psThreadGetCurrentId(), static_cast<psThreadId>(gettid()));
  auto ownId = [](void*) -> uint32_t { return psThreadGetCurrentId(); };
  uint32_t otherId = runToEnd(ownId, nullptr);
  EXPECT_EQ(psThreadIdEqual(otherId, psThreadGetCurrentId()), 0);
  EXPECT_EQ(psThreadIdEqual(otherId, otherId), 1);
  EXPECT_EQ(psSleep(0), 1);
}

TEST(PsThread, AForkedChildSeesItsOwnKernelThreadId) {
  psThreadGetCurrentId();  // cached in the parent
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(psThreadGetCurrentId() == static_cast<psThreadId>(gettid()) ? 0 : 1);
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

class PsFaultTest : public ::testing::Test {
 protected:
  void TearDown() override { psFaultDisarmAll(); }
};

TEST_F(PsFaultTest, ArmedCallsFailWith419AfterTheSkippedOnesAndThenWorkAgain) {
  psFaultArm(PS_FAULT_THREAD_CREATE, 1, 1, EAGAIN);
  psThread threads[3] = {};
  EXPECT_EQ(psThreadCreate(&threads[0], returnArg, nullptr), 0);
  EXPECT_EQ(psThreadCreate(&threads[1], returnArg, nullptr), RC_INTERNAL_ERROR);
  EXPECT_EQ(threads[1], nullptr);
  EXPECT_EQ(psThreadCreate(&threads[1], returnArg, nullptr), 0);

  uint32_t index = 77;
  psFaultArm(PS_FAULT_THREAD_WAIT_ANY, 0, 1, EIO);
  EXPECT_EQ(psThreadWaitForAnyThread(threads, &index, 2), RC_INTERNAL_ERROR);
  EXPECT_EQ(index, 77u);
  psFaultArm(PS_FAULT_THREAD_WAIT_ALL, 0, 1, EIO);
  EXPECT_EQ(psThreadWaitForThreads(threads, 2), RC_INTERNAL_ERROR);
  EXPECT_EQ(psThreadWaitForThreads(threads, 2), 0);
  uint32_t exitCode = 0;
  psFaultArm(PS_FAULT_THREAD_EXIT_CODE, 0, 1, EIO);
  EXPECT_EQ(psThreadGetExitCode(threads[0], &exitCode), RC_INTERNAL_ERROR);
  EXPECT_EQ(exitCode, static_cast<uint32_t>(RC_INTERNAL_ERROR));
  psFaultArm(PS_FAULT_THREAD_RELEASE, 0, 1, EIO);
  EXPECT_EQ(psThreadRelease(&threads[0]), RC_INTERNAL_ERROR);
  EXPECT_NE(threads[0], nullptr);
  for (int i = 0; i < 2; i++) EXPECT_EQ(psThreadRelease(&threads[i]), 0);
}

TEST_F(PsFaultTest, MutexFaultsSpareCallsWithoutTracing) {
  psFaultArm(PS_FAULT_MUTEX_INIT, 0, 1, ENOMEM);
  psMutex mutex = nullptr;
  EXPECT_EQ(psMutexInit(&mutex, 1), RC_INTERNAL_ERROR);
  EXPECT_EQ(mutex, nullptr);
  ASSERT_EQ(psMutexInit(&mutex, 1), 0);
  psFaultArm(PS_FAULT_MUTEX_LOCK, 0, 1, EDEADLK);
  EXPECT_EQ(psMutexLock(mutex, 0), 0);  // the trace's own kind of call
  EXPECT_EQ(psMutexUnlock(mutex, 0), 0);
  EXPECT_EQ(psMutexLock(mutex, 1), RC_INTERNAL_ERROR);
  EXPECT_EQ(psMutexLock(mutex, 1), 0);
  psFaultArm(PS_FAULT_MUTEX_UNLOCK, 0, 1, EPERM);
  EXPECT_EQ(psMutexUnlock(mutex, 1), RC_INTERNAL_ERROR);
  EXPECT_EQ(psMutexUnlock(mutex, 1), 0);
  psFaultArm(PS_FAULT_MUTEX_DESTROY, 0, 1, EBUSY);
  EXPECT_EQ(psMutexDestroy(&mutex, 1), RC_INTERNAL_ERROR);
  EXPECT_NE(mutex, nullptr);
  EXPECT_EQ(psMutexDestroy(&mutex, 1), 0);
}

TEST_F(PsFaultTest, AFailedEventWaitLeavesTheSignalPending) {
  psEvent event = nullptr;
  psFaultArm(PS_FAULT_EVENT_INIT, 0, 1, ENOMEM);
  EXPECT_EQ(psEventInit(&event), RC_INTERNAL_ERROR);
  EXPECT_EQ(event, nullptr);
  ASSERT_EQ(psEventInit(&event), 0);
  psFaultArm(PS_FAULT_EVENT_SIGNAL, 0, 1, EIO);
  EXPECT_EQ(psEventSignal(event), RC_INTERNAL_ERROR);
  EXPECT_EQ(psEventSignal(event), 0);
  psFaultArm(PS_FAULT_EVENT_WAIT, 0, 1, EIO);
  EXPECT_EQ(psEventWait(event), RC_INTERNAL_ERROR);
  psFaultArm(PS_FAULT_EVENT_RESET, 0, 1, EIO);
  EXPECT_EQ(psEventReset(event), RC_INTERNAL_ERROR);
  EXPECT_EQ(psEventWait(event), 0);
  psFaultArm(PS_FAULT_EVENT_DESTROY, 0, 1, EIO);
  EXPECT_EQ(psEventDestroy(&event), RC_INTERNAL_ERROR);
  EXPECT_NE(event, nullptr);
  EXPECT_EQ(psEventDestroy(&event), 0);
}

TEST(PsTrace, OperationsTraceUnderTheirCategoryAndMutexesOnlyWhenAsked) {
  TraceFileForTest trace({TRC_THREAD, TRC_MUTEX, TRC_EVENT});
  ASSERT_EQ(trace.openRc(), 0);
  psMutex quiet = nullptr;
  psMutexInit(&quiet, 0);
  psMutexLock(quiet, 0);
  psMutexUnlock(quiet, 0);
  psMutexDestroy(&quiet, 0);
  EXPECT_TRUE(trace.lines().empty());

  psMutex mutex = nullptr;
  psMutexInit(&mutex, 1);
  psMutexLock(mutex, 1);
  char handle[32];
  snprintf(handle, sizeof(handle), "%" PRIxPTR, reinterpret_cast<uintptr_t>(mutex));
  psMutexUnlock(mutex, 1);
  psMutexDestroy(&mutex, 1);
  psThread thread = nullptr;
  psThreadCreate(
      &thread, [](void*) -> uint32_t { return psThreadGetCurrentId(); }, nullptr);
  psThreadWaitForThreads(&thread, 1);
  uint32_t threadId = 0;
  psThreadGetExitCode(thread, &threadId);
  psThreadRelease(&thread);
  psEvent event = nullptr;
  psEventDestroy(&event);

  char created[64];
  snprintf(created, sizeof(created), ", identifier = %x", threadId);
  const std::vector<std::string> expected = {
      "Enter psMutexInit()",
      std::string("Mutex created: ") + handle,
      "Exit psMutexInit(), rc = 0",
      "Enter psMutexLock()",
      std::string("Waiting for mutex: ") + handle,
      std::string("Mutex locked: ") + handle,
      "Exit psMutexLock(), rc = 0",
      "Enter psMutexUnlock()",
      std::string("Releasing mutex: ") + handle,
      std::string("Mutex unlocked: ") + handle,
      "Exit psMutexUnlock(), rc = 0",
      "Enter psMutexDestroy()",
      std::string("Mutex destroyed: ") + handle,
      "Exit psMutexDestroy(), rc = 0",
      "Enter psThreadCreate()",
      "",  // checked below
      "Exit psThreadCreate(), rc = 0",
      "Enter psThreadWaitForThreads()",
      "Waiting for 1 thread(s).",
      "Wait complete, all 1 thread(s) have completed.",
      "Exit psThreadWaitForThreads(), rc = 0",
      "Enter psThreadGetExitCode()",
      "",
      "Exit psThreadGetExitCode(), rc = 0",
      "Enter psThreadRelease()",
      "",
      "Exit psThreadRelease(), rc = 0",
      "Enter psEventDestroy()",
      "CloseHandle() failed, event = 0, rc = 22",
      "Exit psEventDestroy(), rc = 419",
  };
  std::vector<std::string> texts = trace.texts();
  ASSERT_EQ(texts.size(), expected.size());
  for (size_t i = 0; i < expected.size(); i++) {
    if (!expected[i].empty()) {
      EXPECT_EQ(texts[i], expected[i]) << "line " << i;
    }
  }
  EXPECT_EQ(texts[15].rfind("Thread created: handle = ", 0), 0u);
  EXPECT_NE(texts[15].find(created), std::string::npos) << texts[15];
}

}  // namespace
