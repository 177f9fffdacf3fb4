#include "agtpref.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "agtrc.h"
#include "agttrc.h"
#include "filetext_testutil.h"
#include "psutil.h"
#include "registry.h"
#include "root.h"
#include "trcfile_testutil.h"

namespace fs = std::filesystem;

namespace {

const char kAgentKey[] = "SOFTWARE\\Orbenix\\Moxtar\\CurrentVersion\\ZARNAKSQL\\";

// A fresh machine whose agent directory is the root itself, with a configuration file there.
class Preferences : public ::testing::Test {
 protected:
  void SetUp() override {
    m_Dir = m_Root.path().string() + "/";
    HKEY key = nullptr;
    ASSERT_EQ(createOrOpenReg(HKEY_LOCAL_MACHINE, kAgentKey, &key), RC_OK);
    ASSERT_EQ(putSzValue(HKEY_LOCAL_MACHINE, kAgentKey, "Path", m_Dir.c_str()), RC_OK);
    char config[1280];
    ASSERT_EQ(psGetAgentConfig(config, sizeof config), RC_OK);
    m_Config = config;
    char host[16];
    psGetComputerName(host, sizeof host);
    m_Host = host;
  }
  void writeConfig(const std::string& content) { writeFileText(m_Config, content); }
  std::string config() const { return fileText(m_Config); }
  // The options after reading the file as at start-up, with defaults applied.
  void startUp(OptionsInfo* optionsP, const std::string& content, int* rcP = nullptr) {
    writeConfig(content);
    CPreferences prefs(m_Config.c_str());
    int rc = prefs.getAllPreferences(optionsP, 1);
    if (rcP != nullptr) *rcP = rc;
  }

