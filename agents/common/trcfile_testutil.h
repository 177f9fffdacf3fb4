// Test helper: routes gTrace to a fresh temporary file with the given categories on, and reads
// the file back. The destructor closes the trace, turns every category off and removes the file,
// so each test starts from a silent trace.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "agttrc.h"
#include "filetext_testutil.h"

class TraceFileForTest {
 public:
  explicit TraceFileForTest(std::initializer_list<int> categories) {
    char pattern[] = "/tmp/zktraceXXXXXX";
    int fd = mkstemp(pattern);
    if (fd >= 0) ::close(fd);
    m_Path = pattern;
    for (int category : categories) gTrace.setFlag(category, 1);
    m_OpenRc = gTrace.open(m_Path.c_str());
  }
  ~TraceFileForTest() {
    gTrace.close();
    for (int k = 0; k < TRC_NUM_CATEGORIES; k++) gTrace.setFlag(k, 0);
    std::filesystem::remove(m_Path);
  }
  TraceFileForTest(const TraceFileForTest&) = delete;
  TraceFileForTest& operator=(const TraceFileForTest&) = delete;

  int openRc() const { return m_OpenRc; }
  const std::string& path() const { return m_Path; }
  std::string text() const { return fileText(m_Path); }
  // The lines after the banner(s): every line that does not belong to a banner.
  std::vector<std::string> lines() const {
    std::vector<std::string> result;
    std::istringstream in(text());
    std::string line;
    int bannerLine = 0;
    while (std::getline(in, line)) {
      if (line.rfind("=====", 0) == 0 && bannerLine == 0) {
        bannerLine = 7;
      }
      if (bannerLine > 0) {
        bannerLine--;
        continue;
      }
      result.push_back(line);
    }
    return result;
  }
  // The text of each trace line, after its header's closing "):".
  std::vector<std::string> texts() const {
    std::vector<std::string> result;
    for (const std::string& line : lines()) {
      size_t end = line.find("):");
      result.push_back(end == std::string::npos ? line : line.substr(end + 2));
    }
    return result;
  }

 private:
  std::string m_Path;
  int m_OpenRc = 0;
};
