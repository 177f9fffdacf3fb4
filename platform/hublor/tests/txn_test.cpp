// Transactions: visibility at commit, votes, limits, server aborts, deletes and renames.
#include <filesystem>

#include "fixture.h"

namespace {

constexpr const char* kFs = "SRV\\data\\0001";

class TxnTest : public FilespaceTest {
 protected:
  TxnTest() : FilespaceTest(kFs) {}
  qryRespBackupData only(const pelkObjName& name, uint8_t state = PELK_ACTIVE) {
    auto found = query(h, name, state);
    EXPECT_EQ(found.size(), 1u) << name.hl << name.ll;
    return found.empty() ? qryRespBackupData{} : found[0];
  }
  int deleteByName(const pelkObjName& name, uint32_t copyGroup) {
    pelkObjName copy = name;
    pelkDelInfo info{};
    info.backInfo = delBack{PELK_DELBACK_VERSION, &copy, copyGroup};
    return a().pelkDeleteObj(h, PELK_BACKUP_DELETE, info);
  }
  int deleteById(uint64_t id) {
    pelkDelInfo info{};
    info.backIDInfo = delBackID{PELK_DELBACKID_VERSION, pelk64(id)};
    return a().pelkDeleteObj(h, PELK_BACKUP_ID_DELETE, info);
  }
  int rename(const pelkObjName& from, const char* hl, const char* ll, bool merge) {
    pelkObjName copy = from;
    pelkRenameIn in{};
    in.stVersion = PELK_RENAMEIN_VERSION;
    in.pelkHandle = h;
    in.repository = PELK_REPOSITORY_BACKUP;
    in.objNameP = &copy;
    std::snprintf(in.newHl, sizeof in.newHl, "%s", hl);
    std::snprintf(in.newLl, sizeof in.newLl, "%s", ll);
    in.merge = merge ? 1 : 0;
    pelkRenameOut out{};
    return a().pelkRenameObj(&in, &out);
  }
  // Data files in the store, committed or not.
  size_t dataFiles() { return filesBelow(m_root.path() / "hublor/data"); }
};

TEST_F(TxnTest, DataBecomesVisibleOnlyAtCommit) {
  uint32_t other = session();
  pelkObjName name = objName(kFs, "\\db", "\\full");
  ASSERT_EQ(a().pelkBeginTxn(h), PELK_RC_OK);
  ASSERT_EQ(sendInTxn(h, name, pattern(100000, 1)), PELK_RC_OK);
  EXPECT_EQ(dataFiles(), 1u);  // written in its place, named by no version yet
  int rc = 0;
  EXPECT_TRUE(query(other, name, PELK_ANYMATCH, &rc).empty());
  EXPECT_EQ(rc, PELK_RC_NO_MATCH);
  ASSERT_EQ(endTxn(h, PELK_VOTE_COMMIT), PELK_RC_OK);
  EXPECT_EQ(dataFiles(), 1u);  // the same file is the version's data
  EXPECT_EQ(fetch(other, {id64(only(name).objId)}, 1 << 20)[0].data, pattern(100000, 1));
}

TEST_F(TxnTest, AbortVoteLeavesNothing) {
  pelkObjName name = objName(kFs, "\\db", "\\full");
  ASSERT_EQ(a().pelkBeginTxn(h), PELK_RC_OK);
  ASSERT_EQ(sendInTxn(h, name, "data"), PELK_RC_OK);
  uint16_t reason = 0;
  EXPECT_EQ(endTxn(h, PELK_VOTE_ABORT, &reason), PELK_RC_CHECK_REASON);
  EXPECT_EQ(reason, PELK_RS_ABORT_BY_CLIENT);
  EXPECT_EQ(dataFiles(), 0u);
  EXPECT_TRUE(query(h, name).empty());
}

TEST_F(TxnTest, TheNodesObjectLimitAbortsTheTransaction) {
  sim({"node", "set", "NODE1", "--max-txn", "2"});
  ASSERT_EQ(a().pelkBeginTxn(h), PELK_RC_OK);
  EXPECT_EQ(sendInTxn(h, objName(kFs, "\\a", "\\full"), "a"), PELK_RC_OK);
  EXPECT_EQ(sendInTxn(h, objName(kFs, "\\b", "\\full"), "b"), PELK_RC_OK);
  EXPECT_EQ(sendInTxn(h, objName(kFs, "\\c", "\\full"), "c"), PELK_RC_WILL_ABORT);
  EXPECT_EQ(sendInTxn(h, objName(kFs, "\\d", "\\full"), "d"), PELK_RC_WILL_ABORT);
  uint16_t reason = 0;
  EXPECT_EQ(endTxn(h, PELK_VOTE_COMMIT, &reason), PELK_RC_CHECK_REASON);
  EXPECT_EQ(reason, PELK_RS_ABORT_EXCEED_MAX_OBJ);
  EXPECT_TRUE(query(h, objName(kFs, "*", "*")).empty());
}

// The failing call answers 157; the end answers 2302 with the server's reason, never 3.
TEST_F(TxnTest, ServerAbortRollsBackWithItsReason) {
  ASSERT_EQ(a().hublorCtlArmFault("pelkSendData nth=2 abort"), PELK_RC_OK);
  uint16_t reason = 0;
  EXPECT_EQ(sendObject(h, objName(kFs, "\\db", "\\full"), pattern(300, 2), &reason, "", 100),
            PELK_RC_WILL_ABORT);
  EXPECT_EQ(reason, PELK_RS_ABORT_SYSTEM_ERROR);
  ASSERT_EQ(a().pelkBeginTxn(h), PELK_RC_OK);
  ASSERT_EQ(sendInTxn(h, objName(kFs, "\\db", "\\full"), "x"), PELK_RC_OK);
  ASSERT_EQ(a().hublorCtlArmFault("pelkEndTxn abort=PELK_RC_STORE_ERROR"), PELK_RC_OK);
  EXPECT_EQ(endTxn(h, PELK_VOTE_ABORT, &reason), PELK_RC_CHECK_REASON);
  EXPECT_EQ(reason, PELK_RC_STORE_ERROR);
  EXPECT_TRUE(query(h, objName(kFs, "*", "*")).empty());
}

// After a 157 every object call answers 157, and even an abort vote gets the server's reason.
TEST_F(TxnTest, ADoomedTransactionRefusesEveryObjectCallAndNeverCommits) {
  pelkObjName kept = objName(kFs, "\\kept", "\\full");
  ASSERT_EQ(sendObject(h, kept, "k"), PELK_RC_OK);
  qryRespBackupData stored = only(kept);
  uint64_t id = id64(stored.objId);
  ASSERT_EQ(a().hublorCtlArmFault("pelkDeleteObj nth=1 abort=PELK_RC_STORE_ERROR"), PELK_RC_OK);
  ASSERT_EQ(a().pelkBeginTxn(h), PELK_RC_OK);
  EXPECT_EQ(deleteById(id), PELK_RC_WILL_ABORT);
  EXPECT_EQ(deleteByName(kept, stored.copyGroup), PELK_RC_WILL_ABORT);
  EXPECT_EQ(rename(kept, "\\other", "\\full", false), PELK_RC_WILL_ABORT);
  EXPECT_EQ(sendInTxn(h, objName(kFs, "\\new", "\\full"), "n"), PELK_RC_WILL_ABORT);
  uint16_t reason = 0;
  EXPECT_EQ(endTxn(h, PELK_VOTE_ABORT, &reason), PELK_RC_CHECK_REASON);
  EXPECT_EQ(reason, PELK_RC_STORE_ERROR);
  EXPECT_EQ(endTxn(h, PELK_VOTE_COMMIT), PELK_RC_BAD_SEQUENCE);  // no transaction is open
  EXPECT_EQ(id64(only(kept).objId), id);
  EXPECT_TRUE(query(h, objName(kFs, "\\new", "*")).empty());
}

TEST_F(TxnTest, ChosenCodesDelaysAndCounts) {
  ASSERT_EQ(a().hublorCtlArmFault("pelkBeginTxn nth=2 code=157"), PELK_RC_OK);
  ASSERT_EQ(a().hublorCtlArmFault("pelkQuerySessInfo node=other code=2015"), PELK_RC_OK);
  ASSERT_EQ(a().hublorCtlArmFault("pelkEndTxn nth=2 code=2302 reason=3"), PELK_RC_OK);
  EXPECT_EQ(a().hublorCtlArmFault("pelkBeginTxn"), PELK_RC_BAD_PARAMETER);
  EXPECT_EQ(a().hublorCtlArmFault("pelkBeginTxn code=NO_SUCH"), PELK_RC_BAD_PARAMETER);
  EXPECT_EQ(a().pelkBeginTxn(h), PELK_RC_OK);
  EXPECT_EQ(endTxn(h, PELK_VOTE_COMMIT), PELK_RC_OK);
  EXPECT_EQ(a().pelkBeginTxn(h), PELK_RC_WILL_ABORT);  // the call did nothing
  EXPECT_EQ(a().pelkBeginTxn(h), PELK_RC_OK);
  pelkSessInfo info{};
  info.stVersion = PELK_SESSINFO_VERSION;
  EXPECT_EQ(a().pelkQuerySessInfo(h, &info), PELK_RC_OK);  // another node's rule
  ASSERT_EQ(sendInTxn(h, objName(kFs, "\\db", "\\full"), "x"), PELK_RC_OK);
  uint16_t reason = 0;
  EXPECT_EQ(endTxn(h, PELK_VOTE_COMMIT, &reason), PELK_RC_CHECK_REASON);
  EXPECT_EQ(reason, PELK_RS_ABORT_BY_CLIENT);
  EXPECT_TRUE(query(h, objName(kFs, "*", "*")).empty());  // a chosen end rolls back

  ASSERT_EQ(a().hublorCtlArmFault("pelkBeginTxn nth=1 delay=200"), PELK_RC_OK);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(a().pelkBeginTxn(h), PELK_RC_OK);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
}

TEST_F(TxnTest, FaultsArmedWithTheToolReachARunningProcess) {
  sim({"fault", "add", "pelkBeginTxn", "nth=1", "code=PELK_RC_STORE_ERROR"});
  EXPECT_EQ(a().pelkBeginTxn(h), PELK_RC_STORE_ERROR);
  EXPECT_EQ(a().pelkBeginTxn(h), PELK_RC_OK);
  EXPECT_EQ(endTxn(h, PELK_VOTE_ABORT), PELK_RC_CHECK_REASON);
  sim({"fault", "clear"});
  sim({"fault", "add", "pelkBeginTxn", "code=2015"});
  EXPECT_EQ(a().pelkBeginTxn(h), PELK_RC_STORE_ERROR);
  EXPECT_EQ(runSim({"fault", "list"}).output, "pelkBeginTxn code=2015\n");
  EXPECT_NE(runSim({"fault", "add", "pelkBeginTxn", "nonsense"}).status, 0);
  writeOptionFile("NODENAME NODE1\nFAULT pelkRegisterFS code=PELK_RC_FS_ALREADY_REGISTERED\n");
  uint32_t fresh = session();
  EXPECT_EQ(registerFs(fresh, "NEW"), PELK_RC_FS_ALREADY_REGISTERED);
}

TEST_F(TxnTest, DeleteByNameInactivatesWhatWasActiveAtBegin) {
  pelkObjName name = objName(kFs, "\\db", "\\full");
  ASSERT_EQ(sendObject(h, name, "v1"), PELK_RC_OK);
  qryRespBackupData v1 = only(name);
  ASSERT_EQ(a().pelkBeginTxn(h), PELK_RC_OK);
  ASSERT_EQ(sendInTxn(h, name, "v2"), PELK_RC_OK);
  ASSERT_EQ(deleteByName(name, v1.copyGroup), PELK_RC_OK);
  ASSERT_EQ(endTxn(h, PELK_VOTE_COMMIT), PELK_RC_OK);
  qryRespBackupData v2 = only(name);
  EXPECT_NE(id64(v2.objId), id64(v1.objId));
  EXPECT_EQ(fetch(h, {id64(v2.objId)}, 64)[0].data, "v2");

  ASSERT_EQ(a().pelkBeginTxn(h), PELK_RC_OK);
  ASSERT_EQ(deleteByName(name, v2.copyGroup), PELK_RC_OK);
  ASSERT_EQ(endTxn(h, PELK_VOTE_COMMIT), PELK_RC_OK);
  EXPECT_TRUE(query(h, name, PELK_ACTIVE).empty());
  EXPECT_EQ(query(h, name, PELK_INACTIVE).size(), 2u);

  ASSERT_EQ(a().pelkBeginTxn(h), PELK_RC_OK);
  EXPECT_EQ(deleteByName(name, v2.copyGroup), PELK_RC_NO_MATCH);  // nothing active
  uint16_t reason = 0;
  EXPECT_EQ(endTxn(h, PELK_VOTE_COMMIT, &reason), PELK_RC_CHECK_REASON);
  EXPECT_EQ(reason, PELK_RC_NO_MATCH);
}

TEST_F(TxnTest, DeleteByIdRemovesAnyStateUnlessForbidden) {
  pelkObjName name = objName(kFs, "\\db", "\\full");
  ASSERT_EQ(sendObject(h, name, "v1"), PELK_RC_OK);
  ASSERT_EQ(sendObject(h, name, "v2"), PELK_RC_OK);
  auto both = query(h, name);
  ASSERT_EQ(both.size(), 2u);
  ASSERT_EQ(a().pelkBeginTxn(h), PELK_RC_OK);
  ASSERT_EQ(deleteById(id64(both[0].objId)), PELK_RC_OK);  // the inactive one
  EXPECT_EQ(query(session(), name).size(), 2u) << "not before the commit";
  ASSERT_EQ(endTxn(h, PELK_VOTE_COMMIT), PELK_RC_OK);
  auto left = query(h, name);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(id64(left[0].objId), id64(both[1].objId));
  EXPECT_EQ(fetch(h, {id64(both[0].objId)}, 64)[0].codes, std::vector<int>{PELK_RC_NO_MATCH});

  sim({"node", "set", "NODE1", "--delete", "no"});
  ASSERT_EQ(a().pelkBeginTxn(h), PELK_RC_OK);
  EXPECT_EQ(deleteById(id64(both[1].objId)), PELK_RC_DELETE_NOT_ALLOWED);
  uint16_t reason = 0;
  EXPECT_EQ(endTxn(h, PELK_VOTE_ABORT, &reason), PELK_RC_CHECK_REASON);
  EXPECT_EQ(reason, PELK_RC_DELETE_NOT_ALLOWED);
  EXPECT_EQ(query(h, name).size(), 1u);
}

TEST_F(TxnTest, RenameKeepsTheVersionAndMergesOverTheActiveOne) {
  pelkObjName final = objName(kFs, "\\db", "\\full");
  pelkObjName temp = objName(kFs, "\\db", "\\full.20260101120000000004D2");
  ASSERT_EQ(sendObject(h, final, "old"), PELK_RC_OK);
  ASSERT_EQ(sendObject(h, temp, "new"), PELK_RC_OK);
  qryRespBackupData sent = only(temp);
  ASSERT_EQ(a().pelkBeginTxn(h), PELK_RC_OK);
  EXPECT_EQ(rename(temp, "\\db", "\\full", false), PELK_RC_NAME_IN_USE);
  uint16_t reason = 0;
  EXPECT_EQ(endTxn(h, PELK_VOTE_COMMIT, &reason), PELK_RC_CHECK_REASON);
  EXPECT_EQ(reason, PELK_RC_NAME_IN_USE);

  ASSERT_EQ(a().pelkBeginTxn(h), PELK_RC_OK);
  ASSERT_EQ(rename(temp, "\\db", "\\full", true), PELK_RC_OK);
  EXPECT_EQ(query(session(), temp, PELK_ACTIVE).size(), 1u) << "not before the commit";
  ASSERT_EQ(endTxn(h, PELK_VOTE_COMMIT), PELK_RC_OK);
  EXPECT_TRUE(query(h, temp).empty());
  qryRespBackupData active = only(final);
  EXPECT_EQ(id64(active.objId), id64(sent.objId));
  EXPECT_EQ(fetch(h, {id64(active.objId)}, 64)[0].data, "new");
  EXPECT_EQ(query(h, final, PELK_INACTIVE).size(), 1u);

  ASSERT_EQ(a().pelkBeginTxn(h), PELK_RC_OK);
  EXPECT_EQ(rename(temp, "\\db", "\\x", true), PELK_RC_NO_MATCH);
  EXPECT_EQ(endTxn(h, PELK_VOTE_ABORT), PELK_RC_CHECK_REASON);
}

// A merge onto versions of another class fails with 45 and the whole transaction with it; a
// new version under the final name rebinds them, after which the merge works.
TEST_F(TxnTest, MergeErrorAndItsRepair) {
  sim({"class", "add", "TEMP", "--dest", "TAPEPOOL"});
  pelkObjName final = objName(kFs, "\\db", "\\full");
  pelkObjName temp = objName(kFs, "\\db", "\\full.20260101120000000004D2");
  ASSERT_EQ(sendObject(h, final, "old"), PELK_RC_OK);
  sim({"rule", "add", "*", "*", "\\full*", "TEMP"});
  ASSERT_EQ(sendObject(h, temp, "new"), PELK_RC_OK);
  ASSERT_EQ(a().pelkBeginTxn(h), PELK_RC_OK);
  ASSERT_EQ(sendInTxn(h, objName(kFs, "\\db", "\\meta"), "meta"), PELK_RC_OK);
  EXPECT_EQ(rename(temp, "\\db", "\\full", true), PELK_RC_MERGE_ERROR);
  uint16_t reason = 0;
  EXPECT_EQ(endTxn(h, PELK_VOTE_COMMIT, &reason), PELK_RC_CHECK_REASON);
  EXPECT_EQ(reason, PELK_RC_MERGE_ERROR);
  EXPECT_TRUE(query(h, objName(kFs, "\\db", "\\meta")).empty());

  ASSERT_EQ(sendObject(h, final, ""), PELK_RC_OK);  // placeholder, bound to TEMP now
  qryRespBackupData placeholder = only(final);
  EXPECT_STREQ(placeholder.mcName, "TEMP");
  ASSERT_EQ(a().pelkBeginTxn(h), PELK_RC_OK);
  pelkDelInfo info{};
  info.backIDInfo = delBackID{PELK_DELBACKID_VERSION, placeholder.objId};
  ASSERT_EQ(a().pelkDeleteObj(h, PELK_BACKUP_ID_DELETE, info), PELK_RC_OK);
  ASSERT_EQ(endTxn(h, PELK_VOTE_COMMIT), PELK_RC_OK);
  ASSERT_EQ(a().pelkBeginTxn(h), PELK_RC_OK);
  ASSERT_EQ(rename(temp, "\\db", "\\full", true), PELK_RC_OK);
  ASSERT_EQ(endTxn(h, PELK_VOTE_COMMIT), PELK_RC_OK);
  EXPECT_EQ(fetch(h, {id64(only(final).objId)}, 64)[0].data, "new");
}

}  // namespace
