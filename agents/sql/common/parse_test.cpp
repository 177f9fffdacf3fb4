#include "parse.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "agtrc.h"
#include "agttrc.h"
#include "parse_testutil.h"
#include "psutil.h"
#include "root.h"

namespace {

TEST_F(Parse, CommandWordsFollowTheAbbreviationRuleAndTableOrder) {
  run({
      {"", RC_OK, CMD_HELP, nullptr, nullptr},
      {"q sql", RC_OK, CMD_QUERY_SQL, "sql", nullptr},
      {"quer sql", RC_OK, CMD_QUERY_SQL, "sql", nullptr},
      {"Q ZARNAK", RC_OK, CMD_QUERY_ZARNAK, "ZARNAK", nullptr},
      {"q", RC_PARSE_MISSING_WORD, CMD_QUERY, "q", nullptr},
      {"q nothing", RC_PARSE_UNKNOWN_KEYWORD, CMD_QUERY, "nothing", nullptr},
      {"inact db *", RC_PARSE_UNKNOWN_KEYWORD, CMD_HELP, "inact", nullptr},
      {"inactiv db *", RC_OK, CMD_INACTIVATE_ALL, "*", nullptr},
      {"inactiv db", RC_PARSE_MISSING_WORD, CMD_INACTIVATE, "db", nullptr},
      {"inactiv db bogus", RC_PARSE_UNKNOWN_KEYWORD, CMD_INACTIVATE, "bogus", nullptr},
      {"b db", RC_OK, CMD_BACKUP_FULL, "db",
       [](OptionsInfo& o) { EXPECT_EQ(testNames(o.dbNameList), Names{"db"}); }},
      {"?", RC_OK, CMD_HELP, "?", nullptr},
      {"??", RC_OK, CMD_HELP_HELP, "??", nullptr},
      {"h *", RC_OK, CMD_HELP, "*", nullptr},
      {"h ??", RC_PARSE_UNKNOWN_KEYWORD, CMD_HELP, "??", nullptr},
      {"h b d", RC_OK, 10, "d", nullptr},
      {"help query hublor types", RC_OK, 37, "types", nullptr},
      {"? inactiv *", RC_OK, 19, "*", nullptr},
      {"h q", RC_OK, 26, "q", nullptr},
      {"h /quiet", RC_PARSE_NOT_ALLOWED, CMD_HELP, "/quiet", nullptr},
      {"frobnicate", RC_PARSE_UNKNOWN_KEYWORD, CMD_HELP, "frobnicate", nullptr},
  });
}

TEST_F(Parse, OptionWordsFollowTheAbbreviationRuleAndTableOrder) {
  run({
      {"r db /file=f1", RC_OK, CMD_RESTORE_FULL, "/file=f1",
       [](OptionsInfo& o) { EXPECT_EQ(testNames(o.fileNameList), Names{"f1"}); }},
      {"q hublor db full /filei", RC_OK, CMD_QUERY_HUBLOR_FULL, "/filei",
       [](OptionsInfo& o) { EXPECT_EQ(o.bFileInfo, 1u); }},
      {"r db log=* /stopat=noon", RC_OK, CMD_RESTORE_LOG, "/stopat=noon",
       [](OptionsInfo& o) {
         EXPECT_STREQ(o.szStopAt, "noon");
         EXPECT_EQ(o.bStopAt, 1u);
       }},
      {"r db log=* /stopatm=m1", RC_OK, CMD_RESTORE_LOG, "/stopatm=m1",
       [](OptionsInfo& o) {
         EXPECT_STREQ(o.szMarkName, "m1");
         EXPECT_EQ(o.bStopAtMark, 1u);
         EXPECT_EQ(o.bStopAt, 0u);
       }},
      {"b db -quiet /q", RC_OK, CMD_BACKUP_FULL, "/q",
       [](OptionsInfo& o) { EXPECT_EQ(o.bQuiet, 1u); }},
      {"b db /f", RC_PARSE_UNKNOWN_OPTION, CMD_BACKUP_FULL, "/f", nullptr},
      {"b db /quiet stray", RC_PARSE_UNKNOWN_OPTION, CMD_BACKUP_FULL, "stray", nullptr},
      {"b db /quiet=yes", RC_PARSE_BAD_VALUE, CMD_BACKUP_FULL, "/quiet=yes", nullptr},
      {"b db /LOGFile=", RC_OK, CMD_BACKUP_FULL,
       "/LOGFile=", [](OptionsInfo& o) { EXPECT_STREQ(o.szLogFile, "zarnaksql.log"); }},
      {"b db /BUFF= /buffersi=64", RC_OK, CMD_BACKUP_FULL, "/buffersi=64",
       [](OptionsInfo& o) {
         EXPECT_EQ(o.nBuffers, 3);
         EXPECT_EQ(o.nBufferSize, 64);
       }},
      {"b db /buff=9", RC_PARSE_BAD_VALUE, CMD_BACKUP_FULL, "/buff=9", nullptr},
      {"b db /buff=2x", RC_PARSE_BAD_VALUE, CMD_BACKUP_FULL, "/buff=2x", nullptr},
      {"b db /old=30,5", RC_OK, CMD_BACKUP_FULL, "/old=30,5",
       [](OptionsInfo& o) { EXPECT_EQ(o.nOlderthan, 30); }},
      {"b db /old", RC_PARSE_NO_VALUE, CMD_BACKUP_FULL, "/old", nullptr},
      {"b db /adjustkb=-12,7 /adjustper", RC_OK, CMD_BACKUP_FULL, "/adjustper",
       [](OptionsInfo& o) {
         EXPECT_EQ(o.nAdjustKbEstimate, -12);
         EXPECT_EQ(o.nAdjustPercentEstimate, 0);
       }},
      {"b db /stripes=4", RC_OK, CMD_BACKUP_FULL, "/stripes=4",
       [](OptionsInfo& o) {
         EXPECT_EQ(o.nStripes, 4);
         EXPECT_EQ(o.bStripes, 1u);  // an explicit count is given as much as a bare /STRIPes
       }},
      {"b db /logprune=no", RC_OK, CMD_BACKUP_FULL, "/logprune=no",
       [](OptionsInfo& o) {
         EXPECT_EQ(o.nLogPrune, -1);
         EXPECT_EQ(o.bLogPruneSpecified, 1u);
       }},
      {"b db /logprune", RC_OK, CMD_BACKUP_FULL, "/logprune",
       [](OptionsInfo& o) {
         EXPECT_EQ(o.nLogPrune, 60);
         EXPECT_EQ(o.bLogPruneSpecified, 1u);
       }},
      {"b db /sqlauth=sql /sqlus=u /sqlp=p", RC_OK, CMD_BACKUP_FULL, "/sqlp=p",
       [](OptionsInfo& o) {
         EXPECT_EQ(o.enumSqlAuth, OPT_SQLAUTH_SQLUSERID);
         EXPECT_STREQ(o.szSqlUser, "u");
         EXPECT_EQ(o.bSqlUser + o.bSqlPassword + o.bSqlAuthentication, 3u);
       }},
      {"q hublor db full /mountw=no", RC_OK, CMD_QUERY_HUBLOR_FULL, "/mountw=no",
       [](OptionsInfo& o) {
         EXPECT_EQ(o.bQueryMountWait, 0u);
         EXPECT_EQ(o.bMountWait, 1u);
       }},
      {"r db /mountw=no /obj=abc", RC_OK, CMD_RESTORE_FULL, "/obj=abc",
       [](OptionsInfo& o) {
         EXPECT_EQ(o.bMountWait, 0u);
         EXPECT_EQ(testNames(o.objectNameList), Names{"ABC"});
         EXPECT_EQ(o.bAll, 1u);  // a named backup is restored even when inactive
       }},
      {"inactiv db * /obj=abc", RC_OK, CMD_INACTIVATE_ALL, "/obj=abc",
       [](OptionsInfo& o) { EXPECT_EQ(o.bAll, 0u); }},
  });
}

TEST_F(Parse, ListsAndNamesAtTheirLimits) {
  const std::string name128(128, 'd');
  const std::string object23(23, 'o');
  const std::string path260(260, 'p');
  const std::vector<Case> cases = {
      {"b db1,db2,", RC_OK, CMD_BACKUP_FULL, "db1,db2,",
       [](OptionsInfo& o) {
         EXPECT_EQ(testNames(o.dbNameList), (Names{"db1", "db2"}));
       }},
      {"b db1,,db2", RC_PARSE_BAD_VALUE, CMD_BACKUP_FULL, "db1,,db2", nullptr},
      {"b ,db1", RC_PARSE_BAD_VALUE, CMD_BACKUP_FULL, ",db1", nullptr},
  };
  run(cases);
  struct Limit {
    std::string line;
    int rc;
  };
  const Limit limits[] = {
      {"b " + name128, RC_OK},
      {"b " + name128 + "d", RC_PARSE_BAD_VALUE},
      {"r db /obj=" + object23, RC_OK},
      {"r db /obj=" + object23 + "o", RC_PARSE_BAD_VALUE},
      {"r db log=" + object23, RC_OK},
      {"r db log=" + object23 + "o", RC_PARSE_BAD_VALUE},
      {"r db /reloc=f /to=" + path260, RC_OK},
      {"r db /reloc=f /to=" + path260 + "p", RC_PARSE_BAD_VALUE},
      {"r db /standby=" + path260, RC_OK},
      {"r db /standby=" + path260 + "p", RC_PARSE_BAD_VALUE},
  };
  for (const Limit& limit : limits) {
    clearLists();
    EXPECT_EQ(parse(limit.line), limit.rc) << limit.line.size();
  }
}

// An empty word where database names go names nothing: refused for every command that takes
// them, never a list that matches no database.
TEST_F(Parse, AnEmptyDatabaseNameIsRefused) {
  const std::vector<std::vector<std::string>> lines = {
      {"backup", ""},          {"backup", "", "full"},  {"restore", ""},
      {"inactivate", "", "*"}, {"query", "hublor", ""}, {"query", "sql", ""},
  };
  for (const std::vector<std::string>& words : lines) {
    SCOPED_TRACE(words[0] + " " + words[1]);
    m_Line = std::make_unique<TestCommandLine>(words);
    clearLists();
    initializeOptions(&m_Options);
    EXPECT_EQ(parseClcCmdLine(m_Line->argc(), m_Line->argv(), &m_Options), RC_PARSE_BAD_VALUE);
    EXPECT_EQ(m_Options.dbNameList.getFirst(), nullptr);
  }
}

TEST_F(Parse, OneObjectTypePerCommand) {
  run({
      {"b db full diff", RC_PARSE_BAD_VALUE, CMD_BACKUP_DIFF, "diff", nullptr},
      {"b db full full", RC_OK, CMD_BACKUP_FULL, "full", nullptr},
      {"b db full=x", RC_PARSE_UNKNOWN_KEYWORD, CMD_BACKUP_FULL, "full=x", nullptr},
      {"r db log=*", RC_OK, CMD_RESTORE_LOG, "log=*",
       [](OptionsInfo& o) { EXPECT_EQ(testNames(o.logObjectNameList), Names{"*"}); }},
      {"r db log", RC_PARSE_MISSING_WORD, CMD_RESTORE_LOG, "log", nullptr},
      {"r db log=ab,cd", RC_OK, CMD_RESTORE_LOG, "log=ab,cd",
       [](OptionsInfo& o) {
         EXPECT_EQ(testNames(o.logObjectNameList), (Names{"AB", "CD"}));
       }},
      {"inactiv db set=x1", RC_OK, CMD_INACTIVATE_SET, "set=x1",
       [](OptionsInfo& o) { EXPECT_EQ(testNames(o.setObjectNameList), Names{"X1"}); }},
      {"b db group=g1 /quiet", RC_OK, CMD_BACKUP_GROUP, "/quiet",
       [](OptionsInfo& o) { EXPECT_EQ(testNames(o.groupNameList), Names{"g1"}); }},
      {"r db file=f1 file=f2", RC_OK, CMD_RESTORE_FILE, "file=f2",
       [](OptionsInfo& o) {
         EXPECT_EQ(testNames(o.fileNameList), (Names{"f1", "f2"}));
       }},
      {"q hublor db types", RC_OK, CMD_QUERY_HUBLOR_TYPES, "types", nullptr},
      {"q hublor db", RC_OK, CMD_QUERY_HUBLOR_ALL, "db", nullptr},
      {"q hublor", RC_OK, CMD_QUERY_HUBLOR, "hublor", nullptr},
  });
}

// In the place of a database list a word led by "-" or "/" is an option, also when it names
// no known option: a mistyped option must not become a database that matches nothing.
TEST_F(Parse, AnOptionWordIsNeverADatabaseName) {
  run({
      {"b /quiet", RC_PARSE_MISSING_WORD, CMD_BACKUP_FULL, "b", nullptr},
      {"r -typo", RC_PARSE_MISSING_WORD, CMD_RESTORE_FULL, "r", nullptr},
      {"q sql /typo", RC_PARSE_UNKNOWN_OPTION, CMD_QUERY_SQL, "/typo",
       [](OptionsInfo& o) { EXPECT_EQ(o.dbNameList.getCount(), 0u); }},
      {"q sql db1", RC_OK, CMD_QUERY_SQL_DATABASES, "db1", nullptr},
      {"q hublor -typo", RC_PARSE_UNKNOWN_OPTION, CMD_QUERY_HUBLOR, "-typo", nullptr},
  });
}

TEST_F(Parse, SqlServerNamesThisComputer) {
  const std::string computer = m_Computer;
  run({
      {"b db /sqlserv=.", RC_OK, CMD_BACKUP_FULL, "/sqlserv=.",
       [computer](OptionsInfo& o) {
         EXPECT_EQ(o.szSqlServer, computer);
         EXPECT_EQ(o.bSqlServer, 1u);
       }},
      {"b db /sqlserv", RC_OK, CMD_BACKUP_FULL, "/sqlserv",
       [computer](OptionsInfo& o) { EXPECT_EQ(o.szSqlServer, computer); }},
      {"b db /sqlserv=(local)\\INST2", RC_OK, CMD_BACKUP_FULL, "/sqlserv=(local)\\INST2",
       [computer](OptionsInfo& o) { EXPECT_EQ(o.szSqlServer, computer + "\\INST2"); }},
      {"b db /sqlserv=prod\\x", RC_OK, CMD_BACKUP_FULL, "/sqlserv=prod\\x",
       [](OptionsInfo& o) { EXPECT_STREQ(o.szSqlServer, "prod\\x"); }},
  });
  // A joined name longer than the field is refused, not cut.
  ASSERT_GE(computer.size(), 2u);
  std::string value = ".\\" + std::string(30, 'i');
  EXPECT_EQ(parse("b db /sqlserv=" + value), RC_PARSE_BAD_VALUE);
  EXPECT_EQ(parse("b db /sqlserv=" + value + "i"), RC_PARSE_BAD_VALUE);
}

TEST_F(Parse, ChangePasswordTakesUpToThreeWords) {
  run({
      {"changehublorp old new new2", RC_OK, CMD_CHANGE_PASSWORD, "new2",
       [](OptionsInfo& o) {
         EXPECT_STREQ(o.szHublorPassword, "old");
         EXPECT_STREQ(o.szNewHublorPassword, "new");
         EXPECT_STREQ(o.szVerifyHublorPassword, "new2");
       }},
      {"changehublorp old /hublornod=n1", RC_OK, CMD_CHANGE_PASSWORD, "/hublornod=n1",
       [](OptionsInfo& o) {
         EXPECT_STREQ(o.szNewHublorPassword, "");
         EXPECT_STREQ(o.szHublorNode, "n1");
       }},
      {"changehublorp", RC_OK, CMD_CHANGE_PASSWORD, "changehublorp", nullptr},
  });
  EXPECT_EQ(parse("changehublorp " + std::string(65, 'p')), RC_PARSE_BAD_VALUE);
}

TEST_F(Parse, SetKeywordsAndTheirValues) {
  run({
      {"set", RC_PARSE_MISSING_WORD, CMD_SET, "set", nullptr},
      {"set buffers", RC_PARSE_MISSING_WORD, CMD_SET_BUFFERS, "buffers", nullptr},
      {"set buffers=9", RC_PARSE_BAD_VALUE, CMD_SET_BUFFERS, "buffers=9", nullptr},
      {"set buffers=4", RC_OK, CMD_SET_BUFFERS, "4",
       [](OptionsInfo& o) { EXPECT_STREQ(o.pszSetValue, "4"); }},
      {"set frob=1", RC_PARSE_UNKNOWN_KEYWORD, CMD_SET, "frob=1", nullptr},
      {"set language=german", RC_PARSE_BAD_VALUE, CMD_SET_LANGUAGE, "language=german", nullptr},
      {"set lang=AMeng", RC_OK, CMD_SET_LANGUAGE, "AMeng", nullptr},
      {"set sqlauth=sql", RC_OK, CMD_SET_SQLAUTH, "sql",
       [](OptionsInfo& o) { EXPECT_EQ(o.enumSqlAuth, OPT_SQLAUTH_SQLUSERID); }},
      {"set sqlauth=other", RC_PARSE_BAD_VALUE, CMD_SET_SQLAUTH, "sqlauth=other", nullptr},
      {"set logprune=no", RC_OK, CMD_SET_LOGPRUNE, "no", nullptr},
      {"set logprune=10000", RC_PARSE_BAD_VALUE, CMD_SET_LOGPRUNE, "logprune=10000", nullptr},
      {"set mountw=maybe", RC_PARSE_BAD_VALUE, CMD_SET_MOUNTWAIT, "mountw=maybe", nullptr},
      {"set fromsqlserver=abcdefghijklmnop", RC_PARSE_BAD_VALUE, CMD_SET_FROMSQLSERVER,
       "fromsqlserver=abcdefghijklmnop", nullptr},
      {"set timeformat=4 /configfile=x.cfg", RC_OK, CMD_SET_TIMEFORMAT, "/configfile=x.cfg",
       [](OptionsInfo& o) { EXPECT_STREQ(o.szConfigFile, "x.cfg"); }},
      {"set stripes=4 /quiet", RC_PARSE_NOT_ALLOWED, CMD_SET_STRIPES, "/quiet", nullptr},
  });
}

TEST_F(Parse, TraceFlagsSwitchTheTrace) {
  ASSERT_EQ(parse("q zarnak -TRACEFL=ALL,-NLS"), RC_OK);
  gTraceEchoP = nullptr;
  ASSERT_EQ(gTrace.open(""), RC_OK);  // active without a file: the flags show
  EXPECT_TRUE(gTrace.isOn(TRC_PARSE));
  EXPECT_TRUE(gTrace.isOn(TRC_CONFIG));
  EXPECT_FALSE(gTrace.isOn(TRC_NLS));
  gTrace.setFlag(TRC_ALL, 0);
  gTrace.close();
  EXPECT_EQ(parse("q zarnak -TRACEFL=ALL,bogus"), RC_PARSE_BAD_VALUE);
  EXPECT_EQ(parse("q zarnak -TRACEFL"), RC_PARSE_NO_VALUE);
  gTrace.setFlag(TRC_ALL, 0);
}

TEST_F(Parse, TraceParserWordsOpenTheDefaultTraceFile) {
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(m_Root.path());
  ASSERT_EQ(parse("TRACEPARSER traceparser q sql"), RC_OK);
  EXPECT_EQ(m_Options.command, CMD_QUERY_SQL);
  EXPECT_STREQ(m_Options.szTraceFile, "zarnaksql.trc");
  ASSERT_EQ(parse("TRACEPARSER"), RC_OK);
  EXPECT_EQ(m_Options.command, CMD_HELP);
  gTrace.setFlag(TRC_ALL, 0);
  gTrace.close();
  EXPECT_GT(std::filesystem::file_size(m_Root.path() / "zarnaksql.trc"), 0u);
  std::filesystem::current_path(before);
}

}  // namespace
