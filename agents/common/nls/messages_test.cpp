// The agent's own catalogue: it compiles, its repository opens under the name the front end
// builds, every message the foundation names is there, and the number formats fit the
// formatters that read them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "catalogue.h"
#include "errormsg.h"
#include "msgfile.h"
#include "msgout.h"
#include "msgrepo.h"
#include "nlsformatcheck.h"
#include "nlsglob.h"
#include "nlsnumber.h"

namespace {

std::string gRepositoryDir;

int repositoryDir(char* bufP, size_t size) {
  std::snprintf(bufP, size, "%s", gRepositoryDir.c_str());
  return 0;
}

class Messages : public testing::Test {
 protected:
  void SetUp() override {
    gRepositoryDir = std::filesystem::path(ZK_MESSAGE_REPOSITORY).parent_path().string();
    optSetAgentDirRtn(repositoryDir);
    nlsSetup(nullptr);
    ASSERT_EQ(NLInit("AMENG", 10, 1, 1, 1, 1), 0);
  }
  void TearDown() override {
    NLTerm();
    nlsCleanup();
    optSetAgentDirRtn(nullptr);
  }
  static std::map<unsigned, msgc::Message> catalogue() {
    std::ifstream in(ZK_MESSAGE_CATALOGUE);
    std::vector<msgc::Message> messages;
    std::vector<std::string> errors;
    EXPECT_TRUE(msgc::parseCatalogue(in, "messages.txt", &messages, &errors));
    std::map<unsigned, msgc::Message> byNumber;
    for (const msgc::Message& m : messages) byNumber[m.number] = m;
    return byNumber;
  }
};

TEST(MessageFile, IsTheAgentDirectorySqlTheLanguageAndTxt) {
  char path[64], dir[32];
  optSetAgentDirRtn(
      [](char* bufP, size_t size) { return std::snprintf(bufP, size, "/opt/zarnak"), 0; });
  EXPECT_EQ(optGetMessageFile("AMENG", path, sizeof(path), dir, sizeof(dir)), 0);
  EXPECT_STREQ(path, "/opt/zarnak/sqlAMENG.txt");
  EXPECT_STREQ(dir, "/opt/zarnak/");
  EXPECT_EQ(optGetMessageFile("AMENG", path, 20, dir, sizeof(dir)), 404);  // does not fit
  EXPECT_STREQ(path, "");
  optSetAgentDirRtn(nullptr);
  EXPECT_EQ(optGetMessageFile("AMENG", path, sizeof(path), dir, sizeof(dir)), 0);
  EXPECT_STREQ(path, "sqlAMENG.txt");
}

TEST_F(Messages, EveryMessageTheFoundationNamesIsInTheRepository) {
  const unsigned named[] = {3,    4,    5,    6,    7,    8,    9,    11,   12,   13,   14,
                            15,   16,   125,  126,  127,  131,  150,  152,  154,  155,  156,
                            252,  253,  254,  256,  257,  258,  259,  5066, 5091, 5421, 5422,
                            5423, 5424, 5425, 5426, 5427, 5428, 5429, 5457};
  for (unsigned n : named) EXPECT_NE(nlsFindMsg(n), nullptr) << "message " << n;
}

// The agent is built with the inserts of its own catalogue, so each of its messages is expanded.
TEST_F(Messages, EveryMessageTakesTheInsertsItsCallersAreBuiltWith) {
  for (const auto& [n, message] : catalogue()) {
    const nlsMsgEntry* entryP = nlsFindMsg(n);
    ASSERT_NE(entryP, nullptr) << "message " << n;
    EXPECT_TRUE(entryP->m_TakesInserts) << "message " << n;
  }
}

// A caller reports any code by formatting its message with one text (a file name or a failed
// call's error text, empty when it has none): so no code's message may want anything else.
TEST_F(Messages, EveryReturnCodeHasAMessageThatTakesAtMostOneText) {
  std::map<unsigned, msgc::Message> messages = catalogue();
  for (int i = 0; i < gAgentRcMessageCount; ++i) {
    unsigned n = static_cast<unsigned>(gAgentRcMessages[i].msgNum);
    SCOPED_TRACE("code " + std::to_string(gAgentRcMessages[i].rc) + ", message " +
                 std::to_string(n));
    ASSERT_TRUE(messages.count(n));
    EXPECT_NE(nlsFindMsg(n), nullptr);
    const std::vector<NlsArgType>& inserts = messages[n].inserts;
    EXPECT_TRUE(inserts.empty() || inserts == std::vector<NlsArgType>{NLS_ARG_STR});
  }
  EXPECT_NE(nlsFindMsg(AGT_MSG_UNKNOWN_RC), nullptr);
}

TEST_F(Messages, EveryTextOfTheCatalogueReadsBackAsCompiled) {
  for (const auto& [number, msg] : catalogue()) {
    const nlsMsgEntry* entryP = nlsFindMsg(number);
    ASSERT_NE(entryP, nullptr) << "message " << number;
    EXPECT_EQ(entryP->m_Severity, msg.severity) << "message " << number;
    EXPECT_STREQ(entryP->m_Response, msg.response.c_str()) << "message " << number;
  }
}

TEST_F(Messages, NumberFormatsFitTheFormattersThatReadThem) {
  for (int n : {6, 7, 8, 9, 11, 12, 13, 14, 15, 16}) {
    char format[64];
    nlsFormatCheck check;
    ASSERT_EQ(nlsGetMsgFormat(n, format, sizeof(format)), 0) << "message " << n;
    EXPECT_TRUE(nlsCheckFormat(format, nlsNumberMsgArgs(n), &check))
        << "message " << n << ": " << format;
  }
  char field[16];
  EXPECT_STREQ(nlsFormatULong(1234567, field, sizeof(field), 0), "1,234,567");
  char size[32];
  EXPECT_STREQ(nlsFormatByteCount(pkInt64FromU32(3 * 1024 * 1024), 8, size, sizeof(size)),
               "     3.0 MB");
}

}  // namespace
