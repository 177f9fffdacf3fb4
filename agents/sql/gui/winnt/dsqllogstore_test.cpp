// The stored SQL login that the login dialog writes, read back by the engine's reader.
#include "dsqllogstore.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>

#include "agtpref.h"
#include "filetext_testutil.h"
#include "registry.h"
#include "root.h"
#include "winreg.h"

namespace {

class SqlLoginStore : public testing::Test {
 protected:
  void SetUp() override {
    initializeOptions(&m_options);
    m_config = (m_root.path() / "zarnaksql.cfg").string();
    snprintf(m_options.szConfigFile, sizeof m_options.szConfigFile, "%s", m_config.c_str());
  }
  void server(const char* nameP) {
    snprintf(m_options.szSqlServer, sizeof m_options.szSqlServer, "%s", nameP);
  }
  // The reader's answer for the server: "user/password", or "" when nothing can be read.
  static std::string stored(const char* serverP) {
    char user[SQL_USERID_SIZE] = "";
    char password[SQL_PASSWORD_SIZE] = "";
    if (getSqlAccountInfo(serverP, user, password) != 0) return "";
    return std::string(user) + "/" + password;
  }
  static bool keyExists(const char* serverP) {
    char path[512];
    sqlRegKeyPath(serverP, path, sizeof path);
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(key);
    return true;
  }
  // The configuration file in lower case, blanks squeezed.
  std::string configText() const {
    std::string text;
    for (char c : fileText(m_config)) {
      if (c == ' ' && !text.empty() && text.back() == ' ') continue;
      text += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
  }
  void store(int auth, const char* userP, const char* passwordP) {
    storeSqlLogin(&m_options, DSqlLoginChoice{auth, userP, passwordP});
  }
  zkroot::ScopedRoot m_root;
  OptionsInfo m_options;
  std::string m_config;
};

TEST_F(SqlLoginStore, ASqlUserIdIsWrittenWhereTheReaderFindsItAndBecomesTheRunningLogin) {
  server("SRV1");
  store(OPT_SQLAUTH_SQLUSERID, "backup", "s3cret");
  EXPECT_EQ(stored("SRV1"), "backup/s3cret");
  EXPECT_EQ(m_options.enumSqlAuth, OPT_SQLAUTH_SQLUSERID);
  EXPECT_STREQ(m_options.szSqlUser, "backup");
  EXPECT_STREQ(m_options.szSqlPassword, "s3cret");
  EXPECT_NE(configText().find("sqlauthentication sqluserid"), std::string::npos);

  // An empty password is stored too; another server's login is left alone.
  server("SRV2");
  store(OPT_SQLAUTH_SQLUSERID, "sa", "");
  EXPECT_EQ(stored("SRV2"), "sa/");
  EXPECT_EQ(stored("SRV1"), "backup/s3cret");

  // The password is not in clear in the hive.
  std::string hives;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(m_root.path())) {
    if (entry.is_regular_file()) hives += fileText(entry.path().string());
  }
  EXPECT_EQ(hives.find("s3cret"), std::string::npos);
}

TEST_F(SqlLoginStore, IntegratedDeletesOnlyThatServersKey) {
  server("SRV1");
  store(OPT_SQLAUTH_SQLUSERID, "backup", "pw1");
  server("SRV2");
  store(OPT_SQLAUTH_SQLUSERID, "other", "pw2");
  store(OPT_SQLAUTH_INTEGRATED, "", "");
  EXPECT_FALSE(keyExists("SRV2"));
  EXPECT_EQ(stored("SRV1"), "backup/pw1");
  EXPECT_EQ(m_options.enumSqlAuth, OPT_SQLAUTH_INTEGRATED);
  EXPECT_STREQ(m_options.szSqlUser, "");
  EXPECT_STREQ(m_options.szSqlPassword, "");
  EXPECT_NE(configText().find("sqlauthentication integrated"), std::string::npos);
}

TEST_F(SqlLoginStore, AnEmptyServerNameIsTheDefaultServer) {
  server("");
  store(OPT_SQLAUTH_SQLUSERID, "dflt", "pw");
  EXPECT_EQ(stored(""), "dflt/pw");
  server("SRV1");
  store(OPT_SQLAUTH_SQLUSERID, "backup", "pw1");
  // Integrated for the default server takes away its login only, not every server's.
  server("");
  store(OPT_SQLAUTH_INTEGRATED, "", "");
  EXPECT_EQ(stored(""), "");
  EXPECT_EQ(stored("SRV1"), "backup/pw1");
}

TEST_F(SqlLoginStore, AFailedWriteKeepsThePreviousLogin) {
  server("SRV1");
  store(OPT_SQLAUTH_SQLUSERID, "backup", "pw1");
  std::string tooLong(DSQLLOGIN_PASSWORD_MAX + 1, 'p');
  store(OPT_SQLAUTH_SQLUSERID, "newuser", tooLong.c_str());
  EXPECT_EQ(stored("SRV1"), "backup/pw1");
  EXPECT_STREQ(m_options.szSqlUser, "backup");
  // The longest password the reader gives back is stored whole.
  std::string longest(DSQLLOGIN_PASSWORD_MAX, 'q');
  store(OPT_SQLAUTH_SQLUSERID, "backup", longest.c_str());
  EXPECT_EQ(stored("SRV1"), "backup/" + longest);
}

TEST_F(SqlLoginStore, TheDialogStartsFromTheStoredLogin) {
  server("SRV1");
  m_options.enumSqlAuth = OPT_SQLAUTH_INTEGRATED;
  DSqlLoginStart start = sqlLoginStart(m_options);
  EXPECT_FALSE(start.editsEnabled);
  EXPECT_EQ(start.choice.authentication, OPT_SQLAUTH_INTEGRATED);
  m_options.enumSqlAuth = OPT_SQLAUTH_SQLUSERID;
  start = sqlLoginStart(m_options);  // nothing stored
  EXPECT_TRUE(start.editsEnabled);
  EXPECT_EQ(start.choice.user, "sa");
  store(OPT_SQLAUTH_SQLUSERID, "backup", "pw1");
  start = sqlLoginStart(m_options);
  EXPECT_EQ(start.choice.user, "backup");
  EXPECT_EQ(start.choice.password, "");
}

}  // namespace
