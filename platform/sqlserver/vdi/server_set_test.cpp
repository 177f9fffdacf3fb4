// Both sides of the virtual device interface at once: a fake engine on its own threads against
// agent-side readers and writers, as a BACKUP or RESTORE statement would run.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "vdi_server.h"
#include "vdi_test_support.h"

using vdi::ServerOptions;
using vdi::ServerSet;
using vdi::VDServerCompletion;
using vditest::Conversation;
using vditest::patternByte;
using vditest::Ref;
using vditest::serveCommands;

namespace {

constexpr DWORD kTransfer = 64 * 1024;
constexpr ServerOptions kSmallTransfers{512, kTransfer};

// ---- Opening ----

TEST(ServerSet, OpenFindsTheClientsSetAndFillsTheConfiguration) {
  auto client = vditest::newSet2();
  VDConfig config = vditest::configFor(2, VDF_Discard);
  ASSERT_EQ(client->CreateEx(u"inst2", u"open-1", &config), S_OK);
  auto names = vditest::deviceNames(u"open-1", 2);
  std::unique_ptr<ServerSet> server;

  struct Case {
    const char* what;
    std::u16string instance;
    std::vector<std::u16string> names;
    ServerOptions options;
    HRESULT expected;
  };
  const Case cases[] = {
      {"default instance", u"", names, {}, VD_E_NOTOPEN},
      {"unknown set", u"INST2", {u"open-x", u"open-y"}, {}, VD_E_NOTOPEN},
      {"too few devices", u"INST2", {u"open-1"}, {}, VD_E_INVALID},
      {"same name twice", u"INST2", {u"open-1", u"open-1"}, {}, VD_E_INVALID},
      {"empty name", u"INST2", {u"open-1", u""}, {}, VD_E_INVALID},
      {"no names", u"INST2", {}, {}, VD_E_INVALID},
      {"odd block size", u"INST2", names, {1000, 64000}, VD_E_INVALID},
      {"transfer past 4 MiB", u"INST2", names, {512, 8 * 1024 * 1024}, VD_E_INVALID},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ServerSet::Open(c.instance, c.names, c.options, &server), c.expected) << c.what;
  }
  EXPECT_EQ(client->GetConfiguration(0, &config), VD_E_TIMEOUT);

  ASSERT_EQ(ServerSet::Open(u"Inst2", names, {4096, 2 * 1024 * 1024}, &server), S_OK);
  std::unique_ptr<ServerSet> again;
  EXPECT_EQ(ServerSet::Open(u"Inst2", names, {}, &again), VD_E_BUSY);
  ASSERT_EQ(client->GetConfiguration(0, &config), S_OK);
  EXPECT_EQ(config.deviceCount, 2u);
  EXPECT_EQ(config.features, VDF_Discard);
  EXPECT_EQ(config.blockSize, 4096u);
  EXPECT_EQ(config.maxTransferSize, 2u * 1024 * 1024);
  EXPECT_EQ(server->deviceCount(), 2u);
  EXPECT_EQ(server->device(1).name(), names[1]);

  Ref<IClientVirtualDevice> device;
  EXPECT_EQ(client->OpenDevice(u"open-z", device.out()), VD_E_INVALID);
  EXPECT_EQ(client->OpenDevice(names[1].c_str(), device.out()), S_OK);
  Ref<IClientVirtualDevice> twice;
  EXPECT_EQ(client->OpenDevice(names[1].c_str(), twice.out()), VD_E_OPEN);
  server->Close();
  EXPECT_EQ(client->GetConfiguration(0, &config), VD_E_CLOSE);
}

TEST(ServerSet, ConfigurationWaitEndsWhenTheServerOpens) {
  auto client = vditest::newSet2();
  VDConfig config = vditest::configFor(1, 0);
  ASSERT_EQ(client->Create(u"wait-1", &config), S_OK);
  std::unique_ptr<ServerSet> server;
  std::thread engine([&] {
    EXPECT_EQ(ServerSet::Open(u"", vditest::deviceNames(u"wait-1", 1), {}, &server), S_OK);
  });
  HRESULT hr = VD_E_TIMEOUT;
  while (hr == VD_E_TIMEOUT) {
    hr = client->GetConfiguration(1000, &config);
  }
  EXPECT_EQ(hr, S_OK);
  engine.join();
  EXPECT_EQ(config.maxTransferSize, ServerOptions{}.maxTransferSize);
}

