// The virtual device transfer ends against the emulated SQL Server side: each test plays SQL
// Server on its own thread of commands while a transfer serves the device.
#include "vdimover.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "vdi_fault.h"
#include "vdi_server.h"
#include "vdi_test_support.h"
#include "vdimover_testutil.h"

namespace {

using vdi::ServerDevice;
using vdi::VDServerCompletion;
using vditest::Conversation;

constexpr uint32_t kRingBuffer = 4096;  // the test transfer's 4 KiB buffers
constexpr DWORD kWait = 20000;          // a command lost by a fault fails the test, no hang

// SQL Server's side of one command: send it and wait for its completion.
VDServerCompletion roundTrip(ServerDevice& device, DWORD code, std::shared_ptr<BYTE> buffer = {},
                             DWORD size = 0) {
  VDServerCompletion completion{};
  EXPECT_EQ(device.SendCommand(code, std::move(buffer), size), S_OK);
  EXPECT_EQ(device.WaitCompletion(kWait, &completion), S_OK);
  return completion;
}

std::shared_ptr<BYTE> pattern(unsigned stream, std::size_t size) {
  auto buffer = vditest::buffer(size);
  for (std::size_t i = 0; i < size; ++i) buffer.get()[i] = vditest::patternByte(stream, i);
  return buffer;
}

// A transfer serving device 0 of the conversation on a thread of its own.
struct Served {
  CVdevTestTransfer transfer;
  std::vector<uint8_t> received;
  std::thread thread;
  int rc = -1;

