#include "psstr.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "agtmem.h"

namespace {

// The <cctype> tests take an unsigned char value; a plain char above 127 is negative here.
int byteOf(char ch) { return static_cast<unsigned char>(ch); }

}  // namespace

size_t psStrLen(const char* textP) { return strlen(textP); }
int psStrIsEmpty(const char* textP) { return textP == nullptr || textP[0] == '\0' ? 1 : 0; }
char* psStrCat(char* destP, const char* srcP) { return strcat(destP, srcP); }
char* psStrNCat(char* destP, const char* srcP, size_t count) {
  return strncat(destP, srcP, count);
}
char* psStrCpy(char* destP, const char* srcP) { return strcpy(destP, srcP); }
char* psStrNCpy(char* destP, const char* srcP, size_t count) {
  return strncpy(destP, srcP, count);
}
int psStrCmp(const char* aP, const char* bP) { return strcmp(aP, bP); }
int psStrNCmp(const char* aP, const char* bP, size_t count) { return strncmp(aP, bP, count); }
char* psStrChr(const char* textP, int ch) { return const_cast<char*>(strchr(textP, ch)); }
char* psStrRChr(const char* textP, int ch) { return const_cast<char*>(strrchr(textP, ch)); }
size_t psStrSpn(const char* textP, const char* setP) { return strspn(textP, setP); }
size_t psStrCSpn(const char* textP, const char* setP) { return strcspn(textP, setP); }
char* psStrPBrk(const char* textP, const char* setP) {
  return const_cast<char*>(strpbrk(textP, setP));
}
char* psStrStr(const char* textP, const char* wantedP) {
  return const_cast<char*>(strstr(textP, wantedP));
}

char* psStrTok(char* textP, const char* delimitersP) {
  thread_local char* t_SaveP = nullptr;
  return strtok_r(textP, delimitersP, &t_SaveP);
}

long psStrToL(const char* textP, char** endPP, int base) {
  long value = strtol(textP, endPP, base);
  if (value > INT32_MAX) {
    errno = ERANGE;
    return INT32_MAX;
  }
  if (value < INT32_MIN) {
    errno = ERANGE;
    return INT32_MIN;
  }
  return value;
}

char* psStrDup(const char* textP) {
  if (textP == nullptr) {
    return nullptr;
  }
  size_t size = strlen(textP) + 1;
  if (size > UINT32_MAX) {  // beyond what the memory wrappers take
    return nullptr;
  }
  char* copyP = static_cast<char*>(MALLOC(static_cast<uint32_t>(size)));
  if (copyP == nullptr) {
    return nullptr;
  }
  memcpy(copyP, textP, size);
  return copyP;
}

int psStrICmp(const char* aP, const char* bP) { return strcasecmp(aP, bP); }

char* psStrUpr(char* textP) {
  for (char* p = textP; *p != '\0'; ++p) {
    if (psIsCharAlpha(*p)) {
      *p = psCharUpper(*p);
    }
  }
  return textP;
}

char* psStrLwr(char* textP) {
  for (char* p = textP; *p != '\0'; ++p) {
    if (psIsCharAlpha(*p)) {
      *p = psCharLower(*p);
    }
  }
  return textP;
}

char* psCharNext(const char* posP) {
  return const_cast<char*>(*posP == '\0' ? posP : posP + 1);
}

char* psCharPrev(const char* startP, const char* posP) {
  return const_cast<char*>(posP <= startP ? posP : posP - 1);
}

int psCharLen(const char*) { return 1; }
int psIsBlank(const char* posP) { return isspace(byteOf(*posP)) ? 1 : 0; }
int psIsSingleByteStr(const char*) { return 1; }
int psAlwaysZero(const char*) { return 0; }
int psAlwaysMinusOne(const char*) { return -1; }
int psByteType(const char*, size_t) { return 0; }
int psIsCharAlpha(char ch) { return isalpha(byteOf(ch)) ? 1 : 0; }
int psIsCharLower(char ch) { return islower(byteOf(ch)) ? 1 : 0; }
int psIsCharUpper(char ch) { return isupper(byteOf(ch)) ? 1 : 0; }
char psCharLower(char ch) { return static_cast<char>(tolower(byteOf(ch))); }
char psCharUpper(char ch) { return static_cast<char>(toupper(byteOf(ch))); }
int psIsCharAlphaNumeric(char ch) { return isalnum(byteOf(ch)) ? 1 : 0; }
