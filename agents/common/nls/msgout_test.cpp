// The output operations: prefixes and severities, logging, callbacks, inserts of both text
// forms, bounded buffers, the suppress flag, and many threads printing at once.
#include "msgout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "agtlog.h"
#include "msgrepo.h"
#include "nlstest.h"

namespace {

using nlstest::NlsFixture;

const char kCatalogue[] =
    "1 Z - - \"plain\"\n"
    "2 I - str \"info %s\"\n"
    "3 W - str \"warning %s\"\n"
    "4 E - int \"error %d\"\n"
    "5 S - - \"severe\"\n"
    "6 K - - \"kept\"\n"
    "7 Z - str,int \"%2$d copies of %1$s, 100%%\"\n"
    "8 Z - ullong,ptr,double,long,size \"%llu %p %.2f %ld %zu\"\n"
    "9 Z - str \"[%s]\"\n"
    "10 I - str,str \"%s and %s, 50%%\"\n"
    "11 Z - llong,str,double,char \"%3$.1f|%2$-4s|%1$lld|%4$c\"\n";

class MsgOut : public NlsFixture {
 protected:
  void SetUp() override {
    NlsFixture::SetUp();
    ASSERT_EQ(initRepository(kCatalogue), 0);
  }
  void TearDown() override {
    gLogP = nullptr;
    m_Log.reset();
    NlsFixture::TearDown();
  }
  // An activity log in the temporary root, reachable through gLogP.
  void openLog() {
    m_Log = std::make_unique<CLog>();
    ASSERT_EQ(m_Log->SetLogName((dir() + "activity.log").c_str()), 0);
    gLogP = m_Log.get();
  }
  std::vector<std::string> logLines() {
    std::ifstream in(dir() + "activity.log");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  std::unique_ptr<CLog> m_Log;
};

std::string format(int msgNum, ...) {
  char buf[NLS_MSG_MAX];
  va_list args;
  va_start(args, msgNum);
  nlsvprintf(buf, sizeof(buf), msgNum, args);
  va_end(args);
  return buf;
}

int streamPrintf(FILE* streamP, int msgNum, ...) {
  va_list args;
  va_start(args, msgNum);
  int len = nlsStreamPrintf(streamP, msgNum, args);
  va_end(args);
  return len;
}

// nlsvsprintf (honours the suppress flag) or nlsvprintf (does not) with the given inserts.
int listPrintf(bool honoursSuppress, char* bufP, size_t size, int msgNum, ...) {
  va_list args;
  va_start(args, msgNum);
  int len = honoursSuppress ? nlsvsprintf(bufP, size, msgNum, args)
                            : nlsvprintf(bufP, size, msgNum, args);
  va_end(args);
  return len;
}

TEST_F(MsgOut, PrintsToTheSeverityCallbackAndLogsFromWarningsUp) {
  openLog();
  EXPECT_EQ(nlprintf(1), 5);
  EXPECT_EQ(nlprintf(2, "x"), 6);  // the prefix is not counted
  EXPECT_EQ(nlprintf(3, "y"), 9);
  EXPECT_EQ(nlprintf(4, 42), 8);
  EXPECT_EQ(nlprintf(5), 6);
  EXPECT_EQ(nlprintf(6), 4);
  auto texts = takeCaught();
  std::vector<std::pair<int, std::string>> want = {{0, "plain"},
                                                   {4, "ZUD0002I info x"},
                                                   {5, "ZUD0003W warning y"},
                                                   {6, "ZUD0004E error 42"},
                                                   {7, "ZUD0005S severe"},
                                                   {3, "ZUD0006K kept"}};
  EXPECT_EQ(texts, want);
  auto lines = logLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].substr(20), "ZUD0003W warning y");  // behind date and time
  EXPECT_EQ(lines[1].substr(20), "ZUD0004E error 42");
  EXPECT_EQ(lines[2].substr(20), "ZUD0005S severe");
}

TEST_F(MsgOut, WithoutACallbackPrintsToStandardOutput) {
  nlsGlobals()->m_OutputCallbackP[4] = nullptr;
  testing::internal::CaptureStdout();
  nlprintf(2, "out");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "ZUD0002I info out");
  testing::internal::CaptureStderr();
  EXPECT_EQ(nlerrprintf(4, 7), 7);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ZUD0004E error 7");
  EXPECT_TRUE(takeCaught().empty());
}

