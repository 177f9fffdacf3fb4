#include "dconfigstore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "agtlog.h"
#include "agtpref.h"
#include "agtrc.h"
#include "dateutil.h"
#include "nlstest.h"

namespace {

const char kCatalogue[] = R"(125 Z - str,str,int "%s %s pruning %d"
126 Z - str,str "%s %s nothing"
127 Z - str,str,uint,uint "%s %s pruned %u of %u"
201 E - str "not opened %s"
203 E - str "not written %s"
5056 W - str "prune failed %s"
5057 I - str "pruned %s"
5063 W - str "prune off %s"
5064 W - str "no log %s"
5715 E - str "not stored %s"
)";

std::string fileText(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A configuration file and an activity log in the test's root, the log as the program's.
class ConfigStore : public nlstest::NlsFixture {
 protected:
  void SetUp() override {
    NlsFixture::SetUp();
    ASSERT_EQ(initRepository(kCatalogue), 0);
    m_config = dir() + "zarnaksql.cfg";
    m_logPath = dir() + "first.log";
    std::ofstream(m_logPath) << "";
    ASSERT_EQ(m_log.SetLogName(m_logPath.c_str()), 0);
    m_log.SetLastPruned("12/01/2026 08:00:00");
    setActivityLog(&m_log);
    ASSERT_EQ(initializeOptions(m_optionsP.get()), 0);
    snprintf(m_optionsP->szConfigFile, sizeof m_optionsP->szConfigFile, "%s", m_config.c_str());
  }
  void TearDown() override {
    setActivityLog(nullptr);
    NlsFixture::TearDown();
  }
  DConfigStoreResult store(const DConfigValues& values, const std::string& lastShown) {
    CPreferences preferences(m_config.c_str());
    return storePreferences(values, *m_optionsP, preferences, lastShown);
  }
  std::string lastPruned() {
    agentDateTime date{};
    m_log.GetLastPruned(&date);
    char text[DATE_TIME_TEXT_SIZE] = "";
    dateFormat(&date, text);
    return text;
  }

  std::string m_config;
  std::string m_logPath;
  CLog m_log;
  std::unique_ptr<OptionsInfo> m_optionsP = std::make_unique<OptionsInfo>();
};

TEST_F(ConfigStore, WritesEveryRowInOrderAndTheOptionsAndTheNewLogFollow) {
  DConfigValues v;
  v.sqlServer = "SRV1";
  v.fromSqlServer = "OLD1";
  v.sqlAuth = 1;
  v.mountWait = 0;
  v.diffEstimate = 35;
  v.buffers = 4;
  v.bufferSize = 2048;
  v.stripes = 3;
  v.sqlBuffers = 10;
  v.sqlBufferSize = 512;
  v.logFile = dir() + "second.log";
  v.logPrune = 1;
  v.logDays = 30;
  v.dateFormat = 0;  // the first radio is format 1
  v.timeFormat = 2;
  v.numberFormat = 5;
  DConfigStoreResult r = store(v, m_logPath);
  EXPECT_FALSE(r.logFileRefused);
  EXPECT_EQ(r.fileRc, 0);
  EXPECT_TRUE(takeCaught().empty());
  EXPECT_EQ(fileText(m_config),
            "SQLSERVer      SRV1\n"
            "FROMSQLserver      OLD1\n"
            "SQLAUTHentication      SQLuserid\n"
            "MOUNTWaitfordata      No\n"
            "DIFFESTimate      35\n"
            "BUFFers      4\n"
            "BUFFERSIze      2048\n"
            "STRIPes      3\n"
            "SQLBUFFers      10\n"
            "SQLBUFFERSIze      512\n"
            "LOGFile      " +
                dir() +
                "second.log\n"
                "LOGPrune      30\n"
                "LastPruneDate      00/00/0000 00:00:00\n"
                "DATEformat      1\n"
                "TIMEformat      3\n"
                "NUMBERformat      6\n");
  const OptionsInfo& o = *m_optionsP;
  EXPECT_STREQ(o.szSqlServer, "SRV1");
  EXPECT_STREQ(o.szFromSqlServer, "OLD1");
  EXPECT_EQ(o.enumSqlAuth, OPT_SQLAUTH_SQLUSERID);
  EXPECT_EQ(o.bMountWait, 0u);
  EXPECT_EQ(o.nDiffEstimate, 35);
  EXPECT_EQ(o.nBuffers, 4);
  EXPECT_EQ(o.nBufferSize, 2048);
  EXPECT_EQ(o.nStripes, 3);
  EXPECT_EQ(o.nSqlBuffers, 10);
  EXPECT_EQ(o.nSqlBufferSize, 512);
  EXPECT_EQ(o.szLogFile, dir() + "second.log");
  EXPECT_EQ(o.nLogPrune, 30);
  EXPECT_EQ(o.nDateFormat, 1);
  EXPECT_EQ(o.nTimeFormat, 3);
  EXPECT_EQ(o.nNumberFormat, 6);
  // The new log is the activity log's, never pruned, so that the next prune runs.
  EXPECT_EQ(m_log.GetLogName(), dir() + "second.log");
  agentDateTime never{};
  m_log.GetLastPruned(&never);
  EXPECT_EQ(dateYear(&never), 0);
}

TEST_F(ConfigStore, AnUnchangedLogNameLeavesTheLogAndItsDateAlone) {
  std::string before = lastPruned();
  DConfigValues v;
  v.logFile = m_logPath;
  store(v, m_logPath);
  EXPECT_EQ(m_log.GetLogName(), m_logPath);
  EXPECT_EQ(lastPruned(), before);
  std::string text = fileText(m_config);
  EXPECT_EQ(text.find("LOGFile"), std::string::npos) << text;
  EXPECT_NE(text.find("LastPruneDate      " + before + "\n"), std::string::npos) << text;
  // Empty server names are not written at all.
  v.sqlServer.clear();
  std::filesystem::remove(m_config);
  store(v, m_logPath);
  EXPECT_EQ(fileText(m_config).find("SQLSERVer"), std::string::npos);
  EXPECT_EQ(fileText(m_config).find("FROMSQLserver"), std::string::npos);
}

TEST_F(ConfigStore, ARefusedRowIsToldByItsNameAndKeepsItsOption) {
  struct Case {
    void (*change)(DConfigValues&);
    const char* name;
    const char* keyword;
  };
  const Case cases[] = {
      {[](DConfigValues& v) { v.buffers = 1; }, "buffers", "BUFFers"},
      {[](DConfigValues& v) { v.stripes = 65; }, "stripes", "STRIPes"},
      {[](DConfigValues& v) { v.logDays = 10000; }, "logprune", "LOGPrune"},
      {[](DConfigValues& v) { v.logFile = "/no/such/folder/x.log"; }, "logfile", "LOGFile"},
      {[](DConfigValues& v) { v.sqlServer = "a\nBUFFers 8"; }, "SQLServer", "SQLSERVer"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(m_config);
    ASSERT_EQ(initializeOptions(m_optionsP.get()), 0);
    DConfigValues v = configValuesFromOptions(*m_optionsP);
    std::string shown = v.logFile;
    c.change(v);
    DConfigStoreResult r = store(v, shown);
    auto texts = takeCaught();
    ASSERT_EQ(texts.size(), 1u) << c.name;
    EXPECT_EQ(texts[0].second, std::string("ZUD5715E not stored ") + c.name);
    EXPECT_EQ(r.logFileRefused, std::string(c.name) == "logfile");
    EXPECT_EQ(("\n" + fileText(m_config)).find("\n" + std::string(c.keyword) + " "),
              std::string::npos)
        << c.name;
    EXPECT_EQ(m_optionsP->nBuffers, 3) << c.name;
    EXPECT_EQ(m_optionsP->nStripes, 1) << c.name;
    EXPECT_EQ(m_optionsP->nLogPrune, 60) << c.name;
  }
  EXPECT_EQ(m_log.GetLogName(), m_logPath);
}

TEST_F(ConfigStore, AFileThatCannotBeWrittenIsToldOnce) {
  snprintf(m_optionsP->szConfigFile, sizeof m_optionsP->szConfigFile, "%s", "/no/such/dir.cfg");
  DConfigValues v;
  CPreferences preferences("/no/such/dir.cfg");
  DConfigStoreResult r = storePreferences(v, *m_optionsP, preferences, v.logFile);
  EXPECT_NE(r.fileRc, 0);
  auto texts = takeCaught();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].second,
            std::string(r.fileRc == RC_FILE_OPEN_FAILED ? "ZUD0201E not opened "
                                                        : "ZUD0203E not written ") +
                "/no/such/dir.cfg");
}

