#include "hive_text.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace zkreg {

namespace {

constexpr std::string_view kHeader = "ZARNAK REGISTRY 1";
constexpr std::string_view kTrailer = "END";
constexpr char kHexDigits[] = "0123456789abcdef";

bool isControl(unsigned char c) {
  return c < 0x20 || c == 0x7f;
}

void appendHexByte(std::string& out, unsigned char c) {
  out += kHexDigits[c >> 4];
  out += kHexDigits[c & 0xf];
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Two hex digits at text[at], or -1.
int hexByteAt(std::string_view text, std::size_t at) {
  if (at + 1 >= text.size()) return -1;
  int high = hexDigit(text[at]);
  int low = hexDigit(text[at + 1]);
  return high < 0 || low < 0 ? -1 : high * 16 + low;
}

std::string escapeKeyName(std::string_view name) {
  std::string out;
  for (unsigned char c : name) {
    if (c == '%' || c == ']' || isControl(c)) {
      out += '%';
      appendHexByte(out, c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

bool unescapeKeyName(std::string_view text, std::string& name) {
  name.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      name += text[i];
      continue;
    }
    int byte = hexByteAt(text, i + 1);
    if (byte < 0) return false;
    name += static_cast<char>(byte);
    i += 2;
  }
  return true;
}

// A reader over one line: every step skips the blanks before it.
class LineReader {
 public:
  explicit LineReader(std::string_view line) : m_line(line) {}

  bool atEnd() {
    skipBlanks();
    return m_at == m_line.size();
  }
  bool take(char c) {
    skipBlanks();
    if (m_at == m_line.size() || m_line[m_at] != c) return false;
    ++m_at;
    return true;
  }
  // A word of letters, digits and '_'.
  std::string_view word() {
    skipBlanks();
    std::size_t start = m_at;
    while (m_at < m_line.size() &&
           (std::isalnum(static_cast<unsigned char>(m_line[m_at])) || m_line[m_at] == '_')) {
      ++m_at;
    }
    return m_line.substr(start, m_at - start);
  }
  bool number(std::uint64_t& n) { return parseNumber(word(), n); }
  bool quoted(std::string& text);
  std::string_view rest() {
    skipBlanks();
    std::string_view r = m_line.substr(m_at);
    m_at = m_line.size();
    while (!r.empty() && (r.back() == ' ' || r.back() == '\t')) r.remove_suffix(1);
    return r;
  }

 private:
  void skipBlanks() {
    while (m_at < m_line.size() && (m_line[m_at] == ' ' || m_line[m_at] == '\t')) ++m_at;
  }

  std::string_view m_line;
  std::size_t m_at = 0;
};

bool LineReader::quoted(std::string& text) {
  text.clear();
  if (!take('"')) return false;
  while (m_at < m_line.size()) {
    char c = m_line[m_at++];
    if (c == '"') return true;
    if (c != '\\') {
      text += c;
      continue;
    }
    if (m_at == m_line.size()) return false;
    char escaped = m_line[m_at++];
    if (escaped == '"' || escaped == '\\') {
      text += escaped;
      continue;
    }
    int byte = escaped == 'x' ? hexByteAt(m_line, m_at) : -1;
    if (byte < 0) return false;
    text += static_cast<char>(byte);
    m_at += 2;
  }
  return false;
}

bool parseSectionLine(std::string_view line, Section& section) {
  std::size_t close = line.find(']');
  if (close == std::string_view::npos) return false;
  std::string_view levels = line.substr(1, close - 1);
  section.path.clear();
  while (true) {
    std::size_t end = levels.find('\\');
    std::string name;
    if (!unescapeKeyName(levels.substr(0, end), name)) return false;
    // A name holding a backslash could not be written back as one level.
    if (name.empty() || name.size() > kMaxKeyNameLength) return false;
    if (name.find('\\') != std::string::npos) return false;
    section.path.push_back(std::move(name));
    if (end == std::string_view::npos) break;
    levels.remove_prefix(end + 1);
  }
  LineReader reader(line.substr(close + 1));
  if (reader.atEnd()) return true;
  return reader.word() == "class" && reader.quoted(section.className) && reader.atEnd();
}

// REG_SZ "text" or REG_SZ(n) "text", the reader standing behind REG_SZ.
bool parseString(LineReader& reader, Bytes& data) {
  std::uint64_t length = 0;
  bool sized = reader.take('(');
  if (sized && !(reader.number(length) && reader.take(')'))) return false;
  std::string text;
  if (!reader.quoted(text) || !reader.atEnd()) return false;
  if (!sized) length = text.size() + 1;
  if (length < text.size() || length > kMaxValueDataLength) return false;
  data.assign(text.begin(), text.end());
  data.resize(length, 0);
  return true;
}

bool parseDword(LineReader& reader, Bytes& data) {
  std::uint64_t n = 0;
  if (!reader.number(n) || n > 0xffffffffu || !reader.atEnd()) return false;
  data = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
          static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
  return true;
}

bool parseValueLine(std::string_view line, Value& value) {
  LineReader reader(line);
  if (!reader.quoted(value.name) || !reader.take('=')) return false;
  std::string_view type = reader.word();
  if (type == "REG_SZ") {
    value.type = 1;
    return parseString(reader, value.data);
  }
  if (type == "REG_DWORD") {
    value.type = 4;
    return parseDword(reader, value.data);
  }
  if (type == "REG_BINARY") {
    value.type = 3;
  } else {
    std::uint64_t number = 0;
    if (type != "type" || !reader.take('(') || !reader.number(number) || !reader.take(')') ||
        number > 0xffffffffu) {
      return false;
    }
    value.type = static_cast<std::uint32_t>(number);
  }
  return parseHex(reader.rest(), value.data) && value.data.size() <= kMaxValueDataLength;
}

// One line of the body: a section, a value of the last section or the end line.
bool parseBodyLine(std::string_view line, std::vector<Section>& sections, bool& ended) {
  if (line == kTrailer) return ended = true;
  if (line[0] == '[') {
    sections.emplace_back();
    return parseSectionLine(line, sections.back());
  }
  if (sections.empty()) return false;
  sections.back().values.emplace_back();
  return parseValueLine(line, sections.back().values.back());
}

}  // namespace

bool parseNumber(std::string_view text, std::uint64_t& n) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n, base);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::string formatKeyPath(const Path& levels) {
  std::string text;
  for (const std::string& level : levels) {
    if (!text.empty()) text += '\\';
    text += escapeKeyName(level);
  }
  return text;
}

std::string textHeader() {
  return std::string(kHeader) + "\n";
}

std::string textTrailer() {
  return std::string(kTrailer) + "\n";
}

std::string quoteText(std::string_view text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (isControl(c)) {
      out += "\\x";
      appendHexByte(out, c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string formatHex(const Bytes& bytes) {
  std::string out;
  for (std::uint8_t b : bytes) appendHexByte(out, b);
  return out;
}

bool parseHex(std::string_view hex, Bytes& bytes) {
  bytes.clear();
  if (hex.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    int byte = hexByteAt(hex, i);
    if (byte < 0) return false;
    bytes.push_back(static_cast<std::uint8_t>(byte));
  }
  return true;
}

std::string formatValueData(const Value& value) {
  const Bytes& data = value.data;
  if (value.type == 1) {
    std::size_t textLength = data.size();
    while (textLength > 0 && data[textLength - 1] == 0) --textLength;
    std::string text(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(textLength));
    std::string size = data.size() == textLength + 1 ? "" : "(" + std::to_string(data.size()) + ")";
    return "REG_SZ" + size + " " + quoteText(text);
  }
  if (value.type == 4 && data.size() == 4) {
    char number[16];
    std::snprintf(number, sizeof number, "0x%02x%02x%02x%02x", data[3], data[2], data[1], data[0]);
    return std::string("REG_DWORD ") + number;
  }
  if (value.type == 3) return "REG_BINARY " + formatHex(data);
  return "type(" + std::to_string(value.type) + ") " + formatHex(data);
}

void formatTree(const Key& key, Path& levels, std::string& out) {
  out += "[" + formatKeyPath(levels) + "]";
  if (!key.className.empty()) out += " class " + quoteText(key.className);
  out += "\n";
  for (const Value& value : key.values) {
    out += quoteText(value.name) + " = " + formatValueData(value) + "\n";
  }
  for (const auto& [folded, child] : key.subkeys) {
    levels.push_back(child->name);
    formatTree(*child, levels, out);
    levels.pop_back();
  }
}

bool parseText(std::string_view text, std::vector<Section>& sections, std::string& error) {
  sections.clear();
  bool sawHeader = false;
  bool ended = false;
  std::size_t lineNumber = 0;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find_first_not_of(" \t") == std::string_view::npos || line[0] == '#') continue;
    bool ok = false;
    if (!sawHeader) {
      ok = sawHeader = line == kHeader;
    } else if (!ended) {
      ok = parseBodyLine(line, sections, ended);
    }
    if (!ok) {
      error = "line " + std::to_string(lineNumber) + ": cannot read \"" + std::string(line) + "\"";
      return false;
    }
  }
  if (ended) return true;
  error = "line " + std::to_string(lineNumber + 1) + ": the end line \"" + std::string(kTrailer) +
          "\" is missing: the text is cut short";
  return false;
}

}  // namespace zkreg
