#include "basedata.h"

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "agtmem.h"
#include "agtrc.h"
#include "nlstable.h"
#include "pkfile.h"
#include "textline.h"

namespace {

const char kSeparator[] = "     ";

// Whether the line is an entry of the keyword (the key less its trailing blank): the keyword,
// compared without regard to case, then a blank, an "=" or the end of the line. When it is,
// *valuePP points at the value: after the blanks and one "=".
bool matchLine(const char* lineP, const char* keyP, size_t keywordLength, const char** valuePP) {
  const nlsFuncTable* tableP = nlsActiveFuncTable();
  for (size_t i = 0; i < keywordLength; i++) {
    if (lineP[i] == '\0' || tableP->m_ToUpper(lineP[i]) != tableP->m_ToUpper(keyP[i])) {
      return false;
    }
  }
  const char* restP = lineP + keywordLength;
  if (*restP != ' ' && *restP != '=' && *restP != '\0') return false;
  while (*restP == ' ') restP++;
  if (*restP == '=') restP++;
  *valuePP = restP;
  return true;
}

size_t keywordLength(const char* keyP) {
  size_t length = nlsActiveFuncTable()->m_StrLen(keyP);
  return length > 0 && keyP[length - 1] == ' ' ? length - 1 : length;
}

void copyCut(char* textP, size_t textSize, const char* valueP) {
  if (textSize == 0) return;
  snprintf(textP, textSize, "%s", valueP);
}

}  // namespace

BaseDataClass::BaseDataClass(const char* fileNameP)
    : m_pTextLines(nullptr),
      m_Loaded(0),
      m_Modified(0),
      m_pFileName(nullptr),
      m_pSeparator(kSeparator) {
  if (fileNameP != nullptr) m_pFileName = nlsActiveFuncTable()->m_StrDup(fileNameP);
  m_pTextLines = new (std::nothrow) CTextLineList(fileNameP);
  if (m_pTextLines != nullptr && m_pTextLines->getCount() > 0) m_Loaded = 1;
}

BaseDataClass::~BaseDataClass() {
  delete m_pTextLines;
  if (m_pFileName != nullptr) FREE(&m_pFileName);
}

// The number of the last line of the key, or -1; *valuePP then points at its value.
int BaseDataClass::findLast(const char* keyP, const char** valuePP) {
  if (m_pTextLines == nullptr) return -1;
  size_t length = keywordLength(keyP);
  int found = -1;
  int32_t count = m_pTextLines->getCount();
  for (int32_t n = 0; n < count; n++) {
    const char* valueP = nullptr;
    const char* lineP = m_pTextLines->getLine(n);
    if (lineP != nullptr && matchLine(lineP, keyP, length, &valueP)) {
      found = n;
      *valuePP = valueP;
    }
  }
  return found;
}

int BaseDataClass::getValue(const char* keyP, char* textP, size_t textSize) {
  if (keyP == nullptr) return 0;
  const char* valueP = nullptr;
  if (findLast(keyP, &valueP) < 0) return 0;
  copyCut(textP, textSize, valueP);
  return 1;
}

int BaseDataClass::getValue(const char* keyP, char* textP, size_t textSize, const char* defaultP) {
  if (keyP == nullptr) return 0;
  const char* valueP = nullptr;
  bool present = findLast(keyP, &valueP) >= 0 && valueP[0] != '\0';
  copyCut(textP, textSize, present ? valueP : defaultP);
  return 1;
}

int BaseDataClass::getInt(const char* keyP, int* numberP) {
  if (keyP == nullptr) return 0;
  const char* valueP = nullptr;
  if (findLast(keyP, &valueP) < 0) return 0;
  *numberP = atoi(valueP);
  return 1;
}

int BaseDataClass::getInt(const char* keyP, int* numberP, int defaultValue) {
  if (keyP == nullptr) return 0;
  if (getInt(keyP, numberP) == 1) return 1;
  *numberP = defaultValue;
  return 0;
}

int BaseDataClass::getInt(const char* keyP, int* numberP, int defaultValue, int minimum,
                          int maximum) {
  int rc = getInt(keyP, numberP, defaultValue);
  if (keyP == nullptr) return 0;
  if (*numberP < minimum) *numberP = minimum;
  if (*numberP > maximum) *numberP = maximum;
  return rc;
}

int BaseDataClass::getDouble(const char* keyP, double* numberP) {
  if (keyP == nullptr) return 0;
  const char* valueP = nullptr;
  if (findLast(keyP, &valueP) < 0) return 0;
  *numberP = atof(valueP);
  return 1;
}

// Replaces the key's last line, or appends one.
void BaseDataClass::putLine(const char* keyP, const char* textP) {
  if (m_pTextLines == nullptr) return;
  std::string line = std::string(keyP) + m_pSeparator + textP;
  const char* valueP = nullptr;
  int n = findLast(keyP, &valueP);
  if (n >= 0) {
    m_pTextLines->setLine(n, line.c_str());
  } else {
    m_pTextLines->addLine(line.c_str());
  }
  m_Modified = 1;
}

int BaseDataClass::setValue(const char* keyP, const char* textP) {
  if (keyP == nullptr || textP == nullptr) return 0;
  const nlsFuncTable* tableP = nlsActiveFuncTable();
  if (tableP->m_StrLen(keyP) + tableP->m_StrLen(textP) > BASEDATA_MAX_LINE) return 0;
  putLine(keyP, textP);
  return 1;
}

int BaseDataClass::setInt(const char* keyP, int number) {
  if (keyP == nullptr) return 0;
  putLine(keyP, std::to_string(number).c_str());
  return 1;
}

int BaseDataClass::setDouble(const char* keyP, double number) {
  if (keyP == nullptr) return 0;
  char text[64];
  snprintf(text, sizeof text, "%g", number);
  putLine(keyP, text);
  return 1;
}

int BaseDataClass::remove(const char* keyP) {
  if (keyP == nullptr) return 0;
  const char* valueP = nullptr;
  for (int n; (n = findLast(keyP, &valueP)) >= 0;) {
    m_pTextLines->removeLine(n);
    m_Modified = 1;
  }
  return 1;
}

void BaseDataClass::reload() {
  delete m_pTextLines;
  m_pTextLines = new (std::nothrow) CTextLineList(m_pFileName);
  m_Loaded = m_pTextLines != nullptr && m_pTextLines->getCount() > 0 ? 1 : 0;
  m_Modified = 0;
}

int BaseDataClass::storeValue(const char* keyP, const char* textP) {
  if (m_pFileName == nullptr) return RC_FILE_OPEN_FAILED;
  std::string lockName = std::string(m_pFileName) + ".lock";
  int lockFd = pkLockFile(lockName.c_str());
  if (lockFd < 0) return RC_FILE_OPEN_FAILED;
  reload();
  int rc = setValue(keyP, textP) == 0 ? RC_PREF_NOT_STORED : flush();
  pkUnlockFile(lockName.c_str(), lockFd);
  return rc;
}

int BaseDataClass::flush() {
  if (m_pFileName == nullptr) return RC_OK;
  return save(m_pFileName);
}

int BaseDataClass::save(const char* fileNameP) {
  if (m_Modified == 0 || m_pTextLines == nullptr) return RC_OK;
  int rc = m_pTextLines->store(fileNameP);
  if (rc == RC_OK) m_Modified = 0;
  return rc;
}
