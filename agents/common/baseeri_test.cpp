// The request base: the order of a request's steps, shared cancel flags and the wildcard
// matchers of the queries.
#include "baseeri.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "nlstestenv.h"

namespace {

// A request that records its steps and answers each with a chosen code.
class StepRequest : public DBaseQueryEri {
 public:
  StepRequest(uint32_t setupRc, uint32_t detailsRc, uint32_t cleanupRc, uint32_t* cancelP = nullptr)
      : DBaseQueryEri(cancelP),
        m_SetupRc(setupRc),
        m_DetailsRc(detailsRc),
        m_CleanupRc(cleanupRc) {}
  int SetupEnvironment() override { return step("setup", m_SetupRc); }
  int ProcessRequestDetails() override { return step("details", m_DetailsRc); }
  int CleanupEnvironment() override { return step("cleanup", m_CleanupRc); }
  void setSpec(const char* specP) { wildcardSpecP = specP; }

  std::vector<std::string> m_Steps;

 private:
  uint32_t step(const char* nameP, int rc) {
    m_Steps.push_back(nameP);
    return rc;
  }
  uint32_t m_SetupRc, m_DetailsRc, m_CleanupRc;
};

struct OrderCase {
  uint32_t setup, details, cleanup, result;
  std::vector<std::string> steps;
};

TEST(RequestBase, RunsSetupDetailsAndCleanupInOrderWithTheFirstFailureOfTheRightStep) {
  const std::vector<std::string> all{"setup", "details", "cleanup"};
  const OrderCase cases[] = {
      {0, 0, 0, 0, all},
      {104, 0, 0, 104, {"setup"}},  // a failed set-up runs nothing else
      {0, 419, 5, 419, all},        // the details' failure stands over the clean-up's
      {0, 0, 7, 7, all},            // the clean-up's code after good details
  };
  for (const OrderCase& c : cases) {
    StepRequest request(c.setup, c.details, c.cleanup);
    EXPECT_EQ(request.ProcessRequest(), c.result)
        << c.setup << "/" << c.details << "/" << c.cleanup;
    EXPECT_EQ(request.m_Steps, c.steps);
  }
}

TEST(RequestBase, ASharedCancelFlagReachesBothRequestsAndCanBeSetFromAnotherThread) {
  StepRequest outer(0, 0, 0);
  EXPECT_EQ(outer.GetCancelStatus(), 0u);
  StepRequest inner(0, 0, 0, outer.GetCancelPtr());
  EXPECT_EQ(inner.GetCancelPtr(), outer.GetCancelPtr());
  std::thread canceller([&] { outer.SetCancel(); });
  canceller.join();
  EXPECT_EQ(inner.GetCancelStatus(), 1u);  // set before the inner request looked
  EXPECT_EQ(eriIsCancelled(inner.GetCancelPtr()), 1u);

  inner.ResetCancelPtr();  // back to its own, uncancelled flag
  EXPECT_EQ(inner.GetCancelStatus(), 0u);
  inner.SetCancelPtr(outer.GetCancelPtr());
  inner.ResetCancel();
  EXPECT_EQ(outer.GetCancelStatus(), 0u);
  EXPECT_EQ(eriIsCancelled(nullptr), 0u);
}

TEST(RequestBase, TheCurrentRequestIsWhatWasLastStored) {
  StepRequest request(0, 0, 0);
  EXPECT_EQ(getCurrentRequest(), nullptr);
  setCurrentRequest(&request);
  EXPECT_EQ(getCurrentRequest(), &request);
  setCurrentRequest(nullptr);
  EXPECT_EQ(getCurrentRequest(), nullptr);
}

TEST(RequestBase, ACancelReachesOnlyTheCurrentRequest) {
  StepRequest request(0, 0, 0);
  EXPECT_EQ(eriCancelCurrentRequest(), 0u);
  EXPECT_EQ(request.GetCancelStatus(), 0u);
  setCurrentRequest(&request);
  EXPECT_EQ(eriCancelCurrentRequest(), 1u);
  setCurrentRequest(nullptr);
  EXPECT_EQ(request.GetCancelStatus(), 1u);
}

// Requests come and go on one thread while another cancels: a cancel lands on a request still
// alive (under the sanitizers a late one would touch a destroyed request).
TEST(RequestBase, CancelsRacingTheEndOfRequestsTouchOnlyLiveRequests) {
  std::atomic<bool> done{false};
  std::thread canceller([&done] {
    while (!done.load()) eriCancelCurrentRequest();
  });
  for (int i = 0; i < 2000; i++) {
    auto requestP = std::make_unique<StepRequest>(0, 0, 0);
    setCurrentRequest(requestP.get());
    setCurrentRequest(nullptr);
  }
  done = true;
  canceller.join();
}

class Matchers : public testing::Test {
 protected:
  void SetUp() override { nlsTestTable(); }
  void TearDown() override { SetIgnoreCase(1); }
  uint32_t specMatch(const char* specP, const char* nameP, uint32_t mode) {
    SetIgnoreCase(mode);
    StepRequest request(0, 0, 0);
    request.setSpec(specP);
    return request.isMatch(nameP);
  }
};

struct MatchCase {
  const char* pattern;
  const char* name;
  uint32_t ignoringCase;  // result in ignore-case mode 1 (patternMatch: caseSensitive 0)
  uint32_t exact;         // result in mode 0 (patternMatch: caseSensitive 1)
};

// Cases every matcher agrees on.
const MatchCase kCommonCases[] = {
    {"master", "MASTER", 1, 0},
    {"master", "master", 1, 1},
    {"master", "mastery", 0, 0},
    {"ma*", "Master", 1, 0},
    {"*ST*", "master", 1, 0},  // a middle piece follows the case mode as the others do
    {"*st*", "master", 1, 1},
    {"ab*b", "ab", 0, 0},  // pieces never overlap
    {"ab*b", "abb", 1, 1},
    {"*abc", "bc", 0, 0},
    {"*aab", "ab", 0, 0},  // runs of a character are counted
    {"a*c", "abbbc", 1, 1},
    {"a*b*c", "abc", 1, 1},
    {"a*b*c", "acb", 0, 0},
    {"*\\meta\\0000", "SRV1\\meta\\0000", 1, 1},
    {"*\\meta\\0000", "SRV1\\data\\0001", 0, 0},
    {"S*\\*\\0000", "SRV1\\meta\\0000", 1, 1},
    {"*x*y", "axbxcy", 1, 1},  // the second piece is found after a false start
    {"A*", "abc", 1, 0},
};

TEST_F(Matchers, FilespecMatchFollowsTheIgnoreCaseMode) {
  for (const MatchCase& c : kCommonCases) {
    EXPECT_EQ(specMatch(c.pattern, c.name, 1), c.ignoringCase) << c.pattern << " " << c.name;
    EXPECT_EQ(specMatch(c.pattern, c.name, 0), c.exact) << c.pattern << " " << c.name;
  }
  EXPECT_EQ(specMatch("*", "", 1), 1u);
  EXPECT_EQ(specMatch("*", "anything", 0), 1u);
  EXPECT_EQ(specMatch("**", "anything", 1), 0u);  // stars alone name nothing
  EXPECT_EQ(specMatch("", "", 1), 0u);
  EXPECT_EQ(specMatch(nullptr, "a", 1), 0u);
}

TEST_F(Matchers, StringAgainstPatternTakesAnEmptyPatternAsEverything) {
  StepRequest request(0, 0, 0);
  for (const MatchCase& c : kCommonCases) {
    SetIgnoreCase(1);
    EXPECT_EQ(request.isMatch(c.name, c.pattern), c.ignoringCase) << c.pattern << " " << c.name;
    SetIgnoreCase(0);
    EXPECT_EQ(request.isMatch(c.name, c.pattern), c.exact) << c.pattern << " " << c.name;
  }
  EXPECT_EQ(request.isMatch("anything", "**"), 1u);
  EXPECT_EQ(request.isMatch("anything", ""), 1u);
  EXPECT_EQ(request.isMatch("", nullptr), 1u);
}

TEST_F(Matchers, AGivenCaseModeStandsWhateverTheProcessWideModeSays) {
  StepRequest request(0, 0, 0);
  for (uint32_t processMode : {0u, 1u}) {
    SetIgnoreCase(processMode);
    for (const MatchCase& c : kCommonCases) {
      EXPECT_EQ(request.isMatch(c.name, c.pattern, 1), c.ignoringCase)
          << c.pattern << " " << c.name;
      EXPECT_EQ(request.isMatch(c.name, c.pattern, 0), c.exact) << c.pattern << " " << c.name;
    }
    EXPECT_EQ(GetIgnoreCase(), processMode);
  }
}

TEST_F(Matchers, PatternMatchTakesTheCaseFlag) {
  for (const MatchCase& c : kCommonCases) {
    EXPECT_EQ(patternMatch(c.pattern, c.name, 0), c.ignoringCase) << c.pattern << " " << c.name;
    EXPECT_EQ(patternMatch(c.pattern, c.name, 1), c.exact) << c.pattern << " " << c.name;
  }
  EXPECT_EQ(patternMatch("*", "", 1), 1u);
  EXPECT_EQ(patternMatch("", "", 1), 1u);
  EXPECT_EQ(patternMatch("", "a", 1), 0u);
  EXPECT_EQ(patternMatch("**", "", 0), 1u);
  EXPECT_EQ(patternMatch("a", "", 0), 0u);
  EXPECT_EQ(patternMatch(nullptr, "a", 0), 0u);
}

}  // namespace
