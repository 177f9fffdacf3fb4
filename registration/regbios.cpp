#include "regbios.h"

#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <vector>

#include "pmemw.h"
#include "regconst.h"
#include "regdiag.h"
#include "regprogram.h"
#include "regsysinfo.h"

namespace {

constexpr uint32_t kBiosFirst = 0xF0000;
constexpr uint32_t kBiosLast = 0xFFFFF;
constexpr uint32_t kStep = 16;
constexpr char kMaker[] = "Orbenix";
constexpr char kLibraryName[] = "libpmemw.so";

struct DPhysicalMemory {
  PMemSearchFn search = nullptr;
  PMemReadFn read = nullptr;
};

// A structure-table source: SMBIOS or DMI.
struct DTableSource {
  const char* pattern;
  uint32_t headerLength;
  uint32_t lengthOffset;
  uint32_t addressOffset;
};
constexpr DTableSource kSmbios = {"_SM_", 31, 22, 24};
constexpr DTableSource kDmi = {"_DMI_", 15, 6, 8};

std::string gLibraryPath;  // user-interface thread only

template <class Fn>
Fn bind(void* library, const char* name) {
  return reinterpret_cast<Fn>(dlsym(library, name));
}

void* loadLibrary() {
  if (!gLibraryPath.empty()) return dlopen(gLibraryPath.c_str(), RTLD_NOW);
  std::string program;
  if (regSearchPath(regAppName(), program)) {
    std::string beside = (std::filesystem::path(program).parent_path() / kLibraryName).string();
    if (void* library = dlopen(beside.c_str(), RTLD_NOW)) return library;
  }
  return dlopen(kLibraryName, RTLD_NOW);
}

bool openPhysicalMemory(DPhysicalMemory& memory) {
  void* library = loadLibrary();
  if (library == nullptr) return false;
  auto initialized = bind<PMemIsInitializedFn>(library, "PMemIsInitialized");
  if (initialized == nullptr || initialized() == 0) return false;
  auto open = bind<PMemOpenFn>(library, "PMemOpen");
  if (open == nullptr || open() == 0) return false;
  memory.search = bind<PMemSearchFn>(library, "PMemSearch");
  memory.read = bind<PMemReadFn>(library, "PMemRead");
  return memory.search != nullptr && memory.read != nullptr;
}

unsigned byteSum(const unsigned char* bytes, std::size_t length) {
  unsigned sum = 0;
  for (std::size_t i = 0; i < length; ++i) sum += bytes[i];
  return sum & 0xFF;
}

void reportChecksum(const std::string& what, unsigned sum) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%2.2X", sum);
  regDiag() << "BiosProcessing: Invalid " << what << " found. Checksum failure.\n"
            << "                Calculated Checksum   = " << text << '\n';
}

