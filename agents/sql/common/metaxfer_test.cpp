#include "metaxfer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "moxtar_testutil.h"
#include "sqlmetadesc_testutil.h"

namespace {

std::string fsOf(uint32_t index) {
  char fs[OBJ_NAME_MAX_FS_LENGTH + 1];
  buildFsName(fs, "SRV", index);
  return fs;
}

zarnakObjId idOf(uint32_t pid) {
  zarnakObjId id{};
  id.processId = pid;
  agentNativeDateTime t = {2026, 12, 10, 12, 30, 0};
  dateFromNative(&t, &id.backupTime);
  return id;
}

// The stored backups as the query of stored backups lists them: each entry with a database
// element of its own.
struct Listed {
  struct Element {
    SqlHublorDbElement db{};
    CLinkedList<SqlMetaGroupInfo> groups;
    CLinkedList<SqlMetaFileInfo> files;
  };
  CLinkedList<MoxtarMetaInfo> list;
  std::vector<std::unique_ptr<Element>> elements;

  void add(const qryRespBackupData& resp) {
    MoxtarMetaInfo entry;
    static_cast<qryRespBackupData&>(entry) = resp;
    elements.push_back(std::make_unique<Element>());
    Element& e = *elements.back();
    fillQueryBackupEntry(&entry, &e.db);
    e.db.pGroupList = &e.groups;
    e.db.pFileList = &e.files;
    list.addTail(&entry);
  }
};

class MetaTransferTest : public MoxtarFixture {
 protected:
  void SetUp() override {
    MoxtarFixture::SetUp();
    addFilespace(fsOf(0));
    m_Db.standard();
  }
  void TearDown() override {
    clearFaults();
    MoxtarFixture::TearDown();
  }

  // One meta-data object sent by CBackupMetaData in a transaction of its own.
  int backup(CBackupMetaData& transfer, const std::string& hl, uint32_t pid,
             uint32_t mountWait = 0) {
    SqlDbInfo dbInfo = {&m_Db.m_Db, nullptr, nullptr, 0};
    pkInt64 estimate, metaSize;
    sqlMetaDataInfo info;
    EXPECT_EQ(sqlMetaEstimate(&estimate, &info, &metaSize, BACKUP_TYPE_FULL, m_Db.m_Server, dbInfo,
                              nullptr),
              0);
    pelkObjName name = objNameOf(fsOf(0), hl, "\\FULL");
    zarnakObjId id = idOf(pid);
    DPelkApi* apiP = m_Api.get();
    EXPECT_EQ(DPelkApi::dpelkBeginTxn(apiP, &m_Status, m_Handle), 0);
    int rc = transfer.run(0, nullptr, &info, metaSize, pkInt64FromU32(12345), BACKUP_TYPE_FULL, 2,
                          &m_Cancel, mountWait, &dbInfo, &id, m_Handle, &name);
    pelkUint16_t reason = 0;
    DPelkApi::dpelkEndTxn(apiP, &m_Status, m_Handle,
                          rc == RC_OK ? PELK_VOTE_COMMIT : PELK_VOTE_ABORT, &reason);
    return rc;
  }

  // The meta-data objects of the filespace, listed in the reverse of the server's order.
  void list(Listed* listedP) {
    std::vector<qryRespBackupData> all = objects(fsOf(0), PELK_ACTIVE);
    for (auto it = all.rbegin(); it != all.rend(); ++it) listedP->add(*it);
  }

  uint32_t restore(Listed& listed, uint32_t* restoredP, uint32_t bufferKb = 4) {
    double seconds = 0;
    uint64_t bytes = 0;
    return restoreMetaList(0, nullptr, &listed.list, restoredP, 0, bufferKb, 2, &m_Cancel, m_Handle,
                           &seconds, &bytes, m_MsgBuffer);
  }

