// What timing costs a call into the interface library: a timed forwarder (two counter reads,
// the untaken trace tests) against a plain call through the same slot, paired in one run. The
// entry point is a stand-in that does nothing, so only the overhead shows: the ratio is what a
// call's bookkeeping would cost a call that did no work at all.
//   forwarder_bench [--repeats N] [--header]
#include <cstdio>

#include "pairbench.h"
#include "pelkapi.h"

namespace {

__attribute__((noinline)) pelkInt16_t sendNothing(pelkUint32_t handle, DataBlk* dataBlkP) {
  asm volatile("" : : "r"(handle), "r"(dataBlkP) : "memory");
  return 0;
}

constexpr int kCalls = 10000000;

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

double plainCalls() {
  BenchApi api;
  DataBlk block{};
  auto slot = BenchApi::slot();
  asm volatile("" : "+r"(slot));
  double start = benchNow();
  for (int i = 0; i < kCalls; ++i) slot(1, &block);
  return benchNow() - start;
}

double timedCalls() {
  BenchApi api;
  DPelkApiStatus status;
  DataBlk block{};
  double start = benchNow();
  for (int i = 0; i < kCalls; ++i) DPelkApi::dpelkSendData(&api, &status, 1, &block);
  return benchNow() - start;
}

}  // namespace

int main(int argc, char** argv) {
  BenchOptions options = benchParseOptions(
      argc, argv, "usage: forwarder_bench\n  A timed interface call against a plain one.");
  benchRefuseRest(options, argv[0]);
  if (options.header) benchPrintHeader();
  benchPrintRow(benchPairRun("timed forwarder vs plain call through the slot (empty call)", "",
                             options.repeats, timedCalls, plainCalls));
  return 0;
}
