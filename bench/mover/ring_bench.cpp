// Throughput of the buffer ring: a producer thread copies a stream into the ring's buffers and
// a consumer thread copies it out again, as the transfer ends do. The counter `ratio` is the
// ring's throughput over that of one thread copying the same bytes between the same source and
// destination with memcpy, measured in the same iteration; 1.0 means the two copies of the
// ring overlap perfectly. Aim: 0.8 or better with 3 buffers of 1 MiB.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "bufring.h"
#include "psthread.h"

namespace {

constexpr size_t kStreamBytes = size_t{256} << 20;
// Source and destination: larger than the caches, walked round and round.
constexpr size_t kBlockBytes = size_t{32} << 20;

struct Stream {
  CBufferRing* ringP;
  const uint8_t* sourceP;
  uint8_t* destinationP;
};

uint32_t produce(void* argP) {
  Stream* s = static_cast<Stream*>(argP);
  size_t at = 0;
  for (size_t done = 0; done < kStreamBytes;) {
    RingElement* bufferP = nullptr;
    int rc = s->ringP->lockEmptyBuffer(&bufferP);
    if (rc != 0) return static_cast<uint32_t>(rc);
    size_t n = std::min<size_t>({s->ringP->bufferSize(), kStreamBytes - done, kBlockBytes - at});
    std::memcpy(bufferP->bufferP, s->sourceP + at, n);
    bufferP->ulCount = static_cast<uint32_t>(n);
    rc = s->ringP->unlockFullBuffer(bufferP);
    if (rc != 0) return static_cast<uint32_t>(rc);
    done += n;
    at = (at + n) % kBlockBytes;
  }
  return static_cast<uint32_t>(s->ringP->completeDataTransfer());
}

uint32_t consume(void* argP) {
  Stream* s = static_cast<Stream*>(argP);
  size_t at = 0;
  for (;;) {
    RingElement* bufferP = nullptr;
    int rc = s->ringP->lockFullBuffer(&bufferP);
    if (rc == RC_END_OF_DATA) return 0;
    if (rc != 0) return static_cast<uint32_t>(rc);
    std::memcpy(s->destinationP + at, bufferP->bufferP, bufferP->ulCount);
    at = (at + bufferP->ulCount) % kBlockBytes;
    rc = s->ringP->unlockEmptyBuffer(bufferP);
    if (rc != 0) return static_cast<uint32_t>(rc);
  }
}

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// One thread copying the stream's bytes, in pieces of the ring's buffer size.
double memcpySeconds(const uint8_t* sourceP, uint8_t* destinationP, size_t piece) {
  auto start = std::chrono::steady_clock::now();
  size_t at = 0;
  for (size_t done = 0; done < kStreamBytes;) {
    size_t n = std::min({piece, kStreamBytes - done, kBlockBytes - at});
    std::memcpy(destinationP + at, sourceP + at, n);
    benchmark::ClobberMemory();
    done += n;
    at = (at + n) % kBlockBytes;
  }
  return secondsSince(start);
}

double ringSeconds(CBufferRing& ring, Stream& stream) {
  ring.resetRing();
  auto start = std::chrono::steady_clock::now();
  psThread threads[2] = {};
  psThreadCreate(&threads[0], produce, &stream);
  psThreadCreate(&threads[1], consume, &stream);
  psThreadWaitForThreads(threads, 2);
  double seconds = secondsSince(start);
  for (psThread& thread : threads) {
    uint32_t exitCode = 0;
    psThreadGetExitCode(thread, &exitCode);
    if (exitCode != 0) seconds = -1;
    psThreadRelease(&thread);
  }
  return seconds;
}

void BM_RingStream(benchmark::State& state) {
  uint32_t buffers = static_cast<uint32_t>(state.range(0));
  uint32_t kilobytes = static_cast<uint32_t>(state.range(1));
  std::vector<uint8_t> source(kBlockBytes, 0x5a);
  std::vector<uint8_t> destination(kBlockBytes, 0);
  CBufferRing ring(buffers, kilobytes);
  Stream stream = {&ring, source.data(), destination.data()};
  double ringTotal = 0;
  double memcpyTotal = 0;
  for (auto _ : state) {
    double seconds = ringSeconds(ring, stream);
    if (seconds < 0) {
      state.SkipWithError("the stream failed");
      return;
    }
    state.SetIterationTime(seconds);
    ringTotal += seconds;
    memcpyTotal += memcpySeconds(source.data(), destination.data(), ring.bufferSize());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kStreamBytes));
  state.counters["ratio"] = memcpyTotal / ringTotal;
}

BENCHMARK(BM_RingStream)
    ->ArgNames({"buffers", "KB"})
    ->Args({1, 1024})
    ->Args({2, 1024})
    ->Args({3, 1024})
    ->Args({8, 1024})
    ->Args({3, 64})
    ->Args({8, 64})
    ->Args({3, 4})
    ->Args({3, 4096})
    ->Args({8, 4096})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
