// Sending and fetching one 1 GiB object through libhublorapi.so, measured against writing and
// reading the same bytes with plain file I/O on the same disk in the same run.
//   hublor_bench [--benchmark_...]     HUBLOR_BENCH_DIR: where the store goes (default /tmp)
// Each iteration times both, in alternating order; the counters take the best time of each, and
// "ratio" is plain time / library time (1.0: as fast as plain I/O). A durable write syncs its
// data in both cases.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "admin.h"
#include "hublorapi.h"
#include "store.h"

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kObjectSize = 1ull << 30;
constexpr char kFs[] = "BENCH\\data\\0001";

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// One store with one node and filespace, set up once for the whole run.
class Bench {
 public:
  Bench() {
    const char* base = std::getenv("HUBLOR_BENCH_DIR");
    m_dir =
        fs::path(base != nullptr ? base : "/tmp") / ("hublor-bench-" + std::to_string(getpid()));
    fs::create_directories(m_dir);
    std::string option = (m_dir / "pelk.opt").string();
    FILE* file = std::fopen(option.c_str(), "w");
    std::fprintf(file, "NODENAME BENCH\nSTORE %s\n", (m_dir / "store").c_str());
    std::fclose(file);
    {
      auto store = hublor::Store::open(m_dir / "store");
      hublor::addNode(*store->connect(), "BENCH", "secret", {});
    }
    PelkEnvSetUp env{};
    env.stVersion = PELK_ENVSETUP_VERSION;
    std::snprintf(env.pelkiConfig, sizeof env.pelkiConfig, "%s", option.c_str());
    pelkSetUp(1, &env);
    pelkApiVersion version{3, 7, 2};
    char password[] = "secret";
    pelkInit(&m_handle, &version, nullptr, nullptr, password, nullptr, nullptr, nullptr);
    regFSData reg{};
    reg.stVersion = PELK_REGFSDATA_VERSION;
    char name[] = "BENCH\\data\\0001", type[] = "SqlData";
    reg.fsName = name;
    reg.fsType = type;
    pelkRegisterFS(m_handle, &reg);
  }
  ~Bench() {
    pelkTerminate(m_handle);
    pelkCleanUp(1);
    fs::remove_all(m_dir);
  }
  uint32_t handle() const { return m_handle; }
  fs::path plainFile() const { return m_dir / "plain.dat"; }

 private:
  fs::path m_dir;
  uint32_t m_handle = 0;
};

Bench& bench() {
  static Bench instance;
  return instance;
}

std::vector<char> buffer(size_t size) {
  std::vector<char> data(size);
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>(i * 2654435761u >> 13);
  return data;
}

// A new file each time, as the library writes one per version.
double plainWrite(const fs::path& file, std::vector<char>& block) {
  ::unlink(file.c_str());
  auto start = Clock::now();
  int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  for (uint64_t done = 0; done < kObjectSize; done += block.size()) {
    if (::write(fd, block.data(), block.size()) != static_cast<ssize_t>(block.size())) std::abort();
  }
  fdatasync(fd);
  ::close(fd);
  return seconds(start);
}

double librarySend(uint32_t h, std::vector<char>& block, uint64_t& id) {
  pelkObjName name{};
  std::snprintf(name.fs, sizeof name.fs, "%s", kFs);
  std::snprintf(name.hl, sizeof name.hl, "\\db");
  std::snprintf(name.ll, sizeof name.ll, "\\full");
  name.objType = PELK_OBJ_FILE;
  ObjAttr attr{};
  attr.stVersion = PELK_OBJATTR_VERSION;
  uint16_t reason = 0;
  auto start = Clock::now();
  int rc = pelkBeginTxn(h) | pelkSendObj(h, PELK_SEND_BACKUP, nullptr, &name, &attr, nullptr);
  for (uint64_t done = 0; done < kObjectSize && rc == 0; done += block.size()) {
    DataBlk blk{PELK_DATABLK_VERSION, static_cast<uint32_t>(block.size()), 0, block.data()};
    rc = pelkSendData(h, &blk);
  }
  rc |= pelkEndSendObj(h) | pelkEndTxn(h, PELK_VOTE_COMMIT, &reason);
  double elapsed = seconds(start);
  if (rc != 0) std::abort();
  qryActiveBackupData query{PELK_QRYACTIVEBACKUP_VERSION, &name};
  qryRespBackupData resp{};
  DataBlk blk{PELK_DATABLK_VERSION, sizeof resp, 0, reinterpret_cast<char*>(&resp)};
  pelkBeginQuery(h, PELK_QRY_ACTIVE_BACKUP, &query);
  if (pelkGetNextQObj(h, &blk) != PELK_RC_MORE_DATA) std::abort();
  pelkEndQuery(h);
  id = (uint64_t{resp.objId.hi} << 32) | resp.objId.lo;
  return elapsed;
}

