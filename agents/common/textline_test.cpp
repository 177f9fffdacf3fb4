#include "textline.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "agtrc.h"
#include "filetext_testutil.h"
#include "root.h"
#include "trcfile_testutil.h"

namespace {

std::vector<std::string> linesOf(CTextLineList& list) {
  std::vector<std::string> lines;
  for (int32_t n = 0; n < list.getCount(); n++) lines.push_back(list.getLine(n));
  return lines;
}

class TextStore : public ::testing::Test {
 protected:
  std::string file(const char* name, const std::string& content) {
    return writeFileText((m_Root.path() / name).string(), content);
  }
  zkroot::ScopedRoot m_Root;
};

TEST_F(TextStore, LoadCutsLineEndsAndStoreWritesOneNewLineEach) {
  std::string path = file("a.cfg", "BUFFers 4\r\n\r\nSTRIPes = 2\nlast line");
  CTextLineList list(path.c_str());
  EXPECT_EQ(linesOf(list), (std::vector<std::string>{"BUFFers 4", "", "STRIPes = 2", "last line"}));
  EXPECT_EQ(list.store(path.c_str()), RC_OK);
  EXPECT_EQ(fileText(path), "BUFFers 4\n\nSTRIPes = 2\nlast line\n");
  list.load(path.c_str());  // lines are appended to what the list holds
  EXPECT_EQ(list.getCount(), 8);
}

// A long line (a log file name may have 1792 characters) comes back whole, however long.
TEST_F(TextStore, LongLinesLoadAndStoreWhole) {
  std::string logFile = "LOGFile      /" + std::string(1792, 'l');
  std::string huge(100000, 'h');
  std::string path = file(
      "long.cfg", "BUFFers 4\n" + logFile + "\n" + huge + "\r\n" + std::string(489, 'x') + "\n");
  CTextLineList list(path.c_str());
  ASSERT_EQ(list.getCount(), 4);
  EXPECT_EQ(list.getLine(1), logFile);
  EXPECT_EQ(list.getLine(2), huge);
  EXPECT_EQ(list.getLine(3), std::string(489, 'x'));
  ASSERT_EQ(list.store(path.c_str()), RC_OK);
  CTextLineList again(path.c_str());
  EXPECT_EQ(linesOf(again), linesOf(list));
}

TEST_F(TextStore, MissingFileIsTracedAndLeavesTheListAsItWas) {
  TraceFileForTest trace({TRC_CONFIG});
  std::string missing = (m_Root.path() / "none.cfg").string();
  CTextLineList list;
  list.addLine("kept");
  list.load(missing.c_str());
  list.load(nullptr);
  EXPECT_EQ(linesOf(list), std::vector<std::string>{"kept"});
  EXPECT_NE(trace.text().find("Error opening file " + missing), std::string::npos);
}

TEST_F(TextStore, StoreRefusesNoNameAndAnUncreatableFile) {
  TraceFileForTest trace({TRC_CONFIG});
  CTextLineList list;
  list.addLine("x");
  EXPECT_EQ(list.store(nullptr), RC_FILE_OPEN_FAILED);
  std::string inMissingDir = (m_Root.path() / "no" / "such.cfg").string();
  EXPECT_EQ(list.store(inMissingDir.c_str()), RC_FILE_OPEN_FAILED);
  EXPECT_NE(trace.text().find("Error opening file " + inMissingDir), std::string::npos);
  CTextLineList empty;
  std::string path = file("empty.cfg", "old\n");
  EXPECT_EQ(empty.store(path.c_str()), RC_OK);
  EXPECT_EQ(fileText(path), "");
}

// A write that fails half-way (here: the file size limit, as on a full disk) must not cost the
// user the configuration that was there.
TEST_F(TextStore, FailedWriteKeepsThePreviousFileWhole) {
  std::string path = file("keep.cfg", "BUFFers 4\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                         std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_read);
  CTextLineList list;
  for (int n = 0; n < 100; n++) list.addLine(std::string(100, 'a' + n % 26).c_str());
  TraceFileForTest trace({TRC_CONFIG});
  struct rlimit previous;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
  struct rlimit small = previous;
  small.rlim_cur = 4096;
  void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  int rc = list.store(path.c_str());
  setrlimit(RLIMIT_FSIZE, &previous);
  signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(rc, RC_FILE_WRITE_FAILED);
  EXPECT_EQ(fileText(path), "BUFFers 4\n");
  EXPECT_NE(trace.text().find("Error writing file " + path), std::string::npos);
  // No temporary file is left beside it, and a store that succeeds keeps the permissions.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_Root.path()),
                          std::filesystem::directory_iterator()),
            1);
  ASSERT_EQ(list.store(path.c_str()), RC_OK);
  EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                std::filesystem::perms::group_read);
}