  DbFixture m_Db;
  uint32_t m_Cancel = 0;
  char m_MsgBuffer[PELK_RCMSG_SIZE] = "x";
};

TEST_F(MetaTransferTest, WrittenInATransactionAndReadBackInRestoreOrder) {
  CBackupMetaData transfer(&m_Db.m_Server, 2, 64);
  for (uint32_t i = 1; i <= 3; i++) {
    ASSERT_EQ(backup(transfer, "\\db" + std::to_string(i), 100 + i), 0) << transfer.resultMessage();
  }
  Listed listed;
  list(&listed);
  ASSERT_EQ(listed.list.getCount(), 3u);
  uint32_t restored = 0;
  ASSERT_EQ(restore(listed, &restored), 0u) << m_MsgBuffer;
  EXPECT_EQ(restored, 3u);
  EXPECT_STREQ(m_MsgBuffer, "");
  MoxtarMetaInfo* previousP = nullptr;
  for (MoxtarMetaInfo* p = listed.list.getFirst(); p != nullptr; p = listed.list.getNext(p)) {
    if (previousP != nullptr) {
      EXPECT_LT(compareRestoreOrder(previousP, p), 0);
    }
    previousP = p;
    EXPECT_EQ(p->nActionRc, 0u);
    ASSERT_NE(p->hublorDbElemP, nullptr);
    EXPECT_EQ(p->hublorDbElemP->pGroupList->getCount(), 4u);
    EXPECT_EQ(p->hublorDbElemP->pFileList->getCount(), 7u);
    EXPECT_STREQ(p->hublorDbElemP->pFileList->getLast()->peFileGroup->szGroupName,
                 SQL_LOG_GROUP_NAME);
    objInfo info;
    ASSERT_EQ(objInfoFromResp(*p, OBJINFO_META_SIZE, &info), 0);
    EXPECT_EQ(info.numStripes, 2u);
    EXPECT_EQ(pkInt64ToNative(info.backupSize64), 12345u);
    EXPECT_EQ(info.id.processId, 100 + std::string(p->objName.hl).back() - '0');
    pelkApiVersion version;
    DPelkApi::dpelkQueryApiVersion(m_Api.get(), &m_Status, &version);
    EXPECT_EQ(info.moxtarApiVersion[0], version.version);
    EXPECT_EQ(info.moxtarApiVersion[1], version.release);
    EXPECT_EQ(info.moxtarApiVersion[2], version.level);
    EXPECT_EQ(pkInt64ToNative(pkInt64Make(p->sizeEstimate.hi, p->sizeEstimate.lo)),
              4u * 200 + 7 * 448);
  }
}

TEST_F(MetaTransferTest, FourHundredFiftyObjectsInRetrievalsOfTwoHundred) {
  Written w = writeDescription(m_Db, BACKUP_TYPE_FULL, {&m_Db.m_Db, nullptr, nullptr, 0});
  ASSERT_EQ(w.rc, 0);
  objInfo info = objInfoEmpty();
  info.sqlMeta = w.info;
  std::string infoBytes(OBJINFO_META_SIZE, '\0');
  objInfoToBytes(info, reinterpret_cast<uint8_t*>(infoBytes.data()), OBJINFO_META_SIZE);
  for (int i = 0; i < 450; i++) {
    storeObject(fsOf(0), "\\db" + std::to_string(i), "\\FULL", w.bytes, infoBytes);
  }
  // The third retrieval cannot begin: its first entry fails alone, the next one begins anew.
  armFault("pelkBeginGetData nth=3 code=PELK_RC_STORE_ERROR");
  Listed listed;
  list(&listed);
  uint32_t restored = 0;
  EXPECT_EQ(restore(listed, &restored), 402u);
  EXPECT_EQ(restored, 449u);
  EXPECT_STREQ(m_MsgBuffer, "");
  int index = 0;
  for (MoxtarMetaInfo* p = listed.list.getFirst(); p != nullptr;
       p = listed.list.getNext(p), index++) {
    EXPECT_EQ(p->nActionRc, index == 400 ? 418u : 0u) << index;
  }
}

TEST_F(MetaTransferTest, ObjectLargerThanTheReadBuffers) {
  DbFixture big;
  std::vector<std::string> names;
  for (int i = 0; i < 4000; i++) names.push_back("g:\\f" + std::to_string(i) + ".ndf");
  std::vector<const char*> nameP;
  for (const std::string& n : names) nameP.push_back(n.c_str());
  big.addGroup("PRIMARY", nameP);
  m_Db.m_Db = big.m_Db;  // not used: the big database is sent below
  CBackupMetaData transfer(&big.m_Server, META_NUM_BUFFERS, META_BUFFER_SIZE_KB);
  SqlDbInfo dbInfo = {&big.m_Db, nullptr, nullptr, 0};
  pkInt64 estimate, metaSize;
  sqlMetaDataInfo info;
  ASSERT_EQ(
      sqlMetaEstimate(&estimate, &info, &metaSize, BACKUP_TYPE_FULL, big.m_Server, dbInfo, nullptr),
      0);
  pelkObjName name = objNameOf(fsOf(0), "\\big", "\\FULL");
  zarnakObjId id = idOf(7);
  ASSERT_EQ(DPelkApi::dpelkBeginTxn(m_Api.get(), &m_Status, m_Handle), 0);
  ASSERT_EQ(transfer.run(0, nullptr, &info, metaSize, pkInt64Zero, BACKUP_TYPE_FULL, 1, &m_Cancel,
                         0, &dbInfo, &id, m_Handle, &name),
            0);
  pelkUint16_t reason = 0;
  ASSERT_EQ(DPelkApi::dpelkEndTxn(m_Api.get(), &m_Status, m_Handle, PELK_VOTE_COMMIT, &reason), 0);
  Listed listed;
  list(&listed);
  uint32_t restored = 0;
  ASSERT_EQ(restore(listed, &restored, 4), 0u);
  SqlHublorDbElement* dbP = listed.list.getFirst()->hublorDbElemP;
  EXPECT_EQ(dbP->pFileList->getCount(), 4000u);
  EXPECT_STREQ(dbP->pFileList->getLast()->szFilePhysicalName, "g:\\f3999.ndf");
}

TEST_F(MetaTransferTest, FailedLastEntryStillEndsItsRetrieval) {
  CBackupMetaData transfer(&m_Db.m_Server, 2, 64);
  ASSERT_EQ(backup(transfer, "\\db1", 1), 0);
  ASSERT_EQ(backup(transfer, "\\db2", 2), 0);
  Listed listed;
  list(&listed);
  // The last in restore order claims one file more than it holds.
  listed.list.sortbmrg(
      [](MoxtarMetaInfo* a, MoxtarMetaInfo* b) { return compareRestoreOrder(a, b); }, nullptr);
  listed.list.getLast()->hublorDbElemP->lDbNumDataFiles++;
  uint32_t restored = 0;
  EXPECT_EQ(restore(listed, &restored), 402u);
  EXPECT_EQ(restored, 1u);
  EXPECT_EQ(listed.list.getLast()->nActionRc, 503u);
  // The session takes other work: no retrieval was left open.
  EXPECT_EQ(objects(fsOf(0)).size(), 2u);
}

TEST_F(MetaTransferTest, CancelledOrEmptyListsTouchNothing) {
  CBackupMetaData transfer(&m_Db.m_Server, 2, 64);
  ASSERT_EQ(backup(transfer, "\\db1", 1), 0);
  ASSERT_EQ(backup(transfer, "\\db2", 2), 0);
  Listed listed;
  list(&listed);
  for (MoxtarMetaInfo* p = listed.list.getFirst(); p; p = listed.list.getNext(p)) p->nActionRc = 77;
  std::string firstHl = listed.list.getFirst()->objName.hl;
  m_Cancel = 1;
  uint32_t restored = 9;
  EXPECT_EQ(restore(listed, &restored), 415u);
  EXPECT_EQ(restored, 0u);
  EXPECT_EQ(listed.list.getFirst()->objName.hl, firstHl);
  EXPECT_EQ(listed.list.getFirst()->nActionRc, 77u);
  m_Cancel = 0;
  Listed empty;
  EXPECT_EQ(restore(empty, &restored), 0u);
}

TEST_F(MetaTransferTest, MountWaitAndBindFailures) {
  CBackupMetaData transfer(&m_Db.m_Server, 2, 64);
  armFault("pelkSendObj code=PELK_RC_STORE_ERROR");
  EXPECT_EQ(backup(transfer, "\\db1", 1, 1), 418);
  EXPECT_NE(transfer.resultMessage(), nullptr);
  clearFaults();
  armFault("pelkBindMC code=PELK_RC_EXCLUDED");
  EXPECT_EQ(backup(transfer, "\\db1", 1), 1302);
  clearFaults();
  armFault("pelkBindMC code=PELK_RC_WILL_ABORT");
  EXPECT_EQ(backup(transfer, "\\db1", 1), 1304);
  clearFaults();
  // A class without a backup copy group: nothing is sent.
  sim({"class", "add", "NOCG", "--no-backup-cg"});
  sim({"rule", "add", "*", "\\nocg*", "*", "NOCG"});
  EXPECT_EQ(backup(transfer, "\\nocg1", 1), 1320);
  EXPECT_TRUE(objects(fsOf(0)).empty());
  ASSERT_EQ(backup(transfer, "\\db1", 1, 1), 0);
  EXPECT_EQ(objects(fsOf(0)).size(), 1u);
}

}  // namespace
