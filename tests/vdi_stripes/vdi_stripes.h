// End-to-end helper: the agent's virtual device side (CVdi, the vds2_/vdev_ wrappers and one
// transfer per device with the virtual device transfer ends) against the emulated engine
// running BACKUP or RESTORE on a thread of its own. Each stripe goes to or comes from a file.
#pragma once

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "execute.h"
#include "sqlvdi.h"
#include "tsql.h"
#include "vdimover_testutil.h"

namespace stripes {

struct Outcome {
  sqlengine::SqlError statement;  // the engine's result
  std::vector<int> transferRcs;   // each stripe's transfer result(s)
  HRESULT setHr = S_OK;           // the first failing set call
};

inline std::u16string wide(const std::string& s) {
  return std::u16string(s.begin(), s.end());
}

inline std::string deviceName(const std::string& set, std::size_t i) {
  return i == 0 ? set : set + "_" + std::to_string(i);
}

inline std::string deviceList(const std::string& set, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i)
    text += (i ? ", " : "") + std::string("VIRTUAL_DEVICE=N'") + deviceName(set, i) + "'";
  return text;
}

// The agent's device set: created, then the statement started, then configured and opened.
class AgentSet {
 public:
  AgentSet(sqlengine::Instance& instance, const std::string& set, std::size_t devices,
           DWORD features, const std::string& statement)
      : m_vdi(8), m_set(set) {
    VDConfig config{};
    config.deviceCount = static_cast<DWORD>(devices);
    config.features = features;
    m_outcome.setHr = vds2_CreateEx(&m_status, m_vdi.m_Vds2P, u"", wide(set).c_str(), &config);
    if (FAILED(m_outcome.setHr)) return;
    m_statement = std::thread([this, &instance, statement] {
      sqlengine::ParseResult parsed = sqlengine::parseStatement(wide(statement), 8);
      m_outcome.statement = parsed.error.ok()
                                ? sqlengine::executeStatement(instance, parsed.statement)
                                : parsed.error;
      m_statementDone = true;
    });
    // SQL Server opens the set once the statement has prepared; a statement that failed
    // before never will.
    HRESULT hr = VD_E_TIMEOUT;
    while (hr == VD_E_TIMEOUT && !m_statementDone)
      hr = vds2_GetConfiguration(&m_status, m_vdi.m_Vds2P, 1000, &config);
    m_outcome.setHr = hr;
    for (std::size_t i = 0; i < devices && SUCCEEDED(hr); ++i) {
      IClientVirtualDevice* vdevP = nullptr;
      hr = vds2_OpenDevice(&m_status, m_vdi.m_Vds2P, wide(deviceName(set, i)).c_str(), &vdevP);
      m_outcome.setHr = hr;
      m_devices.push_back(vdevP);
    }
  }
  ~AgentSet() {
    if (m_statement.joinable()) {
      vds2_SignalAbort(&m_status, m_vdi.m_Vds2P);
      m_statement.join();
    }
    for (IClientVirtualDevice* vdevP : m_devices) vdev_Release(&m_status, vdevP);
    vds2_Close(&m_status, m_vdi.m_Vds2P);
  }

  bool ready() const { return SUCCEEDED(m_outcome.setHr); }
  HRESULT abort() { return vds2_SignalAbort(&m_status, m_vdi.m_Vds2P); }
  DPelkApiStatus& status() { return m_status; }
  IClientVirtualDevice* device(std::size_t i) const { return m_devices[i]; }
  Outcome& outcome() { return m_outcome; }
  // After a failed set call: the statement is ended and its result read.
  Outcome abortAndFinish() {
    abort();
    return finish();
  }
  // Waits for the statement.
  Outcome finish() {
    if (m_statement.joinable()) m_statement.join();
    return m_outcome;
  }

 private:
  CVdi m_vdi;
  std::string m_set;
  DPelkApiStatus m_status;
  std::vector<IClientVirtualDevice*> m_devices;
  std::thread m_statement;
  std::atomic<bool> m_statementDone{false};
  Outcome m_outcome;  // the statement's part written by its thread, read after the join
};

