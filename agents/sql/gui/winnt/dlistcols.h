// What the controllers' list views share: a column's width from its header, the emptying of a
// list, the texts of numbers and server names, and the columns of a backup's row with the texts
// the restore and inactivate lists both show for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dlistctrl.h"
#include "objinfo.h"

struct SqlHublorDbElement;

// A column of a list: its header, alignment and minimum width.
struct ListColumn {
  const char* header;
  DListAlign align;
  int minWidth;
};

// Inserts the column, as wide as the larger of the minimum and 5/4 of the header's width.
void listAddColumn(DListCtrl* listP, int column, const std::string& header, DListAlign align,
                   int minWidth);

// The columns of the table, in order from the first.
template <size_t N>
void listSetHeader(DListCtrl* listP, const ListColumn (&columns)[N]) {
  for (size_t i = 0; i < N; ++i) {
    listAddColumn(listP, static_cast<int>(i), columns[i].header, columns[i].align,
                  columns[i].minWidth);
  }
}

// Deletes the list's rows and columns; traces and does nothing when the list's window is gone.
void listDeleteAll(DListCtrl* listP);

// The backup columns: a summary row's, a detail row's, and a SQL Server 7 backup's detail row's.
// The restore lists show the backup's state in a second column, the inactivate list does not.
void listSetBackupHeader(DListCtrl* listP, bool withState, bool detail, bool sqlServer7);

std::string listNumber(pkInt64 value);
std::string listFormat(const char* formatP, ...) __attribute__((format(printf, 1, 2)));
// The server's name in a stored file space name.
std::string listServerOf(const char* fsNameP);

// The date, time and object id (the time's digits) of a backup.
struct ListBackupWhen {
  std::string date;
  std::string time;
  std::string objectId;
};
ListBackupWhen listBackupWhen(const objInfo& info);

// A backup's database sizes: data allocated and used, log allocated and used.
std::vector<std::string> listDbSpaceTexts(const SqlHublorDbElement& db);
// A SQL Server 7 backup's sort order, code page, Unicode locale and comparison style.
std::vector<std::string> listSql7Texts(const SqlHublorDbElement& db);