  zkroot::ScopedRoot m_Root;
  std::string m_Dir;
  std::string m_Config;
  std::string m_Host;
};

TEST_F(Preferences, DefaultsWithoutAConfigurationFile) {
  CPreferences prefs(m_Config.c_str());
  OptionsInfo options;
  ASSERT_EQ(prefs.getAllPreferences(&options, 1), RC_OK);
  EXPECT_EQ(options.nBuffers, 3);
  EXPECT_EQ(options.nBufferSize, 1024);
  EXPECT_EQ(options.nDateFormat, 1);
  EXPECT_EQ(options.nDiffEstimate, 20);
  EXPECT_STREQ(options.szFromSqlServer, m_Host.c_str());
  EXPECT_EQ(options.bFromSqlServer, 0);
  EXPECT_STREQ(options.szLanguage, "AMENG");
  EXPECT_STREQ(options.szLastPruneDate, "00/00/0000 00:00:00");
  EXPECT_EQ(options.szLogFile, m_Dir + "zarnaksql.log");
  EXPECT_FALSE(fs::exists(options.szLogFile));  // the check leaves no empty log behind
  EXPECT_EQ(options.nLogPrune, 60);
  EXPECT_EQ(options.bLogPruneSpecified, 0);
  EXPECT_EQ(options.bMountWait, 1);
  EXPECT_EQ(options.nNumberFormat, 1);
  EXPECT_EQ(options.enumSqlAuth, OPT_SQLAUTH_INTEGRATED);
  EXPECT_EQ(options.nSqlBuffers, 0);
  EXPECT_EQ(options.nSqlBufferSize, 1024);
  EXPECT_STREQ(options.szSqlServer, m_Host.c_str());
  EXPECT_EQ(options.nStripes, 1);
  EXPECT_EQ(options.bStripes, 0);
  EXPECT_EQ(options.nTimeFormat, 1);
  EXPECT_FALSE(fs::exists(m_Config));  // reading writes nothing
}

TEST_F(Preferences, FileValuesLastLineWinsAndBadOnesFallBack) {
  OptionsInfo options;
  startUp(&options,
          "buffers 4\n"
          "BUFFERSIze 2048\n"
          "BUFFERS=6\n"
          "STRIPes = 4\n"
          "DIFFESTimate 100\n"
          "SQLBUFFers abc\n"
          "SQLBUFFERSIze 4096\n"
          "DATEformat 6\n"
          "TIMEformat 4\n"
          "NUMBERformat  -1\n"
          "LOGPrune no\n"
          "MOUNTWaitfordata n\n"
          "SQLAUTHentication sql\n"
          "LANGuage ameng\n"
          "LastPruneDate 12/31/2025 10:00:00\n");
  EXPECT_EQ(options.nBuffers, 6);
  EXPECT_EQ(options.nBufferSize, 2048);
  EXPECT_EQ(options.nStripes, 4);
  EXPECT_EQ(options.bStripes, 1);
  EXPECT_EQ(options.nDiffEstimate, 20);
  EXPECT_EQ(options.nSqlBuffers, 0);
  EXPECT_EQ(options.nSqlBufferSize, 4096);
  EXPECT_EQ(options.nDateFormat, 1);
  EXPECT_EQ(options.nTimeFormat, 4);
  EXPECT_EQ(options.nNumberFormat, 1);
  EXPECT_EQ(options.nLogPrune, -1);
  EXPECT_EQ(options.bLogPruneSpecified, 1);
  EXPECT_EQ(options.bMountWait, 0);
  EXPECT_EQ(options.enumSqlAuth, OPT_SQLAUTH_SQLUSERID);
  EXPECT_EQ(options.bSqlAuthentication, 1);
  EXPECT_STREQ(options.szLanguage, "AMENG");
  EXPECT_STREQ(options.szLastPruneDate, "12/31/2025 10:00:00");
}

// One value through processPref: its result, the value text afterwards and, for numbers, what
// the options record received.
TEST_F(Preferences, EveryKeywordAgainstItsLimits) {
  const struct {
    int id;
    const char* value;
    int useDefault;
    int rc;
    const char* after;
  } cases[] = {
      {PREF_BUFFERS, "", 0, 0, "3"},
      {PREF_BUFFERS, "8", 0, 0, "8"},
      {PREF_BUFFERS, "12", 1, 0, "3"},
      {PREF_BUFFERS, "12", 0, 420, "12"},
      {PREF_BUFFERS, "1", 0, 420, "1"},
      {PREF_BUFFERS, "4x", 0, 420, "4x"},
      {PREF_BUFFERS, " 4 ", 0, 0, " 4 "},
      {PREF_BUFFERS, "99999999999", 0, 420, "99999999999"},
      {PREF_BUFFERSIZE, "64", 0, 0, "64"},
      {PREF_BUFFERSIZE, "8193", 0, 420, "8193"},
      {PREF_DATEFORMAT, "5", 0, 0, "5"},
      {PREF_DATEFORMAT, "0", 1, 0, "1"},
      {PREF_DIFFESTIMATE, "99", 0, 0, "99"},
      {PREF_DIFFESTIMATE, "0", 0, 420, "0"},
      {PREF_LANGUAGE, "Ameng", 0, 0, "AMENG"},
      {PREF_LANGUAGE, "DEU", 0, 420, "DEU"},
      {PREF_LANGUAGE, "DEU", 1, 0, "AMENG"},
      {PREF_LASTPRUNEDATE, "", 0, 0, "00/00/0000 00:00:00"},
      {PREF_LASTPRUNEDATE, "02/30/2025", 0, 420, "02/30/2025"},
      {PREF_LASTPRUNEDATE, "02/30/2025", 1, 0, "00/00/0000 00:00:00"},
      {PREF_LOGPRUNE, "", 0, 0, "60"},
      {PREF_LOGPRUNE, "NO", 0, 0, "No"},
      {PREF_LOGPRUNE, "0", 0, 0, "0"},
      {PREF_LOGPRUNE, "9999", 0, 0, "9999"},
      {PREF_LOGPRUNE, "10000", 0, 420, "10000"},
      {PREF_LOGPRUNE, "never", 1, 0, "60"},
      {PREF_MOUNTWAIT, "y", 0, 0, "Yes"},
      {PREF_MOUNTWAIT, "nO", 0, 0, "No"},
      {PREF_MOUNTWAIT, "maybe", 0, 420, "maybe"},
      {PREF_MOUNTWAIT, "", 0, 0, "Yes"},
      {PREF_NUMBERFORMAT, "6", 0, 0, "6"},
      {PREF_NUMBERFORMAT, "7", 0, 420, "7"},
      {PREF_SQLAUTH, "int", 0, 0, "INTegrated"},
      {PREF_SQLAUTH, "SQLUSERID", 0, 0, "SQLuserid"},
      {PREF_SQLAUTH, "in", 0, 420, "in"},
      {PREF_SQLAUTH, "sqluseridx", 1, 0, "INTegrated"},
      {PREF_SQLBUFFERS, "0", 0, 0, "0"},
      {PREF_SQLBUFFERS, "1000", 0, 420, "1000"},
      {PREF_SQLBUFFERSIZE, "4097", 1, 0, "1024"},
      {PREF_STRIPES, "64", 0, 0, "64"},
      {PREF_STRIPES, "65", 0, 420, "65"},
      {PREF_TIMEFORMAT, "4", 0, 0, "4"},
      {PREF_TIMEFORMAT, "5", 0, 420, "5"},
  };
  for (const auto& c : cases) {
    char value[PREF_VALUE_SIZE];
    strcpy(value, c.value);
    OptionsInfo options;
    EXPECT_EQ(CPreferences::processPref(c.id, value, sizeof value, &options, c.useDefault), c.rc)
        << prefKeyword(c.id) << " \"" << c.value << "\"";
    EXPECT_STREQ(value, c.after) << prefKeyword(c.id) << " \"" << c.value << "\"";
  }
  char value[PREF_VALUE_SIZE] = "4";
  EXPECT_EQ(CPreferences::processPref(PREF_BUFFERS, value, sizeof value, nullptr, 0), RC_OK);
  EXPECT_EQ(CPreferences::processPref(PREF_NUM_KEYWORDS, value, sizeof value, nullptr, 1),
            RC_INTERNAL_ERROR);
  EXPECT_EQ(prefKeyword(PREF_NUM_KEYWORDS), nullptr);
}

TEST_F(Preferences, ServerNames) {
  const std::string name32(32, 's');
  const struct {
    std::string value;
    int useDefault;
    int rc;
    std::string after;
  } cases[] = {
      {"", 1, 0, m_Host},
      {".", 1, 0, m_Host},
      {"(local)\\INST1", 1, 0, m_Host + "\\INST1"},
      {".\\INST1", 1, 0, m_Host + "\\INST1"},
      {".\\INST1", 0, 0, ".\\INST1"},
      {"OTHER\\INST", 1, 0, "OTHER\\INST"},
      {name32, 0, 0, name32},
      {name32 + "s", 1, 0, m_Host},
      {name32 + "s", 0, 420, name32 + "s"},
      {"", 0, 0, ""},
  };
  for (const auto& c : cases) {
    char value[PREF_VALUE_SIZE];
    strcpy(value, c.value.c_str());
    OptionsInfo options;
    EXPECT_EQ(
        CPreferences::processPref(PREF_SQLSERVER, value, sizeof value, &options, c.useDefault),
        c.rc)
        << c.value;
    EXPECT_EQ(value, c.after) << c.value;
    if (c.rc == RC_OK) {
      EXPECT_EQ(options.szSqlServer, c.after) << c.value;
    }
  }
}

TEST_F(Preferences, SourceServerFollowsTheSqlServerUnlessTheFileNamesOne) {
  OptionsInfo options;
  startUp(&options, "SQLSERVer prod\\inst\n");
  EXPECT_STREQ(options.szSqlServer, "prod\\inst");
  EXPECT_STREQ(options.szFromSqlServer, "PROD\\INST");
  EXPECT_EQ(options.bFromSqlServer, 0);
  startUp(&options, "SQLSERVer prod\nFROMSQLserver old\n");
  EXPECT_STREQ(options.szSqlServer, "prod");
  EXPECT_STREQ(options.szFromSqlServer, "old");
  EXPECT_EQ(options.bFromSqlServer, 0);  // named by the file, not by the command line
}

TEST_F(Preferences, LogFileNames) {
  OptionsInfo options;
  startUp(&options, "LOGFile agent.log\n");
  EXPECT_EQ(options.szLogFile, m_Dir + "agent.log");
  EXPECT_FALSE(fs::exists(m_Dir + "agent.log"));
  std::string elsewhere = m_Dir + "logs/";
  fs::create_directory(elsewhere);
  std::ofstream(elsewhere + "kept.log") << "an earlier run\n";
  startUp(&options, "LOGFile " + elsewhere + "kept.log\n");
  EXPECT_EQ(options.szLogFile, elsewhere + "kept.log");
  EXPECT_TRUE(fs::exists(elsewhere + "kept.log"));  // a log with content stays

  // A name too long, with or without the agent directory in front.
  std::string longName = "/" + std::string(1791, 'l');
  char value[PREF_VALUE_SIZE];
  strcpy(value, (longName + "l").c_str());
  EXPECT_EQ(CPreferences::processPref(PREF_LOGFILE, value, sizeof value, nullptr, 0), 420);
  strcpy(value, std::string(1792 - m_Dir.size() + 1, 'l').c_str());
  TraceFileForTest trace({TRC_CONFIG});
  EXPECT_EQ(CPreferences::processPref(PREF_LOGFILE, value, sizeof value, nullptr, 0), 420);
  EXPECT_NE(trace.text().find("Configuration log file name too long when agent path is prepended."),
            std::string::npos);
  EXPECT_EQ(CPreferences::processPref(PREF_LOGFILE, value, sizeof value, &options, 1), RC_OK);
  EXPECT_STREQ(value, "zarnaksql.log");
  EXPECT_EQ(options.szLogFile, m_Dir + "zarnaksql.log");

  // A log that cannot be written fails even with defaults applied.
  int rc = 0;
  OptionsInfo missing;
  startUp(&missing, "LOGFile " + m_Dir + "missing/agent.log\n", &rc);
  EXPECT_EQ(rc, RC_PREF_BAD_VALUE);
}

TEST_F(Preferences, AnOverlongValueInTheFileIsStillTooLong) {
  OptionsInfo options;
  startUp(&options,
          "LOGFile /" + std::string(3000, 'l') + "\nSTRIPes " + std::string(2000, '1') + "\n");
  EXPECT_EQ(options.szLogFile, m_Dir + "zarnaksql.log");
  EXPECT_EQ(options.nStripes, 1);
}

TEST_F(Preferences, SetWritesBackThroughTheSameChecks) {
  writeConfig("# kept as it is\nbuffers 4\n");
  CPreferences prefs(m_Config.c_str());
  OptionsInfo options;
  EXPECT_EQ(prefs.setPreferences(PREF_BUFFERS, "12", &options), RC_PREF_BAD_VALUE);
  EXPECT_EQ(config(), "# kept as it is\nbuffers 4\n");
  EXPECT_EQ(prefs.setPreferences(PREF_BUFFERS, "5", &options), RC_OK);
  EXPECT_EQ(options.nBuffers, 5);
  EXPECT_EQ(prefs.setPreferences(PREF_STRIPES, "2", &options), RC_OK);
  EXPECT_EQ(prefs.setPreferences(PREF_LOGPRUNE, "n", nullptr), RC_OK);
  EXPECT_EQ(prefs.setPreferences(PREF_STRIPES, "3", &options), RC_OK);
  EXPECT_EQ(config(), "# kept as it is\nBUFFers      5\nSTRIPes      3\nLOGPrune      No\n");
  EXPECT_EQ(prefs.setPreferences(PREF_NUM_KEYWORDS, "1", &options), RC_INTERNAL_ERROR);
  EXPECT_EQ(prefs.setPreferences(PREF_BUFFERS, nullptr, &options), RC_PREF_BAD_VALUE);
  EXPECT_EQ(prefs.setPreferences(PREF_SQLSERVER, "a\nBUFFers 8", &options), RC_PREF_BAD_VALUE);
  // Key and value over 500 characters are not stored, though the name itself is good.
  std::string longName = m_Dir;
  while (longName.size() < 500) longName += "./";
  longName += "agent.log";
  EXPECT_EQ(prefs.setPreferences(PREF_LOGFILE, longName.c_str(), &options), RC_PREF_NOT_STORED);
  EXPECT_EQ(config(), "# kept as it is\nBUFFers      5\nSTRIPes      3\nLOGPrune      No\n");
  OptionsInfo again;
  startUp(&again, config());
  EXPECT_EQ(again.nBuffers, 5);
  EXPECT_EQ(again.nStripes, 3);
  EXPECT_EQ(again.bLogPruneSpecified, 1);
}

TEST_F(Preferences, SetKeepsWhatAnotherProgramSetMeanwhile) {
  writeConfig("buffers 4\n");
  CPreferences first(m_Config.c_str());
  CPreferences second(m_Config.c_str());  // both have read the file before either sets
  OptionsInfo options;
  ASSERT_EQ(first.setPreferences(PREF_STRIPES, "2", &options), RC_OK);
  ASSERT_EQ(second.setPreferences(PREF_BUFFERS, "5", &options), RC_OK);
  ASSERT_EQ(first.setPreferences(PREF_LOGPRUNE, "n", nullptr), RC_OK);
  EXPECT_EQ(config(), "BUFFers      5\nSTRIPes      2\nLOGPrune      No\n");
  char value[PREF_VALUE_SIZE];
  ASSERT_EQ(first.getPreferences(PREF_BUFFERS, value, sizeof value, &options, 0), RC_OK);
  EXPECT_EQ(options.nBuffers, 5);  // the object reads the file it has just written
}

TEST_F(Preferences, SetReportsAFileThatCannotBeWritten) {
  std::string configFile = m_Dir + "missing/zarnaksql.cfg";
  CPreferences prefs(configFile.c_str());
  OptionsInfo options;
  EXPECT_EQ(prefs.setPreferences(PREF_BUFFERS, "5", &options), RC_FILE_OPEN_FAILED);
}

TEST_F(Preferences, RejectedValuesAreTraced) {
  writeConfig("STRIPes 2\n");
  TraceFileForTest trace({TRC_CONFIG});
  CPreferences prefs(m_Config.c_str());
  EXPECT_EQ(prefs.setPreferences(PREF_STRIPES, "65", nullptr), RC_PREF_BAD_VALUE);
  char value[PREF_VALUE_SIZE];
  EXPECT_EQ(prefs.getPreferences(PREF_NUM_KEYWORDS, value, sizeof value, nullptr, 1),
            RC_INTERNAL_ERROR);
  std::vector<std::string> texts = trace.texts();
  for (std::string& text : texts) text.erase(0, text.find_first_not_of(' '));
  EXPECT_EQ(texts, (std::vector<std::string>{"Configuration number of stripes out of range.",
                                             "processPref() rc = 420"}));
}

}  // namespace
