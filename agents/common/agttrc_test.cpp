#include "agttrc.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "agtrc.h"
#include "psthread.h"
#include "trcfile_testutil.h"

namespace {

// Collects what the trace hands to the echo hook.
std::vector<std::string> gEchoed;
void collectEcho(const char* textP) {
  gEchoed.push_back(textP);
}

class EchoHookForTest {
 public:
  explicit EchoHookForTest(TraceEchoRtn hook) : m_Saved(gTraceEchoP.exchange(hook)) {
    gEchoed.clear();
  }
  ~EchoHookForTest() {
    gTrace.close();
    for (int k = 0; k < TRC_NUM_CATEGORIES; k++) gTrace.setFlag(k, 0);
    gTraceEchoP = m_Saved;
  }

 private:
  TraceEchoRtn m_Saved;
};

bool flagOn(int category) {
  // isOn needs an active trace; the echo mode makes it active without a file.
  return gTrace.isOn(category);
}

TEST(TraceFlags, AllLeavesTheVoluminousCategoriesAndDetailedSetsEveryOne) {
  EchoHookForTest hook(nullptr);
  ASSERT_EQ(gTrace.open(""), 0);
  const std::set<int> keptByAll = {
      TRC_SORTLINKEDLIST, TRC_PERFORMANCE, TRC_LINKEDLIST, TRC_BUFFRING, TRC_THREAD,
      TRC_EVENT,          TRC_MUTEX,       TRC_API,        TRC_MEMORY,   TRC_NLS};
  EXPECT_EQ(gTrace.setFlag(TRC_ALL, 1), 0);
  for (int k = 0; k < TRC_NUM_CATEGORIES; k++) {
    EXPECT_EQ(flagOn(k), keptByAll.count(k) == 0) << "category " << k;
  }
  gTrace.setFlag(TRC_ALL, 0);
  gTrace.setFlag(TRC_MEMORY, 1);
  for (int k = 0; k < TRC_NUM_CATEGORIES; k++) EXPECT_EQ(flagOn(k), k == TRC_MEMORY) << k;
  gTrace.setFlag(TRC_DETAILED, 1);
  for (int k = 0; k < TRC_NUM_CATEGORIES; k++) EXPECT_TRUE(flagOn(k)) << k;
  gTrace.setFlag(TRC_DETAILED, 0);
  for (int k = 0; k < TRC_NUM_CATEGORIES; k++) EXPECT_FALSE(flagOn(k)) << k;
}

TEST(TraceFlags, NothingIsOnBeforeOpenWhateverTheFlags) {
  CTrace trace;
  trace.setFlag(TRC_DETAILED, 1);
  for (int k = 0; k < TRC_NUM_CATEGORIES; k++) EXPECT_FALSE(trace.isOn(k));
}

TEST(TraceFlags, KeywordTableNamesEachCategoryOnce) {
  const std::map<std::string, int> expected = {
      {"SORTLINKedlist", 0}, {"PERFormance", 1}, {"LINKedlist", 2}, {"BUFFring", 3}, {"FILEOPs", 4},
      {"GENeral", 5},        {"CONFIG", 6},      {"THRead", 7},     {"EVENT", 8},    {"MUTEX", 9},
      {"PARSE", 10},         {"ALL", 11},        {"DETailed", 12},  {"API", 13},     {"CMD", 14},
      {"ENGine", 15},        {"ERI", 16},        {"GUI", 17},       {"MEMory", 18},  {"NLS", 19},
      {"PCM", 20},           {"SQLAPI", 25}};
  std::map<std::string, int> actual;
  for (int i = 0; i < gTraceKeywordCount; i++) {
    actual[gTraceKeywords[i].keywordP] = gTraceKeywords[i].category;
  }
  EXPECT_EQ(actual, expected);
}

TEST(TraceFile, EachOpenWritesTheBannerAndAnEmptyNameKeepsTheFile) {
  TraceFileForTest trace({TRC_GENERAL});
  ASSERT_EQ(trace.openRc(), 0);
  const std::string banner = std::string(
                                 "===========================================================\n"
                                 "Tracing started for:\n"
                                 "-----------------------------------------------------------\n"
                                 "   Application Client :   Zarnak MSSQLV2 NT\n"
                                 "              Version :   2.2.0.1\n"
                                 "      Build Date/Time :   ") +
                             __DATE__ + " at " + __TIME__ +
                             "\n===========================================================\n";
  std::string first = trace.text();
  // The build time is the library's, which may differ from this test's by seconds.
  ASSERT_EQ(first.size(), banner.size());
  EXPECT_EQ(first.substr(0, 200), banner.substr(0, 200));
  ASSERT_EQ(gTrace.open(trace.path().c_str()), 0);  // the same name again
  TRACE_LINE(TRC_GENERAL, "between\n");
  ASSERT_EQ(gTrace.open(""), 0);  // an empty name while a file is open
  std::string all = trace.text();
  EXPECT_EQ(all.size(), 3 * banner.size() + trace.lines()[0].size() + 1);
  EXPECT_EQ(trace.texts(), std::vector<std::string>{"between"});
}

TEST(TraceFile, AnotherNameClosesTheFirstFile) {
  TraceFileForTest first({TRC_GENERAL});
  TRACE_LINE(TRC_GENERAL, "to the first\n");
  std::string secondPath = first.path() + ".second";
  ASSERT_EQ(gTrace.open(secondPath.c_str()), 0);
  TRACE_LINE(TRC_GENERAL, "to the second\n");
  gTrace.close();
  EXPECT_EQ(first.texts(), std::vector<std::string>{"to the first"});
  std::ifstream in(secondPath);
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(content.find("Tracing started for:"), std::string::npos);
  EXPECT_NE(content.find("):to the second\n"), std::string::npos);
  std::filesystem::remove(secondPath);
}

TEST(TraceFile, AFileThatCannotBeOpenedGives406AndTracingStaysAsItWas) {
  EchoHookForTest hook(collectEcho);
  gTrace.setFlag(TRC_GENERAL, 1);
  EXPECT_EQ(gTrace.open("/nonexistent-dir/zarnaksql.trc"), RC_FILE_OPEN_FAILED);
  EXPECT_FALSE(gTrace.isOn(TRC_GENERAL));
  ASSERT_EQ(gTrace.open(""), 0);
  EXPECT_EQ(gTrace.open("/nonexistent-dir/zarnaksql.trc"), RC_FILE_OPEN_FAILED);
  TRACE_LINE(TRC_GENERAL, "still echoed\n");
  ASSERT_EQ(gEchoed.size(), 2u);
  EXPECT_EQ(gEchoed[1], "still echoed\n");
}

TEST(TraceFile, ANameLongerThanItsBufferIsCut) {
  char dirPattern[] = "/tmp/zktracedirXXXXXX";
  ASSERT_NE(mkdtemp(dirPattern), nullptr);
  std::string dir = dirPattern;
  std::string kept = dir + "/" + std::string(TRC_FILE_NAME_SIZE - 2 - dir.size(), 'k');
  ASSERT_EQ(kept.size(), static_cast<size_t>(TRC_FILE_NAME_SIZE - 1));
  std::string name = kept + std::string(40, 'x');
  EchoHookForTest hook(nullptr);
  gTrace.setFlag(TRC_GENERAL, 1);
  ASSERT_EQ(gTrace.open(name.c_str()), 0);
  TRACE_LINE(TRC_GENERAL, "into the cut name\n");
  gTrace.close();
  std::ifstream in(kept);
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(content.find("):into the cut name\n"), std::string::npos);
  std::filesystem::remove_all(dir);
}

TEST(TraceFile, ATraceClosedCanBeOpenedAgain) {
  TraceFileForTest trace({TRC_GENERAL});
  gTrace.close();
  EXPECT_FALSE(gTrace.isOn(TRC_GENERAL));
  ASSERT_EQ(gTrace.open(trace.path().c_str()), 0);
  TRACE_LINE(TRC_GENERAL, "after reopening\n");
  EXPECT_EQ(trace.texts(), std::vector<std::string>{"after reopening"});
}

TEST(TraceLine, HeaderCarriesDateTimePidKernelThreadIdAndBaseName) {
  TraceFileForTest trace({TRC_GENERAL});
  struct Case {
    const char* pathP;
    const char* shown;
  };
  const Case cases[] = {{"C:\\agents\\common\\agttrc.cpp", "agttrc.cpp"},
                        {"/work/agents/common/psthread.cpp", "psthread.cpp"},
                        {"plain.cpp", "plain.cpp"}};
  for (const Case& c : cases) {
    gTrace.header(c.pathP, 42);
    gTrace.printf("text %d%%\n", 7);
  }
  const std::regex shape(
      R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d <pid: (\d+)> <T(\d+)>(.*)\(42\):text 7%)");
  std::vector<std::string> lines = trace.lines();
  ASSERT_EQ(lines.size(), 3u);
  for (size_t i = 0; i < lines.size(); i++) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[i], match, shape)) << lines[i];
    EXPECT_EQ(std::stoi(match[1]), getpid());
    EXPECT_EQ(std::stoul(match[2]), static_cast<unsigned long>(gettid()));
    EXPECT_EQ(match[3], cases[i].shown);
  }
}

