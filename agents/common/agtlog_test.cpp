// The activity log: dated entries, pruning by age (a table of scenarios), the pruning file, the
// last-pruned date, failures that leave the log whole, and concurrent writers.
#include "agtlog.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "filetext_testutil.h"
#include "msgout.h"
#include "nlstest.h"

namespace {

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The test's "now", taken once, so that a line and its expected copy carry the same time.
agentDateTime gNow;

// "date time" of the test's now moved by `days`, in the current formats.
std::string stamp(int days) {
  agentDateTime when;
  dateAddDays(&gNow, days, &when);
  char date[DATE_TEXT_SIZE], time[DATE_TEXT_SIZE];
  dateFormatParts(&when, date, time);
  return std::string(date) + " " + time;
}

// "@N text" is a line dated N days from now; any other line stands as it is.
std::string expand(const std::string& line) {
  if (line.empty() || line[0] != '@') return line;
  size_t blank = line.find(' ');
  return stamp(std::stoi(line.substr(1, blank - 1))) + line.substr(blank);
}

class ActivityLog : public nlstest::NlsFixture {
 protected:
  void SetUp() override {
    NlsFixture::SetUp();
    dateGetNow(&gNow);
    ASSERT_EQ(initRepository(fileText(ZK_MESSAGE_CATALOGUE)), 0);
    m_LogPath = dir() + "zarnaksql.log";
    std::ofstream(m_LogPath).close();
    ASSERT_EQ(m_Log.SetLogName(m_LogPath.c_str()), 0);
  }
  void writeLog(const std::vector<std::string>& lines) {
    std::ofstream out(m_LogPath, std::ios::trunc);
    for (const std::string& line : lines) out << expand(line) << "\n";
  }
  CLog m_Log;
  std::string m_LogPath;
};

struct PruneCase {
  const char* name;
  int retention;
  std::vector<std::string> before;
  std::vector<std::string> after;  // the lines kept, before the summary
  int pruned;                      // -1: nothing pruned (message 126)
  int read;
};

void PrintTo(const PruneCase& c, std::ostream* os) {
  *os << c.name;
}

class Pruning : public ActivityLog, public testing::WithParamInterface<PruneCase> {};

TEST_P(Pruning, KeepsTheRecentTailAndAppendsASummary) {
  const PruneCase& c = GetParam();
  writeLog(c.before);
  m_Log.SetRetentionDays(c.retention);
  ASSERT_EQ(m_Log.PruneLogFile(), 0);
  std::vector<std::string> lines = splitLines(fileText(m_LogPath));
  std::vector<std::string> want;
  for (const std::string& line : c.after) want.push_back(expand(line));
  want.push_back("Pruning the activity log: entries older than " + std::to_string(c.retention) +
                 " days are removed.");
  want.push_back(c.pruned < 0 ? std::string("Pruning done: no entries were old enough to remove.")
                              : "Pruning done: " + std::to_string(c.pruned) + " of " +
                                    std::to_string(c.read) + " lines were removed.");
  ASSERT_EQ(lines.size(), want.size()) << fileText(m_LogPath);
  for (size_t i = 0; i < lines.size(); ++i) {
    bool summary = i + 2 >= lines.size();  // dated with the pruning's own time: compare the text
    EXPECT_EQ(summary ? lines[i].substr(20) : lines[i], want[i]);
  }
  EXPECT_FALSE(std::filesystem::exists(dir() + LOG_PRUNE_FILE_NAME));
}

const std::string kLong(2000, 'x');

INSTANTIATE_TEST_SUITE_P(
    Scenarios, Pruning,
    testing::Values(
        PruneCase{"UndatedLeadingLines",
                  60,
                  {"no date here", "nor here", "@-1 recent", "undated after", "@-90 old after"},
                  {"@-1 recent", "undated after", "@-90 old after"},
                  2,
                  5},
        PruneCase{"ByAge", 60, {"@-90 a", "@-61 b", "@-60 c", "@0 d"}, {"@-60 c", "@0 d"}, 2, 4},
        PruneCase{"RetentionZero", 0, {"@0 a", "@0 b", "c"}, {}, 3, 3},
        PruneCase{"NothingOldEnough", 60, {"@-3 a", "@0 b"}, {"@-3 a", "@0 b"}, -1, 2},
        PruneCase{"EmptyLog", 60, {}, {}, -1, 0},
        PruneCase{"FutureDateCountsAsToday", 1, {"@5 ahead"}, {"@5 ahead"}, -1, 1},
        PruneCase{"LinesLongerThanAReadPiece",
                  60,
                  {"@-90 " + kLong, "@0 " + kLong},
                  {"@0 " + kLong},
                  1,
                  2},
        PruneCase{"DatedLinesOfAMultiLineEntry",
                  30,
                  {"@-40 first of two", "@-40 second of two", "@-2 next"},
                  {"@-2 next"},
                  2,
                  3}),
    [](const testing::TestParamInfo<PruneCase>& info) { return std::string(info.param.name); });

TEST_F(ActivityLog, PrunesOnceADayAndRecordsWhen) {
  writeLog({"@-90 old", "@0 new"});
  ASSERT_EQ(m_Log.PruneLogFile(), 0);  // never pruned: the zero date
  agentDateTime last, now;
  m_Log.GetLastPruned(&last);
  dateGetNow(&now);
  EXPECT_EQ(dateDiffDays(&now, &last), 0);
  EXPECT_NE(dateYear(&last), 0);
  std::string afterFirst = fileText(m_LogPath);
  EXPECT_EQ(m_Log.PruneLogFile(), RC_LOG_PRUNE_NOT_DUE);
  EXPECT_EQ(fileText(m_LogPath), afterFirst);
  m_Log.SetLastPruned(stamp(-1).c_str());
  EXPECT_EQ(m_Log.PruneLogFile(), 0);
  m_Log.SetLastPruned(stamp(0).c_str());
  EXPECT_EQ(m_Log.PruneLogFile(), RC_LOG_PRUNE_NOT_DUE);
  m_Log.SetLastPruned("00/00/0000 00:00:00");
  EXPECT_EQ(m_Log.PruneLogFile(), 0);
  m_Log.SetRetentionDays(-1);
  m_Log.SetLastPruned("00/00/0000 00:00:00");
  EXPECT_EQ(m_Log.PruneLogFile(), RC_LOG_PRUNE_NOT_DUE);
}

TEST_F(ActivityLog, NoNameMeansNoLog) {
  CLog unnamed;
  EXPECT_EQ(unnamed.LogActivityLog("text"), RC_LOG_NAME_NOT_DEFINED);
  EXPECT_EQ(unnamed.PruneLogFile(), RC_LOG_NAME_NOT_DEFINED);
  EXPECT_EQ(unnamed.GetRetentionDays(), LOG_DEFAULT_RETENTION_DAYS);
}

TEST_F(ActivityLog, ALogInADirectoryThatDoesNotExistIsRefused) {
  std::string missing = dir() + "no/such/dir/zarnaksql.log";
  EXPECT_EQ(m_Log.SetLogName(missing.c_str()), 406);
  EXPECT_STREQ(m_Log.GetLogName(), m_LogPath.c_str());  // the name is unchanged
  std::filesystem::remove(m_LogPath);
  m_Log.SetLastPruned("00/00/0000 00:00:00");
  EXPECT_EQ(m_Log.PruneLogFile(), RC_LOG_OPEN_FOR_PRUNE_FAILED);
}

TEST_F(ActivityLog, APruningFileThatCannotBeCreatedLeavesTheLogWhole) {
  writeLog({"@-90 old", "@0 new"});
  std::string before = fileText(m_LogPath);
  std::filesystem::create_directory(dir() + LOG_PRUNE_FILE_NAME);  // in the way of the file
  EXPECT_EQ(m_Log.PruneLogFile(), 406);
  EXPECT_EQ(fileText(m_LogPath), before);
  EXPECT_EQ(m_Log.PruneLogFile(), RC_LOG_PRUNE_NOT_DUE);  // a failed pruning counts for the day
}

TEST_F(ActivityLog, ALogNameWithoutADirectoryPrunesInTheCurrentDirectory) {
  std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir());
  CLog log;
  ASSERT_EQ(log.SetLogName("bare.log"), 0);
  log.LogActivityLog("entry");
  EXPECT_EQ(log.PruneLogFile(), 0);
  EXPECT_EQ(splitLines(fileText(dir() + "bare.log")).size(), 3u);
  EXPECT_FALSE(std::filesystem::exists(dir() + LOG_PRUNE_FILE_NAME));
  std::filesystem::current_path(previous);
}

