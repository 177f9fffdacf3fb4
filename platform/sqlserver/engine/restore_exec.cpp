// RESTORE through virtual devices: the families of a set in any order on as few as one device
// (the next medium asked for with Load), each read exactly to its end and applied as it comes;
// then the log, the stop point and the database's state.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>

#include "backup_restore.h"
#include "media.h"
#include "pagefile.h"
#include "sqltime.h"
#include "vdevices.h"

namespace sqlengine {

namespace {

// What one restore knows of the set and the target database.
struct RestoreRun {
  Instance& instance;
  const RestoreStatement& s;
  StatementDevices& d;
  std::optional<MediaHeader> set;  // the first header read
  std::vector<bool> claimed;       // a family's header was read
  std::vector<bool> complete;      // a family was read to its end
  std::vector<bool> selected;      // the files whose pages this restore applies
  std::vector<LogRecord> log;      // the set's log records
  bool stopPending = false;        // a stop point was named and this log did not reach it

  const std::string& target() const { return s.database; }
  bool allClaimed() const {
    return std::all_of(claimed.begin(), claimed.end(), [](bool b) { return b; });
  }
};

std::uint64_t propertyNumber(Instance& instance, const std::string& db, const char* key) {
  std::string value;
  if (!instance.property(db, key, value).ok() || value.empty()) return 0;
  return std::stoull(value);
}

// ---- Preparing the database at the first header ----

bool itemNames(const std::vector<FileItem>& items, const MediaFile& f) {
  for (const FileItem& item : items) {
    if (sameName(item.name, item.kind == FileItem::kFile ? f.logicalName : f.group)) return true;
  }
  return false;
}

void selectFiles(RestoreRun& run) {
  const MediaHeader& h = *run.set;
  run.selected.assign(h.files.size(), false);
  for (std::size_t i = 0; i < h.files.size(); ++i) {
    const MediaFile& f = h.files[i];
    bool wanted = run.s.items.empty() && !run.s.partial;
    if (!wanted) wanted = itemNames(run.s.items, f) || (run.s.partial && f.group == kPrimaryGroup);
    run.selected[i] = f.included && wanted;
  }
}

std::string physicalFor(const RestoreStatement& s, const MediaFile& f) {
  for (const MoveItem& m : s.moves) {
    if (sameName(m.logicalName, f.logicalName)) return m.physicalName;
  }
  return f.physicalName;
}

SqlError checkMoves(const RestoreRun& run) {
  for (const MoveItem& m : run.s.moves) {
    bool known = std::any_of(run.set->files.begin(), run.set->files.end(), [&](const MediaFile& f) {
      return sameName(m.logicalName, f.logicalName);
    });
    if (!known) return sqlMessage(kMsgLogicalFileUnknown, {m.logicalName, run.set->database});
  }
  return {};
}

// Every file the restore creates is free or the replaced database's own: checked before the
// replaced database goes, so that a refused statement changes nothing.
SqlError checkTargets(RestoreRun& run, const Database* replacedP) {
  std::vector<Database> all;
  if (SqlError e = run.instance.databases(all); !e.ok()) return e;
  for (const MediaFile& f : run.set->files) {
    DbFile target;
    target.physicalName = physicalFor(run.s, f);
    if (target.physicalName.empty()) continue;  // a default place under the new database
    std::filesystem::path path = run.instance.filePath(target);
    for (const Database& db : all) {
      if (replacedP != nullptr && sameName(db.name, replacedP->name)) continue;
      auto uses = [&](const DbFile& file) { return run.instance.filePath(file) == path; };
      bool used = std::any_of(db.logFiles.begin(), db.logFiles.end(), uses);
      for (const FileGroup& g : db.groups)
        used = used || std::any_of(g.files.begin(), g.files.end(), uses);
      if (used) return sqlMessage(kMsgFileInUse, {target.physicalName, db.name});
    }
  }
  return {};
}

// A full restore makes the database anew, from the set's file list, at the MOVE targets.
SqlError createFromSet(RestoreRun& run, int serverVersion) {
  Instance& instance = run.instance;
  const MediaHeader& h = *run.set;
  Database existing;
  if (instance.database(run.target(), existing).ok()) {
    bool midSequence = existing.status == kStatusLoading || existing.status == kStatusStandby;
    if (!run.s.replace && !midSequence) {
      if (!sameName(existing.name, h.database))
        return sqlMessage(kMsgOtherDatabase, {existing.name});
      if (serverVersion >= 9) return sqlMessage(kMsgTailNotBackedUp, {existing.name});
    }
    if (SqlError e = checkTargets(run, &existing); !e.ok()) return e;
    if (SqlError e = instance.removeDatabase(existing.name); !e.ok()) return e;
  } else if (SqlError e = checkTargets(run, nullptr); !e.ok()) {
    return e;
  }
  Database definition;
  definition.name = run.target();
  for (const MediaFile& f : h.files) {
    DbFile file;
    file.logicalName = f.logicalName;
    file.physicalName = physicalFor(run.s, f);
    file.sizeKb = f.sizeKb;
    if (f.log) {
      definition.logFiles.push_back(file);
      continue;
    }
    auto group = std::find_if(definition.groups.begin(), definition.groups.end(),
                              [&](const FileGroup& g) { return g.name == f.group; });
    if (group == definition.groups.end())
      group = definition.groups.insert(definition.groups.end(), {f.group, {}});
    group->files.push_back(file);
  }
  if (SqlError e = instance.createDatabase(definition); !e.ok()) return e;
  if (SqlError e = instance.setStatus(definition.name, kStatusLoading); !e.ok()) return e;
  return instance.setProperty(definition.name, kPropRestoreFullLsn, std::to_string(h.lastLsn));
}

// The restore sequence goes on: the database waits for this backup.
SqlError checkSequence(RestoreRun& run) {
  Instance& instance = run.instance;
  const MediaHeader& h = *run.set;
  Database db;
  if (SqlError e = instance.database(run.target(), db); !e.ok()) return e;
  bool restoring = db.status == kStatusLoading || db.status == kStatusStandby;
  bool stopped = propertyNumber(instance, db.name, kPropStopReached) == 1;
  if (h.kind == BackupKind::kLog && (!restoring || stopped))
    return sqlMessage(kMsgRestoreSequenceEnded);
  if (h.kind == BackupKind::kDifferential &&
      (!restoring || propertyNumber(instance, db.name, kPropRestoreFullLsn) != h.baseLsn))
    return sqlMessage(kMsgDiffWithoutBase);
  if (h.kind != BackupKind::kLog) return {};
  std::uint64_t at = propertyNumber(instance, db.name, kPropRestoreLsn);
  if (h.firstLsn > at)
    return sqlMessage(kMsgLogTooLate, {std::to_string(h.firstLsn), std::to_string(at)});
  if (h.lastLsn <= at)
    return sqlMessage(kMsgLogTooEarly, {std::to_string(h.lastLsn), std::to_string(at)});
  return {};
}

SqlError prepareDatabase(RestoreRun& run, int serverVersion) {
  const MediaHeader& h = *run.set;
  if (run.s.log != (h.kind == BackupKind::kLog)) {
    return sqlMessage(kMsgEngineFailure,
                      {std::string("The backup set holds a ") +
                       (run.s.log ? "database backup; RESTORE LOG needs a log backup."
                                  : "log backup; RESTORE DATABASE needs a database backup.")});
  }
  if (SqlError e = checkMoves(run); !e.ok()) return e;
  selectFiles(run);
  bool whole = h.kind == BackupKind::kFull && run.s.items.empty();
  if (whole || (h.kind == BackupKind::kFull && run.s.partial))
    return createFromSet(run, serverVersion);
  return checkSequence(run);
}

// ---- Reading the families ----

// One device's progress through its media.
struct DeviceReader {
  enum Phase { kHeader, kPayload, kLoad, kDone } phase = kHeader;
  std::shared_ptr<BYTE> buffer;
  std::vector<std::byte> header;  // the header read so far
  MediaHeader family;
  std::uint64_t payloadLeft = 0;
  std::vector<std::byte> pending;  // bytes of a record not yet whole
  bool ended = false;              // the family's end record was read
};

SqlError applyRecords(RestoreRun& run, DeviceReader& r, std::size_t device) {
  const MediaHeader& h = *run.set;
  std::size_t at = 0;
  while (!r.ended && r.pending.size() - at >= kRecordHeadSize) {
    RecordHead head;
    if (!decodeRecordHead(r.pending.data() + at, head) ||
        (head.kind == kRecordPages && head.fileIndex >= h.files.size()))
      return sqlMessage(kMsgFamilyMalformed, {run.d.names[device]});
    std::uint64_t size = kRecordHeadSize + head.dataBytes();
    if (r.pending.size() - at < size) break;
    const std::byte* data = r.pending.data() + at + kRecordHeadSize;
    if (head.kind == kRecordEnd) r.ended = true;
    if (head.kind == kRecordLog) {
      for (std::uint64_t i = 0; i < head.count; ++i) {
        if (!decodeLogSlot(data + i * kLogSlotSize, run.log.emplace_back()))
          return sqlMessage(kMsgFamilyMalformed, {run.d.names[device]});
      }
    }
    if (head.kind == kRecordPages && run.selected[head.fileIndex]) {
      SqlError e = run.instance.writePages(run.target(), h.files[head.fileIndex].logicalName,
                                           head.firstPage, head.count, data);
      if (!e.ok()) return e;
    }
    at += size;
  }
  r.pending.erase(r.pending.begin(), r.pending.begin() + static_cast<std::ptrdiff_t>(at));
  return {};
}

// A family's header: the first one fixes the set and prepares the database; every family
// belongs to that set and arrives once.
SqlError takeHeader(RestoreRun& run, DeviceReader& r, std::size_t device, int serverVersion) {
  MediaHeader& f = r.family;
  if (!decodeMediaHeader(r.header.data(), r.header.size(), f))
    return sqlMessage(kMsgFamilyMalformed, {run.d.names[device]});
  if (run.set && (f.setId != run.set->setId || f.familyCount != run.set->familyCount))
    return sqlMessage(kMsgFamilyMalformed, {run.d.names[device]});
  if (!run.set) {
    run.set = f;
    run.claimed.assign(f.familyCount, false);
    run.complete.assign(f.familyCount, false);
    if (SqlError e = prepareDatabase(run, serverVersion); !e.ok()) return e;
  }
  if (run.claimed[f.family - 1])
    return sqlMessage(kMsgDuplicateFamily, {run.d.names[device], std::to_string(f.family)});
  run.claimed[f.family - 1] = true;
  r.payloadLeft = f.familyBytes - kMediaHeaderSize;
  r.phase = DeviceReader::kPayload;
  return {};
}

// Sends device i's next command; false when it has nothing more to do.
SqlError sendNext(RestoreRun& run, DeviceReader& r, std::size_t i, bool& sent) {
  sent = false;
  DWORD max = run.d.config.maxTransferSize;
  DWORD size = 0;
  if (r.phase == DeviceReader::kHeader)
    size = static_cast<DWORD>(std::min<std::size_t>(max, kMediaHeaderSize - r.header.size()));
  if (r.phase == DeviceReader::kPayload)
    size = static_cast<DWORD>(std::min<std::uint64_t>(max, r.payloadLeft));
  if (r.phase == DeviceReader::kDone) return {};
  HRESULT hr = r.phase == DeviceReader::kLoad
                   ? run.d.device(i).SendCommand(VDC_Load)
                   : run.d.device(i).SendCommand(VDC_Read, r.buffer, size);
  if (FAILED(hr)) return run.d.deviceFault(i, false, hresultText(hr));
  sent = true;
  return {};
}

// A family read to its end: the next medium when families remain unread, else the end.
SqlError familyDone(RestoreRun& run, DeviceReader& r, std::size_t i) {
  if (!r.ended || !r.pending.empty()) return sqlMessage(kMsgFamilyMalformed, {run.d.names[i]});
  run.complete[r.family.family - 1] = true;
  r.header.clear();
  r.ended = false;
  bool more = !run.allClaimed() && run.d.removable();
  r.phase = more ? DeviceReader::kLoad : DeviceReader::kDone;
  return {};
}

SqlError takeCompletion(RestoreRun& run, DeviceReader& r, std::size_t i, int serverVersion) {
  vdi::VDServerCompletion done{};
  if (SqlError e = awaitCompletion(run.d, i, false, &done); !e.ok()) return e;
  if (r.phase == DeviceReader::kLoad) {
    r.phase = DeviceReader::kHeader;
    return {};
  }
  const std::byte* data = reinterpret_cast<const std::byte*>(r.buffer.get());
  std::uint32_t n = done.bytesTransferred;
  bool atEnd = done.completionCode == ERROR_HANDLE_EOF || n < done.command.size;
  if (r.phase == DeviceReader::kHeader) {
    if (atEnd && n == 0 && r.header.empty()) {
      r.phase = DeviceReader::kDone;  // no medium left on this device
      return {};
    }
    r.header.insert(r.header.end(), data, data + n);
    if (r.header.size() < kMediaHeaderSize) {
      return atEnd ? sqlMessage(kMsgFamilyMalformed, {run.d.names[i]}) : SqlError{};
    }
    return takeHeader(run, r, i, serverVersion);
  }
  r.pending.insert(r.pending.end(), data, data + n);
  r.payloadLeft -= n;
  if (SqlError e = applyRecords(run, r, i); !e.ok()) return e;
  if (r.payloadLeft == 0) {
    r.pending.clear();  // the padding after the end record
    r.pending.shrink_to_fit();
    return familyDone(run, r, i);
  }
  return atEnd ? sqlMessage(kMsgFamilyMalformed, {run.d.names[i]}) : SqlError{};
}

SqlError readFamilies(RestoreRun& run, int serverVersion) {
  std::vector<DeviceReader> readers(run.d.names.size());
  for (DeviceReader& r : readers)
    r.buffer.reset(new BYTE[run.d.config.maxTransferSize], std::default_delete<BYTE[]>());
  for (;;) {
    std::vector<std::size_t> sent;
    for (std::size_t i = 0; i < readers.size(); ++i) {
      bool wasSent = false;
      if (SqlError e = sendNext(run, readers[i], i, wasSent); !e.ok()) return e;
      if (wasSent) sent.push_back(i);
    }
    if (sent.empty()) break;
    for (std::size_t i : sent) {
      if (SqlError e = takeCompletion(run, readers[i], i, serverVersion); !e.ok()) return e;
    }
  }
  std::size_t got = std::count(run.complete.begin(), run.complete.end(), true);
  if (!run.set || got != run.complete.size()) {
    std::string name = run.set ? run.set->database : run.target();
    std::string count = run.set ? std::to_string(run.set->familyCount) : "1";
    return sqlMessage(kMsgFamilyMissing, {name, count, std::to_string(got)});
  }
  return {};
}

// ---- The log and the database's state ----

// The log records a log restore applies: those past the restored point, up to the stop point.
// stopped tells whether the stop point lies inside this backup.
std::vector<LogRecord> upToStop(const RestoreStatement& s, std::vector<LogRecord> records,
                                bool& stopped) {
  stopped = false;
  std::optional<std::int64_t> stopAt = s.stopAt ? parseSqlTime(*s.stopAt) : std::nullopt;
  std::optional<std::int64_t> after = s.after ? parseSqlTime(*s.after) : std::nullopt;
  std::vector<LogRecord> out;
  for (const LogRecord& r : records) {
    if (stopAt && r.timeMs > *stopAt) {
      stopped = true;
      break;
    }
    bool markHere = s.stopMark != RestoreStatement::kNoMark && r.mark == s.markName &&
                    (!after || r.timeMs >= *after);
    if (markHere && s.stopMark == RestoreStatement::kStopBeforeMark) {
      stopped = true;
      break;
    }
    out.push_back(r);
    if (markHere) {
      stopped = true;
      break;
    }
  }
  return out;
}

SqlError applyLog(RestoreRun& run) {
  Instance& instance = run.instance;
  const MediaHeader& h = *run.set;
  const std::string& db = run.target();
  std::sort(run.log.begin(), run.log.end(),
            [](const LogRecord& a, const LogRecord& b) { return a.lsn < b.lsn; });
  if (h.kind == BackupKind::kFiles || !run.s.items.empty()) {
    // The restored files stand at the end of their backup: log backups roll them forward
    // from there, as on the server.
    if (SqlError e = instance.setProperty(db, kPropStopReached, ""); !e.ok()) return e;
    return instance.setProperty(db, kPropRestoreLsn, std::to_string(h.lastLsn));
  }
  if (h.kind != BackupKind::kLog) {
    if (SqlError e = instance.replaceLog(db, run.log, h.lastLsn); !e.ok()) return e;
    return instance.setProperty(db, kPropRestoreLsn, std::to_string(h.lastLsn));
  }
  std::uint64_t at = propertyNumber(instance, db, kPropRestoreLsn);
  std::erase_if(run.log, [&](const LogRecord& r) { return r.lsn < at; });
  bool stopped = false;
  std::vector<LogRecord> added = upToStop(run.s, run.log, stopped);
  std::vector<LogRecord> log;
  if (SqlError e = instance.readLog(db, log); !e.ok()) return e;
  log.insert(log.end(), added.begin(), added.end());
  std::uint64_t next = stopped ? (added.empty() ? at : added.back().lsn + 1) : h.lastLsn;
  // A stop point past this backup's end: the database waits for the next log backup.
  run.stopPending = !stopped && (run.s.stopAt || run.s.stopMark != RestoreStatement::kNoMark);
  if (SqlError e = instance.replaceLog(db, log, next); !e.ok()) return e;
  if (SqlError e = instance.setProperty(db, kPropRestoreLsn, std::to_string(next)); !e.ok())
    return e;
  return stopped ? instance.setProperty(db, kPropStopReached, "1") : SqlError{};
}

SqlError finishState(RestoreRun& run) {
  Instance& instance = run.instance;
  const std::string& db = run.target();
  if (run.s.recovery == RestoreStatement::kNoRecovery || run.stopPending)
    return instance.setStatus(db, run.s.recovery == RestoreStatement::kStandby && run.stopPending
                                      ? kStatusStandby
                                      : kStatusLoading);
  if (run.s.recovery == RestoreStatement::kStandby) {
    std::ofstream undo(run.s.standbyFile, std::ios::binary | std::ios::trunc);
    if (!undo) return sqlMessage(kMsgIoError, {"cannot create", "write", run.s.standbyFile});
    return instance.setStatus(db, kStatusStandby);
  }
  // Recovered: later backups of the database take this state as their base.
  const MediaHeader& h = *run.set;
  std::string restored;
  if (SqlError e = instance.property(db, kPropRestoreLsn, restored); !e.ok()) return e;
  if (h.kind == BackupKind::kFull)
    if (SqlError e = instance.setProperty(db, kPropFullLsn, std::to_string(h.lastLsn)); !e.ok())
      return e;
  if (!restored.empty())
    if (SqlError e = instance.setProperty(db, kPropLogChainLsn, restored); !e.ok()) return e;
  return instance.setStatus(db, kStatusNormal);
}

}  // namespace

namespace {

// A stop time that cannot be read is refused before anything is read or changed.
SqlError checkStopTimes(const RestoreStatement& s) {
  for (const std::optional<std::string>* timeP : {&s.stopAt, &s.after}) {
    if (*timeP && !parseSqlTime(**timeP)) return sqlMessage(kMsgBadDateTime);
  }
  return {};
}

}  // namespace

SqlError runRestore(Instance& instance, const RestoreStatement& s) {
  if (SqlError e = checkStopTimes(s); !e.ok()) return e;
  ServerFacts facts;
  if (SqlError e = instance.facts(facts); !e.ok()) return e;
  const char* statementName = s.log ? "RESTORE LOG" : "RESTORE DATABASE";
  StatementDevices d;
  if (SqlError e = openStatementDevices(instance, s.devices, s.transfer, statementName, d); !e.ok())
    return e;
  RestoreRun run{instance, s, d, std::nullopt, {}, {}, {}, {}, false};
  if (SqlError e = readFamilies(run, facts.versionMajor); !e.ok()) return d.fail(e);
  d.set->Close();
  if (SqlError e = applyLog(run); !e.ok()) return d.fail(e);
  if (SqlError e = finishState(run); !e.ok()) return d.fail(e);
  return {};
}

}  // namespace sqlengine
