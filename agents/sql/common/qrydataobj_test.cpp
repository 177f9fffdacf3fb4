#include "qrydataobj.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "moxtar_testutil.h"

namespace {

zarnakObjId idOf(uint32_t pid, uint8_t second = 5) {
  zarnakObjId id{};
  id.processId = pid;
  agentNativeDateTime t = {2026, 12, 10, 12, 0, second};
  dateFromNative(&t, &id.backupTime);
  return id;
}

std::string infoBytes(const zarnakObjId& id, size_t length, uint32_t numStripes = 0) {
  objInfo info = objInfoEmpty();
  info.id = id;
  info.numStripes = numStripes;
  std::string bytes(length, '\0');
  objInfoToBytes(info, reinterpret_cast<uint8_t*>(bytes.data()), length);
  return bytes;
}

std::string fsOf(uint32_t index) {
  char fs[OBJ_NAME_MAX_FS_LENGTH + 1];
  buildFsName(fs, "SRV", index);
  return fs;
}

class QryDataObjectsTest : public MoxtarFixture {
 protected:
  void SetUp() override {
    MoxtarFixture::SetUp();
    for (uint32_t i = 0; i <= 3; i++) addFilespace(fsOf(i));
  }

  // The names of the backup in hand.
  std::string m_Hl = "\\db";