TEST_F(ActivityLog, EachLineOfAnEntryIsDatedAlike) {
  ASSERT_EQ(m_Log.LogActivityLog("first line\n\nsecond line\n"), 0);
  std::vector<std::string> lines = splitLines(fileText(m_LogPath));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].substr(20), "first line");
  EXPECT_EQ(lines[1].substr(20), "second line");
  EXPECT_EQ(lines[0].substr(0, 20), lines[1].substr(0, 20));
  EXPECT_EQ(lines[0].find(' '), 10u);
}

TEST_F(ActivityLog, LogsAMessageWithItsInserts) {
  ASSERT_EQ(m_Log.LogActivityLog(5424, "login refused"), 0);
  EXPECT_EQ(m_Log.LogActivityLog(9999), RC_LOG_MSG_MISSING);
  takeCaught();
  std::vector<std::string> lines = splitLines(fileText(m_LogPath));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].substr(20, 9), "ZUD5424E ");
  EXPECT_NE(lines[0].find("login refused"), std::string::npos);
}

TEST_F(ActivityLog, WritersAndPruningRunTogetherInLockOrder) {
  gLogP = &m_Log;
  constexpr int kThreads = 6;
  constexpr int kEach = 50;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kEach; ++i) {
        if (t % 2 == 0)
          gLogP->LogActivityLog("direct entry");
        else
          nlprintf(150);  // a warning: printed under the NLS mutex, then logged
      }
    });
  }
  for (int i = 0; i < 5; ++i) {
    m_Log.SetLastPruned("00/00/0000 00:00:00");
    EXPECT_EQ(m_Log.PruneLogFile(), 0);
  }
  for (std::thread& th : threads) th.join();
  gLogP = nullptr;
  takeCaught();
  int entries = 0;
  for (const std::string& line : splitLines(fileText(m_LogPath))) {
    ASSERT_EQ(line.find(' '), 10u) << line;  // every line whole and dated
    entries += line.find("direct entry") != std::string::npos ||
               line.find("ZUD0150W") != std::string::npos;
  }
  EXPECT_EQ(entries, kThreads * kEach);
}

}  // namespace