TEST_F(MsgOut, AStreamGetsTheMessageAndNoCallbackRuns) {
  openLog();
  FILE* streamP = std::tmpfile();
  EXPECT_EQ(streamPrintf(streamP, 5), 6);
  std::rewind(streamP);
  char buf[64] = {};
  std::fgets(buf, sizeof(buf), streamP);
  std::fclose(streamP);
  EXPECT_STREQ(buf, "ZUD0005S severe");
  EXPECT_TRUE(takeCaught().empty());
  EXPECT_EQ(logLines().size(), 1u);
}

TEST_F(MsgOut, TheReorderingFormTakesEachArgumentForItsInsert) {
  // Insert 0 is argument 2, insert 1 argument 1: the order list is 1, 0.
  EXPECT_EQ(format(7, "disks", 3), "3 copies of disks, 100%");
  EXPECT_EQ(format(11, -5000000000LL, "ab", 2.25, 'z'), "2.2|ab  |-5000000000|z");
}

TEST_F(MsgOut, InsertsTakeTheirTypeFromTheConversion) {
  int local = 0;
  char want[128];
  std::snprintf(want, sizeof(want), "%llu %p %.2f %ld %zu", 18446744073709551615ULL,
                static_cast<void*>(&local), 1.5, -4000000000L, static_cast<size_t>(1) << 40);
  EXPECT_EQ(format(8, 18446744073709551615ULL, static_cast<void*>(&local), 1.5, -4000000000L,
                   static_cast<size_t>(1) << 40),
            want);
}

TEST_F(MsgOut, EveryFormatIsBoundedByItsBuffer) {
  std::string huge(5000, 'h');
  char buf[NLS_MSG_MAX];
  EXPECT_EQ(nlsprintf(buf, sizeof(buf), 9, huge.c_str()), NLS_MSG_MAX - 1);
  EXPECT_EQ(std::strlen(buf), NLS_MSG_MAX - 1u);
  char small[12];
  nlsprintf(small, sizeof(small), 10, "first", "second");
  EXPECT_STREQ(small, "ZUD0010I fi");
  char tiny[5];
  nlsprintf(tiny, sizeof(tiny), 10, "a", "b");
  EXPECT_STREQ(tiny, "ZUD0");
  nlsprintf(small, sizeof(small), 7, huge.c_str(), 1);  // the reordering form too
  EXPECT_STREQ(small, "1 copies of");
  // The largest message and prefix fill the work buffer exactly.
  nlprintf(9, huge.c_str());
  auto texts = takeCaught();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].second.size(), NLS_MSG_MAX - 1u);
}

TEST_F(MsgOut, MessageTextWithoutInsertsShowsTheirConversions) {
  char buf[64];
  EXPECT_STREQ(nlsGetMsgText(buf, sizeof(buf), 10), "ZUD0010I %s and %s, 50%");
  EXPECT_STREQ(nlsGetMsgText(buf, sizeof(buf), 7), "%d copies of %s, 100%");
  EXPECT_STREQ(nlsGetMsgText(buf, sizeof(buf), 99), "");
  EXPECT_EQ(nlsGetMsgFormat(10, buf, sizeof(buf)), 0);
  EXPECT_STREQ(buf, "%s and %s, 50%%");
  EXPECT_EQ(nlsGetMsgFormat(7, buf, sizeof(buf)), -1);  // the reordering form is no format
  EXPECT_EQ(nlsGetMsgFormat(10, buf, 5), -1);
}

