#include "tsql.h"

#include <gtest/gtest.h>

#include "bstr.h"

namespace {

using namespace sqlengine;

ParseResult parse(const std::string& text, int version = 8) {
  return parseStatement(com::toUtf16(text), version);
}

TEST(Tsql, AcceptsTheBackupStatementsAgentsSend) {
  const char* accepted[] = {
      "USE master BACKUP DATABASE [sales] TO VIRTUAL_DEVICE=N'd1', VIRTUAL_DEVICE=N'd2' WITH "
      "BLOCKSIZE=512, BUFFERCOUNT=3, MAXTRANSFERSIZE=1048576, NAME=N'full', "
      "DESCRIPTION=N'd1 (Zarnak MS SQL V2)'",
      "USE master BACKUP DATABASE [sales] TO VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, "
      "DIFFERENTIAL, NAME=N'difffull', DESCRIPTION=N'd1 (Zarnak MS SQL V2)'",
      "USE master BACKUP LOG [sales] TO VIRTUAL_DEVICE=N'd1' WITH BLOCKSIZE=512, NO_TRUNCATE, "
      "NAME=N'log', DESCRIPTION=N'x'",
      "USE master BACKUP DATABASE [sales] FILEGROUP=N'g1', FILE=N'f2' TO VIRTUAL_DEVICE=N'd' WITH "
      "BLOCKSIZE=512, NAME=N'set', DESCRIPTION=N'd'",
      "USE master BACKUP DATABASE [sales] TO DISK='/tmp\\\\d1.DebugBackup' WITH BLOCKSIZE=512",
      "use master backup database sales to virtual_device = N'd1';",
      "USE [master]; BACKUP LOG [sales] TO VIRTUAL_DEVICE=N'd1'",
  };
  for (const char* text : accepted) {
    ParseResult r = parse(text);
    EXPECT_TRUE(r.error.ok()) << text << "\n" << r.error.number << " " << r.error.text;
  }
}

TEST(Tsql, BackupRecordHoldsEveryClause) {
  ParseResult r = parse(
      "USE master BACKUP DATABASE [my db] FILEGROUP=N'g1', FILE=N'f''2' TO VIRTUAL_DEVICE=N'd1', "
      "VIRTUAL_DEVICE=N'd2' WITH BLOCKSIZE=512, BUFFERCOUNT=3, MAXTRANSFERSIZE=1114112, "
      "NAME=N'set', DESCRIPTION=N'd1 (Zarnak MS SQL V2)'");
  ASSERT_TRUE(r.error.ok()) << r.error.text;
  EXPECT_EQ(r.useDatabase, "master");
  const auto& b = std::get<BackupStatement>(r.statement);
  EXPECT_FALSE(b.log);
  EXPECT_EQ(b.database, "my db");
  ASSERT_EQ(b.items.size(), 2u);
  EXPECT_EQ(b.items[0].kind, FileItem::kFileGroup);
  EXPECT_EQ(b.items[1].name, "f'2");
  ASSERT_EQ(b.devices.size(), 2u);
  EXPECT_EQ(b.devices[1].name, "d2");
  EXPECT_EQ(b.transfer.blockSize, 512u);
  EXPECT_EQ(b.transfer.bufferCount, 3u);
  EXPECT_EQ(b.transfer.maxTransferSize, 1114112u);
  EXPECT_EQ(b.name, "set");
  EXPECT_EQ(b.description, "d1 (Zarnak MS SQL V2)");
}

TEST(Tsql, RestoreRecordHoldsEveryClause) {
  ParseResult r = parse(
      "USE master RESTORE LOG [sales] from VIRTUAL_DEVICE=N'd1',VIRTUAL_DEVICE=N'd2' WITH "
      "BLOCKSIZE=512, RECOVERY, STOPATMARK=N'm1' AFTER N't1'");
  ASSERT_TRUE(r.error.ok()) << r.error.text;
  const auto& s = std::get<RestoreStatement>(r.statement);
  EXPECT_TRUE(s.log);
  EXPECT_EQ(s.devices.size(), 2u);
  EXPECT_EQ(s.recovery, RestoreStatement::kRecovery);
  EXPECT_TRUE(s.recoveryGiven);
  EXPECT_EQ(s.stopMark, RestoreStatement::kStopAtMark);
  EXPECT_EQ(s.markName, "m1");
  EXPECT_EQ(s.after, "t1");

  r = parse(
      "USE master RESTORE DATABASE [new] FILEGROUP=N'g1', FILE=N'f1' from VIRTUAL_DEVICE=N'd1' "
      "WITH BLOCKSIZE=512, BUFFERCOUNT=2, MAXTRANSFERSIZE=65536, RESTRICTED_USER, PARTIAL, "
      "MOVE N'a' TO N'/x/a.mdf', MOVE N'b' TO N'/x/b.ldf', STANDBY=N'/x/undo.dat', REPLACE");
  ASSERT_TRUE(r.error.ok()) << r.error.text;
  const auto& d = std::get<RestoreStatement>(r.statement);
  EXPECT_FALSE(d.log);
  EXPECT_EQ(d.items.size(), 2u);
  EXPECT_TRUE(d.restrictedUser && d.partial && d.replace);
  ASSERT_EQ(d.moves.size(), 2u);
  EXPECT_EQ(d.moves[1].physicalName, "/x/b.ldf");
  EXPECT_EQ(d.recovery, RestoreStatement::kStandby);
  EXPECT_EQ(d.standbyFile, "/x/undo.dat");

  r = parse("RESTORE LOG [s] FROM VIRTUAL_DEVICE=N'd' WITH DBO_ONLY, NORECOVERY, STOPAT=N'x'", 7);
  ASSERT_TRUE(r.error.ok()) << r.error.text;
  EXPECT_EQ(std::get<RestoreStatement>(r.statement).stopAt, "x");
  EXPECT_TRUE(std::get<RestoreStatement>(r.statement).recoveryGiven);
}

TEST(Tsql, RefusesEverythingElseWithTheServersMessage) {
  struct Case {
    const char* text;
    int version;
    int number;
    const char* text_has;
  } cases[] = {
      {"SELECT * FROM sysdatabases", 8, 156, "'SELECT'"},
      {"", 8, 102, "''"},
      {"BACKUP DATABASE [sales] TO VIRTUAL_DEVICE=N'd", 8, 105, "'d"},
      {"BACKUP DATABASE [sales TO VIRTUAL_DEVICE=N'd'", 8, 105, ""},
      {"BACKUP DATABASE [sales] VIRTUAL_DEVICE=N'd'", 8, 102, "'VIRTUAL_DEVICE'"},
      {"BACKUP DATABASE [sales] TO TAPE=N'd'", 8, 102, "'TAPE'"},
      {"BACKUP DATABASE [sales] TO VIRTUAL_DEVICE=N'd' WITH INIT", 8, 155,
       "'INIT' is not a recognized BACKUP option."},
      {"BACKUP LOG [sales] FILE=N'f' TO VIRTUAL_DEVICE=N'd'", 8, 156, "'FILE'"},
      {"BACKUP LOG [sales] TO VIRTUAL_DEVICE=N'd' WITH DIFFERENTIAL", 8, 3032, "differential"},
      {"BACKUP DATABASE [sales] TO VIRTUAL_DEVICE=N'd' WITH NO_TRUNCATE", 8, 3032, "no_truncate"},
      {"BACKUP DATABASE [sales] TO VIRTUAL_DEVICE=N'd' WITH BLOCKSIZE=x", 8, 102, "'x'"},
      {"BACKUP DATABASE [sales] TO VIRTUAL_DEVICE=N'd' WITH BLOCKSIZE=99999999999", 8, 102, ""},
      {"BACKUP DATABASE [sales] TO VIRTUAL_DEVICE=N'd' WITH NAME=N'a', NAME=N'b'", 8, 3031, "NAME"},
      {"BACKUP DATABASE [sales] TO VIRTUAL_DEVICE=N'd' WITH BLOCKSIZE=512,", 8, 102, ""},
      {"BACKUP DATABASE [sales] TO VIRTUAL_DEVICE=N'd' SELECT 1", 8, 156, "'SELECT'"},
      {"BACKUP DATABASE @db TO VIRTUAL_DEVICE=N'd'", 8, 102, "'@db'"},
      {"RESTORE DATABASE [s] FROM VIRTUAL_DEVICE=N'd' WITH RECOVERY, NORECOVERY", 8, 3031,
       "'NORECOVERY' conflicts with option(s) 'RECOVERY'"},
      {"RESTORE LOG [s] FROM VIRTUAL_DEVICE=N'd' WITH STOPAT=N'x', STOPATMARK=N'm'", 8, 3031, ""},
      {"RESTORE LOG [s] FROM VIRTUAL_DEVICE=N'd' WITH PARTIAL", 8, 3032, "partial"},
      {"RESTORE LOG [s] FROM VIRTUAL_DEVICE=N'd' WITH RESTRICTED_USER", 7, 155,
       "'RESTRICTED_USER' is not a recognized RESTORE option."},
      {"RESTORE LOG [s] FROM VIRTUAL_DEVICE=N'd' WITH STOPBEFOREMARK=N'm'", 7, 155, ""},
      {"RESTORE DATABASE [s] FROM VIRTUAL_DEVICE=N'd' WITH PARTIAL", 7, 155, ""},
      {"RESTORE DATABASE [s] FROM VIRTUAL_DEVICE=N'd' WITH MOVE N'a' N'b'", 8, 102, "'b'"},
      {"RESTORE LOG [s] FROM VIRTUAL_DEVICE=N'd' WITH AFTER N't'", 8, 155, ""},
      {"RESTORE LOG [s] FROM VIRTUAL_DEVICE=N'd' WITH STANDBY=N'u', STANDBY=N'v'", 8, 3031, ""},
      {"RESTORE DATABASE [s] TO VIRTUAL_DEVICE=N'd'", 8, 156, "'TO'"},
  };
  for (const Case& c : cases) {
    ParseResult r = parse(c.text, c.version);
    EXPECT_EQ(r.error.number, c.number) << c.text << "\n" << r.error.text;
    EXPECT_NE(r.error.text.find(c.text_has), std::string::npos) << c.text << "\n" << r.error.text;
    EXPECT_EQ(static_cast<std::uint32_t>(r.error.hresult()), 0x80040000u + c.number);
  }
}

TEST(Tsql, IdentifierLongerThan128IsRefused) {
  std::string name(129, 'a');
  ParseResult r = parse("BACKUP DATABASE [" + name + "] TO VIRTUAL_DEVICE=N'd'");
  EXPECT_EQ(r.error.number, 103);
}

TEST(Tsql, NamesCountCharactersAndTheMessageNeverCutsOne) {
  const std::string character = "\xe5\x90\x8d";  // three bytes in UTF-8
  std::string longest;
  for (int i = 0; i < 128; ++i) longest += character;
  for (const std::string& form : {"[" + longest + "]", longest}) {
    ParseResult ok = parse("BACKUP DATABASE " + form + " TO VIRTUAL_DEVICE=N'd'");
    EXPECT_EQ(ok.error.number, 0) << ok.error.text;
  }
  ParseResult r = parse("BACKUP DATABASE [" + longest + character + "] TO VIRTUAL_DEVICE=N'd'");
  EXPECT_EQ(r.error.number, 103);
  EXPECT_NE(r.error.text.find("'" + longest + "'"), std::string::npos) << r.error.text;
}

}  // namespace
