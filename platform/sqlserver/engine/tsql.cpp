#include "tsql.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <vector>

#include "bstr.h"
#include "model.h"

namespace sqlengine {

namespace {

struct Token {
  enum Kind { kWord, kBracketed, kString, kNumber, kSymbol, kEnd } kind = kEnd;
  std::string text;   // as written (strings and brackets without their quotes)
  std::string upper;  // words in capitals, for keyword comparison
};

// Words SQL Server reserves; an error next to one of them is "near the keyword".
const std::set<std::string> kReserved = {"BACKUP", "RESTORE", "DATABASE", "FILE", "FROM",
                                         "TO",     "WITH",    "USE",      "DISK", "SELECT",
                                         "INSERT", "UPDATE",  "DELETE",   "LOAD", "DUMP"};

std::string toUpper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool isWordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '@' || c == '#' ||
         c == '$' || (static_cast<unsigned char>(c) >= 0x80);
}

// Reads a quoted text from pos (at the opening quote); a doubled closing quote stands for one.
bool readQuoted(const std::string& in, std::size_t& pos, char close, std::string& out) {
  for (++pos; pos < in.size(); ++pos) {
    if (in[pos] != close) {
      out += in[pos];
    } else if (pos + 1 < in.size() && in[pos + 1] == close) {
      out += close;
      ++pos;
    } else {
      ++pos;
      return true;
    }
  }
  return false;
}

SqlError tokenize(const std::string& in, std::vector<Token>& tokens) {
  std::size_t pos = 0;
  while (pos < in.size()) {
    char c = in[pos];
    if (std::isspace(static_cast<unsigned char>(c))) {
      ++pos;
      continue;
    }
    Token t;
    bool national = (c == 'N' || c == 'n') && pos + 1 < in.size() && in[pos + 1] == '\'';
    if (c == '\'' || national) {
      pos += national ? 1 : 0;
      t.kind = Token::kString;
      if (!readQuoted(in, pos, '\'', t.text)) return sqlMessage(kMsgUnclosedQuote, {t.text});
    } else if (c == '[') {
      t.kind = Token::kBracketed;
      if (!readQuoted(in, pos, ']', t.text)) return sqlMessage(kMsgUnclosedQuote, {t.text});
      if (characterCount(t.text) > kMaxNameCharacters)
        return sqlMessage(kMsgIdentifierTooLong, {firstCharacters(t.text, kMaxNameCharacters)});
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      t.kind = Token::kNumber;
      while (pos < in.size() && isWordChar(in[pos])) t.text += in[pos++];
    } else if (isWordChar(c)) {
      t.kind = Token::kWord;
      while (pos < in.size() && isWordChar(in[pos])) t.text += in[pos++];
    } else {
      t.kind = Token::kSymbol;
      t.text = std::string(1, c);
      ++pos;
    }
    t.upper = t.kind == Token::kWord ? toUpper(t.text) : t.text;
    tokens.push_back(std::move(t));
  }
  Token end;
  end.text = tokens.empty() ? std::string() : tokens.back().text;
  tokens.push_back(end);
  return {};
}

class Parser {
 public:
  Parser(std::vector<Token> tokens, int version)
      : m_tokens(std::move(tokens)), m_version(version) {}

  ParseResult parse() {
    ParseResult result;
    if (accept("USE")) {
      if (!name(result.useDatabase)) return fail(result);
      acceptSymbol(";");
    }
    if (accept("BACKUP")) {
      BackupStatement backup;
      if (!parseBackup(backup)) return fail(result);
      result.statement = std::move(backup);
    } else if (accept("RESTORE")) {
      RestoreStatement restore;
      if (!parseRestore(restore)) return fail(result);
      result.statement = std::move(restore);
    } else {
      syntaxError();
      return fail(result);
    }
    acceptSymbol(";");
    if (peek().kind != Token::kEnd) {
      syntaxError();
      return fail(result);
    }
    return result;
  }