// ---- Streams ----

// The agent's side of a backup stripe: keeps what the writes bring and holds the flush, which
// it completes only later, as the agent does after its storage transaction.
struct BackupReader {
  std::vector<BYTE> data;
  VDC_Command* flush = nullptr;
  bool buffersWereTheEngines = true;
  const std::vector<const BYTE*>* engineBuffers = nullptr;

  HRESULT run(IClientVirtualDevice* device) {
    for (;;) {
      VDC_Command* command = nullptr;
      HRESULT hr = device->GetCommand(1000, &command);
      if (hr == VD_E_TIMEOUT) {
        continue;
      }
      if (hr != S_OK || command->commandCode == VDC_Flush) {
        flush = command;
        return hr;
      }
      EXPECT_EQ(command->commandCode, VDC_Write);
      buffersWereTheEngines &=
          std::count(engineBuffers->begin(), engineBuffers->end(), command->buffer) == 1;
      data.insert(data.end(), command->buffer, command->buffer + command->size);
      EXPECT_EQ(device->CompleteCommand(command, ERROR_SUCCESS, command->size, 0), S_OK);
    }
  }
};

// The engine's side of a backup: one stream per device, written in transfers of varied sizes
// with two writes outstanding per device, then a flush on every device before any flush is
// awaited.
void engineBackup(ServerSet& server, std::size_t streamSize,
                  const std::vector<std::shared_ptr<BYTE>>& buffers) {
  std::size_t devices = server.deviceCount();
  std::vector<std::size_t> sent(devices, 0);
  std::vector<int> outstanding(devices, 0);
  auto sendNext = [&](std::size_t d, int slot) {
    DWORD size = static_cast<DWORD>(
        std::min<std::size_t>(streamSize - sent[d], kTransfer - 512 * (sent[d] % 7)));
    BYTE* bytes = buffers[d * 2 + slot].get();
    for (DWORD i = 0; i < size; ++i) {
      bytes[i] = patternByte(static_cast<unsigned>(d), sent[d] + i);
    }
    ASSERT_EQ(server.device(d).SendCommand(VDC_Write, buffers[d * 2 + slot], size, sent[d]), S_OK);
    sent[d] += size;
    ++outstanding[d];
  };
  for (std::size_t d = 0; d < devices; ++d) {
    sendNext(d, 0);
    sendNext(d, 1);
  }
  for (bool busy = true; busy;) {
    busy = false;
    for (std::size_t d = 0; d < devices; ++d) {
      if (outstanding[d] == 0) {
        continue;
      }
      busy = true;
      VDServerCompletion done{};
      ASSERT_EQ(server.device(d).WaitCompletion(INFINITE, &done), S_OK);
      ASSERT_EQ(done.completionCode, static_cast<DWORD>(ERROR_SUCCESS));
      ASSERT_EQ(done.bytesTransferred, done.command.size);
      --outstanding[d];
      if (sent[d] < streamSize) {
        sendNext(d, done.command.buffer == buffers[d * 2].get() ? 0 : 1);
      }
    }
  }
  for (std::size_t d = 0; d < devices; ++d) {
    ASSERT_EQ(server.device(d).SendCommand(VDC_Flush), S_OK);
  }
  for (std::size_t d = 0; d < devices; ++d) {
    VDServerCompletion done{};
    ASSERT_EQ(server.device(d).WaitCompletion(INFINITE, &done), S_OK);
    EXPECT_EQ(done.command.commandCode, VDC_Flush);
    EXPECT_EQ(done.completionCode, static_cast<DWORD>(ERROR_SUCCESS));
  }
  server.Close();
}

