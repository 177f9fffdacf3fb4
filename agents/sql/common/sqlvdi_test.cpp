// The agent's virtual device interface wrapper: creation by SQL Server version, the timed
// wrappers over a real conversation, and missing interfaces.
#include "sqlvdi.h"

#include <gtest/gtest.h>

#include <thread>

#include "runtime.h"
#include "trcfile_testutil.h"
#include "vdi_server.h"

namespace {

TEST(CVdi, VersionSevenGetsTheFirstInterfaceAndLaterVersionsTheSecond) {
  struct Case {
    int32_t version;
    bool first;
  };
  for (Case c : {Case{7, true}, Case{8, false}, Case{9, false}}) {
    CVdi vdi(c.version);
    EXPECT_EQ(vdi.constructionRc(), 0) << c.version;
    EXPECT_EQ(vdi.m_VdsP != nullptr, c.first) << c.version;
    EXPECT_EQ(vdi.m_Vds2P != nullptr, !c.first) << c.version;
    EXPECT_EQ(vdi.m_NeedCoUninitialize, 1u);
  }
}

TEST(CVdi, ThreadInTheOtherComModelGetsCode2002) {
  std::thread([] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    {
      CVdi vdi(8);
      EXPECT_EQ(vdi.constructionRc(), RC_COM_INIT_FAILED);
      EXPECT_EQ(vdi.m_Vds2P, nullptr);
      EXPECT_EQ(vdi.m_NeedCoUninitialize, 0u);
    }
    CoUninitialize();
  }).join();
}

// Both versions through their own wrappers: create, SQL Server opens, configuration, devices,
// one command, abort, close. Every call is timed on the record and leaves it out of a call.
TEST(CVdi, WrappersDriveAConversationOnEitherVersion) {
  for (int32_t version : {7, 8}) {
    CVdi vdi(version);
    ASSERT_EQ(vdi.constructionRc(), 0);
    DPelkApiStatus status;
    VDConfig config{};
    config.deviceCount = 1;
    std::u16string name = version == 7 ? u"wrap-seven" : u"wrap-eight";
    HRESULT hr = version == 7 ? vds_Create(&status, vdi.m_VdsP, name.c_str(), &config)
                              : vds2_CreateEx(&status, vdi.m_Vds2P, u"", name.c_str(), &config);
    ASSERT_EQ(hr, S_OK);
    std::unique_ptr<vdi::ServerSet> server;
    std::vector<std::u16string> names{name};
    ASSERT_EQ(vdi::ServerSet::Open(u"", names, {}, &server), S_OK);
    hr = version == 7 ? vds_GetConfiguration(&status, vdi.m_VdsP, 1000, &config)
                      : vds2_GetConfiguration(&status, vdi.m_Vds2P, 1000, &config);
    ASSERT_EQ(hr, S_OK);
    EXPECT_EQ(config.maxTransferSize, vdi::ServerOptions{}.maxTransferSize);
    IClientVirtualDevice* vdevP = nullptr;
    hr = version == 7 ? vds_OpenDevice(&status, vdi.m_VdsP, name.c_str(), &vdevP)
                      : vds2_OpenDevice(&status, vdi.m_Vds2P, name.c_str(), &vdevP);
    ASSERT_EQ(hr, S_OK);

    ASSERT_EQ(server->device(0).SendCommand(VDC_ClearError), S_OK);
    VDC_Command* commandP = nullptr;
    ASSERT_EQ(vdev_GetCommand(&status, vdevP, 1000, &commandP), S_OK);
    EXPECT_EQ(commandP->commandCode, VDC_ClearError);
    EXPECT_EQ(vdev_CompleteCommand(&status, vdevP, commandP, ERROR_SUCCESS, 0, 0), S_OK);
    vdi::VDServerCompletion completion{};
    EXPECT_EQ(server->device(0).WaitCompletion(1000, &completion), S_OK);

    hr = version == 7 ? vds_SignalAbort(&status, vdi.m_VdsP)
                      : vds2_SignalAbort(&status, vdi.m_Vds2P);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(vdev_GetCommand(&status, vdevP, 1000, &commandP), VD_E_ABORT);
    EXPECT_TRUE(SUCCEEDED(vdev_Release(&status, vdevP)));
    hr = version == 7 ? vds_Close(&status, vdi.m_VdsP) : vds2_Close(&status, vdi.m_Vds2P);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(status.inApiCall.load(), 0u);
    EXPECT_GE(status.totalApiSeconds, 0.0);
  }
}

TEST(CVdi, MissingInterfacesAnswerNotOpenAndReleaseAnswersZero) {
  TraceFileForTest trace({TRC_API});
  DPelkApiStatus status;
  VDConfig config{};
  IClientVirtualDevice* vdevP = nullptr;
  VDC_Command* commandP = nullptr;
  const HRESULT notOpen[] = {
      vds_Create(&status, nullptr, u"x", &config),
      vds_GetConfiguration(&status, nullptr, 0, &config),
      vds_OpenDevice(&status, nullptr, u"x", &vdevP),
      vds_Close(&status, nullptr),
      vds_SignalAbort(&status, nullptr),
      vds2_Create(&status, nullptr, u"x", &config),
      vds2_CreateEx(&status, nullptr, u"", u"x", &config),
      vds2_GetConfiguration(&status, nullptr, 0, &config),
      vds2_OpenDevice(&status, nullptr, u"x", &vdevP),
      vds2_Close(&status, nullptr),
      vds2_SignalAbort(&status, nullptr),
      vdev_GetCommand(&status, nullptr, 0, &commandP),
      vdev_CompleteCommand(&status, nullptr, commandP, 0, 0, 0),
  };
  for (HRESULT hr : notOpen) EXPECT_EQ(hr, VD_E_NOTOPEN);
  EXPECT_EQ(vds_Release(&status, nullptr), S_OK);
  EXPECT_EQ(vds2_Release(&status, nullptr), S_OK);
  EXPECT_EQ(vdev_Release(&status, nullptr), S_OK);
  std::string text = trace.text();
  EXPECT_NE(text.find("The vds does not exist!"), std::string::npos);
  EXPECT_NE(text.find("The vdev does not exist!"), std::string::npos);
  EXPECT_EQ(status.inApiCall.load(), 0u);
}

}  // namespace
