// Set-up, logon, passwords, session facts, texts of codes and the reported version.
#include <cstring>
#include <fstream>

#include "fixture.h"

namespace {

using SessionTest = HublorTest;

TEST_F(SessionTest, LogonChecksNodeAndPassword) {
  uint32_t handle = 99;
  EXPECT_EQ(logon(handle, "NODE1", "wrong"), PELK_RC_BAD_PASSWORD);
  EXPECT_EQ(handle, 0u);
  EXPECT_EQ(logon(handle, "NOBODY", "secret"), PELK_RC_NODE_UNKNOWN);
  EXPECT_EQ(logon(handle, "NODE1", ""), PELK_RC_BAD_PASSWORD);
  ASSERT_EQ(logon(handle, "node1", "secret"), PELK_RC_OK);  // node names ignore case
  EXPECT_NE(handle, 0u);
  uint32_t fromOptionFile = 0;
  ASSERT_EQ(logon(fromOptionFile, nullptr, "secret"), PELK_RC_OK);
  EXPECT_NE(fromOptionFile, handle);
  EXPECT_EQ(a().pelkTerminate(handle), PELK_RC_OK);
  EXPECT_EQ(a().pelkTerminate(handle), PELK_RC_INVALID_HANDLE);
  EXPECT_EQ(a().pelkBeginTxn(handle), PELK_RC_INVALID_HANDLE);
}

TEST_F(SessionTest, SetUpIsNeededOncePerProcess) {
  uint32_t handle = 0;
  EXPECT_EQ(setUpWith(optionFile()), PELK_RC_BAD_SEQUENCE);
  ASSERT_EQ(a().pelkCleanUp(1), PELK_RC_OK);
  EXPECT_EQ(logon(handle), PELK_RC_NOT_SET_UP);
  optStruct options{};
  EXPECT_EQ(a().pelkQueryCliOptions(&options), PELK_RC_NOT_SET_UP);
  EXPECT_EQ(setUpWith((m_root.path() / "missing.opt").string()), PELK_RC_OPTION_FILE);
  std::ofstream(m_root.path() / "bad.opt") << "NODENAME x\nCOLOUR blue\n";
  EXPECT_EQ(setUpWith((m_root.path() / "bad.opt").string()), PELK_RC_OPTION_FILE);
  ASSERT_EQ(setUpWith(optionFile()), PELK_RC_OK);
  EXPECT_EQ(logon(handle), PELK_RC_OK);
}

TEST_F(SessionTest, CleanUpEndsOpenSessionsAndTheirTransactions) {
  uint32_t before = a().hublorCtlOpenSessions();
  uint32_t h = session();
  EXPECT_EQ(a().hublorCtlOpenSessions(), before + 1);
  ASSERT_EQ(registerFs(h, "FS"), PELK_RC_OK);
  ASSERT_EQ(a().pelkBeginTxn(h), PELK_RC_OK);
  ASSERT_EQ(sendInTxn(h, objName("FS", "\\db", "\\full"), "data"), PELK_RC_OK);
  ASSERT_EQ(a().pelkCleanUp(1), PELK_RC_OK);
  EXPECT_EQ(a().pelkBeginTxn(h), PELK_RC_INVALID_HANDLE);
  EXPECT_EQ(a().hublorCtlOpenSessions(), 0u);
  ASSERT_EQ(setUpWith(optionFile()), PELK_RC_OK);
  int rc = 0;
  EXPECT_TRUE(query(session(), objName("FS", "*", "*"), PELK_ANYMATCH, &rc).empty());
  EXPECT_EQ(rc, PELK_RC_NO_MATCH);
}

TEST_F(SessionTest, SessionInfoDescribesNodeAndServer) {
  sim({"node", "set", "NODE1", "--max-txn", "17", "--delete", "no"});
  uint32_t h = session();
  pelkSessInfo info{};
  EXPECT_EQ(a().pelkQuerySessInfo(h, &info), PELK_RC_BAD_VERSION);
  info.stVersion = PELK_SESSINFO_VERSION;
  ASSERT_EQ(a().pelkQuerySessInfo(h, &info), PELK_RC_OK);
  EXPECT_EQ(+info.stVersion, PELK_SESSINFO_VERSION);
  EXPECT_STREQ(info.id, "NODE1");
  EXPECT_EQ(+info.maxObjPerTxn, 17);
  EXPECT_EQ(+info.backDel, PELK_DELETE_NOT_ALLOWED);
  EXPECT_EQ(+info.hldelim, '\\');
  EXPECT_STREQ(info.moxtarServerName, "HUBLOR1");
  EXPECT_STREQ(info.dfltMCName, "STANDARD");
  EXPECT_EQ(+info.compression, PELK_COMPRESSION_OFF);
  EXPECT_STREQ(info.confFile, optionFile().c_str());
  static_assert(sizeof(pelkSessInfo) == 1725);
  static_assert(sizeof(qryRespBackupData) == 2727);
}

TEST_F(SessionTest, ExpiredPasswordAllowsOnlyAChange) {
  sim({"node", "set", "NODE1", "--expired", "yes"});
  uint32_t h = 0;
  ASSERT_EQ(logon(h), PELK_RC_PASSWORD_EXPIRED);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(a().pelkBeginTxn(h), PELK_RC_PASSWORD_EXPIRED);
  char wrong[] = "wrong", same[] = "secret", blank[] = "new pw", fresh[] = "fresh";
  EXPECT_EQ(a().pelkChangePW(h, wrong, fresh), PELK_RC_BAD_PASSWORD);
  EXPECT_EQ(a().pelkChangePW(h, same, same), PELK_RC_NEW_PASSWORD_INVALID);
  EXPECT_EQ(a().pelkChangePW(h, same, blank), PELK_RC_NEW_PASSWORD_INVALID);
  ASSERT_EQ(a().pelkChangePW(h, same, fresh), PELK_RC_OK);
  EXPECT_EQ(a().pelkBeginTxn(h), PELK_RC_OK);  // the same session is now a full one
  uint32_t again = 0;
  EXPECT_EQ(logon(again, "NODE1", "secret"), PELK_RC_BAD_PASSWORD);
  EXPECT_EQ(logon(again, "NODE1", "fresh"), PELK_RC_OK);
  sim({"node", "add", "NODE2", "pw2", "--expired", "--no-delete", "--max-txn", "3"});
  EXPECT_EQ(logon(again, "NODE2", "pw2"), PELK_RC_PASSWORD_EXPIRED);
  EXPECT_NE(runSim({"node", "list"}).output.find("NODE2                yes      no      3"),
            std::string::npos);
  EXPECT_NE(runSim({"node", "add", "NODE2", "pw"}).status, 0);  // exists
}

TEST_F(SessionTest, ClientKeptPasswordIsUsedWhenNoneIsGiven) {
  optStruct options{};
  ASSERT_EQ(a().pelkQueryCliOptions(&options), PELK_RC_OK);
  EXPECT_EQ(options.passwordAccess, PELK_PASSWD_PROMPT);
  writeOptionFile("NODENAME NODE1\nPASSWORDACCESS generate\n");
  ASSERT_EQ(a().pelkQueryCliOptions(&options), PELK_RC_OK);
  EXPECT_EQ(options.passwordAccess, PELK_PASSWD_GENERATE);
  uint32_t h = 0;
  EXPECT_EQ(logon(h, "NODE1", nullptr), PELK_RC_BAD_PASSWORD);  // nothing kept yet
  ASSERT_EQ(logon(h, "NODE1", "secret"), PELK_RC_OK);
  uint32_t kept = 0;
  EXPECT_EQ(logon(kept, "NODE1", nullptr), PELK_RC_OK);
  char old[] = "secret", fresh[] = "fresh";
  ASSERT_EQ(a().pelkChangePW(h, old, fresh), PELK_RC_OK);
  EXPECT_EQ(logon(kept, "NODE1", nullptr), PELK_RC_OK);  // the new one was kept
}

TEST_F(SessionTest, ReportedVersionIsConfigurableAndChecked) {
  pelkApiVersion version{};
  a().pelkQueryApiVersion(&version);
  EXPECT_GE(+version.version * 10000 + version.release * 100 + version.level, 30702);
  a().hublorCtlSetApiVersion(3, 7, 1);
  a().pelkQueryApiVersion(&version);
  EXPECT_EQ(+version.version, 3);
  EXPECT_EQ(+version.release, 7);
  EXPECT_EQ(+version.level, 1);
  uint32_t h = 0;
  EXPECT_EQ(logon(h), PELK_RC_DOWNLEVEL_API);  // built for 3.7.2
  a().hublorCtlSetApiVersion(3, 7, 2);
  EXPECT_EQ(logon(h), PELK_RC_OK);
}

TEST_F(SessionTest, EveryCodeHasAText) {
  const int codes[] = {PELK_RC_OK,
                       PELK_RC_NO_MATCH,
                       PELK_RC_MERGE_ERROR,
                       PELK_RC_PASSWORD_EXPIRED,
                       PELK_RC_FINISHED,
                       PELK_RC_FS_NOT_KNOWN,
                       PELK_RC_BAD_PASSWORD,
                       PELK_RC_WILL_ABORT,
                       PELK_RC_EXCLUDED,
                       PELK_RC_FS_ALREADY_REGISTERED,
                       PELK_RC_MORE_DATA,
                       PELK_RC_CHECK_REASON,
                       PELK_RS_ABORT_BY_CLIENT,
                       PELK_RS_ABORT_SYSTEM_ERROR,
                       PELK_RS_ABORT_EXCEED_MAX_OBJ,
                       PELK_RC_NOT_SET_UP,
                       PELK_RC_STORE_ERROR,
                       PELK_RC_NOT_SUPPORTED};
  char msg[PELK_MAX_RC_MSG_LENGTH + 1];
  for (int code : codes) {
    ASSERT_EQ(a().pelkRCMsg(0, static_cast<pelkInt16_t>(code), msg), PELK_RC_OK) << code;
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "HUB%04d", code);
    EXPECT_EQ(std::strncmp(msg, prefix, 7), 0) << msg;
    EXPECT_GT(std::strlen(msg), 10u) << code;
  }
  EXPECT_EQ(a().pelkRCMsg(0, 9999, msg), PELK_RC_BAD_PARAMETER);
  EXPECT_STREQ(msg, "");
}