// A store killed between writing its temporary file and the rename leaves that file; the next
// store removes those of processes that no longer run, and nothing else.
TEST_F(TextStore, StoreRemovesTheTemporaryFilesOfKilledStores) {
  pid_t dead = fork();
  ASSERT_GE(dead, 0);
  if (dead == 0) _exit(0);
  ASSERT_EQ(waitpid(dead, nullptr, 0), dead);
  std::string path = file("z.cfg", "old\n");
  std::string killed = file(("z.cfg.new" + std::to_string(dead) + ".3").c_str(), "half");
  const std::string kept[] = {
      file(("z.cfg.new" + std::to_string(getppid()) + ".0").c_str(), "a running process's"),
      file(("z.cfg.new" + std::to_string(dead) + ".x").c_str(), "not one of ours"),
      file(("y.cfg.new" + std::to_string(dead) + ".0").c_str(), "another file's"),
  };
  CTextLineList list;
  list.addLine("new");
  ASSERT_EQ(list.store(path.c_str()), RC_OK);
  EXPECT_EQ(fileText(path), "new\n");
  EXPECT_FALSE(std::filesystem::exists(killed));
  for (const std::string& name : kept) EXPECT_TRUE(std::filesystem::exists(name)) << name;
}

TEST(TextLineList, OutOfRangeNumbersChangeNothing) {
  CTextLineList list;
  list.addLine("a");
  list.addLine(nullptr);  // an absent text is kept as an empty one
  list.addLine("c");
  EXPECT_EQ(list.getLine(-1), nullptr);
  EXPECT_EQ(list.getLine(3), nullptr);
  list.setLine(3, "x");
  list.setLine(-1, "x");
  list.removeLine(3);
  list.removeLine(-1);
  list.insertLine(-1, "x");
  EXPECT_EQ(linesOf(list), (std::vector<std::string>{"a", "", "c"}));
}

TEST(TextLineList, TailFollowsRemovesAndInserts) {
  CTextLineList list;
  for (const char* text : {"0", "1", "2"}) list.addLine(text);
  list.removeLine(2);
  list.addLine("after 1");  // appended after the new tail
  list.insertLine(10, "past the end");
  list.addLine("last");
  list.insertLine(0, "head");
  list.insertLine(2, "second");
  EXPECT_EQ(linesOf(list), (std::vector<std::string>{"head", "0", "second", "1", "after 1",
                                                     "past the end", "last"}));
  while (list.getCount() > 0) list.removeLine(0);
  list.addLine("alone");
  list.insertLine(5, "after alone");
  EXPECT_EQ(linesOf(list), (std::vector<std::string>{"alone", "after alone"}));
  list.removeAll();
  list.insertLine(3, "into an empty list");
  EXPECT_EQ(linesOf(list), std::vector<std::string>{"into an empty list"});
}

// The cursor must never hand out a wrong line, whatever the order of reads and changes: random
// operations are checked against a plain vector.
TEST(TextLineList, CursorNeverGivesAWrongLine) {
  std::mt19937 random(12345);
  CTextLineList list;
  std::vector<std::string> model;
  for (int step = 0; step < 20000; step++) {
    int count = static_cast<int>(model.size());
    int n = static_cast<int>(random() % (count + 3)) - 1;  // sometimes out of range
    std::string text = "line " + std::to_string(step);
    switch (random() % 6) {
      case 0:
        list.addLine(text.c_str());
        model.push_back(text);
        break;
      case 1:
        list.insertLine(n, text.c_str());
        if (n >= 0) model.insert(model.begin() + std::min(n, count), text);
        break;
      case 2:
        list.removeLine(n);
        if (n >= 0 && n < count) model.erase(model.begin() + n);
        break;
      case 3:
        list.setLine(n, text.c_str());
        if (n >= 0 && n < count) model[n] = text;
        break;
      default: {
        const char* lineP = list.getLine(n);
        if (n >= 0 && n < count) {
          ASSERT_NE(lineP, nullptr) << step;
          ASSERT_EQ(model[n], lineP) << step;
        } else {
          ASSERT_EQ(lineP, nullptr) << step;
        }
      }
    }
    ASSERT_EQ(list.getCount(), static_cast<int32_t>(model.size()));
  }
  EXPECT_EQ(linesOf(list), model);
}

TEST(TextLineList, DumpNumbersEveryLine) {
  CTextLineList list;
  list.addLine("first");
  list.addLine("");
  ::testing::internal::CaptureStderr();
  list.dump();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "Number of lines = 2\n     0:<first>\n     1:<>\n");
}

}  // namespace
