#include "statusinfo.h"

#include <gtest/gtest.h>

#include <iterator>

#include "agtrc.h"
#include "trcfile_testutil.h"

namespace {

// The numbers are the front ends' interface: a receiver dispatches on them.
TEST(StatusInfoTest, EachKindIsTheNumberTheFrontEndsDispatchOn) {
  const struct {
    StatusKind kind;
    uint32_t number;
  } kinds[] = {{progressStatus, 0}, {finishStatus, 1}, {msgoutStatus, 2}, {beginStatus, 3},
               {startStatus, 4},    {waitStatus, 5},   {endStatus, 6}};
  ASSERT_EQ(std::size(kinds), kStatusKindCount);
  for (const auto& k : kinds) {
    EXPECT_EQ(static_cast<uint32_t>(k.kind), k.number);
    StatusInfo status{};
    status.kind = k.number;
    EXPECT_EQ(statusCheckKind(status), 0) << k.number;
  }
}

TEST(StatusInfoTest, ACommandOfZeroMeansTheReceiversOwn) {
  StatusInfo status{};
  EXPECT_EQ(statusCommand(status, 3), 3u);
  status.command = 52;
  EXPECT_EQ(statusCommand(status, 3), 52u);
}

// What a receiver keeps of a report: its copy, which later changes of the sender's record
// do not reach; and its answer, which comes back through the callback.
StatusInfo gKept{};
int keepingReceiver(StatusInfo status) {
  if (int rc = statusCheckKind(status)) return rc;
  gKept = status;
  return RC_OK;
}

TEST(StatusInfoTest, AReceiverGetsTheRecordByValueAndAnswersThroughTheCallback) {
  static const char kName[] = "HUBLOR";
  StatusFunction callbackP = keepingReceiver;
  StatusInfo status{};
  status.kind = waitStatus;
  status.wait.apiNameP = kName;
  ASSERT_EQ(callbackP(status), 0);
  status.wait.apiNameP = nullptr;  // the sender reuses its record
  status.kind = progressStatus;
  EXPECT_EQ(gKept.kind, static_cast<uint32_t>(waitStatus));
  EXPECT_EQ(gKept.wait.apiNameP, kName);
  status.progress.bytesConsumed = (uint64_t{5} << 40) + 7;
  ASSERT_EQ(callbackP(status), 0);
  EXPECT_EQ(gKept.progress.bytesConsumed, (uint64_t{5} << 40) + 7);
  status.kind = kStatusKindCount;
  EXPECT_EQ(callbackP(status), RC_INTERNAL_ERROR);
  EXPECT_EQ(gKept.kind, static_cast<uint32_t>(progressStatus));  // an unknown kind is not kept
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
