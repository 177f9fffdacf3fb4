// The backup request end to end: databases of the emulated SQL Server selected by name, backed
// up through the request's own storage sessions, with its reports, its logs, its stripe caps,
// its skips and failures, the inactivation after a full backup and a cancel.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "backup_db_env.h"
#include "bkeri.h"
#include "bklist.h"
#include "pelkapi.h"
#include "trcfile_testutil.h"
#include "vdi_stripes.h"

namespace {

struct Report {
  uint32_t kind;
  uint32_t command;
  std::string name;
  uint32_t rc;
  StatusFinish finish;
};
std::vector<Report> g_Reports;
DBaseEri* g_CancelAtP = nullptr;
int g_CancelAtBegin = 0;  // cancels when this begin report comes
DBaseEri* g_RequestP = nullptr;
bool g_CurrentAtEveryBegin = true;  // the running request was the current one at every begin

int record(StatusInfo status) {
  Report report{status.kind, status.command, "", 0, {}};
  if (status.kind == beginStatus) {
    report.name = status.begin.nameP;
    g_CurrentAtEveryBegin = g_CurrentAtEveryBegin && getCurrentRequest() == g_RequestP;
    if (g_CancelAtP != nullptr && --g_CancelAtBegin == 0) g_CancelAtP->SetCancel();
  }
  if (status.kind == endStatus) {
    report.name = status.end.nameP;
    report.rc = status.end.rc;
  }
  if (status.kind == msgoutStatus) report.name = status.msgout.textP;
  if (status.kind == finishStatus) report.finish = status.finish;
  if (status.kind != progressStatus || g_Reports.empty() ||
      g_Reports.back().kind != progressStatus) {
    g_Reports.push_back(report);
  }
  return 0;
}

class BackupRequestTest : public BackupDbFixture {
 protected:
  void SetUp() override {
    BackupDbFixture::SetUp();
    g_Reports.clear();
    g_CancelAtP = nullptr;
    for (const char* name : {"hr", "ops"}) {
      sqlengine::SqlError e = stripes::makeDatabase(*m_Instance, name, 2);
      ASSERT_TRUE(e.ok()) << e.text;
    }
    requestParms(&m_Parms, m_Message, 4, 100);
    m_Parms.statusFunctionP = record;
  }
  void TearDown() override {
    m_Selection.freeAll();
    BackupDbFixture::TearDown();
  }

  // Runs the request over the named databases.
  uint32_t run(const std::vector<std::string>& names, int cancelAtBegin = 0) {
    m_SelGroups.freeAll();
    m_SelFiles.freeAll();
    m_SelMessages.freeAll();
    EXPECT_EQ(selectDatabases(&m_Selection, names, m_Message), 0) << m_Message;
    m_Message[0] = '\0';
    DSqlBackupDatabaseEri request(&m_Parms, &m_Selection, &m_SelGroups, nullptr, &m_SelFiles,
                                  nullptr);
    g_RequestP = &request;
    g_CurrentAtEveryBegin = true;
    g_CancelAtP = cancelAtBegin > 0 ? &request : nullptr;
    g_CancelAtBegin = cancelAtBegin;
    setCurrentRequest(&request);
    uint32_t rc = request.ProcessRequest();
    setCurrentRequest(nullptr);
    g_CancelAtP = nullptr;
    return rc;
  }
  std::vector<std::string> reportLines() {
    std::vector<std::string> lines;
    for (const Report& r : g_Reports) {
      std::string line = std::to_string(r.kind) + ":" + std::to_string(r.command);
      if (r.kind == beginStatus || r.kind == endStatus) line += ":" + r.name;
      if (r.kind == endStatus) line += ":" + std::to_string(r.rc);
      lines.push_back(line);
    }
    return lines;
  }
  const Report* finish() {
    for (const Report& r : g_Reports) {
      if (r.kind == finishStatus) return &r;
    }
    return nullptr;
  }
  std::string events() { return simOutput({"events"}); }

