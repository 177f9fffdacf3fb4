// CSqlApi::BackupSqlDatabase and CSqlApi::RestoreSqlDatabase against the emulated server:
// what is sent, cancels, and how failures become codes and texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sqlapi_testenv.h"

namespace {

struct Stripe {
  char vdevName[300];
};

// A stored backup as the query of stored backups lists it.
struct Entry {
  struct {
    char hl[1025];
    char ll[257];
  } objName;
  void* hublorDbElemP;
};

class SqlStmtExecTest : public sqlapitest::SqlApiObjectFixture {
 protected:
  void SetUp() override {
    SqlApiObjectFixture::SetUp();
    createDatabase("sales", "PRIMARY:sales_data:2048;G2:g2_a:1024,g2_b:64");
    loadDatabase(m_Db, "sales");
    for (const char* name : {"ZARNAKSQL-000004D2-0001", "ZARNAKSQL-000004D2-0002"}) {
      Stripe s{};
      strcpy(s.vdevName, name);
      m_Stripes.addTail(&s);
    }
    m_Server.lSqlVersionMajor = 8;
  }

  // The database's element with its groups and files in the fixture's lists.
  void loadDatabase(SqlDatabaseElement& db, const char* nameP) {
    memset(&db, 0, sizeof db);
    strcpy(db.szSqlDatabaseName, nameP);
    db.pDbMessageList = &m_Messages;
    db.pDbGroupList = &m_Groups;
    db.pDbFileList = &m_Files;
    SqlDatabaseElement* dbP = &db;
    uint32_t* noCancelP = nullptr;
    ASSERT_EQ(m_Api->GetSqlDatabaseInfo(&dbP, &noCancelP), 0) << m_Api->ErrorText();
  }

  int backup(uint32_t type, SqlDbInfo info, uint32_t* cancelP = nullptr, uint32_t stripes = 2) {
    char* msgP = m_Msg;
    m_Msg[0] = 0;
    return m_Api->BackupSqlDatabase(m_BackupParms, &info, m_Stripes, stripes, type, m_Status,
                                    cancelP, msgP);
  }
  int restore(const char* ll, uint32_t* cancelP = nullptr, char* msgP = nullptr,
              uint16_t msgLen = 0) {
    Entry entry{};
    strcpy(entry.objName.hl, "\\sales");
    strcpy(entry.objName.ll, ll);
    entry.hublorDbElemP = nullptr;
    return m_Api->RestoreSqlDatabase(m_RestoreParms, m_Stripes, &m_Server, &entry, 1, &m_Status,
                                     cancelP, msgP, msgLen);
  }
  void armStatementFault(const char* kind, int message, const std::string& text = "") {
    sqlengine::Fault fault;
    fault.kind = "statement";
    fault.target = kind;
    fault.message = message;
    fault.text = text;
    ASSERT_TRUE(instance().addFault(fault).ok());
  }
  SqlGroupElement* group(const char* name) {
    for (auto* g = m_Groups.getFirst(); g != nullptr; g = m_Groups.getNext(g))
      if (strcmp(g->szGroupName, name) == 0) return g;
    return nullptr;
  }
  SqlFileElement* file(const char* name) {
    for (auto* f = m_Files.getFirst(); f != nullptr; f = m_Files.getNext(f))
      if (strcmp(f->szFileLogicalName, name) == 0) return f;
    return nullptr;
  }

