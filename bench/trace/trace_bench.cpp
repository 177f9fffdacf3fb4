// What a trace site costs when its category is off: the untraced line and the traced function
// against the plain function, paired in one run, should come near 1.0, while a line that is
// written costs a file write. The mutex wrappers against a plain std::mutex likewise.
//   trace_bench [--repeats N] [--header]
#include <cstdio>
#include <mutex>
#include <string>

#include "agttrc.h"
#include "pairbench.h"
#include "psthread.h"

namespace {

// The trace active on a file with every category but GENeral off, as in a run that traces
// something else.
class ActiveTrace {
 public:
  ActiveTrace() {
    gTrace.setFlag(TRC_PCM, 1);
    gTrace.open("/dev/null");
  }
  ~ActiveTrace() {
    gTrace.close();
    gTrace.setFlag(TRC_PCM, 0);
  }
};

__attribute__((noinline)) int plainFunction(int value) {
  asm volatile("" : "+r"(value));
  return value + 1;
}

__attribute__((noinline)) int functionWithTracedLine(int value) {
  TRACE_LINE(TRC_GENERAL, "value = %d\n", value);
  asm volatile("" : "+r"(value));
  return value + 1;
}

__attribute__((noinline)) int tracedFunction(int value) {
  TRACE_ENTRY(TRC_GENERAL, "tracedFunction()");
  asm volatile("" : "+r"(value));
  TRACE_RETURN(value + 1);
}

constexpr int kCalls = 10000000;

// kCalls calls of a function, each taking the result of the one before.
double callSeconds(int (*function)(int)) {
  double start = benchNow();
  int value = 0;
  for (int i = 0; i < kCalls; ++i) value = function(value);
  asm volatile("" : : "r"(value));
  return benchNow() - start;
}

double mutexSeconds(int trace) {
  psMutex mutex = nullptr;
  psMutexInit(&mutex, 0);
  double start = benchNow();
  for (int i = 0; i < kCalls; ++i) {
    psMutexLock(mutex, trace);
    psMutexUnlock(mutex, trace);
  }
  double seconds = benchNow() - start;
  psMutexDestroy(&mutex, 0);
  return seconds;
}

double plainMutexSeconds() {
  std::recursive_mutex mutex;
  double start = benchNow();
  for (int i = 0; i < kCalls; ++i) {
    mutex.lock();
    mutex.unlock();
  }
  return benchNow() - start;
}

}  // namespace

int main(int argc, char** argv) {
  BenchOptions options =
      benchParseOptions(argc, argv, "usage: trace_bench\n  Trace sites and mutexes, 10^7 calls.");
  benchRefuseRest(options, argv[0]);
  if (options.header) benchPrintHeader();
  auto plain = [] { return callSeconds(plainFunction); };
  benchPrintRow(benchPairRun(
      "trace line, no trace open, vs plain function", "", options.repeats,
      [] { return callSeconds(functionWithTracedLine); }, plain));
  {
    ActiveTrace trace;
    benchPrintRow(benchPairRun(
        "trace line, category off, vs plain function", "", options.repeats,
        [] { return callSeconds(functionWithTracedLine); }, plain));
    benchPrintRow(benchPairRun(
        "traced entry and exit, category off, vs plain function", ">= 0.9", options.repeats,
        [] { return callSeconds(tracedFunction); }, plain));
  }
  for (int trace : {0, 1}) {
    std::string name = std::string("mutex lock and unlock, trace argument ") +
                       std::to_string(trace) + ", vs std::recursive_mutex";
    benchPrintRow(benchPairRun(
        name, "", options.repeats, [trace] { return mutexSeconds(trace); }, plainMutexSeconds));
  }
  return 0;
}