  DSqlBackupDatabaseParms m_Parms{};
  char m_Message[ERI_MSG_BUFFER_LEN + 1] = "";
  CLinkedList<SqlDatabaseElement> m_Selection;
  CLinkedList<SqlGroupElement> m_SelGroups;
  CLinkedList<SqlFileElement> m_SelFiles;
  CLinkedList<SqlDbMessage> m_SelMessages;
};

TEST_F(BackupRequestTest, ThreeDatabasesFullAndLogReportInOrderAndStampTheFilespaces) {
  m_Parms.bIncludeLogBackup = 1;
  ASSERT_EQ(run({"hr", "ops", "sales"}), 0u) << m_Message;
  std::vector<std::string> expected = {"4:0"};
  for (const char* db : {"sales", "hr", "ops"}) {  // the server's order
    for (uint32_t command : {3u, 5u}) {
      std::string c = std::to_string(command);
      expected.push_back("3:" + c + ":" + db);
      expected.push_back("0:0");
      expected.push_back("6:" + c + ":" + db + ":0");
    }
  }
  expected.push_back("1:0");
  EXPECT_EQ(reportLines(), expected);
  // The database-information query left the backup the current request, so a cancel reaches it.
  EXPECT_TRUE(g_CurrentAtEveryBegin);
  const Report* f = finish();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->finish.selected, 6u);
  EXPECT_EQ(f->finish.expected, 6u);
  EXPECT_EQ(f->finish.done, 6u);
  EXPECT_EQ(f->finish.skipped, 0u);
  EXPECT_GT(f->finish.totalBytes, 0u);

  std::string log = logText();
  EXPECT_NE(log.find("The request for SQL Server TESTHOST started."), std::string::npos);
  EXPECT_NE(log.find("Backups done                6"), std::string::npos);
  std::string server = events();
  EXPECT_NE(server.find("Backup of databases of SQL Server TESTHOST started."), std::string::npos);
  EXPECT_EQ(countOf(server, "ended successfully."), 6);
  EXPECT_NE(server.find("The log backup of database ops of SQL Server TESTHOST started."),
            std::string::npos);

  MoxtarFilespaceList spaces;
  ASSERT_EQ(qryFilespaces(&m_Status, m_Handle, PELK_ANYMATCH, "TESTHOST*", getFsType(), nullptr,
                          &spaces, m_ErrorText, 1),
            0);
  int stamped = 0;
  for (qryRespFSData* p = spaces.getFirst(); p != nullptr; p = spaces.getNext(p)) {
    pelkDate start = p->backStartDate;
    pelkDate done = p->backCompleteDate;
    bool used = false;
    for (uint32_t i = 0; i <= 4; i++) used = used || fsName(i) == p->fsName;
    if (!used) continue;
    stamped++;
    EXPECT_NE(start.year, 0) << p->fsName;
    EXPECT_NE(done.year, 0) << p->fsName;
  }
  EXPECT_EQ(stamped, 5);
}

}  // namespace

