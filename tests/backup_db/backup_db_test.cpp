// The backup of one database, end to end: the emulated SQL Server writes the database through
// real virtual devices, the stripes store it on the storage stand-in, the completion makes it
// the active backup; failures, cancels, merge repairs and left-overs of failed backups.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <random>
#include <set>
#include <thread>

#include "backup_db_env.h"
#include "vdi_fault.h"

namespace {

objInfo infoOf(const qryRespBackupData& object, size_t length) {
  objInfo info;
  EXPECT_EQ(objInfoFromResp(object, length, &info), 0);
  return info;
}

class BackupDbTest : public BackupDbFixture {
 public:
  using BackupDbFixture::armFault;
  using BackupDbFixture::m_Instance;

 protected:
  // The backup is the active one: one active object of its identity in the meta filespace and
  // in each of the first `stripes` data filespaces.
  void expectActiveBackup(const zarnakObjId& id, uint32_t stripes) {
    for (uint32_t i = 0; i <= stripes; i++) {
      std::vector<qryRespBackupData> active = stored(i, PELK_ACTIVE);
      ASSERT_EQ(active.size(), 1u) << i;
      size_t length = i == 0 ? OBJINFO_META_SIZE : OBJINFO_DATA_SIZE;
      EXPECT_EQ(compareZarnakObjIds(infoOf(active[0], length).id, id), 0) << i;
    }
  }
};

TEST_F(BackupDbTest, FullBackupThroughFourStripesIsOneActiveBackupThatRestores) {
  ASSERT_EQ(backup(BACKUP_TYPE_FULL, 4), 0) << m_Backup->consumerText();
  std::vector<qryRespBackupData> meta = stored(0);
  ASSERT_EQ(meta.size(), 1u);
  EXPECT_STREQ(meta[0].objName.ll, "\\full");
  EXPECT_EQ(meta[0].objState, PELK_ACTIVE);
  objInfo metaInfo = infoOf(meta[0], OBJINFO_META_SIZE);
  EXPECT_EQ(metaInfo.numStripes, 4u);
  for (uint32_t i = 1; i <= 4; i++) {
    std::vector<qryRespBackupData> data = stored(i);
    ASSERT_EQ(data.size(), 1u) << i;
    EXPECT_STREQ(data[0].objName.ll, "\\full");
    EXPECT_STREQ(data[0].objName.hl, "\\sales");
    EXPECT_EQ(data[0].objState, PELK_ACTIVE);
    EXPECT_EQ(compareZarnakObjIds(infoOf(data[0], OBJINFO_DATA_SIZE).id, metaInfo.id), 0);
  }
  expectRestoresIdentical("copy");
}

}  // namespace

