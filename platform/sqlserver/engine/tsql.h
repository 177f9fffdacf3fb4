// The strict T-SQL parser of the emulated server. It accepts exactly the BACKUP and RESTORE
// statements a backup agent sends (optionally after "USE <database>", optionally ended by ";"),
// with keywords in any letter case and any white space between tokens, and refuses every other
// text with the message SQL Server gives (102 and 156 incorrect syntax, 105 unclosed quote,
// 103 identifier too long, 155 unknown option, 3031 conflicting options, 3032 option not
// allowed for the statement).
#pragma once

#include <string>
#include <string_view>

#include "sqlerror.h"
#include "statement.h"

namespace sqlengine {

struct ParseResult {
  SqlError error;           // number 0 when parsed
  Statement statement;      // valid when parsed
  std::string useDatabase;  // the database of the USE prefix, empty without one
};

// serverVersionMajor: options a server of that version does not know are refused (version 7:
// RESTRICTED_USER, PARTIAL, STOPATMARK, STOPBEFOREMARK).
ParseResult parseStatement(std::u16string_view text, int serverVersionMajor);

}  // namespace sqlengine
