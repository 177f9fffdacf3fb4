#include "statusinfo.h"

#include <gtest/gtest.h>

#include "agtrc.h"
#include "trcfile_testutil.h"

namespace {

TEST(StatusInfoTest, KindsKeepTheirValues) {
  const uint32_t kinds[] = {progressStatus, finishStatus, msgoutStatus, beginStatus,
                            startStatus,    waitStatus,   endStatus};
  for (uint32_t k = 0; k < kStatusKindCount; k++) {
    EXPECT_EQ(kinds[k], k);
  }
}

TEST(StatusInfoTest, ACommandOfZeroMeansTheReceiversOwn) {
  StatusInfo status{};
  EXPECT_EQ(statusCommand(status, 3), 3u);
  status.command = 52;
  EXPECT_EQ(statusCommand(status, 3), 52u);
}

TEST(StatusInfoTest, AClearedRecordHasNoTextsOrCounts) {
  StatusInfo status{};
  status.kind = endStatus;
  EXPECT_EQ(status.end.nameP, nullptr);
  EXPECT_EQ(status.end.textP, nullptr);
  EXPECT_EQ(status.end.bytes, 0u);
  EXPECT_EQ(status.end.rc, 0u);
}

TEST(StatusInfoTest, LargeCountsAndTextAddressesTravelWhole) {
  static const char kName[] = "HUBLOR";
  StatusInfo status{};
  status.kind = progressStatus;
  status.progress.bytesConsumed = (uint64_t{5} << 40) + 7;
  StatusInfo copy = status;  // passed by value
  EXPECT_EQ(copy.progress.bytesConsumed, (uint64_t{5} << 40) + 7);
  status.kind = waitStatus;
  status.wait.apiNameP = kName;
  copy = status;
  EXPECT_EQ(copy.wait.apiNameP, kName);
}

TEST(StatusInfoTest, AnUnknownKindIsAnsweredWith419AndTraced) {
  TraceFileForTest trace({TRC_ERI});
  StatusInfo status{};
  for (uint32_t kind = 0; kind < kStatusKindCount; kind++) {
    status.kind = kind;
    EXPECT_EQ(statusCheckKind(status), 0) << kind;
  }
  status.kind = 7;
  EXPECT_EQ(statusCheckKind(status), RC_INTERNAL_ERROR);
  status.kind = 0xffffffff;
  EXPECT_EQ(statusCheckKind(status), RC_INTERNAL_ERROR);
  std::vector<std::string> texts = trace.texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "An invalid status type (0x7) was received.");
  EXPECT_EQ(texts[1], "An invalid status type (0xffffffff) was received.");
}

}  // namespace