TEST(ServerSet, BackupStreamsThroughFourDevicesStraightFromTheEnginesBuffers) {
  constexpr DWORD kDevices = 4;
  constexpr std::size_t kStream = 3 * 1024 * 1024 + 777;
  Conversation c(u"backup-1", kDevices, VDF_Discard, kSmallTransfers);
  std::vector<std::shared_ptr<BYTE>> buffers;
  std::vector<const BYTE*> addresses;
  for (DWORD i = 0; i < 2 * kDevices; ++i) {
    buffers.push_back(vditest::buffer(kTransfer));
    addresses.push_back(buffers.back().get());
  }
  std::vector<BackupReader> readers(kDevices);
  std::vector<HRESULT> ends(kDevices);
  std::vector<std::thread> stripes;
  for (DWORD d = 0; d < kDevices; ++d) {
    readers[d].engineBuffers = &addresses;
    stripes.emplace_back([&, d] { ends[d] = readers[d].run(c.device(d)); });
  }
  std::thread engine([&] { engineBackup(*c.server, kStream, buffers); });
  for (auto& stripe : stripes) {
    stripe.join();
  }
  // Every stripe holds its flush; only now are they completed, as after the agent's commit.
  for (DWORD d = 0; d < kDevices; ++d) {
    ASSERT_EQ(ends[d], S_OK);
    ASSERT_NE(readers[d].flush, nullptr);
    EXPECT_EQ(c.device(d)->CompleteCommand(readers[d].flush, ERROR_SUCCESS, 0, 0), S_OK);
  }
  engine.join();
  for (DWORD d = 0; d < kDevices; ++d) {
    VDC_Command* command = nullptr;
    EXPECT_EQ(c.device(d)->GetCommand(1000, &command), VD_E_CLOSE);  // the statement has ended
    EXPECT_EQ(command, nullptr);
    ASSERT_EQ(readers[d].data.size(), kStream);
    for (std::size_t i = 0; i < kStream; ++i) {
      ASSERT_EQ(readers[d].data[i], patternByte(d, i)) << "device " << d << " offset " << i;
    }
    EXPECT_TRUE(readers[d].buffersWereTheEngines);
  }
}

// The agent's side of a restore stripe: answers reads from its media one after the other, a
// short read carrying a medium's last bytes and the next read ERROR_HANDLE_EOF; a Load switches
// to the next medium.
struct RestoreWriter {
  std::vector<std::vector<BYTE>> media;
  std::size_t medium = 0;
  std::size_t offset = 0;

  void handle(IClientVirtualDevice* device, VDC_Command* command) {
    if (command->commandCode == VDC_Load) {
      ++medium;
      offset = 0;
      EXPECT_EQ(device->CompleteCommand(command, ERROR_SUCCESS, 0, 0), S_OK);
      return;
    }
    ASSERT_EQ(command->commandCode, VDC_Read);
    const std::vector<BYTE>& data = media.at(medium);
    DWORD n = static_cast<DWORD>(std::min<std::size_t>(command->size, data.size() - offset));
    std::copy_n(data.begin() + offset, n, command->buffer);
    offset += n;
    DWORD code = n == 0 ? ERROR_HANDLE_EOF : ERROR_SUCCESS;
    EXPECT_EQ(device->CompleteCommand(command, code, n, 0), S_OK);
  }
};

// The engine reads one medium from the device until the end, and returns what it read.
std::vector<BYTE> engineReadMedium(vdi::ServerDevice& device) {
  std::vector<BYTE> read;
  auto buffer = vditest::buffer(kTransfer);
  for (;;) {
    EXPECT_EQ(device.SendCommand(VDC_Read, buffer, kTransfer, read.size()), S_OK);
    VDServerCompletion done{};
    EXPECT_EQ(device.WaitCompletion(INFINITE, &done), S_OK);
    if (done.completionCode == ERROR_HANDLE_EOF) {
      EXPECT_EQ(done.bytesTransferred, 0u);
      return read;
    }
    EXPECT_EQ(done.completionCode, static_cast<DWORD>(ERROR_SUCCESS));
    read.insert(read.end(), buffer.get(), buffer.get() + done.bytesTransferred);
  }
}

std::vector<BYTE> medium(unsigned stream, std::size_t size) {
  std::vector<BYTE> data(size);
  for (std::size_t i = 0; i < size; ++i) {
    data[i] = patternByte(stream, i);
  }
  return data;
}

