// The Set keywords and the check of each keyword's value. A value parser takes the value half
// of the keyword "=" value word; on success pszErrorArg and pszSetValue both point at the value,
// which the front end stores with the preferences (which check it once more).
#include <strings.h>

#include <cstring>

#include "agtrc.h"
#include "parseint.h"

namespace {

// The value half: 1201 when it is missing.
int valueHalf(int argc, char* argv[], const int* indexP, const char** valuePP) {
  if (*indexP >= argc) return RC_PARSE_MISSING_WORD;
  *valuePP = argv[*indexP];
  return RC_OK;
}

int accept(OptionsInfo* o, const char* valueP) {
  o->pszErrorArg = valueP;
  o->pszSetValue = valueP;
  return RC_OK;
}

template <int32_t Minimum, int32_t Maximum>
int setNumber(int argc, char* argv[], int* indexP, const ParseCommandRow*, OptionsInfo* o) {
  const char* valueP = nullptr;
  int rc = valueHalf(argc, argv, indexP, &valueP);
  if (rc != RC_OK) return rc;
  int32_t number = 0;
  rc = parseNumber(valueP, Minimum, Maximum, false, &number);
  if (rc != RC_OK) return rc;
  return accept(o, valueP);
}

template <size_t MaxLength>
int setText(int argc, char* argv[], int* indexP, const ParseCommandRow*, OptionsInfo* o) {
  const char* valueP = nullptr;
  int rc = valueHalf(argc, argv, indexP, &valueP);
  if (rc != RC_OK) return rc;
  size_t length = strlen(valueP);
  if (length < 1 || length > MaxLength) return RC_PARSE_BAD_VALUE;
  return accept(o, valueP);
}

// Every language reads the one repository of American English.
int parseSetLanguageArguments(int argc, char* argv[], int* indexP, const ParseCommandRow*,
                              OptionsInfo* o) {
  const char* valueP = nullptr;
  int rc = valueHalf(argc, argv, indexP, &valueP);
  if (rc != RC_OK) return rc;
  if (strlen(valueP) > OPT_LANGUAGE_SIZE - 1 || strcasecmp(valueP, "AMENG") != 0) {
    return RC_PARSE_BAD_VALUE;
  }
  return accept(o, valueP);
}

int parseSetLogpruneArguments(int argc, char* argv[], int* indexP, const ParseCommandRow*,
                              OptionsInfo* o) {
  const char* valueP = nullptr;
  int rc = valueHalf(argc, argv, indexP, &valueP);
  if (rc != RC_OK) return rc;
  int32_t days = 0;
  if (isAbbreviation(valueP, "No") == 0) rc = parseNumber(valueP, 0, 9999, false, &days);
  if (rc != RC_OK) return rc;
  return accept(o, valueP);
}

int parseSetMountwaitForDataArguments(int argc, char* argv[], int* indexP, const ParseCommandRow*,
                                      OptionsInfo* o) {
  const char* valueP = nullptr;
  int rc = valueHalf(argc, argv, indexP, &valueP);
  if (rc != RC_OK) return rc;
  uint32_t answer = 0;
  rc = parseYesNoArgument(valueP, &answer, nullptr);
  if (rc != RC_OK) return rc;
  return accept(o, valueP);
}

int parseSetSqlAuthenticationArguments(int argc, char* argv[], int* indexP, const ParseCommandRow*,
                                       OptionsInfo* o) {
  static const char* const kAuthKeywords[] = {"INTegrated", "SQLuserid", nullptr};
  const char* valueP = nullptr;
  int rc = valueHalf(argc, argv, indexP, &valueP);
  if (rc != RC_OK) return rc;
  int position = 0;
  if (isAbbreviation(valueP, kAuthKeywords, &position) == 0) return RC_PARSE_BAD_VALUE;
  o->enumSqlAuth = position;
  return accept(o, valueP);
}

}  // namespace

// No keyword has id 84.
const ParseCommandRow gParseSetKeywords[] = {
    {"BUFFers", CMD_SET_BUFFERS, setNumber<1, 8>, nullptr},
    {"BUFFERSIze", CMD_SET_BUFFERSIZE, setNumber<64, 8192>, nullptr},
    {"DATEformat", CMD_SET_DATEFORMAT, setNumber<1, 5>, nullptr},
    {"DIFFESTimate", CMD_SET_DIFFESTIMATE, setNumber<1, 99>, nullptr},
    {"FROMSQLserver", CMD_SET_FROMSQLSERVER, setText<15>, nullptr},
    {"LANGuage", CMD_SET_LANGUAGE, parseSetLanguageArguments, nullptr},
    {"LOGFile", CMD_SET_LOGFILE, setText<OPT_PATH_SIZE - 1>, nullptr},
    {"LOGPrune", CMD_SET_LOGPRUNE, parseSetLogpruneArguments, nullptr},
    {"MOUNTWaitfordata", CMD_SET_MOUNTWAIT, parseSetMountwaitForDataArguments, nullptr},
    {"NUMBERformat", CMD_SET_NUMBERFORMAT, setNumber<1, 6>, nullptr},
    {"SQLAUTHentication", CMD_SET_SQLAUTH, parseSetSqlAuthenticationArguments, nullptr},
    {"SQLBUFFers", CMD_SET_SQLBUFFERS, setNumber<0, 999>, nullptr},
    {"SQLBUFFERSIze", CMD_SET_SQLBUFFERSIZE, setNumber<64, 4096>, nullptr},
    {"SQLSERVer", CMD_SET_SQLSERVER, setText<OPT_SERVER_NAME_SIZE - 1>, nullptr},
    {"STRIPes", CMD_SET_STRIPES, setNumber<1, 64>, nullptr},
    {"TIMEformat", CMD_SET_TIMEFORMAT, setNumber<1, 4>, nullptr},
    {nullptr, 57, nullptr, nullptr},
};
