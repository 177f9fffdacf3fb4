#include "sqlmetarec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "golden_testutil.h"

namespace {

SqlMetaGroupInfo sampleGroup() {
  SqlMetaGroupInfo g;
  g.u64GroupFileSize = pkInt64Make(0x01020304, 0x05060708);
  g.u64GroupSpaceUsed = pkInt64Make(0, 0x8000);
  g.lGroupNum = 2;
  g.lGroupNumFiles = 3;
  g.bGroupIsSelected = 1;
  g.bGroupFileIsSelected = 0;
  g.bGroupIsPrimary = 1;
  g.bGroupIsLog = 0;
  g.ulDriveMask = 0x8;
  strcpy(g.szGroupName, "PRIMARY");
  return g;
}

SqlMetaFileInfo sampleFile() {
  SqlMetaFileInfo f;
  f.u64FileSize = pkInt64Make(1, 0x10);
  f.u64FileSpaceUsed = pkInt64Make(0, 0x2000);
  f.lFileNum = 4;
  f.bFileIsSelected = 1;
  f.bFileIsPrimary = 0;
  f.bFileIsLog = 1;
  f.ulDriveMask = 0x8;
  f.cDriveLetter = 'd';
  strcpy(f.szFileLogicalName, "pubs_log");
  strcpy(f.szFilePhysicalName, "d:\\data\\pubs_log.ldf");
  return f;
}

const std::vector<uint8_t> kGroupImage =
    goldenImage(SQL_META_GROUP_RECORD_SIZE,
                {
                    {0x00, {'G', 0, 1, 0}},
                    {0x0c, {0x04, 0x03, 0x02, 0x01, 0x08, 0x07, 0x06, 0x05}},  // high word first
                    {0x14, {0, 0, 0, 0, 0x00, 0x80, 0, 0}},
                    {0x1c, {2, 0, 0, 0, 3, 0, 0, 0}},
                    {0x2c, {1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0, 0}},
                    {0x40, goldenText("PRIMARY")},
                });

const std::vector<uint8_t> kFileImage = goldenImage(
    SQL_META_FILE_RECORD_SIZE, {
                                   {0x000, {'F', 0, 1, 0}},
                                   {0x008, {1, 0, 0, 0, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0, 0}},
                                   {0x018, {4, 0, 0, 0}},
                                   {0x020, {1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 8, 0, 0, 0, 'd'}},
                                   {0x031, goldenText("pubs_log")},
                                   {0x0b2, goldenText("d:\\data\\pubs_log.ldf")},
                               });

TEST(SqlMetaRecords, GroupRecordMatchesItsImageAndReadsBack) {
  std::vector<uint8_t> bytes(SQL_META_GROUP_RECORD_SIZE, 0xee);
  sqlMetaGroupToBytes(sampleGroup(), bytes.data());
  EXPECT_EQ(bytes, kGroupImage);

  SqlMetaGroupInfo back;
  back.peGroupFirstFile = reinterpret_cast<SqlMetaFileInfo*>(&back);
  ASSERT_EQ(sqlMetaGroupFromBytes(kGroupImage.data(), &back), 0);
  std::vector<uint8_t> again(SQL_META_GROUP_RECORD_SIZE);
  sqlMetaGroupToBytes(back, again.data());
  EXPECT_EQ(again, kGroupImage);
  EXPECT_EQ(back.peGroupFirstFile, nullptr);
}

TEST(SqlMetaRecords, FileRecordMatchesItsImageAndReadsBack) {
  std::vector<uint8_t> bytes(SQL_META_FILE_RECORD_SIZE, 0xee);
  sqlMetaFileToBytes(sampleFile(), bytes.data());
  EXPECT_EQ(bytes, kFileImage);

  SqlMetaFileInfo back;
  ASSERT_EQ(sqlMetaFileFromBytes(kFileImage.data(), &back), 0);
  std::vector<uint8_t> again(SQL_META_FILE_RECORD_SIZE);
  sqlMetaFileToBytes(back, again.data());
  EXPECT_EQ(again, kFileImage);
  EXPECT_EQ(back.cDriveLetter, 'd');
  EXPECT_EQ(back.peFileGroup, nullptr);
}

TEST(SqlMetaRecords, NewRecordsCarryTagVersionAndBlankDrive) {
  SqlMetaFileInfo f;
  EXPECT_EQ(f.tag, 'F');
  EXPECT_EQ(f.version, 1);
  EXPECT_EQ(f.cDriveLetter, ' ');
  SqlMetaGroupInfo g;
  EXPECT_EQ(g.tag, 'G');
  EXPECT_EQ(g.version, 1);
}

TEST(SqlMetaRecords, LongNamesAreCutAndStayTerminated) {
  SqlMetaFileInfo f;
  memset(f.szFilePhysicalName, 'x', sizeof f.szFilePhysicalName);  // no terminator at all
  std::vector<uint8_t> bytes(SQL_META_FILE_RECORD_SIZE);
  sqlMetaFileToBytes(f, bytes.data());
  SqlMetaFileInfo back;
  ASSERT_EQ(sqlMetaFileFromBytes(bytes.data(), &back), 0);
  EXPECT_EQ(strlen(back.szFilePhysicalName), SQL_PHYSICAL_NAME_SIZE - 1);
}

TEST(SqlMetaRecords, DamagedRecordsAreRefusedAsCorrupt) {
  // Each case overwrites `length` bytes at `offset` with `value`.
  struct Case {
    const char* what;
    bool group;
    size_t offset;
    size_t length;
    uint8_t value;
  };
  const Case cases[] = {
      {"group tag", true, 0x00, 1, 'F'},
      {"group version", true, 0x02, 1, 2},
      {"group name unterminated", true, 0x40, SQL_META_GROUP_NAME_SIZE, 'x'},
      {"file tag", false, 0x000, 1, 'G'},
      {"file version", false, 0x003, 1, 1},
      {"logical name unterminated", false, 0x031, SQL_NAME_SIZE, 'x'},
      {"physical name unterminated", false, 0x0b2, SQL_PHYSICAL_NAME_SIZE, 'x'},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = c.group ? kGroupImage : kFileImage;
    memset(bytes.data() + c.offset, c.value, c.length);
    if (c.group) {
      SqlMetaGroupInfo g = sampleGroup();
      EXPECT_EQ(sqlMetaGroupFromBytes(bytes.data(), &g), RC_CORRUPT_BACKUP) << c.what;
      EXPECT_EQ(g.szGroupName[0], '\0') << c.what;
    } else {
      SqlMetaFileInfo f = sampleFile();
      EXPECT_EQ(sqlMetaFileFromBytes(bytes.data(), &f), RC_CORRUPT_BACKUP) << c.what;
      EXPECT_EQ(f.szFileLogicalName[0], '\0') << c.what;
    }
  }
}

TEST(SqlMetaRecords, DriveOfPhysicalName) {
  struct Case {
    const char* name;
    uint32_t mask;
    char letter;
  };
  const Case cases[] = {
      {"d:\\data\\a.mdf", 1u << 3, 'd'},
      {"D:\\a.mdf", 1u << 3, 'D'},
      {"a:x", 1u, 'a'},
      {"Z:", 1u << 25, 'Z'},
      {"\\\\host\\share\\a.mdf", 0, ' '},
      {"/var/a.mdf", 0, ' '},
      {"1:\\a", 0, ' '},
      {"", 0, ' '},
  };
  for (const Case& c : cases) {
    char letter = '?';
    EXPECT_EQ(sqlMetaDriveMask(c.name, &letter), c.mask) << c.name;
    EXPECT_EQ(letter, c.letter) << c.name;
  }
}

TEST(SqlMetaRecords, DataSizeIsWholeRecords) {
  EXPECT_EQ(sqlMetaDataSize(2, 4), 2192u);
  EXPECT_EQ(sqlMetaDataSize(0, 0), 0u);
}

}  // namespace
