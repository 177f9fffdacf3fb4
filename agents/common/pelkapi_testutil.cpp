#include "pelkapi_testutil.h"

#include <dlfcn.h>
#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "psutil.h"
#include "registry.h"

extern char** environ;

namespace {

int runProgram(std::vector<std::string> words) {
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void putKeyValue(const std::string& keyPath, const std::string& value) {
  HKEY key = nullptr;
  ASSERT_EQ(createOrOpenReg(HKEY_LOCAL_MACHINE, keyPath.c_str(), &key), 0);
  ASSERT_EQ(putSzValue(HKEY_LOCAL_MACHINE, keyPath.c_str(), PS_PATH_VALUE, value.c_str()), 0);
}

// The step clock's counter, in milliseconds (frequency 1000 counts a second).
std::atomic<int64_t> gClockCount{0};
std::atomic<int64_t> gClockStep{0};

int readStepCounter(int64_t* countP) {
  *countP = gClockCount.fetch_add(gClockStep) + gClockStep;
  return 1;
}

int readStepFrequency(int64_t* countsPerSecondP) {
  *countsPerSecondP = 1000;
  return 1;
}

const psClock kStepClock = {readStepCounter, readStepFrequency};

}  // namespace

StepClockForTest::StepClockForTest(int64_t stepMs) {
  gClockCount = 0;
  gClockStep = stepMs;
  psTimerSetClock(&kStepClock);
}

StepClockForTest::~StepClockForTest() {
  psTimerSetClock(nullptr);
}

void StepClockForTest::setStep(int64_t stepMs) {
  gClockStep = stepMs;
}

std::string pelkBoundLibraryPath() {
  Dl_info info{};
  void* entryP = reinterpret_cast<void*>(PeekApiDL::entryPoints().pelkInit);
  if (dladdr(entryP, &info) == 0 || info.dli_fname == nullptr) return "";
  std::filesystem::path file = std::filesystem::weakly_canonical(info.dli_fname);
  return file.filename() == PELK_LIBRARY_NAME ? file.string() : "";
}

void StorageFixture::SetUp() {
  std::filesystem::create_directories(agentDir());
  putKeyValue(directoryKey(PS_AGENT_NAME), agentDir());
  setInterfaceDir(HUBLOR_LIBRARY_DIR);
  sim({"node", "add", "NODE1", "secret"});
  writeOptionFile("");
}

void StorageFixture::TearDown() {
  if (m_Api == nullptr) {
    makeApi();
  }
  m_Api->Term(&m_Status);
  m_Api->Cleanup();
  m_Api.reset();
  gPelkApiObjP = nullptr;
  DPelkApi::SetSetupData(nullptr);
}

PeekApiDL& StorageFixture::makeApi(const char* nodeNameP, const char* passwordP,
                                   const char* optFileP, pelkPasswordCallback callbackP) {
  m_Api = std::make_unique<PeekApiDL>(nodeNameP, passwordP, optFileP, callbackP);
  gPelkApiObjP = m_Api.get();
  return *m_Api;
}

void StorageFixture::sim(const std::vector<std::string>& words) {
  std::vector<std::string> all{HUBLORSIM_PATH};
  all.insert(all.end(), words.begin(), words.end());
  ASSERT_EQ(runProgram(all), 0) << "hublorsim " << words[0];
}

void StorageFixture::setInterfaceDir(const std::string& dir) {
  putKeyValue(directoryKey(PS_API_NAME), dir);
}

void StorageFixture::writeOptionFile(const std::string& text) {
  std::ofstream(optionFilePath(), std::ios::trunc) << "NODENAME NODE1\n" << text;
}

std::string StorageFixture::directoryKey(const char* wordP) {
  return std::string(PS_PRODUCT_KEY) + wordP + "\\";
}

std::string StorageFixture::agentDir() const {
  return (m_Root.path() / "agent").string() + "/";
}
