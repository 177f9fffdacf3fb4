// The interface wrapper against the stand-in: version check, the process's set-up, logon with
// given, client-kept and prompted passwords, password changes, the ending of sessions on every
// failure, the texts of codes, and the forwarders' codes and arguments.
#include "pelkapi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "agttrc.h"
#include "pelkapi_testutil.h"
#include "psutil.h"
#include "registry.h"
#include "trcfile_testutil.h"

namespace {

int countLines(const std::vector<std::string>& texts, const std::string& wanted) {
  return static_cast<int>(std::count(texts.begin(), texts.end(), wanted));
}

// ---- Version check --------------------------------------------------------------------------

struct VersionCase {
  const char* reported;
  int rc;
  pelkApiVersion version;
};

class VersionCheck : public StorageFixture, public testing::WithParamInterface<VersionCase> {
 protected:
  void TearDown() override {
    unsetenv("HUBLOR_API_VERSION");
    StorageFixture::TearDown();
  }
};

TEST_P(VersionCheck, ReportedVersionPassesOrIsTooOld) {
  setenv("HUBLOR_API_VERSION", GetParam().reported, 1);
  PeekApiDL& api = makeApi();
  ASSERT_EQ(api.Setup(), 0);
  pelkApiVersion version{9, 9, 9};
  EXPECT_EQ(api.checkCompatibility(&m_Status, &version), GetParam().rc);
  EXPECT_EQ(version.version, GetParam().version.version);
  EXPECT_EQ(version.release, GetParam().version.release);
  EXPECT_EQ(version.level, GetParam().version.level);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, VersionCheck,
    testing::Values(VersionCase{"4.1.0", 0, {4, 1, 0}}, VersionCase{"4.0.0", 0, {4, 0, 0}},
                    VersionCase{"3.7.2", 0, {3, 7, 2}}, VersionCase{"3.8.0", 0, {3, 8, 0}},
                    VersionCase{"3.7.1", 107, {3, 7, 1}}, VersionCase{"3.6.9", 107, {3, 6, 9}},
                    VersionCase{"3.0.0", 107, {3, 0, 0}}, VersionCase{"2.9.9", 108, {2, 9, 9}}));

TEST_F(StorageFixture, VersionCheckBeforeLoadingFindsVersion0) {
  PeekApiDL& api = makeApi();
  pelkApiVersion version{9, 9, 9};
  EXPECT_EQ(api.checkCompatibility(&m_Status, &version), 108);
  EXPECT_EQ(version.version, 0);
}

// ---- Set-up of the process ------------------------------------------------------------------

class SetUpOfTheInterface : public StorageFixture {
 protected:
  PeekApiDL& loaded() {
    PeekApiDL& api = makeApi();
    EXPECT_EQ(api.Setup(), 0);
    return api;
  }
};

TEST_F(SetUpOfTheInterface, RunsOncePerProcessWithTheDirectoriesOfTheRegistry) {
  PeekApiDL& api = loaded();
  TraceFileForTest trace({TRC_API});
  int errorKind = 0;
  ASSERT_EQ(api.Init(&m_Status, &errorKind), 0);
  std::string agent = agentDir();
  std::string expected = "pelkiDir = " + std::string(HUBLOR_LIBRARY_DIR) +
                         ", pelkiLog = " + agent.substr(0, agent.size() - 1) +
                         ", pelkiConfig = " + optionFilePath() + ", argv = (nil)";
  EXPECT_EQ(countLines(trace.texts(), expected), 1);
  EXPECT_EQ(api.Init(&m_Status, &errorKind), 0);
  EXPECT_EQ(countLines(trace.texts(), "pelkSetUp already done"), 1);
  EXPECT_EQ(countLines(trace.texts(), "Enter dpelkSetUp"), 1);
  pelkUint32_t handle = 0;
  EXPECT_EQ(api.Logon(&m_Status, nullptr, &handle), 0);
  EXPECT_EQ(api.Logoff(&m_Status, handle), 0);
}

TEST_F(SetUpOfTheInterface, MissingInterfaceDirectoryIsTheAgentsFailure) {
  PeekApiDL& api = loaded();
  ASSERT_EQ(regDeleteKey(HKEY_LOCAL_MACHINE, directoryKey(PS_API_NAME).c_str()), 0);
  int errorKind = 0;
  EXPECT_EQ(api.Init(&m_Status, &errorKind), RC_REG_OPEN_FAILED);
  EXPECT_EQ(errorKind, 1);
}

TEST_F(SetUpOfTheInterface, OptionFileOfTheSetupDataIsUsedAndAFailedSetUpCanBeRetried) {
  PeekApiDL& api = loaded();
  char missing[] = "/nonexistent/dir/pelk.opt";
  PelkSetupData setup{missing, nullptr};
  DPelkApi::SetSetupData(&setup);
  int errorKind = 0;
  EXPECT_EQ(api.Init(&m_Status, &errorKind), PELK_RC_OPTION_FILE);
  EXPECT_EQ(errorKind, 2);

  std::string tooLong(PELK_OPTFILE_SIZE, 'x');
  setup.optFileP = tooLong.c_str();
  errorKind = 0;
  EXPECT_EQ(api.Init(&m_Status, &errorKind), PELK_RC_NAME_TOO_LONG);
  EXPECT_EQ(errorKind, 2);

  std::string given = optionFilePath();
  setup.optFileP = given.c_str();
  EXPECT_EQ(api.Init(&m_Status, &errorKind), 0);
}

TEST_F(SetUpOfTheInterface, TermEndsTheSetUpOnceAndInitMayRunAgain) {
  PeekApiDL& api = loaded();
  EXPECT_EQ(api.Term(&m_Status), 0);  // not set up: nothing to end
  ASSERT_EQ(api.Init(&m_Status), 0);
  EXPECT_EQ(api.Term(&m_Status), 0);
  EXPECT_EQ(api.Init(&m_Status), 0);
}

// ---- Logon ----------------------------------------------------------------------------------

// What the password callback answers, and what it was asked.
struct CallbackScript {
  std::vector<std::string> answers;  // one per call; an empty answer gives no password
  int rc = 0;
  std::vector<std::pair<int, std::string>> asked;  // reason and current password
  std::vector<std::string> nodes;                  // the node each prompt names
};
CallbackScript gScript;

int scriptedCallback(int reason, int, const char* currentPwP, const char* nodeNameP, char* outputP,
                     int outputSize, const char*) {
  gScript.asked.emplace_back(reason, currentPwP);
  gScript.nodes.emplace_back(nodeNameP);
  size_t call = gScript.asked.size() - 1;
  std::string answer = call < gScript.answers.size() ? gScript.answers[call] : "";
  std::snprintf(outputP, static_cast<size_t>(outputSize), "%s", answer.c_str());
  return gScript.rc;
}

class Logon : public StorageFixture {
 protected:
  void SetUp() override {
    StorageFixture::SetUp();
    gScript = CallbackScript{};
  }
  // The option file's further lines, then loading and set-up.
  PeekApiDL& start(const std::string& options = "", const char* password = "secret") {
    writeOptionFile(options);
    PeekApiDL& api = makeApi("NODE1", password, nullptr, scriptedCallback);
    EXPECT_EQ(api.Setup(), 0);
    EXPECT_EQ(api.Init(&m_Status), 0);
    return api;
  }
  int16_t logon(PeekApiDL& api, const char* password, const char* newPassword = nullptr,
                pelkPasswordCallback callback = scriptedCallback) {
    pelkApiLogonInfo info{"NODE1", password, newPassword, nullptr, callback};
    m_Handle = 77;
    int16_t rc = api.Logon(&m_Status, &m_SessInfo, &m_Handle, &info);
    if (rc == PELK_RC_OK) {
      EXPECT_EQ(api.Logoff(&m_Status, m_Handle), 0);
    }
    return rc;
  }
  // A logon with the object's stored values.
  int16_t storedLogon(PeekApiDL& api) {
    m_Handle = 77;
    int16_t rc = api.Logon(&m_Status, nullptr, &m_Handle);
    if (rc == PELK_RC_OK) {
      EXPECT_EQ(api.Logoff(&m_Status, m_Handle), 0);
    }
    return rc;
  }
  pelkUint32_t m_Handle = 0;
  pelkSessInfo m_SessInfo{};
};

TEST_F(Logon, GivenPasswordOpensASessionWithItsFactsAndAsksNothing) {
  PeekApiDL& api = start();
  EXPECT_EQ(logon(api, "secret"), 0);
  EXPECT_NE(m_Handle, 0u);
  EXPECT_STREQ(m_SessInfo.id, "NODE1");
  EXPECT_EQ(m_SessInfo.stVersion, PELK_SESSINFO_VERSION);
  EXPECT_TRUE(gScript.asked.empty());
  EXPECT_STREQ(api.getHublorNode(), "NODE1");
}

TEST_F(Logon, PromptModeAsksBeforeTheLibraryWhenThereIsNoPassword) {
  PeekApiDL& api = start();
  gScript.answers = {"secret"};
  TraceFileForTest trace({TRC_API});
  EXPECT_EQ(logon(api, nullptr), 0);
  ASSERT_EQ(gScript.asked.size(), 1u);
  EXPECT_EQ(gScript.asked[0].first, 137);
  EXPECT_EQ(countLines(trace.texts(), "Enter dpelkInit"), 1);
}

TEST_F(Logon, PromptNamesTheOptionFilesNodeWhenTheLogonGivesNone) {
  writeOptionFile("");  // NODENAME NODE1
  PeekApiDL& api = makeApi(nullptr, nullptr, nullptr, scriptedCallback);
  ASSERT_EQ(api.Setup(), 0);
  ASSERT_EQ(api.Init(&m_Status), 0);
  gScript.answers = {"secret"};
  EXPECT_EQ(storedLogon(api), 0);
  EXPECT_EQ(gScript.nodes, std::vector<std::string>{"NODE1"});
}

TEST_F(Logon, PromptModeReturnsARefusedGivenPasswordWithoutAsking) {
  PeekApiDL& api = start();
  EXPECT_EQ(logon(api, "wrong"), PELK_RC_BAD_PASSWORD);
  EXPECT_EQ(m_Handle, 0u);
  EXPECT_TRUE(gScript.asked.empty());
}

TEST_F(Logon, ClientKeptPasswordNeedsNoPrompt) {
  PeekApiDL& api = start("PASSWORDACCESS GENERATE\n");
  ASSERT_EQ(logon(api, "secret"), 0);  // the client keeps it from now on
  EXPECT_EQ(logon(api, nullptr), 0);
  EXPECT_TRUE(gScript.asked.empty());
}

TEST_F(Logon, RefusedClientKeptPasswordIsRetriedOnceAfterTheCallback) {
  PeekApiDL& api = start("PASSWORDACCESS GENERATE\n");
  ASSERT_EQ(logon(api, "secret"), 0);
  sim({"node", "set", "NODE1", "--password", "fresh1"});
  gScript.answers = {"fresh1"};
  EXPECT_EQ(logon(api, nullptr), 0);
  ASSERT_EQ(gScript.asked.size(), 1u);
  EXPECT_EQ(gScript.asked[0].first, 137);

  sim({"node", "set", "NODE1", "--password", "fresh2"});
  gScript = CallbackScript{};
  gScript.answers = {"wrong", "fresh2"};
  EXPECT_EQ(logon(api, nullptr), PELK_RC_BAD_PASSWORD);
  EXPECT_EQ(gScript.asked.size(), 1u);  // asked once only
  EXPECT_EQ(m_Handle, 0u);
}

TEST_F(Logon, CancelledPromptGives101AndKeepsTheStoredPassword) {
  PeekApiDL& api = start();
  gScript.rc = PELK_PW_CANCELLED;
  EXPECT_EQ(logon(api, nullptr), PELK_PW_CANCELLED);
  EXPECT_EQ(m_Handle, 0u);
  gScript.rc = 0;
  EXPECT_EQ(logon(api, nullptr), PELK_RC_BAD_PASSWORD);  // no answer, not cancelled
  EXPECT_EQ(storedLogon(api), 0);                        // still "secret"
  EXPECT_EQ(gScript.asked.size(), 2u);
}

TEST_F(Logon, HavingToAskWithoutACallbackGives137) {
  PeekApiDL& api = start();
  EXPECT_EQ(logon(api, nullptr, nullptr, nullptr), PELK_RC_BAD_PASSWORD);
}

TEST_F(Logon, ExpiredPasswordIsChangedThroughTheCallbackAndTheNewOneIsKept) {
  PeekApiDL& api = start();
  sim({"node", "set", "NODE1", "--expired", "yes"});
  gScript.answers = {"renewed1"};
  EXPECT_EQ(logon(api, "secret"), 0);
  ASSERT_EQ(gScript.asked.size(), 1u);
  EXPECT_EQ(gScript.asked[0].first, PELK_RC_PASSWORD_EXPIRED);
  EXPECT_EQ(gScript.asked[0].second, "secret");
  EXPECT_EQ(storedLogon(api), 0);  // the object now holds "renewed1"
  EXPECT_EQ(gScript.asked.size(), 1u);
  EXPECT_EQ(logon(api, "secret"), PELK_RC_BAD_PASSWORD);
}

// Every failure after the library handed out a session ends that session and hands out none.
struct EndedSessionCase {
  const char* name;
  const char* options;  // further option file lines
  bool expired;
  int callbackRc;
  const char* newPassword;
  bool withCallback;
  int rc;
};

class EndedSession : public Logon, public testing::WithParamInterface<EndedSessionCase> {};

TEST_P(EndedSession, FailureAfterTheSessionOpenedEndsIt) {
  const EndedSessionCase& c = GetParam();
  PeekApiDL& api = start(c.options);
  if (c.expired) sim({"node", "set", "NODE1", "--expired", "yes"});
  gScript.rc = c.callbackRc;
  TraceFileForTest trace({TRC_API});
  EXPECT_EQ(logon(api, "secret", c.newPassword, c.withCallback ? scriptedCallback : nullptr), c.rc);
  EXPECT_EQ(m_Handle, 0u);
  EXPECT_EQ(countLines(trace.texts(), "Exit dpelkTerminate, rc = 0"), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, EndedSession,
    testing::Values(EndedSessionCase{"ExpiredWithoutCallback", "", true, 0, nullptr, false, 52},
                    EndedSessionCase{"ExpiredPromptCancelled", "", true, PELK_PW_CANCELLED, nullptr,
                                     true, PELK_PW_CANCELLED},
                    EndedSessionCase{"ExpiredPromptEmpty", "", true, 0, nullptr, true, 52},
                    EndedSessionCase{"PasswordChangeRefused", "", false, 0, "secret", true,
                                     PELK_RC_NEW_PASSWORD_INVALID},
                    EndedSessionCase{"SessionQueryFails", "FAULT pelkQuerySessInfo code=2015\n",
                                     false, 0, nullptr, true, PELK_RC_STORE_ERROR}),
    [](const testing::TestParamInfo<EndedSessionCase>& info) { return info.param.name; });

TEST_F(Logon, GivenNewPasswordIsSetAndUsedByLaterLogons) {
  PeekApiDL& api = start();
  EXPECT_EQ(logon(api, "secret", "second2"), 0);
  EXPECT_EQ(storedLogon(api), 0);
  EXPECT_EQ(logon(api, "second2"), 0);
  EXPECT_TRUE(gScript.asked.empty());
}

TEST_F(Logon, OverLongTextsAreRefusedBeforeTheLibrarySeesThem) {
  PeekApiDL& api = start();
  std::string longText(PELK_PASSWORD_SIZE, 'p');
  TraceFileForTest trace({TRC_API});
  pelkApiLogonInfo info{"NODE1", longText.c_str(), nullptr, nullptr, scriptedCallback};
  m_Handle = 77;
  EXPECT_EQ(api.Logon(&m_Status, nullptr, &m_Handle, &info), PELK_RC_NAME_TOO_LONG);
  EXPECT_EQ(m_Handle, 0u);
  info = {longText.c_str(), "secret", nullptr, nullptr, scriptedCallback};
  EXPECT_EQ(api.Logon(&m_Status, nullptr, &m_Handle, &info), PELK_RC_NAME_TOO_LONG);
  info = {"NODE1", "secret", longText.c_str(), nullptr, scriptedCallback};
  EXPECT_EQ(api.Logon(&m_Status, nullptr, &m_Handle, &info), PELK_RC_NAME_TOO_LONG);
  EXPECT_EQ(countLines(trace.texts(), "Enter dpelkInit"), 0);

  PeekApiDL refused("NODE1", longText.c_str(), nullptr, scriptedCallback);
  EXPECT_EQ(refused.Logon(&m_Status, nullptr, &m_Handle), PELK_RC_NAME_TOO_LONG);
  EXPECT_EQ(countLines(trace.texts(), "Enter dpelkInit"), 0);
}

TEST_F(Logon, StripeThreadsLogOnAtOnceWithTheStoredValues) {
  PeekApiDL& api = start();
  std::vector<std::thread> stripes;
  std::vector<int> failures(4, 0);
  for (int stripe = 0; stripe < 4; stripe++) {
    stripes.emplace_back([&api, &failures, stripe] {
      DPelkApiStatus status;
      for (int round = 0; round < 3; round++) {
        pelkUint32_t handle = 0;
        pelkSessInfo info{};
        if (api.Logon(&status, &info, &handle) != 0 || api.Logoff(&status, handle) != 0) {
          failures[stripe]++;
        }
      }
    });
  }
  for (std::thread& stripe : stripes) stripe.join();
  EXPECT_EQ(failures, std::vector<int>(4, 0));
}

// ---- Texts of codes -------------------------------------------------------------------------

class CodeTexts : public Logon {};

TEST_F(CodeTexts, LibraryTextWithANewlineOrTheFallbackForACodeWithoutText) {
  PeekApiDL& api = start();
  char text[PELK_RCMSG_SIZE];
  size_t length = 99;
  api.GetApiError(&m_Status, 0, PELK_RC_BAD_PASSWORD, text, sizeof text, &length, "pelkInit");
  std::string library = text;
  ASSERT_GT(library.size(), 1u);
  EXPECT_EQ(library.rfind("HUB0137E ", 0), 0u) << library;
  EXPECT_EQ(library.back(), '\n');
  EXPECT_EQ(length, library.size());

  api.GetApiError(&m_Status, 0, 9999, text, sizeof text, &length, "pelkInit");
  EXPECT_STREQ(text, "no text returned for MOXTAR Api error 9999\n");
  EXPECT_EQ(length, std::strlen(text));

  api.GetApiError(&m_Status, 0, 0, text, sizeof text, &length, "pelkInit");
  EXPECT_STREQ(text, "");
  EXPECT_EQ(length, 0u);
}

TEST_F(CodeTexts, ShortBuffersKeepTheNewlineAndReportTheWholeLength) {
  PeekApiDL& api = start();
  char whole[PELK_RCMSG_SIZE];
  size_t wholeLength = 0;
  ASSERT_EQ(api.AgtPelkRCMsg(&m_Status, 0, PELK_RC_BAD_PASSWORD, whole, sizeof whole, &wholeLength),
            0);
  char text[10];
  size_t length = 0;
  ASSERT_EQ(api.AgtPelkRCMsg(&m_Status, 0, PELK_RC_BAD_PASSWORD, text, sizeof text, &length), 0);
  EXPECT_EQ(std::string(text), std::string(whole).substr(0, 9));
  EXPECT_EQ(length, wholeLength);
  api.GetApiError(&m_Status, 0, PELK_RC_BAD_PASSWORD, text, sizeof text, &length, nullptr);
  EXPECT_EQ(std::string(text), std::string(whole).substr(0, 8) + "\n");
  EXPECT_EQ(length, wholeLength + 1);
}

TEST_F(CodeTexts, AlreadyRegisteredFilespaceIsSuccess) {
  PeekApiDL& api = start();
  pelkUint32_t handle = 0;
  ASSERT_EQ(api.Logon(&m_Status, nullptr, &handle), 0);
  char fsName[] = "\\\\SQLHOST\\Inst";
  char fsType[] = "SqlData";
  regFSData reg{};
  reg.stVersion = PELK_REGFSDATA_VERSION;
  reg.fsName = fsName;
  reg.fsType = fsType;
  reg.fsAttr.fsInfo[0] = 'Z';
  EXPECT_EQ(api.registerFilespace(&m_Status, handle, &reg), 0);
  EXPECT_EQ(api.registerFilespace(&m_Status, handle, &reg), 0);
  EXPECT_EQ(DPelkApi::dpelkRegisterFS(&api, &m_Status, handle, &reg),
            PELK_RC_FS_ALREADY_REGISTERED);
  EXPECT_EQ(api.Logoff(&m_Status, handle), 0);
}

// ---- Forwarders -----------------------------------------------------------------------------

char* gSeenPassword = reinterpret_cast<char*>(1);

pelkInt16_t fakeInit(pelkUint32_t*, pelkApiVersion*, char*, char*, char* passwordP, char*, char*,
                     char*) {
  gSeenPassword = passwordP;
  return 0;
}

pelkInt16_t fakeBeginTxn(pelkUint32_t) {
  return -7;
}

TEST_F(StorageFixture, ForwardersPassCodesUnchangedAndAnEmptyPasswordAsNone) {
  PeekApiDL& api = makeApi();  // nothing loaded: the test binds its own entry points
  PeekApiDL::entryPoints().pelkInit = fakeInit;
  PeekApiDL::entryPoints().pelkBeginTxn = fakeBeginTxn;
  TraceFileForTest trace({TRC_API});
  EXPECT_EQ(DPelkApi::dpelkBeginTxn(&api, &m_Status, 5), -7);
  EXPECT_EQ(countLines(trace.texts(), "Exit dpelkBeginTxn, rc = -7"), 1);

  pelkUint32_t handle = 0;
  char empty[] = "";
  char one[] = "x";
  DPelkApi::dpelkInit(&api, &m_Status, &handle, nullptr, nullptr, nullptr, empty, nullptr, nullptr,
                      nullptr);
  EXPECT_EQ(gSeenPassword, nullptr);
  DPelkApi::dpelkInit(&api, &m_Status, &handle, nullptr, nullptr, nullptr, one, nullptr, nullptr,
                      nullptr);
  EXPECT_EQ(gSeenPassword, one);
  DPelkApi::ClearPointers();
  EXPECT_EQ(DPelkApi::dpelkBeginTxn(&api, &m_Status, 5), 1);
}

}  // namespace