TEST_F(ConfigStore, PruningOffIsStoredAsNoAndShownAsSixtyDays) {
  DConfigValues v;
  v.logPrune = 0;
  v.logDays = 12;
  store(v, v.logFile);
  EXPECT_NE(fileText(m_config).find("LOGPrune      No\n"), std::string::npos);
  EXPECT_EQ(m_optionsP->nLogPrune, -1);
  DConfigValues shown = configValuesFromOptions(*m_optionsP);
  EXPECT_EQ(shown.logPrune, 0);
  EXPECT_EQ(shown.logDays, DCONFIG_DEFAULT_PRUNE_DAYS);
  m_optionsP->nLogPrune = 0;
  shown = configValuesFromOptions(*m_optionsP);
  EXPECT_EQ(shown.logPrune, 1);
  EXPECT_EQ(shown.logDays, 0);
}

TEST_F(ConfigStore, TheSheetShowsTheFileWhileTheProgramKeepsItsOwnSettings) {
  std::ofstream(m_config) << "SQLSERVer SRVFILE\nBUFFers 6\nDATEformat 3\nLOGPrune No\n";
  snprintf(m_optionsP->szSqlServer, sizeof m_optionsP->szSqlServer, "%s", "FROMCMDLINE");
  m_optionsP->nStripes = 5;
  CPreferences preferences(m_config.c_str());
  DConfigValues v = readConfiguration(preferences);
  EXPECT_EQ(v.sqlServer, "SRVFILE");
  EXPECT_EQ(v.buffers, 6);
  EXPECT_EQ(v.dateFormat, 2);
  EXPECT_EQ(v.logPrune, 0);
  EXPECT_EQ(v.logDays, 60);
  EXPECT_EQ(v.stripes, 1);  // not in the file: the default
  EXPECT_STREQ(m_optionsP->szSqlServer, "FROMCMDLINE");
  EXPECT_EQ(m_optionsP->nBuffers, 3);
}

