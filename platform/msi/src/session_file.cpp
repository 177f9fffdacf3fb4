// Session description files of msihost, and the print of a session's state.
#include <charconv>
#include <istream>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>

#include "msisession.h"

namespace zkmsi {
namespace {

// Splits "NAME=VALUE"; the value is everything after the first '=', blanks included.
bool splitAssignment(std::string_view text, std::string& name, std::string& value) {
  std::size_t equals = text.find('=');
  if (equals == 0 || equals == std::string_view::npos) return false;
  name = text.substr(0, equals);
  value = text.substr(equals + 1);
  return true;
}

// The word at the start of text and the rest after one blank.
std::string_view firstWord(std::string_view text, std::string_view& rest) {
  std::size_t blank = text.find(' ');
  rest = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
  return text.substr(0, blank);
}

bool parseProperty(std::string_view rest, SessionData& data) {
  std::string name, value;
  if (!splitAssignment(rest, name, value)) return false;
  data.properties[name] = value;
  return true;
}

bool parseProduct(std::string_view rest, SessionData& data) {
  std::string_view assignment;
  std::string code(firstWord(rest, assignment));
  std::string name, value;
  if (code.empty() || !splitAssignment(assignment, name, value)) return false;
  data.products[code][name] = value;
  return true;
}

bool parseFault(std::string_view rest, SessionData& data) {
  std::istringstream words{std::string(rest)};
  Fault fault;
  std::string code, extra;
  if (!(words >> fault.function >> fault.name >> code) || (words >> extra)) return false;
  auto [end, ec] = std::from_chars(code.data(), code.data() + code.size(), fault.code);
  if (ec != std::errc() || end != code.data() + code.size() || fault.code == 0) return false;
  data.faults.push_back(fault);
  return true;
}

bool parseLine(std::string_view line, SessionData& data) {
  std::string_view rest;
  std::string_view keyword = firstWord(line, rest);
  if (keyword == "property") return parseProperty(rest, data);
  if (keyword == "product") return parseProduct(rest, data);
  if (keyword == "fault") return parseFault(rest, data);
  return false;
}

const char* kindName(INSTALLMESSAGE kind) {
  switch (kind) {
    case INSTALLMESSAGE_FATALEXIT:
      return "fatal";
    case INSTALLMESSAGE_ERROR:
      return "error";
    case INSTALLMESSAGE_WARNING:
      return "warning";
    case INSTALLMESSAGE_USER:
      return "user";
    case INSTALLMESSAGE_INFO:
      return "info";
  }
  return "other";
}

}  // namespace

bool parseSession(std::istream& in, SessionData& data, std::string& error) {
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (parseLine(line, data)) continue;
    error = "line " + std::to_string(number) + ": cannot read \"" + line + "\"";
    return false;
  }
  return true;
}

void printSession(std::ostream& out, const SessionData& data) {
  for (const auto& [name, value] : data.properties)
    out << "property " << name << '=' << value << '\n';
  for (const LogLine& line : data.log)
    out << "log " << kindName(line.kind) << ": " << line.text << '\n';
}

}  // namespace zkmsi
