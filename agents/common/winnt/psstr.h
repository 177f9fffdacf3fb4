// The single-byte string operations behind the slots of the string-function table (nlstable.h).
// Narrow text is UTF-8 here; every byte of 128 and above is neither a letter nor a blank, so
// case folding and letter tests touch only ASCII letters and never split a multi-byte character.
// Callers use the table's slots; these names exist so the table can be built from them.
#pragma once

#include <cstddef>

size_t psStrLen(const char* textP);
int psStrIsEmpty(const char* textP);  // 1 for a null or empty text
char* psStrCat(char* destP, const char* srcP);
char* psStrNCat(char* destP, const char* srcP, size_t count);
char* psStrCpy(char* destP, const char* srcP);
char* psStrNCpy(char* destP, const char* srcP, size_t count);
int psStrCmp(const char* aP, const char* bP);
int psStrNCmp(const char* aP, const char* bP, size_t count);
char* psStrChr(const char* textP, int ch);
char* psStrRChr(const char* textP, int ch);
size_t psStrSpn(const char* textP, const char* setP);
size_t psStrCSpn(const char* textP, const char* setP);
char* psStrPBrk(const char* textP, const char* setP);
char* psStrStr(const char* textP, const char* wantedP);

// strtok with a save pointer of the calling thread's own: threads tokenizing at once never see
// each other's text.
char* psStrTok(char* textP, const char* delimitersP);

// strtol with the result clamped to the signed 32-bit range (errno ERANGE when clamped), as on
// the platform whose long is 32 bits.
long psStrToL(const char* textP, char** endPP, int base);

// A copy in a block from MALLOC (give it back with FREE); null for a null text or when memory
// runs out.
char* psStrDup(const char* textP);
int psStrICmp(const char* aP, const char* bP);
char* psStrUpr(char* textP);  // each letter through psCharUpper, in place; returns the text
char* psStrLwr(char* textP);  // each letter through psCharLower, in place; returns the text
char* psCharNext(const char* posP);  // the same address at the terminator
char* psCharPrev(const char* startP, const char* posP);  // the position itself at the start
int psCharLen(const char* posP);                          // 1
int psIsBlank(const char* posP);                          // isspace of the byte
int psIsSingleByteStr(const char* textP);                 // 1
int psAlwaysZero(const char* textP);
int psAlwaysMinusOne(const char* textP);
int psByteType(const char* textP, size_t index);  // 0: single byte
int psIsCharAlpha(char ch);
int psIsCharLower(char ch);
int psIsCharUpper(char ch);
char psCharLower(char ch);
char psCharUpper(char ch);
int psIsCharAlphaNumeric(char ch);
