// The entry functions of the storage-side requests over the storage stand-in, and the cancel
// entry.
#include "erifunc.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "erifunc_testutil.h"
#include "errormsg.h"
#include "storedbackup_testutil.h"
#include "trcfile_testutil.h"

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
    if (rc == PELK_RC_OK) gPelkApiObjP->Logoff(&m_Status, handle);
    return rc;
  }

  // A record for every database of the server, with the test's message buffer.
  void everyDatabaseOf(const char* serverP, DSqlQueryBackupParms& parms) {
    parms.sqlServerNameP = serverP;
    parms.dbNameListP = names(m_EveryDb, {"*"});
    parms.msgBufferP = m_Message;
  }

  pelkApiLogonInfo m_Logon{};
  EriNameList m_EveryDb;
  char m_Message[ERI_MESSAGE_SIZE] = "stale";
};

TEST_F(EntryFunctions, ChangePasswordAsksForWhatWasNotGiven) {
  g_Answers = {"secret", "fresh"};
  ASSERT_EQ(eriChangeMoxtarPassword(&m_Logon, m_Message), 0u) << m_Message;
  EXPECT_EQ(g_Asked, (std::vector<int>{106, 105}));
  EXPECT_STREQ(m_Message, "ZUD0260I The storage-server password has been changed.");
  EXPECT_EQ(logonWith("fresh"), 0);
}

