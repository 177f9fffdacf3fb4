// The repository: opening and checking it, the index and records, the cache, and the internal
// errors of a missing or damaged file.
#include "msgrepo.h"

#include <gtest/gtest.h>

#include <fstream>

#include "catalogue.h"
#include "msgout.h"
#include "nlstable.h"
#include "nlstest.h"

namespace {

// A sound repository of one message.
std::string MsgRepoBytes() {
  msgc::Message m;
  m.number = 1;
  m.text = "a";
  std::string bytes, error;
  msgc::buildRepository({m}, &bytes, &error);
  return bytes;
}

using nlstest::NlsFixture;

class MsgRepo : public NlsFixture {
 protected:
  void writeBytes(const std::string& bytes) {
    std::ofstream(repositoryPath(), std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  // A header block with the control word, then `rest`.
  static std::string withHeader(const std::string& rest) {
    std::string header(NLS_BLOCK_SIZE, '\0');
    header.replace(0, 4, "\x31\x52\x33\x56", 4);
    return header + rest;
  }
  std::string text(int msgNum) {
    char buf[NLS_MSG_MAX];
    nlsprintf(buf, sizeof(buf), msgNum);
    return buf;
  }
  std::vector<unsigned> cachedNumbers() {
    std::vector<unsigned> numbers;
    nlsRepository* repoP = nlsGlobals()->m_RepositoryP;
    const nlsMsgEntry* entryP = repoP->m_MsgCacheP;
    for (unsigned i = 0; i < repoP->m_NumCached; ++i, entryP = entryP->m_NextP)
      numbers.push_back(entryP->m_MsgNum);
    return numbers;
  }
};

TEST_F(MsgRepo, FindsMessagesThroughTheIndexWithTheirPrefix) {
  ASSERT_EQ(initRepository("1 Z - - \"first\"\n2 T - - \"second\"\n300 I - - \"info\"\n"
                           "12345 E - - \"big\"\n"),
            0);
  EXPECT_EQ(text(1), "first");
  EXPECT_EQ(text(2), "second");
  EXPECT_EQ(text(300), "ZUD0300I info");
  EXPECT_EQ(text(12345), "ZUD2345E big");  // the prefix keeps four digits
}

TEST_F(MsgRepo, ReadsARecordWhoseIndexIsTwoFromByte64) {
  // Message 1's index word is the first word of block 2, which is also the record's segment
  // header: 2 bytes of text, severity 0, no response, no further segment.
  writeBytes(withHeader(std::string("\x02\x00Hi", 4)));
  ASSERT_EQ(NLInit(nlstest::kLanguage, 10, 0, 1, 1, 1), 0);
  EXPECT_EQ(text(1), "Hi");
}

TEST_F(MsgRepo, JoinsTheSegmentsOfALongRecord) {
  std::string longText(1500, 'a');
  ASSERT_EQ(initRepository("7 W YES - \"" + longText + "\"\n"), 0);
  EXPECT_EQ(text(7), "ZUD0007W " + longText);
  char response[8];
  EXPECT_EQ(nlsGetMsgResponse(7, response, sizeof(response)), 0);
  EXPECT_STREQ(response, "YES");
  EXPECT_EQ(nlsGetMsgResponse(8, response, sizeof(response)), -1);
}

TEST_F(MsgRepo, CacheKeepsTheMostRecentlyUsedAndEvictsTheLeast) {
  ASSERT_EQ(initRepository("1 Z - - \"a\"\n2 Z - - \"b\"\n3 Z - - \"c\"\n", 2), 0);
  nlsFindMsg(1);
  nlsFindMsg(2);
  nlsFindMsg(3);
  EXPECT_EQ(cachedNumbers(), (std::vector<unsigned>{3, 2}));
  nlsFindMsg(2);  // a hit moves to the front
  EXPECT_EQ(cachedNumbers(), (std::vector<unsigned>{2, 3}));
  nlsFindMsg(1);
  EXPECT_EQ(cachedNumbers(), (std::vector<unsigned>{1, 2}));
}

TEST_F(MsgRepo, ACacheHitNeedsNoFile) {
  ASSERT_EQ(initRepository("1 Z - - \"kept\"\n"), 0);
  EXPECT_EQ(text(1), "kept");
  std::remove(repositoryPath().c_str());
  writeBytes(withHeader(""));  // whatever the file holds now, the cached text serves
  EXPECT_EQ(text(1), "kept");
}

struct InitCase {
  const char* name;
  std::string bytes;  // the repository file; "-" for none
  int numberFormat;
  int rc;
  const char* text;  // the internal error text, "%s" standing for the path
};

void PrintTo(const InitCase& c, std::ostream* os) {
  *os << c.name;
}

class NlInit : public MsgRepo, public testing::WithParamInterface<InitCase> {};

TEST_P(NlInit, ReportsItsCodeAndTextUnlessQuiet) {
  const InitCase& c = GetParam();
  if (c.bytes != "-") writeBytes(c.bytes);
  for (int quiet : {0, 1}) {
    EXPECT_EQ(NLInit(nlstest::kLanguage, 10, quiet, 1, 1, c.numberFormat), c.rc);
    auto texts = takeCaught();
    if (quiet || c.text == nullptr) {
      EXPECT_TRUE(texts.empty());
      continue;
    }
    char want[2048];
    std::snprintf(want, sizeof(want), c.text, repositoryPath().c_str());
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].first, 6);
    EXPECT_EQ(texts[0].second, want);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NlInit,
    testing::Values(
        InitCase{"Good", MsgRepoBytes(), 1, 0, nullptr},
        InitCase{"Missing", "-", 1, 1002,
                 "ZUD0101E NLInit: Unable to open message repository '%s'.\n"},
        InitCase{
            "ShortHeader", std::string(10, '\0'), 1, 1003,
            "ZUD0103E NLInit: Error trying to read header record from message repository '%s'.\n"},
        InitCase{"BadControlWord", std::string(64, 'x'), 1, 1000,
                 "ZUD0113E NLInit: Message repository '%s' has an invalid control record.\n"},
        InitCase{"BadNumberFormat", MsgRepoBytes(), 7, 1001,
                 "ZUD0112E NLInit: Invalid default number format.\n"}),
    [](const testing::TestParamInfo<InitCase>& info) { return std::string(info.param.name); });

TEST_F(MsgRepo, AMessageLookedUpBeforeNlInitIsMissing) {
  char buf[16] = "x";
  EXPECT_EQ(nlsprintf(buf, sizeof(buf), 1), 0);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(nlprintf(1), 0);
  EXPECT_TRUE(takeCaught().empty());
}

TEST_F(MsgRepo, MissingMessagesReportTheirInternalError) {
  ASSERT_EQ(initRepository("1 Z - - \"a\"\n3 Z - - \"c\"\n"), 0);
  EXPECT_EQ(nlprintf(2), 0);
  EXPECT_EQ(nlprintf(4000), 0);  // beyond the index
  auto texts = takeCaught();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].second, "ZUD0106E ReadIndex: Message index not found for message 2.\n");
  EXPECT_EQ(texts[1].second,
            "ZUD0105E ReadIndex: Error trying to read index for message 4000 from repository '" +
                repositoryPath() + "'.\n");
}

