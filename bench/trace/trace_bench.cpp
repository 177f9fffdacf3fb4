// What a trace site costs when its category is off: the untraced line and the traced function
// should cost about what the plain function costs, while a line that is written costs a file
// write.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "agttrc.h"
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
  benchmark::DoNotOptimize(value);
  return value + 1;
}

__attribute__((noinline)) int functionWithTracedLine(int value) {
  TRACE_LINE(TRC_GENERAL, "value = %d\n", value);
  benchmark::DoNotOptimize(value);
  return value + 1;
}

__attribute__((noinline)) int tracedFunction(int value) {
  TRACE_ENTRY(TRC_GENERAL, "tracedFunction()");
  benchmark::DoNotOptimize(value);
  TRACE_RETURN(value + 1);
}

void BM_PlainFunction(benchmark::State& state) {
  int value = 0;
  for (auto _ : state) value = plainFunction(value);
}
BENCHMARK(BM_PlainFunction);

void BM_UntracedLine(benchmark::State& state) {
  ActiveTrace trace;
  int value = 0;
  for (auto _ : state) value = functionWithTracedLine(value);
}
BENCHMARK(BM_UntracedLine);

void BM_UntracedLineBeforeOpen(benchmark::State& state) {
  int value = 0;
  for (auto _ : state) value = functionWithTracedLine(value);
}
BENCHMARK(BM_UntracedLineBeforeOpen);

void BM_UntracedFunctionEntryAndExit(benchmark::State& state) {
  ActiveTrace trace;
  int value = 0;
  for (auto _ : state) value = tracedFunction(value);
}
BENCHMARK(BM_UntracedFunctionEntryAndExit);

void BM_TracedLineWritten(benchmark::State& state) {
  ActiveTrace trace;
  gTrace.setFlag(TRC_GENERAL, 1);
  int value = 0;
  for (auto _ : state) value = functionWithTracedLine(value);
  gTrace.setFlag(TRC_GENERAL, 0);
}
BENCHMARK(BM_TracedLineWritten);

void BM_MutexLockUnlock(benchmark::State& state) {
  psMutex mutex = nullptr;
  psMutexInit(&mutex, 0);
  const int trace = static_cast<int>(state.range(0));
  for (auto _ : state) {
    psMutexLock(mutex, trace);
    psMutexUnlock(mutex, trace);
  }
  psMutexDestroy(&mutex, 0);
}
BENCHMARK(BM_MutexLockUnlock)->Arg(0)->Arg(1);

}  // namespace
