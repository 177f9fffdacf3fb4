// DISK devices: a file per device. The engine serves a virtual device set of its own over the
// files, so that a statement naming disks runs through the same device code as one naming an
// application's virtual devices.
//
// A backup writes each file anew (as WITH INIT: one backup set per file); a restore reads each
// file from its start, and its end is the end of the medium. A '\' in a path separates folders,
// as on the server's own file system; a relative path is taken from the instance folder.
// Threads: one per device, started by open and joined by the destructor (or by finish).
#pragma once

#include <string>
#include <thread>
#include <vector>

#include "instance.h"
#include "sqlerror.h"
#include "statement.h"
#include "vdi.h"

namespace sqlengine {

class DiskDevices {
 public:
  DiskDevices() = default;
  ~DiskDevices();
  DiskDevices(const DiskDevices&) = delete;
  DiskDevices& operator=(const DiskDevices&) = delete;

  // Opens every device's file (for writing: created or emptied), creates the set and starts the
  // thread that serves each device. `virtualNames` receives the set's device names, in order.
  // 3201 with the system's error when a file cannot be opened; 50000 when two devices name one
  // file or the set cannot be created.
  SqlError open(const Instance& instance, const std::vector<BackupDevice>& devices, bool write,
                std::vector<std::string>& virtualNames);
  // The files' paths as the statement named them, for messages.
  const std::vector<std::string>& paths() const { return m_paths; }
  // Ends the conversation for a device set the statement left (a failure before the engine
  // opened it), then waits for every device's thread and closes the files.
  void finish();

  // The file a DISK device names: '\' as a folder separator, relative to the instance folder.
  static std::string filePath(const Instance& instance, const std::string& name);

 private:
  void serve(std::size_t device);
  DWORD write(int fd, const VDC_Command& command, DWORD& bytes);
  DWORD read(int fd, const VDC_Command& command, DWORD& bytes);

  std::vector<std::string> m_paths;
  std::vector<std::u16string> m_names;  // the set's device names
  std::vector<int> m_files;             // a descriptor per device
  IClientVirtualDeviceSet2* m_setP = nullptr;
  std::vector<std::thread> m_threads;
};

}  // namespace sqlengine
