// The texts of name lists for the entry functions' activity-log lines.
#include "eriparms.h"

#include <cstdio>
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

void eriFillRestoreSql(const OptionsInfo& o, SqlRestoreParameters* sqlP) {
  sqlP->bRestrictedUserOnly = o.bDboOnly;
  sqlP->bRecoverySpecified = o.bRecoverySpecified;
  sqlP->ulNumSqlBuffers = static_cast<uint32_t>(o.nSqlBuffers);
  sqlP->ulSqlBufferSize = static_cast<uint32_t>(o.nSqlBufferSize);
  sqlP->bStopBeforeMark = o.bStopBeforeMark;
  sqlP->bStopAtMark = o.bStopAtMark;
  std::snprintf(sqlP->szDateTime, sizeof sqlP->szDateTime, "%s", o.szStopAt);
  std::snprintf(sqlP->szMarkName, sizeof sqlP->szMarkName, "%s", o.szMarkName);
  sqlP->bRecovery = o.bRecovery;
  sqlP->bRelocate = o.bRelocate;
  sqlP->bPartial = o.bPartial;
  sqlP->bReplace = o.bReplace;
  sqlP->bStandby = o.bStandby;
  sqlP->bStopAt = o.bStopAt;
  std::snprintf(sqlP->szAfter, sizeof sqlP->szAfter, "%s", o.szAfter);
  sqlP->bAfter = o.bAfter;
  sqlP->bInto = o.bInto;
  std::snprintf(reinterpret_cast<char*>(sqlP->reserved), sizeof sqlP->reserved, "%s",
                o.szStandbyFile);
}