namespace {

// The states of the objects under one name in the filespace of index, oldest version first.
std::vector<int> statesOf(const std::vector<qryRespBackupData>& objects, const char* llP) {
  std::vector<int> states;
  for (const qryRespBackupData& o : objects) {
    if (strcmp(o.objName.ll, llP) == 0) states.push_back(o.objState);
  }
  return states;
}

TEST_F(BackupDbTest, FullBackupWithFewerStripesLeavesExactlyOneActiveBackup) {
  ASSERT_EQ(backup(BACKUP_TYPE_FULL, 4), 0) << m_Backup->consumerText();
  zarnakObjId first = m_Backup->backupId();
  ASSERT_EQ(backup(BACKUP_TYPE_FULL, 2), 0) << m_Backup->consumerText();
  zarnakObjId second = m_Backup->backupId();
  EXPECT_NE(compareZarnakObjIds(first, second), 0);

  std::vector<qryRespBackupData> meta = stored(0, PELK_ACTIVE);
  ASSERT_EQ(meta.size(), 1u);
  EXPECT_EQ(compareZarnakObjIds(infoOf(meta[0], OBJINFO_META_SIZE).id, second), 0);
  EXPECT_EQ(stored(0, PELK_INACTIVE).size(), 1u);
  for (uint32_t i = 1; i <= 2; i++) {
    std::vector<qryRespBackupData> active = stored(i, PELK_ACTIVE);
    ASSERT_EQ(active.size(), 1u) << i;
    EXPECT_EQ(compareZarnakObjIds(infoOf(active[0], OBJINFO_DATA_SIZE).id, second), 0);
    EXPECT_EQ(stored(i, PELK_INACTIVE).size(), 1u) << i;
  }
  for (uint32_t i = 3; i <= 4; i++) {
    EXPECT_EQ(statesOf(stored(i), "\\full"), std::vector<int>{PELK_INACTIVE}) << i;
  }
  EXPECT_EQ(temporaryObjects(), 0);
  expectRestoresIdentical("copy");
}

// Log and set backups keep every backup: their names carry the backup's time and process id,
// and nothing older is inactivated.
TEST_F(BackupDbTest, LogAndSetBackupsCarryTheirIdentityInTheirNames) {
  SqlDatabaseElement* dbP = m_DbInfo.sqlDatabaseElementP;
  dbP->bDbGroupIsSelected = 1;
  for (SqlGroupElement* g = m_Groups.getFirst(); g != nullptr; g = m_Groups.getNext(g)) {
    g->bGroupIsSelected = strcmp(g->szGroupName, "G2") == 0;
  }
  ASSERT_EQ(backup(BACKUP_TYPE_FULL, 1), 0);  // SQL Server backs up a log only after a full one
  for (uint32_t type : {BACKUP_TYPE_LOG, BACKUP_TYPE_SET}) {
    SCOPED_TRACE(backupTypeLlNames[type]);
    std::vector<std::string> names;
    for (int n = 0; n < 2; n++) {
      ASSERT_EQ(backup(type, 2), 0) << m_Backup->consumerText() << m_Backup->producerText();
      const zarnakObjId& id = m_Backup->backupId();
      char hl[64];
      snprintf(hl, sizeof hl, "\\sales\\%04u%02u%02u%02u%02u%02u\\%08X",
               unsigned(dateYear(&id.backupTime)), id.backupTime.month, id.backupTime.day,
               id.backupTime.hour, id.backupTime.minute, id.backupTime.second, id.processId);
      EXPECT_STREQ(m_Backup->metaDataObjName().hl, hl);
      names.push_back(hl);
    }
    EXPECT_NE(names[0], names[1]);
    std::string ll = std::string("\\") + backupTypeLlNames[type];
    for (uint32_t i = 0; i <= 2; i++) {
      std::vector<int> states;
      for (const qryRespBackupData& o : stored(i)) {
        if (ll == o.objName.ll) states.push_back(o.objState);
      }
      EXPECT_EQ(states, (std::vector<int>{PELK_ACTIVE, PELK_ACTIVE})) << i;
    }
  }
}

TEST(BackupDeviceName, HoldsProcessIdAndStripeInUpperCaseHex) {
  char name[VDEV_NAME_SIZE];
  char16_t wide[VDEV_NAME_SIZE];
  ASSERT_EQ(backupDeviceName(0x1A2B, 10, name, wide), 0);
  EXPECT_STREQ(name, "ZARNAKSQL-00001A2B-000A");
  EXPECT_EQ(std::u16string(wide), u"ZARNAKSQL-00001A2B-000A");
}

}  // namespace

