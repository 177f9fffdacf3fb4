#include "media.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <sstream>

#include "pagefile.h"

namespace sqlengine {

namespace {

// Version 2 escapes the names in its lines; version 1 wrote them as they stood, so that a name
// with a line end or a tab made a header that could not be read back.
constexpr const char* kMagicLine = "ZARNAK-SQL-MEDIA-FAMILY 2";
constexpr const char* kMagicLineUnescaped = "ZARNAK-SQL-MEDIA-FAMILY 1";
constexpr std::uint32_t kLogMagic = 0x474F4C5A;  // "ZLOG"

// A name as it stands in a line: the backslash, the line ends and the tab (the separators of
// the format) as two-character escapes.
std::string escaped(const std::string& name) {
  std::string out;
  for (char c : name) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// The name back from its escaped form; false for a backslash that escapes nothing we write.
bool unescaped(const std::string& text, std::string& name) {
  name.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      name += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case '\\':
        name += '\\';
        break;
      case 'n':
        name += '\n';
        break;
      case 'r':
        name += '\r';
        break;
      case 't':
        name += '\t';
        break;
      default:
        return false;
    }
  }
  return true;
}

std::string fileLine(const MediaFile& f) {
  std::ostringstream out;
  out << "file=" << escaped(f.group) << '\t' << escaped(f.logicalName) << '\t'
      << escaped(f.physicalName) << '\t' << f.sizeKb << '\t' << int(f.primary) << int(f.log)
      << int(f.included);
  return out.str();
}

bool toNumber(const std::string& text, std::uint64_t& value) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

// A name field of a header line, unescaped when the header's version escapes its names.
bool nameField(const std::string& text, bool escapes, std::string& name) {
  if (escapes) return unescaped(text, name);
  name = text;
  return true;
}

bool parseFile(const std::string& value, bool escapes, MediaFile& f) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab; (tab = value.find('\t', start)) != std::string::npos; start = tab + 1)
    fields.push_back(value.substr(start, tab - start));
  fields.push_back(value.substr(start));
  std::uint64_t size = 0;
  if (fields.size() != 5 || fields[4].size() != 3 || !toNumber(fields[3], size)) return false;
  f = MediaFile{};
  f.sizeKb = static_cast<std::int64_t>(size);
  f.primary = fields[4][0] == '1';
  f.log = fields[4][1] == '1';
  f.included = fields[4][2] == '1';
  return nameField(fields[0], escapes, f.group) && nameField(fields[1], escapes, f.logicalName) &&
         nameField(fields[2], escapes, f.physicalName);
}

}  // namespace

bool encodeMediaHeader(const MediaHeader& h, std::byte* out) {
  std::ostringstream text;
  text << kMagicLine << '\n'
       << "set-id=" << h.setId << '\n'
       << "set-name=" << escaped(h.setName) << '\n'
       << "database=" << escaped(h.database) << '\n'
       << "kind=" << static_cast<int>(h.kind) << '\n'
       << "server-version=" << h.serverVersion << '\n'
       << "family=" << h.family << '\n'
       << "family-count=" << h.familyCount << '\n'
       << "family-bytes=" << h.familyBytes << '\n'
       << "first-lsn=" << h.firstLsn << '\n'
       << "last-lsn=" << h.lastLsn << '\n'
       << "base-lsn=" << h.baseLsn << '\n'
       << "time=" << h.timeMs << '\n';
  for (const MediaFile& f : h.files) text << fileLine(f) << '\n';
  std::string s = text.str();
  if (s.size() >= kMediaHeaderSize) return false;
  std::memset(out, 0, kMediaHeaderSize);
  std::memcpy(out, s.data(), s.size());
  return true;
}

bool decodeMediaHeader(const std::byte* in, std::size_t size, MediaHeader& h) {
  if (size < kMediaHeaderSize) return false;
  const char* chars = reinterpret_cast<const char*>(in);
  std::string text(chars, strnlen(chars, kMediaHeaderSize));
  std::istringstream lines(text);
  std::string line;
  if (!std::getline(lines, line) || (line != kMagicLine && line != kMagicLineUnescaped))
    return false;
  bool escapes = line == kMagicLine;
  h = MediaHeader{};
  std::uint64_t number = 0;
  while (std::getline(lines, line)) {
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    std::string key = line.substr(0, eq);
    std::string value = line.substr(eq + 1);
    if (key == "set-name") {
      if (!nameField(value, escapes, h.setName)) return false;
    } else if (key == "database") {
      if (!nameField(value, escapes, h.database)) return false;
    } else if (key == "file") {
      if (!parseFile(value, escapes, h.files.emplace_back())) return false;
    } else if (!toNumber(value, number)) {
      return false;
    } else if (key == "set-id") {
      h.setId = number;
    } else if (key == "kind") {
      h.kind = static_cast<BackupKind>(number);
    } else if (key == "server-version") {
      h.serverVersion = static_cast<int>(number);
    } else if (key == "family") {
      h.family = static_cast<std::uint32_t>(number);
    } else if (key == "family-count") {
      h.familyCount = static_cast<std::uint32_t>(number);
    } else if (key == "family-bytes") {
      h.familyBytes = number;
    } else if (key == "first-lsn") {
      h.firstLsn = number;
    } else if (key == "last-lsn") {
      h.lastLsn = number;
    } else if (key == "base-lsn") {
      h.baseLsn = number;
    } else if (key == "time") {
      h.timeMs = static_cast<std::int64_t>(number);
    }
  }
  return h.family >= 1 && h.family <= h.familyCount && h.familyBytes >= kMediaHeaderSize;
}

std::uint64_t RecordHead::dataBytes() const {
  if (kind == kRecordPages) return count * kPageSize;
  if (kind == kRecordLog) return count * kLogSlotSize;
  return 0;
}

void encodeRecordHead(const RecordHead& head, std::byte* out) {
  std::memset(out, 0, kRecordHeadSize);
  putLe(out, head.kind, 4);
  putLe(out + 4, head.fileIndex, 4);
  putLe(out + 8, head.firstPage, 8);
  putLe(out + 16, head.count, 8);
}

bool decodeRecordHead(const std::byte* in, RecordHead& head) {
  head.kind = static_cast<std::uint32_t>(getLe(in, 4));
  head.fileIndex = static_cast<std::uint32_t>(getLe(in + 4, 4));
  head.firstPage = getLe(in + 8, 8);
  head.count = getLe(in + 16, 8);
  return head.kind >= kRecordPages && head.kind <= kRecordEnd && head.count < (1ULL << 32);
}

void encodeLogSlot(const LogRecord& r, std::byte* slot) {
  std::memset(slot, 0, kLogSlotSize);
  putLe(slot, kLogMagic, 4);
  putLe(slot + 4, r.lsn, 8);
  putLe(slot + 12, static_cast<std::uint64_t>(r.timeMs), 8);
  std::size_t n = std::min(r.mark.size(), kMaxMarkBytes);
  putLe(slot + 20, n, 2);
  std::memcpy(slot + 22, r.mark.data(), n);
}

bool decodeLogSlot(const std::byte* slot, LogRecord& r) {
  if (getLe(slot, 4) != kLogMagic) return false;
  r.lsn = getLe(slot + 4, 8);
  r.timeMs = static_cast<std::int64_t>(getLe(slot + 12, 8));
  std::size_t n = std::min<std::size_t>(getLe(slot + 20, 2), kMaxMarkBytes);
  r.mark.assign(reinterpret_cast<const char*>(slot + 22), n);
  return true;
}

}  // namespace sqlengine