TEST(ServerSet, RestoreReadsToTheEndAndLoadsTheNextMediumOnOneDevice) {
  Conversation c(u"restore-1", 1, VDF_Removable | VDF_Discard, kSmallTransfers);
  RestoreWriter writer;
  // A short last read (not a multiple of the transfer), then an exact multiple.
  writer.media = {medium(1, 5 * kTransfer + 100), medium(2, 2 * kTransfer)};
  HRESULT end = S_OK;
  std::thread stripe([&] {
    end = serveCommands(c.device(0), [&](VDC_Command* cmd) { writer.handle(c.device(0), cmd); });
  });
  std::vector<BYTE> first = engineReadMedium(c.server->device(0));
  ASSERT_EQ(c.server->device(0).SendCommand(VDC_Load), S_OK);
  VDServerCompletion loaded{};
  ASSERT_EQ(c.server->device(0).WaitCompletion(INFINITE, &loaded), S_OK);
  EXPECT_EQ(loaded.command.commandCode, VDC_Load);
  std::vector<BYTE> second = engineReadMedium(c.server->device(0));
  c.server->Close();
  stripe.join();
  EXPECT_EQ(end, VD_E_CLOSE);
  EXPECT_EQ(first, writer.media[0]);
  EXPECT_EQ(second, writer.media[1]);
}

TEST(ServerSet, CommandsNeedTheirFeaturesAndSoundArguments) {
  Conversation plain(u"features-1", 1, 0, kSmallTransfers);
  vdi::ServerDevice& device = plain.server->device(0);
  auto buffer = vditest::buffer(kTransfer + 1);
  struct Case {
    const char* what;
    DWORD code;
    std::shared_ptr<BYTE> buffer;
    DWORD size;
    HRESULT expected;
  };
  const Case cases[] = {
      {"load without removable media", VDC_Load, nullptr, 0, VD_E_NOTSUPPORTED},
      {"discard without the feature", VDC_Discard, nullptr, 0, VD_E_NOTSUPPORTED},
      {"unknown command", 4, nullptr, 0, VD_E_NOTSUPPORTED},
      {"read past the transfer size", VDC_Read, buffer, kTransfer + 1, VD_E_INVALID},
      {"write without a buffer", VDC_Write, nullptr, 512, VD_E_INVALID},
      {"flush with a size", VDC_Flush, buffer, 512, VD_E_INVALID},
      {"clear error", VDC_ClearError, nullptr, 0, S_OK},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(device.SendCommand(c.code, c.buffer, c.size), c.expected) << c.what;
  }
  VDC_Command* command = nullptr;
  ASSERT_EQ(plain.device(0)->GetCommand(0, &command), S_OK);
  EXPECT_EQ(command->commandCode, VDC_ClearError);
  EXPECT_EQ(plain.device(0)->CompleteCommand(command, ERROR_SUCCESS, 1, 0), VD_E_INVALID);
  VDC_Command stranger{};
  EXPECT_EQ(plain.device(0)->CompleteCommand(&stranger, ERROR_SUCCESS, 0, 0), VD_E_PROTOCOL);
  EXPECT_EQ(plain.device(0)->CompleteCommand(command, ERROR_SUCCESS, 0, 0), S_OK);
  EXPECT_EQ(plain.device(0)->CompleteCommand(command, ERROR_SUCCESS, 0, 0), VD_E_PROTOCOL);
  device.Close();
  EXPECT_EQ(device.SendCommand(VDC_Flush), VD_E_PROTOCOL);
}

TEST(ServerSet, DiscardIsAnsweredLikeAnyCommand) {
  Conversation c(u"discard-1", 1, VDF_Discard, kSmallTransfers);
  HRESULT end = S_OK;
  std::thread stripe([&] {
    end = serveCommands(c.device(0), [&](VDC_Command* cmd) {
      EXPECT_EQ(cmd->commandCode, VDC_Discard);
      EXPECT_EQ(c.device(0)->CompleteCommand(cmd, ERROR_SUCCESS, 0, 0), S_OK);
    });
  });
  ASSERT_EQ(c.server->device(0).SendCommand(VDC_Discard), S_OK);
  VDServerCompletion done{};
  ASSERT_EQ(c.server->device(0).WaitCompletion(INFINITE, &done), S_OK);
  EXPECT_EQ(done.command.commandCode, VDC_Discard);
  c.server->Close();
  stripe.join();
  EXPECT_EQ(end, VD_E_CLOSE);
}

// ---- Time-outs ----

