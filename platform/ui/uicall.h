// Synchronous calls to the user-interface thread, in place of sending a message to a window.
//
// A window owns a CallTarget and closes it when the window goes away. Any thread may call
// callOnUiThread(target, fn):
//   - on the user-interface thread fn runs inline, at once;
//   - from another thread the call is queued and the caller blocks until the user-interface
//     thread has run it; queued calls run one at a time, in the order they came (a call that
//     waits in uiWaitFor lets later calls run inside it, as a nested message would);
//   - when the target is closed before fn has started, the caller returns kCallTargetGone at
//     once and fn never runs; a call that has started always runs to its end before the caller
//     returns, so fn may use the caller's stack;
//   - the user-interface thread runs queued calls from its event loop (the wake-up hook) and
//     also while it waits in uiWaitFor, so waiting there for a worker that calls back does not
//     deadlock, even when the call opens a modal dialog.
// This part needs no display: tests and programs without windows call serveCalls themselves.
#pragma once

#include <functional>
#include <memory>

namespace zkui {

enum CallRc { kCallDone = 0, kCallTargetGone = 1 };

class CallTarget;
int callOnUiThread(const std::shared_ptr<CallTarget>& target, const std::function<void()>& fn);

class CallTarget {
 public:
  static std::shared_ptr<CallTarget> make();
  // Any thread. Pending calls to the target return kCallTargetGone at once; later ones too.
  void close();
  bool closed() const;

 private:
  CallTarget() = default;
  friend struct CallQueue;
  friend int callOnUiThread(const std::shared_ptr<CallTarget>&, const std::function<void()>&);
  bool m_closed = false;  // guarded by the call queue's mutex
};

// Makes the calling thread the user-interface thread (the layer's start-up does this).
void setUiThread();
bool isUiThread();

// How a newly queued call wakes the user-interface thread's event loop; any thread calls it.
// Null: nothing is woken (the user-interface thread serves calls only in uiWaitFor/serveCalls).
void setCallWakeup(std::function<void()> wakeup);

// Runs fn on the user-interface thread as described above. kCallDone or kCallTargetGone.
// A null target is taken as closed.
int callOnUiThread(const std::shared_ptr<CallTarget>& target, const std::function<void()>& fn);

// User-interface thread: runs every queued call, in order; returns how many ran.
int serveCalls();

// User-interface thread: blocks until done() is true, serving calls as they arrive. done() is
// tested after each call and at least every 10 ms; uiNotify() from any thread tests it at once.
void uiWaitFor(const std::function<bool()>& done);
void uiNotify();

}  // namespace zkui