TEST(TraceLine, LongInputIsCutNeverOverflowing) {
  TraceFileForTest trace({TRC_GENERAL});
  std::string longPath(300, 'p');
  gTrace.header(longPath.c_str(), 1);
  std::string longText(5000, 't');
  gTrace.printf("%s", longText.c_str());
  std::vector<std::string> lines = trace.lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].size(), (TRC_HEADER_SIZE - 1) + (TRC_TEXT_SIZE - 1));
}

TEST(TraceLine, TextWithoutHeaderIsMarkedLostAndPercentSignsStayLiteral) {
  TraceFileForTest trace({TRC_GENERAL});
  gTrace.printf("%s\n", "100%d done %s");
  EXPECT_EQ(trace.lines(), std::vector<std::string>{"(Lost Message Hdr) 100%d done %s"});
}

// Writes one pending header, waits for the go event, then writes its text.
struct PendingHeader {
  psEvent written = nullptr;
  psEvent go = nullptr;
};

uint32_t writeHeaderThenText(void* argP) {
  auto* pendingP = static_cast<PendingHeader*>(argP);
  gTrace.header(__FILE__, __LINE__);
  psEventSignal(pendingP->written);
  psEventWait(pendingP->go);
  gTrace.printf("thread %u\n", psThreadGetCurrentId());
  return 0;
}

