#include "sqltime.h"

#include <gtest/gtest.h>

namespace {

TEST(SqlTime, ParsesTheAcceptedFormsAndPrintsThemBack) {
  struct Case {
    const char* text;
    const char* printed;
  } cases[] = {
      {"2026-12-10 12:30:05", "2026-12-10 12:30:05.000"},
      {"2026-12-10T12:30:05.5", "2026-12-10 12:30:05.500"},
      {"2026-12-10 12:30", "2026-12-10 12:30:00.000"},
      {"2026-12-10", "2026-12-10 00:00:00.000"},
      {"12/10/2026 23:59:59.123", "2026-12-10 23:59:59.123"},
      {"2024-02-29 00:00:00", "2024-02-29 00:00:00.000"},
      {"20261210 12:30:05", "2026-12-10 12:30:05.000"},
      {"20261210", "2026-12-10 00:00:00.000"},
  };
  for (const Case& c : cases) {
    auto ms = sqlengine::parseSqlTime(c.text);
    ASSERT_TRUE(ms) << c.text;
    EXPECT_EQ(sqlengine::formatSqlTime(*ms), c.printed);
  }
}

TEST(SqlTime, RefusesOtherTexts) {
  for (const char* text :
       {"", "yesterday", "2026-13-01", "2025-02-29", "2026-12-10 24:00", "2026-12-10 12:00:00 PM",
        "2026-12-10x", "2026121 12:00", "202612101 12:00", "20261310"}) {
    EXPECT_FALSE(sqlengine::parseSqlTime(text)) << text;
  }
}

}  // namespace