TEST_F(SessionTest, FunctionsTheServerLacksSaySo) {
  uint32_t h = session();
  EXPECT_EQ(a().pelkDeleteAccess(h, 1), PELK_RC_NOT_SUPPORTED);
  EXPECT_EQ(a().pelkSetAccess(h, nullptr), PELK_RC_NOT_SUPPORTED);
  EXPECT_EQ(a().pelkUpdateObj(h, 0, nullptr, nullptr, nullptr, 0), PELK_RC_NOT_SUPPORTED);
  EXPECT_EQ(a().pelkDeleteFS(h, nullptr, 0), PELK_RC_NOT_SUPPORTED);
  EXPECT_EQ(a().pelkQueryAccess(h, nullptr, nullptr), PELK_RC_NOT_SUPPORTED);
}

TEST_F(SessionTest, EventsReachTheServerLog) {
  uint32_t h = session();
  char text[] = "Backup of Sales started.";
  pelkLogExIn in{};
  in.severity = PELK_SEV_WARNING;
  std::strcpy(in.appMsgID, "ZUD3000");
  in.message = text;
  pelkLogExOut out{};
  ASSERT_EQ(a().pelkLogEventEx(h, &in, &out), PELK_RC_OK);  // a cleared record: version 0
  in.logType = 7;
  EXPECT_EQ(a().pelkLogEventEx(h, &in, &out), PELK_RC_BAD_PARAMETER);
  SimResult events = runSim({"events"});
  EXPECT_NE(events.output.find("NODE1"), std::string::npos) << events.output;
  EXPECT_NE(events.output.find("warning ZUD3000  Backup of Sales started."), std::string::npos)
      << events.output;
}

}  // namespace
