// Throughput of the buffer ring: a producer thread copies a stream into the ring's buffers and
// a consumer thread copies it out again, as the transfer ends do, against one thread copying
// the same bytes between the same source and destination with memcpy, paired in one run. A
// ratio of 1.0 means the two copies of the ring overlap perfectly. Aim: 0.8 or better with 3
// buffers of 1 MiB. Source and destination together hold twice the last-level cache the
// machine reports (at least 32 MiB each), and the stream walks each of them whole at least
// once, so no copy runs in a cache-resident buffer; the row names both sizes.
//   ring_bench [--repeats N] [--header]
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "benchsys.h"
#include "bufring.h"
#include "pairbench.h"
#include "psthread.h"

namespace {

// Source and destination, each of kBlockBytes, walked round and round by a stream of
// kStreamBytes; set in main from the machine's cache size.
size_t kBlockBytes = size_t{32} << 20;
size_t kStreamBytes = size_t{256} << 20;

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

// One thread copying the stream's bytes, in pieces of the ring's buffer size.
double memcpySeconds(const uint8_t* sourceP, uint8_t* destinationP, size_t piece) {
  double start = benchNow();
  size_t at = 0;
  for (size_t done = 0; done < kStreamBytes;) {
    size_t n = std::min({piece, kStreamBytes - done, kBlockBytes - at});
    std::memcpy(destinationP + at, sourceP + at, n);
    asm volatile("" : : "r"(destinationP) : "memory");  // the copy is not optimised away
    done += n;
    at = (at + n) % kBlockBytes;
  }
  return benchNow() - start;
}

double ringSeconds(CBufferRing& ring, Stream& stream) {
  ring.resetRing();
  double start = benchNow();
  psThread threads[2] = {};
  psThreadCreate(&threads[0], produce, &stream);
  psThreadCreate(&threads[1], consume, &stream);
  psThreadWaitForThreads(threads, 2);
  double seconds = benchNow() - start;
  for (psThread& thread : threads) {
    uint32_t exitCode = 0;
    psThreadGetExitCode(thread, &exitCode);
    if (exitCode != 0) seconds = -1;
    psThreadRelease(&thread);
  }
  return seconds;
}

BenchRow ringRow(uint32_t buffers, uint32_t kilobytes, int repeats) {
  std::vector<uint8_t> source(kBlockBytes, 0x5a);
  std::vector<uint8_t> destination(kBlockBytes, 0);
  CBufferRing ring(buffers, kilobytes);
  Stream stream = {&ring, source.data(), destination.data()};
  std::string name = "ring " + std::to_string(buffers) + " x " + std::to_string(kilobytes) +
                     " KiB, " + std::to_string(kStreamBytes >> 20) + " MiB vs one-thread memcpy";
  bool aimed = buffers == 3 && kilobytes == 1024;
  return benchPairRun(
      name, aimed ? ">= 0.8" : "", repeats, [&] { return ringSeconds(ring, stream); },
      [&] { return memcpySeconds(source.data(), destination.data(), ring.bufferSize()); });
}

}  // namespace

int main(int argc, char** argv) {
  BenchOptions options =
      benchParseOptions(argc, argv, "usage: ring_bench\n  The buffer ring against memcpy.");
  benchRefuseRest(options, argv[0]);
  if (options.header) benchPrintHeader();
  kBlockBytes = benchUncachedRegionBytes(2, kBlockBytes);
  kStreamBytes = std::max(kStreamBytes, kBlockBytes);
  std::printf("  (ring rows: %s)\n", benchRegionText(kBlockBytes).c_str());
  const uint32_t shapes[][2] = {{1, 1024}, {2, 1024}, {3, 1024}, {8, 1024}, {3, 64},
                                {8, 64},   {3, 4},    {3, 4096}, {8, 4096}};
  for (const auto& shape : shapes) benchPrintRow(ringRow(shape[0], shape[1], options.repeats));
  return 0;
}
