#include "sqlmeta.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "sqlmeta_testutil.h"

namespace {

// The stored bytes of sqlMetaSample(), written out by hand from the layout.
const std::vector<uint8_t> kSampleBytes = {
    0x01, 0x00, 0x00, 0x00,                          // version, reserved
    0xe4, 0x04, 0x00, 0x00,                          // code page 1252
    0x04, 0x03, 0x02, 0x01,                          // sort order
    0x09, 0x04, 0x00, 0x00,                          // Unicode locale 1033
    0x01, 0x00, 0x03, 0x00,                          // comparison style 0x30001
    0x44, 0x33, 0x22, 0x11, 0x88, 0x77, 0x66, 0x55,  // data file size, high word first
    0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00,  // data space used 4096
    0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,  // log file size
    0x03, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00,  // log space used
    0x02, 0x00, 0x00, 0x00,                          // data groups
    0x03, 0x00, 0x00, 0x00,                          // data files
    0x01, 0x00, 0x00, 0x00,                          // log files
    0x50, 0x00,                                      // compatibility level 80
    0x09, 0x10,                                      // flags
    0x0c, 0x00, 0x00, 0x00,                          // drive mask
    0x1b, 0x02,                                      // database version 539
    '2',  '0',  '3',  '9',  0x00, 0x00,              // build
};

TEST(SqlMetaDataInfo, StoredFormHasEveryFieldAtItsOffsetLittleEndian) {
  ASSERT_EQ(kSampleBytes.size(), SQL_META_DATA_INFO_SIZE);
  uint8_t bytes[SQL_META_DATA_INFO_SIZE];
  memset(bytes, 0xee, sizeof bytes);
  sqlMetaToBytes(sqlMetaSample(), bytes);
  EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + sizeof bytes), kSampleBytes);
}

TEST(SqlMetaDataInfo, ReadsBackWhatItWrote) {
  sqlMetaDataInfo back;
  sqlMetaFromBytes(kSampleBytes.data(), back);
  sqlMetaDataInfo want = sqlMetaSample();
  uint8_t a[SQL_META_DATA_INFO_SIZE], b[SQL_META_DATA_INFO_SIZE];
  sqlMetaToBytes(back, a);
  sqlMetaToBytes(want, b);
  EXPECT_EQ(0, memcmp(a, b, sizeof a));
  EXPECT_EQ(back.u64DbDataFileSize.high, 0x11223344u);
  EXPECT_EQ(back.u64DbDataFileSize.low, 0x55667788u);
  EXPECT_STREQ(back.szSqlServerBuild, "2039");
}

TEST(SqlMetaDataInfo, BuildTextStaysWithinItsField) {
  sqlMetaDataInfo info = sqlMetaEmpty();
  memcpy(info.szSqlServerBuild, "123456", SQL_META_BUILD_SIZE);  // not terminated
  uint8_t bytes[SQL_META_DATA_INFO_SIZE];
  sqlMetaToBytes(info, bytes);
  EXPECT_EQ(0, memcmp(bytes + 0x4a, "12345\0", 6));

  bytes[0x4f] = 'X';  // a stored text without its terminator
  sqlMetaDataInfo back;
  sqlMetaFromBytes(bytes, back);
  EXPECT_STREQ(back.szSqlServerBuild, "12345");
}

struct FlagCase {
  uint16_t word;
  std::vector<int> setBits;
};

TEST(SqlMetaDataInfo, FlagWordUnpacksIntoThirteenBooleans) {
  const FlagCase cases[] = {
      {0x0001, {SQL_META_FLAG_ALWAYS}},  // a plain user database
      {0x1000, {SQL_META_FLAG_TORN_PAGE_DETECTION}},
      {0xf000, {SQL_META_FLAG_TORN_PAGE_DETECTION}},  // bits 13 to 15 are not read
      {0x000b, {SQL_META_FLAG_ALWAYS, SQL_META_FLAG_WHOLE_GROUPS, SQL_META_FLAG_CLUSTERED}},
      {0x0111, {SQL_META_FLAG_ALWAYS, SQL_META_FLAG_SYSTEM_DATABASE, SQL_META_FLAG_READ_ONLY}},
      {0x1fff, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
  };
  for (const FlagCase& c : cases) {
    uint32_t flags[SQL_META_FLAG_COUNT];
    memset(flags, 0xff, sizeof flags);
    sqlMetaUnpackFlags(c.word, flags);
    for (int bit = 0; bit < SQL_META_FLAG_COUNT; bit++) {
      bool want = std::find(c.setBits.begin(), c.setBits.end(), bit) != c.setBits.end();
      EXPECT_EQ(flags[bit], want ? 1u : 0u) << "word " << c.word << " bit " << bit;
    }
    if (c.word <= 0x1fff && (c.word & 1)) {
      EXPECT_EQ(sqlMetaPackFlags(flags), c.word);
    }
  }
}

TEST(SqlMetaDataInfo, PackedWordAlwaysHasBitZeroAndNothingAbove12) {
  uint32_t none[SQL_META_FLAG_COUNT] = {};
  EXPECT_EQ(sqlMetaPackFlags(none), 0x0001);
  uint32_t flags[SQL_META_FLAG_COUNT] = {};
  flags[SQL_META_FLAG_CLUSTERED] = 7;  // any non-zero boolean
  flags[SQL_META_FLAG_AUTO_SHRINK] = 1;
  EXPECT_EQ(sqlMetaPackFlags(flags), 0x0809);
}

}  // namespace
