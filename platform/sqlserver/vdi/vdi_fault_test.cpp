// Armed faults make the chosen call fail with the chosen result and change nothing else.
#include "vdi_fault.h"

#include <gtest/gtest.h>

#include <functional>

#include "vdi_test_support.h"

using vdi::VdiCall;
using vditest::Conversation;
using vditest::Ref;

namespace {

constexpr HRESULT kFault = VD_E_PROTOCOL;

class VdiFault : public ::testing::Test {
 protected:
  void TearDown() override { vdi::vdiClearFaults(); }
};

TEST_F(VdiFault, EveryArmedCallFailsOnceAndLeavesTheConversationAsItWas) {
  Conversation c(u"fault-1", 1, 0);
  VDConfig config{};
  VDC_Command* command = nullptr;
  VDC_Command* other = nullptr;
  Ref<IClientVirtualDevice> device;
  vdi::VDServerCompletion done{};
  std::unique_ptr<vdi::ServerSet> server;
  auto names = vditest::deviceNames(u"fault-2", 1);
  ASSERT_EQ(c.server->device(0).SendCommand(VDC_ClearError), S_OK);
  ASSERT_EQ(c.device(0)->GetCommand(0, &command), S_OK);
  struct Case {
    VdiCall call;
    std::function<HRESULT()> run;
  };
  const Case cases[] = {
      {VdiCall::Create, [&] { return vditest::newSet2()->Create(u"fault-2", &config); }},
      {VdiCall::GetConfiguration, [&] { return c.client->GetConfiguration(0, &config); }},
      {VdiCall::OpenDevice, [&] { return c.client->OpenDevice(u"fault-1", device.out()); }},
      {VdiCall::SignalAbort, [&] { return c.client->SignalAbort(); }},
      {VdiCall::Close, [&] { return c.client->Close(); }},
      {VdiCall::GetCommand, [&] { return c.device(0)->GetCommand(0, &other); }},
      {VdiCall::CompleteCommand, [&] { return c.device(0)->CompleteCommand(command, 0, 0, 0); }},
      {VdiCall::ServerOpen, [&] { return vdi::ServerSet::Open(u"", names, {}, &server); }},
      {VdiCall::SendCommand, [&] { return c.server->device(0).SendCommand(VDC_Flush); }},
      {VdiCall::WaitCompletion, [&] { return c.server->device(0).WaitCompletion(0, &done); }},
  };
  for (const Case& fault : cases) {
    vdi::vdiArmFault(fault.call, kFault);
    EXPECT_EQ(fault.run(), kFault) << static_cast<int>(fault.call);
  }
  // Nothing happened: the set is neither aborted nor closed, and works on.
  EXPECT_EQ(c.client->GetConfiguration(0, &config), S_OK);
  ASSERT_EQ(c.device(0)->CompleteCommand(command, ERROR_SUCCESS, 0, 0), S_OK);
  EXPECT_EQ(c.server->device(0).WaitCompletion(0, &done), S_OK);
  EXPECT_EQ(done.command.commandCode, VDC_ClearError);
  EXPECT_EQ(c.device(0)->GetCommand(0, &other), VD_E_TIMEOUT);
}

TEST_F(VdiFault, FaultComesAfterTheCallsLetThroughAndLastsItsCount) {
  Conversation c(u"fault-3", 1, 0);
  vdi::vdiArmFault(VdiCall::GetCommand, VD_E_ABORT, 2, 3);
  std::vector<HRESULT> answers;
  for (int i = 0; i < 6; ++i) {
    VDC_Command* command = nullptr;
    answers.push_back(c.device(0)->GetCommand(0, &command));
  }
  EXPECT_EQ(answers, (std::vector<HRESULT>{VD_E_TIMEOUT, VD_E_TIMEOUT, VD_E_TIMEOUT, VD_E_ABORT,
                                           VD_E_ABORT, VD_E_TIMEOUT}));
}

}  // namespace
