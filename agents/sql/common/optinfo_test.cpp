#include "optinfo.h"

#include <gtest/gtest.h>

#include <string>

#include "agtrc.h"
#include "parse_testutil.h"
#include "psutil.h"
#include "root.h"

namespace {

TEST(OptionsInfo, Defaults) {
  zkroot::ScopedRoot root;
  OptionsInfo options;
  options.szAfter[0] = 'x';
  options.bQuiet = 1;
  ASSERT_EQ(initializeOptions(&options), RC_OK);
  char computer[OPT_COMPUTER_NAME_SIZE];
  psGetComputerName(computer, sizeof computer);
  EXPECT_STREQ(options.szSqlServer, computer);
  EXPECT_STREQ(options.szFromSqlServer, computer);
  EXPECT_STREQ(options.szSqlUser, "sa");
  EXPECT_STREQ(options.szLanguage, "AMENG");
  EXPECT_STREQ(options.szLogFile, "zarnaksql.log");
  EXPECT_STREQ(options.szAfter, "");
  EXPECT_EQ(std::string(options.szHublorOptFile).find("pelk.opt"),
            std::string(options.szHublorOptFile).size() - 8);
  EXPECT_EQ(options.command, 8u);
  EXPECT_EQ(options.nOlderthan, -1);
  EXPECT_EQ(options.nLogPrune, 60);
  EXPECT_EQ(options.nStatusInterval, 1000);
  EXPECT_EQ(options.bQuiet, 0u);
  EXPECT_EQ(options.bMountWait + options.bRecovery + options.bTruncate, 3u);
}

TEST(OptionsInfo, LanguageTable) {
  struct Case {
    const char* name;
    const char* code;
    uint32_t id;
  };
  const Case cases[] = {
      {"German", "deu", 1},
      {"bportuguese", "ptb", 10},
      {"klingon", "ameng", 0},
      {"AMENG", "ameng", 0},
  };
  for (const Case& c : cases) {
    std::string name = c.name;
    char code[OPT_LANGUAGE_SIZE];
    ASSERT_EQ(optLookupLanguage(name.data(), code), RC_OK);
    EXPECT_STREQ(code, c.code) << c.name;
    uint32_t id = 99;
    ASSERT_EQ(optLanguageId(code, &id), RC_OK);
    EXPECT_EQ(id, c.id) << c.name;
  }
}

}  // namespace