uint32_t littleEndian(const unsigned char* bytes, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

// The structure of type at or after start, or null.
const unsigned char* findStructure(int type, const unsigned char* start, const unsigned char* end) {
  const unsigned char* p = start;
  while (end - p >= 2) {
    if (p[0] == type) return p;
    p += p[1];
    if (p >= end) return nullptr;
    if (*p == 0) {  // no strings: the set is two zero bytes
      p += 2;
      continue;
    }
    while (p < end && *p != 0) {
      while (p < end && *p != 0) ++p;
      ++p;
    }
    ++p;
  }
  return nullptr;
}

// String number of the structure (from 1); false for 0, an empty string or one that runs
// past the table's end.
bool findStructureString(int number, const unsigned char* structure, const unsigned char* end,
                         std::string& text) {
  if (number == 0 || end - structure < 2) return false;
  const unsigned char* p = structure + structure[1];
  for (int i = 1; i < number && p < end; ++i) {
    while (p < end && *p != 0) ++p;
    ++p;
  }
  const unsigned char* start = p;
  while (p < end && *p != 0) ++p;
  if (p >= end || p == start) return false;
  text.assign(reinterpret_cast<const char*>(start), static_cast<std::size_t>(p - start));
  return true;
}

struct DBiosString {
  int offset;
  const char* key;
  const char* trace;
};
constexpr DBiosString kBiosStrings[] = {
    {4, regconst::kBiosManufacturerKey, "BiosProcessing: Manufacturer= "},
    {5, regconst::kBiosProductKey, "BiosProcessing: ProductName= "},
    {7, regconst::kBiosSerialKey, "BiosProcessing: serial= "},
};

bool storeStructureStrings(const std::vector<unsigned char>& table, uint32_t length,
                           CSystemInfo& info) {
  const unsigned char* end = table.data() + length;
  const unsigned char* system = findStructure(1, table.data(), end);
  if (system == nullptr || system + 7 >= end) return false;
  bool stored = false;
  for (const DBiosString& field : kBiosStrings) {
    std::string text;
    if (!findStructureString(system[field.offset], system, end, text)) continue;
    info.setBios(field.key, text);
    regDiag() << field.trace << text << '\n';
    stored = true;
  }
  return stored;
}

// One structure table, behind the first header with a good checksum.
bool readTableSource(const DPhysicalMemory& memory, const DTableSource& source, CSystemInfo& info) {
  uint32_t from = kBiosFirst;
  std::vector<unsigned char> header(source.headerLength);
  for (;;) {
    uint32_t found = memory.search(source.pattern, from, kBiosLast, kStep);
    if (found == 0) return false;
    if (memory.read(header.data(), found, source.headerLength) != 0) return false;
    unsigned sum = byteSum(header.data(), header.size());
    if (sum == 0) break;
    reportChecksum(std::string(source.pattern) + " Structure Table Header", sum);
    from = found + kStep;
  }
  uint32_t length = littleEndian(&header[source.lengthOffset], 2);
  uint32_t address = littleEndian(&header[source.addressOffset], 4);
  std::vector<unsigned char> table(length + 100, 0);
  if (memory.read(table.data(), address, length) != 0) return false;
  return storeStructureStrings(table, length, info);
}

bool readVpd(const DPhysicalMemory& memory, CSystemInfo& info) {
  unsigned char block[48];
  uint32_t from = kBiosFirst;
  for (;;) {
    uint32_t found = memory.search("\xAA\x55", from, kBiosLast, kStep);
    if (found == 0 || memory.read(block, found, sizeof block) != 0) return false;
    std::printf("0x%8.8X\n%s", found, hexDump(block, sizeof block).c_str());
    if (block[2] == 'V' && block[3] == 'P' && block[4] == 'D') break;
    from = found + kStep;
  }
  unsigned sum = byteSum(block, 47);
  if (sum != 0) reportChecksum("VPD Data", sum);
  std::string product(reinterpret_cast<const char*>(block + 40), 7);
  std::string serial(reinterpret_cast<const char*>(block + 22), 7);
  info.setBios(regconst::kBiosManufacturerKey, kMaker);
  info.setBios(regconst::kBiosProductKey, product);
  info.setBios(regconst::kBiosSerialKey, serial);
  regDiag() << kBiosStrings[0].trace << kMaker << '\n'
            << kBiosStrings[1].trace << product << '\n'
            << kBiosStrings[2].trace << serial << '\n';
  return true;
}

}  // namespace

void regSetPmemLibrary(const std::string& path) {
  gLibraryPath = path;
}

int readBiosInfo(CSystemInfo& info) {
  for (const DBiosString& field : kBiosStrings) info.setBios(field.key, "");
  DPhysicalMemory memory;
  if (!openPhysicalMemory(memory)) {
    regDiag() << "BiosProcessing: Failure-Accessing Bios is not possible\n";
    return 0;
  }
  bool found = readTableSource(memory, kSmbios, info) || readTableSource(memory, kDmi, info) ||
               readVpd(memory, info);
  if (!found) return 0;
  if (info.getBios(regconst::kBiosManufacturerKey) != kMaker) {
    info.setBios(regconst::kBiosSerialKey, "");
  }
  return 1;
}

std::string hexDump(const unsigned char* bytes, int length) {
  std::string out;
  for (int line = 0; line < length; line += 16) {
    int count = std::min(16, length - line);
    char hex[4];
    for (int i = 0; i < 16; ++i) {
      if (i >= count) {
        out += "  ";
        continue;
      }
      std::snprintf(hex, sizeof hex, "%2.2X", bytes[line + i]);
      out += hex;
      if (i % 2 == 1) out += ' ';
    }
    out += "   |";
    for (int i = 0; i < count; ++i) {
      unsigned char c = bytes[line + i];
      out += c < 32 || c == 127 ? '.' : static_cast<char>(c);
    }
    out += std::string(16 - count, ' ') + "|\n";
  }
  return out;
}