namespace {

// A failure in one stripe: the backup fails with that failure's code, no meta-data object is
// stored, no temporary object stays and the stripe's failure is in the activity log.
TEST_F(BackupDbTest, AFailingStripeFailsTheBackupAndLeavesNothingBehind) {
  struct Case {
    const char* name;
    std::function<void(BackupDbTest&)> arm;
    int rc;
  };
  const Case cases[] = {
      {"storage failure", [](BackupDbTest& t) { t.armFault("pelkSendData nth=6 code=2015"); }, 418},
      {"157 on the data", [](BackupDbTest& t) { t.armFault("pelkSendData nth=6 code=157"); }, 1304},
      {"157 on the send", [](BackupDbTest& t) { t.armFault("pelkSendObj nth=2 code=157"); }, 1304},
      {"server abort", [](BackupDbTest& t) { t.armFault("pelkSendData nth=6 abort"); }, 1304},
      {"device failure",
       [](BackupDbTest&) { vdi::vdiArmFault(vdi::VdiCall::GetCommand, E_FAIL, 1, 3); }, 1915},
      {"SQL error",
       [](BackupDbTest& t) {
         sqlengine::Fault fault;
         fault.kind = "statement";
         fault.target = "backup";
         fault.message = 3201;
         fault.times = 1;
         ASSERT_TRUE(t.m_Instance->addFault(fault).ok());
       },
       1914},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.arm(*this);
    EXPECT_EQ(backup(BACKUP_TYPE_FULL, 4), c.rc) << m_Backup->consumerText();
    clearFaults();
    vdi::vdiClearFaults();
    EXPECT_TRUE(stored(0).empty());
    EXPECT_EQ(temporaryObjects(), 0);
    if (c.rc != 1914) {
      EXPECT_NE(logText().find("failed with return code"), std::string::npos);
    }
  }
  // Nothing stays open: the next backup goes through.
  ASSERT_EQ(backup(BACKUP_TYPE_FULL, 4), 0) << m_Backup->consumerText();
}

// A completion that fails on one session is done on the next; a step answered 157 never
// counts as done, and the backup succeeds only with every object committed.
TEST_F(BackupDbTest, ACompletionThatFailsIsDoneOnTheNextSession) {
  const char* const rules[] = {"pelkBeginTxn nth=3 code=2015", "pelkRenameObj nth=2 code=157",
                               "pelkEndTxn nth=3 abort", "pelkDeleteObj nth=1 code=157"};
  ASSERT_EQ(backup(BACKUP_TYPE_FULL, 4), 0);
  for (const char* rule : rules) {
    SCOPED_TRACE(rule);
    size_t logged = logText().size();
    armFault(rule);
    ASSERT_EQ(backup(BACKUP_TYPE_FULL, 2), 0) << m_Backup->consumerText();
    clearFaults();
    expectActiveBackup(m_Backup->backupId(), 2);
    for (uint32_t i = 3; i <= 4; i++) EXPECT_TRUE(stored(i, PELK_ACTIVE).empty()) << i;
    EXPECT_EQ(temporaryObjects(), 0);
    EXPECT_NE(logText().find("Stripe 1 failed with return code", logged), std::string::npos);
    ASSERT_EQ(backup(BACKUP_TYPE_FULL, 4), 0);  // the next case finds 4 stripes again
  }
}

// When every session fails the completion, the backup fails and its data objects go again.
TEST_F(BackupDbTest, ACompletionThatFailsOnEverySessionRemovesTheBackupsObjects) {
  armFault("pelkRenameObj code=157");
  EXPECT_EQ(backup(BACKUP_TYPE_FULL, 3), 1304);
  clearFaults();
  EXPECT_TRUE(stored(0).empty());
  EXPECT_EQ(temporaryObjects(), 0);
  for (uint32_t k = 1; k <= 3; k++) {
    EXPECT_NE(logText().find("Stripe " + std::to_string(k) + " failed with return code 1304"),
              std::string::npos);
  }
}

// A server whose transactions hold few objects: the new backup's meta-data object and renames
// commit with as much of the previous backup's surplus as fits, the rest is inactivated in
// transactions of its own after the commit. A failure there leaves that rest active and is
// logged, but the backup stands.
TEST_F(BackupDbTest, ASurplusBeyondTheTransactionLimitIsInactivatedAfterTheCommit) {
  auto limitTransactions = [this](int objects) {
    sim({"node", "set", "NODE1", "--max-txn", std::to_string(objects)});
    for (HublorSessionInfo* p = m_Sessions.getFirst(); p != nullptr; p = m_Sessions.getNext(p)) {
      p->apiSessInfo.maxObjPerTxn = static_cast<pelkUint16_t>(objects);
    }
  };
  // The meta-data object and 2 renames, then room for 1 or none of the 5 inactivations (the
  // previous meta-data object first).
  const struct {
    int limit;
    const char* fault;  // on the inactivations; null: none
    bool surplusActive;
  } cases[] = {
      {4, nullptr, false}, {3, nullptr, false}, {4, "pelkDeleteObj nth=3 code=2015", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.limit) + (c.fault != nullptr ? c.fault : ""));
    limitTransactions(256);
    ASSERT_EQ(backup(BACKUP_TYPE_FULL, 6), 0) << m_Backup->consumerText();
    limitTransactions(c.limit);
    size_t logged = logText().size();
    if (c.fault != nullptr) armFault(c.fault);
    ASSERT_EQ(backup(BACKUP_TYPE_FULL, 2), 0) << m_Backup->consumerText();
    clearFaults();
    expectActiveBackup(m_Backup->backupId(), 2);
    for (uint32_t i = 3; i <= 6; i++) {
      EXPECT_EQ(stored(i, PELK_ACTIVE).size(), c.surplusActive ? 1u : 0u) << i;
    }
    EXPECT_EQ(temporaryObjects(), 0);
    std::string log = logText().substr(logged);
    EXPECT_EQ(log.find("Stripe 1 failed"), std::string::npos) << log;
    EXPECT_EQ(log.find("4 objects of the backup it replaces stay active") != std::string::npos,
              c.surplusActive)
        << log;
  }
}

}  // namespace

