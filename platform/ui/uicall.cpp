#include "uicall.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace zkui {

namespace {
enum class CallState { Queued, Running, Done, Dropped };

struct Call {
  std::shared_ptr<CallTarget> target;
  const std::function<void()>* fnP;
  CallState state = CallState::Queued;
};
}  // namespace

// The one queue of calls from other threads. Lock rule: m_mutex guards m_calls, every Call's
// state and every CallTarget's m_closed; m_changed is signalled on any change of those.
struct CallQueue {
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::deque<std::shared_ptr<Call>> m_calls;
  std::mutex m_wakeupMutex;
  std::function<void()> m_wakeup;  // guarded by m_wakeupMutex
  std::atomic<std::thread::id> m_uiThread{};

  static CallQueue& get() {
    static CallQueue q;
    return q;
  }

  void wake() {
    std::function<void()> w;
    {
      std::lock_guard<std::mutex> lock(m_wakeupMutex);
      w = m_wakeup;
    }
    if (w) w();
  }

  // Runs one call outside the lock; false when the queue is empty.
  bool runOne() {
    std::shared_ptr<Call> call;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_calls.empty()) return false;
      call = std::move(m_calls.front());
      m_calls.pop_front();
      if (call->state != CallState::Queued) return true;  // dropped by its caller
      call->state = CallState::Running;
    }
    (*call->fnP)();
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      call->state = CallState::Done;
    }
    m_changed.notify_all();
    return true;
  }
};

std::shared_ptr<CallTarget> CallTarget::make() {
  return std::shared_ptr<CallTarget>(new CallTarget());
}

void CallTarget::close() {
  CallQueue& q = CallQueue::get();
  {
    std::lock_guard<std::mutex> lock(q.m_mutex);
    m_closed = true;
  }
  q.m_changed.notify_all();
}

bool CallTarget::closed() const {
  std::lock_guard<std::mutex> lock(CallQueue::get().m_mutex);
  return m_closed;
}

void setUiThread() {
  CallQueue::get().m_uiThread = std::this_thread::get_id();
}

bool isUiThread() {
  return CallQueue::get().m_uiThread.load() == std::this_thread::get_id();
}

void setCallWakeup(std::function<void()> wakeup) {
  CallQueue& q = CallQueue::get();
  std::lock_guard<std::mutex> lock(q.m_wakeupMutex);
  q.m_wakeup = std::move(wakeup);
}

int callOnUiThread(const std::shared_ptr<CallTarget>& target, const std::function<void()>& fn) {
  if (!target || target->closed()) return kCallTargetGone;
  if (isUiThread()) {
    fn();
    return kCallDone;
  }
  CallQueue& q = CallQueue::get();
  auto call = std::make_shared<Call>();
  call->target = target;
  call->fnP = &fn;
  std::unique_lock<std::mutex> lock(q.m_mutex);
  if (target->m_closed) return kCallTargetGone;
  q.m_calls.push_back(call);
  lock.unlock();
  q.m_changed.notify_all();
  q.wake();
  lock.lock();
  // Invariant: a call leaves Queued only under m_mutex, so a closed target seen here while the
  // call is still queued means it never runs.
  for (;;) {
    if (call->state == CallState::Done) return kCallDone;
    if (call->state == CallState::Queued && target->m_closed) {
      call->state = CallState::Dropped;
      return kCallTargetGone;
    }
    q.m_changed.wait(lock);
  }
}

int serveCalls() {
  CallQueue& q = CallQueue::get();
  int ran = 0;
  while (q.runOne()) ++ran;
  return ran;
}

void uiWaitFor(const std::function<bool()>& done) {
  CallQueue& q = CallQueue::get();
  for (;;) {
    serveCalls();
    if (done()) return;
    std::unique_lock<std::mutex> lock(q.m_mutex);
    if (!q.m_calls.empty()) continue;
    q.m_changed.wait_for(lock, std::chrono::milliseconds(10));
  }
}

void uiNotify() {
  CallQueue& q = CallQueue::get();
  { std::lock_guard<std::mutex> lock(q.m_mutex); }
  q.m_changed.notify_all();
}

}  // namespace zkui
