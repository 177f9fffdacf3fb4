// What the SQL Server information dialog shows, apart from its window: seven rows of a label
// and a value, filled from the SQL Server element that the server query answers.
#pragma once

#include <array>
#include <string>

#include "sqltypes.h"

constexpr int SQLINFO_ROW_COUNT = 7;
constexpr int SQLINFO_FIRST_OPTIONAL_ROW = 3;  // the last four rows: SQL Server 7 only
constexpr char SQLINFO_NOT_AVAILABLE[] = "N/A";

struct DSqlInfoRow {
  int valueId;
  int labelId;
  std::string text;
  bool enabled;
};
using DSqlInfoRows = std::array<DSqlInfoRow, SQLINFO_ROW_COUNT>;

// Name, version, clustered: empty and enabled; the last four: "N/A" and disabled.
DSqlInfoRows sqlInfoInitialRows();
// The rows for the server: the name (with "\instance" when one is set; unknownNameP when the
// name is empty), "major.minor.build", "Yes"/"No"; above version 7 the last four rows are
// disabled and keep "N/A", otherwise they show the sort order, code page, Unicode locale and
// comparison style.
DSqlInfoRows sqlInfoRows(const SqlServerElement& server, const std::string& unknownName);
// Queries the SQL Server under the access lock, logging message 5221; a failed query leaves
// the element cleared.
SqlServerElement querySqlInfo();
