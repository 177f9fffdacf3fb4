#include "sqlreg.h"

#include <cstdio>
#include <cstring>

#include "agttrc.h"
#include "psutil.h"

const char SQL_REG_USERID[] = "SQL_A";
const char SQL_REG_ENCRYPTION[] = "SQL_E";
const char SQL_REG_PASSWORD[] = "SQL_P";

namespace {

const char kDefaultServer[] = "DefaultServer";
constexpr size_t kKeyPathSize = 512;
constexpr DWORD kBlockBufferSize = REG_SCRAMBLE_BLOCK_SIZE + 1;

// Reads and unscrambles the password block. 0 or 1701 (the text then empty).
int readPassword(const char* keyPathP, const char* userIdP, char* passwordP) {
  BYTE block[kBlockBufferSize];
  DWORD blockLength = sizeof block;
  int rc = getBinaryValue(HKEY_LOCAL_MACHINE, keyPathP, SQL_REG_PASSWORD, block, &blockLength);
  if (rc != RC_OK) {
    TRACE_LINE(TRC_GENERAL, "Unable to retrieve SQL password from registry, rc = %d.\n", rc);
    return rc;
  }
  // Room for the longest text a block holds, so that an overlong password is seen as such.
  char text[REG_SCRAMBLE_MAX_TEXT + 1];
  if (regUnscramble(REG_ENCRYPTION_SCRAMBLE, userIdP, block, blockLength, text, sizeof text) == 0) {
    TRACE_LINE(TRC_GENERAL, "The stored SQL password block is damaged.\n");
    return RC_REG_READ_FAILED;
  }
  size_t length = strlen(text);
  memset(block, 0, sizeof block);
  if (length >= size_t(SQL_PASSWORD_SIZE)) {
    memset(text, 0, sizeof text);
    TRACE_LINE(TRC_GENERAL, "The stored SQL password is longer than %d characters.\n",
               SQL_PASSWORD_SIZE - 1);
    return RC_REG_READ_FAILED;
  }
  memcpy(passwordP, text, length + 1);
  memset(text, 0, sizeof text);
  return RC_OK;
}

}  // namespace

int sqlRegKeyPath(const char* serverP, char* keyPathP, size_t keyPathSize) {
  const char* nameP = (serverP == nullptr || serverP[0] == '\0') ? kDefaultServer : serverP;
  int length = snprintf(keyPathP, keyPathSize, "%s%s\\%s", PS_PRODUCT_KEY, PS_AGENT_NAME, nameP);
  return length >= 0 && size_t(length) < keyPathSize ? 1 : 0;
}

int getSqlAccountInfo(const char* serverP, char* userIdP, char* passwordP) {
  TRACE_ENTRY(TRC_GENERAL, "getSqlAccountInfo()");
  passwordP[0] = '\0';
  char keyPath[kKeyPathSize];
  if (sqlRegKeyPath(serverP, keyPath, sizeof keyPath) == 0) {
    TRACE_LINE(TRC_GENERAL, "The SQL Server name is too long for a registry key.\n");
    TRACE_RETURN(RC_REG_OPEN_FAILED);
  }
  HKEY key = nullptr;
  int rc = createOrOpenReg(HKEY_LOCAL_MACHINE, keyPath, &key);
  if (rc != RC_OK) {
    TRACE_LINE(TRC_GENERAL, "Error creating/opening registry for path %s\n, rc = %d.\n", keyPath,
               rc);
    TRACE_RETURN(rc);
  }
  // getSzValue holds one byte back beyond the terminator: one byte more lets a user id of
  // 127 characters, stored with its terminator, through.
  char userId[SQL_USERID_SIZE + 1];
  rc = getSzValue(HKEY_LOCAL_MACHINE, keyPath, SQL_REG_USERID, userId, sizeof userId);
  if (rc == RC_OK && strlen(userId) >= size_t(SQL_USERID_SIZE)) rc = RC_REG_READ_FAILED;
  if (rc != RC_OK) {
    TRACE_LINE(TRC_GENERAL, "SQL Server account not found.\n");
    TRACE_RETURN(rc);
  }
  memcpy(userIdP, userId, strlen(userId) + 1);
  TRACE_LINE(TRC_GENERAL,
             "Attempting to log into SQL Server using SQL authentication with userid %s.\n",
             userId);
  DWORD encryption = 0;
  rc = getDwordValue(HKEY_LOCAL_MACHINE, keyPath, SQL_REG_ENCRYPTION, &encryption);
  if (rc != RC_OK) {
    TRACE_LINE(TRC_GENERAL, "Error retrieving encryption type (SQL_E)from registry, rc = %d.\n",
               rc);
    TRACE_RETURN(rc);
  }
  if (encryption != DWORD(REG_ENCRYPTION_SCRAMBLE)) {
    TRACE_LINE(TRC_GENERAL, "Invalid encryption type (SQL_E) retrieved from registry.\n");
    TRACE_RETURN(RC_REG_READ_FAILED);
  }
  TRACE_RETURN(readPassword(keyPath, userId, passwordP));
}
