#include "moxtar_testutil.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#include "agttrc.h"
#include "filetext_testutil.h"
#include "hublorctl.h"
#include "msgfile.h"
#include "msgrepo.h"
#include "nlsglob.h"
#include "nlstest.h"

namespace {

std::string gAgentDir;

int testAgentDir(char* bufP, size_t size) {
  std::snprintf(bufP, size, "%s", gAgentDir.c_str());
  return 0;
}

// The cancel after a call: set by CancelAfterCall before it installs the echo, which the threads
// that end the call run at the same time, so the countdown and the word are atomic.
std::atomic<uint32_t*> gCancelWordP{nullptr};
std::string gCancelCall;
std::atomic<int> gCancelCountdown{0};

void cancelEcho(const char* textP) {
  uint32_t* wordP = gCancelWordP.load();
  if (wordP == nullptr || std::strstr(textP, gCancelCall.c_str()) == nullptr) return;
  if (gCancelCountdown.fetch_sub(1) == 1) std::atomic_ref<uint32_t>(*wordP).store(1);
}

}  // namespace

int countOf(const std::string& text, const std::string& wanted) {
  int count = 0;
  for (size_t at = text.find(wanted); at != std::string::npos; at = text.find(wanted, at + 1)) {
    count++;
  }
  return count;
}

pelkObjName objNameOf(const std::string& fs, const std::string& hl, const std::string& ll) {
  pelkObjName name;
  std::memset(&name, 0, sizeof name);
  std::snprintf(name.fs, sizeof name.fs, "%s", fs.c_str());
  std::snprintf(name.hl, sizeof name.hl, "%s", hl.c_str());
  std::snprintf(name.ll, sizeof name.ll, "%s", ll.c_str());
  name.objType = PELK_OBJ_FILE;
  return name;
}

void MoxtarFixture::SetUp() {
  StorageFixture::SetUp();
  gAgentDir = m_Root.path().string();
  optSetAgentDirRtn(testAgentDir);
  const nlsOutputCallback callbacks[NLS_NUM_SEVERITIES] = {};
  nlsSetup(callbacks);
  nlstest::writeRepository(gAgentDir + "/sql" + nlstest::kLanguage + ".txt",
                           fileText(ZK_MESSAGE_CATALOGUE));
  ASSERT_EQ(NLInit(nlstest::kLanguage, 10, 1, 1, 1, 1), 0);
  PeekApiDL& api = makeApi();
  ASSERT_EQ(api.Setup(), 0);
  ASSERT_EQ(api.Init(&m_Status), 0);
  ASSERT_EQ(api.Logon(&m_Status, nullptr, &m_Handle), 0);
}

void MoxtarFixture::TearDown() {
  if (m_Handle != 0) {
    EXPECT_EQ(m_Api->Logoff(&m_Status, m_Handle), 0);
  }
  NLTerm();
  nlsCleanup();
  optSetAgentDirRtn(nullptr);
  // The library stays loaded for the rest of the process, as in the agent programs: the
  // stand-in keeps its process-wide state for as long as it is loaded.
  m_Api->Term(&m_Status);
  m_Api.reset();
  gPelkApiObjP = nullptr;
  DPelkApi::SetSetupData(nullptr);
}

pelkFSAttr agentFsAttr() {
  pelkFSAttr attr;
  std::memset(&attr, 0, sizeof attr);
  attr.fsInfo[0] = 'Z';
  return attr;
}

void MoxtarFixture::addFilespace(const std::string& fs, const char* typeP) {
  ASSERT_EQ(registerFs(&m_Status, m_ErrorText, m_Handle, fs.c_str(), typeP, agentFsAttr()), 0)
      << m_ErrorText;
}