 private:
  const Token& peek() const { return m_tokens[m_pos]; }
  bool isWord(const char* keyword) const {
    return peek().kind == Token::kWord && peek().upper == keyword;
  }
  bool accept(const char* keyword) {
    if (!isWord(keyword)) return false;
    ++m_pos;
    return true;
  }
  bool acceptSymbol(const char* symbol) {
    if (peek().kind != Token::kSymbol || peek().text != symbol) return false;
    ++m_pos;
    return true;
  }
  // An incorrect-syntax message near the current token (the last one at the end).
  bool syntaxError() {
    if (!m_error.ok()) return false;
    const Token& t = peek();
    bool keyword = t.kind == Token::kWord && kReserved.count(t.upper) != 0;
    m_error = sqlMessage(keyword ? kMsgIncorrectSyntaxKeyword : kMsgIncorrectSyntax, {t.text});
    return false;
  }
  bool raise(SqlError error) {
    if (m_error.ok()) m_error = std::move(error);
    return false;
  }
  ParseResult fail(ParseResult& result) {
    result.error = m_error.ok() ? sqlMessage(kMsgIncorrectSyntax, {peek().text}) : m_error;
    return result;
  }
  bool expect(const char* keyword) { return accept(keyword) || syntaxError(); }
  bool expectSymbol(const char* symbol) { return acceptSymbol(symbol) || syntaxError(); }

  bool name(std::string& out) {
    const Token& t = peek();
    bool plain = t.kind == Token::kWord && t.text[0] != '@' && kReserved.count(t.upper) == 0;
    if (!plain && t.kind != Token::kBracketed) return syntaxError();
    if (characterCount(t.text) > kMaxNameCharacters)
      return raise(
          sqlMessage(kMsgIdentifierTooLong, {firstCharacters(t.text, kMaxNameCharacters)}));
    out = t.text;
    ++m_pos;
    return true;
  }
  bool string(std::string& out) {
    if (peek().kind != Token::kString) return syntaxError();
    out = peek().text;
    ++m_pos;
    return true;
  }
  bool assignedString(std::string& out) { return expectSymbol("=") && string(out); }
  bool assignedNumber(std::optional<std::uint32_t>& out) {
    if (!expectSymbol("=")) return false;
    const Token& t = peek();
    if (t.kind != Token::kNumber || t.text.size() > 10 ||
        !std::all_of(t.text.begin(), t.text.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        std::stoull(t.text) > 0xFFFFFFFFull)
      return syntaxError();
    out = static_cast<std::uint32_t>(std::stoull(t.text));
    ++m_pos;
    return true;
  }

  // FILE = N'x' | FILEGROUP = N'x', separated by commas.
  bool fileItems(std::vector<FileItem>& items) {
    while (isWord("FILE") || isWord("FILEGROUP")) {
      FileItem item;
      item.kind = accept("FILE") ? FileItem::kFile : (accept("FILEGROUP"), FileItem::kFileGroup);
      if (!assignedString(item.name)) return false;
      items.push_back(std::move(item));
      if (!acceptSymbol(",")) break;
      if (!isWord("FILE") && !isWord("FILEGROUP")) return syntaxError();
    }
    return true;
  }

  bool devices(std::vector<BackupDevice>& out) {
    do {
      BackupDevice device;
      if (accept("VIRTUAL_DEVICE")) {
        device.kind = BackupDevice::kVirtualDevice;
      } else if (accept("DISK")) {
        device.kind = BackupDevice::kDisk;
      } else {
        return syntaxError();
      }
      if (!assignedString(device.name)) return false;
      out.push_back(std::move(device));
    } while (acceptSymbol(","));
    return true;
  }

  // Each option once; seen collects them for the duplicate and conflict checks.
  bool once(const std::string& option) {
    if (m_seen.insert(option).second) return true;
    return raise(sqlMessage(kMsgOptionConflict, {option, option}));
  }
  bool conflict(const std::vector<std::string>& group) {
    std::vector<std::string> given;
    for (const auto& o : group)
      if (m_seen.count(o) != 0) given.push_back(o);
    if (given.size() < 2) return true;
    return raise(sqlMessage(kMsgOptionConflict, {given[1], given[0]}));
  }
  bool notFor(const std::string& option, bool refused) {
    if (!refused || m_seen.count(option) == 0) return true;
    return raise(sqlMessage(kMsgOptionNotSupported, {toLower(option)}));
  }
  static std::string toLower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  }
  bool unknownOption(const char* statement) {
    const Token& t = peek();
    if (t.kind != Token::kWord) return syntaxError();
    return raise(sqlMessage(kMsgNotRecognizedOption, {t.text, statement}));
  }
  bool transferOption(TransferOptions& o) {
    if (accept("BLOCKSIZE")) return once("BLOCKSIZE") && assignedNumber(o.blockSize);
    if (accept("BUFFERCOUNT")) return once("BUFFERCOUNT") && assignedNumber(o.bufferCount);
    if (accept("MAXTRANSFERSIZE"))
      return once("MAXTRANSFERSIZE") && assignedNumber(o.maxTransferSize);
    return false;
  }

