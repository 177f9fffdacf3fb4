#include "nlstest.h"

#include <fstream>
#include <sstream>

#include "catalogue.h"
#include "msgfile.h"
#include "msginserts.h"
#include "msgrepo.h"

namespace nlstest {
namespace {

std::string gAgentDir;

// The inserts of the catalogue written last: the calls of the tests follow it.
std::vector<std::string> gInsertTypes;
std::vector<NlsInsertDecl> gInserts;

void declareInserts(const std::vector<msgc::Message>& messages) {
  gInsertTypes.clear();
  gInserts.clear();
  for (const msgc::Message& msg : messages)
    gInsertTypes.push_back(msgc::insertTypeNames(msg.inserts));
  for (size_t i = 0; i < messages.size(); ++i)
    gInserts.push_back({static_cast<uint16_t>(messages[i].number), gInsertTypes[i].c_str()});
  nlsSetCallerInserts(gInserts.data(), gInserts.size());
}

int testAgentDir(char* bufP, size_t size) {
  std::snprintf(bufP, size, "%s", gAgentDir.c_str());
  return 0;
}

template <int Severity>
void catchText(const char* textP) {
  std::lock_guard<std::mutex> lock(caught().mutex);
  caught().texts.emplace_back(Severity, textP);
}

}  // namespace

Caught& caught() {
  static Caught c;
  return c;
}

void writeRepository(const std::string& path, const std::string& catalogue) {
  std::istringstream in(catalogue);
  std::vector<msgc::Message> messages;
  std::vector<std::string> errors;
  ASSERT_TRUE(msgc::parseCatalogue(in, "test", &messages, &errors)) << errors[0];
  std::string bytes, error;
  ASSERT_TRUE(msgc::buildRepository(messages, &bytes, &error)) << error;
  declareInserts(messages);
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void NlsFixture::SetUp() {
  m_Root = std::make_unique<zkroot::ScopedRoot>();
  gAgentDir = m_Root->path().string();
  optSetAgentDirRtn(testAgentDir);
  const nlsOutputCallback callbacks[NLS_NUM_SEVERITIES] = {
      catchText<0>, catchText<1>, catchText<2>, catchText<3>, catchText<4>,
      catchText<5>, catchText<6>, catchText<7>, catchText<8>};
  nlsSetup(callbacks);
  takeCaught();
}

void NlsFixture::TearDown() {
  NLTerm();
  nlsSetCallerInserts(nullptr, 0);
  nlsCleanup();
  optSetAgentDirRtn(nullptr);
  m_Root.reset();
}

int NlsFixture::initRepository(const std::string& catalogue, int cacheSize) {
  writeRepository(repositoryPath(), catalogue);
  return NLInit(kLanguage, cacheSize, 0, 1, 1, 1);
}

std::string NlsFixture::repositoryPath() const {
  return dir() + "sql" + kLanguage + ".txt";
}

std::vector<std::pair<int, std::string>> NlsFixture::takeCaught() {
  std::lock_guard<std::mutex> lock(caught().mutex);
  std::vector<std::pair<int, std::string>> texts;
  texts.swap(caught().texts);
  return texts;
}

}  // namespace nlstest
