#include "dsqllogstore.h"

#include <cstdio>
#include <cstring>

#include "agtpref.h"
#include "agtrc.h"
#include "agttrc.h"
#include "registry.h"

namespace {

constexpr size_t kKeyPathSize = 512;

bool serverKey(const char* serverP, char* keyPathP) {
  if (sqlRegKeyPath(serverP, keyPathP, kKeyPathSize) != 0) return true;
  TRACE_LINE(TRC_GUI, "The SQL Server name is too long for a registry key.\n");
  return false;
}

void storeAuthPreference(OptionsInfo* optionsP, const char* valueP, const char* failureP) {
  CPreferences preferences(optionsP->szConfigFile);
  int rc = preferences.setPreferences(PREF_SQLAUTH, valueP, nullptr);
  if (rc == RC_PREF_NOT_STORED || rc == RC_PREF_BAD_VALUE) TRACE_LINE(TRC_GUI, "%s", failureP);
}

}  // namespace

DSqlLoginStart sqlLoginStart(const OptionsInfo& options) {
  DSqlLoginStart start;
  start.choice.user = "sa";
  if (options.enumSqlAuth != OPT_SQLAUTH_SQLUSERID) return start;
  char user[SQL_USERID_SIZE] = "";
  char password[SQL_PASSWORD_SIZE] = "";
  if (getSqlAccountInfo(options.szSqlServer, user, password) == RC_OK) start.choice.user = user;
  memset(password, 0, sizeof password);
  start.choice.authentication = OPT_SQLAUTH_SQLUSERID;
  start.editsEnabled = true;
  return start;
}

int saveLoginToRegistry(const char* serverP, const char* userP, const char* passwordP) {
  char keyPath[kKeyPathSize];
  if (!serverKey(serverP, keyPath)) return RC_REG_OPEN_FAILED;
  if (strlen(userP) > size_t(DSQLLOGIN_USER_MAX) ||
      strlen(passwordP) > size_t(DSQLLOGIN_PASSWORD_MAX)) {
    TRACE_LINE(TRC_GUI, "The SQL user id or password is too long to be stored.\n");
    return RC_REG_WRITE_FAILED;
  }
  int rc = putSzValue(HKEY_LOCAL_MACHINE, keyPath, SQL_REG_USERID, userP);
  if (rc != RC_OK) TRACE_LINE(TRC_GUI, "Writing %s failed, rc = %d\n", SQL_REG_USERID, rc);
  rc = putDwordValue(HKEY_LOCAL_MACHINE, keyPath, SQL_REG_ENCRYPTION, REG_ENCRYPTION_SCRAMBLE);
  if (rc != RC_OK) TRACE_LINE(TRC_GUI, "Writing %s failed, rc = %d\n", SQL_REG_ENCRYPTION, rc);
  BYTE block[REG_SCRAMBLE_BLOCK_SIZE] = {};
  DWORD length = 0;
  regScramble(REG_ENCRYPTION_SCRAMBLE, userP, passwordP, block, &length);
  rc = putBinaryValue(HKEY_LOCAL_MACHINE, keyPath, SQL_REG_PASSWORD, block, length);
  memset(block, 0, sizeof block);
  if (rc != RC_OK) TRACE_LINE(TRC_GUI, "Writing %s failed, rc = %d\n", SQL_REG_PASSWORD, rc);
  return rc;
}

void storeSqlLogin(OptionsInfo* optionsP, const DSqlLoginChoice& choice) {
  TRACE_ENTRY(TRC_GUI, "storeSqlLogin");
  char keyPath[kKeyPathSize];
  HKEY key = nullptr;
  int rc = serverKey(optionsP->szSqlServer, keyPath)
               ? createOrOpenReg(HKEY_LOCAL_MACHINE, keyPath, &key)
               : RC_REG_OPEN_FAILED;
  if (rc != RC_OK) {
    TRACE_LINE(TRC_GUI, "Error creating or opening registry, rc = %d\n", rc);
    return;
  }
  if (choice.authentication == OPT_SQLAUTH_INTEGRATED) {
    char user[SQL_USERID_SIZE] = "";
    char password[SQL_PASSWORD_SIZE] = "";
    if (getSqlAccountInfo(optionsP->szSqlServer, user, password) == RC_OK &&
        regDeleteKey(HKEY_LOCAL_MACHINE, keyPath) != RC_OK) {
      TRACE_LINE(TRC_GUI, "Error deleting registry key in HKEY_LOCAL_MACHINE with a path of %s\n",
                 keyPath);
    }
    memset(password, 0, sizeof password);
    optionsP->enumSqlAuth = OPT_SQLAUTH_INTEGRATED;
    optionsP->szSqlUser[0] = '\0';
    memset(optionsP->szSqlPassword, 0, sizeof optionsP->szSqlPassword);
    storeAuthPreference(optionsP, "INTegrated", "Error setting sqlAuthentication to Integrated\n.");
    return;
  }
  if (saveLoginToRegistry(optionsP->szSqlServer, choice.user.c_str(), choice.password.c_str()) !=
      RC_OK) {
    return;
  }
  optionsP->enumSqlAuth = OPT_SQLAUTH_SQLUSERID;
  snprintf(optionsP->szSqlUser, sizeof optionsP->szSqlUser, "%s", choice.user.c_str());
  snprintf(optionsP->szSqlPassword, sizeof optionsP->szSqlPassword, "%s", choice.password.c_str());
  storeAuthPreference(optionsP, "SQLUserid", "Error setting sqlAuthentication to SqlUserid\n.");
}
