// The statement's side of its virtual device set: opening the set the client created under the
// statement's first device name, and the round trips of commands with the messages SQL Server
// gives when a device fails.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "instance.h"
#include "sqlerror.h"
#include "statement.h"
#include "vdi_server.h"

namespace sqlengine {

// Block size and largest transfer when the statement names none.
inline constexpr std::uint32_t kDefaultBlockSize = 512;
inline constexpr std::uint32_t kDefaultMaxTransfer = 1024 * 1024;

struct StatementDevices {
  std::string statementName;  // "BACKUP DATABASE", "RESTORE LOG", ...
  std::vector<std::string> names;
  std::unique_ptr<vdi::ServerSet> set;
  VDConfig config{};

  bool removable() const { return (config.features & VDF_Removable) != 0; }
  vdi::ServerDevice& device(std::size_t i) { return set->device(i); }

  // A failed statement: the set is aborted, so that the client stops at once, then closed.
  // Returns the statement's message: the fault's own, then "... is terminating abnormally."
  SqlError fail(SqlError cause);
  // The fault of one device: a refused command or a failed call, as messages 3202 (write) and
  // 3203 (read) say it.
  SqlError deviceFault(std::size_t i, bool write, const std::string& what);
};

// Opens the set for the statement. Every device must be a virtual device.
SqlError openStatementDevices(Instance& instance, const std::vector<BackupDevice>& devices,
                              const TransferOptions& transfer, const std::string& statementName,
                              StatementDevices& out);

// The text of an interface result for a message: "0x80770004".
std::string hresultText(HRESULT hr);

}  // namespace sqlengine
