#include "sqlqbentry.h"

#include <gtest/gtest.h>

#include <cstring>

#include "sqlmeta_testutil.h"

namespace {

void putU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; i++) p[i] = uint8_t(v >> (8 * i));
}

// The attributes of a meta-data object of a server of version 8.0 holding `meta`.
void objInfoOf(const sqlMetaDataInfo& meta, uint8_t* objInfo) {
  memset(objInfo, 0, SQL_OBJINFO_META_SIZE);
  putU32(objInfo + SQL_OBJINFO_VERSION_MAJOR_OFFSET, 8);
  putU32(objInfo + SQL_OBJINFO_VERSION_MINOR_OFFSET, 2039);
  sqlMetaToBytes(meta, objInfo + SQL_OBJINFO_META_OFFSET);
}

TEST(FillQueryBackupEntry, FillsTheRecordFromTheStoredDescription) {
  sqlMetaDataInfo meta = sqlMetaSample();
  uint8_t objInfo[SQL_OBJINFO_META_SIZE];
  objInfoOf(meta, objInfo);

  SqlHublorDbElement db;
  memset(&db, 0x5a, sizeof db);
  ASSERT_EQ(fillQueryBackupEntry("\\sales\\20261210120000\\000004D2", objInfo, &db), 0);
  EXPECT_EQ(db.usVersion, 1);
  EXPECT_EQ(db.pGroupList, nullptr);
  EXPECT_EQ(db.pFileList, nullptr);
  EXPECT_EQ(db.pRelocateList, nullptr);
  EXPECT_STREQ(db.szIntoDbName, "");
  EXPECT_STREQ(db.szStandbyFile, "");
  EXPECT_EQ(db.lSqlVersionMajor, 8u);
  EXPECT_EQ(db.lSqlVersionMinor, 2039u);
  EXPECT_EQ(db.lSqlDefaultCodePage, 1252u);
  EXPECT_EQ(db.lSqlDefaultSortOrderId, 0x01020304u);
  EXPECT_EQ(db.lSqlDefaultUnicodeLocaleId, 1033u);
  EXPECT_EQ(db.lSqlDefaultUnicodeComparisonStyle, 196609u);
  EXPECT_EQ(pkInt64ToNative(db.u64DbDataFileSize), 0x1122334455667788u);
  EXPECT_EQ(pkInt64ToNative(db.u64DbLogSpaceUsed), 0x300000004u);
  EXPECT_EQ(db.lDbNumDataGroups, 2u);
  EXPECT_EQ(db.lDbNumDataFiles, 3u);
  EXPECT_EQ(db.lDbNumLogFiles, 1u);
  EXPECT_EQ(db.lDbCompatibilityLevel, 80u);
  EXPECT_EQ(db.lDbVersion, 539u);
  EXPECT_EQ(db.bDbGroupIsSelected, 0u);
  EXPECT_EQ(db.bDbFileIsSelected, 0u);
  const uint32_t flags[SQL_META_FLAG_COUNT] = {1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  for (int i = 0; i < SQL_META_FLAG_COUNT; i++) EXPECT_EQ(db.bFlags[i], flags[i]) << i;
  EXPECT_EQ(db.ulDriveMask, 0xcu);
  EXPECT_STREQ(db.szSqlServerBuild, "2039");
  EXPECT_STREQ(db.szSqlDatabaseName, "sales");
}

TEST(FillQueryBackupEntry, PlainUserDatabaseAndTheNameSplit) {
  uint8_t objInfo[SQL_OBJINFO_META_SIZE];
  sqlMetaDataInfo meta = sqlMetaEmpty();
  meta.usFlags = 0x0001;
  memcpy(meta.szSqlServerBuild, "123456", SQL_META_BUILD_SIZE);  // full field, no terminator
  objInfoOf(meta, objInfo);
  SqlHublorDbElement db;
  ASSERT_EQ(fillQueryBackupEntry("\\Sales", objInfo, &db), 0);
  EXPECT_EQ(db.bFlags[SQL_META_FLAG_ALWAYS], 1u);
  for (int i = 1; i < SQL_META_FLAG_COUNT; i++) EXPECT_EQ(db.bFlags[i], 0u) << i;
  EXPECT_STREQ(db.szSqlDatabaseName, "Sales");
  EXPECT_STREQ(db.szSqlServerBuild, "12345");  // stays in its field

  struct {
    struct {
      char hl[1025];
    } objName;
    char objInfo[SQL_OBJINFO_META_SIZE];
    void* hublorDbElemP;
  } entry{};
  strcpy(entry.objName.hl, "\\hr\\PRIMARY");
  memcpy(entry.objInfo, objInfo, sizeof objInfo);
  ASSERT_EQ(fillQueryBackupEntry(&entry, &db), 0);
  EXPECT_EQ(entry.hublorDbElemP, &db);
  EXPECT_STREQ(db.szSqlDatabaseName, "hr");

  std::string longName = "\\" + std::string(300, 'n') + "\\grp";
  ASSERT_EQ(fillQueryBackupEntry(longName.c_str(), objInfo, &db), 0);
  EXPECT_EQ(strlen(db.szSqlDatabaseName), SQL_NAME_SIZE - 1);
}

TEST(SqlMetaFlags, PackedFromTheServerAndDatabaseAndUnpackedIntoTheRecord) {
  SqlServerElement server{};
  SqlDatabaseElement db{};
  EXPECT_EQ(sqlMetaFlagsOf(server, db, false, false), 0x0001);  // a plain user database
  server.bSqlIsClustered = 1;
  db.bDbIsSystemDatabase = 1;
  db.bDbIsReadOnly = 1;
  db.bDbIsTornPageDetection = 1;
  uint16_t word = sqlMetaFlagsOf(server, db, true, false);
  EXPECT_EQ(word, 0x1000 | 0x0100 | 0x0010 | 0x0008 | 0x0002 | 0x0001);

  sqlMetaDataInfo meta = sqlMetaEmpty();
  meta.usFlags = word;
  uint8_t objInfo[SQL_OBJINFO_META_SIZE];
  objInfoOf(meta, objInfo);
  SqlHublorDbElement back;
  ASSERT_EQ(fillQueryBackupEntry("\\sales", objInfo, &back), 0);
  const uint32_t want[SQL_META_FLAG_COUNT] = {1, 1, 0, 1, 1, 0, 0, 0, 1, 0, 0, 0, 1};
  for (int i = 0; i < SQL_META_FLAG_COUNT; i++) EXPECT_EQ(back.bFlags[i], want[i]) << i;
}

}  // namespace