  // On before the logon, so that the server's events (the statement sent) reach the trace.
  sqlapitest::TraceCapture m_Trace;
  SqlDatabaseElement m_Db;
  CLinkedList<SqlDbMessage> m_Messages;
  CLinkedList<SqlGroupElement> m_Groups;
  CLinkedList<SqlFileElement> m_Files;
  CLinkedList<Stripe> m_Stripes;
  SqlBackupParameters m_BackupParms{};
  SqlRestoreParameters m_RestoreParms{};
  SqlServerElement m_Server{};
  DPelkApiStatus m_Status;
};

TEST_F(SqlStmtExecTest, SetBackupSendsItsSelectionAndReportsTheServersFailure) {
  group("PRIMARY")->bGroupIsSelected = 1;
  m_Db.bDbGroupIsSelected = 1;
  file("g2_b")->bFileIsSelected = 1;
  file("sales_data")->bFileIsSelected = 1;  // inside a whole group: not listed again
  group("PRIMARY")->bGroupFileIsSelected = 1;
  group("G2")->bGroupFileIsSelected = 1;
  m_Db.bDbFileIsSelected = 1;
  m_BackupParms.ulNumSqlBuffers = 3;
  armStatementFault("backup", 3201, "Cannot open backup device 'x'.");
  EXPECT_EQ(backup(BACKUP_TYPE_SET, {&m_Db, nullptr, nullptr, 0}), 1914);
  EXPECT_TRUE(m_Trace.contains(
      "USE master BACKUP DATABASE [sales] FILEGROUP=N'PRIMARY', FILE=N'g2_b' TO "
      "VIRTUAL_DEVICE=N'ZARNAKSQL-000004D2-0001', VIRTUAL_DEVICE=N'ZARNAKSQL-000004D2-0002' "
      "WITH BLOCKSIZE=512, BUFFERCOUNT=3, NAME=N'set', "
      "DESCRIPTION=N'ZARNAKSQL-000004D2-0001 (Zarnak MS SQL V2)'"));
  EXPECT_NE(std::string(m_Msg).find("Cannot open backup device 'x'."), std::string::npos) << m_Msg;
  EXPECT_NE(std::string(m_Api->FailedCall()).find("Server.ExecuteImmediate(USE master BACKUP"),
            std::string::npos)
      << m_Api->FailedCall();
  EXPECT_EQ(m_Status.inApiCall, 0u);
  EXPECT_STREQ(m_Status.apiNameP, "SQL-DMO");
}

TEST_F(SqlStmtExecTest, GroupAndFileBackupsNameTheirObjectAndTheStripeCountHolds) {
  backup(BACKUP_TYPE_GROUP, {&m_Db, group("G2"), nullptr, 0}, nullptr, 1);
  EXPECT_TRUE(
      m_Trace.contains("BACKUP DATABASE [sales] FILEGROUP=N'G2' TO "
                       "VIRTUAL_DEVICE=N'ZARNAKSQL-000004D2-0001' WITH"));
  backup(BACKUP_TYPE_FILE, {&m_Db, group("G2"), file("g2_a"), 0}, nullptr, 5);
  EXPECT_TRUE(
      m_Trace.contains("BACKUP DATABASE [sales] FILE=N'g2_a' TO "
                       "VIRTUAL_DEVICE=N'ZARNAKSQL-000004D2-0001', "
                       "VIRTUAL_DEVICE=N'ZARNAKSQL-000004D2-0002' WITH"));
  EXPECT_EQ(backup(BACKUP_TYPE_GROUP, {&m_Db, nullptr, nullptr, 0}), 419);
}

TEST_F(SqlStmtExecTest, BackupCancelledBeforeSendingGives415AndSendsNothing) {
  uint32_t cancelled = 1;
  m_Trace.texts.clear();
  EXPECT_EQ(backup(BACKUP_TYPE_FULL, {&m_Db, nullptr, nullptr, 0}, &cancelled), 415);
  EXPECT_FALSE(m_Trace.contains("USE master"));
  EXPECT_STREQ(m_Api->RcName(), "RC_CANCELED_BY_USER");
  EXPECT_NE(m_Msg[0], 0);
  EXPECT_EQ(m_Api->mCommand.length(), 0u);
  // The next backup starts with an empty statement.
  backup(BACKUP_TYPE_FULL, {&m_Db, nullptr, nullptr, 0});
  EXPECT_TRUE(m_Trace.contains("USE master BACKUP DATABASE [sales] TO"));
}

// A set backup of many long-named files: the statement outgrows its first buffers and reaches
// the server whole (a cut statement would be refused as a syntax error, 102 or 105).
TEST_F(SqlStmtExecTest, ALongStatementIsSentWhole) {
  std::string groups = "PRIMARY:big_data:64;BIG:";
  for (int i = 0; i < 60; i++) {
    groups += (i ? "," : "") + std::string(100, 'f') + std::to_string(1000 + i) + ":64";
  }
  createDatabase("big", groups);
  SqlDatabaseElement big;
  loadDatabase(big, "big");
  for (auto* f = m_Files.getFirst(); f != nullptr; f = m_Files.getNext(f)) {
    if (f->peFileGroup->peGroupDatabase != &big || f->bFileIsLog) continue;
    f->bFileIsSelected = 1;
    f->peFileGroup->bGroupFileIsSelected = 1;
  }
  big.bDbFileIsSelected = 1;
  EXPECT_EQ(backup(BACKUP_TYPE_SET, {&big, nullptr, nullptr, 0}), 1914);
  EXPECT_GE(m_Api->mCommand.muiCommandSize, 8192u);
  EXPECT_EQ(std::string(m_Msg).find("Incorrect syntax"), std::string::npos) << m_Msg;
  EXPECT_EQ(std::string(m_Msg).find("Unclosed quotation"), std::string::npos) << m_Msg;
  EXPECT_NE(std::string(m_Msg).find("ZARNAKSQL-000004D2-0001"), std::string::npos) << m_Msg;
}

TEST_F(SqlStmtExecTest, BackupFailuresBeforeTheStatement) {
  failCall("Server.GetNetPacketSize", 1);
  EXPECT_EQ(backup(BACKUP_TYPE_FULL, {&m_Db, nullptr, nullptr, 0}), 1914);
  EXPECT_NE(std::string(m_Api->FailedCall()).find("Server.GetNetPacketSize()"), std::string::npos);
  memset(m_BackupParms.szDebugBackupPath, 'p', SQL_MAX_PATH_LENGTH + 1);
  EXPECT_EQ(backup(BACKUP_TYPE_FULL, {&m_Db, nullptr, nullptr, 0}), 1908);
  EXPECT_STREQ(m_Api->RcName(), "( 1900 + 8 )");
  EXPECT_NE(m_Msg[0], 0);
  m_BackupParms.szDebugBackupPath[0] = 0;
  strcpy(m_Stripes.getFirst()->vdevName, "bad\xff");
  EXPECT_EQ(backup(BACKUP_TYPE_FULL, {&m_Db, nullptr, nullptr, 0}), 1914);
  EXPECT_NE(std::string(m_Api->ErrorText()).find("MultiByteToWideChar"), std::string::npos);
}

struct Rule4306Case {
  const char* what;
  const char* ll;
  uint32_t previousWasLog, stopAt, stopAtMark, stopBeforeMark;
  int expected;
};

TEST_F(SqlStmtExecTest, Message4306Gives1917OnlyUnderAllItsConditions) {
  const Rule4306Case cases[] = {
      {"log, previous log, stopat", "\\log", 1, 1, 0, 0, 1917},
      {"log, previous log, stopatmark", "\\log", 1, 0, 1, 0, 1917},
      {"log, previous log, stopbeforemark", "\\log", 1, 0, 0, 1, 1917},
      {"previous restore not a log", "\\log", 0, 1, 0, 0, 1914},
      {"no point in time or mark", "\\log", 1, 0, 0, 0, 1914},
      {"not a log restore", "\\full", 1, 1, 0, 0, 1914},
  };
  armStatementFault("restore", 4306);
  for (const Rule4306Case& c : cases) {
    m_RestoreParms = SqlRestoreParameters{};
    m_RestoreParms.bPreviousRestoreWasLog = c.previousWasLog;
    m_RestoreParms.bStopAt = c.stopAt;
    strcpy(m_RestoreParms.szDateTime, "2026-12-10 12:00:00");
    m_RestoreParms.bStopAtMark = c.stopAtMark;
    m_RestoreParms.bStopBeforeMark = c.stopBeforeMark;
    strcpy(m_RestoreParms.szMarkName, "m1");
    char msg[512] = "untouched";
    EXPECT_EQ(restore(c.ll, nullptr, msg, sizeof msg), c.expected) << c.what;
    if (c.expected == 1914) {
      EXPECT_NE(std::string(msg).find("preceding restore"), std::string::npos) << msg;
    } else {
      EXPECT_STREQ(msg, "untouched") << c.what;
    }
  }
}

TEST_F(SqlStmtExecTest, RestoreFailureTextIsBoundedByTheCallersBuffer) {
  armStatementFault("restore", 3013, std::string(600, 'x'));
  char msg[40];
  memset(msg, 'y', sizeof msg);
  EXPECT_EQ(restore("\\full", nullptr, msg, 20), 1914);
  EXPECT_EQ(strlen(msg), 19u);
  EXPECT_EQ(msg[20], 'y');                                  // nothing written past the given length
  EXPECT_EQ(restore("\\full", nullptr, nullptr, 0), 1914);  // an internal buffer stands in
}

TEST_F(SqlStmtExecTest, RestoreOnAServerThatRefusesTheLogonGivesItsCodeAndText) {
  m_Api = makeApi();
  sqlengine::Fault refuse;
  refuse.kind = "connect";
  ASSERT_TRUE(instance().addFault(refuse).ok());
  char msg[64];
  EXPECT_EQ(restore("\\full", nullptr, msg, sizeof msg), 1900);
  EXPECT_GT(strlen(msg), 0u);
  EXPECT_LT(strlen(msg), sizeof msg);
}

TEST_F(SqlStmtExecTest, RestoreCancelledBeforeSendingGives200) {
  uint32_t cancelled = 1;
  m_Trace.texts.clear();
  EXPECT_EQ(restore("\\full", &cancelled), 200);
  EXPECT_FALSE(m_Trace.contains("USE master RESTORE"));
}

}  // namespace