  Served(CVdevTestTransfer::Direction direction, IClientVirtualDevice* vdevP)
      : transfer(direction, vdevP) {
    transfer.sink = [this](const uint8_t* dataP, uint32_t size) {
      received.insert(received.end(), dataP, dataP + size);
      return 0;
    };
  }
  void start() {
    thread = std::thread([this] { rc = transfer.runOnce(); });
  }
  void join() { thread.join(); }
  // Restore: the ring is filled with these bytes.
  void give(std::vector<uint8_t> bytes) {
    auto data = std::make_shared<std::vector<uint8_t>>(std::move(bytes));
    auto offset = std::make_shared<std::size_t>(0);
    transfer.source = [data, offset](uint8_t* dataP, uint32_t size) {
      uint32_t piece = static_cast<uint32_t>(std::min<std::size_t>(size, data->size() - *offset));
      std::memcpy(dataP, data->data() + *offset, piece);
      *offset += piece;
      return piece;
    };
  }
};

// ---- Backup ----

TEST(ProduceFromVdi, WritesOfAnySizeReachTheRingInOrderAndTheFlushStaysPending) {
  Conversation c(u"produce-writes", 1, 0);
  Served served(CVdevTestTransfer::backupFromVdi, c.device(0));
  served.start();
  ServerDevice& device = c.server->device(0);
  // 10 bytes stay in a held buffer; 9000 spans more than two ring buffers; 5000 more.
  std::vector<uint8_t> expected;
  unsigned stream = 0;
  for (DWORD size : {10u, 2 * kRingBuffer + 808u, 5000u}) {
    auto data = pattern(++stream, size);
    expected.insert(expected.end(), data.get(), data.get() + size);
    VDServerCompletion done = roundTrip(device, VDC_Write, data, size);
    EXPECT_EQ(done.completionCode, ERROR_SUCCESS);
    EXPECT_EQ(done.bytesTransferred, size);
  }
  EXPECT_EQ(roundTrip(device, VDC_ClearError).completionCode, ERROR_SUCCESS);
  EXPECT_EQ(roundTrip(device, VDC_Read, vditest::buffer(512), 512).completionCode,
            static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  ASSERT_EQ(device.SendCommand(VDC_Flush), S_OK);
  served.join();
  EXPECT_EQ(served.rc, 0);
  EXPECT_EQ(served.transfer.vdiRc, 0);
  EXPECT_EQ(served.received, expected);
  EXPECT_EQ(served.transfer.bytesProduced(), expected.size());
  ASSERT_NE(served.transfer.command, nullptr);
  EXPECT_EQ(served.transfer.command->commandCode, VDC_Flush);
  EXPECT_EQ(served.transfer.vdiApiStatus().inApiCall.load(), 0u);

  // The database backup completes the Flush once every stripe is done.
  ASSERT_EQ(c.device(0)->CompleteCommand(served.transfer.command, ERROR_SUCCESS, 0, 0), S_OK);
  VDServerCompletion flushed{};
  EXPECT_EQ(device.WaitCompletion(kWait, &flushed), S_OK);
  EXPECT_EQ(flushed.command.commandCode, VDC_Flush);
}

// How SQL Server ends a backup without a Flush, and the code the producer gives for it.
TEST(ProduceFromVdi, EndsWithoutFlushGiveTheirCodes) {
  struct Case {
    const char* what;
    void (*end)(Conversation& c);
    int rc;
  };
  const Case cases[] = {
      {"discard",
       [](Conversation& c) {
         EXPECT_EQ(roundTrip(c.server->device(0), VDC_Discard).completionCode, ERROR_SUCCESS);
       },
       RC_CANCELLED_BY_SQL},
      {"device closed before its flush", [](Conversation& c) { c.server->device(0).Close(); },
       RC_CANCELLED_BY_SQL},
      {"set aborted", [](Conversation& c) { c.server->SignalAbort(); }, RC_VDI_ABORTED},
      {"stream without flush",
       [](Conversation&) {
         vdi::vdiArmFault(vdi::VdiCall::GetCommand, S_FALSE);  // an answer without a command
       },
       RC_INTERNAL_ERROR},
      {"device failure",
       [](Conversation&) { vdi::vdiArmFault(vdi::VdiCall::GetCommand, VD_E_PROTOCOL); },
       RC_VDI_FAILED},
  };
  for (const Case& k : cases) {
    Conversation c(u"produce-end", 1, VDF_Discard);
    Served served(CVdevTestTransfer::backupFromVdi, c.device(0));
    served.start();
    auto data = pattern(1, 100);
    EXPECT_EQ(roundTrip(c.server->device(0), VDC_Write, data, 100).completionCode, 0u);
    k.end(c);
    served.join();
    vdi::vdiClearFaults();
    EXPECT_EQ(served.transfer.vdiRc, k.rc) << k.what;
    EXPECT_EQ(served.transfer.command, nullptr) << k.what;
  }
}

TEST(ProduceFromVdi, RefusedCompletionAndCancelEndTheLoop) {
  {
    Conversation c(u"produce-refused", 1, 0);
    Served served(CVdevTestTransfer::backupFromVdi, c.device(0));
    vdi::vdiArmFault(vdi::VdiCall::CompleteCommand, VD_E_ABORT);
    served.start();
    auto data = pattern(1, 64);
    ASSERT_EQ(c.server->device(0).SendCommand(VDC_Write, data, 64), S_OK);
    served.join();
    vdi::vdiClearFaults();
    EXPECT_EQ(served.transfer.vdiRc, RC_VDI_ABORTED);
  }
  {
    Conversation c(u"produce-cancel", 1, 0);
    Served served(CVdevTestTransfer::backupFromVdi, c.device(0));
    served.start();
    EXPECT_EQ(roundTrip(c.server->device(0), VDC_ClearError).completionCode, 0u);
    served.transfer.cancelNow();  // noticed at the next 1000 ms wait at the latest
    served.join();
    EXPECT_EQ(served.transfer.vdiRc, RC_RING_CANCELLED);
  }
}

// ---- Restore ----

std::vector<uint8_t> bytesOf(unsigned stream, std::size_t size) {
  auto data = pattern(stream, size);
  return std::vector<uint8_t>(data.get(), data.get() + size);
}

TEST(ConsumeToVdi, ReadsGetTheDataThenAShortReadOrEndOfFile) {
  struct Case {
    std::size_t size;
    std::vector<DWORD> reads;      // each read asks for this many bytes
    std::vector<DWORD> codes;      // completion codes
    std::vector<DWORD> transfers;  // bytes moved
  };
  const Case cases[] = {
      {2 * kRingBuffer,
       {kRingBuffer, 3000, 1096, 512},
       {0, 0, 0, 38},
       {kRingBuffer, 3000, 1096, 0}},
      {10000, {6000, 6000}, {0, 0}, {6000, 4000}},
  };
  for (const Case& k : cases) {
    Conversation c(u"consume-reads", 1, 0);
    Served served(CVdevTestTransfer::restoreToVdi, c.device(0));
    std::vector<uint8_t> data = bytesOf(3, k.size);
    served.give(data);
    served.start();
    std::vector<uint8_t> got;
    for (std::size_t i = 0; i < k.reads.size(); ++i) {
      auto buffer = vditest::buffer(k.reads[i]);
      VDServerCompletion done = roundTrip(c.server->device(0), VDC_Read, buffer, k.reads[i]);
      EXPECT_EQ(done.completionCode, k.codes[i]) << k.size << " read " << i;
      EXPECT_EQ(done.bytesTransferred, k.transfers[i]) << k.size << " read " << i;
      got.insert(got.end(), buffer.get(), buffer.get() + done.bytesTransferred);
    }
    served.join();
    EXPECT_EQ(served.rc, 0);
    EXPECT_EQ(served.transfer.vdiRc, 0);
    EXPECT_EQ(got, data);
    EXPECT_EQ(served.transfer.bytesConsumed(), k.size);
  }
}

TEST(ConsumeToVdi, OtherCommandsAndACommandHeldAtEntry) {
  Conversation c(u"consume-other", 1, VDF_Discard);
  ServerDevice& device = c.server->device(0);
  // The stripe got the first read itself before the transfer started.
  auto first = vditest::buffer(100);
  ASSERT_EQ(device.SendCommand(VDC_Read, first, 100), S_OK);
  Served served(CVdevTestTransfer::restoreToVdi, c.device(0));
  ASSERT_EQ(c.device(0)->GetCommand(1000, &served.transfer.command), S_OK);
  std::vector<uint8_t> data = bytesOf(4, 300);
  served.give(data);
  served.start();
  VDServerCompletion done{};
  ASSERT_EQ(device.WaitCompletion(kWait, &done), S_OK);
  EXPECT_EQ(done.bytesTransferred, 100u);
  EXPECT_EQ(std::memcmp(first.get(), data.data(), 100), 0);
  for (DWORD code : {VDC_ClearError, VDC_Flush, VDC_Discard}) {
    EXPECT_EQ(roundTrip(device, code).completionCode, ERROR_SUCCESS) << code;
  }
  EXPECT_EQ(roundTrip(device, VDC_Write, vditest::buffer(8), 8).completionCode,
            static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  EXPECT_EQ(roundTrip(device, VDC_Read, vditest::buffer(200), 200).completionCode, 0u);
  EXPECT_EQ(roundTrip(device, VDC_Read, vditest::buffer(200), 200).completionCode, 38u);
  served.join();
  EXPECT_EQ(served.transfer.vdiRc, 0);
}

// Load and the end of the conversation, with data left in the ring or not.
TEST(ConsumeToVdi, LoadOrCloseAfterAllDataIsSuccessAndWhileDataRemainIs427) {
  struct Case {
    const char* what;
    DWORD readFirst;  // bytes SQL Server reads before it ends
    bool load;        // Load (held for the stripe), else the device is closed
    int rc;
  };
  const Case cases[] = {
      {"load after the data", 5000, true, 0},
      {"load while data remain", 1000, true, RC_CANCELLED_BY_SQL},
      {"load while data remain in the last buffer", 4500, true, RC_CANCELLED_BY_SQL},
      {"close after the data", 5000, false, 0},
      {"close while data remain", 1000, false, RC_CANCELLED_BY_SQL},
      {"close while data remain in the last buffer", 4500, false, RC_CANCELLED_BY_SQL},
  };
  for (const Case& k : cases) {
    Conversation c(u"consume-load", 1, VDF_Removable);
    Served served(CVdevTestTransfer::restoreToVdi, c.device(0));
    served.give(bytesOf(5, 5000));
    served.start();
    EXPECT_EQ(roundTrip(c.server->device(0), VDC_Read, vditest::buffer(k.readFirst), k.readFirst)
                  .bytesTransferred,
              k.readFirst);
    if (k.load) {
      ASSERT_EQ(c.server->device(0).SendCommand(VDC_Load), S_OK);
    } else {
      c.server->device(0).Close();
    }
    served.join();
    EXPECT_EQ(served.transfer.vdiRc, k.rc) << k.what;
    EXPECT_EQ(served.transfer.command != nullptr, k.load) << k.what;
    if (k.load) {
      EXPECT_EQ(served.transfer.command->commandCode, VDC_Load) << k.what;
    }
  }
}

TEST(ConsumeToVdi, AbortGives428) {
  Conversation c(u"consume-abort", 1, 0);
  Served served(CVdevTestTransfer::restoreToVdi, c.device(0));
  served.give(bytesOf(6, 100));
  served.start();
  c.server->SignalAbort();
  served.join();
  EXPECT_EQ(served.transfer.vdiRc, RC_VDI_ABORTED);
}

}  // namespace