namespace {

// The previous backup's versions are bound to another management class than the one that
// binds now: the rename answers the merge error, the repair rebinds them, and the completion
// then makes the new backup the active one.
TEST_F(BackupDbTest, ARenameMergeErrorIsRepairedAndTheBackupCompletes) {
  sim({"class", "add", "OLDCLASS"});
  sim({"rule", "add", "*", "*", "*", "OLDCLASS"});
  ASSERT_EQ(backup(BACKUP_TYPE_FULL, 4), 0) << m_Backup->consumerText();
  sim({"rule", "clear"});
  size_t logged = logText().size();
  ASSERT_EQ(backup(BACKUP_TYPE_FULL, 2), 0) << m_Backup->consumerText();
  EXPECT_NE(logText().find("failed with return code 1301", logged), std::string::npos);
  zarnakObjId id = m_Backup->backupId();
  for (uint32_t i = 0; i <= 2; i++) {
    std::vector<qryRespBackupData> active = stored(i, PELK_ACTIVE);
    ASSERT_EQ(active.size(), 1u) << i;
    size_t length = i == 0 ? OBJINFO_META_SIZE : OBJINFO_DATA_SIZE;
    EXPECT_EQ(compareZarnakObjIds(infoOf(active[0], length).id, id), 0) << i;
    uint32_t size = active[0].objSize.lo;  // the backup's object, not a placeholder
    EXPECT_GT(size, 0u) << i;
  }
  for (uint32_t i = 3; i <= 4; i++) EXPECT_TRUE(stored(i, PELK_ACTIVE).empty()) << i;
  EXPECT_EQ(temporaryObjects(), 0);
  expectRestoresIdentical("copy");
}

// A node that may not delete backup objects gets no repair: the merge error fails every
// session and the backup's objects are removed again.
TEST_F(BackupDbTest, NoRepairWhenTheNodeMayNotDelete) {
  sim({"class", "add", "OLDCLASS"});
  sim({"rule", "add", "*", "*", "*", "OLDCLASS"});
  ASSERT_EQ(backup(BACKUP_TYPE_FULL, 2), 0);
  sim({"rule", "clear"});
  for (HublorSessionInfo* p = m_Sessions.getFirst(); p != nullptr; p = m_Sessions.getNext(p)) {
    p->apiSessInfo.backDel = PELK_DELETE_NOT_ALLOWED;
  }
  EXPECT_EQ(backup(BACKUP_TYPE_FULL, 2), 1301);
  EXPECT_EQ(stored(0, PELK_ACTIVE).size(), 1u);
  EXPECT_EQ(temporaryObjects(), 0);
}

}  // namespace

