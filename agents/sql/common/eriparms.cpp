// The texts of name lists for the entry functions' activity-log lines.
#include "eriparms.h"

#include <cstring>

#include "eriqryparms.h"

namespace {

void appendName(const char* nameP, size_t nameSize, char* textP) {
  size_t used = std::strlen(textP);
  size_t length = strnlen(nameP, nameSize);
  if (used + length + 2 >= static_cast<size_t>(ERI_NAME_TEXT_SIZE - 1)) return;
  if (used != 0) textP[used++] = ',';
  std::memcpy(textP + used, nameP, length);
  textP[used + length] = '\0';
}

}  // namespace

template <class Entry>
char* eriNameListText(CLinkedList<Entry>* listP, char* textP) {
  textP[0] = '\0';
  if (listP != nullptr) {
    for (Entry* entryP = listP->getFirst(); entryP != nullptr; entryP = listP->getNext(entryP)) {
      appendName(entryP->szName, sizeof entryP->szName, textP);
    }
  }
  if (textP[0] == '\0') std::strcpy(textP, "-");
  return textP;
}

template char* eriNameListText(EriNameList* listP, char* textP);
template char* eriNameListText(EriObjectNameList* listP, char* textP);
template char* eriNameListText(EriPhysicalNameList* listP, char* textP);
