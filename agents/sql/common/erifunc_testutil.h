// Test support for the entry functions: an activity log of the test's own, a look for a message
// formatted with its inserts, the console signals routed to the cancel entry as the
// command-line program routes them, the process's thread count, and the length and seed of the
// randomized cancel series.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>

#include "agtlog.h"
#include "erifunc.h"
#include "filetext_testutil.h"
#include "msgout.h"
#include "pelkapi.h"
#include "psutil.h"

// The option file of the process's storage-server interface as the start lines show it: "-"
// before a logon has read one.
inline const char* apiOptFileText() {
  const char* fileP = gPelkApiObjP != nullptr ? gPelkApiObjP->getHublorOptFile() : nullptr;
  return fileP != nullptr && fileP[0] != '\0' ? fileP : "-";
}

// How many times the log holds the message formatted with the inserts; -1 when it cannot be
// formatted.
template <class... Inserts>
int countLines(const std::string& log, int msgNum, Inserts... inserts) {
  char line[NLS_MSG_MAX];
  if (nlsprintf(line, sizeof line, msgNum, inserts...) <= 0) return -1;
  int found = 0;
  for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) found++;
  return found;
}

class ActivityLogForTest {
 public:
  explicit ActivityLogForTest(const std::filesystem::path& dir)
      : m_Path((dir / "zarnaksql.log").string()) {
    EXPECT_EQ(m_Log.SetLogName(m_Path.c_str()), 0);
    setActivityLog(&m_Log);
  }
  ~ActivityLogForTest() { setActivityLog(nullptr); }
  ActivityLogForTest(const ActivityLogForTest&) = delete;
  ActivityLogForTest& operator=(const ActivityLogForTest&) = delete;

  std::string text() const { return fileText(m_Path); }
  template <class... Inserts>
  int count(int msgNum, Inserts... inserts) const {
    return countLines(text(), msgNum, inserts...);
  }
  int lines() const {
    std::string log = text();
    int n = 0;
    for (char c : log) n += c == '\n' ? 1 : 0;
    return n;
  }

 private:
  CLog m_Log;
  std::string m_Path;
};

// A test environment that routes the console signals to the cancel entry before any test
// starts a thread, so every thread blocks them and only the signal thread takes them. No exit
// callback: a stray event with no request running must not end the test program.
class ConsoleSignalsForTest : public testing::Environment {
 public:
  void SetUp() override { ASSERT_EQ(psSetConsoleCtrlHandler(cancelOnEvent), 0); }

  // Sends the signal to the process. ThreadSanitizer does not see a signal taken by sigwait as
  // ordering the sender before the taker; the counter makes that order visible to it.
  static void raise(int signo) {
    raised().fetch_add(1, std::memory_order_release);
    kill(getpid(), signo);
  }

 private:
  static std::atomic<int>& raised() {
    static std::atomic<int> count{0};
    return count;
  }
  static int cancelOnEvent(uint32_t) {
    raised().load(std::memory_order_acquire);
    eriCancelRequest(nullptr);
    return 1;
  }
};

// A status callback that keeps the largest count of bytes moved that a progress report showed
// (progressBytes) and, once per armInterrupt(), raises SIGINT at the first progress report that
// shows bytes moved, that is while the stripes stream; interruptArmed() tells whether it has not
// fired yet.
inline std::atomic<bool>& interruptArmedFlag() {
  static std::atomic<bool> armed{false};
  return armed;
}
inline std::atomic<uint64_t>& progressBytesWord() {
  static std::atomic<uint64_t> bytes{0};
  return bytes;
}
inline void armInterrupt() {
  interruptArmedFlag() = true;
}
inline bool interruptArmed() {
  return interruptArmedFlag();
}
// The largest count of bytes moved since the last call.
inline uint64_t progressBytes() {
  return progressBytesWord().exchange(0);
}
inline int interruptAtProgress(StatusInfo status) {
  if (status.kind != progressStatus || status.progress.bytesConsumed == 0) return 0;
  uint64_t seen = progressBytesWord().load();
  while (seen < status.progress.bytesConsumed &&
         !progressBytesWord().compare_exchange_weak(seen, status.progress.bytesConsumed)) {
  }
  if (interruptArmedFlag().exchange(false)) ConsoleSignalsForTest::raise(SIGINT);
  return 0;
}

// The threads of this process.
inline int threadCount() {
  int n = 0;
  for ([[maybe_unused]] const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    n++;
  }
  return n;
}

// The threads of this process once a joined thread has left it: the kernel lets pthread_join
// return before it takes the thread's entry out of /proc/self/task, so a count read at once can
// still see it. Waits up to five seconds for the count to come down to `expected`.
inline int threadCountSettledAt(int expected) {
  int n = threadCount();
  for (int tries = 0; n > expected && tries < 500; tries++) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    n = threadCount();
  }
  return n;
}

// The randomized cancel series: ZARNAK_CANCEL_RUNS runs (a short series by default) from the
// seed ZARNAK_CANCEL_SEED.
inline uint32_t cancelEnvNumber(const char* nameP, uint32_t fallback) {
  const char* valueP = std::getenv(nameP);
  return valueP != nullptr && valueP[0] != '\0' ? std::strtoul(valueP, nullptr, 10) : fallback;
}
inline uint32_t cancelRuns() {
  return cancelEnvNumber("ZARNAK_CANCEL_RUNS", 24);
}
inline uint32_t cancelSeed() {
  return cancelEnvNumber("ZARNAK_CANCEL_SEED", 20261210);
}

// The randomized cancel series: runs the operation once uncancelled to learn its length, then
// cancelRuns() times, each cancelled from another thread at a random instant within 1.25 times
// that length (reproducible from cancelSeed()). After each run, with the canceller joined,
// check(run, rc) looks for what the run left behind; the series stops at the first failure.
// Returns the runs that ended cancelled, or -1 when the first run failed.
inline int runCancelSeries(const std::function<uint32_t()>& operation,
                           const std::function<void(uint32_t, uint32_t)>& check) {
  uint32_t seed = cancelSeed();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(operation(), 0u);
  if (testing::Test::HasFailure()) return -1;
  auto span = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);
  std::uniform_int_distribution<int64_t> instant(0, span.count() + span.count() / 4);
  int cancelled = 0;
  for (uint32_t run = 0; run < cancelRuns() && !testing::Test::HasFailure(); run++) {
    std::chrono::microseconds delay(instant(random));
    std::thread canceller([delay] {
      std::this_thread::sleep_for(delay);
      eriCancelRequest(nullptr);
    });
    int rc = operation();
    canceller.join();
    EXPECT_TRUE(rc == RC_OK || rc == 415) << "run " << run << ": " << rc;
    EXPECT_EQ(getCurrentRequest(), nullptr) << "run " << run;
    check(run, rc);
    cancelled += rc == 415 ? 1 : 0;
  }
  std::printf("%d of %u runs cancelled (seed %u)\n", cancelled, cancelRuns(), seed);
  return cancelled;
}
