#include "uicall.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <future>
#include <thread>

namespace zkui {
namespace {

using namespace std::chrono_literals;

// Runs `body` and ends the test program when it has not returned after `limit`: the deadlock
// these tests guard against would otherwise hang the run.
void withTimeLimit(std::chrono::seconds limit, const std::function<void()>& body) {
  std::promise<void> finished;
  std::thread watchdog([limit, f = finished.get_future()]() mutable {
    if (f.wait_for(limit) == std::future_status::ready) return;
    std::fprintf(stderr, "time limit reached: the user-interface thread is stuck\n");
    std::_Exit(1);
  });
  body();
  finished.set_value();
  watchdog.join();
}

class UiCall : public ::testing::Test {
 protected:
  void SetUp() override {
    setUiThread();
    setCallWakeup(nullptr);
  }
};

TEST_F(UiCall, RunsInlineOnTheUserInterfaceThread) {
  auto target = CallTarget::make();
  std::thread::id ranOn;
  EXPECT_EQ(kCallDone, callOnUiThread(target, [&] { ranOn = std::this_thread::get_id(); }));
  EXPECT_EQ(std::this_thread::get_id(), ranOn);
  EXPECT_EQ(0, serveCalls());  // nothing was queued
}

TEST_F(UiCall, WorkerCallRunsOnTheUserInterfaceThreadAndWaits) {
  auto target = CallTarget::make();
  std::thread::id ranOn;
  int seen = 0;
  std::atomic<bool> workerDone{false};
  std::thread worker([&] {
    int value = 41;
    EXPECT_EQ(kCallDone, callOnUiThread(target, [&] {
                ranOn = std::this_thread::get_id();
                seen = ++value;  // the caller's stack is still there
              }));
    EXPECT_EQ(42, value);
    workerDone = true;
    uiNotify();
  });
  withTimeLimit(20s, [&] { uiWaitFor([&] { return workerDone.load(); }); });
  worker.join();
  EXPECT_EQ(std::this_thread::get_id(), ranOn);
  EXPECT_EQ(42, seen);
}

TEST_F(UiCall, ClosedTargetReturnsAtOnceAndNeverRuns) {
  auto target = CallTarget::make();
  std::atomic<bool> ran{false};
  std::promise<int> result;
  std::thread worker([&] { result.set_value(callOnUiThread(target, [&] { ran = true; })); });
  std::future<int> rc = result.get_future();
  EXPECT_EQ(std::future_status::timeout, rc.wait_for(50ms));  // queued, nobody serves it
  target->close();
  ASSERT_EQ(std::future_status::ready, rc.wait_for(20s));
  EXPECT_EQ(kCallTargetGone, rc.get());
  worker.join();
  serveCalls();  // the dropped call is skipped
  EXPECT_FALSE(ran);
  EXPECT_EQ(kCallTargetGone, callOnUiThread(target, [&] { ran = true; }));
  EXPECT_EQ(kCallTargetGone, callOnUiThread(nullptr, [&] { ran = true; }));
  EXPECT_FALSE(ran);
}

// The user-interface thread waits for a worker that, like a password prompt inside a request,
// calls back; the call itself waits for a second worker that also calls back.
TEST_F(UiCall, WaitingForAWorkerThatCallsBackDoesNotDeadlock) {
  auto target = CallTarget::make();
  std::atomic<int> calls{0};
  std::atomic<bool> outerDone{false};
  std::thread outer([&] {
    callOnUiThread(target, [&] {
      ++calls;
      std::atomic<bool> innerDone{false};
      std::thread inner([&] {
        callOnUiThread(target, [&] { ++calls; });
        innerDone = true;
        uiNotify();
      });
      uiWaitFor([&] { return innerDone.load(); });  // nested wait inside a served call
      inner.join();
    });
    callOnUiThread(target, [&] { ++calls; });
    outerDone = true;
    uiNotify();
  });
  withTimeLimit(20s, [&] { uiWaitFor([&] { return outerDone.load(); }); });
  outer.join();
  EXPECT_EQ(3, calls);
}

TEST_F(UiCall, WakeupHookIsCalledForEachQueuedCall) {
  auto target = CallTarget::make();
  std::atomic<int> wakeups{0};
  setCallWakeup([&] {
    ++wakeups;
    uiNotify();
  });
  std::atomic<bool> done{false};
  std::thread worker([&] {
    for (int i = 0; i < 3; ++i) callOnUiThread(target, [] {});
    done = true;
  });
  withTimeLimit(20s, [&] { uiWaitFor([&] { return done.load(); }); });
  worker.join();
  setCallWakeup(nullptr);
  EXPECT_EQ(3, wakeups);
}

}  // namespace
}  // namespace zkui
