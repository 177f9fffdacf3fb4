// The preferences object: reads the keywords from the configuration file and writes them back.
#include "agtpref.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "agtrc.h"
#include "agttrc.h"
#include "basedata.h"
#include "nlstable.h"

namespace {

// The store's key of a keyword: the keyword and one blank.
std::string keyOf(int id) {
  return std::string(prefKeyword(id)) + " ";
}

bool hasLineBreak(const char* textP) {
  return strpbrk(textP, "\r\n") != nullptr;
}

}  // namespace

CPreferences::CPreferences(const char* configFileP)
    : m_pBaseData(new (std::nothrow) BaseDataClass(configFileP)) {
  if (m_pBaseData == nullptr) {
    TRACE_LINE(TRC_CONFIG, "Preferences error when creating DcgBaseDataServer class.\n");
  }
}

CPreferences::~CPreferences() {
  delete m_pBaseData;
}

int CPreferences::getPreferences(int id, char* valueP, size_t valueSize, OptionsInfo* optionsP,
                                 int useDefault) {
  if (id < 0 || id >= PREF_NUM_KEYWORDS || m_pBaseData == nullptr || valueSize == 0) {
    return RC_INTERNAL_ERROR;
  }
  valueP[0] = '\0';
  m_pBaseData->getValue(keyOf(id).c_str(), valueP, valueSize);
  return processPref(id, valueP, valueSize, optionsP, useDefault);
}

int CPreferences::getAllPreferences(OptionsInfo* optionsP, int useDefault) {
  char value[PREF_VALUE_SIZE];
  for (int id = 0; id < PREF_NUM_KEYWORDS; id++) {
    int rc = getPreferences(id, value, sizeof value, optionsP, useDefault);
    if (rc != RC_OK) return rc;
  }
  if (optionsP == nullptr) return RC_OK;
  if (optionsP->bFromSqlServer == 0) {
    snprintf(optionsP->szFromSqlServer, sizeof optionsP->szFromSqlServer, "%s",
             optionsP->szSqlServer);
    nlsActiveFuncTable()->m_StrUpr(optionsP->szFromSqlServer);
  } else {
    optionsP->bFromSqlServer = 0;  // named by the file, not by the command line
  }
  return RC_OK;
}

int CPreferences::setPreferences(int id, const char* valueP, OptionsInfo* optionsP) {
  if (id < 0 || id >= PREF_NUM_KEYWORDS) {
    TRACE_LINE(TRC_CONFIG, "Bad keyword passed in to setPreferences().\n");
    return RC_INTERNAL_ERROR;
  }
  if (valueP == nullptr) {
    TRACE_LINE(TRC_CONFIG, "No valued passed in to setPreferences().\n");
    return RC_PREF_BAD_VALUE;
  }
  if (hasLineBreak(valueP)) {  // it would add a line of its own to the file
    TRACE_LINE(TRC_CONFIG, "A preference value may not hold a line break.\n");
    return RC_PREF_BAD_VALUE;
  }
  char value[PREF_VALUE_SIZE];
  snprintf(value, sizeof value, "%s", valueP);
  int rc = processPref(id, value, sizeof value, optionsP, 0);
  if (rc != RC_OK) {
    TRACE_LINE(TRC_CONFIG, "processPref() rc = %d\n", rc);
    return rc;
  }
  if (m_pBaseData == nullptr) {
    TRACE_LINE(TRC_CONFIG, "BaseDataP is NULL.\n");
    return RC_INTERNAL_ERROR;
  }
  // Another program may have set a preference since this object read the file: the value is
  // set in the file as it is now, under its lock.
  rc = m_pBaseData->storeValue(keyOf(id).c_str(), value);
  if (rc != RC_OK) TRACE_LINE(TRC_CONFIG, "Error setting preference, rc = %d.\n", rc);
  return rc;
}
