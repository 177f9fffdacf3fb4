// Helpers of the statement tests: lists from initialiser lists, the statement as UTF-8 text.
#pragma once

#include <initializer_list>
#include <string>

#include "sqlcmd.h"
#include "sqlstmt.h"

inline void fillItems(CLinkedList<SqlStmtItem>& list, std::initializer_list<SqlStmtItem> items) {
  for (const SqlStmtItem& item : items) list.addTail(&item);
}

inline void fillDevices(CLinkedList<SqlStmtItem>& list, std::initializer_list<const char*> names) {
  for (const char* nameP : names) {
    SqlStmtItem item = {0, nameP};
    list.addTail(&item);
  }
}

// The statement text; characters above 0x7f as "?" (the tests keep to ASCII unless they say).
inline std::string statementText(const CSqlCommand& command) {
  std::string text;
  for (uint32_t i = 0; i < command.length(); i++) {
    char16_t c = command.text()[i];
    text += c < 0x80 ? char(c) : '?';
  }
  return text;
}
