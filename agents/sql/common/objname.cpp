// The names of the agent's objects on the storage server: building and reading back filespace,
// high-level and low-level names.
#include "objname.h"

#include <cstdio>
#include <cstring>

#include "agtrc.h"
#include "agttrc.h"

const char* const backupTypeLlNames[NUM_BACKUP_TYPE_LL_NAMES] = {
    "full", "difffull", "log", "group", "file", "set", "invalid"};
const char* const backupTypeQueryLlNames[NUM_BACKUP_TYPE_QUERY_LL_NAMES] = {
    "full", "difffull", "log", "group", "file", "set", "*", "invalid"};
const char* const backupTypeDisplayNames[NUM_BACKUP_TYPE_DISPLAY_NAMES] = {
    "Full     ", "DiffFull ", "Log      ", "Group    ", "File     ", "Set      ", "invalid"};

namespace {

constexpr size_t kIndexDigits = sizeof FS_NAME_INDEX - 1;
constexpr size_t kTimeWidth = sizeof HL_BACKUPTIME - 1;
constexpr size_t kPidDigits = sizeof HL_PID - 1;
constexpr size_t kDelimiterLength = sizeof FS_NAME_DELIMITER - 1;
// The low-level names that carry a backup type, in the order they are tried.
constexpr int kNumStoredTypes = BACKUP_TYPE_SET + 1;

const char* fsNameKey(uint32_t index) {
  return index == 0 ? "meta" : "data";
}

// Appends the delimiter and a part; the caller has checked the room.
size_t appendPart(char* hlP, size_t length, char delimiter, const char* partP) {
  hlP[length++] = delimiter;
  size_t partLength = std::strlen(partP);
  std::memcpy(hlP + length, partP, partLength);
  return length + partLength;
}

// The group or logical file part of a group or file backup's name.
int appendNamedPart(char* hlP, size_t* lengthP, char delimiter, const char* partP,
                    const char* missingTextP) {
  if (partP == nullptr) {
    TRACE_LINE(TRC_GENERAL, "%s\n", missingTextP);
    return RC_INTERNAL_ERROR;
  }
  if (*lengthP + std::strlen(partP) + 1 > OBJ_NAME_MAX_HL_LENGTH) {
    TRACE_LINE(TRC_GENERAL, "The high level qualifier will be too long.\n");
    return RC_HL_TOO_LONG;
  }
  *lengthP = appendPart(hlP, *lengthP, delimiter, partP);
  return RC_OK;
}

// The backup time and process id of a log or set backup, or their query pattern.
int appendTimeAndPid(char* hlP, size_t* lengthP, char delimiter, const zarnakObjId* idP) {
  if (*lengthP + kPidDigits + kTimeWidth + 2 > OBJ_NAME_MAX_HL_LENGTH) {
    TRACE_LINE(TRC_GENERAL, "The high level qualifier will be too long.\n");
    return RC_HL_TOO_LONG;
  }
  char timeText[kTimeWidth + 1] = "??????????????";
  char pidText[kPidDigits + 1] = "????????";
  if (idP != nullptr) {
    const agentDateTime& t = idP->backupTime;
    std::snprintf(timeText, sizeof timeText, "%04u%02u%02u%02u%02u%02u", dateYear(&t) % 10000u,
                  t.month % 100u, t.day % 100u, t.hour % 100u, t.minute % 100u, t.second % 100u);
    std::snprintf(pidText, sizeof pidText, "%*.*X", static_cast<int>(kPidDigits),
                  static_cast<int>(kPidDigits), idP->processId);
  }
  *lengthP = appendPart(hlP, *lengthP, delimiter, timeText);
  *lengthP = appendPart(hlP, *lengthP, delimiter, pidText);
  return RC_OK;
}

bool isHexDigits(const char* textP, size_t count) {
  for (size_t i = 0; i < count; i++) {
    if (std::strchr("0123456789abcdefABCDEF", textP[i]) == nullptr || textP[i] == '\0') {
      return false;
    }
  }
  return true;
}

}  // namespace

