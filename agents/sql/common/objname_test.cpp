// The names of the agent's objects: every name of the tables built and read back, and the
// limits of each name.
#include "objname.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

agentDateTime dateOf(uint16_t year, uint8_t month, uint8_t day, uint8_t hour, uint8_t minute,
                     uint8_t second) {
  agentDateTime date{};
  dateSetYear(&date, year);
  date.month = month;
  date.day = day;
  date.hour = hour;
  date.minute = minute;
  date.second = second;
  return date;
}

TEST(ObjectNaming, EveryTypeNameIsBuiltAndReadBack) {
  const char* const kLl[] = {"\\full", "\\difffull", "\\log", "\\group", "\\file", "\\set"};
  const char* const kQuery[] = {"\\full", "\\difffull", "\\log", "\\group",
                                "\\file", "\\set",      "\\*"};
  char ll[257];
  for (uint32_t type = 0; type <= BACKUP_TYPE_SET; type++) {
    ASSERT_EQ(buildLl(ll, type), 0);
    EXPECT_STREQ(ll, kLl[type]);
    uint32_t back = 99;
    EXPECT_EQ(extractBackupType(ll, &back), 0);
    EXPECT_EQ(back, type) << ll;
    EXPECT_EQ(std::strlen(backupTypeDisplayNames[type]), 9u);
  }
  for (uint32_t type = 0; type <= BACKUP_TYPE_QUERY_ANY; type++) {
    ASSERT_EQ(buildQueryLl(ll, type), 0);
    EXPECT_STREQ(ll, kQuery[type]);
  }
  EXPECT_STREQ(backupTypeLlNames[BACKUP_TYPE_INVALID], "invalid");
  EXPECT_STREQ(backupTypeQueryLlNames[7], "invalid");
  EXPECT_STREQ(backupTypeDisplayNames[BACKUP_TYPE_INVALID], "invalid");
}

TEST(ObjectNaming, BackupTypeIsTheFirstNameThatPrefixesTheLowLevelName) {
  const struct {
    const char* ll;
    int rc;
    uint32_t type;
  } kCases[] = {
      {"\\difffull", 0, 1}, {"\\logX", 0, 2}, {"\\full.20010405114102000004D2", 0, 0},
      {"\\Full", 5701, 99}, {"\\", 5701, 99}, {"", 5701, 99},
  };
  for (const auto& c : kCases) {
    uint32_t type = 99;
    EXPECT_EQ(extractBackupType(c.ll, &type), c.rc) << c.ll;
    EXPECT_EQ(type, c.type) << c.ll;
  }
}

