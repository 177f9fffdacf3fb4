// Test support for the entry functions: an activity log of the test's own in a directory the
// test owns, set as the process's log (gLogP) for the object's lifetime, and a look for a
// message in it formatted with the given inserts.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "agtlog.h"
#include "filetext_testutil.h"
#include "msgout.h"
#include "pelkapi.h"

// The option file of the process's storage-server interface as the start lines show it: "-"
// before a logon has read one.
inline const char* apiOptFileText() {
  const char* fileP = gPelkApiObjP != nullptr ? gPelkApiObjP->getHublorOptFile() : nullptr;
  return fileP != nullptr && fileP[0] != '\0' ? fileP : "-";
}

class ActivityLogForTest {
 public:
  explicit ActivityLogForTest(const std::filesystem::path& dir)
      : m_Path((dir / "zarnaksql.log").string()) {
    EXPECT_EQ(m_Log.SetLogName(m_Path.c_str()), 0);
    gLogP = &m_Log;
  }
  ~ActivityLogForTest() { gLogP = nullptr; }
  ActivityLogForTest(const ActivityLogForTest&) = delete;
  ActivityLogForTest& operator=(const ActivityLogForTest&) = delete;

  std::string text() const { return fileText(m_Path); }
  // How many lines hold the message formatted with the inserts.
  template <class... Inserts>
  int count(int msgNum, Inserts... inserts) const {
    char line[NLS_MSG_MAX];
    if (nlsprintf(line, sizeof line, msgNum, inserts...) <= 0) return -1;
    std::string log = text();
    int found = 0;
    for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) {
      found++;
    }
    return found;
  }
  // The number of lines of the log.
  int lines() const {
    std::string log = text();
    int n = 0;
    for (char c : log) n += c == '\n' ? 1 : 0;
    return n;
  }

 private:
  CLog m_Log;
  std::string m_Path;
};
