// Wildcard matching of names for the queries: the two isMatch forms of DBaseQueryEri and the
// free patternMatch. "*" stands for any run of characters, also an empty one; no other
// character is special. All three share one matcher, so a pattern never names more than it
// says: every piece between stars must appear in the name, in order and without overlapping
// ("ab*b" does not match "ab").
#include <atomic>
#include <cstring>

#include "agttrc.h"
#include "baseeri.h"
#include "nlstable.h"

namespace {

std::atomic<uint32_t> s_IgnoreCase{1};

bool sameChar(char a, char b, bool ignoreCase) {
  if (a == b) return true;
  if (!ignoreCase) return false;
  nlsFuncTable* tableP = nlsActiveFuncTable();
  return tableP->m_ToUpper(a) == tableP->m_ToUpper(b);
}

// Matches the whole text against the pattern. On a mismatch after a star, the star takes one
// more character and the match resumes behind it; only the last star seen needs to be retried,
// because an earlier star can never help a later piece fit.
bool wildcardMatch(const char* patternP, const char* textP, bool ignoreCase) {
  const char* starP = nullptr;    // the last star seen in the pattern
  const char* resumeP = nullptr;  // where the text resumes when that star takes one more
  while (*textP != '\0') {
    if (*patternP == '*') {
      starP = patternP++;
      resumeP = textP;
    } else if (*patternP != '\0' && sameChar(*patternP, *textP, ignoreCase)) {
      patternP++;
      textP++;
    } else if (starP != nullptr) {
      patternP = starP + 1;
      textP = ++resumeP;
    } else {
      return false;
    }
  }
  while (*patternP == '*') patternP++;
  return *patternP == '\0';
}

// True when the text is empty or holds nothing but stars.
bool onlyStars(const char* textP) {
  return textP[std::strspn(textP, "*")] == '\0';
}

}  // namespace

void SetIgnoreCase(uint32_t mode) {
  s_IgnoreCase.store(mode);
}

uint32_t GetIgnoreCase() {
  return s_IgnoreCase.load();
}

uint32_t DBaseQueryEri::isMatch(const char* filespecP) {
  static const char* const kName = "DBaseQueryEri::isMatch(filespec)";
  TRACE_LINE(TRC_ERI, "Enter %s\n  filespec      : %s\n  wildcardSpecP : %s\n", kName,
             filespecP != nullptr ? filespecP : "<NULL>",
             wildcardSpecP != nullptr ? wildcardSpecP : "<NULL>");
  uint32_t isDbMatch = 0;
  bool ignoreCase = GetIgnoreCase() == 1;
  if (filespecP == nullptr || wildcardSpecP == nullptr) {
    TRACE_LINE(TRC_ERI, "No name or no wildcard pattern was given.\n");
  } else if (std::strcmp(wildcardSpecP, "*") == 0) {
    isDbMatch = 1;
  } else if (onlyStars(wildcardSpecP)) {
    TRACE_LINE(TRC_ERI, "Error strtok() returned NULL pointer\n");
  } else {
    isDbMatch = wildcardMatch(wildcardSpecP, filespecP, ignoreCase) ? 1 : 0;
    if (isDbMatch == 0 && std::strchr(wildcardSpecP, '*') == nullptr) {
      TRACE_LINE(TRC_ERI, "there is no wildcard and the strings do not compare\n");
    }
  }
  TRACE_LINE(TRC_ERI, "Exit %s, isDbMatch = %u\n", kName, isDbMatch);
  return isDbMatch;
}

uint32_t DBaseQueryEri::isMatch(const char* stringP, const char* patternP) {
  return isMatch(stringP, patternP, GetIgnoreCase());
}

uint32_t DBaseQueryEri::isMatch(const char* stringP, const char* patternP, uint32_t ignoreCase) {
  static const char* const kName = "DBaseQueryEri::isMatch(string, pattern)";
  TRACE_LINE(TRC_ERI, "Enter %s\n  string  : %s\n  pattern : %s\n  ignoreCase : %u\n", kName,
             stringP != nullptr ? stringP : "<NULL>", patternP != nullptr ? patternP : "<NULL>",
             ignoreCase);
  uint32_t isDbMatch = 1;
  if (patternP != nullptr && !onlyStars(patternP)) {
    isDbMatch = stringP != nullptr && wildcardMatch(patternP, stringP, ignoreCase == 1);
  }
  TRACE_LINE(TRC_ERI, "Exit %s, isDbMatch = %u\n", kName, isDbMatch);
  return isDbMatch;
}

uint32_t patternMatch(const char* patternStrP, const char* testStrP, uint32_t caseSensitive) {
  static const char* const kName = "patternMatch()";
  TRACE_LINE(TRC_GENERAL,
             "Enter %s\n  patternStr    : %s\n  testStr       : %s\n"
             "  caseSensitive : %u\n",
             kName, patternStrP != nullptr ? patternStrP : "<NULL>",
             testStrP != nullptr ? testStrP : "<NULL>", caseSensitive);
  uint32_t result = 0;
  if (patternStrP != nullptr && testStrP != nullptr) {
    result = wildcardMatch(patternStrP, testStrP, caseSensitive != 1) ? 1 : 0;
  }
  TRACE_LINE(TRC_GENERAL, "Exit %s, rc = %u\n", kName, result);
  return result;
}