TEST(ServerSet, WaitsTimeOutAndAWaitForNothingFailsAtOnce) {
  Conversation c(u"timeout-1", 1, 0, kSmallTransfers);
  VDC_Command* command = nullptr;
  EXPECT_EQ(c.device(0)->GetCommand(0, &command), VD_E_TIMEOUT);
  EXPECT_EQ(c.device(0)->GetCommand(30, &command), VD_E_TIMEOUT);
  EXPECT_EQ(command, nullptr);
  VDServerCompletion done{};
  EXPECT_EQ(c.server->device(0).WaitCompletion(INFINITE, &done), VD_E_PROTOCOL);
  ASSERT_EQ(c.server->device(0).SendCommand(VDC_Flush), S_OK);
  EXPECT_EQ(c.server->device(0).WaitCompletion(30, &done), VD_E_TIMEOUT);  // queued, not taken
  ASSERT_EQ(c.device(0)->GetCommand(0, &command), S_OK);
  EXPECT_EQ(c.server->device(0).WaitCompletion(0, &done), VD_E_TIMEOUT);  // taken, not completed
  ASSERT_EQ(c.device(0)->CompleteCommand(command, ERROR_SUCCESS, 0, 0), S_OK);
  EXPECT_EQ(c.server->device(0).WaitCompletion(0, &done), S_OK);
  c.server->Close();
}

// ---- Ends ----

TEST(ServerSet, DeviceClosedBeforeItsFlushEndsTheClientsStreamAfterTheData) {
  Conversation c(u"close-1", 2, VDF_Discard, kSmallTransfers);
  auto buffer = vditest::buffer(kTransfer);
  std::fill_n(buffer.get(), kTransfer, BYTE{0x5A});
  std::size_t received = 0;
  HRESULT end = S_OK;
  std::thread stripe([&] {
    end = serveCommands(c.device(0), [&](VDC_Command* cmd) {
      received += cmd->size;
      EXPECT_EQ(c.device(0)->CompleteCommand(cmd, ERROR_SUCCESS, cmd->size, 0), S_OK);
    });
  });
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(c.server->device(0).SendCommand(VDC_Write, buffer, kTransfer), S_OK);
    VDServerCompletion done{};
    ASSERT_EQ(c.server->device(0).WaitCompletion(INFINITE, &done), S_OK);
  }
  c.server->device(0).Close();
  stripe.join();
  EXPECT_EQ(end, VD_E_CLOSE);
  EXPECT_EQ(received, 3u * kTransfer);

  // A command the client still holds when the server closes its device cannot be completed.
  ASSERT_EQ(c.server->device(1).SendCommand(VDC_Flush), S_OK);
  VDC_Command* command = nullptr;
  ASSERT_EQ(c.device(1)->GetCommand(0, &command), S_OK);
  c.server->device(1).Close();
  EXPECT_EQ(c.device(1)->CompleteCommand(command, ERROR_SUCCESS, 0, 0), VD_E_CLOSE);
  EXPECT_EQ(c.device(1)->GetCommand(0, &command), VD_E_CLOSE);
  c.server->Close();
}

// Threads blocked in every kind of wait, both sides; one abort wakes them all.
void expectAbortWakesEveryWaiter(Conversation& c, bool fromClient) {
  auto buffer = vditest::buffer(kTransfer);
  ASSERT_EQ(c.server->device(0).SendCommand(VDC_Read, buffer, kTransfer), S_OK);
  ASSERT_EQ(c.server->device(1).SendCommand(VDC_Read, buffer, kTransfer), S_OK);
  VDC_Command* held = nullptr;
  ASSERT_EQ(c.device(1)->GetCommand(0, &held), S_OK);
  std::vector<HRESULT> answers(4, S_OK);
  std::vector<std::thread> waiters;
  for (std::size_t d : {0u, 1u}) {
    waiters.emplace_back([&, d] {
      VDServerCompletion done{};
      answers[d] = c.server->device(d).WaitCompletion(INFINITE, &done);
    });
  }
  for (std::size_t d : {2u, 3u}) {
    waiters.emplace_back([&, d] {
      VDC_Command* command = nullptr;
      answers[d] = c.device(d)->GetCommand(INFINITE, &command);
    });
  }
  if (fromClient) {
    EXPECT_EQ(c.client->SignalAbort(), S_OK);
  } else {
    c.server->SignalAbort();
  }
  for (auto& waiter : waiters) {
    waiter.join();
  }
  EXPECT_EQ(answers, std::vector<HRESULT>(4, VD_E_ABORT));
  // Every later call answers "aborted", whoever makes it.
  VDConfig config{};
  VDC_Command* command = nullptr;
  Ref<IClientVirtualDevice> device;
  EXPECT_EQ(c.client->GetConfiguration(0, &config), VD_E_ABORT);
  EXPECT_EQ(c.client->OpenDevice(u"any", device.out()), VD_E_ABORT);
  EXPECT_EQ(c.device(0)->GetCommand(0, &command), VD_E_ABORT);
  EXPECT_EQ(c.device(1)->CompleteCommand(held, ERROR_SUCCESS, 0, 0), VD_E_ABORT);
  EXPECT_EQ(c.server->device(2).SendCommand(VDC_Flush), VD_E_ABORT);
  EXPECT_EQ(c.client->Close(), S_OK);
}