int buildFsName(char* fsNameP, const char* sqlServerNameP, uint32_t index) {
  TRACE_ENTRY(TRC_GENERAL, "buildFsName()");
  fsNameP[0] = '\0';
  const char* keyP = fsNameKey(index);
  size_t length =
      std::strlen(sqlServerNameP) + kIndexDigits + 2 * kDelimiterLength + std::strlen(keyP);
  if (length > OBJ_NAME_MAX_FS_LENGTH) {
    TRACE_LINE(TRC_GENERAL, "The filespace name to be generated will be too long.\n");
    TRACE_RETURN(RC_FS_NAME_TOO_LONG);
  }
  std::snprintf(fsNameP, OBJ_NAME_MAX_FS_LENGTH + 1, "%s%s%s%s%*.*X", sqlServerNameP,
                FS_NAME_DELIMITER, keyP, FS_NAME_DELIMITER, static_cast<int>(kIndexDigits),
                static_cast<int>(kIndexDigits), index);
  TRACE_RETURN(RC_OK);
}

int buildHl(char* hlP, const char* dbnameP, const char* otherNameP) {
  TRACE_ENTRY(TRC_GENERAL, "buildHl(short)");
  size_t length = std::strlen(dbnameP) + 1;
  if (otherNameP != nullptr) length += std::strlen(otherNameP) + 1;
  if (length > OBJ_NAME_MAX_HL_LENGTH) {
    TRACE_LINE(TRC_GENERAL, "The high level qualifier will be too long.\n");
    TRACE_RETURN(RC_HL_TOO_LONG);
  }
  size_t used = appendPart(hlP, 0, FS_NAME_DELIMITER[0], dbnameP);
  if (otherNameP != nullptr && otherNameP[0] != '\0') {
    used = appendPart(hlP, used, FS_NAME_DELIMITER[0], otherNameP);
  }
  hlP[used] = '\0';
  TRACE_RETURN(RC_OK);
}

int buildHl(char* hlP, const char* sqlDatabaseNameP, const char* groupNameP,
            const char* logicalFileNameP, char dirDelimiter, uint32_t backupType,
            const zarnakObjId* zarnakObjIdP) {
  TRACE_ENTRY(TRC_GENERAL, "buildHl()");
  size_t length = std::strlen(sqlDatabaseNameP) + 1;
  if (length > OBJ_NAME_MAX_HL_LENGTH) {
    TRACE_LINE(TRC_GENERAL, "The high level qualifier will be too long.\n");
    TRACE_RETURN(RC_HL_TOO_LONG);
  }
  std::memset(hlP, 0, OBJ_NAME_MAX_HL_LENGTH + 1);
  length = appendPart(hlP, 0, dirDelimiter, sqlDatabaseNameP);
  int rc = RC_OK;
  switch (backupType) {
    case BACKUP_TYPE_FULL:
    case BACKUP_TYPE_DIFFFULL:
      break;
    case BACKUP_TYPE_GROUP:
      rc = appendNamedPart(hlP, &length, dirDelimiter, groupNameP,
                           "A group backup specified but no group name was passed.");
      break;
    case BACKUP_TYPE_FILE:
      rc = appendNamedPart(hlP, &length, dirDelimiter, logicalFileNameP,
                           "A file backup specified but no logical file name was passed.");
      break;
    case BACKUP_TYPE_LOG:
    case BACKUP_TYPE_SET:
      rc = appendTimeAndPid(hlP, &length, dirDelimiter, zarnakObjIdP);
      break;
    default:
      TRACE_LINE(TRC_GENERAL, "An invalid backup type (%u) was detected.\n", backupType);
      rc = RC_INVALID_BACKUP_TYPE;
  }
  hlP[length] = '\0';
  TRACE_RETURN(rc);
}

int buildLl(char* llP, uint32_t backupType) {
  std::sprintf(llP, "%s%s", FS_NAME_DELIMITER, backupTypeLlNames[backupType]);
  return RC_OK;
}

int buildQueryLl(char* llP, uint32_t backupType) {
  std::sprintf(llP, "%s%s", FS_NAME_DELIMITER, backupTypeQueryLlNames[backupType]);
  return RC_OK;
}

