// Filespaces, binding, sending and fetching objects, versions and their states.
#include <cstring>
#include <filesystem>
#include <fstream>

#include "fixture.h"

namespace {

class ObjectTest : public FilespaceTest {
 protected:
  ObjectTest() : FilespaceTest("SRV\\meta\\0000") {}
  uint64_t sendAndFind(const pelkObjName& name, const std::string& data) {
    EXPECT_EQ(sendObject(h, name, data), PELK_RC_OK);
    auto found = query(h, name, PELK_ACTIVE);
    return found.size() == 1 ? id64(found[0].objId) : 0;
  }
};

TEST_F(ObjectTest, FilespacesRegisterOnceAndCarryTheirDates) {
  EXPECT_EQ(registerFs(h, "SRV\\meta\\0000"), PELK_RC_FS_ALREADY_REGISTERED);
  EXPECT_EQ(registerFs(h, "SRV\\data\\0001"), PELK_RC_OK);
  EXPECT_EQ(registerFs(h, "bad*name"), PELK_RC_BAD_NAME);
  int rc = 0;
  auto all = queryFs(h, "*", &rc);
  EXPECT_EQ(rc, PELK_RC_FINISHED);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_STREQ(all[0].fsName, "SRV\\data\\0001");  // ordered by name
  EXPECT_STREQ(all[1].fsType, "API:SqlData");      // the server's form of the type
  EXPECT_EQ(+all[1].fsAttr.fsInfo[0], 'Z');
  EXPECT_EQ(+all[1].backStartDate.year, 0);
  EXPECT_EQ(queryFs(h, "SRV\\meta\\????", &rc).size(), 1u);
  EXPECT_TRUE(queryFs(h, "OTHER*", &rc).empty());
  EXPECT_EQ(rc, PELK_RC_NO_MATCH);

  a().hublorCtlSetClock(1700000000);
  pelkFSUpd update{};
  update.stVersion = PELK_FSUPD_VERSION;
  char fs[] = "SRV\\meta\\0000";
  ASSERT_EQ(a().pelkUpdateFS(h, fs, &update, PELK_FSUPD_BACKSTARTDATE), PELK_RC_OK);
  a().hublorCtlSetClock(1700000060);
  ASSERT_EQ(a().pelkUpdateFS(h, fs, &update, PELK_FSUPD_BACKCOMPLETEDATE), PELK_RC_OK);
  EXPECT_EQ(a().pelkUpdateFS(h, fs, &update, 0x40), PELK_RC_BAD_PARAMETER);
  char missing[] = "NONE";
  EXPECT_EQ(a().pelkUpdateFS(h, missing, &update, PELK_FSUPD_BACKSTARTDATE),
            PELK_RC_FS_NOT_REGISTERED);
  auto meta = queryFs(h, fs, &rc);
  ASSERT_EQ(meta.size(), 1u);
  int startMinute = meta[0].backStartDate.minute, endMinute = meta[0].backCompleteDate.minute;
  EXPECT_EQ((endMinute - startMinute + 60) % 60, 1);
  EXPECT_EQ(+meta[0].backCompleteDate.second, +meta[0].backStartDate.second);
}

// Data comes back exactly; the call that delivers the last byte answers "finished", even when
// it fills the buffer, and an empty object answers "finished" at once.
TEST_F(ObjectTest, DataComesBackExactlyWithTheRightAnswers) {
  const uint32_t block = 4096;
  struct Case {
    size_t size;
    std::vector<int> codes;
  } cases[] = {
      {0, {PELK_RC_FINISHED}},
      {1, {PELK_RC_FINISHED}},
      {block - 1, {PELK_RC_FINISHED}},
      {block, {PELK_RC_FINISHED}},
      {block + 1, {PELK_RC_MORE_DATA, PELK_RC_FINISHED}},
      {3 * block, {PELK_RC_MORE_DATA, PELK_RC_MORE_DATA, PELK_RC_FINISHED}},
  };
  std::vector<uint64_t> ids;
  for (size_t i = 0; i < std::size(cases); ++i) {
    std::string hl = "\\db" + std::to_string(i);
    ids.push_back(sendAndFind(objName("SRV\\meta\\0000", hl, "\\full"),
                              pattern(cases[i].size, static_cast<unsigned>(i))));
  }
  auto fetched = fetch(h, ids, block);
  ASSERT_EQ(fetched.size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(fetched[i].data, pattern(cases[i].size, static_cast<unsigned>(i))) << i;
    EXPECT_EQ(fetched[i].codes, cases[i].codes) << i;
  }
}

TEST_F(ObjectTest, NewVersionInactivatesThePreviousOne) {
  a().hublorCtlSetClock(1700000000);
  pelkObjName name = objName("SRV\\meta\\0000", "\\Sales", "\\full");
  std::string info(168, '\x01');
  ASSERT_EQ(sendObject(h, name, "first", nullptr, info), PELK_RC_OK);
  a().hublorCtlSetClock(1700000060);
  ASSERT_EQ(sendObject(h, name, "second"), PELK_RC_OK);
  auto all = query(h, name, PELK_ANYMATCH);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(+all[0].objState, PELK_INACTIVE);
  EXPECT_EQ(+all[1].objState, PELK_ACTIVE);
  EXPECT_GT(id64(all[1].objId), id64(all[0].objId));
  EXPECT_GT(+all[0].objId.hi, 0u);  // ids use both words
  EXPECT_GT(+all[1].restoreOrderExt.lo_lo, +all[0].restoreOrderExt.lo_lo);
  EXPECT_EQ(+all[0].objInfolen, 168);
  EXPECT_EQ(std::string(all[0].objInfo, 168), info);
  EXPECT_EQ(+all[0].expDate.minute, +all[1].insDate.minute);
  EXPECT_EQ(+all[1].expDate.year, 0);
  EXPECT_EQ(id64(all[1].objSize), 6u);
  EXPECT_STREQ(all[1].mcName, "STANDARD");
  EXPECT_EQ(query(h, name, PELK_INACTIVE).size(), 1u);
  auto fetched = fetch(h, {id64(all[0].objId)}, 64);
  EXPECT_EQ(fetched[0].data, "first");
}

TEST_F(ObjectTest, BindingFollowsTheRules) {
  sim({"class", "add", "TEMP", "--dest", "TAPEPOOL"});
  sim({"class", "add", "NOCOPY", "--no-backup-cg"});
  sim({"rule", "add", "*", "*", "\\full.*", "TEMP"});
  sim({"rule", "add", "*", "\\skip*", "*", "--exclude"});
  sim({"rule", "add", "*", "\\nocopy", "*", "NOCOPY"});
  struct Case {
    const char* hl;
    const char* ll;
    int rc;
    const char* mc;
    int cg;
    const char* dest;
  } cases[] = {
      {"\\db", "\\full", PELK_RC_OK, "STANDARD", 1, "DISKPOOL"},
      {"\\db", "\\full.20010405114102000004D2", PELK_RC_OK, "TEMP", 1, "TAPEPOOL"},
      {"\\skipme", "\\full", PELK_RC_EXCLUDED, "", 0, ""},
      {"\\nocopy", "\\full", PELK_RC_OK, "NOCOPY", 0, "DISKPOOL"},
  };
  for (const Case& c : cases) {
    pelkObjName name = objName("SRV\\meta\\0000", c.hl, c.ll);
    mcBindKey key{};
    key.stVersion = PELK_MCBINDKEY_VERSION;
    EXPECT_EQ(a().pelkBindMC(h, &name, PELK_SEND_BACKUP, &key), c.rc) << c.hl << c.ll;
    EXPECT_STREQ(key.mcName, c.mc);
    EXPECT_EQ(+key.backup_cg_exists, c.cg);
    EXPECT_STREQ(key.backup_copy_dest, c.dest);
  }
  uint16_t reason = 0;
  EXPECT_EQ(sendObject(h, objName("SRV\\meta\\0000", "\\nocopy", "\\full"), "x", &reason),
            PELK_RC_NO_BACKUP_CG);
  EXPECT_EQ(sendObject(h, objName("SRV\\meta\\0000", "\\skipme", "\\full"), "x", &reason),
            PELK_RC_EXCLUDED);
}

TEST_F(ObjectTest, BadNamesAndCallsAreRefused) {
  ASSERT_EQ(a().pelkBeginTxn(h), PELK_RC_OK);
  EXPECT_EQ(a().pelkBeginTxn(h), PELK_RC_BAD_SEQUENCE);
  DataBlk blk{PELK_DATABLK_VERSION, 0, 0, nullptr};
  EXPECT_EQ(a().pelkSendData(h, &blk), PELK_RC_BAD_SEQUENCE);
  EXPECT_EQ(sendInTxn(h, objName("SRV\\meta\\0000", "\\db*", "\\full"), "x"), PELK_RC_BAD_NAME);
  EXPECT_EQ(sendInTxn(h, objName("SRV\\meta\\0000", "db", "\\full"), "x"), PELK_RC_BAD_NAME);
  pelkObjName unterminated = objName("SRV\\meta\\0000", "\\db", "\\full");
  std::memset(unterminated.ll, 'x', sizeof unterminated.ll);
  EXPECT_EQ(sendInTxn(h, unterminated, "x"), PELK_RC_NAME_TOO_LONG);
  EXPECT_EQ(a().pelkSendObj(h, 0, nullptr, nullptr, nullptr, nullptr), PELK_RC_NULL_POINTER);
  uint16_t reason = 0;
  EXPECT_EQ(a().pelkEndTxn(h, 7, &reason), PELK_RC_BAD_PARAMETER);
  EXPECT_EQ(a().pelkEndTxn(h, PELK_VOTE_COMMIT, nullptr), PELK_RC_NULL_POINTER);
  EXPECT_EQ(sendInTxn(h, objName("UNKNOWN", "\\db", "\\full"), "x"), PELK_RC_FS_NOT_REGISTERED);
  EXPECT_EQ(endTxn(h, PELK_VOTE_COMMIT, &reason), PELK_RC_CHECK_REASON);
  EXPECT_EQ(reason, PELK_RC_FS_NOT_REGISTERED);
}

TEST_F(ObjectTest, RetrievalFollowsTheListAndMaySkipForward) {
  std::vector<uint64_t> ids;
  for (int i = 0; i < 3; ++i) {
    ids.push_back(sendAndFind(objName("SRV\\meta\\0000", "\\d" + std::to_string(i), "\\full"),
                              "object" + std::to_string(i)));
  }
  std::vector<pelkUint64_t> list{pelk64(ids[0]), pelk64(ids[1]), pelk64(ids[2])};
  pelkGetList getList{PELK_GETLIST_VERSION, 3, list.data(), nullptr};
  ASSERT_EQ(a().pelkBeginGetData(h, 0, PELK_GET_BACKUP, &getList), PELK_RC_OK);
  EXPECT_EQ(a().pelkBeginTxn(h), PELK_RC_BAD_SEQUENCE);
  char buffer[64];
  DataBlk blk{PELK_DATABLK_VERSION, sizeof buffer, 0, buffer};
  ASSERT_EQ(a().pelkGetObj(h, &list[1], &blk), PELK_RC_FINISHED);  // skips the first
  EXPECT_EQ(std::string(buffer, blk.numBytes), "object1");
  EXPECT_EQ(a().pelkGetObj(h, &list[2], &blk), PELK_RC_BAD_SEQUENCE);  // object still open
  ASSERT_EQ(a().pelkEndGetObj(h), PELK_RC_OK);
  EXPECT_EQ(a().pelkGetObj(h, &list[0], &blk), PELK_RC_NOT_IN_LIST);  // no way back
  EXPECT_EQ(a().pelkGetObj(h, &list[2], &blk), PELK_RC_FINISHED);
  EXPECT_EQ(a().pelkEndGetData(h), PELK_RC_OK);
  pelkGetList partial{PELK_GETLIST_VERSION, 1, list.data(), reinterpret_cast<PartialObjData*>(1)};
  EXPECT_EQ(a().pelkBeginGetData(h, 0, PELK_GET_BACKUP, &partial), PELK_RC_NOT_SUPPORTED);
}

TEST_F(ObjectTest, LostDataIsReportedAsUnavailable) {
  uint64_t first = sendAndFind(objName("SRV\\meta\\0000", "\\a", "\\full"), "aaa");
  uint64_t second = sendAndFind(objName("SRV\\meta\\0000", "\\b", "\\full"), "bbb");
  sim({"lose", std::to_string(first)});
  auto fetched = fetch(h, {first, second}, 64);
  EXPECT_EQ(fetched[0].codes, std::vector<int>{PELK_RC_OBJ_UNAVAILABLE});
  EXPECT_EQ(fetched[1].data, "bbb");
  ASSERT_EQ(a().hublorCtlArmFault("pelkGetObj lose"), PELK_RC_OK);
  EXPECT_EQ(fetch(h, {second}, 64)[0].codes, std::vector<int>{PELK_RC_OBJ_UNAVAILABLE});
  EXPECT_EQ(query(h, objName("SRV\\meta\\0000", "*", "*")).size(), 2u);  // still catalogued
}

// Data changed on the volume after it was stored, its size kept: the checksum kept with the
// version finds it, and the object is unavailable rather than handed back changed.
TEST_F(ObjectTest, DataChangedAfterItWasStoredIsUnavailable) {
  const uint32_t block = 4096;
  std::string rotting = pattern(3 * block, 7);
  uint64_t first = sendAndFind(objName("SRV\\meta\\0000", "\\a", "\\full"), rotting);
  uint64_t second = sendAndFind(objName("SRV\\meta\\0000", "\\b", "\\full"), pattern(100, 8));
  bool flipped = false;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(m_root.path())) {
    if (!entry.is_regular_file() || entry.file_size() != rotting.size()) continue;
    std::fstream file(entry.path(), std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(block + 100);
    std::string flippedBytes = rotting.substr(block + 100, 16);
    for (char& c : flippedBytes) c = static_cast<char>(~c);
    file.write(flippedBytes.data(), 16);
    flipped = true;
  }
  ASSERT_TRUE(flipped);
  auto fetched = fetch(h, {first, second}, block);
  EXPECT_EQ(fetched[0].codes,
            (std::vector<int>{PELK_RC_MORE_DATA, PELK_RC_MORE_DATA, PELK_RC_OBJ_UNAVAILABLE}));
  EXPECT_EQ(fetched[0].data.size(), 2u * block);  // the last piece is withheld
  EXPECT_EQ(fetched[1].data, pattern(100, 8));
}

}  // namespace
