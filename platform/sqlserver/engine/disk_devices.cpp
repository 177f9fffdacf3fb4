#include "disk_devices.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "bstr.h"

namespace sqlengine {

namespace {

constexpr DWORD kErrorDiskFull = 112;  // ERROR_DISK_FULL

// Device names no application's set uses: the process and a count of the sets it made.
std::u16string setDeviceName(std::uint32_t set, std::size_t device) {
  static const unsigned pid = static_cast<unsigned>(getpid());
  char name[64];
  std::snprintf(name, sizeof name, "ZKSQLDISK-%08X-%08X-%04zX", pid, set, device);
  return com::toUtf16(name);
}

// "2(No such file or directory)", as the server quotes an operating system error.
std::string systemError(int error) {
  return std::to_string(error) + "(" + std::strerror(error) + ")";
}

DWORD failureCode(int error) {
  return error == ENOSPC ? kErrorDiskFull : ERROR_CAN_NOT_COMPLETE;
}

}  // namespace

std::string DiskDevices::filePath(const Instance& instance, const std::string& name) {
  std::string path = name;
  std::replace(path.begin(), path.end(), '\\', '/');
  std::filesystem::path p(path);
  return p.is_absolute() ? path : (instance.dir() / p).string();
}

DiskDevices::~DiskDevices() {
  finish();
}

SqlError DiskDevices::open(const Instance& instance, const std::vector<BackupDevice>& devices,
                           bool write, std::vector<std::string>& virtualNames) {
  static std::atomic<std::uint32_t> sets{0};
  std::uint32_t set = ++sets;
  int flags = write ? O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC : O_RDONLY | O_CLOEXEC;
  std::vector<std::string> files;
  for (const BackupDevice& d : devices) {
    files.push_back(filePath(instance, d.name));
    if (std::count(files.begin(), files.end(), files.back()) > 1) {
      return sqlMessage(kMsgEngineFailure,
                        {"The file '" + d.name + "' is named by more than one device."});
    }
  }
  for (std::size_t i = 0; i < devices.size(); ++i) {
    m_paths.push_back(devices[i].name);
    int fd = ::open(files[i].c_str(), flags, 0644);
    if (fd < 0) return sqlMessage(kMsgCannotOpenDevice, {devices[i].name, systemError(errno)});
    m_files.push_back(fd);
    m_names.push_back(setDeviceName(set, i));
    virtualNames.push_back(com::toUtf8(m_names.back()));
  }
  void* setP = nullptr;
  HRESULT hr = vdiCreateClientVirtualDeviceSet(IID_IClientVirtualDeviceSet2, &setP);
  if (FAILED(hr)) return sqlMessage(kMsgEngineFailure, {"The disk devices cannot be served."});
  m_setP = static_cast<IClientVirtualDeviceSet2*>(setP);
  VDConfig config{};
  config.deviceCount = static_cast<DWORD>(devices.size());
  std::u16string instanceName =
      instance.name() == kDefaultInstance ? u"" : com::toUtf16(instance.name());
  hr = m_setP->CreateEx(instanceName.c_str(), m_names[0].c_str(), &config);
  if (FAILED(hr)) return sqlMessage(kMsgEngineFailure, {"The disk devices cannot be served."});
  for (std::size_t i = 0; i < devices.size(); ++i) m_threads.emplace_back([this, i] { serve(i); });
  return {};
}

void DiskDevices::finish() {
  // Wakes a device still waiting for a statement that will not come (a no-op after the
  // statement closed the set).
  if (m_setP != nullptr) m_setP->SignalAbort();
  for (std::thread& t : m_threads) t.join();
  m_threads.clear();
  if (m_setP != nullptr) {
    m_setP->Close();
    m_setP->Release();
    m_setP = nullptr;
  }
  for (int fd : m_files) ::close(fd);
  m_files.clear();
}

void DiskDevices::serve(std::size_t device) {
  VDConfig config{};
  if (FAILED(m_setP->GetConfiguration(INFINITE, &config))) return;
  IClientVirtualDevice* deviceP = nullptr;
  if (FAILED(m_setP->OpenDevice(m_names[device].c_str(), &deviceP))) return;
  int fd = m_files[device];
  for (;;) {
    VDC_Command* commandP = nullptr;
    if (FAILED(deviceP->GetCommand(INFINITE, &commandP))) break;
    DWORD bytes = 0;
    DWORD code = ERROR_SUCCESS;
    switch (commandP->commandCode) {
      case VDC_Write:
        code = write(fd, *commandP, bytes);
        break;
      case VDC_Read:
        code = read(fd, *commandP, bytes);
        break;
      case VDC_Flush:
        code = ::fsync(fd) == 0 ? ERROR_SUCCESS : failureCode(errno);
        break;
      case VDC_ClearError:
        break;
      default:
        code = ERROR_NOT_SUPPORTED;
    }
    if (FAILED(deviceP->CompleteCommand(commandP, code, bytes, 0))) break;
  }
  deviceP->Release();
}

DWORD DiskDevices::write(int fd, const VDC_Command& command, DWORD& bytes) {
  while (bytes < command.size) {
    ssize_t n = ::write(fd, command.buffer + bytes, command.size - bytes);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return failureCode(n < 0 ? errno : ENOSPC);
    bytes += static_cast<DWORD>(n);
  }
  return ERROR_SUCCESS;
}

// Up to the command's size; nothing left is the end of the medium.
DWORD DiskDevices::read(int fd, const VDC_Command& command, DWORD& bytes) {
  while (bytes < command.size) {
    ssize_t n = ::read(fd, command.buffer + bytes, command.size - bytes);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return failureCode(errno);
    if (n == 0) break;
    bytes += static_cast<DWORD>(n);
  }
  return bytes == 0 ? ERROR_HANDLE_EOF : ERROR_SUCCESS;
}

}  // namespace sqlengine