 public:
  // The meta-data object's query answer, as the query of stored backups keeps it.
  MoxtarMetaInfo meta(const zarnakObjId& id, uint32_t numStripes, uint8_t state = PELK_ACTIVE) {
    MoxtarMetaInfo m;
    memset(static_cast<qryRespBackupData*>(&m), 0, sizeof(qryRespBackupData));
    m.objName = objNameOf(fsOf(0), m_Hl, "\\FULL");
    m.objState = state;
    std::string info = infoBytes(id, OBJINFO_META_SIZE, numStripes);
    memcpy(m.objInfo, info.data(), info.size());
    m.objInfolen = OBJINFO_META_SIZE;
    return m;
  }
  void storeData(uint32_t stripe, const zarnakObjId& id, size_t infoLength = OBJINFO_DATA_SIZE) {
    storeObject(fsOf(stripe), m_Hl, "\\FULL", "data", infoBytes(id, infoLength));
  }
  int query(MoxtarMetaInfo& m, MoxtarBackupList& list) {
    return qryDataObjects(&m_Status, &m, nullptr, m_Handle, &list, m_ErrorText);
  }
  // The filespaces of the list's elements after the first `skip`, and whether each carries id.
  std::string found(MoxtarBackupList& list, const zarnakObjId& id, uint32_t skip = 0) {
    std::string text;
    for (MoxtarDbInfo* p = list.getFirst(); p != nullptr; p = list.getNext(p)) {
      if (skip > 0) {
        skip--;
        continue;
      }
      objInfo info;
      bool mine = objInfoFromResp(*p, OBJINFO_DATA_SIZE, &info) == 0 &&
                  compareZarnakObjIds(info.id, id) == 0;
      text += std::string(p->objName.fs).substr(std::string(p->objName.fs).size() - 4) +
              (mine ? "+ " : "- ");
    }
    return text;
  }
};

TEST_F(QryDataObjectsTest, OneObjectPerStripeWithTheMetaObjectsIdentity) {
  zarnakObjId id = idOf(100);
  for (uint32_t stripe : {3u, 1u, 2u}) storeData(stripe, id);
  storeData(2, id);         // an older version of stripe 2 with the same identity
  storeData(1, idOf(200));  // another backup's leftover under the same names ...
  storeData(1, id);         // ... made inactive by this one
  MoxtarBackupList list;
  MoxtarDbInfo before{};
  strcpy(before.objName.fs, "\\\\keep\\me");
  list.addTail(&before);
  MoxtarMetaInfo m = meta(id, 3);
  ASSERT_EQ(query(m, list), 0) << m_ErrorText;
  EXPECT_EQ(found(list, id, 1), "0001+ 0002+ 0003+ ");
  EXPECT_STREQ(list.getFirst()->objName.fs, "\\\\keep\\me");

  MoxtarMetaInfo none = meta(id, 0);
  EXPECT_EQ(query(none, list), 0);
  EXPECT_EQ(list.getCount(), 4u);
}

TEST_F(QryDataObjectsTest, InactiveDataObjectUnderAnActiveMetaObjectIsFoundByTheSecondPass) {
  zarnakObjId id = idOf(100);
  storeData(1, id);
  storeData(2, id);
  storeData(2, idOf(300));  // the active version of stripe 2 belongs to another backup
  MoxtarBackupList list;
  MoxtarMetaInfo m = meta(id, 2);
  ASSERT_EQ(query(m, list), 0) << m_ErrorText;
  EXPECT_EQ(found(list, id), "0001+ 0002+ ");
  EXPECT_EQ(m.objState, PELK_ACTIVE);
}

TEST_F(QryDataObjectsTest, MissingAmbiguousOrDamagedBackupsAreCorrupt) {
  zarnakObjId id = idOf(100);
  struct Case {
    const char* what;
    void (*store)(QryDataObjectsTest* t, const zarnakObjId& id);
    uint8_t metaState;
    size_t metaInfoLength;
  };
  const Case cases[] = {
      {"stripe 2 missing", [](QryDataObjectsTest* t, const zarnakObjId& i) { t->storeData(1, i); },
       PELK_ACTIVE, OBJINFO_META_SIZE},
      {"only another backup's object",
       [](QryDataObjectsTest* t, const zarnakObjId&) {
         t->storeData(1, idOf(100, 6));
         t->storeData(2, idOf(101));
       },
       PELK_ACTIVE, OBJINFO_META_SIZE},
      // Two inactive versions with the identity: two candidates in both passes.
      {"two candidates",
       [](QryDataObjectsTest* t, const zarnakObjId& i) {
         for (int n = 0; n < 3; n++) t->storeData(1, i);
         for (int n = 0; n < 2; n++) t->storeData(2, i);
       },
       PELK_INACTIVE, OBJINFO_META_SIZE},
      {"data object attributes of a foreign length",
       [](QryDataObjectsTest* t, const zarnakObjId& i) {
         t->storeData(1, i);
         t->storeData(2, i, 40);
       },
       PELK_ACTIVE, OBJINFO_META_SIZE},
      {"meta object attributes of a foreign length",
       [](QryDataObjectsTest* t, const zarnakObjId& i) {
         t->storeData(1, i);
         t->storeData(2, i);
       },
       PELK_ACTIVE, 100},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    m_Hl = "\\case" + std::to_string(n++);
    c.store(this, id);
    MoxtarBackupList list;
    MoxtarMetaInfo m = meta(id, 2, c.metaState);
    m.objInfolen = static_cast<pelkUint16_t>(c.metaInfoLength);
    EXPECT_EQ(query(m, list), RC_CORRUPT_BACKUP);
    EXPECT_EQ(m.objState, c.metaState);
  }
}

TEST_F(QryDataObjectsTest, StripeCountOverTheLimitIsCorrupt) {
  zarnakObjId id = idOf(100);
  MoxtarMetaInfo m = meta(id, 2);
  m.objInfo[0x38] = 65;
  MoxtarBackupList list;
  EXPECT_EQ(query(m, list), RC_CORRUPT_BACKUP);
  EXPECT_EQ(list.getCount(), 0u);
}

TEST_F(QryDataObjectsTest, ForeignFilespaceName) {
  MoxtarMetaInfo m = meta(idOf(100), 1);
  strcpy(m.objName.fs, "/home/somebody");
  MoxtarBackupList list;
  EXPECT_EQ(query(m, list), RC_FS_NAME_NOT_AGENTS);
}

}  // namespace