// The shape of each stripe's transfer: its ring's buffers.
struct RingShape {
  uint32_t buffers = 8;
  uint32_t bufferKb = 256;
};

// BACKUP with one stripe per sink: stripe i's transfer hands its device's stream to
// makeSink(i), and stripeDone(i), when given, runs on the stripe's thread after a successful
// transfer (where a stripe commits its object); the pending Flushes are completed once every
// stripe has finished.
inline Outcome backupToSinks(sqlengine::Instance& instance, const std::string& database,
                             std::size_t stripes,
                             const std::function<CVdevTestTransfer::Sink(std::size_t)>& makeSink,
                             const std::string& with = "", RingShape ring = {},
                             const std::function<void(std::size_t)>& stripeDone = nullptr) {
  std::string set = "zkb" + std::to_string(stripes);
  std::string statement = "BACKUP DATABASE [" + database + "] TO " + deviceList(set, stripes);
  if (!with.empty()) statement += " WITH " + with;
  AgentSet agent(instance, set, stripes, 0, statement);
  if (!agent.ready()) return agent.abortAndFinish();
  std::vector<std::unique_ptr<CVdevTestTransfer>> transfers;
  std::vector<std::thread> threads;
  std::vector<int> rcs(stripes, -1);
  for (std::size_t i = 0; i < stripes; ++i) {
    auto transfer = std::make_unique<CVdevTestTransfer>(
        CVdevTestTransfer::backupFromVdi, agent.device(i), ring.buffers, ring.bufferKb);
    transfer->sink = makeSink(i);
    threads.emplace_back([&rcs, &stripeDone, i, t = transfer.get()] {
      rcs[i] = t->runOnce();
      if (rcs[i] == 0 && stripeDone) stripeDone(i);
    });
    transfers.push_back(std::move(transfer));
  }
  for (std::thread& t : threads) t.join();
  DPelkApiStatus status;
  for (std::size_t i = 0; i < stripes; ++i) {
    VDC_Command* flushP = transfers[i]->command;
    if (rcs[i] == 0 && flushP != nullptr)
      vdev_CompleteCommand(&status, agent.device(i), flushP, ERROR_SUCCESS, 0, 0);
  }
  agent.outcome().transferRcs = rcs;
  return agent.finish();
}

// BACKUP with one stripe per file.
inline Outcome backupToFiles(sqlengine::Instance& instance, const std::string& database,
                             const std::vector<std::filesystem::path>& files,
                             const std::string& with = "") {
  return backupToSinks(
      instance, database, files.size(),
      [&files](std::size_t i) -> CVdevTestTransfer::Sink {
        std::shared_ptr<FILE> out(std::fopen(files[i].c_str(), "wb"), [](FILE* f) {
          if (f) std::fclose(f);
        });
        return [out](const uint8_t* dataP, uint32_t size) {
          return out && std::fwrite(dataP, 1, size, out.get()) == size ? 0 : RC_FILE_OPEN_FAILED;
        };
      },
      with);
}