TEST(TraceLine, ASixthPendingHeaderGrowsTheTableByThree) {
  TraceFileForTest trace({TRC_GENERAL});
  ASSERT_EQ(gTrace.headerSlotCount(), 5);
  PendingHeader pending[6];
  psThread threads[6] = {};
  for (int i = 0; i < 6; i++) {
    psEventInit(&pending[i].written);
    psEventInit(&pending[i].go);
    ASSERT_EQ(psThreadCreate(&threads[i], writeHeaderThenText, &pending[i]), 0);
    psEventWait(pending[i].written);
    EXPECT_EQ(gTrace.headerSlotCount(), i < 5 ? 5 : 8);
  }
  for (PendingHeader& each : pending) psEventSignal(each.go);
  psThreadWaitForThreads(threads, 6);
  for (int i = 0; i < 6; i++) {
    psThreadRelease(&threads[i]);
    psEventDestroy(&pending[i].written);
    psEventDestroy(&pending[i].go);
  }
  const std::regex shape(R"(.*<T(\d+)>agttrc_test\.cpp\(\d+\):thread (\d+))");
  std::vector<std::string> lines = trace.lines();
  ASSERT_EQ(lines.size(), 6u);
  for (const std::string& line : lines) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(line, match, shape)) << line;
    EXPECT_EQ(match[1], match[2]);
  }
}

uint32_t traceManyLines(void*) {
  for (int i = 0; i < 200; i++) {
    TRACE_LINE(TRC_GENERAL, "thread %u line %d\n", psThreadGetCurrentId(), i);
  }
  return 0;
}

TEST(TraceLine, ManyThreadsInterleavingEachLineKeepsItsOwnThreadsHeader) {
  TraceFileForTest trace({TRC_GENERAL});
  constexpr int kThreads = 10;
  psThread threads[kThreads] = {};
  for (psThread& thread : threads) ASSERT_EQ(psThreadCreate(&thread, traceManyLines, nullptr), 0);
  ASSERT_EQ(psThreadWaitForThreads(threads, kThreads), 0);
  for (psThread& thread : threads) psThreadRelease(&thread);
  const std::regex shape(R"(.*<T(\d+)>agttrc_test\.cpp\(\d+\):thread (\d+) line (\d+))");
  std::map<std::string, int> nextLine;
  std::vector<std::string> lines = trace.lines();
  ASSERT_EQ(lines.size(), 200u * kThreads);
  for (const std::string& line : lines) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(line, match, shape)) << line;
    EXPECT_EQ(match[1], match[2]);
    EXPECT_EQ(std::stoi(match[3]), nextLine[match[2]]++);  // each thread's lines in order
  }
  EXPECT_EQ(nextLine.size(), static_cast<size_t>(kThreads));
}

