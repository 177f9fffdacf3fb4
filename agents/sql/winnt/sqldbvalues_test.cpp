// State texts and file sizes as the database records keep them.
#include "sqldbvalues.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SqlDbValuesTest, StateTextOfEveryStatus) {
  const std::pair<long, const char*> cases[] = {{0, ""},
                                                {32, "Loading"},
                                                {192, "Recovering"},
                                                {256, "Suspect"},
                                                {512, "Offline"},
                                                {992, "Inaccessible"},
                                                {1024, "Standby"},
                                                {32768, "EmergencyMode"},
                                                {33, "StatusError33"},
                                                {-1, "StatusError-1"}};
  for (const auto& [status, text] : cases) {
    char state[51];
    sqlDatabaseStatusText(status, state, sizeof state);
    EXPECT_STREQ(state, text) << status;
  }
}

TEST(SqlDbValuesTest, FileSizesAreRoundedUpAndKept64Bit) {
  EXPECT_EQ(pkInt64ToNative(sqlFileSizeBytes(1.5f)), 2048u);
  EXPECT_EQ(pkInt64ToNative(sqlFileSizeBytes(-3.0f)), 0u);
  // 4 TB: more kilobytes than a 32-bit number holds.
  EXPECT_EQ(pkInt64ToNative(sqlFileSizeBytes(4294967296.0f)), 4398046511104u);
  EXPECT_EQ(pkInt64ToNative(sqlFileSizeBytes(3.0e9f)), 3000000000ull * 1024u);
}

TEST(SqlDbValuesTest, SpaceUsedNeverWrapsBelowZero) {
  pkInt64 size = pkInt64FromNative(10 * 1048576);
  EXPECT_EQ(pkInt64ToNative(sqlSpaceUsed(size, 4 * 1048576u)), 6u * 1048576u);
  EXPECT_EQ(pkInt64ToNative(sqlSpaceUsed(size, 11 * 1048576u)), 0u);
}

}  // namespace
