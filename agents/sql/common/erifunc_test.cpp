// The entry functions of the storage-side requests over the storage stand-in, and the cancel
// entry.
#include "erifunc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "storedbackup_testutil.h"

namespace {

// The answers the password callback gives, in order, and the kinds it was asked for.
std::vector<std::string> g_Answers;
std::vector<int> g_Asked;

int answer(int reason, int, const char*, const char*, char* outputP, int outputSize, const char*) {
  g_Asked.push_back(reason);
  std::string text = g_Answers.empty() ? "" : g_Answers.front();
  if (!g_Answers.empty()) g_Answers.erase(g_Answers.begin());
  std::snprintf(outputP, static_cast<size_t>(outputSize), "%s", text.c_str());
  return 0;
}

class EntryFunctions : public StoredBackupFixture {
 protected:
  void SetUp() override {
    StoredBackupFixture::SetUp();
    g_Answers.clear();
    g_Asked.clear();
    m_Logon.nodeNameP = "NODE1";
    m_Logon.pwCallbackP = answer;
  }
  // Logs on with the password once and off again: 0 when it is the node's password.
  int logonWith(const char* passwordP) {
    pelkApiLogonInfo logon{"NODE1", passwordP, nullptr, nullptr, nullptr};
    pelkUint32_t handle = 0;
    int rc = gPelkApiObjP->Logon(&m_Status, nullptr, &handle, &logon);
    if (rc == 0) gPelkApiObjP->Logoff(&m_Status, handle);
    return rc;
  }

  pelkApiLogonInfo m_Logon{};
  char m_Message[ERI_MESSAGE_SIZE] = "stale";
};

TEST_F(EntryFunctions, ChangePasswordAsksForWhatWasNotGiven) {
  g_Answers = {"secret", "fresh"};
  ASSERT_EQ(eriChangeMoxtarPassword(&m_Logon, m_Message), 0u) << m_Message;
  EXPECT_EQ(g_Asked, (std::vector<int>{106, 105}));
  EXPECT_STREQ(m_Message, "ZUD0260I The storage-server password has been changed.");
  EXPECT_EQ(logonWith("fresh"), 0);
}

TEST_F(EntryFunctions, ChangePasswordWithAnAnswerLeftEmptyDoesNothing) {
  const std::vector<std::vector<std::string>> answers = {{""}, {"secret", ""}};
  for (const auto& given : answers) {
    g_Answers = given;
    EXPECT_EQ(eriChangeMoxtarPassword(&m_Logon, m_Message), 0u);
    EXPECT_STREQ(m_Message, "");
  }
  EXPECT_EQ(logonWith("secret"), 0);
}

TEST_F(EntryFunctions, ChangePasswordWithAWrongPasswordFailsWithTheServersText) {
  m_Logon.passwordP = "wrong";
  m_Logon.newPasswordP = "fresh";
  EXPECT_EQ(eriChangeMoxtarPassword(&m_Logon, m_Message), 418u);
  EXPECT_NE(std::string(m_Message), "");
  EXPECT_TRUE(g_Asked.empty());
}

TEST_F(EntryFunctions, QueriesLeaveTheirTextInTheCallersBuffer) {
  pelkSessInfo session{};
  pelkApiVersion version{};
  m_Logon.passwordP = "secret";
  ASSERT_EQ(eriQueryMoxtarServer(&session, &version, &m_Logon, m_Message), 0u) << m_Message;
  EXPECT_STREQ(session.id, "NODE1");
  EXPECT_STREQ(m_Message, "");

  DSqlQueryBackupParms parms;
  EriNameList dbNames;
  parms.sqlServerNameP = "SRV1";
  parms.dbNameListP = names(dbNames, {"*"});
  parms.msgBufferP = m_Message;
  EXPECT_EQ(eriHublorQuerySqlBackups(&parms), 114u);
  EXPECT_NE(std::string(m_Message).find("SRV1"), std::string::npos) << m_Message;
}

TEST_F(EntryFunctions, InactivationTakesOnlyItsOwnCommands) {
  StoredBackup b;
  storeBackup(b);
  CInactivateBackupsParms parms;
  EriNameList dbNames;
  parms.sqlServerNameP = "SRV1";
  parms.dbNameListP = names(dbNames, {"*"});
  parms.msgBufferP = m_Message;
  parms.command = 3;
  EXPECT_EQ(eriInactivateBackups(&parms), 419u);
  EXPECT_EQ(objects("SRV1\\meta\\0000", PELK_ACTIVE).size(), 1u);
  parms.command = ERI_CMD_INACTIVATE_FULL;
  EXPECT_EQ(eriInactivateBackups(&parms), 0u) << m_Message;
  EXPECT_EQ(parms.nInactivated, 1u);
  EXPECT_EQ(objects("SRV1\\meta\\0000", PELK_ACTIVE).size(), 0u);
}

// A request that marks itself current and asks the cancel entry to cancel it.
class SelfCancelling : public DBaseEri {
 public:
  uint32_t SetupEnvironment() override { return 0; }
  uint32_t CleanupEnvironment() override { return 0; }
  uint32_t ProcessRequestDetails() override {
    eriCancelRequest(nullptr);
    return GetCancelStatus() != 0 ? 415 : 0;
  }
};

TEST_F(EntryFunctions, CancelReachesTheRunningRequestOnly) {
  EXPECT_EQ(eriCancelRequest(nullptr), 0u);  // none runs, no callback: nothing happens
  SelfCancelling request;
  EXPECT_EQ(eriRunRequest(&request, "test", 0), 415u);
  EXPECT_EQ(getCurrentRequest(), nullptr);
}

}  // namespace
