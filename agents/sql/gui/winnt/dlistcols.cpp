#include "dlistcols.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "agtrc.h"
#include "agttrc.h"
#include "dateutil.h"
#include "eriqryparms.h"
#include "nlsnumber.h"
#include "objname.h"
#include "sqlqbentry.h"

namespace {

constexpr int kNumberWidth = 50;
constexpr int kStateColumn = 1;

constexpr ListColumn kBackupColumns[] = {
    {"Backup Type", DListAlign::Left, 80},
    {"State", DListAlign::Centre, 80},
    {"Date", DListAlign::Left, 70},
    {"Time", DListAlign::Left, 60},
    {"Backup Size", DListAlign::Right, 80},
    {"Stripes", DListAlign::Right, 45},
    {"Cluster", DListAlign::Centre, 50},
    {"Object Id", DListAlign::Left, 100},
    {"Data Space Allocated", DListAlign::Right, 80},
    {"Data Space Used", DListAlign::Right, 80},
    {"Log Space Allocated", DListAlign::Right, 80},
    {"Log Space Used", DListAlign::Right, 80},
    {"Zarnak Version", DListAlign::Centre, 80},
    {"SQL Server Version", DListAlign::Centre, 80},
    {"SQL Db Compat Level", DListAlign::Centre, 80},
    {"Default Sort Order", DListAlign::Centre, 80},
    {"Default Code Page", DListAlign::Centre, 80},
    {"Unicode Locale", DListAlign::Centre, 80},
    {"Unicode Comparison Style", DListAlign::Centre, 80},
};
// The columns of each row, counting the state column.
constexpr int kSummaryColumns = 8;
constexpr int kDetailColumns = 15;
constexpr int kVersion7Columns = 19;

std::string decimal(uint32_t value) {
  return listFormat("%d", static_cast<int>(value));
}

}  // namespace

void listAddColumn(DListCtrl* listP, int column, const std::string& header, DListAlign align,
                   int minWidth) {
  listP->insertColumn(column, header, align, std::max(minWidth, listP->textWidth(header) * 5 / 4));
}

void listDeleteAll(DListCtrl* listP) {
  if (listP == nullptr || !listP->exists()) {
    TRACE_LINE(TRC_GUI, "The Window element of the list has not been created. %s aborted.\n",
               "cgLVDelete");
    return;
  }
  listP->deleteAllItems();
  for (int count = listP->columnCount(); count > 0; --count) listP->deleteColumn(0);
  listP->repaint();
}

void listSetBackupHeader(DListCtrl* listP, bool withState, bool detail, bool sqlServer7) {
  int count = !detail ? kSummaryColumns : sqlServer7 ? kVersion7Columns : kDetailColumns;
  int column = 0;
  for (int i = 0; i < count; ++i) {
    if (i == kStateColumn && !withState) continue;
    const ListColumn& c = kBackupColumns[i];
    listAddColumn(listP, column++, c.header, c.align, c.minWidth);
  }
}

std::string listNumber(pkInt64 value) {
  char text[kNumberWidth] = "";
  nlsFormatInt64(value, text, sizeof text);
  return text;
}

std::string listFormat(const char* formatP, ...) {
  char text[128];
  va_list args;
  va_start(args, formatP);
  std::vsnprintf(text, sizeof text, formatP, args);
  va_end(args);
  return text;
}

std::string listServerOf(const char* fsNameP) {
  char name[ERI_SQL_SERVER_NAME_SIZE] = "";
  extractServerName(fsNameP, name);
  return name;
}

ListBackupWhen listBackupWhen(const objInfo& info) {
  char when[DATE_TIME_TEXT_SIZE] = "";
  dateFormat(&info.id.backupTime, when);
  char* saveP = nullptr;
  const char* dateP = strtok_r(when, " ", &saveP);
  const char* timeP = dateP != nullptr ? strtok_r(nullptr, " ", &saveP) : nullptr;
  const agentDateTime& t = info.id.backupTime;
  return {dateP != nullptr ? dateP : "", timeP != nullptr ? timeP : "",
          listFormat("%04u%02u%02u%02u%02u%02u", static_cast<unsigned>(dateYear(&t)), t.month,
                     t.day, t.hour, t.minute, t.second)};
}

std::vector<std::string> listDbSpaceTexts(const SqlHublorDbElement& db) {
  return {listNumber(db.u64DbDataFileSize), listNumber(db.u64DbDataSpaceUsed),
          listNumber(db.u64DbLogFileSize), listNumber(db.u64DbLogSpaceUsed)};
}

std::vector<std::string> listSql7Texts(const SqlHublorDbElement& db) {
  return {decimal(db.lSqlDefaultSortOrderId), decimal(db.lSqlDefaultCodePage),
          decimal(db.lSqlDefaultUnicodeLocaleId), decimal(db.lSqlDefaultUnicodeComparisonStyle)};
}
