// The records of an emulated SQL Server instance: server facts, logins, databases with their
// options, file groups, data and log files, and log records.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sqlengine {

inline constexpr std::uint32_t kPageSize = 8192;
// Each page starts with a header the engine owns: the log sequence number of its last change
// (u64, little-endian), its page number in the file (u32) and 4 reserved bytes. A page never
// written is all zeros (sequence number 0). The rest is the page's data.
inline constexpr std::uint32_t kPageHeaderSize = 16;
inline constexpr const char* kDefaultInstance = "MSSQLSERVER";
inline constexpr const char* kPrimaryGroup = "PRIMARY";

// The facts the server reports about itself. Every field has a name for `sqlsim server`.
struct ServerFacts {
  int versionMajor = 8;
  int versionMinor = 0;
  std::string versionString;  // empty: made from the version numbers
  std::string hostName;       // empty: the machine name
  std::string netName;        // empty: the machine name
  bool clustered = false;
  int codePage = 1252;
  int sortOrderId = 52;
  int unicodeLocaleId = 1033;
  int unicodeComparisonStyle = 196609;
  bool mixedAuthentication = true;  // false: Windows authentication only
  int serviceStatus = 1;            // 1 running
  bool showAdvancedOptions = false;
};

struct Login {
  std::string name;
  bool windows = false;  // an integrated login; else SQL Server authentication
  std::string password;  // SQL Server authentication only
  bool sysadmin = false;
  bool refused = false;  // access denied
};

// Database states, as the object model's status numbers.
enum DbStatus : int {
  kStatusNormal = 0,
  kStatusLoading = 32,  // restoring
  kStatusRecovering = 192,
  kStatusSuspect = 256,
  kStatusOffline = 512,
  kStatusInaccessible = 992,
  kStatusStandby = 1024,
  kStatusEmergency = 32768,
};

// The nine options, by the object model's names.
struct DbOptions {
  bool readOnly = false;
  bool dboUseOnly = false;
  bool selectIntoBulkCopy = false;
  bool singleUser = false;
  bool truncateLogOnCheckpoint = false;
  bool autoClose = false;
  bool autoShrink = false;
  bool tornPageDetection = false;
  bool offline = false;
};

struct DbFile {
  std::int64_t id = 0;
  std::string logicalName;
  std::string physicalName;  // an absolute path, or relative to the instance folder
  std::int64_t sizeKb = 0;   // a whole number of pages
  std::int64_t usedPages = 0;
  bool primary = false;
  bool log = false;
};

struct FileGroup {
  std::string name;
  std::vector<DbFile> files;
};

struct Database {
  std::int64_t id = 0;
  std::string name;
  int status = kStatusNormal;
  int compatibilityLevel = 80;
  int version = 539;
  bool system = false;
  DbOptions options;
  std::vector<FileGroup> groups;  // PRIMARY first, in their order; some may be empty
  std::vector<DbFile> logFiles;
  std::uint64_t nextLsn = 1;     // the next sequence number handed out
  std::uint64_t logRecords = 0;  // records held in the log
};

// One record of a database's log.
struct LogRecord {
  std::uint64_t lsn = 0;
  std::int64_t timeMs = 0;  // wall-clock time of the server, ms since 1970-01-01 00:00
  std::string mark;         // empty: no mark
};

// Names (databases, files, groups, marks) hold at most 128 characters; a UTF-8 name is counted
// in characters, not bytes.
inline constexpr std::size_t kMaxNameCharacters = 128;
inline std::size_t characterCount(std::string_view text) {
  std::size_t n = 0;
  for (char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}
// The first n characters of text, never cut inside a character.
inline std::string firstCharacters(std::string_view text, std::size_t n) {
  std::size_t at = 0;
  for (std::size_t seen = 0; at < text.size(); ++at) {
    if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80 && seen++ == n) break;
  }
  return std::string(text.substr(0, at));
}

inline constexpr std::uint32_t kLogSlotSize = 512;
inline constexpr std::size_t kMaxMarkBytes = 480;

// A fault armed on an instance. Kinds: "connect" (Connect is refused), "call" (the object-model
// call named by target fails), "statement" (ExecuteImmediate fails with the message; target
// "backup", "restore" or empty for any statement).
struct Fault {
  std::int64_t id = 0;
  std::string kind;
  std::string target;
  std::int32_t hresult = 0;  // "call": the result; 0 = take it from the message number
  int message = 0;           // SQL Server message number
  std::string text;          // empty: the message's own text
  int skip = 0;              // matching calls let through before the fault fires
  int times = 0;             // firings left; 0 = until cleared
};

}  // namespace sqlengine
