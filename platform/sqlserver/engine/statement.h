// The BACKUP and RESTORE statements as the parser hands them to the executor. Texts are UTF-8,
// as written in the statement (quotes removed, doubled quotes made single).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace sqlengine {

struct BackupDevice {
  enum Kind { kVirtualDevice, kDisk } kind = kVirtualDevice;
  std::string name;  // the virtual device's name, or the disk file's path
};

// One FILE= or FILEGROUP= item.
struct FileItem {
  enum Kind { kFile, kFileGroup } kind = kFile;
  std::string name;
};

// MOVE N'logical' TO N'physical'.
struct MoveItem {
  std::string logicalName;
  std::string physicalName;
};

// Options both statements share.
struct TransferOptions {
  std::optional<std::uint32_t> blockSize;
  std::optional<std::uint32_t> bufferCount;
  std::optional<std::uint32_t> maxTransferSize;
};

struct BackupStatement {
  bool log = false;  // BACKUP LOG; else BACKUP DATABASE (with files or groups: a file backup)
  std::string database;
  std::vector<FileItem> items;
  std::vector<BackupDevice> devices;
  TransferOptions transfer;
  bool differential = false;
  bool noTruncate = false;
  std::optional<std::string> name;
  std::optional<std::string> description;
};

struct RestoreStatement {
  bool log = false;  // RESTORE LOG; else RESTORE DATABASE
  std::string database;
  std::vector<FileItem> items;
  std::vector<BackupDevice> devices;
  TransferOptions transfer;
  bool dboOnly = false;
  bool restrictedUser = false;
  bool partial = false;
  bool replace = false;
  std::vector<MoveItem> moves;
  // RECOVERY unless NORECOVERY or STANDBY is given (SQL Server's default).
  enum Recovery { kRecovery, kNoRecovery, kStandby } recovery = kRecovery;
  bool recoveryGiven = false;
  std::string standbyFile;
  std::optional<std::string> stopAt;  // the time as written
  enum StopMark { kNoMark, kStopAtMark, kStopBeforeMark } stopMark = kNoMark;
  std::string markName;
  std::optional<std::string> after;  // AFTER the time as written, with a mark only
};

using Statement = std::variant<BackupStatement, RestoreStatement>;

}  // namespace sqlengine
