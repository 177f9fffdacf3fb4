#include "vdevices.h"

#include <cstdio>

#include "bstr.h"

namespace sqlengine {

std::string hresultText(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
  return text;
}

SqlError StatementDevices::fail(SqlError cause) {
  if (set) {
    set->SignalAbort();
    set->Close();
  }
  SqlError terminating = sqlMessage(kMsgBackupTerminating, {statementName});
  cause.text += "\n" + terminating.text;
  return cause;
}

SqlError StatementDevices::deviceFault(std::size_t i, bool write, const std::string& what) {
  return sqlMessage(write ? kMsgWriteFailed : kMsgReadFailed, {names.at(i), what});
}

SqlError openStatementDevices(Instance& instance, const std::vector<BackupDevice>& devices,
                              const TransferOptions& transfer, const std::string& statementName,
                              StatementDevices& out) {
  out.statementName = statementName;
  std::vector<std::u16string> names;
  for (const BackupDevice& d : devices) {
    if (d.kind != BackupDevice::kVirtualDevice) {
      return out.fail(sqlMessage(kMsgEngineFailure,
                                 {"Backup devices other than virtual devices are not supported "
                                  "by this server."}));
    }
    out.names.push_back(d.name);
    names.push_back(com::toUtf16(d.name));
  }
  vdi::ServerOptions options{transfer.blockSize.value_or(kDefaultBlockSize),
                             transfer.maxTransferSize.value_or(kDefaultMaxTransfer)};
  std::u16string instanceName =
      instance.name() == kDefaultInstance ? u"" : com::toUtf16(instance.name());
  HRESULT hr = vdi::ServerSet::Open(instanceName, names, options, &out.set);
  if (FAILED(hr)) {
    out.set.reset();
    return out.fail(
        sqlMessage(kMsgCannotOpenDevice, {out.names.empty() ? "" : out.names[0], hresultText(hr)}));
  }
  out.config = out.set->configuration();
  return {};
}

}  // namespace sqlengine
