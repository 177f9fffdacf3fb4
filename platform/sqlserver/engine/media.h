// The backup media format of the emulated server: what a BACKUP writes to its devices and a
// RESTORE reads back.
//
// A backup set is written as one media family per device. Each family begins with a header of
// kMediaHeaderSize bytes (text lines "key=value", then zeros) that names the set, the family's
// number and the family count, the database with its files, the kind of backup and its log
// sequence numbers, and the family's length. Then come records, each a 32-byte head (kind,
// file index, first page, count, all little-endian) followed by its data: pages (count pages of
// kPageSize) or log records (count slots of kLogSlotSize); an end record closes the family,
// whose length is padded with zeros to a multiple of the block size. Page records may go to
// any family, so a restore applies each family on its own, in any order; the log records of
// the set are in family 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model.h"
#include "sqlerror.h"

namespace sqlengine {

inline constexpr std::size_t kMediaHeaderSize = 64 * 1024;
inline constexpr std::size_t kRecordHeadSize = 32;

enum class BackupKind { kFull = 1, kDifferential = 2, kLog = 3, kFiles = 4 };

// One file of the backed-up database; index is its place in MediaHeader::files.
struct MediaFile {
  std::string group;  // empty for a log file
  std::string logicalName;
  std::string physicalName;
  std::int64_t sizeKb = 0;
  bool primary = false;
  bool log = false;
  bool included = false;  // its pages are in the set (file backups name some files only)
};

struct MediaHeader {
  std::uint64_t setId = 0;  // the same in every family of one set
  std::string setName;
  std::string database;
  BackupKind kind = BackupKind::kFull;
  int serverVersion = 8;
  std::uint32_t family = 1;  // 1..familyCount
  std::uint32_t familyCount = 1;
  std::uint64_t familyBytes = 0;  // the family's length, header included
  std::uint64_t firstLsn = 0;     // log: the first record's place in the chain
  std::uint64_t lastLsn = 0;      // the database's next sequence number at the backup
  std::uint64_t baseLsn = 0;      // differential: the full backup it is based on
  std::int64_t timeMs = 0;
  std::vector<MediaFile> files;
};

// Writes the header into out (kMediaHeaderSize bytes); false when it does not fit.
bool encodeMediaHeader(const MediaHeader& header, std::byte* out);
// False for anything that is not a family header of this format.
bool decodeMediaHeader(const std::byte* in, std::size_t size, MediaHeader& header);

enum RecordKind : std::uint32_t { kRecordPages = 1, kRecordLog = 2, kRecordEnd = 3 };

struct RecordHead {
  std::uint32_t kind = kRecordEnd;
  std::uint32_t fileIndex = 0;
  std::uint64_t firstPage = 0;
  std::uint64_t count = 0;

  std::uint64_t dataBytes() const;
};

void encodeRecordHead(const RecordHead& head, std::byte* out);
bool decodeRecordHead(const std::byte* in, RecordHead& head);

// Log records in the media's slots (the layout of the log files' own slots).
void encodeLogSlot(const LogRecord& record, std::byte* slot);
bool decodeLogSlot(const std::byte* slot, LogRecord& record);

}  // namespace sqlengine
