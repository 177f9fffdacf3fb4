// The inactivation request against the storage stand-in, with a clock of the test's own.
#include "inactivateeri.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "storedbackup_testutil.h"
#include "trcfile_testutil.h"

namespace {

// Now: 2001-04-08 11:41:02, three days after the default backup time.
void testNow(agentDateTime* nowP) {
  agentNativeDateTime now{2001, 4, 8, 11, 41, 2};
  dateFromNative(&now, nowP);
}

class TestInactivation : public CInactivateBackupsEri {
 public:
  explicit TestInactivation(CInactivateBackupsParms* parmsP) : CInactivateBackupsEri(parmsP) {
    m_NowRtn = testNow;
  }
};

struct Report {
  uint32_t kind, command, rc, item, items;
  std::string name;
};
std::vector<Report> g_Reports;
StatusInfo g_Finish;
DBaseEri* g_CancelAfterFirstP = nullptr;

int record(StatusInfo status) {
  Report report{status.kind, status.command, 0, 0, 0, ""};
  if (status.kind == beginStatus) {
    report.name = status.begin.nameP;
    report.item = status.begin.item;
    report.items = status.begin.items;
  } else if (status.kind == endStatus) {
    report.name = status.end.nameP;
    report.rc = status.end.rc;
    if (g_CancelAfterFirstP != nullptr) g_CancelAfterFirstP->SetCancel();
  } else if (status.kind == finishStatus) {
    g_Finish = status;
  }
  g_Reports.push_back(report);
  return RC_OK;
}

class Inactivation : public StoredBackupFixture {
 protected:
  void SetUp() override {
    StoredBackupFixture::SetUp();
    g_Reports.clear();
    g_CancelAfterFirstP = nullptr;
    m_Parms.sqlServerNameP = "SRV1";
    m_Parms.dbNameListP = names(m_DbNames, {"*"});
    m_Parms.command = ERI_CMD_INACTIVATE_ALL;
    m_Parms.statusFunctionP = record;
    m_Parms.msgBufferP = m_Message;
  }
  uint32_t run(bool cancelAfterFirst = false) {
    m_Parms.qryBuListP->freeAll();
    TestInactivation request(&m_Parms);
    if (cancelAfterFirst) g_CancelAfterFirstP = &request;
    int rc = request.ProcessRequest();
    g_CancelAfterFirstP = nullptr;
    return rc;
  }
  // The active objects of the server's meta filespace and stripe filespaces 1 to 4.
  size_t activeObjects() {
    size_t count = objects("SRV1\\meta\\0000", PELK_ACTIVE).size();
    for (const char* fs :
         {"SRV1\\data\\0001", "SRV1\\data\\0002", "SRV1\\data\\0003", "SRV1\\data\\0004"}) {
      count += objects(fs, PELK_ACTIVE).size();
    }
    return count;
  }
  // The low-level names of the active meta-data objects, sorted.
  std::vector<std::string> activeTypes() {
    std::vector<std::string> types;
    for (const qryRespBackupData& o : objects("SRV1\\meta\\0000", PELK_ACTIVE)) {
      types.push_back(o.objName.ll);
    }
    std::sort(types.begin(), types.end());
    return types;
  }
  std::vector<uint32_t> endCodes() {
    std::vector<uint32_t> codes;
    for (const Report& r : g_Reports) {
      if (r.kind == endStatus) codes.push_back(r.rc);
    }
    return codes;
  }

  CInactivateBackupsParms m_Parms;
  EriNameList m_DbNames;
  char m_Message[ERI_MSG_BUFFER_LEN + 1] = "";
};

TEST_F(Inactivation, ABackupIsInactivatedOnlyWhenOldEnough) {
  StoredBackup b;
  b.stripes = 2;
  storeBackup(b);
  const struct {
    int32_t olderThan;
    uint32_t endRc;
    size_t activeAfter;
  } cases[] = {{4, 1318, 3}, {3, 0, 0}};
  for (const auto& c : cases) {
    g_Reports.clear();
    m_Parms.nOlderthan = c.olderThan;
    EXPECT_EQ(run(), 0u) << c.olderThan;
    EXPECT_EQ(endCodes(), std::vector<uint32_t>{c.endRc}) << c.olderThan;
    EXPECT_EQ(m_Parms.nInactivated, c.endRc == PELK_RC_OK ? 1u : 0u);
    EXPECT_EQ(activeObjects(), c.activeAfter) << c.olderThan;
  }
  EXPECT_EQ(g_Finish.finish.selected, 1u);
  EXPECT_EQ(g_Finish.finish.done, 1u);
}

TEST_F(Inactivation, ReportsStartBeginEndAndFinishWithTheTypeCommand) {
  StoredBackup log;
  log.type = BACKUP_TYPE_LOG;
  storeBackup(log);
  StoredBackup future;
  future.time.year = 2002;  // later than now: never old enough
  future.db = "Payroll";
  storeBackup(future);
  m_Parms.nOlderthan = 1;
  ASSERT_EQ(run(), 0u) << m_Message;
  std::vector<std::string> seen;
  for (const Report& r : g_Reports) {
    seen.push_back(std::to_string(r.kind) + ":" + std::to_string(r.command) + ":" + r.name + ":" +
                   std::to_string(r.rc));
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"4:0::0", "2:0::0", "6:0:Payroll:1318", "3:52:Sales:0",
                                            "6:0:Sales:0", "1:0::0"}));
  EXPECT_EQ(g_Finish.finish.selected, 2u);
  EXPECT_EQ(g_Finish.finish.expected, 1u);
  EXPECT_EQ(g_Finish.finish.skipped, 1u);
}

