// Sending and fetching one object through libhublorapi.so against writing and reading the same
// bytes with plain file I/O on the same disk, paired in one run. A durable write syncs its data
// in both cases; before every timed run the machine's dirty data is written out.
//   hublor_bench [--mb N] [--repeats N] [--header]
//   HUBLOR_BENCH_DIR: where the store and the plain file go (default /tmp)
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "benchstore.h"
#include "pairbench.h"

namespace fs = std::filesystem;

namespace {

class HublorBench {
 public:
  HublorBench(uint64_t objectBytes, size_t blockBytes)
      : m_objectBytes(objectBytes), m_block(blockBytes) {
    const char* base = std::getenv("HUBLOR_BENCH_DIR");
    m_dir =
        fs::path(base != nullptr ? base : "/tmp") / ("hublor-bench-" + std::to_string(getpid()));
    fs::create_directories(m_dir);
    for (size_t i = 0; i < m_block.size(); ++i)
      m_block[i] = static_cast<char>(i * 2654435761u >> 13);
    m_store = std::make_unique<BenchStore>(m_dir);
    m_session = m_store->openSession();
  }
  ~HublorBench() {
    if (m_id != 0) benchRemoveVersion(m_session, m_id);
    m_store->closeSession(m_session);
    m_store.reset();
    fs::remove_all(m_dir);
  }

  // A new file each time, as the library writes one per version.
  double plainWrite() {
    fs::path file = m_dir / "plain.dat";
    ::unlink(file.c_str());
    ::sync();
    double start = benchNow();
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    bool ok = fd >= 0;
    for (uint64_t done = 0; ok && done < m_objectBytes; done += m_block.size())
      ok = ::write(fd, m_block.data(), m_block.size()) == static_cast<ssize_t>(m_block.size());
    ok = ok && fdatasync(fd) == 0;
    if (fd >= 0) ::close(fd);
    return ok ? benchNow() - start : -1;
  }

  // One object in one transaction; the version before is removed first, so the store keeps
  // one version as the plain file is one file.
  double send() {
    if (m_id != 0) benchRemoveVersion(m_session, m_id);
    m_id = 0;
    ::sync();
    double start = benchNow();
    BenchSend object(m_session, "\\full");
    for (uint64_t done = 0; done < m_objectBytes; done += m_block.size())
      object.data(m_block.data(), static_cast<uint32_t>(m_block.size()));
    m_id = object.commit();
    return benchNow() - start;
  }

  double plainRead() {
    double start = benchNow();
    int fd = ::open((m_dir / "plain.dat").c_str(), O_RDONLY | O_CLOEXEC);
    uint64_t total = 0;
    ssize_t got = 0;
    while (fd >= 0 && (got = ::read(fd, m_block.data(), m_block.size())) > 0)
      total += static_cast<uint64_t>(got);
    if (fd >= 0) ::close(fd);
    return total == m_objectBytes ? benchNow() - start : -1;
  }

  double fetch() {
    double start = benchNow();
    uint64_t total = 0;
    {
      BenchFetch object(m_session, m_id);
      uint32_t got = 0;
      while ((got = object.read(m_block.data(), static_cast<uint32_t>(m_block.size()))) > 0)
        total += got;
    }
    return total == m_objectBytes ? benchNow() - start : -1;
  }

 private:
  uint64_t m_objectBytes;
  std::vector<char> m_block;
  fs::path m_dir;
  std::unique_ptr<BenchStore> m_store;
  uint32_t m_session = 0;
  uint64_t m_id = 0;  // the object's current version
};

}  // namespace

int main(int argc, char** argv) {
  BenchOptions options = benchParseOptions(
      argc, argv,
      "usage: hublor_bench [--mb N]\n  Storage send and fetch against a durable plain write and "
      "a plain read.\n  --mb N        object size in MiB (default 1024)",
      1024);
  benchRefuseRest(options, argv[0]);
  uint64_t mb = static_cast<uint64_t>(options.mb);
  if (options.header) benchPrintHeader();
  for (size_t blockKb : {256, 4096}) {
    HublorBench bench(mb << 20, blockKb << 10);
    std::string what = std::to_string(mb) + " MiB object in " + std::to_string(blockKb) + " KiB";
    benchPrintRow(benchPairRun(
        "storage send, " + what + " vs durable write", ">= 0.9", options.repeats,
        [&] { return bench.send(); }, [&] { return bench.plainWrite(); }));
    benchPrintRow(benchPairRun(
        "storage fetch, " + what + " vs plain read", ">= 0.9", options.repeats,
        [&] { return bench.fetch(); }, [&] { return bench.plainRead(); }));
  }
  return 0;
}
