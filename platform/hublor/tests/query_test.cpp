// Backup queries: patterns, states, owner, point in time, order and the answers of the loop.
#include <cstring>

#include "fixture.h"

namespace {

constexpr const char* kFs = "SRV\\meta\\0000";

class QueryTest : public FilespaceTest {
 protected:
  QueryTest() : FilespaceTest(kFs) {}
  std::vector<std::string> names(const std::vector<qryRespBackupData>& answers) {
    std::vector<std::string> result;
    for (const auto& a : answers) result.push_back(std::string(a.objName.hl) + a.objName.ll);
    return result;
  }
  int sendOwned(const char* hl, const char* owner) {
    ObjAttr attr{};
    attr.stVersion = PELK_OBJATTR_VERSION;
    std::strcpy(attr.owner, owner);
    pelkObjName name = objName(kFs, hl, "\\full");
    EXPECT_EQ(a().pelkBeginTxn(h), PELK_RC_OK);
    EXPECT_EQ(a().pelkSendObj(h, PELK_SEND_BACKUP_MOUNTWAIT, nullptr, &name, &attr, nullptr),
              PELK_RC_OK);
    EXPECT_EQ(a().pelkEndSendObj(h), PELK_RC_OK);
    return endTxn(h, PELK_VOTE_COMMIT);
  }
};

TEST_F(QueryTest, PatternsMatchHighAndLowLevelNames) {
  for (const char* hl :
       {"\\Sales", "\\Sales\\PRIMARY", "\\Sales\\20010405114102\\000004D2", "\\Salesman", "\\HR"}) {
    ASSERT_EQ(sendObject(h, objName(kFs, hl, "\\full"), "x"), PELK_RC_OK);
  }
  ASSERT_EQ(sendObject(h, objName(kFs, "\\Sales", "\\log"), "x"), PELK_RC_OK);
  struct Case {
    const char* hl;
    const char* ll;
    std::vector<std::string> expected;
  } cases[] = {
      {"\\Sales", "\\*", {"\\Sales\\full", "\\Sales\\log"}},
      {"\\Sales\\*",
       "\\full",
       {"\\Sales\\20010405114102\\000004D2\\full", "\\Sales\\PRIMARY\\full"}},
      {"\\Sales\\??????????????\\????????", "\\f*", {"\\Sales\\20010405114102\\000004D2\\full"}},
      {"\\*", "\\log", {"\\Sales\\log"}},
      {"\\Sales?*",
       "\\full",
       {"\\Sales\\20010405114102\\000004D2\\full", "\\Sales\\PRIMARY\\full", "\\Salesman\\full"}},
      {"\\sales", "\\full", {}},  // names keep their case
  };
  for (const Case& c : cases) {
    int rc = 0;
    auto answers = query(h, objName(kFs, c.hl, c.ll, PELK_OBJ_ANY), PELK_ANYMATCH, &rc);
    EXPECT_EQ(names(answers), c.expected) << c.hl << c.ll;
    EXPECT_EQ(rc, c.expected.empty() ? PELK_RC_NO_MATCH : PELK_RC_FINISHED) << c.hl << c.ll;
  }
}

TEST_F(QueryTest, StateOwnerAndPointInTime) {
  pelkObjName name = objName(kFs, "\\db", "\\full");
  a().hublorCtlSetClock(1700000000);
  ASSERT_EQ(sendObject(h, name, "v1"), PELK_RC_OK);
  a().hublorCtlSetClock(1700003600);
  ASSERT_EQ(sendObject(h, name, "v2"), PELK_RC_OK);
  a().hublorCtlSetClock(1700007200);
  ASSERT_EQ(sendObject(h, name, "v3"), PELK_RC_OK);
  EXPECT_EQ(query(h, name, PELK_ACTIVE).size(), 1u);
  EXPECT_EQ(query(h, name, PELK_INACTIVE).size(), 2u);
  auto all = query(h, name, PELK_ANYMATCH);
  ASSERT_EQ(all.size(), 3u);
  struct Case {
    int64_t offset;  // seconds after the first send
    int expectedIndex;
  } cases[] = {{0, 0}, {1800, 0}, {3600, 1}, {7199, 1}, {9000, 2}};
  for (const Case& c : cases) {
    time_t t = static_cast<time_t>(1700000000 + c.offset);
    struct tm local {};
    localtime_r(&t, &local);
    pelkDate pit{
        static_cast<uint16_t>(local.tm_year + 1900), static_cast<uint8_t>(local.tm_mon + 1),
        static_cast<uint8_t>(local.tm_mday),         static_cast<uint8_t>(local.tm_hour),
        static_cast<uint8_t>(local.tm_min),          static_cast<uint8_t>(local.tm_sec)};
    auto then = query(h, name, PELK_ANYMATCH, nullptr, nullptr, pit);
    ASSERT_EQ(then.size(), 1u) << c.offset;
    EXPECT_EQ(id64(then[0].objId), id64(all[c.expectedIndex].objId)) << c.offset;
  }
  ASSERT_EQ(sendOwned("\\owned", "alice"), PELK_RC_OK);
  EXPECT_EQ(query(h, objName(kFs, "*", "*"), PELK_ANYMATCH, nullptr, "alice").size(), 1u);
  EXPECT_EQ(query(h, objName(kFs, "*", "*"), PELK_ANYMATCH, nullptr, "").size(), 4u);
}

TEST_F(QueryTest, QueryLoopAnswersAndRefusals) {
  ASSERT_EQ(sendObject(h, objName(kFs, "\\db", "\\full"), "x"), PELK_RC_OK);
  int rc = 0;
  EXPECT_TRUE(query(h, objName("NOT\\REGISTERED", "*", "*"), PELK_ANYMATCH, &rc).empty());
  EXPECT_EQ(rc, PELK_RC_FS_NOT_KNOWN);
  pelkObjName name = objName(kFs, "*", "*");
  qryActiveBackupData active{PELK_QRYACTIVEBACKUP_VERSION, &name};
  ASSERT_EQ(a().pelkBeginQuery(h, PELK_QRY_ACTIVE_BACKUP, &active), PELK_RC_OK);
  EXPECT_EQ(a().pelkBeginQuery(h, PELK_QRY_ACTIVE_BACKUP, &active), PELK_RC_BAD_SEQUENCE);
  char small[100];
  DataBlk blk{PELK_DATABLK_VERSION, sizeof small, 0, small};
  EXPECT_EQ(a().pelkGetNextQObj(h, &blk), PELK_RC_BUFFER_TOO_SMALL);
  qryRespBackupData resp{};
  blk = DataBlk{PELK_DATABLK_VERSION, sizeof resp, 0, reinterpret_cast<char*>(&resp)};
  EXPECT_EQ(a().pelkGetNextQObj(h, &blk), PELK_RC_MORE_DATA);
  EXPECT_EQ(+blk.numBytes, sizeof resp);
  EXPECT_EQ(+resp.stVersion, PELK_QRYRESPBACKUP_VERSION);
  EXPECT_EQ(a().pelkGetNextQObj(h, &blk), PELK_RC_FINISHED);
  EXPECT_EQ(a().pelkGetNextQObj(h, &blk), PELK_RC_FINISHED);
  EXPECT_EQ(a().pelkEndQuery(h), PELK_RC_OK);
  EXPECT_EQ(a().pelkEndQuery(h), PELK_RC_BAD_SEQUENCE);
  qryBackupData bad{PELK_QRYBACKUP_VERSION, &name, nullptr, 7, {}};
  EXPECT_EQ(a().pelkBeginQuery(h, PELK_QRY_BACKUP, &bad), PELK_RC_BAD_PARAMETER);
  bad.stVersion = 9;
  EXPECT_EQ(a().pelkBeginQuery(h, PELK_QRY_BACKUP, &bad), PELK_RC_BAD_VERSION);
  EXPECT_EQ(a().pelkBeginQuery(h, 9, &bad), PELK_RC_BAD_PARAMETER);
}

TEST_F(QueryTest, ToolListsEveryVersionWithItsState) {
  pelkObjName name = objName(kFs, "\\Sales", "\\full");
  ASSERT_EQ(sendObject(h, name, "v1"), PELK_RC_OK);
  ASSERT_EQ(sendObject(h, name, "v2"), PELK_RC_OK);
  SimResult objects = runSim({"objects", "--hl", "\\Sales"});
  ASSERT_EQ(objects.status, 0);
  EXPECT_NE(objects.output.find("inactive NODE1"), std::string::npos) << objects.output;
  EXPECT_NE(objects.output.find("active   NODE1"), std::string::npos) << objects.output;
  SimResult filespaces = runSim({"fs", "list"});
  EXPECT_NE(filespaces.output.find("SRV\\meta\\0000"), std::string::npos) << filespaces.output;
  EXPECT_NE(filespaces.output.find("API:SqlData"), std::string::npos);
}

}  // namespace