TEST(TraceEcho, WithoutAFileEachPieceGoesToTheHook) {
  EchoHookForTest hook(collectEcho);
  gTrace.setFlag(TRC_GENERAL, 1);
  ASSERT_EQ(gTrace.open(""), 0);
  TRACE_LINE(TRC_GENERAL, "echoed %d\n", 1);
  ASSERT_EQ(gEchoed.size(), 2u);
  EXPECT_TRUE(
      std::regex_match(gEchoed[0], std::regex(R"(.* <pid: \d+> <T\d+>agttrc_test\.cpp\(\d+\):)")))
      << gEchoed[0];
  EXPECT_EQ(gEchoed[1], "echoed 1\n");
}

TEST(TraceEcho, TheCommandLineHookPrintsAndNoHookDrops) {
  EchoHookForTest hook(traceEcho);
  gTrace.setFlag(TRC_GENERAL, 1);
  ASSERT_EQ(gTrace.open(""), 0);
  testing::internal::CaptureStdout();
  gTrace.header("file.cpp", 3);
  gTrace.printf("printed %s\n", "100%");
  std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(std::regex_match(printed, std::regex(R"(.*<T\d+>file\.cpp\(3\):printed 100%\n)")))
      << printed;
  gTraceEchoP = nullptr;
  testing::internal::CaptureStdout();
  TRACE_LINE(TRC_GENERAL, "dropped\n");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(TraceHexDump, ModesShapeTheDump) {
  TraceFileForTest trace({TRC_GENERAL});
  unsigned char bytes[40];
  for (int i = 0; i < 40; i++) bytes[i] = static_cast<unsigned char>(i);
  gTrace.hexDump(bytes, 40, 3);
  const std::string line1 =
      "00010203 04050607 08090A0B 0C0D0E0F 10111213 14151617 18191A1B 1C1D1E1F ";
  const std::string line2 = "20212223 24252627";
  const unsigned char hello[] = {0xC8, 0x85, 0x93, 0x93, 0x96, 0x40, 0xF1, 0x00};
  gTrace.hexDump(hello, 8, 0);
  const char text[] = "ab\ncd";
  gTrace.hexDump(text, 5, 1);
  gTrace.hexDump(bytes, 36, 2);
  gTrace.hexDump(bytes, 0, 2);
  std::vector<std::string> expected = {line1,
                                       line2,
                                       "Hello 1.",
                                       "ab.cd",
                                       "000102030405060708090A0B0C0D0E0F101112131415161718191A"
                                       "1B1C1D1E1F202122",
                                       "23",
                                       ""};
  EXPECT_EQ(trace.lines(), expected);
}

int tracedFunction(int rc) {
  TRACE_ENTRY(TRC_GENERAL, "tracedFunction()");
  TRACE_RETURN(rc);
}

void tracedProcedure() {
  TRACE_ENTRY(TRC_GENERAL, "tracedProcedure()");
}

TEST(TraceFunction, EntryAndExitLinesOnlyWhileTheCategoryIsOn) {
  TraceFileForTest trace({TRC_GENERAL});
  EXPECT_EQ(tracedFunction(415), 415);
  tracedProcedure();
  gTrace.setFlag(TRC_GENERAL, 0);
  EXPECT_EQ(tracedFunction(1), 1);
  tracedProcedure();
  const std::vector<std::string> expected = {"Enter tracedFunction()",
                                             "Exit tracedFunction(), rc = 415",
                                             "Enter tracedProcedure()", "Exit tracedProcedure()"};
  EXPECT_EQ(trace.texts(), expected);
}

int tracedOnSuccess(int rc) {
  TRACE_ENTRY_FORM(TRC_GENERAL, "tracedOnSuccess", TraceExitForm::kSuccessOnly);
  TRACE_RETURN(rc);
}

int tracedWithArgs(int value) {
  TRACE_ENTRY_ARGS(TRC_GENERAL, "tracedWithArgs()", ",\n  value : %d\n", value);
  TRACE_RETURN_AS("doubled", 2 * value);
}

// The other forms of the guard: an exit line only after a success, the arguments' text after the
// entry line's name, and the returned value under a name of its own.
TEST(TraceFunction, ExitOnSuccessOnlyAndArgumentsAndNamedResults) {
  TraceFileForTest trace({TRC_GENERAL});
  EXPECT_EQ(tracedOnSuccess(0), 0);
  EXPECT_EQ(tracedOnSuccess(404), 404);
  EXPECT_EQ(tracedWithArgs(21), 42);
  const std::vector<std::string> expected = {
      "Enter tracedOnSuccess",   "Exit tracedOnSuccess", "Enter tracedOnSuccess",
      "Enter tracedWithArgs(),", "  value : 21",         "Exit tracedWithArgs(), doubled = 42"};
  EXPECT_EQ(trace.texts(), expected);
}

}  // namespace