TEST_F(ConfigStore, PruningAtOnceTellsItsOutcomeAndStoresTheNewDate) {
  std::ofstream(m_logPath) << "01/02/2020 10:00:00 an old line\n";
  m_log.SetLastPruned(lastPruned().c_str());  // pruned earlier today: pruning at once still runs
  DPruneResult r = pruneActivityLog(m_logPath, 5, m_config);
  EXPECT_EQ(r.nameRc, 0);
  EXPECT_EQ(r.pruneRc, 0);
  reportPrune(r);
  auto texts = takeCaught();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].second, "ZUD5057I pruned " + m_logPath);
  EXPECT_EQ(m_log.GetRetentionDays(), 5);
  EXPECT_EQ(fileText(m_logPath).find("an old line"), std::string::npos);
  EXPECT_NE(fileText(m_config).find("LastPruneDate      " + lastPruned() + "\n"),
            std::string::npos);

  struct Case {
    std::string logFile;
    int days;
    const char* told;
  };
  const Case cases[] = {
      {dir() + "no/such/folder.log", 5, "ZUD5064W no log "},
      {m_logPath, -1, "ZUD5063W prune off "},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(m_config);
    reportPrune(pruneActivityLog(c.logFile, c.days, m_config));
    texts = takeCaught();
    ASSERT_EQ(texts.size(), 1u) << c.told;
    EXPECT_EQ(texts[0].second, c.told + c.logFile);
    EXPECT_FALSE(std::filesystem::exists(m_config)) << c.told;
  }
  // A log that could not be read is a failure the user hears of.
  reportPrune({m_logPath, 0, RC_LOG_OPEN_FOR_PRUNE_FAILED});
  texts = takeCaught();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].second, "ZUD5056W prune failed " + m_logPath);
}

}  // namespace