// An answer left empty is a failure (423) with nothing done, not a success.
TEST_F(EntryFunctions, ChangePasswordWithAnAnswerLeftEmptyFailsAndDoesNothing) {
  const std::vector<std::vector<std::string>> answers = {{""}, {"secret", ""}};
  for (const auto& given : answers) {
    g_Answers = given;
    EXPECT_EQ(eriChangeMoxtarPassword(&m_Logon, m_Message), 423u);
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
  everyDatabaseOf("SRV1", parms);
  EXPECT_EQ(eriHublorQuerySqlBackups(&parms), 114u);
  EXPECT_NE(std::string(m_Message).find("SRV1"), std::string::npos) << m_Message;
}

TEST_F(EntryFunctions, InactivationTakesOnlyItsOwnCommands) {
  ActivityLogForTest log(m_Root.path());
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
  EXPECT_EQ(log.lines(), 0) << log.text();
  parms.command = ERI_CMD_INACTIVATE_FULL;
  EXPECT_EQ(eriInactivateBackups(&parms), 0u) << m_Message;
  EXPECT_EQ(parms.nInactivated, 1u);
  EXPECT_EQ(objects("SRV1\\meta\\0000", PELK_ACTIVE).size(), 0u);
}

// Unknown restore commands run nothing and log nothing; the request is not even set up.
TEST_F(EntryFunctions, RestoreTakesOnlyItsOwnCommands) {
  ActivityLogForTest log(m_Root.path());
  CRestoreBackupsParms parms;
  EriNameList dbNames;
  parms.sqlServerNameP = "SRV1";
  parms.dbNameListP = names(dbNames, {"*"});
  parms.msgBufferP = m_Message;
  for (uint32_t command : {0u, 70u, 78u, 3u}) {
    parms.command = command;
    EXPECT_EQ(eriRestoreBackups(&parms), 419u) << command;
  }
  EXPECT_STREQ(m_Message, "stale");
  EXPECT_EQ(log.lines(), 0) << log.text();
}

// The start line of each storage-side entry, with its inserts in order.
TEST_F(EntryFunctions, EachEntryLogsItsStartLineWithItsInserts) {
  ActivityLogForTest log(m_Root.path());
  StoredBackup b;
  storeBackup(b);
  pelkSessInfo session{};
  m_Logon.passwordP = "secret";
  std::string optFile = optionFilePath();
  m_Logon.optFileP = optFile.c_str();
  EXPECT_EQ(eriQueryMoxtarServer(&session, nullptr, &m_Logon, m_Message), 0u) << m_Message;
  EXPECT_EQ(log.count(5210, optFile.c_str(), "NODE1"), 1) << log.text();
  m_Logon.newPasswordP = "secret2";
  EXPECT_EQ(eriChangeMoxtarPassword(&m_Logon, m_Message), 0u) << m_Message;
  EXPECT_EQ(log.count(5211, optFile.c_str(), "NODE1"), 1) << log.text();

  struct QueryCase {
    uint32_t qryCommand;
    int msgNum;
    std::vector<std::string> second;  // object names; none: no name list
    const char* secondText;
  };
  const QueryCase queries[] = {
      {63, 5213, {}, "-"},
      {ERI_QRY_FULL, 5215, {}, "-"},
      {ERI_QRY_LOG, 5217, {"20010405114102\\*", "2*"}, "20010405114102\\*,2*"},
      {70, 5214, {}, "-"},
      {99, 0, {}, ""},  // an unknown type: the internal-error message, and the query runs
  };
  for (const QueryCase& c : queries) {
    SCOPED_TRACE(c.qryCommand);
    DSqlQueryBackupParms parms;
    EriNameList dbNames;
    EriObjectNameList second;
    parms.sqlServerNameP = "SRV1";
    parms.dbNameListP = names(dbNames, {"Sales", "Pay*"});
    if (!c.second.empty()) parms.objectNameListP = objectNames(second, c.second);
    parms.qryCommand = c.qryCommand;
    parms.bAll = 1;
    parms.msgBufferP = m_Message;
    eriHublorQuerySqlBackups(&parms);
    parms.qryBuListP->freeAll();
    if (c.msgNum == 0) {
      EXPECT_EQ(log.count(agentRcMessage(419), ""), 1) << log.text();
      continue;
    }
    EXPECT_EQ(log.count(c.msgNum, "SRV1", "Sales,Pay*", c.secondText, "Yes", "No", "No", "No"), 1)
        << log.text();
  }

  CInactivateBackupsParms inact;
  EriNameList dbNames;
  EriNameList groups;
  inact.sqlServerNameP = "SRV1";
  inact.dbNameListP = names(dbNames, {"Sales"});
  inact.groupFileListP = names(groups, {"G1", "G2"});
  inact.nOlderthan = -1;
  inact.msgBufferP = m_Message;
  inact.command = ERI_CMD_INACTIVATE_GROUP;
  eriInactivateBackups(&inact);
  EXPECT_EQ(log.count(5225, "GROUP", "Sales", "Group", "G1,G2", "-", "-", "SRV1", optFile.c_str(),
                      "NODE1"),
            1)
      << log.text();
  inact.command = ERI_CMD_INACTIVATE_ALL;
  inact.nOlderthan = 30;
  eriInactivateBackups(&inact);
  EXPECT_EQ(log.count(5224, "ALL", "Sales", "-", "30", "SRV1", optFile.c_str(), "NODE1"), 1)
      << log.text();
}

// With the PERFormance trace on, the queries write their elapsed time to the activity log; the
// inactivation writes it to the trace only.
TEST_F(EntryFunctions, ElapsedTimeLinesGoWhereTheEntrySays) {
  ActivityLogForTest log(m_Root.path());
  TraceFileForTest trace({TRC_PERFORMANCE});
  DSqlQueryBackupParms parms;
  everyDatabaseOf("SRV1", parms);
  EXPECT_EQ(eriHublorQuerySqlBackups(&parms), 114u);
  CInactivateBackupsParms inact;
  everyDatabaseOf("SRV1", inact);
  inact.command = ERI_CMD_INACTIVATE_ALL;
  EXPECT_EQ(eriInactivateBackups(&inact), 114u);
  EXPECT_NE(log.text().find("dSqlQueryBackupEriObj.ProcessRequest()"), std::string::npos);
  EXPECT_EQ(log.text().find("cInactivateBackupsEriObj.ProcessRequest()"), std::string::npos);
  EXPECT_NE(trace.text().find("cInactivateBackupsEriObj.ProcessRequest()"), std::string::npos);
}

// The servers query: its start line names the server and the option file, its result lands in
// the caller's list, and its failure text in the caller's buffer.
TEST_F(EntryFunctions, TheServersQueryFillsTheCallersListOrBuffer) {
  ActivityLogForTest log(m_Root.path());
  StoredBackup b;
  storeBackup(b);
  MoxtarFilespaceList found;
  DSqlQueryFilespaceParms parms{"SRV1", &found, m_Message};
  EXPECT_EQ(eriHublorQuerySqlServers(&parms), 0u) << m_Message;
  EXPECT_EQ(found.getCount(), 1u);
  EXPECT_STREQ(m_Message, "");
  EXPECT_EQ(log.count(5212, "SRV1", apiOptFileText()), 1) << log.text();
  found.freeAll();
  DSqlQueryFilespaceParms none{"NOSUCH", &found, m_Message};
  EXPECT_NE(eriHublorQuerySqlServers(&none), 0u);
  EXPECT_NE(std::string(m_Message), "");
}

// A request that marks itself current and asks the cancel entry to cancel it.
class SelfCancelling : public DBaseEri {
 public:
  int SetupEnvironment() override { return RC_OK; }
  int CleanupEnvironment() override { return RC_OK; }
  int ProcessRequestDetails() override {
    eriCancelRequest(nullptr);
    return GetCancelStatus() != 0 ? 415 : 0;
  }
};

TEST_F(EntryFunctions, CancelReachesTheRunningRequestOnly) {
  ActivityLogForTest log(m_Root.path());
  EXPECT_EQ(eriCancelRequest(nullptr), 0u);  // none runs, no callback: nothing happens
  SelfCancelling request;
  EXPECT_EQ(eriRunRequest(&request, "test", 0), 415u);
  EXPECT_EQ(getCurrentRequest(), nullptr);
  EXPECT_EQ(log.count(5300), 2) << log.text();
}

// The front end takes its log away and deletes it at its end while a console event may be
// cancelling on another thread: the cancel never writes to a log that has been taken away.
TEST_F(EntryFunctions, ACancelRacingTheRemovalOfTheLogNeverWritesToADeletedLog) {
  std::string path = (m_Root.path() / "race.log").string();
  std::atomic<bool> done{false};
  std::thread canceller([&done] {
    while (!done.load()) eriCancelRequest(nullptr);
  });
  for (int i = 0; i < 500; i++) {
    CLog* logP = new CLog();
    EXPECT_EQ(logP->SetLogName(path.c_str()), 0);
    setActivityLog(logP);
    std::this_thread::sleep_for(std::chrono::microseconds(50));
    delete setActivityLog(nullptr);
  }
  done = true;
  canceller.join();
  EXPECT_GT(countLines(fileText(path), 5300), 0);
}

int sayWhy(int reason) {
  std::fprintf(stderr, "exit callback %d\n", reason);
  return 0;
}

// With no request running, a cancel with an exit callback ends the process with 415 (its low
// byte) after the callback has run.
TEST(CancelEntry, WithNoRequestAndAnExitCallbackTheProcessEndsWith415) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(eriCancelRequest(sayWhy), testing::ExitedWithCode(415 & 0xFF), "exit callback 1");
}

}  // namespace