namespace {

// Cancels at random moments of backups (a reproducible sequence): every backup the cancel
// reached before its commit ends with 415 and leaves the previous backup the active one, every
// other ends with 0 as the new active backup; nothing stays open and no temporary object stays
// behind. The wait for a unique time stamp after the commit is no work a cancel undoes: under the
// fixture's wall clock, whose second moves on at every reading, the span drawn from is the
// backup's work.
TEST_F(BackupDbTest, ACancelAtAnyMomentEndsWith415AndLeavesNoTemporaryObject) {
  // The span is the shortest of three backups, so that a delay within its first half falls
  // within the first half of any backup's work.
  int64_t span = INT64_MAX;
  for (int n = 0; n < 3; n++) {
    auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(backup(BACKUP_TYPE_FULL, 4), 0);
    span = std::min<int64_t>(span, std::chrono::duration_cast<std::chrono::milliseconds>(
                                       std::chrono::steady_clock::now() - started)
                                       .count());
  }
  std::mt19937 random(20261210);
  std::uniform_int_distribution<int> delays(0, static_cast<int>(span / 2));
  int cancelled = 0;
  for (int n = 0; n < 20; n++) {
    int delay = delays(random);
    SCOPED_TRACE("cancel after " + std::to_string(delay) + " ms");
    std::vector<uint64_t> before = activeObjectIds();
    uint32_t cancel = 0;
    std::atomic<bool> done{false};
    std::thread canceller([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(delay));
      if (!done) std::atomic_ref<uint32_t>(cancel).store(1);
    });
    int rc = backup(BACKUP_TYPE_FULL, 4, &cancel);
    done = true;
    canceller.join();
    if (rc == 415) cancelled++;
    EXPECT_TRUE(rc == 0 || rc == 415) << rc << " " << m_Backup->consumerText();
    if (rc == 415) {
      EXPECT_EQ(activeObjectIds(), before);
    } else if (rc == 0) {
      expectActiveBackup(m_Backup->backupId(), 4);
    }
    EXPECT_EQ(temporaryObjects(), 0);
  }
  EXPECT_GE(cancelled, 10);
  ASSERT_EQ(backup(BACKUP_TYPE_FULL, 4), 0) << m_Backup->consumerText();
}

// A cancel during the completion leaves the backup whole or not at all. Made before the commit
// vote (at the meta-data object, at a rename), it aborts the completion transaction: the
// previous backup stays the active one and nothing of the new one stays. Made while the vote
// is out, it no longer undoes the committed backup: the backup ends well on both sides and is
// the active one.
TEST_F(BackupDbTest, ACancelDuringTheCompletionLeavesTheBackupWholeOrNotAtAll) {
  struct Case {
    const char* callP;
    int nth;  // with two stripes: the stripes' own calls come first
    int rc;
    bool made;
  };
  const Case cases[] = {
      {"dpelkSendObj", 3, 415, false},
      {"dpelkRenameObj", 1, 415, false},
      {"dpelkEndTxn", 3, 0, true},
  };
  ASSERT_EQ(backup(BACKUP_TYPE_FULL, 2), 0) << m_Backup->consumerText();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.callP);
    std::vector<uint64_t> before = activeObjectIds();
    uint32_t cancel = 0;
    int rc = 0;
    {
      CancelAfterCall cancelAt(&cancel, c.callP, c.nth);
      rc = backup(BACKUP_TYPE_FULL, 2, &cancel);
    }
    EXPECT_EQ(std::atomic_ref<uint32_t>(cancel).load(), 1u);
    EXPECT_EQ(rc, c.rc) << m_Backup->consumerText();
    EXPECT_EQ(temporaryObjects(), 0);
    if (c.made) {
      expectActiveBackup(m_Backup->backupId(), 2);
    } else {
      EXPECT_EQ(activeObjectIds(), before);
    }
    expectRestoresIdentical(std::string("copy_") + c.callP);
  }
}