int extractBackupType(const char* llP, uint32_t* backupTypeP) {
  TRACE_ENTRY(TRC_GENERAL, "extractBackupType()");
  if (llP[0] == '\0') TRACE_RETURN(RC_UNKNOWN_LL_NAME);
  const char* nameP = llP + 1;
  for (int type = 0; type < kNumStoredTypes; type++) {
    const char* tableNameP = backupTypeLlNames[type];
    if (std::strncmp(nameP, tableNameP, std::strlen(tableNameP)) == 0) {
      *backupTypeP = static_cast<uint32_t>(type);
      TRACE_RETURN(RC_OK);
    }
  }
  TRACE_LINE(TRC_GENERAL, "No backup type matches the low level name %s.\n", llP);
  TRACE_RETURN(RC_UNKNOWN_LL_NAME);
}

int extractHlNames(const char* hlP, char* dbnameP, char* otherNameP) {
  TRACE_ENTRY(TRC_GENERAL, "extractHlNames()");
  const char* restP = hlP[0] != '\0' ? hlP + 1 : hlP;
  const char* splitP = std::strchr(restP, FS_NAME_DELIMITER[0]);
  if (splitP == nullptr) {
    std::strcpy(dbnameP, restP);
    otherNameP[0] = '\0';
    TRACE_RETURN(RC_OK);
  }
  size_t dbLength = static_cast<size_t>(splitP - restP);
  std::memmove(dbnameP, restP, dbLength);
  dbnameP[dbLength] = '\0';
  std::strcpy(otherNameP, splitP + 1);
  TRACE_RETURN(RC_OK);
}

int extractServerName(const char* fsNameP, char* serverNameP) {
  TRACE_ENTRY(TRC_GENERAL, "extractServerName()");
  size_t n = std::strlen(fsNameP);
  if (n <= kIndexDigits + kDelimiterLength) {
    TRACE_LINE(TRC_GENERAL, "The filespace name is way too short.\n");
    TRACE_RETURN(RC_FS_NAME_NOT_AGENTS);
  }
  const char* indexP = fsNameP + n - kIndexDigits;
  if (indexP[-1] != FS_NAME_DELIMITER[0]) {
    TRACE_LINE(TRC_GENERAL, "The last filespace name delimiter is invalid.\n");
    TRACE_RETURN(RC_FS_NAME_NOT_AGENTS);
  }
  unsigned long index = isHexDigits(indexP, kIndexDigits) ? std::strtoul(indexP, nullptr, 16)
                                                          : OBJ_NAME_MAX_INDEX + 1;
  if (index > OBJ_NAME_MAX_INDEX) {
    TRACE_LINE(TRC_GENERAL, "The filespace name's index is invalid.\n");
    TRACE_RETURN(RC_FS_NAME_NOT_AGENTS);
  }
  size_t overhead = 2 * kDelimiterLength + std::strlen(fsNameKey(index)) + kIndexDigits;
  if (n == overhead) {
    TRACE_LINE(TRC_GENERAL, "The filespace name is too short.\n");
    TRACE_RETURN(RC_FS_NAME_NOT_AGENTS);
  }
  if (n < overhead || n - overhead > OBJ_NAME_MAX_SERVER_LENGTH) {
    TRACE_LINE(TRC_GENERAL, "The filespace name is too long.\n");
    TRACE_RETURN(RC_FS_NAME_NOT_AGENTS);
  }
  size_t serverLength = n - overhead;
  if (fsNameP[serverLength] != FS_NAME_DELIMITER[0]) {
    TRACE_LINE(TRC_GENERAL, "The last filespace name delimiter is invalid.\n");
    TRACE_RETURN(RC_FS_NAME_NOT_AGENTS);
  }
  std::memcpy(serverNameP, fsNameP, serverLength);
  serverNameP[serverLength] = '\0';
  TRACE_RETURN(RC_OK);
}

const char* getFsType() {
  return "API:SqlData";
}

const char* getFsTypeForRegistration() {
  return "SqlData";
}

int compareZarnakObjIds(zarnakObjId a, zarnakObjId b) {
  bool equal = a.processId == b.processId && dateCompare(&a.backupTime, &b.backupTime) == 0;
  TRACE_LINE(TRC_GENERAL, "compareZarnakObjIds(): %s\n", equal ? "EQUAL" : "!EQUAL");
  return equal ? 0 : 1;
}

int buildFsAttr(char* fsAttrP) {
  std::memset(fsAttrP, 0, FS_ATTR_LENGTH);
  fsAttrP[0] = 'Z';
  return RC_OK;
}