struct DamageCase {
  const char* name;
  std::string record;  // block 2 onward; message 1's index word is its first word
  const char* error;   // the internal error's number and routine
};

void PrintTo(const DamageCase& c, std::ostream* os) {
  *os << c.name;
}

class DamagedRecord : public MsgRepo, public testing::WithParamInterface<DamageCase> {};

TEST_P(DamagedRecord, CountsAsMissing) {
  writeBytes(withHeader(GetParam().record));
  ASSERT_EQ(NLInit(nlstest::kLanguage, 10, 0, 1, 1, 1), 0);
  char buf[64] = "x";
  EXPECT_EQ(nlsprintf(buf, sizeof(buf), 1), 0);
  auto texts = takeCaught();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_NE(texts[0].second.find(GetParam().error), std::string::npos) << texts[0].second;
}

// Index 3 points at block 3 (byte 128); the block 2 holds the index and padding.
std::string block3(const std::string& record) {
  return std::string("\x03\x00", 2) + std::string(62, '\0') + record;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedRecord,
    testing::Values(
        DamageCase{"IndexBeyondTheFile", std::string("\x09\x00", 2), "0107E ReadMsg"},
        DamageCase{"HeaderCutShort", block3(std::string("\x05", 1)), "0107E ReadMsg"},
        DamageCase{"ResponseCutShort", block3(std::string("\x00\x06", 2) + "ab"), "0119E ReadMsg"},
        DamageCase{"TextCutShort", block3(std::string("\x10\x00", 2) + "abc"), "0108E ReadMsg"},
        // Segments that always announce another one must end, at the latest, at the message
        // size limit.
        DamageCase{"EndlessSegments", block3(std::string(8000, '\xFF')), "0108E ReadMsg"},
        // The reordering form with an insert number out of range.
        DamageCase{"BadOrderList", block3(std::string("\x08\x00\x00\x01\x05\x00\x00%d\x00", 10)),
                   "0108E ReadMsg"}),
    [](const testing::TestParamInfo<DamageCase>& info) { return std::string(info.param.name); });

TEST_F(MsgRepo, NlInitSetsTheFormatsUnlessTheFrontEndFixedThem) {
  nlsFuncTable* tableP = nlsGlobals()->m_FuncTableP;
  writeBytes(MsgRepoBytes());
  ASSERT_EQ(NLInit(nlstest::kLanguage, 10, 1, 3, 4, 5), 0);
  EXPECT_STREQ(tableP->m_DateFormat, "%Y-%m-%d");
  EXPECT_STREQ(tableP->m_TimeFormat, "%I:%M:%S%p");
  EXPECT_EQ(tableP->m_ThousandsSeparator, '.');
  nlsGlobals()->m_DateFormatFixed = 1;
  nlsGlobals()->m_TimeFormatFixed = 1;
  nlsGlobals()->m_NumberFormatFixed = 1;
  ASSERT_EQ(NLInit(nlstest::kLanguage, 10, 1, 1, 1, 99),
            0);  // a fixed number format is not checked
  EXPECT_STREQ(tableP->m_DateFormat, "%Y-%m-%d");
  EXPECT_STREQ(tableP->m_TimeFormat, "%I:%M:%S%p");
  EXPECT_EQ(tableP->m_ThousandsSeparator, '.');
}

}  // namespace