namespace {

TEST_F(BackupRequestTest, StripesAreCappedByTheServersObjectsPerTransaction) {
  sim({"node", "set", "NODE1", "--max-txn", "4"});
  ASSERT_EQ(run({"hr"}), 0u) << m_Message;
  EXPECT_NE(logText().find("at most 4 objects in one transaction, too few for 4 stripes and the "
                           "meta-data object; 3 stripes are used."),
            std::string::npos);
  objInfo info;
  std::vector<qryRespBackupData> meta = stored(0, PELK_ACTIVE);
  ASSERT_EQ(meta.size(), 1u);
  ASSERT_EQ(objInfoFromResp(meta[0], OBJINFO_META_SIZE, &info), 0);
  EXPECT_EQ(info.numStripes, 3u);

  sim({"node", "set", "NODE1", "--max-txn", "1"});
  EXPECT_EQ(run({"ops"}), 402u);
  EXPECT_NE(logText().find("0 stripes are used."), std::string::npos);
}

TEST_F(BackupRequestTest, StripesAreCappedBySqlServer7AndItsBuffers) {
  sqlengine::ServerFacts facts;
  ASSERT_TRUE(m_Instance->facts(facts).ok());
  facts.versionMajor = 7;
  ASSERT_TRUE(m_Instance->setFacts(facts).ok());
  m_Parms.nStripes = 40;
  m_Parms.sqlParms.ulNumSqlBuffers = 16;
  EXPECT_EQ(run({}), RC_NOTHING_SELECTED);
  EXPECT_EQ(m_Parms.nStripes, 16);
  EXPECT_EQ(finish(), nullptr);
}

// backupDbList with fewer sessions than stripes runs one stripe per session.
TEST_F(BackupRequestTest, FewerSessionsThanStripesRunOneStripePerSession) {
  CLinkedList<HublorSessionInfo> two;
  two.addTail(m_Sessions.getFirst());
  two.addTail(m_Sessions.getNext(m_Sessions.getFirst()));
  CLinkedList<uint32_t> types;
  uint32_t full = BACKUP_TYPE_FULL;
  types.addTail(&full);
  CLinkedList<SqlDbInfo> infos;
  infos.addTail(&m_DbInfo);
  uint32_t notCancelled = 0;
  char msg[NLS_MSG_MAX];
  BackupListJob job;
  job.statusMilliSeconds = 100;
  job.sessionsP = &two;
  job.serverP = &m_Server;
  job.estimatePct = 50;
  job.typesP = &types;
  job.databasesP = &infos;
  job.bufferSize = 64;
  job.numBuffers = 3;
  job.numStripes = 4;
  job.cancelP = &notCancelled;
  job.olderThan = -1;
  job.msgBufferP = msg;
  ASSERT_EQ(backupDbList(&job), 0u) << msg;
  EXPECT_EQ(job.backupsDone, 1u);
  EXPECT_GT(job.totalBytes, 0u);
  EXPECT_NE(logText().find("Only 2 storage-server sessions are open for 4 stripes; 2 stripes are "
                           "used."),
            std::string::npos);
}

TEST_F(BackupRequestTest, ADatabaseThatCannotBeReadIsCountedButNotBackedUp) {
  sqlengine::Fault fault;
  fault.kind = "call";
  fault.target = "Database.GetCompatibilityLevel";
  fault.times = 1;
  ASSERT_TRUE(m_Instance->addFault(fault).ok());
  EXPECT_EQ(run({"hr", "sales"}), 402u);
  const Report* f = finish();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->finish.selected, 2u);
  EXPECT_EQ(f->finish.expected, 1u);
  EXPECT_EQ(f->finish.done, 1u);
  EXPECT_NE(logText().find("is not backed up: its information cannot be read"), std::string::npos);
}

TEST_F(BackupRequestTest, AnObjectThePolicyExcludesIsSkipped) {
  sim({"rule", "add", "*", "\\ops", "*", "--exclude"});
  EXPECT_EQ(run({"ops", "sales"}), 0u) << m_Message;
  const Report* f = finish();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->finish.selected, 2u);
  EXPECT_EQ(f->finish.expected, 1u);
  EXPECT_EQ(f->finish.done, 1u);
  EXPECT_EQ(f->finish.skipped, 1u);
}

// A name the stored names cannot keep is refused; the others are backed up.
TEST_F(BackupRequestTest, ADatabaseNameWithAWildcardIsRefused) {
  sqlengine::SqlError e = stripes::makeDatabase(*m_Instance, "we*ird", 2);
  ASSERT_TRUE(e.ok()) << e.text;
  EXPECT_EQ(run({"we*ird", "sales"}), 402u);
  EXPECT_NE(logText().find("Database we*ird is not backed up: its name holds a character"),
            std::string::npos);
  const Report* f = finish();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->finish.done, 1u);
}

