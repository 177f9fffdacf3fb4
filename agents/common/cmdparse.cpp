// The abbreviation rule, the tokenizer and the "Yes"/"No" value of the command-line parser.
#include "cmdparse.h"

#include <cstring>

#include "agtrc.h"
#include "nlstable.h"

namespace {

// The keyword's shortest accepted length: its characters before the first lower-case letter.
size_t minimumLength(const char* keywordP) {
  size_t length = 0;
  while (keywordP[length] != '\0' && !(keywordP[length] >= 'a' && keywordP[length] <= 'z')) {
    length++;
  }
  return length;
}

bool sameUpper(char a, char b) {
  nlsFuncTable* tableP = nlsActiveFuncTable();
  return tableP->m_ToUpper(a) == tableP->m_ToUpper(b);
}

}  // namespace

int isAbbreviation(const char* wordP, const char* keywordP) {
  if (wordP == nullptr || keywordP == nullptr) return 0;
  size_t length = strlen(wordP);
  if (length < minimumLength(keywordP) || length > strlen(keywordP)) return 0;
  for (size_t i = 0; i < length; i++) {
    if (!sameUpper(wordP[i], keywordP[i])) return 0;
  }
  return 1;
}

int isAbbreviation(const char* wordP, const char* const keywordsP[], int* positionP) {
  for (int position = 0; keywordsP[position] != nullptr; position++) {
    if (isAbbreviation(wordP, keywordsP[position]) == 0) continue;
    *positionP = position;
    return 1;
  }
  return 0;
}

int tokenize(char* textP, const char* delimitersP, int maxTokens, char* tokensP[]) {
  if (textP == nullptr || maxTokens < 1) return 0;
  int count = 0;
  tokensP[count++] = textP;
  char* positionP = textP;
  while (count < maxTokens) {
    positionP += strcspn(positionP, delimitersP);
    if (*positionP == '\0') break;
    *positionP++ = '\0';
    if (*positionP == '\0') break;  // a delimiter at the end starts no token
    tokensP[count++] = positionP;
  }
  return count;
}

int parseYesNoArgument(const char* valueP, uint32_t* destP, const uint32_t* defaultP) {
  if (valueP == nullptr) {
    if (defaultP == nullptr) return RC_PARSE_NO_VALUE;
    *destP = *defaultP;
    return RC_OK;
  }
  if (isAbbreviation(valueP, "Yes") == 1) {
    *destP = 1;
    return RC_OK;
  }
  if (isAbbreviation(valueP, "No") == 1) {
    *destP = 0;
    return RC_OK;
  }
  return RC_PARSE_BAD_VALUE;
}
