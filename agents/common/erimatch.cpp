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
  TRACE_ENTRY_ARGS(TRC_ERI, "DBaseQueryEri::isMatch(filespec)",
                   "\n  filespec      : %s\n  wildcardSpecP : %s\n",
                   filespecP != nullptr ? filespecP : "<NULL>",
                   wildcardSpecP != nullptr ? wildcardSpecP : "<NULL>");
  if (filespecP == nullptr || wildcardSpecP == nullptr) {
    TRACE_LINE(TRC_ERI, "No name or no wildcard pattern was given.\n");
    TRACE_RETURN_AS("isDbMatch", 0);
  }
  if (std::strcmp(wildcardSpecP, "*") == 0) TRACE_RETURN_AS("isDbMatch", 1);
  if (onlyStars(wildcardSpecP)) {
    TRACE_LINE(TRC_ERI, "Error strtok() returned NULL pointer\n");
    TRACE_RETURN_AS("isDbMatch", 0);
  }
  bool matches = wildcardMatch(wildcardSpecP, filespecP, GetIgnoreCase() == 1);
  if (!matches && std::strchr(wildcardSpecP, '*') == nullptr) {
    TRACE_LINE(TRC_ERI, "there is no wildcard and the strings do not compare\n");
  }
  TRACE_RETURN_AS("isDbMatch", matches ? 1 : 0);
}

uint32_t DBaseQueryEri::isMatch(const char* stringP, const char* patternP) {
  TRACE_ENTRY_ARGS(TRC_ERI, "DBaseQueryEri::isMatch(string, pattern)",
                   "\n  string  : %s\n  pattern : %s\n", stringP != nullptr ? stringP : "<NULL>",
                   patternP != nullptr ? patternP : "<NULL>");
  if (patternP == nullptr || onlyStars(patternP)) TRACE_RETURN_AS("isDbMatch", 1);
  bool matches = stringP != nullptr && wildcardMatch(patternP, stringP, GetIgnoreCase() == 1);
  TRACE_RETURN_AS("isDbMatch", matches ? 1 : 0);
}

uint32_t patternMatch(const char* patternStrP, const char* testStrP, uint32_t caseSensitive) {
  TRACE_ENTRY_ARGS(TRC_GENERAL, "patternMatch()",
                   "\n  patternStr    : %s\n  testStr       : %s\n  caseSensitive : %u\n",
                   patternStrP != nullptr ? patternStrP : "<NULL>",
                   testStrP != nullptr ? testStrP : "<NULL>", caseSensitive);
  if (patternStrP == nullptr || testStrP == nullptr) TRACE_RETURN(0);
  TRACE_RETURN(wildcardMatch(patternStrP, testStrP, caseSensitive != 1) ? 1 : 0);
}