TEST_F(BackupRequestTest, ANewFullBackupInactivatesOlderDifferentialAndLogBackups) {
  for (uint32_t command :
       {ERI_CMD_BACKUP_FULL, ERI_CMD_BACKUP_DIFF, ERI_CMD_BACKUP_LOG, ERI_CMD_BACKUP_FULL}) {
    m_Parms.command = command;
    g_Reports.clear();
    ASSERT_EQ(run({"sales"}), 0u) << command << " " << m_Message;
  }
  const Report* f = finish();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->finish.inactivated, 2u);
  std::vector<qryRespBackupData> active = stored(0, PELK_ACTIVE);
  ASSERT_EQ(active.size(), 1u);
  EXPECT_STREQ(active[0].objName.ll, "\\full");
}

// The query of the backups to inactivate after a full backup fails: the storage server's text
// reaches the activity log beside the message that points to it.
TEST_F(BackupRequestTest, AFailedInactivationQueryLogsTheServersText) {
  m_Parms.command = ERI_CMD_BACKUP_FULL;
  TraceFileForTest trace({TRC_API});
  ASSERT_EQ(run({"sales"}), 0u) << m_Message;
  int queries = countOf(trace.text(), "Enter dpelkBeginQuery");
  ASSERT_GT(queries, 0);
  // The last query of a full backup is the inactivation's query of the stored backups.
  armFault("pelkBeginQuery nth=" + std::to_string(queries) + " code=PELK_RC_STORE_ERROR");
  run({"sales"});
  clearFaults();
  EXPECT_NE(logText().find("The server's store reported an error."), std::string::npos)
      << logText();
}

TEST_F(BackupRequestTest, ALogonFailureOnTheThirdSessionFailsWithTheServersText) {
  armFault("pelkInit nth=3 code=2007");
  TraceFileForTest trace({TRC_API});
  EXPECT_EQ(run({"sales"}), 418u);
  EXPECT_STRNE(m_Message, "");
  EXPECT_EQ(countOf(trace.text(), "Enter dpelkTerminate"), 2);  // sessions 1 and 2 logged off
  EXPECT_TRUE(stored(0).empty());
}

// A cancel while the second database is backed up: 415, the item's end report, the completion
// dates of the filespaces.
TEST_F(BackupRequestTest, ACancelInTheMiddleOfTheListStillReportsAndStamps) {
  EXPECT_EQ(run({"hr", "ops", "sales"}, 2), 415u);
  std::vector<std::string> ends;
  for (const Report& r : g_Reports) {
    if (r.kind == endStatus) ends.push_back(r.name + ":" + std::to_string(r.rc));
  }
  ASSERT_EQ(ends.size(), 2u);
  EXPECT_EQ(ends[1].substr(ends[1].find(':')), ":415");
  MoxtarFilespaceList spaces;
  ASSERT_EQ(qryFilespaces(&m_Status, m_Handle, PELK_ANYMATCH, "TESTHOST*", getFsType(), nullptr,
                          &spaces, m_ErrorText, 1),
            0);
  for (qryRespFSData* p = spaces.getFirst(); p != nullptr; p = spaces.getNext(p)) {
    if (fsName(0) != p->fsName) continue;
    pelkDate start = p->backStartDate;
    pelkDate done = p->backCompleteDate;
    EXPECT_NE(start.year, 0);
    EXPECT_NE(done.year, 0);
  }
}

}  // namespace

namespace {

// An object whose first type fails has its later types skipped; the next object runs.
TEST_F(BackupRequestTest, AFailedTypeSkipsTheObjectsLaterTypes) {
  m_Parms.bIncludeLogBackup = 1;
  armFault("pelkSendObj nth=1 code=2015");
  EXPECT_EQ(run({"sales", "hr"}), 402u);
  std::vector<std::string> ends;
  for (const Report& r : g_Reports) {
    if (r.kind == endStatus) ends.push_back(r.name + ":" + std::to_string(r.rc));
  }
  EXPECT_EQ(ends, (std::vector<std::string>{"sales:418", "sales:1318", "hr:0", "hr:0"}));
  EXPECT_NE(logText().find("Skipped because an earlier backup or restore of the same database "
                           "failed."),
            std::string::npos);
}

}  // namespace
