// The preference keywords as data, and the check of one value against its keyword's limits.
#include <strings.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "agtpref.h"
#include "agtrc.h"
#include "agttrc.h"
#include "cmdparse.h"
#include "nlstable.h"
#include "pkfile.h"
#include "psutil.h"

namespace {

enum PrefKind {
  KIND_NUMBER,
  KIND_SERVER,
  KIND_LANGUAGE,
  KIND_PRUNE_DATE,
  KIND_LOG_FILE,
  KIND_LOG_PRUNE,
  KIND_YES_NO,
  KIND_SQL_AUTH,
};

// What the check of one value found.
enum PrefVerdict {
  VERDICT_ACCEPTED,
  VERDICT_REJECTED,            // the keyword's message
  VERDICT_REJECTED_WITH_PATH,  // the log file's second message
  VERDICT_FAILED,              // 420 even when defaults apply
};

struct PrefRule {
  const char* keywordP;
  PrefKind kind;
  const char* defaultP;  // the default's text; null: the computer's name
  uint32_t minimum;
  uint32_t maximum;
  int32_t OptionsInfo::*fieldP;  // where a number lands
  const char* messageP;
};

constexpr size_t kServerNameMax = 32;
constexpr size_t kLogFileMax = 1792;
const char kNeverPruned[] = "00/00/0000 00:00:00";
const char kLogFileTooLongWithPath[] =
    "Configuration log file name too long when agent path is prepended.";
const char* const kAuthKeywords[] = {"INTegrated", "SQLuserid", nullptr};
const char* const kNoKeyword[] = {"No", nullptr};

const PrefRule kRules[PREF_NUM_KEYWORDS] = {
    {"BUFFers", KIND_NUMBER, "3", 2, 8, &OptionsInfo::nBuffers,
     "Configuration number of buffers out of range."},
    {"BUFFERSIze", KIND_NUMBER, "1024", 64, 8192, &OptionsInfo::nBufferSize,
     "Configuration buffer size out of range."},
    {"DATEformat", KIND_NUMBER, "1", 1, 5, &OptionsInfo::nDateFormat,
     "Configuration dateFormat value invalid."},
    {"DIFFESTimate", KIND_NUMBER, "20", 1, 99, &OptionsInfo::nDiffEstimate,
     "Configuration diffestimate size out of range."},
    {"FROMSQLserver", KIND_SERVER, nullptr, 0, 0, nullptr,
     "Configuration fromsqlserver name too long."},
    {"LANGuage", KIND_LANGUAGE, "AMENG", 0, 0, nullptr, "Configuration language value invalid."},
    {"LastPruneDate", KIND_PRUNE_DATE, kNeverPruned, 0, 0, nullptr,
     "Configuration lastPruneDate value invalid."},
    {"LOGFile", KIND_LOG_FILE, "zarnaksql.log", 0, 0, nullptr,
     "Configuration log file name too long."},
    {"LOGPrune", KIND_LOG_PRUNE, "60", 0, 9999, &OptionsInfo::nLogPrune,
     "Configuration log retention days out of range."},
    {"MOUNTWaitfordata", KIND_YES_NO, "Yes", 0, 0, nullptr,
     "Configuration waitForTape value invalid."},
    {"NUMBERformat", KIND_NUMBER, "1", 1, 6, &OptionsInfo::nNumberFormat,
     "Configuration numberFormat value invalid."},
    {"SQLAUTHentication", KIND_SQL_AUTH, "INTegrated", 0, 0, nullptr,
     "Invalid value for sqlauthentication option."},
    {"SQLBUFFers", KIND_NUMBER, "0", 0, 999, &OptionsInfo::nSqlBuffers,
     "Configuration number of sqlbuffers out of range."},
    {"SQLBUFFERSIze", KIND_NUMBER, "1024", 64, 4096, &OptionsInfo::nSqlBufferSize,
     "Configuration sqlbuffersize out of range."},
    {"SQLSERVer", KIND_SERVER, nullptr, 0, 0, nullptr, "Configuration sqlserver name too long."},
    {"STRIPes", KIND_NUMBER, "1", 1, 64, &OptionsInfo::nStripes,
     "Configuration number of stripes out of range."},
    {"TIMEformat", KIND_NUMBER, "1", 1, 4, &OptionsInfo::nTimeFormat,
     "Configuration timeFormat value invalid."},
};

std::string computerName() {
  char name[OPT_SERVER_NAME_SIZE];
  psGetComputerName(name, sizeof name);
  return name;
}

std::string defaultOf(const PrefRule& rule) {
  return rule.defaultP == nullptr ? computerName() : rule.defaultP;
}

// Copies a text into a fixed field of the options record, cut to fit.
template <size_t N>
void setField(char (&fieldR)[N], const std::string& text) {
  snprintf(fieldR, N, "%s", text.c_str());
}

// An unsigned decimal number with optional blanks around it and nothing else.
bool readUnsigned(const std::string& text, uint32_t* numberP) {
  size_t start = text.find_first_not_of(' ');
  size_t end = text.find_last_not_of(' ');
  if (start == std::string::npos) return false;
  uint64_t number = 0;
  for (size_t i = start; i <= end; i++) {
    if (text[i] < '0' || text[i] > '9') return false;
    number = number * 10 + uint64_t(text[i] - '0');
    if (number > UINT32_MAX) return false;
  }
  *numberP = uint32_t(number);
  return true;
}

bool startsWithNoCase(const std::string& text, const char* prefixP) {
  return strncasecmp(text.c_str(), prefixP, strlen(prefixP)) == 0;
}

PrefVerdict checkNumber(const PrefRule& rule, std::string& value, OptionsInfo* optionsP) {
  uint32_t number = 0;
  if (!readUnsigned(value, &number) || number < rule.minimum || number > rule.maximum) {
    return VERDICT_REJECTED;
  }
  if (optionsP != nullptr) optionsP->*rule.fieldP = int32_t(number);
  return VERDICT_ACCEPTED;
}

PrefVerdict checkLogPrune(const PrefRule& rule, std::string& value, OptionsInfo* optionsP) {
  int position = 0;
  if (isAbbreviation(value.c_str(), kNoKeyword, &position) == 1) {
    value = "No";
    if (optionsP != nullptr) {
      optionsP->nLogPrune = -1;
      optionsP->bLogPruneSpecified = 1;
    }
    return VERDICT_ACCEPTED;
  }
  return checkNumber(rule, value, optionsP);
}

PrefVerdict checkYesNo(std::string& value, OptionsInfo* optionsP) {
  uint32_t answer = 0;
  if (parseYesNoArgument(value.c_str(), &answer, nullptr) != RC_OK) return VERDICT_REJECTED;
  value = answer == 1 ? "Yes" : "No";
  if (optionsP != nullptr) optionsP->bMountWait = answer;
  return VERDICT_ACCEPTED;
}

PrefVerdict checkSqlAuth(std::string& value, OptionsInfo* optionsP) {
  int position = 0;
  if (isAbbreviation(value.c_str(), kAuthKeywords, &position) == 0) return VERDICT_REJECTED;
  value = kAuthKeywords[position];
  if (optionsP != nullptr) optionsP->enumSqlAuth = position;
  return VERDICT_ACCEPTED;
}

PrefVerdict checkLanguage(std::string& value, OptionsInfo* optionsP) {
  for (char& ch : value) ch = nlsActiveFuncTable()->m_ToUpper(ch);
  if (value != "AMENG") return VERDICT_REJECTED;
  if (optionsP != nullptr) setField(optionsP->szLanguage, value);
  return VERDICT_ACCEPTED;
}

PrefVerdict checkPruneDate(std::string& value, OptionsInfo* optionsP) {
  agentDateTime date;
  if (value.size() >= DATE_TIME_TEXT_SIZE) return VERDICT_REJECTED;
  if (value != kNeverPruned && dateParse(value.c_str(), &date) != 0) return VERDICT_REJECTED;
  if (optionsP != nullptr) setField(optionsP->szLastPruneDate, value);
  return VERDICT_ACCEPTED;
}

// Proves that the log file can be written by opening it for appending; an empty file that the
// check leaves behind is removed again.
bool logFileWritable(const std::string& fullName) {
  FILE* fileP = pkFopen(fullName.c_str(), "a");
  if (fileP == nullptr) {
    TRACE_LINE(TRC_CONFIG, "Configuration log file %s cannot be opened, errno = %d\n",
               fullName.c_str(), errno);
    return false;
  }
  pkFclose(fileP);
  pkInt64 size;
  if (pkFSize(fullName.c_str(), &size) != RC_OK || pkInt64ToNative(size) != 0) return true;
  int rc = pkRemove(fullName.c_str());
  if (rc != RC_OK) TRACE_LINE(TRC_CONFIG, "pkRemove() failed, rc = %d\n", rc);
  return true;
}

PrefVerdict checkLogFile(std::string& value, OptionsInfo* optionsP) {
  if (value.size() > kLogFileMax) return VERDICT_REJECTED;
  std::string fullName = value;
  if (value.find('/') == std::string::npos) {
    char dir[OPT_LOG_FILE_SIZE];
    psGetAgentLog(dir, sizeof dir);
    fullName = dir + value;
  }
  if (fullName.size() > kLogFileMax) return VERDICT_REJECTED_WITH_PATH;
  if (!logFileWritable(fullName)) return VERDICT_FAILED;
  if (optionsP != nullptr) setField(optionsP->szLogFile, fullName);
  return VERDICT_ACCEPTED;
}

// With defaults applied, "." and "(LOCAL)" name this computer, keeping an instance name.
PrefVerdict checkServer(int id, std::string& value, OptionsInfo* optionsP, bool useDefault) {
  if (useDefault && (startsWithNoCase(value, ".") || startsWithNoCase(value, "(LOCAL)"))) {
    size_t backslash = value.find('\\');
    value = computerName() + (backslash == std::string::npos ? "" : value.substr(backslash));
  }
  if (value.size() > kServerNameMax) return VERDICT_REJECTED;
  if (optionsP == nullptr) return VERDICT_ACCEPTED;
  setField(id == PREF_SQLSERVER ? optionsP->szSqlServer : optionsP->szFromSqlServer, value);
  return VERDICT_ACCEPTED;
}

PrefVerdict check(int id, std::string& value, OptionsInfo* optionsP, bool useDefault) {
  const PrefRule& rule = kRules[id];
  switch (rule.kind) {
    case KIND_NUMBER:
      return checkNumber(rule, value, optionsP);
    case KIND_SERVER:
      return checkServer(id, value, optionsP, useDefault);
    case KIND_LANGUAGE:
      return checkLanguage(value, optionsP);
    case KIND_PRUNE_DATE:
      return checkPruneDate(value, optionsP);
    case KIND_LOG_FILE:
      return checkLogFile(value, optionsP);
    case KIND_LOG_PRUNE:
      return checkLogPrune(rule, value, optionsP);
    case KIND_YES_NO:
      return checkYesNo(value, optionsP);
    case KIND_SQL_AUTH:
      return checkSqlAuth(value, optionsP);
  }
  return VERDICT_FAILED;
}

// An empty value takes the default (a server name only when defaults apply); a rejected one
// takes it too when defaults apply, and is reported otherwise.
int applyRule(int id, std::string& value, OptionsInfo* optionsP, bool useDefault) {
  const PrefRule& rule = kRules[id];
  if (value.empty() && (useDefault || rule.kind != KIND_SERVER)) value = defaultOf(rule);
  PrefVerdict verdict = check(id, value, optionsP, useDefault);
  if (verdict == VERDICT_ACCEPTED) return RC_OK;
  if (verdict == VERDICT_FAILED) return RC_PREF_BAD_VALUE;
  if (!useDefault) {
    TRACE_LINE(TRC_CONFIG, "%s\n",
               verdict == VERDICT_REJECTED_WITH_PATH ? kLogFileTooLongWithPath : rule.messageP);
    return RC_PREF_BAD_VALUE;
  }
  value = defaultOf(rule);
  return check(id, value, optionsP, useDefault) == VERDICT_ACCEPTED ? RC_OK : RC_PREF_BAD_VALUE;
}

// The flags that a value was named, for the keywords that have one.
void markGiven(int id, OptionsInfo* optionsP) {
  if (id == PREF_STRIPES) optionsP->bStripes = 1;
  if (id == PREF_SQLAUTH) optionsP->bSqlAuthentication = 1;
  if (id == PREF_FROMSQLSERVER) optionsP->bFromSqlServer = 1;
}

}  // namespace

const char* prefKeyword(int id) {
  if (id < 0 || id >= PREF_NUM_KEYWORDS) return nullptr;
  return kRules[id].keywordP;
}

int CPreferences::processPref(int id, char* valueP, size_t valueSize, OptionsInfo* optionsP,
                              int useDefault) {
  if (id < 0 || id >= PREF_NUM_KEYWORDS || valueP == nullptr || valueSize == 0) {
    TRACE_LINE(TRC_CONFIG, "Bad keyword passed in to processPref().\n");
    return RC_INTERNAL_ERROR;
  }
  std::string value = valueP;
  bool given = !value.empty();
  int rc = applyRule(id, value, optionsP, useDefault != 0);
  snprintf(valueP, valueSize, "%s", value.c_str());
  if (rc == RC_OK && given && optionsP != nullptr) markGiven(id, optionsP);
  return rc;
}
