// Server wall-clock times as ms since 1970-01-01 00:00, without a time zone (SQL Server's
// datetime compares local times as they stand).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sqlengine {

// Accepts "YYYY-MM-DD HH:MM[:SS[.fff]]" (a 'T' may stand for the blank), "YYYY-MM-DD", and
// "MM/DD/YYYY HH:MM[:SS[.fff]]". Nothing for any other text or an impossible date.
std::optional<std::int64_t> parseSqlTime(std::string_view text);
// "YYYY-MM-DD HH:MM:SS.fff".
std::string formatSqlTime(std::int64_t ms);
// The machine's local time now.
std::int64_t sqlTimeNow();

}  // namespace sqlengine
