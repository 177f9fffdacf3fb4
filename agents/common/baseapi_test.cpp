// Interface timing: totals and trace lines of timed calls, the in-call flag as an observer sees
// it, and the report of message 152 under the performance trace.
#include "baseapi.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "agtlog.h"
#include "agtrc.h"
#include "agttrc.h"
#include "filetext_testutil.h"
#include "nlstest.h"
#include "pelkapi.h"
#include "pelkapi_testutil.h"
#include "psthread.h"
#include "trcfile_testutil.h"

namespace {

bool hasLine(const std::vector<std::string>& texts, const std::string& wanted) {
  for (const std::string& text : texts) {
    if (text == wanted) return true;
  }
  return false;
}

// A wrapper without the loading, for timing on its own.
class TimingApi : public DPelkApi {
 public:
  TimingApi() : DPelkApi("NODE1", "secret", nullptr, nullptr) {}
  int Setup() override { return RC_OK; }
  int Cleanup() override { return RC_OK; }
};

// One call of `milliseconds` timed on the record by the member form.
void timedCall(DBaseApi& api, DPelkApiStatus& status, int64_t milliseconds) {
  StepClockForTest::setStep(0);
  DBaseApi::StartApiCall(&status);
  StepClockForTest::setStep(milliseconds);
  api.EndApiCall(&status);
}

TEST(InterfaceTiming, AddsEachCallToTheTotalAndTracesItWithTheFamily) {
  StepClockForTest clock(0);
  TimingApi api;
  DPelkApiStatus unused;
  EXPECT_EQ(unused.totalApiSeconds, 0.0);
  EXPECT_EQ(unused.apiNameP, nullptr);
  EXPECT_EQ(unused.inApiCall, 0u);

  DPelkApiStatus status;
  TraceFileForTest trace({TRC_API});
  timedCall(api, status, 1400);
  timedCall(api, status, 2200);
  EXPECT_NEAR(status.totalApiSeconds, 3.6, 1e-9);
  EXPECT_EQ(status.inApiCall, 0u);
  std::vector<std::string> texts = trace.texts();
  EXPECT_TRUE(hasLine(texts,
                      "Exit DBaseApi::EndApiCall, elapsed seconds 1, total time 1 for "
                      "HUBLOR Apis "));
  EXPECT_TRUE(hasLine(texts,
                      "Exit DBaseApi::EndApiCall, elapsed seconds 2, total time 4 for "
                      "HUBLOR Apis "));
}

TEST(InterfaceTiming, StaticFormNamesTheFamilyGivenAndNullAsNull) {
  StepClockForTest clock(0);
  DPelkApiStatus status;
  TraceFileForTest trace({TRC_API});
  DBaseApi::StartApiCall(&status);
  StepClockForTest::setStep(500);
  DBaseApi::EndApiCall(&status, "Sql");
  StepClockForTest::setStep(0);
  DBaseApi::StartApiCall(&status);
  StepClockForTest::setStep(700);
  DBaseApi::EndApiCall(&status, nullptr);
  EXPECT_NEAR(status.totalApiSeconds, 1.2, 1e-9);
  std::vector<std::string> texts = trace.texts();
  EXPECT_TRUE(hasLine(texts, "Enter DBaseApi::EndApiCall( Sql )"));
  EXPECT_TRUE(hasLine(texts,
                      "Exit DBaseApi::EndApiCall, elapsed seconds 0, total time 0 for "
                      "Sql Apis "));
  EXPECT_TRUE(hasLine(texts, "Enter DBaseApi::EndApiCall( <NULL> )"));
  EXPECT_TRUE(hasLine(texts,
                      "Exit DBaseApi::EndApiCall, elapsed seconds 1, total time 1 for "
                      "<NULL> Apis "));
}

TEST(InterfaceTiming, ObserverSeesTheCallInProgressOnlyBetweenStartAndEnd) {
  TimingApi api;
  DPelkApiStatus status;
  psEvent started = nullptr;
  psEvent release = nullptr;
  ASSERT_EQ(psEventInit(&started), 0);
  ASSERT_EQ(psEventInit(&release), 0);
  std::thread caller([&] {
    DBaseApi::StartApiCall(&status);
    psEventSignal(started);
    psEventWait(release);
    api.EndApiCall(&status);
  });
  psEventWait(started);
  EXPECT_EQ(status.inApiCall, 1u);
  psEventSignal(release);
  caller.join();
  EXPECT_EQ(status.inApiCall, 0u);
  psEventDestroy(&started);
  psEventDestroy(&release);
}

// A base with a family name of its own.
class NamedApi : public DBaseApi {
 public:
  using DBaseApi::DBaseApi;
  int Setup() override { return RC_OK; }
  int Cleanup() override { return RC_OK; }
  int Init(DPelkApiStatus*, int*) override { return 0; }
  int Term(DPelkApiStatus*) override { return 0; }
};

TEST(InterfaceTiming, FamilyNameDefaultsToUndefinedAndIsCutToItsField) {
  EXPECT_STREQ(NamedApi().GetApiName(), "undefined");
  EXPECT_STREQ(NamedApi("ABCDEFGHIJKLMNOPQRSTUVWXYZ").GetApiName(), "ABCDEFGHIJKLMNOPQRSTUVW");
  EXPECT_STREQ(TimingApi().GetApiName(), "HUBLOR");
  EXPECT_EQ(DBaseApi::FunctionNotLoaded(), 419);
}

// Message 152 in the activity log, from the agent's own catalogue.
class ApiStatusReport : public nlstest::NlsFixture {
 protected:
  void SetUp() override {
    NlsFixture::SetUp();
    ASSERT_EQ(initRepository(fileText(ZK_MESSAGE_CATALOGUE)), 0);
    m_LogPath = dir() + "zarnaksql.log";
    ASSERT_EQ(m_Log.SetLogName(m_LogPath.c_str()), 0);
    gLogP = &m_Log;
  }
  void TearDown() override {
    gLogP = nullptr;
    NlsFixture::TearDown();
  }
  std::string m_LogPath;
  CLog m_Log;
};

TEST_F(ApiStatusReport, PerformanceTraceOffWritesNothing) {
  TimingApi api;
  DPelkApiStatus status;
  status.totalApiSeconds = 3.6;
  TraceFileForTest trace({TRC_API});
  api.LogApiStatus(&status);
  EXPECT_EQ(fileText(m_LogPath), "");
  EXPECT_EQ(status.totalApiSeconds, 3.6);
}

TEST_F(ApiStatusReport, PerformanceTraceOnLogsAndTracesMessage152) {
  TimingApi api;
  DPelkApiStatus status;
  status.totalApiSeconds = 3.6;
  TraceFileForTest trace({TRC_API, TRC_PERFORMANCE});
  api.LogApiStatus(&status);
  std::string log = fileText(m_LogPath);
  EXPECT_NE(log.find(" ZUD0152I 3.600 seconds were spent in HUBLOR calls.\n"), std::string::npos)
      << log;
  EXPECT_TRUE(hasLine(trace.texts(), "ZUD0152I 3.600 seconds were spent in HUBLOR calls."));
  EXPECT_EQ(status.totalApiSeconds, 3.6);
}

TEST_F(ApiStatusReport, ErrorOfACallGoesToTheActivityLogWithTheFallbackText) {
  TimingApi api;  // nothing loaded: the library has no text for any code
  DPelkApiStatus status;
  api.LogApiError(&status, 0, 0, "pelkInit");
  EXPECT_EQ(fileText(m_LogPath), "");
  api.LogApiError(&status, 0, 137, "pelkInit");
  std::string log = fileText(m_LogPath);
  EXPECT_NE(log.find(" error 137 returned from pelkInit: no text returned for MOXTAR Api error "
                     "137\n"),
            std::string::npos)
      << log;
}

}  // namespace
