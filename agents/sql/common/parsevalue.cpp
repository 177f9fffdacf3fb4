// The value routines that the argument, option and Set parsers share.
#include <cstdio>
#include <cstring>

#include "agtrc.h"
#include "nlstable.h"
#include "parseint.h"

namespace {

// Appends the pieces of a comma-separated value, each 1 to N - 1 characters. An empty value
// names nothing and is refused, as an empty piece is: `backup ""` must not back up no
// database and call that a success.
template <size_t N, class Entry>
int appendNames(const char* valueP, CLinkedList<Entry>* listP) {
  if (valueP == nullptr) return RC_PARSE_NO_VALUE;
  if (valueP[0] == '\0') return RC_PARSE_BAD_VALUE;
  const char* pieceP = valueP;
  while (*pieceP != '\0') {
    size_t length = strcspn(pieceP, ",");
    if (length == 0 || length >= N) return RC_PARSE_BAD_VALUE;
    Entry entry{};
    memcpy(entry.szName, pieceP, length);
    int rc = listP->addTail(&entry);
    if (rc != RC_OK) return rc;
    pieceP += length;
    if (*pieceP == ',') pieceP++;  // a comma at the very end adds nothing
  }
  return RC_OK;
}

bool hasName(const char* textP, const char* nameP) {
  size_t length = strlen(nameP);
  for (const char* atP = strstr(textP, nameP); atP != nullptr; atP = strstr(atP + 1, nameP)) {
    bool startsWord = atP == textP || atP[-1] == ' ';
    if (startsWord && (atP[length] == ' ' || atP[length] == '\0')) return true;
  }
  return false;
}

}  // namespace

int parseStringArgument(const char* valueP, char* bufferP, size_t bufferSize,
                        const char* defaultP) {
  if (valueP != nullptr) {
    size_t length = strlen(valueP);
    if (length < 1 || length >= bufferSize) return RC_PARSE_BAD_VALUE;
    memcpy(bufferP, valueP, length + 1);
    return RC_OK;
  }
  if (defaultP == nullptr) return RC_PARSE_NO_VALUE;
  if (strlen(defaultP) >= bufferSize) return RC_INTERNAL_ERROR;
  strcpy(bufferP, defaultP);
  return RC_OK;
}

int parseListOfLogicalnames(const char* valueP, CLinkedList<OptLogicalName>* listP) {
  return appendNames<OPT_SQL_NAME_SIZE>(valueP, listP);
}

int parseListOfObjectnames(const char* valueP, CLinkedList<OptObjectName>* listP) {
  return appendNames<OPT_OBJECT_NAME_SIZE>(valueP, listP);
}

int parseUpperObjectNames(const char* valueP, CLinkedList<OptObjectName>* listP) {
  OptObjectName* lastP = listP->getLast();
  int rc = parseListOfObjectnames(valueP, listP);
  OptObjectName* entryP = lastP == nullptr ? listP->getFirst() : listP->getNext(lastP);
  for (; entryP != nullptr; entryP = listP->getNext(entryP)) parseUpperCase(entryP->szName);
  return rc;
}

int parseListOfPhysicalNames(const char* valueP, CLinkedList<OptPhysicalName>* listP) {
  return appendNames<OPT_FILE_PATH_SIZE>(valueP, listP);
}

int parseNumber(const char* textP, int32_t minimum, int32_t maximum, bool upToComma,
                int32_t* numberP) {
  size_t length = upToComma ? strcspn(textP, ",") : strlen(textP);
  size_t position = 0;
  bool negative = length > 0 && (textP[0] == '-' || textP[0] == '+');
  if (negative) negative = textP[position++] == '-';
  if (position == length) return RC_PARSE_BAD_VALUE;
  int64_t number = 0;
  for (; position < length; position++) {
    if (textP[position] < '0' || textP[position] > '9') return RC_PARSE_BAD_VALUE;
    number = number * 10 + (textP[position] - '0');
    if (number > int64_t(INT32_MAX) + 1) return RC_PARSE_BAD_VALUE;
  }
  if (negative) number = -number;
  if (number < minimum || number > maximum) return RC_PARSE_BAD_VALUE;
  *numberP = int32_t(number);
  return RC_OK;
}

void parseAddConflict(OptionsInfo* o, const char* nameP) {
  if (nameP == nullptr || hasName(o->szConflictText, nameP)) return;
  size_t used = strlen(o->szConflictText);
  bool first = o->szConflictText[used == 0 ? 0 : used - 1] == ' ' || used == 0;
  size_t needed = strlen(nameP) + (first ? 0 : 1);
  if (used + needed >= sizeof o->szConflictText) return;  // left out rather than cut
  snprintf(o->szConflictText + used, sizeof o->szConflictText - used, "%s%s", first ? "" : " ",
           nameP);
}

void parseSetConflict(OptionsInfo* o, int blanks, std::initializer_list<const char*> names) {
  o->pszErrorArg = nullptr;
  snprintf(o->szConflictText, sizeof o->szConflictText, "%*s", blanks, "");
  for (const char* nameP : names) parseAddConflict(o, nameP);
}

void parseRejoin(char* textP, size_t length, char delimiter) {
  for (size_t i = 0; i < length; i++) {
    if (textP[i] == '\0') textP[i] = delimiter;
  }
}

void parseUpperCase(char* textP) {
  nlsActiveFuncTable()->m_StrUpr(textP);
}
