// The process-wide table of string operations and of the user's date, time and number
// conventions. The engine never calls the C string routines directly on text a user may see or
// type: it calls them through the slots of this table, so that a multi-byte build could swap in
// character-aware versions. The table is filled once at start-up, before any thread starts, and
// only read afterwards.
#pragma once

#include <cstddef>
#include <cstdint>

struct nlsFuncTable;

// A format setter of slots 60 to 62: (table, format number), returns 0.
typedef int (*nlsFormatSetter)(nlsFuncTable* tableP, int formatNumber);

enum nlsCodeSetClass : int32_t {
  NLS_CODESET_SINGLE_BYTE = 1,
  NLS_CODESET_MULTI_BYTE = 2,
  NLS_CODESET_MULTI_BYTE_ALT = 3,
};

enum {
  NLS_DATE_FORMAT_SIZE = 12,  // a date or time format, and a formatted date or time, with its zero
  NLS_AMPM_SIZE = 6,
};

// Fields in stored order; the comment of each operation gives its slot number.
struct nlsFuncTable {
  int32_t m_CodeSetClass;
  char m_DateSeparator;
  char m_TimeSeparator;
  char m_ThousandsSeparator;
  char m_DecimalSeparator[2];  // the character, stored twice
  char m_DateFormat[NLS_DATE_FORMAT_SIZE];
  char m_TimeFormat[NLS_DATE_FORMAT_SIZE];
  char m_AmString[NLS_AMPM_SIZE];
  char m_PmString[NLS_AMPM_SIZE];

  size_t (*m_StrLen)(const char* textP);                                // 30
  size_t (*m_StrByteLen)(const char* textP);                            // 31
  size_t (*m_StrCharLen)(const char* textP);                            // 32
  int (*m_StrIsEmpty)(const char* textP);                               // 33
  char* (*m_StrCat)(char* destP, const char* srcP);                     // 34
  char* (*m_StrNCat)(char* destP, const char* srcP, size_t count);      // 35
  char* (*m_StrCpy)(char* destP, const char* srcP);                     // 36
  char* (*m_StrNCpy)(char* destP, const char* srcP, size_t count);      // 37
  int (*m_StrCmp)(const char* aP, const char* bP);                      // 38
  int (*m_StrNCmp)(const char* aP, const char* bP, size_t count);       // 39
  char* (*m_StrChr)(const char* textP, int ch);                         // 40
  char* (*m_StrRChr)(const char* textP, int ch);                        // 41
  size_t (*m_StrSpn)(const char* textP, const char* setP);              // 42
  size_t (*m_StrCSpn)(const char* textP, const char* setP);             // 43
  char* (*m_StrPBrk)(const char* textP, const char* setP);              // 44
  char* (*m_StrStr)(const char* textP, const char* wantedP);            // 45
  char* (*m_StrTok)(char* textP, const char* delimitersP);              // 46
  long (*m_StrToL)(const char* textP, char** endPP, int base);          // 47
  char* (*m_StrDup)(const char* textP);                                 // 48
  int (*m_StrICmp)(const char* aP, const char* bP);                     // 49
  char* (*m_StrUpr)(char* textP);                                       // 50
  char* (*m_StrLwr)(char* textP);                                       // 51
  char* (*m_CharNext)(const char* posP);                                // 52
  char* (*m_CharPrev)(const char* startP, const char* posP);            // 53
  int (*m_CharLen)(const char* posP);                                   // 54
  int (*m_IsBlank)(const char* posP);                                   // 55
  int (*m_IsSingleByteStr)(const char* textP);                          // 56
  int (*m_AlwaysZero)(const char* textP);                               // 57
  int (*m_AlwaysMinusOne)(const char* textP);                           // 58
  int (*m_ByteType)(const char* textP, size_t index);                   // 59
  nlsFormatSetter m_SetDateFormat;                                      // 60
  nlsFormatSetter m_SetTimeFormat;                                      // 61
  nlsFormatSetter m_SetNumberFormat;                                    // 62
  int (*m_IsAlpha)(char ch);                                            // 63
  int (*m_IsLower)(char ch);                                            // 64
  int (*m_IsUpper)(char ch);                                            // 65
  char (*m_ToLower)(char ch);                                           // 66
  char (*m_ToUpper)(char ch);                                           // 67
  int (*m_IsAlnum)(char ch);                                            // 68
};

// Clears the one table and returns it.
nlsFuncTable* nlsGetFuncTable();

// Sets the C locale from the environment, records the code pages, stores the code-set class
// (always single-byte here), sets date, time and number format 1 and fills the operations.
// Returns 0; a null table is left alone.
int nlsInitFuncTable(nlsFuncTable* tableP);

// Nothing to release; changes nothing.
void nlsTermFuncTable(nlsFuncTable* tableP);

// The one table, for the services of this library that read it. It starts out filled with the
// single-byte operations and format 1 everywhere, so a slot is never null, even before
// nlsInitFuncTable runs; others reach the same table through the national-language state.
nlsFuncTable* nlsActiveFuncTable();

// Date formats: 1 "%m/%d/%Y", 2 "%d-%m-%Y", 3 "%Y-%m-%d", 4 "%d.%m.%Y", 5 "%Y.%m.%d"; 0 is 1; any
// other number keeps the stored format (format 1 when none is stored yet). The date separator is
// the third character of the stored format. Returns 0.
int nlsSetDateFormat(nlsFuncTable* tableP, int formatNumber);

// Time formats: 1 "%H:%M:%S", 2 "%H,%M,%S", 3 "%H.%M.%S", 4 "%I:%M:%S%p" with "AM" and "PM";
// 0 is 1; other numbers as for the date. Empties both AM and PM texts first. Returns 0.
int nlsSetTimeFormat(nlsFuncTable* tableP, int formatNumber);

// Thousands and decimal separator: 2 ',' ','; 3 ' ' ','; 4 ' ' '.'; 5 '.' ','; 6 '\'' ',';
// 1 and any other number ',' '.'. Returns 0.
int nlsSetNumberFormat(nlsFuncTable* tableP, int formatNumber);