// Left-overs of failed backups: a backup removes those at least a week old (the default age),
// in the data filespaces it uses and in those above them that a wider backup killed before its
// completion used; it keeps younger ones and any from the future; with an age of 0 it removes
// every one but its own.
TEST_F(BackupDbTest, LeftoversOfFailedBackupsGoOnceOldEnough) {
  auto leftover = [&](uint32_t index, int32_t days, uint32_t pid) {
    agentDateTime now;
    dateGetNow(&now);
    objInfo info = objInfoEmpty();
    info.id.processId = pid;
    dateAddDays(&now, days, &info.id.backupTime);
    uint8_t bytes[OBJINFO_DATA_SIZE];
    objInfoToBytes(info, bytes, OBJINFO_DATA_SIZE);
    const agentDateTime& t = info.id.backupTime;
    char ll[64];
    snprintf(ll, sizeof ll, "\\full.%04u%02u%02u%02u%02u%02u%08X", unsigned(dateYear(&t)), t.month,
             t.day, t.hour, t.minute, t.second, pid);
    storeObject(fsName(index), "\\sales", ll, "left over",
                std::string(reinterpret_cast<char*>(bytes), sizeof bytes));
    return std::string(ll);
  };
  auto names = [&](uint32_t index) {
    std::set<std::string> all;
    for (const qryRespBackupData& o : stored(index)) all.insert(o.objName.ll);
    return all;
  };
  std::string old = leftover(1, -8, 0x111);
  std::string young = leftover(2, -3, 0x222);
  std::string future = leftover(1, 1, 0x333);
  // Stripes 3 and 4 of a wider backup, which the next backups of 2 stripes do not use.
  leftover(3, -30, 0x444);
  std::string wideYoung = leftover(4, -2, 0x555);
  ASSERT_EQ(backup(BACKUP_TYPE_FULL, 2), 0);
  EXPECT_EQ(names(1), (std::set<std::string>{"\\full", future}));
  EXPECT_EQ(names(2), (std::set<std::string>{"\\full", young}));
  EXPECT_EQ(names(3), std::set<std::string>{});
  EXPECT_EQ(names(4), std::set<std::string>{wideYoung});

  m_OlderThan = 0;
  ASSERT_EQ(backup(BACKUP_TYPE_FULL, 2), 0);
  EXPECT_EQ(names(2), std::set<std::string>{"\\full"});
  EXPECT_EQ(names(4), std::set<std::string>{});
}

}  // namespace

namespace {

TEST_F(BackupDbTest, AClassWithoutABackupCopyGroupFailsTheStripes) {
  sim({"class", "add", "NOCOPY", "--no-backup-cg"});
  sim({"rule", "add", "*", "*", "*", "NOCOPY"});
  EXPECT_EQ(backup(BACKUP_TYPE_FULL, 2), 1320);
  EXPECT_TRUE(stored(0).empty());
  EXPECT_EQ(temporaryObjects(), 0);
}

// The size estimate handed to the storage server: each stripe gets its share plus one MiB and
// one byte, and no adjustment takes the estimate below one byte.
TEST_F(BackupDbTest, TheSizeEstimateNeverFallsBelowOneBytePerBackup) {
  constexpr uint64_t kExtra = 0x100001;
  ASSERT_EQ(backup(BACKUP_TYPE_FULL, 2), 0);
  uint64_t full = m_Backup->sizeEstimate();
  EXPECT_GT(full, 2 * kExtra);
  m_EstimatePct = 0;
  ASSERT_EQ(backup(BACKUP_TYPE_DIFFFULL, 2), 0);
  EXPECT_EQ(m_Backup->sizeEstimate(), 2 * kExtra);
  m_EstimatePct = 50;
  m_Parms.lEstimateAdjustPct = -200;
  ASSERT_EQ(backup(BACKUP_TYPE_FULL, 2), 0);
  EXPECT_EQ(m_Backup->sizeEstimate(), 2 * kExtra);  // (1 byte / 2) + the extra per stripe
  m_Parms.lEstimateAdjustPct = 0;
  m_Parms.lEstimateAdjustKb = 1024;
  ASSERT_EQ(backup(BACKUP_TYPE_FULL, 2), 0);
  EXPECT_EQ(m_Backup->sizeEstimate(), full + 1024 * 1024);
}

}  // namespace