void MoxtarFixture::storeObject(const std::string& fs, const std::string& hl, const std::string& ll,
                                const std::string& data, const std::string& objInfo) {
  pelkObjName name = objNameOf(fs, hl, ll);
  ObjAttr attr;
  std::memset(&attr, 0, sizeof attr);
  attr.stVersion = PELK_OBJATTR_VERSION;
  attr.sizeEstimate.lo = static_cast<pelkUint32_t>(data.size());
  std::string info = objInfo;
  attr.objInfoLength = static_cast<pelkUint16_t>(info.size());
  attr.objInfo = info.empty() ? nullptr : info.data();
  std::string bytes = data;
  DataBlk block{PELK_DATABLK_VERSION, static_cast<pelkUint32_t>(bytes.size()), 0, bytes.data()};
  DPelkApi* apiP = m_Api.get();
  ASSERT_EQ(DPelkApi::dpelkBeginTxn(apiP, &m_Status, m_Handle), 0);
  ASSERT_EQ(DPelkApi::dpelkSendObj(apiP, &m_Status, m_Handle, PELK_SEND_BACKUP, nullptr, &name,
                                   &attr, &block),
            0);
  ASSERT_EQ(DPelkApi::dpelkEndSendObj(apiP, &m_Status, m_Handle), 0);
  pelkUint16_t reason = 0;
  ASSERT_EQ(DPelkApi::dpelkEndTxn(apiP, &m_Status, m_Handle, PELK_VOTE_COMMIT, &reason), 0);
}

std::string MoxtarFixture::simOutput(const std::vector<std::string>& words) {
  std::string command = HUBLORSIM_PATH;
  for (const std::string& word : words) command += " '" + word + "'";
  FILE* pipeP = popen(command.c_str(), "r");
  std::string output;
  if (pipeP == nullptr) {
    ADD_FAILURE() << "cannot run " << command;
    return output;
  }
  char buffer[4096];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipeP)) > 0) output.append(buffer, got);
  EXPECT_EQ(pclose(pipeP), 0) << command;
  return output;
}

std::vector<qryRespBackupData> MoxtarFixture::objects(const std::string& fs, uint8_t state) {
  MoxtarBackupList list;
  agentDateTime none{};
  char text[MOXTAR_ERROR_TEXT_SIZE];
  int rc = qryBackupObjects(&m_Status, m_Handle, state, none, objNameOf(fs, "*", "*"), nullptr,
                            nullptr, &list, text);
  EXPECT_TRUE(rc == RC_OK || rc == RC_NO_BACKUP_MATCH) << rc << " " << text;
  std::vector<qryRespBackupData> all;
  for (qryRespBackupData* p = list.getFirst(); p != nullptr; p = list.getNext(p)) {
    all.push_back(*p);
  }
  return all;
}

CancelAfterCall::CancelAfterCall(uint32_t* cancelP, const char* callNameP, int nth) {
  gCancelWordP = cancelP;
  gCancelCall = std::string("Exit ") + callNameP;
  gCancelCountdown = nth;
  gTrace.setFlag(TRC_API, 1);
  gTraceEchoP = cancelEcho;
  gTrace.open("");
}

CancelAfterCall::~CancelAfterCall() {
  gTrace.close();
  gTrace.setFlag(TRC_API, 0);
  gTraceEchoP = nullptr;
  gCancelWordP = nullptr;
}

void MoxtarFixture::armFault(const std::string& rule) {
  auto armP = reinterpret_cast<decltype(&hublorCtlArmFault)>(
      dlsym(PeekApiDL::module(), "hublorCtlArmFault"));
  ASSERT_NE(armP, nullptr);
  ASSERT_EQ(armP(rule.c_str()), 0) << rule;
}

void MoxtarFixture::clearFaults() {
  auto clearP = reinterpret_cast<decltype(&hublorCtlClearFaults)>(
      dlsym(PeekApiDL::module(), "hublorCtlClearFaults"));
  ASSERT_NE(clearP, nullptr);
  clearP();
}

uint32_t MoxtarFixture::loggedOnSessions() {
  auto countP = reinterpret_cast<decltype(&hublorCtlOpenSessions)>(
      dlsym(PeekApiDL::module(), "hublorCtlOpenSessions"));
  EXPECT_NE(countP, nullptr);
  return countP != nullptr ? countP() : 0;
}
