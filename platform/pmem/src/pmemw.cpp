// The two backends of libpmemw.so behind one file descriptor: reading physical address a is
// reading the file at offset a - base (base 0 for /dev/mem).
#include "pmemw.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct State {
  std::mutex mutex;
  int fd = -1;        // guarded by mutex
  uint64_t base = 0;  // guarded by mutex
};

State& state() {
  static State s;
  return s;
}

constexpr char kDevice[] = "/dev/mem";

std::string backendPath() {
  const char* image = std::getenv("PMEMW_IMAGE");
  return image != nullptr && *image != '\0' ? image : kDevice;
}

uint64_t imageBase() {
  const char* base = std::getenv("PMEMW_IMAGE_BASE");
  bool image = std::getenv("PMEMW_IMAGE") != nullptr;
  return image && base != nullptr ? std::strtoull(base, nullptr, 16) : 0;
}

bool readAt(const State& s, void* destination, uint64_t address, uint32_t length) {
  if (s.fd < 0 || address < s.base) return false;
  ssize_t got = pread(s.fd, destination, length, static_cast<off_t>(address - s.base));
  return got == static_cast<ssize_t>(length);
}

}  // namespace

extern "C" {

int PMemIsInitialized(void) {
  return access(backendPath().c_str(), R_OK) == 0 ? 1 : 0;
}

int PMemOpen(void) {
  State& s = state();
  std::lock_guard lock(s.mutex);
  if (s.fd >= 0) close(s.fd);
  s.fd = open(backendPath().c_str(), O_RDONLY | O_CLOEXEC);
  s.base = imageBase();
  return s.fd >= 0 ? 1 : 0;
}

uint32_t PMemSearch(const char* pattern, uint32_t first, uint32_t last, uint32_t step) {
  State& s = state();
  std::lock_guard lock(s.mutex);
  std::size_t length = pattern != nullptr ? std::strlen(pattern) : 0;
  if (length == 0 || step == 0) return 0;
  std::vector<char> window(length);
  for (uint64_t address = first; address <= last; address += step) {
    if (!readAt(s, window.data(), address, static_cast<uint32_t>(length))) continue;
    if (std::memcmp(window.data(), pattern, length) == 0) return static_cast<uint32_t>(address);
  }
  return 0;
}

int PMemRead(void* destination, uint32_t address, uint32_t length) {
  State& s = state();
  std::lock_guard lock(s.mutex);
  if (destination == nullptr) return 1;
  return readAt(s, destination, address, length) ? 0 : 1;
}

}  // extern "C"