TEST_F(MsgOut, ATextThatDoesNotTakeTheCallersInsertsIsShownWithoutThem) {
  // One changed byte each in the repository file, as damage or another build would leave it.
  const struct {
    std::string from, to;
    int msgNum;
    std::string shown;
  } damaged[] = {
      {"error %d", "error %s", 4, "ZUD0004E error %s"},  // an int read as a text pointer
      {"info %s", "info %n", 2, "ZUD0002I info %n"},     // a write through the caller's text
      {"[%s]", "[%d]", 9, "[%d]"},
      {std::string("\0\0%d\0", 5), std::string("\0\0%s\0", 5), 7, "%s copies of %s, 100%"},
  };
  for (const auto& d : damaged) {
    nlstest::writeRepository(repositoryPath(), kCatalogue);
    std::string bytes;
    {
      std::ifstream in(repositoryPath(), std::ios::binary);
      bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    size_t at = bytes.find(d.from);
    ASSERT_NE(at, std::string::npos) << d.shown;
    bytes.replace(at, d.to.size(), d.to);
    std::ofstream(repositoryPath(), std::ios::binary | std::ios::trunc) << bytes;
    ASSERT_EQ(NLInit(nlstest::kLanguage, 10, 0, 1, 1, 1), 0);
    takeCaught();
    // Each caller passes what the catalogue declares.
    std::string shown = d.msgNum == 4   ? format(4, 7)
                        : d.msgNum == 7 ? format(7, "disks", 3)
                                        : format(d.msgNum, "text");
    EXPECT_EQ(shown, d.shown);
    auto texts = takeCaught();
    ASSERT_EQ(texts.size(), 1u) << d.shown;
    EXPECT_EQ(texts[0].first, 6);
    EXPECT_NE(texts[0].second.find("Message " + std::to_string(d.msgNum) + " of repository"),
              std::string::npos)
        << texts[0].second;
  }
}

TEST_F(MsgOut, LogMsgAndMsgTextLogWarningsAndMarkMissingMessages) {
  openLog();
  char buf[64];
  EXPECT_EQ(nlsLogMsg(buf, sizeof(buf), 3, "w"), 0);
  EXPECT_STREQ(buf, "ZUD0003W warning w");
  EXPECT_EQ(nlsLogMsg(buf, sizeof(buf), 2, "i"), 0);
  EXPECT_EQ(nlsLogMsg(buf, sizeof(buf), 99), -1);
  EXPECT_STREQ(buf, "?????");
  EXPECT_STREQ(nlsMsgText(4, 9), "ZUD0004E error 9");
  EXPECT_STREQ(nlsMsgText(99), "?????");
  auto lines = logLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].substr(20), "ZUD0004E error 9");
  takeCaught();  // the missing message's internal error
}

TEST_F(MsgOut, SuppressStopsOnlyTheOperationsThatHonourIt) {
  nlsGlobals()->m_Suppress = 1;
  char buf[32] = "x";
  EXPECT_EQ(nlsprintf(buf, sizeof(buf), 1), 0);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(listPrintf(true, buf, sizeof(buf), 1), 0);
  EXPECT_EQ(nlerrprintf(1), 0);
  EXPECT_EQ(streamPrintf(stdout, 1), 0);
  std::strcpy(buf, "x");
  EXPECT_EQ(nlsLogMsg(buf, sizeof(buf), 1), 0);
  EXPECT_STREQ(buf, "x");  // returns at once
  EXPECT_EQ(nlsMsgText(1), nullptr);
  EXPECT_TRUE(takeCaught().empty());
  EXPECT_EQ(listPrintf(false, buf, sizeof(buf), 1), 5);  // the logs' own formatting goes on
  EXPECT_STREQ(buf, "plain");
  EXPECT_EQ(nlprintf(1), 5);
  EXPECT_EQ(takeCaught().size(), 1u);
}

TEST_F(MsgOut, ConcurrentOutputNeverInterleaves) {
  openLog();
  // The callback writes its text a character at a time: only the NLS mutex keeps two threads'
  // texts apart (and ThreadSanitizer would see the race on `console` without it).
  static std::string console;
  console.clear();
  nlsGlobals()->m_OutputCallbackP[5] = [](const char* textP) {
    for (const char* p = textP; *p; ++p) console.push_back(*p);
    console.push_back('\n');
  };
  constexpr int kThreads = 8;
  constexpr int kEach = 100;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      std::string tag(40, static_cast<char>('a' + t));
      for (int i = 0; i < kEach; ++i) nlprintf(3, tag.c_str());
    });
  }
  for (std::thread& th : threads) th.join();
  std::istringstream lines(console);
  int count = 0;
  for (std::string line; std::getline(lines, line); ++count) {
    ASSERT_EQ(line.size(), 9u + 8u + 40u) << line;
    EXPECT_EQ(line.find_first_not_of(line.back(), 17), std::string::npos) << line;
  }
  EXPECT_EQ(count, kThreads * kEach);
  auto logged = logLines();
  ASSERT_EQ(logged.size(), static_cast<size_t>(kThreads * kEach));
  for (const std::string& line : logged) {
    ASSERT_EQ(line.size(), 20u + 9u + 8u + 40u) << line;
    EXPECT_EQ(line.find_first_not_of(line.back(), 37), std::string::npos) << line;
  }
}

}  // namespace
