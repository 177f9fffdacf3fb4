// The files of a database on disk: whole pages of 8 KiB read and written in large blocks,
// page contents made for tests, and the checksum a user compares after a restore.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "sqlerror.h"

namespace sqlengine {

// Creates the file (with its folders) at the given size, zero-filled, or grows or shrinks an
// existing one to it.
SqlError sizeFile(const std::filesystem::path& file, std::uint64_t bytes);
// count pages from page first; the range must lie inside the file.
SqlError readPages(const std::filesystem::path& file, std::uint64_t first, std::uint64_t count,
                   std::byte* out);
SqlError writePages(const std::filesystem::path& file, std::uint64_t first, std::uint64_t count,
                    const std::byte* in);
// Bytes at an offset, for files that are not paged (the log).
SqlError readBytes(const std::filesystem::path& file, std::uint64_t offset, std::size_t size,
                   std::byte* out);
SqlError writeBytes(const std::filesystem::path& file, std::uint64_t offset, std::size_t size,
                    const std::byte* in);

// size bytes at an offset of an open descriptor of file (named in the message of a failure);
// safe on one descriptor from several threads.
SqlError transferAt(int fd, const std::filesystem::path& file, bool write, std::uint64_t offset,
                    std::size_t size, std::byte* data);

// What to write into the data part of a page: a pattern repeated, or bytes from a seed that
// depend on the page number, so that the same call always gives the same pages.
struct PageFill {
  bool random = true;
  std::uint64_t seed = 1;
  std::string pattern;  // used when random is false; never empty then
};
void fillPage(const PageFill& fill, std::uint64_t pageNumber, std::uint64_t lsn, std::byte* page);

// The page header's fields.
std::uint64_t pageLsn(const std::byte* page);

// FNV-1a (64 bits) over every byte of the file; false when it cannot be read.
bool fileChecksum(const std::filesystem::path& file, std::uint64_t& checksum);

void putLe(std::byte* at, std::uint64_t value, int bytes);
std::uint64_t getLe(const std::byte* at, int bytes);

}  // namespace sqlengine
