// The option parser's rules for keywords that may be abbreviated.
#include <strings.h>

#include <cctype>
#include <cstring>

#include "optinfo.h"

namespace {

// The shortest accepted form: the keyword's leading capital letters.
size_t shortestForm(const char* keywordP) {
  size_t length = 0;
  while (keywordP[length] != '\0' && isupper((unsigned char)keywordP[length])) length++;
  return length;
}

bool abbreviates(const char* textP, const char* keywordP) {
  size_t length = strlen(textP);
  if (length == 0 || length < shortestForm(keywordP) || length > strlen(keywordP)) return false;
  return strncasecmp(textP, keywordP, length) == 0;
}

const char* const kYesNo[] = {"No", "Yes", nullptr};

}  // namespace

int isAbbreviation(const char* textP, const char* const keywordsP[], int* positionP) {
  for (int position = 0; keywordsP[position] != nullptr; position++) {
    if (!abbreviates(textP, keywordsP[position])) continue;
    *positionP = position;
    return 1;
  }
  return 0;
}

int parseYesNoArgument(const char* textP) {
  int position = 0;
  if (isAbbreviation(textP, kYesNo, &position) == 0) return OPT_YES_NO_INVALID;
  return position == 0 ? OPT_NO : OPT_YES;
}
