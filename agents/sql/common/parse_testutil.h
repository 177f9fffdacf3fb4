// Parsing command lines in tests: the words of one line (split at blanks), kept alive beside
// the options record, since the parser changes words in place and pszErrorArg points into them.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "parse.h"
#include "psutil.h"
#include "root.h"

class TestCommandLine {
 public:
  // "zarnaksqlc" and the blank-separated words of the line.
  explicit TestCommandLine(const std::string& line) {
    m_Words.push_back("zarnaksqlc");
    std::istringstream in(line);
    for (std::string word; in >> word;) m_Words.push_back(word);
    for (std::string& word : m_Words) m_Argv.push_back(word.data());
  }
  // The same with words that may hold blanks.
  explicit TestCommandLine(const std::vector<std::string>& words) : m_Words(words) {
    m_Words.insert(m_Words.begin(), "zarnaksqlc");
    for (std::string& word : m_Words) m_Argv.push_back(word.data());
  }
  int argc() const { return int(m_Argv.size()); }
  char** argv() { return m_Argv.data(); }
  // The words joined again by blanks, to show that the parser put them back.
  std::string joined() const {
    std::string text;
    for (size_t i = 1; i < m_Words.size(); i++)
      text += (i > 1 ? " " : "") + std::string(m_Words[i].c_str());
    return text;
  }

 private:
  std::vector<std::string> m_Words;
  std::vector<char*> m_Argv;
};

// The names of a list in order.
template <class Entry>
std::vector<std::string> testNames(CLinkedList<Entry>& listR) {
  std::vector<std::string> names;
  for (Entry* entryP = listR.getFirst(); entryP != nullptr; entryP = listR.getNext(entryP)) {
    names.push_back(entryP->szName);
  }
  return names;
}

using Names = std::vector<std::string>;

using Check = std::function<void(OptionsInfo&)>;

// One command line and what the parse must give: the code, the command id, the word in error
// (null: none) and further checks of the record.
struct Case {
  const char* line;
  int rc;
  uint32_t command;
  const char* errorArg;
  Check check;
};

class Parse : public ::testing::Test {
 protected:
  void SetUp() override {
    char computer[OPT_COMPUTER_NAME_SIZE];
    psGetComputerName(computer, sizeof computer);
    m_Computer = computer;
  }
  int parse(const std::string& line) {
    m_Line = std::make_unique<TestCommandLine>(line);
    clearLists();
    initializeOptions(&m_Options);
    return parseClcCmdLine(m_Line->argc(), m_Line->argv(), &m_Options);
  }
  void run(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.line);
      ASSERT_EQ(parse(c.line), c.rc);
      EXPECT_EQ(m_Options.command, c.command);
      if (c.errorArg == nullptr) {
        EXPECT_EQ(m_Options.pszErrorArg, nullptr);
      } else {
        ASSERT_NE(m_Options.pszErrorArg, nullptr);
        EXPECT_STREQ(m_Options.pszErrorArg, c.errorArg);
      }
      EXPECT_EQ(m_Line->joined(), std::string(c.line));  // every word put back whole
      if (c.check) c.check(m_Options);
    }
  }
  void clearLists() {
    m_Options.dbNameList.freeAll();
    m_Options.fileNameList.freeAll();
    m_Options.groupNameList.freeAll();
    m_Options.intoNameList.freeAll();
    m_Options.objectNameList.freeAll();
    m_Options.logObjectNameList.freeAll();
    m_Options.relocateNameList.freeAll();
    m_Options.toNameList.freeAll();
    m_Options.setObjectNameList.freeAll();
  }

  zkroot::ScopedRoot m_Root;
  std::string m_Computer;
  std::unique_ptr<TestCommandLine> m_Line;
  OptionsInfo m_Options;
};
