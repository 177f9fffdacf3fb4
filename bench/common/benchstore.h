// A storage-server store for benchmarks: one node in a store below a folder of the caller's,
// set up through libhublorapi.so, with sessions that send, fetch and remove whole objects.
// Every call aborts the program on a failure: a benchmark with a broken path measures nothing.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

class BenchStore {
 public:
  // Creates the store in dir (which must exist) with node BENCH and filespace kFs.
  explicit BenchStore(const std::filesystem::path& dir);
  ~BenchStore();
  BenchStore(const BenchStore&) = delete;
  BenchStore& operator=(const BenchStore&) = delete;

  static constexpr const char* kFs = "BENCH\\data\\0001";

  // A new logged-on session; each is used by one thread at a time.
  uint32_t openSession();
  void closeSession(uint32_t handle);

 private:
  std::filesystem::path m_dir;
  uint32_t m_first = 0;  // the session that registered the filespace
};

// One object on the way in: a transaction with one object, its data sent as it comes.
class BenchSend {
 public:
  BenchSend(uint32_t handle, const std::string& ll);  // begins the transaction and the object
  void data(const char* dataP, uint32_t size);
  uint64_t commit();  // ends the object and commits; returns the new version's id

 private:
  uint32_t m_handle;
  std::string m_ll;
};

// One object on the way out, read in pieces of the caller's buffer size.
class BenchFetch {
 public:
  BenchFetch(uint32_t handle, uint64_t id);
  ~BenchFetch();
  // Fills up to size bytes; 0 at the end of the object.
  uint32_t read(char* dataP, uint32_t size);

 private:
  uint32_t m_handle;
  uint64_t m_id;
  bool m_started = false;
  bool m_finished = false;
  int m_rc = 0;
};

// Deletes a version by id, so that repeated runs keep the store at its size.
void benchRemoveVersion(uint32_t handle, uint64_t id);
