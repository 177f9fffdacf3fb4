#include "pagefile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "model.h"

namespace sqlengine {

namespace {

// An open file descriptor, closed at the end of the scope.
class Fd {
 public:
  Fd(const std::filesystem::path& file, int flags) : m_fd(::open(file.c_str(), flags, 0644)) {}
  ~Fd() {
    if (m_fd >= 0) ::close(m_fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return m_fd; }

 private:
  int m_fd;
};

SqlError ioError(const char* operation, const std::filesystem::path& file) {
  return sqlMessage(kMsgIoError, {std::strerror(errno), operation, file.string()});
}

SqlError transfer(const std::filesystem::path& file, bool write, std::uint64_t offset,
                  std::size_t size, std::byte* data) {
  Fd fd(file, write ? O_WRONLY : O_RDONLY);
  if (fd.get() < 0) return ioError(write ? "write" : "read", file);
  return transferAt(fd.get(), file, write, offset, size, data);
}

std::uint64_t splitmix(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace

SqlError transferAt(int fd, const std::filesystem::path& file, bool write, std::uint64_t offset,
                    std::size_t size, std::byte* data) {
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = write ? ::pwrite(fd, data + done, size - done, offset + done)
                      : ::pread(fd, data + done, size - done, offset + done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;  // read past the end: the file is shorter than its catalogue size
      return ioError(write ? "write" : "read", file);
    }
    done += static_cast<std::size_t>(n);
  }
  return {};
}

void putLe(std::byte* at, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<std::byte>(value >> (8 * i));
}

std::uint64_t getLe(const std::byte* at, int bytes) {
  std::uint64_t value = 0;
  for (int i = 0; i < bytes; ++i)
    value |= std::uint64_t(std::to_integer<unsigned>(at[i])) << (8 * i);
  return value;
}

SqlError sizeFile(const std::filesystem::path& file, std::uint64_t bytes) {
  std::error_code ec;
  std::filesystem::create_directories(file.parent_path(), ec);
  Fd fd(file, O_WRONLY | O_CREAT);
  if (fd.get() < 0 || ::ftruncate(fd.get(), static_cast<off_t>(bytes)) != 0)
    return ioError("create", file);
  return {};
}

SqlError readPages(const std::filesystem::path& file, std::uint64_t first, std::uint64_t count,
                   std::byte* out) {
  return transfer(file, false, first * kPageSize, count * kPageSize, out);
}

SqlError writePages(const std::filesystem::path& file, std::uint64_t first, std::uint64_t count,
                    const std::byte* in) {
  return transfer(file, true, first * kPageSize, count * kPageSize, const_cast<std::byte*>(in));
}

SqlError readBytes(const std::filesystem::path& file, std::uint64_t offset, std::size_t size,
                   std::byte* out) {
  return transfer(file, false, offset, size, out);
}

SqlError writeBytes(const std::filesystem::path& file, std::uint64_t offset, std::size_t size,
                    const std::byte* in) {
  return transfer(file, true, offset, size, const_cast<std::byte*>(in));
}

void fillPage(const PageFill& fill, std::uint64_t pageNumber, std::uint64_t lsn, std::byte* page) {
  std::memset(page, 0, kPageHeaderSize);
  putLe(page, lsn, 8);
  putLe(page + 8, pageNumber, 4);
  std::byte* data = page + kPageHeaderSize;
  std::size_t size = kPageSize - kPageHeaderSize;
  if (!fill.random) {
    for (std::size_t i = 0; i < size; ++i)
      data[i] = static_cast<std::byte>(fill.pattern[i % fill.pattern.size()]);
    return;
  }
  std::uint64_t state = fill.seed * 0x100000001B3ull ^ pageNumber;
  for (std::size_t i = 0; i < size; i += 8) putLe(data + i, splitmix(state), 8);
}

std::uint64_t pageLsn(const std::byte* page) {
  return getLe(page, 8);
}

bool fileChecksum(const std::filesystem::path& file, std::uint64_t& checksum) {
  Fd fd(file, O_RDONLY);
  if (fd.get() < 0) return false;
  std::vector<unsigned char> block(1 << 20);
  std::uint64_t h = 0xCBF29CE484222325ull;
  for (;;) {
    ssize_t n = ::read(fd.get(), block.data(), block.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    for (ssize_t i = 0; i < n; ++i) h = (h ^ block[i]) * 0x100000001B3ull;
  }
  checksum = h;
  return true;
}

}  // namespace sqlengine
