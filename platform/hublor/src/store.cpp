#include "store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <unordered_set>

namespace fs = std::filesystem;

namespace hublor {
namespace {

std::mutex gStoresMutex;                           // guards gStores
std::map<fs::path, std::weak_ptr<Store>> gStores;  // one Store per directory and process

std::string ownerName() {
  std::random_device random;
  char name[64];
  std::snprintf(name, sizeof name, "%ld-%08x", static_cast<long>(getpid()), random());
  return name;
}

// flock on <store>/staging.lock for the object's life. Claiming a staging folder and removing
// dead ones both hold it, so a folder is never seen between its creation and its owner's lock.
class ClaimLock {
 public:
  explicit ClaimLock(const fs::path& store) {
    m_fd = ::open((store / "staging.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd >= 0 && flock(m_fd, LOCK_EX) == 0) return;
    if (m_fd >= 0) ::close(m_fd);
    throw StoreError("cannot lock the staging folders of " + store.string());
  }
  ~ClaimLock() { ::close(m_fd); }
  ClaimLock(const ClaimLock&) = delete;
  ClaimLock& operator=(const ClaimLock&) = delete;

 private:
  int m_fd = -1;
};

// True when nobody holds the lock of a staging folder: its process has ended.
bool ownerIsGone(const fs::path& area) {
  int fd = ::open((area / "lock").c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return true;
  bool gone = flock(fd, LOCK_EX | LOCK_NB) == 0;
  ::close(fd);
  return gone;
}

}  // namespace

bool syncFolder(const fs::path& dir) {
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = fsync(fd) == 0;
  ::close(fd);
  return ok;
}

std::shared_ptr<Store> Store::open(const fs::path& dir) {
  fs::path key = fs::absolute(dir).lexically_normal();
  std::lock_guard lock(gStoresMutex);
  if (auto existing = gStores[key].lock()) return existing;
  std::shared_ptr<Store> store(new Store(key));
  gStores[key] = store;
  return store;
}

Store::Store(fs::path dir) : m_dir(std::move(dir)) {
  std::error_code ec;
  fs::create_directories(m_dir / "data", ec);
  fs::create_directories(m_dir / "staging", ec);
  fs::create_directories(m_dir / "client", ec);
  if (ec) throw StoreError("cannot create store " + m_dir.string() + ": " + ec.message());
  Catalog::create(m_dir / "catalog.db");
  connect();  // refuses a damaged catalogue before anything is cleaned
  claimStagingArea();
  removeDeadStagingAreas();
  removeOrphanDataFiles();
}

Store::~Store() {
  std::error_code ec;
  fs::remove_all(m_staging, ec);
  fs::remove(m_dir / "data" / m_owner, ec);  // only when no data was written
  if (m_lockFd >= 0) ::close(m_lockFd);
}

std::unique_ptr<Catalog> Store::connect() const {
  return std::make_unique<Catalog>(m_dir / "catalog.db");
}

// The lock folder, then the data folder, whose entry in data/ is made durable once here.
void Store::claimStagingArea() {
  ClaimLock claim(m_dir);
  m_owner = ownerName();
  m_staging = m_dir / "staging" / m_owner;
  std::error_code ec;
  fs::create_directories(m_staging, ec);
  m_lockFd = ::open((m_staging / "lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (ec || m_lockFd < 0 || flock(m_lockFd, LOCK_EX) != 0) {
    throw StoreError("cannot claim a staging folder in " + m_dir.string());
  }
  fs::create_directories(m_dir / "data" / m_owner, ec);
  if (ec || !syncFolder(m_dir / "data")) {
    throw StoreError("cannot make a data folder in " + m_dir.string());
  }
}

bool Store::ownerRuns(const std::string& owner) const {
  return owner == m_owner || !ownerIsGone(m_dir / "staging" / owner);
}

void Store::removeDeadStagingAreas() {
  ClaimLock claim(m_dir);
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(m_dir / "staging", ec)) {
    if (entry.path() == m_staging || !ownerIsGone(entry.path())) continue;
    fs::remove_all(entry.path(), ec);
  }
}

// A data file stays when a version names it (or, in an older store, has its id as name), or
// while the process writing it runs.
void Store::removeOrphanDataFiles() {
  auto catalog = connect();
  WriteTxn lock(*catalog);
  std::unordered_set<std::string> named;
  Stmt stmt = catalog->prepare("SELECT id, file FROM versions");
  while (stmt.step()) named.insert(dataPath(stmt.integer(0), stmt.text(1)).string());
  std::error_code ec;
  fs::path data = m_dir / "data";
  for (const auto& entry : fs::recursive_directory_iterator(data, ec)) {
    if (!entry.is_regular_file()) continue;
    const fs::path& path = entry.path();
    std::string owner = path.lexically_relative(data).begin()->string();
    if (named.count(path.string()) != 0 || ownerRuns(owner)) continue;
    fs::remove(path, ec);
  }
  for (const auto& entry : fs::directory_iterator(data, ec)) {
    if (entry.is_directory() && !ownerRuns(entry.path().filename().string()))
      fs::remove(entry.path(), ec);  // only when empty
  }
}

fs::path Store::dataPath(int64_t id, const std::string& file) const {
  if (!file.empty()) return m_dir / "data" / file;
  char bucket[8];
  std::snprintf(bucket, sizeof bucket, "%02x", static_cast<unsigned>(id & 0xff));
  return m_dir / "data" / bucket / (std::to_string(id) + ".dat");
}

std::string Store::newDataName() {
  std::lock_guard lock(m_mutex);
  return m_owner + "/" + std::to_string(++m_nextData) + ".dat";
}

std::optional<std::string> Store::keptPassword(const std::string& node) const {
  std::ifstream in(m_dir / "client" / (node + ".pwd"));
  std::string password;
  if (!in || !std::getline(in, password) || password.empty()) return std::nullopt;
  return password;
}

void Store::keepPassword(const std::string& node, const std::string& password) const {
  fs::path file = m_dir / "client" / (node + ".pwd");
  int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) throw StoreError("cannot write " + file.string());
  bool written =
      ::write(fd, password.data(), password.size()) == static_cast<ssize_t>(password.size());
  ::close(fd);
  if (!written) throw StoreError("cannot write " + file.string());
}

StagedFile::StagedFile(const Store& store, std::string name)
    : m_name(std::move(name)), m_path(store.dataPath(0, m_name)) {
  m_fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (m_fd < 0) throw StoreError("cannot create " + m_path.string());
}

StagedFile::~StagedFile() {
  if (m_fd >= 0) ::close(m_fd);
  if (!m_kept) ::unlink(m_path.c_str());
}

bool StagedFile::write(const char* data, size_t size) {
  m_checksum.add(data, size);
  while (size > 0) {
    ssize_t done = ::write(m_fd, data, size);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    data += done;
    size -= static_cast<size_t>(done);
    m_size += static_cast<uint64_t>(done);
  }
  // The write-back starts as soon as a step's worth has been written since it last started, as
  // a server writing a stream to its volumes does: the flush at commit then waits for little
  // more than the last step.
  if (m_size - m_writeBackFrom >= kWriteBackStep) {
    ::sync_file_range(m_fd, static_cast<off_t>(m_writeBackFrom),
                      static_cast<off_t>(m_size - m_writeBackFrom), SYNC_FILE_RANGE_WRITE);
    m_writeBackFrom = m_size;
  }
  return true;
}

bool StagedFile::sync() {
  return fdatasync(m_fd) == 0;
}

}  // namespace hublor