  // {DATABASE|LOG} name [items] {TO|FROM} devices [WITH option, ...]: the shape both share.
  template <class S, class Option>
  bool body(S& s, const char* direction, Option option) {
    s.log = accept("LOG");
    if (!s.log && !expect("DATABASE")) return false;
    if (!name(s.database)) return false;
    if (!s.log && !fileItems(s.items)) return false;
    if (!expect(direction) || !devices(s.devices)) return false;
    if (accept("WITH")) {
      do {
        if (!(this->*option)(s)) return false;
      } while (acceptSymbol(","));
    }
    return true;
  }

  bool parseBackup(BackupStatement& s) {
    return body(s, "TO", &Parser::backupOption) && notFor("DIFFERENTIAL", s.log) &&
           notFor("NO_TRUNCATE", !s.log);
  }

  bool backupOption(BackupStatement& s) {
    if (transferOption(s.transfer)) return m_error.ok();
    if (!m_error.ok()) return false;
    if (accept("DIFFERENTIAL")) return once("DIFFERENTIAL") && (s.differential = true);
    if (accept("NO_TRUNCATE")) return once("NO_TRUNCATE") && (s.noTruncate = true);
    if (accept("NAME")) return once("NAME") && assignedString(s.name.emplace());
    if (accept("DESCRIPTION"))
      return once("DESCRIPTION") && assignedString(s.description.emplace());
    return unknownOption("BACKUP");
  }

  bool parseRestore(RestoreStatement& s) {
    if (!body(s, "FROM", &Parser::restoreOption)) return false;
    return conflict({"RECOVERY", "NORECOVERY", "STANDBY"}) &&
           conflict({"STOPAT", "STOPATMARK", "STOPBEFOREMARK"}) &&
           conflict({"DBO_ONLY", "RESTRICTED_USER"}) && notFor("PARTIAL", s.log);
  }

  // Options a server of version 7 does not know.
  bool known() {
    if (m_version > 7) return true;
    --m_pos;
    return unknownOption("RESTORE");
  }

  bool restoreOption(RestoreStatement& s) {
    if (transferOption(s.transfer)) return m_error.ok();
    if (!m_error.ok()) return false;
    if (accept("DBO_ONLY")) return once("DBO_ONLY") && (s.dboOnly = true);
    if (accept("RESTRICTED_USER"))
      return known() && once("RESTRICTED_USER") && (s.restrictedUser = true);
    if (accept("PARTIAL")) return known() && once("PARTIAL") && (s.partial = true);
    if (accept("REPLACE")) return once("REPLACE") && (s.replace = true);
    if (accept("MOVE")) {
      MoveItem move;
      return string(move.logicalName) && expect("TO") && string(move.physicalName) &&
             (s.moves.push_back(std::move(move)), true);
    }
    if (accept("RECOVERY")) return once("RECOVERY") && recovery(s, RestoreStatement::kRecovery);
    if (accept("NORECOVERY"))
      return once("NORECOVERY") && recovery(s, RestoreStatement::kNoRecovery);
    if (accept("STANDBY"))
      return once("STANDBY") && assignedString(s.standbyFile) &&
             recovery(s, RestoreStatement::kStandby);
    if (accept("STOPAT")) return once("STOPAT") && assignedString(s.stopAt.emplace());
    if (accept("STOPATMARK"))
      return known() && once("STOPATMARK") && mark(s, RestoreStatement::kStopAtMark);
    if (accept("STOPBEFOREMARK"))
      return known() && once("STOPBEFOREMARK") && mark(s, RestoreStatement::kStopBeforeMark);
    return unknownOption("RESTORE");
  }

  bool recovery(RestoreStatement& s, RestoreStatement::Recovery r) {
    s.recovery = r;
    s.recoveryGiven = true;
    return true;
  }

  // STOPATMARK / STOPBEFOREMARK = N'mark' [AFTER N'time']
  bool mark(RestoreStatement& s, RestoreStatement::StopMark kind) {
    s.stopMark = kind;
    if (!assignedString(s.markName)) return false;
    if (accept("AFTER")) return once("AFTER") && string(s.after.emplace());
    return true;
  }

  std::vector<Token> m_tokens;
  std::size_t m_pos = 0;
  int m_version;
  SqlError m_error;
  std::set<std::string> m_seen;
};

}  // namespace

ParseResult parseStatement(std::u16string_view text, int serverVersionMajor) {
  std::vector<Token> tokens;
  ParseResult result;
  result.error = tokenize(com::toUtf8(text), tokens);
  if (!result.error.ok()) return result;
  return Parser(std::move(tokens), serverVersionMajor).parse();
}

}  // namespace sqlengine
