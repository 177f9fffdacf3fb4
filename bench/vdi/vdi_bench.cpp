// Throughput of the virtual device interface: an engine thread per device fills each transfer
// of the given size from its data (as the engine reads pages into it) and writes it, two
// outstanding, and an agent thread per device copies each transfer once into its ring; against
// a thread per device making the same two copies without the interface, paired in one run.
// Data and ring are walked through regions that together hold twice the last-level cache the
// machine reports (at least 32 MiB each), so no copy runs in a cache-resident buffer. The
// interface must never be the bottleneck: its cost per transfer should vanish beside the
// copies. The measured path has two threads per device (engine and agent) where the reference
// has one, so each row prints its ideal: the ratio a free interface would score, 2.0 when the
// machine's processors run both threads of every device at once, less when they cannot.
//   vdi_bench [--repeats N] [--header]
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "benchsys.h"
#include "pairbench.h"
#include "vdi.h"
#include "vdi_server.h"
#include "vdi_test_loop.h"

namespace {

// Per device; set in main from the machine's cache size.
std::size_t kRegionBytes = 32 * 1024 * 1024;
std::size_t kStreamPerDevice = 64 * 1024 * 1024;

// A region of kRegionBytes walked round and round in pieces of one transfer.
class Region {
 public:
  Region() : m_bytes(kRegionBytes, 0x5a) {}
  BYTE* next(std::size_t size) {
    if (m_at + size > m_bytes.size()) m_at = 0;
    BYTE* at = m_bytes.data() + m_at;
    m_at += size;
    return at;
  }

 private:
  std::vector<BYTE> m_bytes;
  std::size_t m_at = 0;
};

std::shared_ptr<BYTE> newBuffer(std::size_t n) {
  return std::shared_ptr<BYTE>(new BYTE[n](), std::default_delete<BYTE[]>());
}

void engineWrites(vdi::ServerDevice& device, DWORD transfer, Region& data) {
  std::shared_ptr<BYTE> buffers[2] = {newBuffer(transfer), newBuffer(transfer)};
  std::size_t sent = 0;
  int outstanding = 0;
  for (int slot = 0; slot < 2 && sent < kStreamPerDevice; ++slot, ++outstanding) {
    std::memcpy(buffers[slot].get(), data.next(transfer), transfer);
    device.SendCommand(VDC_Write, buffers[slot], transfer, sent);
    sent += transfer;
  }
  while (outstanding > 0) {
    vdi::VDServerCompletion done{};
    device.WaitCompletion(INFINITE, &done);
    --outstanding;
    if (sent < kStreamPerDevice) {
      int slot = done.command.buffer == buffers[0].get() ? 0 : 1;
      std::memcpy(buffers[slot].get(), data.next(transfer), transfer);
      device.SendCommand(VDC_Write, buffers[slot], transfer, sent);
      sent += transfer;
      ++outstanding;
    }
  }
  device.Close();
}

void agentReads(IClientVirtualDevice* device, Region& ring) {
  vditest::serveCommands(device, [&](VDC_Command* command) {
    std::memcpy(ring.next(command->size), command->buffer, command->size);
    device->CompleteCommand(command, ERROR_SUCCESS, command->size, 0);
  });
}

double throughDevices(DWORD devices, DWORD transfer) {
  IClientVirtualDeviceSet2* client = nullptr;
  vdiCreateClientVirtualDeviceSet(IID_IClientVirtualDeviceSet2, reinterpret_cast<void**>(&client));
  VDConfig config{};
  config.deviceCount = devices;
  config.features = VDF_Discard;
  client->Create(u"bench", &config);
  std::vector<std::u16string> names;
  for (DWORD d = 0; d < devices; ++d) {
    names.push_back(d == 0 ? std::u16string(u"bench") : u"bench-" + std::u16string(1, u'A' + d));
  }
  std::vector<Region> data(devices);
  std::vector<Region> rings(devices);
  double start = benchNow();
  std::unique_ptr<vdi::ServerSet> server;
  HRESULT hr = vdi::ServerSet::Open(u"", names, {512, 4 * 1024 * 1024}, &server);
  std::vector<IClientVirtualDevice*> opened(devices);
  std::vector<std::thread> threads;
  for (DWORD d = 0; d < devices && SUCCEEDED(hr); ++d) {
    client->OpenDevice(names[d].c_str(), &opened[d]);
    threads.emplace_back(agentReads, opened[d], std::ref(rings[d]));
    threads.emplace_back(engineWrites, std::ref(server->device(d)), transfer, std::ref(data[d]));
  }
  for (auto& thread : threads) thread.join();
  double seconds = benchNow() - start;
  for (IClientVirtualDevice* device : opened) {
    if (device != nullptr) device->Release();
  }
  if (server) server->Close();
  client->Close();
  client->Release();
  return SUCCEEDED(hr) ? seconds : -1;
}

// The two copies alone: a thread per device fills a transfer buffer from its data and copies
// it into its ring.
double copiesAlone(DWORD devices, DWORD transfer) {
  std::vector<Region> data(devices);
  std::vector<Region> rings(devices);
  std::vector<std::vector<BYTE>> buffers(devices, std::vector<BYTE>(transfer));
  double start = benchNow();
  std::vector<std::thread> threads;
  for (DWORD d = 0; d < devices; ++d) {
    threads.emplace_back([&, d] {
      for (std::size_t sent = 0; sent < kStreamPerDevice; sent += transfer) {
        std::memcpy(buffers[d].data(), data[d].next(transfer), transfer);
        std::memcpy(rings[d].next(transfer), buffers[d].data(), transfer);
        asm volatile("" : : "r"(buffers[d].data()) : "memory");
      }
    });
  }
  for (auto& thread : threads) thread.join();
  return benchNow() - start;
}

}  // namespace

int main(int argc, char** argv) {
  BenchOptions options = benchParseOptions(
      argc, argv,
      "usage: vdi_bench\n  Transfers through virtual devices against the copies alone.");
  benchRefuseRest(options, argv[0]);
  if (options.header) benchPrintHeader();
  const DWORD shapes[][2] = {{1, 64 * 1024}, {1, 1024 * 1024}, {4, 1024 * 1024}};
  for (const auto& shape : shapes) {
    // Two regions per device (data and ring).
    kRegionBytes = benchUncachedRegionBytes(2 * shape[0], 32 * 1024 * 1024);
    kStreamPerDevice = std::max<std::size_t>(64 * 1024 * 1024, kRegionBytes);
    std::string name = "vdi " + std::to_string(shape[0]) + " device" + (shape[0] > 1 ? "s" : "") +
                       " x " + std::to_string(kStreamPerDevice >> 20) + " MiB in " +
                       std::to_string(shape[1] / 1024) + " KiB vs the copies alone";
    double ideal = std::min(2.0, static_cast<double>(benchUsableProcessors()) / shape[0]);
    char goal[96];
    std::snprintf(goal, sizeof goal, "ideal %.2f (2 threads/device vs 1; %s)", ideal,
                  benchRegionText(kRegionBytes).c_str());
    benchPrintRow(benchPairRun(
        name, goal, options.repeats, [&] { return throughDevices(shape[0], shape[1]); },
        [&] { return copiesAlone(shape[0], shape[1]); }));
  }
  return 0;
}
