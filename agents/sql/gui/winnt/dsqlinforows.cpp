#include "dsqlinforows.h"

#include <cstdio>

#include "dsqlaccess.h"
#include "sqlqueryeri.h"

namespace {

constexpr int kValueIds[SQLINFO_ROW_COUNT] = {1230, 1232, 1234, 1236, 1238, 1240, 1242};
constexpr int kLabelIds[SQLINFO_ROW_COUNT] = {1244, 1231, 1233, 1235, 1237, 1239, 1241};

std::string number(int32_t value) {
  char text[16];
  snprintf(text, sizeof text, "%d", value);
  return text;
}

}  // namespace

DSqlInfoRows sqlInfoInitialRows() {
  DSqlInfoRows rows;
  for (int i = 0; i < SQLINFO_ROW_COUNT; i++) {
    bool optional = i >= SQLINFO_FIRST_OPTIONAL_ROW;
    rows[i] = {kValueIds[i], kLabelIds[i], optional ? SQLINFO_NOT_AVAILABLE : "", !optional};
  }
  return rows;
}

DSqlInfoRows sqlInfoRows(const SqlServerElement& server, const std::string& unknownName) {
  DSqlInfoRows rows = sqlInfoInitialRows();
  std::string name = server.szSqlServerName;
  if (name.empty()) {
    name = unknownName;
  } else if (server.szSqlInstanceName[0] != '\0') {
    name += std::string("\\") + server.szSqlInstanceName;
  }
  rows[0].text = name;
  rows[1].text = number(server.lSqlVersionMajor) + "." + number(server.lSqlVersionMinor) + "." +
                 server.szSqlServerBuild;
  rows[2].text = server.bSqlIsClustered != 0 ? "Yes" : "No";
  if (server.lSqlVersionMajor > 7) return rows;
  const int32_t values[] = {server.lSqlDefaultSortOrderId, server.lSqlDefaultCodePage,
                            server.lSqlDefaultUnicodeLocaleId,
                            server.lSqlDefaultUnicodeComparisonStyle};
  for (int i = SQLINFO_FIRST_OPTIONAL_ROW; i < SQLINFO_ROW_COUNT; i++) {
    rows[i].text = number(values[i - SQLINFO_FIRST_OPTIONAL_ROW]);
    rows[i].enabled = true;
  }
  return rows;
}

SqlServerElement querySqlInfo() {
  SqlServerElement server{};
  char message[3585] = "";
  std::unique_lock<std::mutex> lock = lockSqlAccess();
  if (eriQuerySqlServer(&server, nullptr, message, 1) != 0) server = SqlServerElement{};
  return server;
}
