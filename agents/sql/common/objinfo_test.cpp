#include "objinfo.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "golden_testutil.h"
#include "sqlmeta_testutil.h"

namespace {

zarnakObjId sampleId() {
  zarnakObjId id{};
  id.processId = 0x00001a2b;
  agentNativeDateTime t = {2026, 12, 10, 16, 45, 7};
  dateFromNative(&t, &id.backupTime);
  return id;
}

objInfo sampleInfo() {
  objInfo info = objInfoEmpty();
  info.moxtarApiVersion[0] = 3;
  info.moxtarApiVersion[1] = 7;
  info.moxtarApiVersion[2] = 2;
  info.sqlServerVersionMajor = 8;
  info.sqlServerVersionMinor = 0;
  info.id = sampleId();
  info.numStripes = 4;
  info.backupSize64 = pkInt64Make(0x00000002, 0x80000010);
  info.sqlMeta = sqlMetaSample();
  return info;
}

// The attributes common to both images.
const std::initializer_list<GoldenSpan> kCommonSpans = {
    {0x00, {1, 0, 2, 0, 2, 0, 0, 0}},         // agent version
    {0x08, {3, 0, 7, 0, 2, 0}},               // client library version
    {0x10, {8, 0, 0, 0, 0, 0, 0, 0}},         // SQL Server version
    {0x18, {0x2b, 0x1a, 0, 0}},               // process id
    {0x1c, {0x07, 0xea, 12, 10, 16, 45, 7}},  // backup time, the year as its record has it
};

std::vector<uint8_t> metaImage() {
  std::vector<uint8_t> image = goldenImage(OBJINFO_META_SIZE, kCommonSpans);
  const std::vector<uint8_t> tail =
      goldenImage(OBJINFO_META_SIZE, {
                                         {0x38, {4, 0, 0, 0}},
                                         {0x3c, {0x02, 0, 0, 0, 0x10, 0, 0, 0x80}},
                                     });
  for (size_t i = 0x38; i < 0x44; i++) image[i] = tail[i];
  sqlMetaToBytes(sqlMetaSample(), image.data() + 0x48);  // its own image is tested with it
  return image;
}

TEST(ObjInfo, MetaObjectAttributesMatchTheirImageAndReadBack) {
  std::vector<uint8_t> bytes(OBJINFO_META_SIZE, 0xee);
  ASSERT_EQ(objInfoToBytes(sampleInfo(), bytes.data(), bytes.size()), 0);
  EXPECT_EQ(bytes, metaImage());

  objInfo back;
  ASSERT_EQ(objInfoFromBytes(bytes.data(), bytes.size(), &back), 0);
  std::vector<uint8_t> again(OBJINFO_META_SIZE);
  ASSERT_EQ(objInfoToBytes(back, again.data(), again.size()), 0);
  EXPECT_EQ(again, bytes);
  EXPECT_EQ(compareZarnakObjIds(back.id, sampleId()), 0);
  EXPECT_EQ(back.numStripes, 4u);
  EXPECT_EQ(pkInt64ToNative(back.backupSize64), 0x0000000280000010ull);
}

TEST(ObjInfo, DataObjectAttributesCarryOnlyTheCommonPart) {
  std::vector<uint8_t> bytes(OBJINFO_DATA_SIZE, 0xee);
  ASSERT_EQ(objInfoToBytes(sampleInfo(), bytes.data(), bytes.size()), 0);
  EXPECT_EQ(bytes, goldenImage(OBJINFO_DATA_SIZE, kCommonSpans));

  objInfo back;
  ASSERT_EQ(objInfoFromBytes(bytes.data(), bytes.size(), &back), 0);
  EXPECT_EQ(compareZarnakObjIds(back.id, sampleId()), 0);
  EXPECT_EQ(back.numStripes, 0u);
  EXPECT_EQ(back.sqlServerVersionMajor, 8u);
}

TEST(ObjInfo, AgentVersionShowsAsWritten) {
  char text[OBJINFO_VERSION_TEXT_SIZE];
  objInfoVersionText(objInfoEmpty(), text, sizeof text);
  EXPECT_STREQ(text, "2.2.0.1");
}

TEST(ObjInfo, DamagedOrForeignAttributesAreCorrupt) {
  std::vector<uint8_t> good(OBJINFO_META_SIZE);
  ASSERT_EQ(objInfoToBytes(sampleInfo(), good.data(), good.size()), 0);
  struct Case {
    const char* what;
    size_t length;
    size_t offset;  // byte changed, or SIZE_MAX for none
    uint8_t value;
  };
  const Case cases[] = {
      {"too short for a data object", 71, SIZE_MAX, 0},
      {"between the two sizes", 100, SIZE_MAX, 0},
      {"longer than a meta object", 169, SIZE_MAX, 0},
      {"65 stripes", OBJINFO_META_SIZE, 0x38, 65},
      {"stripe count in its high byte", OBJINFO_META_SIZE, 0x3b, 1},
      {"description of another version", OBJINFO_META_SIZE, 0x48, 2},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = good;
    bytes.resize(c.length);
    if (c.offset != SIZE_MAX) bytes[c.offset] = c.value;
    objInfo info = sampleInfo();
    EXPECT_EQ(objInfoFromBytes(bytes.data(), bytes.size(), &info), RC_CORRUPT_BACKUP) << c.what;
    EXPECT_EQ(info.numStripes, 0u) << c.what;
  }
  std::vector<uint8_t> bytes = good;
  bytes[0x38] = 64;
  objInfo info;
  EXPECT_EQ(objInfoFromBytes(bytes.data(), bytes.size(), &info), 0);
  EXPECT_EQ(objInfoToBytes(info, bytes.data(), 100), 419);
}

TEST(ObjInfo, QueryAnswerMustCarryTheExpectedLength) {
  qryRespBackupData resp{};
  ASSERT_EQ(
      objInfoToBytes(sampleInfo(), reinterpret_cast<uint8_t*>(resp.objInfo), OBJINFO_DATA_SIZE), 0);
  resp.objInfolen = OBJINFO_DATA_SIZE;
  objInfo info;
  EXPECT_EQ(objInfoFromResp(resp, OBJINFO_DATA_SIZE, &info), 0);
  EXPECT_EQ(info.id.processId, 0x1a2bu);
  EXPECT_EQ(objInfoFromResp(resp, OBJINFO_META_SIZE, &info), RC_CORRUPT_BACKUP);
}

}  // namespace
