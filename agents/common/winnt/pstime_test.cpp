#include "pstime.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// A counter that tests move by hand: 1000 counts per millisecond, or no counter at all.
struct FakeClock {
  static inline int64_t now = 0;
  static inline bool present = true;
  static int read(int64_t* countP) {
    if (!present) return 0;
    *countP = now;
    return 1;
  }
  static int frequency(int64_t* countsPerSecondP) {
    if (!present) return 0;
    *countsPerSecondP = 1000000;
    return 1;
  }
};
const psClock kFakeClock = {FakeClock::read, FakeClock::frequency};

class PsTimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeClock::now = 5000;
    FakeClock::present = true;
    psTimerSetClock(&kFakeClock);
  }
  void TearDown() override { psTimerSetClock(nullptr); }
};

TEST_F(PsTimerTest, MeasuresWholeMillisecondsBetweenStartAndStop) {
  psTimer timer;
  EXPECT_EQ(timer.m_CountsPerMs, 1000);
  EXPECT_EQ(timer.start(), 1);
  FakeClock::now += 1500 * 1000 + 999;  // 1500.999 ms
  EXPECT_EQ(timer.stop(), 1);
  EXPECT_EQ(timer.elapsedMilliseconds(), 1500);
  EXPECT_EQ(timer.m_ElapsedCount, 1500999);
  EXPECT_DOUBLE_EQ(timer.elapsedSeconds(), 1.5);
  FakeClock::now += 500 * 1000;  // a later stop measures from the same start
  timer.stop();
  EXPECT_DOUBLE_EQ(timer.elapsedSeconds(), 2.0);
}

TEST_F(PsTimerTest, SecondsAreCountedModulo2To32Milliseconds) {
  psTimer timer;
  timer.start();
  FakeClock::now += (int64_t{1} << 32) * 1000 + 2000 * 1000;
  timer.stop();
  EXPECT_EQ(timer.elapsedMilliseconds(), (int64_t{1} << 32) + 2000);
  EXPECT_DOUBLE_EQ(timer.elapsedSeconds(), 2.0);
}

TEST_F(PsTimerTest, WithoutACounterMeasuresZero) {
  FakeClock::present = false;
  psTimer timer;
  EXPECT_EQ(timer.m_CountsPerMs, 0);
  EXPECT_EQ(timer.start(), 0);
  EXPECT_EQ(timer.stop(), 0);
  EXPECT_EQ(timer.elapsedMilliseconds(), 0);
  EXPECT_EQ(timer.elapsedSeconds(), 0.0);
}

TEST(PsTimer, TheMachinesClockRuns) {
  psTimer timer;
  EXPECT_GT(timer.m_CountsPerMs, 0);
  EXPECT_EQ(timer.start(), 1);
  EXPECT_EQ(timer.stop(), 1);
  EXPECT_GE(timer.elapsedMilliseconds(), 0);
}

TEST(PsByteOrder, StoresMostSignificantByteFirst) {
  uint8_t bytes[4] = {};
  psPutU16BE(bytes, 2001);
  EXPECT_EQ(bytes[0], 0x07);
  EXPECT_EQ(bytes[1], 0xD1);
  EXPECT_EQ(psGetU16BE(bytes), 2001);
  EXPECT_EQ(psPutU32BE(bytes, 0x12345678u), bytes);
  EXPECT_EQ(bytes[0], 0x12);
  EXPECT_EQ(bytes[3], 0x78);
  EXPECT_EQ(psGetU32BE(bytes), 0x12345678u);
  psPutU32BE(bytes, 0xFFFFFFFEu);
  EXPECT_EQ(psGetU32BE(bytes), 0xFFFFFFFEu);
}

TEST(PsTimeStamp, LayoutsBySelectorAndOthersWriteNothing) {
  struct Case {
    int selector;
    size_t length;
    const char* shape;  // 'd' a digit, any other character itself
  };
  const Case cases[] = {{0, 10, "dddddddddd"},
                        {1, 14, "dddddddddddddd"},
                        {2, 19, "dd/dd/dddd dd:dd:dd"},
                        {3, 8, "dd:dd:dd"}};
  for (const Case& c : cases) {
    char text[PS_TIMESTAMP_SIZE];
    ASSERT_EQ(psGetTimeStamp(c.selector, text, sizeof(text)), 0);
    ASSERT_EQ(strlen(text), c.length) << c.selector;
    for (size_t i = 0; i < c.length; i++) {
      if (c.shape[i] == 'd') {
        EXPECT_TRUE(isdigit(static_cast<unsigned char>(text[i]))) << c.selector << ": " << text;
      } else {
        EXPECT_EQ(text[i], c.shape[i]) << c.selector << ": " << text;
      }
    }
  }
  char untouched[PS_TIMESTAMP_SIZE] = "unchanged";
  EXPECT_EQ(psGetTimeStamp(4, untouched, sizeof(untouched)), 0);
  EXPECT_STREQ(untouched, "unchanged");
  char small[6];
  psGetTimeStamp(2, small, sizeof(small));
  EXPECT_EQ(strlen(small), 5u);  // cut, never overflowing
}

}  // namespace