TEST_F(Inactivation, ABackupWithAMissingStripeIsStillInactivated) {
  StoredBackup b;
  b.stripes = 3;
  b.missingStripe = 2;
  storeBackup(b);
  EXPECT_EQ(run(), 0u) << m_Message;
  EXPECT_EQ(m_Parms.nInactivated, 1u);
  EXPECT_EQ(activeObjects(), 0u);
}

TEST_F(Inactivation, TransactionsHoldAtMostTheServersObjectsPerTransaction) {
  sim({"node", "set", "NODE1", "--max-txn", "2"});
  StoredBackup b;
  b.stripes = 4;
  storeBackup(b);
  TraceFileForTest trace({TRC_API});
  ASSERT_EQ(run(), 0u) << m_Message;
  std::vector<int> sizes;
  std::string text = trace.text();
  for (size_t at = text.find("Enter dpelk"); at != std::string::npos;
       at = text.find("Enter dpelk", at + 1)) {
    if (text.compare(at, 18, "Enter dpelkBeginTx") == 0) sizes.push_back(0);
    if (text.compare(at, 18, "Enter dpelkDeleteO") == 0 && !sizes.empty()) sizes.back()++;
  }
  EXPECT_EQ(sizes, (std::vector<int>{2, 2, 1}));
  EXPECT_EQ(activeObjects(), 0u);
}

TEST_F(Inactivation, ACancelBetweenBackupsGives415) {
  for (const char* db : {"A", "B"}) {
    StoredBackup b;
    b.db = db;
    storeBackup(b);
  }
  EXPECT_EQ(run(true), 415u);
  EXPECT_EQ(endCodes().size(), 1u);
  EXPECT_EQ(m_Parms.nInactivated, 1u);
}

// An inactivation of one type inactivates the backups of that type only, also when the record's
// query type was left at every type.
TEST_F(Inactivation, ATypeInactivatesOnlyBackupsOfThatType) {
  const struct {
    uint32_t command;
    const char* ll;  // the type whose backup goes
  } cases[] = {
      {ERI_CMD_INACTIVATE_FULL, "\\full"}, {ERI_CMD_INACTIVATE_DIFF, "\\difffull"},
      {ERI_CMD_INACTIVATE_LOG, "\\log"},   {ERI_CMD_INACTIVATE_GROUP, "\\group"},
      {ERI_CMD_INACTIVATE_FILE, "\\file"}, {ERI_CMD_INACTIVATE_SET, "\\set"},
  };
  const std::vector<std::string> every = {"\\difffull", "\\file", "\\full",
                                          "\\group",    "\\log",  "\\set"};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ll);
    for (uint32_t type : {BACKUP_TYPE_FULL, BACKUP_TYPE_DIFFFULL, BACKUP_TYPE_LOG,
                          BACKUP_TYPE_GROUP, BACKUP_TYPE_FILE, BACKUP_TYPE_SET}) {
      StoredBackup b;
      b.type = type;
      b.pid += type;  // each backup an identity of its own
      if (type == BACKUP_TYPE_GROUP) b.second = "G1";
      if (type == BACKUP_TYPE_FILE) b.second = "F1";
      storeBackup(b);
    }
    ASSERT_EQ(activeTypes(), every);
    m_Parms.command = c.command;
    EXPECT_EQ(run(), 0u) << m_Message;
    EXPECT_EQ(m_Parms.nInactivated, 1u);
    std::vector<std::string> left = every;
    left.erase(std::find(left.begin(), left.end(), c.ll));
    EXPECT_EQ(activeTypes(), left);
  }
}

TEST_F(Inactivation, NothingFoundGives114ExceptForTheBackupRequest) {
  EXPECT_EQ(run(), 114u);
  EXPECT_NE(std::string(m_Message).find("SRV1"), std::string::npos) << m_Message;
  m_Parms.command = ERI_CMD_BACKUP_FULL;
  g_Reports.clear();
  EXPECT_EQ(run(), 0u);
  EXPECT_TRUE(g_Reports.empty());
}

}  // namespace