// RESTORE through `devices` devices: device i reads its media in turn, makeSource(i, k) giving
// its k-th (null when it has none left), switching at each Load as a restore stripe does; a
// device with no medium left answers the next read with the end.
inline Outcome restoreFromSources(
    sqlengine::Instance& instance, const std::string& what, std::size_t devices,
    const std::function<CVdevTestTransfer::Source(std::size_t, std::size_t)>& makeSource,
    const std::string& with = "", RingShape ring = {}) {
  std::string set = "zkr" + std::to_string(devices);
  std::string statement = "RESTORE " + what + " FROM " + deviceList(set, devices);
  if (!with.empty()) statement += " WITH " + with;
  AgentSet agent(instance, set, devices, VDF_Removable, statement);
  if (!agent.ready()) return agent.abortAndFinish();
  std::vector<std::vector<int>> rcs(devices);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < devices; ++i) {
    threads.emplace_back([&, i] {
      IClientVirtualDevice* vdevP = agent.device(i);
      CVdevTestTransfer transfer(CVdevTestTransfer::restoreToVdi, vdevP, ring.buffers,
                                 ring.bufferKb);
      DPelkApiStatus status;
      for (std::size_t k = 0;; ++k) {
        CVdevTestTransfer::Source source = makeSource(i, k);
        transfer.source = source ? source : [](uint8_t*, uint32_t) { return 0u; };
        rcs[i].push_back(transfer.runOnce());
        VDC_Command* loadP = transfer.command;
        if (!source || loadP == nullptr || loadP->commandCode != VDC_Load) break;
        transfer.command = nullptr;
        vdev_CompleteCommand(&status, vdevP, loadP, ERROR_SUCCESS, 0, 0);
      }
    });
  }
  for (std::thread& t : threads) t.join();
  for (const std::vector<int>& device : rcs)
    agent.outcome().transferRcs.insert(agent.outcome().transferRcs.end(), device.begin(),
                                       device.end());
  return agent.finish();
}

// RESTORE with fewer devices than files: device i reads perDevice[i] in turn.
inline Outcome restoreFromFiles(sqlengine::Instance& instance, const std::string& what,
                                const std::vector<std::vector<std::filesystem::path>>& perDevice,
                                const std::string& with = "") {
  return restoreFromSources(
      instance, what, perDevice.size(),
      [&perDevice](std::size_t i, std::size_t k) -> CVdevTestTransfer::Source {
        if (k >= perDevice[i].size()) return nullptr;
        std::shared_ptr<FILE> in(std::fopen(perDevice[i][k].c_str(), "rb"), [](FILE* f) {
          if (f) std::fclose(f);
        });
        return [in](uint8_t* dataP, uint32_t size) {
          return in ? static_cast<uint32_t>(std::fread(dataP, 1, size, in.get())) : 0u;
        };
      },
      with);
}

// A database of about dataMb megabytes in three data files (two groups), every page written,
// with a log of a few records.
inline sqlengine::SqlError makeDatabase(sqlengine::Instance& instance, const std::string& name,
                                        std::int64_t dataMb) {
  using namespace sqlengine;
  std::int64_t kb = dataMb * 1024;
  Database db;
  db.name = name;
  db.groups = {{kPrimaryGroup, {{0, name + "_data", "", kb / 2}, {0, name + "_data2", "", kb / 4}}},
               {"G2", {{0, name + "_g2", "", kb / 4}}}};
  db.logFiles = {{0, name + "_log", "", 256}};
  if (SqlError e = instance.createDatabase(db); !e.ok()) return e;
  std::uint64_t seed = 1;
  for (const FileGroup& g : db.groups) {
    for (const DbFile& f : g.files) {
      std::uint64_t pages = static_cast<std::uint64_t>(f.sizeKb) * 1024 / kPageSize;
      if (SqlError e = instance.writeTestPages(name, f.logicalName, 0, pages, {true, seed++, ""});
          !e.ok())
        return e;
    }
  }
  std::vector<LogRecord> log(20);
  for (std::size_t i = 0; i < log.size(); ++i) log[i].timeMs = 1700000000000 + 1000 * i;
  log.back().mark = "end";
  return instance.appendLog(name, log);
}

inline std::vector<std::uint64_t> checksums(sqlengine::Instance& instance, const std::string& db) {
  std::vector<sqlengine::Instance::FileChecksum> files;
  std::vector<std::uint64_t> out;
  if (!instance.checksums(db, files).ok()) return out;
  for (const auto& f : files) out.push_back(f.checksum);
  return out;
}

// MOVE of every file of a database made by makeDatabase into dir.
inline std::string movesTo(const std::string& source, const std::filesystem::path& dir) {
  std::string text;
  for (const char* suffix : {"_data", "_data2", "_g2", "_log"}) {
    text += (text.empty() ? "" : ", ") + std::string("MOVE N'") + source + suffix + "' TO N'" +
            (dir / (source + suffix)).string() + "'";
  }
  return text;
}

}  // namespace stripes
