#include <gtest/gtest.h>

#include <fstream>

#include "help.h"
#include "profile.h"
#include "root.h"

namespace zkui {
namespace {

TEST(Profile, KeepsSettingsAcrossObjectsAndIgnoresCase) {
  zkroot::ScopedRoot root;
  std::string path = (root.path() / "zarnaksql.ini").string();
  {
    Profile p(path);  // no file yet: every read gives its default
    EXPECT_EQ("none", p.getString("Window size", "Rect", "none"));
    EXPECT_EQ(-5, p.getInt("Window size", "iconized", -5));
    ASSERT_TRUE(p.writeString("Window size", "Rect", "10 20 640 480"));
    ASSERT_TRUE(p.writeInt("Window size", "maximized", 1));
    ASSERT_TRUE(p.writeString("Other", "empty", ""));
  }
  Profile again(path);
  EXPECT_EQ("10 20 640 480", again.getString("WINDOW SIZE", "rect", ""));
  EXPECT_EQ(1, again.getInt("Window size", "Maximized", 0));
  EXPECT_EQ("", again.getString("Other", "empty", "default"));  // present and empty
  EXPECT_EQ(7, again.getInt("Other", "empty", 7));
  EXPECT_EQ(3, again.getInt("Window size", "Rect", 3));  // not a number
}

TEST(Profile, ReadsHandWrittenFilesAndFailsToWriteIntoAMissingFolder) {
  zkroot::ScopedRoot root;
  std::string path = (root.path() / "hand.ini").string();
  std::ofstream(path) << "; comment\nstray=1\n[ A ]\n x = 1 \nno equals sign\n[B]\ny=two=2\n";
  Profile p(path);
  EXPECT_EQ(1, p.getInt("A", "x", 0));
  EXPECT_EQ("two=2", p.getString("B", "y", ""));
  EXPECT_EQ("?", p.getString("", "stray", "?"));  // before any section: left out
  Profile lost((root.path() / "missing" / "p.ini").string());
  EXPECT_FALSE(lost.writeInt("A", "x", 1));
}

TEST(HelpStandIn, RecordsEveryCallAndPassesItToTheHook) {
  clearHelpCalls();
  std::vector<HelpCall> hooked;
  auto previous = setHelpHook([&](const HelpCall& c) { hooked.push_back(c); });
  const HelpCall calls[] = {
      {"doc/zarnaksql.chm", HelpCommand::Context, 1207, ""},
      {"doc/zarnaksql.chm", HelpCommand::Key, 0, "restore"},
      {"doc/zarnaksql.chm", HelpCommand::Quit, 0, ""},
  };
  for (const HelpCall& c : calls) EXPECT_TRUE(help(c));
  EXPECT_EQ(std::vector<HelpCall>(std::begin(calls), std::end(calls)), helpCalls());
  EXPECT_EQ(helpCalls(), hooked);
  setHelpHook(previous);
  clearHelpCalls();
  EXPECT_TRUE(helpCalls().empty());
}

}  // namespace
}  // namespace zkui
