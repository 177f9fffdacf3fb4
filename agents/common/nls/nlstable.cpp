#include "nlstable.h"

#include <clocale>
#include <cstring>
#include <iterator>

#include "agtrc.h"
#include "nlscodepage.h"
#include "psstr.h"

namespace {

constexpr const char* kDateFormats[] = {"%m/%d/%Y", "%d-%m-%Y", "%Y-%m-%d", "%d.%m.%Y", "%Y.%m.%d"};
constexpr const char* kTimeFormats[] = {"%H:%M:%S", "%H,%M,%S", "%H.%M.%S", "%I:%M:%S%p"};
constexpr int kTwelveHourFormat = 4;

struct NumberSeparators {
  char thousands;
  char decimal;
};
// Index 0 is format 1, the default for every number out of range.
constexpr NumberSeparators kNumberSeparators[] = {{',', '.'}, {',', ','}, {' ', ','},
                                                  {' ', '.'}, {'.', ','}, {'\'', ','}};

// The single-byte operations and format 1 of every convention.
constexpr nlsFuncTable singleByteTable() {
  nlsFuncTable t{};
  t.m_CodeSetClass = NLS_CODESET_SINGLE_BYTE;
  t.m_DateSeparator = '/';
  t.m_TimeSeparator = ':';
  t.m_ThousandsSeparator = ',';
  t.m_DecimalSeparator[0] = t.m_DecimalSeparator[1] = '.';
  for (int i = 0; kDateFormats[0][i] != '\0'; ++i) t.m_DateFormat[i] = kDateFormats[0][i];
  for (int i = 0; kTimeFormats[0][i] != '\0'; ++i) t.m_TimeFormat[i] = kTimeFormats[0][i];
  t.m_StrLen = psStrLen;
  t.m_StrByteLen = psStrLen;
  t.m_StrCharLen = psStrLen;
  t.m_StrIsEmpty = psStrIsEmpty;
  t.m_StrCat = psStrCat;
  t.m_StrNCat = psStrNCat;
  t.m_StrCpy = psStrCpy;
  t.m_StrNCpy = psStrNCpy;
  t.m_StrCmp = psStrCmp;
  t.m_StrNCmp = psStrNCmp;
  t.m_StrChr = psStrChr;
  t.m_StrRChr = psStrRChr;
  t.m_StrSpn = psStrSpn;
  t.m_StrCSpn = psStrCSpn;
  t.m_StrPBrk = psStrPBrk;
  t.m_StrStr = psStrStr;
  t.m_StrTok = psStrTok;
  t.m_StrToL = psStrToL;
  t.m_StrDup = psStrDup;
  t.m_StrICmp = psStrICmp;
  t.m_StrUpr = psStrUpr;
  t.m_StrLwr = psStrLwr;
  t.m_CharNext = psCharNext;
  t.m_CharPrev = psCharPrev;
  t.m_CharLen = psCharLen;
  t.m_IsBlank = psIsBlank;
  t.m_IsSingleByteStr = psIsSingleByteStr;
  t.m_AlwaysZero = psAlwaysZero;
  t.m_AlwaysMinusOne = psAlwaysMinusOne;
  t.m_ByteType = psByteType;
  t.m_SetDateFormat = nlsSetDateFormat;
  t.m_SetTimeFormat = nlsSetTimeFormat;
  t.m_SetNumberFormat = nlsSetNumberFormat;
  t.m_IsAlpha = psIsCharAlpha;
  t.m_IsLower = psIsCharLower;
  t.m_IsUpper = psIsCharUpper;
  t.m_ToLower = psCharLower;
  t.m_ToUpper = psCharUpper;
  t.m_IsAlnum = psIsCharAlphaNumeric;
  return t;
}

constinit nlsFuncTable s_FuncTable = singleByteTable();

// Copies the format of the given number (1-based, 0 taken as 1) into the stored one; any other
// number keeps what is stored, or format 1 when nothing is stored yet. Then takes the separator
// from the stored format: the character after the first conversion.
void setFormat(nlsFuncTable* tableP, char* storedP, char* separatorP, const char* const* formatsP,
               int count, int formatNumber) {
  if (formatNumber == 0) {
    formatNumber = 1;
  }
  if (formatNumber >= 1 && formatNumber <= count) {
    tableP->m_StrCpy(storedP, formatsP[formatNumber - 1]);
  } else if (storedP[0] == '\0') {
    tableP->m_StrCpy(storedP, formatsP[0]);
  }
  *separatorP = storedP[2];
}

}  // namespace

nlsFuncTable* nlsActiveFuncTable() {
  return &s_FuncTable;
}

nlsFuncTable* nlsGetFuncTable() {
  memset(&s_FuncTable, 0, sizeof s_FuncTable);
  return &s_FuncTable;
}

int nlsInitFuncTable(nlsFuncTable* tableP) {
  if (tableP == nullptr) {
    return RC_OK;
  }
  setlocale(LC_ALL, "");
  *tableP = singleByteTable();
  tableP->m_CodeSetClass = psInitCodePages();
  return RC_OK;
}

void nlsTermFuncTable(nlsFuncTable*) {}

int nlsSetDateFormat(nlsFuncTable* tableP, int formatNumber) {
  setFormat(tableP, tableP->m_DateFormat, &tableP->m_DateSeparator, kDateFormats,
            static_cast<int>(std::size(kDateFormats)), formatNumber);
  return RC_OK;
}

int nlsSetTimeFormat(nlsFuncTable* tableP, int formatNumber) {
  tableP->m_AmString[0] = '\0';
  tableP->m_PmString[0] = '\0';
  setFormat(tableP, tableP->m_TimeFormat, &tableP->m_TimeSeparator, kTimeFormats,
            static_cast<int>(std::size(kTimeFormats)), formatNumber);
  if (formatNumber == kTwelveHourFormat) {
    tableP->m_StrCpy(tableP->m_AmString, "AM");
    tableP->m_StrCpy(tableP->m_PmString, "PM");
  }
  return RC_OK;
}

int nlsSetNumberFormat(nlsFuncTable* tableP, int formatNumber) {
  int count = static_cast<int>(std::size(kNumberSeparators));
  const NumberSeparators& s =
      kNumberSeparators[formatNumber >= 1 && formatNumber <= count ? formatNumber - 1 : 0];
  tableP->m_ThousandsSeparator = s.thousands;
  tableP->m_DecimalSeparator[0] = tableP->m_DecimalSeparator[1] = s.decimal;
  return RC_OK;
}