double plainRead(const fs::path& file, std::vector<char>& block) {
  auto start = Clock::now();
  int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  uint64_t total = 0;
  ssize_t got = 0;
  while ((got = ::read(fd, block.data(), block.size())) > 0) total += static_cast<uint64_t>(got);
  ::close(fd);
  if (total != kObjectSize) std::abort();
  return seconds(start);
}

double libraryGet(uint32_t h, std::vector<char>& block, uint64_t id) {
  pelkUint64_t objId{static_cast<uint32_t>(id >> 32), static_cast<uint32_t>(id)};
  pelkGetList list{PELK_GETLIST_VERSION, 1, &objId, nullptr};
  auto start = Clock::now();
  pelkBeginGetData(h, 0, PELK_GET_BACKUP, &list);
  DataBlk blk{PELK_DATABLK_VERSION, static_cast<uint32_t>(block.size()), 0, block.data()};
  uint64_t total = 0;
  int rc = pelkGetObj(h, &objId, &blk);
  while (rc == PELK_RC_MORE_DATA || rc == PELK_RC_FINISHED) {
    total += blk.numBytes;
    if (rc == PELK_RC_FINISHED) break;
    rc = pelkGetData(h, &blk);
  }
  pelkEndGetObj(h);
  pelkEndGetData(h);
  double elapsed = seconds(start);
  if (total != kObjectSize) std::abort();
  return elapsed;
}

struct Best {
  double plain = 1e300, library = 1e300;
  void add(double p, double l) {
    plain = std::min(plain, p);
    library = std::min(library, l);
  }
};

// Keeps the store at one version, as the plain file is rewritten in place.
void removeVersion(uint32_t h, uint64_t id) {
  pelkDelInfo info{};
  info.backIDInfo = delBackID{PELK_DELBACKID_VERSION,
                              {static_cast<uint32_t>(id >> 32), static_cast<uint32_t>(id)}};
  uint16_t reason = 0;
  if ((pelkBeginTxn(h) | pelkDeleteObj(h, PELK_BACKUP_ID_DELETE, info) |
       pelkEndTxn(h, PELK_VOTE_COMMIT, &reason)) != 0) {
    std::abort();
  }
}

void report(benchmark::State& state, double plain, double library) {
  double mib = static_cast<double>(kObjectSize) / (1 << 20);
  state.counters["plain_MiBps"] = benchmark::Counter(mib / plain);
  state.counters["hublor_MiBps"] = benchmark::Counter(mib / library);
  state.counters["ratio"] = benchmark::Counter(plain / library);
}

void BM_Send1GiB(benchmark::State& state) {
  std::vector<char> block = buffer(static_cast<size_t>(state.range(0)));
  Best best;
  bool plainFirst = true;
  for (auto _ : state) {
    uint64_t id = 0;
    double plain = plainFirst ? plainWrite(bench().plainFile(), block) : 0;
    double library = librarySend(bench().handle(), block, id);
    if (!plainFirst) plain = plainWrite(bench().plainFile(), block);
    plainFirst = !plainFirst;
    best.add(plain, library);
    state.SetIterationTime(library);
    removeVersion(bench().handle(), id);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kObjectSize));
  report(state, best.plain, best.library);
}

void BM_Get1GiB(benchmark::State& state) {
  std::vector<char> block = buffer(static_cast<size_t>(state.range(0)));
  uint64_t id = 0;
  plainWrite(bench().plainFile(), block);
  librarySend(bench().handle(), block, id);
  Best best;
  for (auto _ : state) {
    double plain = plainRead(bench().plainFile(), block);
    double library = libraryGet(bench().handle(), block, id);
    best.add(plain, library);
    state.SetIterationTime(library);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kObjectSize));
  report(state, best.plain, best.library);
  removeVersion(bench().handle(), id);
}

BENCHMARK(BM_Send1GiB)
    ->Arg(256 << 10)
    ->Arg(4 << 20)
    ->Iterations(6)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Get1GiB)
    ->Arg(256 << 10)
    ->Arg(4 << 20)
    ->Iterations(6)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
