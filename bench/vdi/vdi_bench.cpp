// Throughput of the virtual device interface: an engine thread per device writes a stream in
// transfers of the given size, two outstanding, and an agent thread per device copies each
// transfer once into its own buffer, as the agent copies into its ring. The interface must
// never be the bottleneck: its cost per transfer should vanish beside the copy.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "vdi.h"
#include "vdi_server.h"
#include "vdi_test_loop.h"

namespace {

constexpr std::size_t kStreamPerDevice = 64 * 1024 * 1024;

std::shared_ptr<BYTE> newBuffer(std::size_t n) {
  return std::shared_ptr<BYTE>(new BYTE[n](), std::default_delete<BYTE[]>());
}

void engineWrites(vdi::ServerDevice& device, DWORD transfer) {
  std::shared_ptr<BYTE> buffers[2] = {newBuffer(transfer), newBuffer(transfer)};
  std::size_t sent = 0;
  int outstanding = 0;
  for (int slot = 0; slot < 2 && sent < kStreamPerDevice; ++slot, ++outstanding) {
    device.SendCommand(VDC_Write, buffers[slot], transfer, sent);
    sent += transfer;
  }
  while (outstanding > 0) {
    vdi::VDServerCompletion done{};
    device.WaitCompletion(INFINITE, &done);
    --outstanding;
    if (sent < kStreamPerDevice) {
      int slot = done.command.buffer == buffers[0].get() ? 0 : 1;
      device.SendCommand(VDC_Write, buffers[slot], transfer, sent);
      sent += transfer;
      ++outstanding;
    }
  }
  device.Close();
}

void agentReads(IClientVirtualDevice* device, DWORD transfer) {
  std::vector<BYTE> ring(transfer);
  vditest::serveCommands(device, [&](VDC_Command* command) {
    std::memcpy(ring.data(), command->buffer, command->size);
    device->CompleteCommand(command, ERROR_SUCCESS, command->size, 0);
  });
}

void BM_BackupThroughDevices(benchmark::State& state) {
  const DWORD devices = static_cast<DWORD>(state.range(0));
  const DWORD transfer = static_cast<DWORD>(state.range(1));
  for (auto _ : state) {
    IClientVirtualDeviceSet2* client = nullptr;
    vdiCreateClientVirtualDeviceSet(IID_IClientVirtualDeviceSet2,
                                    reinterpret_cast<void**>(&client));
    VDConfig config{};
    config.deviceCount = devices;
    config.features = VDF_Discard;
    client->Create(u"bench", &config);
    std::vector<std::u16string> names;
    for (DWORD d = 0; d < devices; ++d) {
      names.push_back(d == 0 ? std::u16string(u"bench") : u"bench-" + std::u16string(1, u'A' + d));
    }
    std::unique_ptr<vdi::ServerSet> server;
    vdi::ServerSet::Open(u"", names, {512, 4 * 1024 * 1024}, &server);
    std::vector<IClientVirtualDevice*> opened(devices);
    std::vector<std::thread> threads;
    for (DWORD d = 0; d < devices; ++d) {
      client->OpenDevice(names[d].c_str(), &opened[d]);
      threads.emplace_back(agentReads, opened[d], transfer);
      threads.emplace_back(engineWrites, std::ref(server->device(d)), transfer);
    }
    for (auto& thread : threads) {
      thread.join();
    }
    for (IClientVirtualDevice* device : opened) {
      device->Release();
    }
    server->Close();
    client->Close();
    client->Release();
  }
  state.SetBytesProcessed(state.iterations() * devices * kStreamPerDevice);
}

BENCHMARK(BM_BackupThroughDevices)
    ->Args({1, 64 * 1024})
    ->Args({1, 1024 * 1024})
    ->Args({4, 1024 * 1024})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
