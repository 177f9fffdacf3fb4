#include "stripecap.h"

#include <gtest/gtest.h>

namespace {

SqlServerElement serverOfVersion(int32_t major) {
  SqlServerElement server{};
  server.lSqlVersionMajor = major;
  return server;
}

TEST(StripeCap, TheOldestVersionTakesHalfTheStripes) {
  EXPECT_EQ(maxServerStripes(serverOfVersion(7)), 32u);
  EXPECT_EQ(maxServerStripes(serverOfVersion(8)), 64u);
}

TEST(StripeCap, ARequestIsCappedByTheVersionThenByTheSqlBuffers) {
  struct Case {
    int32_t version;
    int32_t stripes;
    uint32_t sqlBuffers;
    int32_t capped;
  } cases[] = {
      {7, 40, 0, 32},   // the oldest version's limit
      {7, 32, 0, 32},   // at the limit
      {8, 40, 0, 40},   // later versions are capped by the list's backup, not here
      {7, 40, 10, 10},  // both limits: the smaller wins
      {8, 5, 3, 3},     // no more stripes than SQL buffers
      {8, 5, 0, 5},     // 0 buffers: SQL Server chooses, no cap
  };
  for (const Case& c : cases) {
    EXPECT_EQ(capRequestStripes(c.stripes, serverOfVersion(c.version), c.sqlBuffers), c.capped)
        << "version " << c.version << ", " << c.stripes << " stripes, " << c.sqlBuffers
        << " buffers";
  }
}

}  // namespace