TEST(ObjectNaming, FilespaceNamesAreBuiltAndTheServerReadBack) {
  const struct {
    const char* server;
    uint32_t index;
    const char* fs;
  } kCases[] = {
      {"SRV1", 0, "SRV1\\meta\\0000"},
      {"SRV1", 10, "SRV1\\data\\000A"},
      {"HOST\\INST", 1, "HOST\\INST\\data\\0001"},
      {"S", 64, "S\\data\\0040"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345", 2, "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345\\data\\0002"},
  };
  for (const auto& c : kCases) {
    char fs[1025];
    ASSERT_EQ(buildFsName(fs, c.server, c.index), 0);
    EXPECT_STREQ(fs, c.fs);
    char server[33] = "untouched";
    EXPECT_EQ(extractServerName(fs, server), 0) << fs;
    EXPECT_STREQ(server, c.server);
  }
}

TEST(ObjectNaming, FilespaceNamesOutsideTheAgentsFormAreRefused) {
  char fs[1025];
  ASSERT_EQ(buildFsName(fs, "S", 0x41), 0);
  EXPECT_STREQ(fs, "S\\data\\0041");
  const std::string tooLongServer(33, 'A');
  const std::string cases[] = {
      fs,                              // index above 64
      "\\meta\\0000",                  // no server name
      "SRV1\\meta\\00G1",              // not an index
      "SRV1\\meta0000",                // no delimiter before the index
      "SRV1metaa\\0000",               // no delimiter behind the server name
      tooLongServer + "\\meta\\0000",  // server name of 33 characters
      "0000",
      "x\\0000",
  };
  for (const std::string& name : cases) {
    char server[33] = "untouched";
    EXPECT_EQ(extractServerName(name.c_str(), server), RC_FS_NAME_NOT_AGENTS) << name;
    EXPECT_STREQ(server, "untouched");
  }
}

TEST(ObjectNaming, FilespaceNameHasRoomForExactly1024Characters) {
  char fs[1025];
  EXPECT_EQ(buildFsName(fs, std::string(1014, 'S').c_str(), 0), 0);
  EXPECT_EQ(std::strlen(fs), 1024u);
  EXPECT_EQ(buildFsName(fs, std::string(1015, 'S').c_str(), 0), RC_FS_NAME_TOO_LONG);
  EXPECT_STREQ(fs, "");
}

TEST(ObjectNaming, HighLevelNamesOfEveryTypeAreBuiltAndSplitBack) {
  zarnakObjId id{0x4D2, dateOf(2001, 4, 5, 11, 41, 2)};
  const struct {
    uint32_t type;
    const zarnakObjId* id;
    const char* hl;
    const char* other;
  } kCases[] = {
      {BACKUP_TYPE_FULL, nullptr, "\\Sales", ""},
      {BACKUP_TYPE_DIFFFULL, nullptr, "\\Sales", ""},
      {BACKUP_TYPE_GROUP, nullptr, "\\Sales\\PRIMARY", "PRIMARY"},
      {BACKUP_TYPE_FILE, nullptr, "\\Sales\\Sales_Data", "Sales_Data"},
      {BACKUP_TYPE_LOG, &id, "\\Sales\\20010405114102\\000004D2", "20010405114102\\000004D2"},
      {BACKUP_TYPE_SET, &id, "\\Sales\\20010405114102\\000004D2", "20010405114102\\000004D2"},
      {BACKUP_TYPE_LOG, nullptr, "\\Sales\\??????????????\\????????", "??????????????\\????????"},
  };
  for (const auto& c : kCases) {
    char hl[1025];
    ASSERT_EQ(buildHl(hl, "Sales", "PRIMARY", "Sales_Data", '\\', c.type, c.id), 0);
    EXPECT_STREQ(hl, c.hl);
    char db[1025], other[1025];
    EXPECT_EQ(extractHlNames(hl, db, other), 0);
    EXPECT_STREQ(db, "Sales");
    EXPECT_STREQ(other, c.other);
  }
  char hl[1025];
  EXPECT_EQ(buildHl(hl, "Sales", "PRIMARY", "Sales_Data", '/', BACKUP_TYPE_GROUP, nullptr), 0);
  EXPECT_STREQ(hl, "/Sales/PRIMARY");
}

TEST(ObjectNaming, HighLevelNameFailures) {
  char hl[1025];
  zarnakObjId id{1, dateOf(2001, 4, 5, 11, 41, 2)};
  EXPECT_EQ(buildHl(hl, "Sales", nullptr, "f", '\\', BACKUP_TYPE_GROUP, nullptr), 419);
  EXPECT_EQ(buildHl(hl, "Sales", "g", nullptr, '\\', BACKUP_TYPE_FILE, nullptr), 419);
  EXPECT_EQ(buildHl(hl, "Sales", "g", "f", '\\', 6, nullptr), RC_INVALID_BACKUP_TYPE);
  // 1000 characters and the delimiter leave 23 characters: one too few for time and pid.
  const std::string tight(1000, 'D');
  EXPECT_EQ(buildHl(hl, tight.c_str(), "g", "f", '\\', BACKUP_TYPE_LOG, &id), RC_HL_TOO_LONG);
  EXPECT_EQ(buildHl(hl, tight.c_str(), "g", "f", '\\', BACKUP_TYPE_SET, nullptr), RC_HL_TOO_LONG);
  EXPECT_EQ(buildHl(hl, std::string(999, 'D').c_str(), "g", "f", '\\', BACKUP_TYPE_LOG, &id), 0);
  EXPECT_EQ(std::strlen(hl), 1024u);
  EXPECT_EQ(buildHl(hl, std::string(1024, 'D').c_str(), "g", "f", '\\', BACKUP_TYPE_FULL, &id),
            RC_HL_TOO_LONG);
  EXPECT_EQ(
      buildHl(hl, std::string(1020, 'D').c_str(), "GRP", "f", '\\', BACKUP_TYPE_GROUP, nullptr),
      RC_HL_TOO_LONG);
}

TEST(ObjectNaming, ShortHighLevelNameForQueryPatterns) {
  char hl[1025] = "untouched";
  EXPECT_EQ(buildHl(hl, "Sal*", nullptr), 0);
  EXPECT_STREQ(hl, "\\Sal*");
  EXPECT_EQ(buildHl(hl, "Sales", ""), 0);
  EXPECT_STREQ(hl, "\\Sales");
  EXPECT_EQ(buildHl(hl, "Sales", "*"), 0);
  EXPECT_STREQ(hl, "\\Sales\\*");
  EXPECT_EQ(buildHl(hl, std::string(1000, 'D').c_str(), std::string(24, 'o').c_str()),
            RC_HL_TOO_LONG);
  EXPECT_STREQ(hl, "\\Sales\\*");  // unwritten
  char db[1025], other[1025];
  EXPECT_EQ(extractHlNames("\\Sales\\dir\\file", db, other), 0);
  EXPECT_STREQ(db, "Sales");
  EXPECT_STREQ(other, "dir\\file");
}

TEST(ObjectNaming, IdentitiesAndFixedValues) {
  zarnakObjId a{7, dateOf(2001, 4, 5, 11, 41, 2)};
  zarnakObjId b = a;
  EXPECT_EQ(compareZarnakObjIds(a, b), 0);
  b.backupTime.second = 3;
  EXPECT_EQ(compareZarnakObjIds(a, b), 1);
  b = a;
  b.processId = 8;
  EXPECT_EQ(compareZarnakObjIds(a, b), 1);
  EXPECT_STREQ(getFsType(), "API:SqlData");
  EXPECT_STREQ(getFsTypeForRegistration(), "SqlData");
  char attr[FS_ATTR_LENGTH + 1];
  std::memset(attr, 0x55, sizeof attr);
  EXPECT_EQ(buildFsAttr(attr), 0);
  EXPECT_EQ(attr[0], 'Z');
  for (size_t i = 1; i < FS_ATTR_LENGTH; i++) ASSERT_EQ(attr[i], 0) << i;
  EXPECT_EQ(attr[FS_ATTR_LENGTH], 0x55);  // nothing beyond the record
}

TEST(ObjectNaming, PickedMarkChangesOnlyTheMarkOfOneEntry) {
  // The neighbours of the mark in a query-backup entry's object information.
  struct Entry {
    zarnakObjId id;
    uint32_t bIsPicked;
    int nActionRc;
  } entries[] = {{{1, {}}, 0, 112}, {{2, {}}, 0, 0}};
  setIsPicked(&entries[1], 1);
  EXPECT_EQ(getIsPicked(&entries[0]), 0u);
  EXPECT_EQ(getIsPicked(&entries[1]), 1u);
  EXPECT_EQ(entries[1].nActionRc, 0u);
  EXPECT_EQ(entries[1].id.processId, 2u);
  setIsPicked(&entries[1], 0);
  EXPECT_EQ(getIsPicked(&entries[1]), 0u);
  EXPECT_EQ(entries[0].nActionRc, 112u);
}

}  // namespace
