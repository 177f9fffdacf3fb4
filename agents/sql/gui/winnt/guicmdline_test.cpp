#include "guicmdline.h"

#include <gtest/gtest.h>

#include "agtrc.h"
#include "parse.h"
#include "parse_testutil.h"

namespace {

class GuiCommandLine : public Parse {
 protected:
  int parseGui(const std::string& line) {
    m_Line = std::make_unique<TestCommandLine>(line);
    initializeOptions(&m_Options);
    return parseGuiCmdLine(m_Line->argc(), m_Line->argv(), &m_Options);
  }
};

TEST_F(GuiCommandLine, OnlyTheWindowedProgramsOptions) {
  struct Case {
    const char* line;
    int rc;
  };
  const Case cases[] = {
      {"", RC_OK},
      {"/configfile=a.cfg /sqlserv=srv /statusi=500 /tracefi=t.trc /hubloroptf=x.opt", RC_OK},
      {"-tracefl=PARSE,-PARSE", RC_OK},
      {"Backup", RC_PARSE_UNKNOWN_OPTION},
      {"/buffers=4", RC_PARSE_NOT_ALLOWED},
      {"/quiet", RC_PARSE_NOT_ALLOWED},
      {"/statusi=0", RC_PARSE_BAD_VALUE},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parseGui(c.line), c.rc) << c.line;
    EXPECT_EQ(m_Options.command, CMD_WINDOWED) << c.line;
  }
  ASSERT_EQ(parseGui("/configfile=a.cfg /statusi=500"), RC_OK);
  EXPECT_STREQ(m_Options.szConfigFile, "a.cfg");
  EXPECT_EQ(m_Options.nStatusInterval, 500);
}

}  // namespace
