#include "basedata.h"

#include <gtest/gtest.h>

#include <string>

#include "agtrc.h"
#include "filetext_testutil.h"
#include "root.h"

namespace {

class BaseData : public ::testing::Test {
 protected:
  std::string file(const std::string& content, const char* name = "zarnaksql.cfg") {
    return writeFileText((m_Root.path() / name).string(), content);
  }
  // The value of a key, or "<absent>".
  static std::string value(BaseDataClass& store, const char* keyP) {
    char text[64] = "untouched";
    return store.getValue(keyP, text, sizeof text) == 1 ? text : "<absent>";
  }
  zkroot::ScopedRoot m_Root;
};

TEST_F(BaseData, KeywordsMatchWholeWithoutRegardToCaseAndTheLastLineWins) {
  std::string path = file(
      "buffers 4\n"
      "BUFFERSIze 2048\n"
      "STRIPes = 4\n"
      "# BUFFers 9\n"
      "BUFFERS=6\n"
      "DATEformat\n"
      "SQLSERVer    =   srv\n"
      "TIMEformatX 3\n");
  BaseDataClass store(path.c_str());
  EXPECT_TRUE(store.isLoaded());
  const struct {
    const char* key;
    const char* value;
  } cases[] = {
      {"BUFFers ", "6"},   {"BUFFERSIze ", "2048"},  {"STRIPes ", " 4"},
      {"DATEformat ", ""}, {"SQLSERVer ", "   srv"}, {"TIMEformat ", "<absent>"},
      {"buffers", "6"},    {"LOGFile ", "<absent>"},
  };
  for (const auto& c : cases) EXPECT_EQ(value(store, c.key), c.value) << c.key;
  int number = 0;
  EXPECT_EQ(store.getInt("STRIPes ", &number), 1);
  EXPECT_EQ(number, 4);
  EXPECT_EQ(value(store, nullptr), "<absent>");
}

TEST_F(BaseData, GettersWithDefaultsAndLimits) {
  BaseDataClass store(file("EMPTY\nNUMBER 250\nRATIO 2.5\nSMALL -3\n").c_str());
  char text[8];
  EXPECT_EQ(store.getValue("EMPTY ", text, sizeof text, "dflt"), 1);
  EXPECT_STREQ(text, "dflt");
  EXPECT_EQ(store.getValue("NUMBER ", text, sizeof text, "dflt"), 1);
  EXPECT_STREQ(text, "250");
  EXPECT_EQ(store.getValue("NUMBER ", text, 3), 1);  // cut to its buffer
  EXPECT_STREQ(text, "25");
  int number = 7;
  EXPECT_EQ(store.getInt("MISSING ", &number), 0);
  EXPECT_EQ(number, 7);
  EXPECT_EQ(store.getInt("MISSING ", &number, 42), 0);
  EXPECT_EQ(number, 42);
  EXPECT_EQ(store.getInt("NUMBER ", &number, 42, 1, 100), 1);
  EXPECT_EQ(number, 100);
  EXPECT_EQ(store.getInt("SMALL ", &number, 42, 1, 100), 1);
  EXPECT_EQ(number, 1);
  double ratio = 0;
  EXPECT_EQ(store.getDouble("RATIO ", &ratio), 1);
  EXPECT_DOUBLE_EQ(ratio, 2.5);
  EXPECT_EQ(store.getDouble("MISSING ", &ratio), 0);
  EXPECT_EQ(store.getInt(nullptr, &number, 1, 0, 9), 0);
}

TEST_F(BaseData, SetsReplaceTheLastLineOrAppendAndFlushWritesBack) {
  std::string path =
      file("# my settings\nBUFFers 2\nlong " + std::string(2000, 'l') + "\nBUFFers 3\n");
  BaseDataClass store(path.c_str());
  EXPECT_EQ(store.flush(), RC_OK);  // nothing changed: nothing written
  EXPECT_EQ(store.setValue("BUFFers ", "5"), 1);
  EXPECT_EQ(store.setInt("STRIPes ", 4), 1);
  EXPECT_EQ(store.setDouble("RATIO ", 0.25), 1);
  EXPECT_EQ(store.setValue("STRIPes ", "8"), 1);
  EXPECT_TRUE(store.isModified());
  EXPECT_EQ(store.flush(), RC_OK);
  EXPECT_FALSE(store.isModified());
  EXPECT_EQ(fileText(path), "# my settings\nBUFFers 2\nlong " + std::string(2000, 'l') +
                                "\nBUFFers      5\nSTRIPes      8\nRATIO      0.25\n");
}

TEST_F(BaseData, OverlongValuesAndRemovals) {
  std::string path = file("BUFFers 2\nSTRIPes 1\nBUFFERS=3\n");
  BaseDataClass store(path.c_str());
  std::string value492(492, 'v');
  EXPECT_EQ(store.setValue("LOGFile ", value492.c_str()), 1);  // 8 + 492 = 500
  EXPECT_EQ(store.setValue("LOGFile ", (value492 + "v").c_str()), 0);
  EXPECT_EQ(value(store, "LOGFile ").size(), 63u);
  EXPECT_EQ(store.setValue(nullptr, "1"), 0);
  EXPECT_EQ(store.remove("BUFFers "), 1);  // every line of it
  EXPECT_EQ(value(store, "BUFFers "), "<absent>");
  EXPECT_EQ(store.remove("BUFFers "), 1);
  std::string other = (m_Root.path() / "copy.cfg").string();
  EXPECT_EQ(store.save(other.c_str()), RC_OK);
  EXPECT_EQ(fileText(other), "STRIPes 1\nLOGFile      " + value492 + "\n");
  EXPECT_EQ(store.save(other.c_str()), RC_OK);  // not modified: nothing to write
}

TEST_F(BaseData, StoresWithoutAFile) {
  BaseDataClass missing((m_Root.path() / "none.cfg").c_str());
  EXPECT_FALSE(missing.isLoaded());
  EXPECT_EQ(value(missing, "BUFFers "), "<absent>");
  BaseDataClass nameless;
  EXPECT_EQ(nameless.setValue("BUFFers ", "4"), 1);
  EXPECT_EQ(value(nameless, "BUFFers "), "4");
  EXPECT_EQ(nameless.flush(), RC_OK);  // no name: nothing to write to
  EXPECT_EQ(nameless.save(nullptr), RC_FILE_OPEN_FAILED);
}

}  // namespace
