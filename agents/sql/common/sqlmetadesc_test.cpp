#include "sqlmetadesc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sqlmetadesc_testutil.h"

namespace {

TEST(SqlMetaDescription, EveryBackupTypeWritesItsRecordsAndReadsThemBack) {
  DbFixture db;
  db.standard();
  SqlGroupElement* second = db.m_Groups.getNext(db.m_Groups.getFirst());
  // Set backup: SECOND whole, file 5 of THIRD and file 1 of PRIMARY on their own.
  second->bGroupIsSelected = 1;
  db.file(5)->bFileIsSelected = 1;
  db.file(5)->peFileGroup->bGroupFileIsSelected = 1;
  db.file(1)->bFileIsSelected = 1;
  db.file(1)->peFileGroup->bGroupFileIsSelected = 1;
  struct Case {
    uint32_t type;
    SqlDbInfo info;
    std::string records;
    uint32_t groups, dataFiles, logFiles;
    uint16_t selectionBits;  // flag bits 1 and 2
  };
  const Case cases[] = {
      // The whole-database types keep the selection words of the elements as stored zeros;
      // the fixture's selection shows only where a type reads it.
      {BACKUP_TYPE_FULL, {&db.m_Db, nullptr, nullptr, 0}, "", 3, 6, 1, 0},
      {BACKUP_TYPE_DIFFFULL, {&db.m_Db, nullptr, nullptr, 0}, "", 3, 6, 1, 0},
      {BACKUP_TYPE_LOG, {&db.m_Db, nullptr, nullptr, 0}, "", 3, 6, 1, 0},
      {BACKUP_TYPE_GROUP,
       {&db.m_Db, second, nullptr, 0},
       "G0:SECOND:3W F0:SECOND_2@SECOND F1:SECOND_3@SECOND F2:SECOND_4@SECOND ",
       1,
       3,
       0,
       0x2},
      {BACKUP_TYPE_FILE,
       {&db.m_Db, nullptr, db.file(3), 0},
       "G0:SECOND:1P F0:SECOND_3S@SECOND ",
       1,
       1,
       0,
       0x4},
      {BACKUP_TYPE_SET,
       {&db.m_Db, nullptr, nullptr, 0},
       "G0:PRIMARY:1P G1:SECOND:3W G2:THIRD:1P F0:PRIMARY_1S@PRIMARY F1:SECOND_2@SECOND "
       "F2:SECOND_3@SECOND F3:SECOND_4@SECOND F4:THIRD_5S@THIRD ",
       3,
       5,
       0,
       0x6},
  };
  for (const Case& c : cases) {
    Written w = writeDescription(db, c.type, c.info);
    ASSERT_EQ(w.rc, 0) << c.type;
    EXPECT_EQ(w.info.lDbNumDataGroups, c.groups) << c.type;
    EXPECT_EQ(w.info.lDbNumDataFiles, c.dataFiles) << c.type;
    EXPECT_EQ(w.info.lDbNumLogFiles, c.logFiles) << c.type;
    EXPECT_EQ(w.info.usFlags & 0x6, c.selectionBits) << c.type;
    EXPECT_EQ(pkInt64ToNative(w.metaSize), w.bytes.size()) << c.type;
    Entry entry(w.info, w.bytes.size());
    ASSERT_EQ(readDescription(entry, w.bytes), 0) << c.type;
    std::string expected = c.records;
    if (expected.empty()) {
      expected =
          "G0:PRIMARY:2 G1:SECOND:3 G2:THIRD:1 G0:TRANSACTION LOG:1 F0:PRIMARY_0@PRIMARY "
          "F1:PRIMARY_1@PRIMARY F2:SECOND_2@SECOND F3:SECOND_3@SECOND F4:SECOND_4@SECOND "
          "F5:THIRD_5@THIRD F6:TRANSACTION LOG_6@TRANSACTION LOG ";
    }
    EXPECT_EQ(describe(entry), expected) << c.type;
    EXPECT_EQ(entry.groups.getFirst()->peGroupFirstFile, entry.files.getFirst()) << c.type;
  }
}

TEST(SqlMetaDescription, EstimateSizesAndDriveMasks) {
  DbFixture db;
  db.standard();
  SqlDbInfo whole = {&db.m_Db, nullptr, nullptr, 0};
  Written full = writeDescription(db, BACKUP_TYPE_FULL, whole);
  ASSERT_EQ(full.rc, 0);
  // c, d, e and l; the share and the path without a drive set nothing.
  EXPECT_EQ(full.info.ulDriveMask, (1u << 2) | (1u << 3) | (1u << 4) | (1u << 11));
  EXPECT_EQ(pkInt64ToNative(full.estimate), pkInt64ToNative(db.m_Db.u64DbDataSpaceUsed));
  EXPECT_EQ(full.info.usFlags, 0x1001);  // always-set bit and torn-page detection
  EXPECT_EQ(pkInt64ToNative(full.metaSize), 4u * 200 + 7 * 448);
  EXPECT_EQ(full.bufferCounts, "3936 ");

  Written log = writeDescription(db, BACKUP_TYPE_LOG, whole);
  EXPECT_EQ(pkInt64ToNative(log.estimate), 0x3000u);

  struct Case {
    uint64_t used;
    uint64_t estimate;
  };
  for (Case c : {Case{100, 4096}, Case{4096, 4096}, Case{4097, 4097}, Case{0, 4096}}) {
    db.m_Db.u64DbDataSpaceUsed = pkInt64FromNative(static_cast<int64_t>(c.used));
    Written w = writeDescription(db, BACKUP_TYPE_DIFFFULL, whole);
    EXPECT_EQ(pkInt64ToNative(w.estimate), c.estimate) << c.used;
  }
}

TEST(SqlMetaDescription, SetOfOneWholeGroupAndOneFile) {
  DbFixture db;
  SqlGroupElement* a = db.addGroup("A", {"d:\\a0", "d:\\a1", "d:\\a2"});
  db.addGroup("B", {"x:\\b3", "x:\\b4"});
  a->bGroupIsSelected = 1;
  db.file(4)->bFileIsSelected = 1;
  db.file(4)->peFileGroup->bGroupFileIsSelected = 1;
  Written w = writeDescription(db, BACKUP_TYPE_SET, {&db.m_Db, nullptr, nullptr, 0});
  ASSERT_EQ(w.rc, 0);
  EXPECT_EQ(pkInt64ToNative(w.metaSize), 2192u);
  EXPECT_EQ(w.bytes.size(), 2192u);
  EXPECT_EQ(w.info.ulDriveMask, (1u << 3) | (1u << 23));
  // The selected file's sizes only, with the whole group's.
  EXPECT_EQ(pkInt64ToNative(w.estimate), 4u * 0x4000);
}

TEST(SqlMetaDescription, InvalidTypeAndMissingElements) {
  DbFixture db;
  db.standard();
  pkInt64 estimate, size;
  sqlMetaDataInfo info;
  EXPECT_EQ(sqlMetaEstimate(&estimate, &info, &size, 6, db.m_Server,
                            {&db.m_Db, nullptr, nullptr, 0}, nullptr),
            RC_INVALID_BACKUP_TYPE);
  EXPECT_EQ(sqlMetaEstimate(&estimate, &info, &size, BACKUP_TYPE_GROUP, db.m_Server,
                            {&db.m_Db, nullptr, nullptr, 0}, nullptr),
            RC_INTERNAL_ERROR);
  uint32_t cancelled = 1;
  EXPECT_EQ(sqlMetaEstimate(&estimate, &info, &size, BACKUP_TYPE_FULL, db.m_Server,
                            {&db.m_Db, nullptr, nullptr, 0}, &cancelled),
            RC_RING_CANCELLED);
}

// A database of thousands of files: its meta-data object is far larger than one buffer of the
// reader, whose buffers cut records anywhere.
TEST(SqlMetaDescription, ObjectLargerThanTheReadBufferIsReadWhole) {
  DbFixture db;
  std::vector<std::string> names;
  for (int i = 0; i < 3000; i++) names.push_back("f:\\data\\file" + std::to_string(i) + ".ndf");
  std::vector<const char*> namePs;
  for (const std::string& n : names) namePs.push_back(n.c_str());
  db.addGroup("PRIMARY", namePs);
  db.addGroup("SPARE", {"f:\\spare.ndf"});
  Written w = writeDescription(db, BACKUP_TYPE_FULL, {&db.m_Db, nullptr, nullptr, 0});
  ASSERT_EQ(w.rc, 0);
  ASSERT_EQ(w.bytes.size(), 2u * 200 + 3001 * 448);
  // The writer keeps each record whole within its 4096-byte buffer.
  EXPECT_EQ(w.bufferCounts.substr(0, 15), "3984 4032 4032 ");
  Entry entry(w.info, w.bytes.size());
  ASSERT_EQ(readDescription(entry, w.bytes, 4), 0);
  ASSERT_EQ(entry.files.getCount(), 3001u);
  EXPECT_STREQ(entry.files.getLast()->szFilePhysicalName, "f:\\spare.ndf");
  EXPECT_STREQ(entry.files.getLast()->peFileGroup->szGroupName, "SPARE");
  EXPECT_STREQ(entry.groups.getLast()->peGroupFirstFile->szFileLogicalName, "SPARE_3000");
}

TEST(SqlMetaDescription, DamagedObjectsAreCorrupt) {
  DbFixture db;
  db.standard();
  Written w = writeDescription(db, BACKUP_TYPE_FULL, {&db.m_Db, nullptr, nullptr, 0});
  ASSERT_EQ(w.rc, 0);
  struct Case {
    const char* what;
    std::string bytes;
    int64_t storedSizeDelta;
    uint32_t extraGroups;  // added to the stored group count
  };
  std::string badTag = w.bytes;
  badTag[800] = 'X';  // the first F record
  std::string badCount = w.bytes;
  badCount[0x20] = 5;  // PRIMARY claims five files
  const Case cases[] = {
      {"stored size differs", w.bytes, 1, 0},
      {"data shorter than the size", w.bytes.substr(0, w.bytes.size() - 1), 0, 0},
      {"data longer than the records", w.bytes + "x", -1, 0},
      {"wrong tag", badTag, 0, 0},
      {"file counts do not add up", badCount, 0, 0},
      {"counts larger than the object", w.bytes, 200, 1},
  };
  for (const Case& c : cases) {
    sqlMetaDataInfo info = w.info;
    info.lDbNumDataGroups += c.extraGroups;
    Entry entry(info, c.bytes.size() + c.storedSizeDelta);
    EXPECT_EQ(readDescription(entry, c.bytes), RC_CORRUPT_BACKUP) << c.what;
  }
}

}  // namespace
