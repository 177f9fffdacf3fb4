// What timing costs a call into the interface library: a timed forwarder (two counter reads,
// the untaken trace tests) beside a plain call through the same slot. The entry point is a
// stand-in that does nothing, so only the overhead shows.
#include <benchmark/benchmark.h>

#include "pelkapi.h"

namespace {

pelkInt16_t sendNothing(pelkUint32_t handle, DataBlk* dataBlkP) {
  benchmark::DoNotOptimize(handle);
  benchmark::DoNotOptimize(dataBlkP);
  return 0;
}

// A wrapper whose slot for pelkSendData the benchmark binds itself.
class BenchApi : public DPelkApi {
 public:
  BenchApi() : DPelkApi("NODE1", "secret", nullptr, nullptr) {
    m_EntryPoints.pelkSendData = sendNothing;
  }
  ~BenchApi() override { ClearPointers(); }
  int Setup() override { return 0; }
  int Cleanup() override { return 0; }
  static decltype(&::pelkSendData) slot() { return m_EntryPoints.pelkSendData; }
};

void BM_PlainCallThroughTheSlot(benchmark::State& state) {
  BenchApi api;
  DataBlk block{};
  auto slot = BenchApi::slot();
  benchmark::DoNotOptimize(slot);
  for (auto _ : state) benchmark::DoNotOptimize(slot(1, &block));
}
BENCHMARK(BM_PlainCallThroughTheSlot);

void BM_TimedForwarder(benchmark::State& state) {
  BenchApi api;
  DPelkApiStatus status;
  DataBlk block{};
  for (auto _ : state) benchmark::DoNotOptimize(DPelkApi::dpelkSendData(&api, &status, 1, &block));
}
BENCHMARK(BM_TimedForwarder);

}  // namespace
