// Test helper: a backup application in miniature. It creates a virtual device set, serves each
// device on a thread of its own and keeps the media in memory: a backup's writes go to one
// medium per device; a restore reads the media queued for each device, switching to the next
// one at each Load.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <thread>
#include <vector>

#include "execute.h"
#include "tsql.h"
#include "vdi_test_support.h"

namespace enginetest {

using Medium = std::vector<BYTE>;

class MediaClient {
 public:
  // version 7: the first interface and the default instance; else CreateEx for the instance.
  MediaClient(const std::u16string& setName, DWORD devices, DWORD features, int version = 8,
              const std::u16string& instance = u"")
      : m_names(vditest::deviceNames(setName, devices)), m_written(devices), m_queued(devices) {
    IClientVirtualDeviceSet2* set2 = nullptr;
    IClientVirtualDeviceSet* set = nullptr;
    if (version == 7) {
      EXPECT_EQ(vdiCreateClientVirtualDeviceSet(CLSID_MSSQL_ClientVirtualDeviceSet,
                                                reinterpret_cast<void**>(&set)),
                S_OK);
    } else {
      EXPECT_EQ(vdiCreateClientVirtualDeviceSet(IID_IClientVirtualDeviceSet2,
                                                reinterpret_cast<void**>(&set2)),
                S_OK);
      set = set2;
    }
    m_set = vditest::Ref<IClientVirtualDeviceSet>(set);
    VDConfig config = vditest::configFor(devices, features);
    m_createHr = version == 7 ? set->Create(setName.c_str(), &config)
                              : set2->CreateEx(instance.c_str(), setName.c_str(), &config);
  }
  ~MediaClient() {
    join();
    m_set->Close();
  }

  HRESULT createHr() const { return m_createHr; }
  // Restore: the media device i reads, in order.
  void queue(std::size_t i, Medium medium) { m_queued[i].push_back(std::move(medium)); }
  const Medium& written(std::size_t i) const { return m_written[i]; }
  std::vector<Medium> allWritten() const { return m_written; }
  std::vector<HRESULT> lastAnswers() const { return m_lastHr; }
  // Called with each command before it is served; false leaves it unanswered (the test
  // answers or aborts). Runs on the device's thread.
  std::function<bool(std::size_t device, VDC_Command* command)> onCommand;
  // A write refused with this code after this many writes (0: never).
  DWORD refuseWriteCode = 0;
  std::size_t refuseAfterWrites = 0;

  // Waits for SQL Server to open the set, then serves every device.
  void start() {
    m_lastHr.assign(m_names.size(), S_OK);
    m_thread = std::thread([this] {
      VDConfig config{};
      HRESULT hr = m_set->GetConfiguration(20000, &config);
      if (hr != S_OK) return;
      for (std::size_t i = 0; i < m_names.size(); ++i) {
        IClientVirtualDevice* device = nullptr;
        if (m_set->OpenDevice(m_names[i].c_str(), &device) != S_OK) return;
        m_devices.emplace_back(device);
      }
      std::vector<std::thread> threads;
      for (std::size_t i = 0; i < m_names.size(); ++i)
        threads.emplace_back([this, i] { serve(i); });
      for (std::thread& t : threads) t.join();
    });
  }
  void join() {
    if (m_thread.joinable()) m_thread.join();
  }
  void abort() { m_set->SignalAbort(); }
  IClientVirtualDevice* device(std::size_t i) { return m_devices.at(i).get(); }

 private:
  void serve(std::size_t i) {
    std::size_t writes = 0;
    std::size_t at = 0;  // read position in the current medium
    bool haveMedium = !m_queued[i].empty();
    Medium current = haveMedium ? m_queued[i].front() : Medium{};
    if (haveMedium) m_queued[i].pop_front();
    m_lastHr[i] = vditest::serveCommands(m_devices[i].get(), [&](VDC_Command* c) {
      if (onCommand && !onCommand(i, c)) return;
      IClientVirtualDevice* device = m_devices[i].get();
      DWORD code = ERROR_SUCCESS;
      DWORD bytes = 0;
      switch (c->commandCode) {
        case VDC_Write:
          if (refuseWriteCode != 0 && ++writes > refuseAfterWrites) {
            code = refuseWriteCode;
            break;
          }
          m_written[i].insert(m_written[i].end(), c->buffer, c->buffer + c->size);
          bytes = c->size;
          break;
        case VDC_Read:
          bytes = static_cast<DWORD>(std::min<std::size_t>(c->size, current.size() - at));
          if (bytes > 0) std::memcpy(c->buffer, current.data() + at, bytes);
          at += bytes;
          if (bytes == 0) code = ERROR_HANDLE_EOF;
          break;
        case VDC_Load:
          current = m_queued[i].empty() ? Medium{} : m_queued[i].front();
          if (!m_queued[i].empty()) m_queued[i].pop_front();
          at = 0;
          break;
        default:
          break;
      }
      device->CompleteCommand(c, code, bytes, 0);
    });
  }

  std::vector<std::u16string> m_names;
  vditest::Ref<IClientVirtualDeviceSet> m_set;
  HRESULT m_createHr = S_OK;
  std::vector<vditest::Ref<IClientVirtualDevice>> m_devices;
  std::vector<Medium> m_written;
  std::vector<std::deque<Medium>> m_queued;
  std::vector<HRESULT> m_lastHr;
  std::thread m_thread;
};

// Parses and runs a statement on the instance, as the object model's ExecuteImmediate does.
inline sqlengine::SqlError run(sqlengine::Instance& instance, const std::string& text,
                               int version = 8) {
  std::u16string wide(text.begin(), text.end());
  sqlengine::ParseResult parsed = sqlengine::parseStatement(wide, version);
  if (!parsed.error.ok()) return parsed.error;
  return sqlengine::executeStatement(instance, parsed.statement);
}

}  // namespace enginetest