TEST(ServerSet, AbortFromTheClientWakesEveryWaiter) {
  Conversation c(u"abort-1", 4, VDF_Discard, kSmallTransfers);
  expectAbortWakesEveryWaiter(c, true);
}

TEST(ServerSet, AbortFromTheServerWakesEveryWaiter) {
  Conversation c(u"abort-2", 4, VDF_Discard, kSmallTransfers);
  expectAbortWakesEveryWaiter(c, false);
}

TEST(ServerSet, AbortBeforeTheServerOpensEndsTheConfigurationWait) {
  auto client = vditest::newSet2();
  VDConfig config = vditest::configFor(1, 0);
  ASSERT_EQ(client->Create(u"abort-3", &config), S_OK);
  HRESULT answer = S_OK;
  std::thread waiter([&] { answer = client->GetConfiguration(INFINITE, &config); });
  EXPECT_EQ(client->SignalAbort(), S_OK);
  waiter.join();
  EXPECT_EQ(answer, VD_E_ABORT);
  std::unique_ptr<ServerSet> server;
  EXPECT_EQ(ServerSet::Open(u"", vditest::deviceNames(u"abort-3", 1), {}, &server), VD_E_ABORT);
}

TEST(ServerSet, AClientThatLeavesInMidConversationAbortsTheStatement) {
  Conversation closes(u"leave-1", 2, 0, kSmallTransfers);
  ASSERT_EQ(closes.server->device(0).SendCommand(VDC_Flush), S_OK);
  HRESULT answer = S_OK;
  std::thread engine([&] {
    VDServerCompletion done{};
    answer = closes.server->device(0).WaitCompletion(INFINITE, &done);
  });
  EXPECT_EQ(closes.client->Close(), S_OK);
  engine.join();
  EXPECT_EQ(answer, VD_E_ABORT);

  Conversation releases(u"leave-2", 2, 0, kSmallTransfers);
  releases.server->device(0).Close();
  releases.devices[0]->reset();  // after the server's close: no harm
  EXPECT_EQ(releases.server->device(1).SendCommand(VDC_Flush), S_OK);
  releases.devices[1]->reset();  // while the server still serves it
  EXPECT_EQ(releases.server->device(1).SendCommand(VDC_Flush), VD_E_ABORT);
}

TEST(ServerSet, AStatementThatEndsWithoutClosingAbortsTheClient) {
  Conversation c(u"vanish-1", 1, 0, kSmallTransfers);
  c.server.reset();
  VDC_Command* command = nullptr;
  EXPECT_EQ(c.device(0)->GetCommand(INFINITE, &command), VD_E_ABORT);
}

TEST(ServerSet, TheEnginesBufferLivesWhileTheClientHoldsTheCommand) {
  Conversation c(u"buffer-1", 1, 0, kSmallTransfers);
  ASSERT_EQ(c.server->device(0).SendCommand(VDC_Read, vditest::buffer(kTransfer), kTransfer), S_OK);
  VDC_Command* command = nullptr;
  ASSERT_EQ(c.device(0)->GetCommand(0, &command), S_OK);
  c.server->SignalAbort();
  c.server.reset();  // the engine has dropped every reference of its own
  std::fill_n(command->buffer, command->size, BYTE{0xEE});  // a copy still under way
  EXPECT_EQ(c.device(0)->CompleteCommand(command, ERROR_SUCCESS, kTransfer, 0), VD_E_ABORT);
}

}  // namespace
