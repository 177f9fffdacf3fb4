// The BIOS facts from crafted memory images read through libpmemw.so.
#include "regbios.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "regdiag.h"
#include "regsysinfo.h"
#include "root.h"

namespace {

constexpr uint32_t kBase = 0xE0000;

// Physical memory from 0xE0000 to 0xFFFFF.
class CImage {
 public:
  CImage() : m_Bytes(0x20000, '\0') {}
  void put(uint32_t address, const std::string& bytes) {
    m_Bytes.replace(address - kBase, bytes.size(), bytes);
  }
  // A header whose byte sum is sumDelta off zero, for a table of length at address.
  void header(uint32_t at, const std::string& pattern, int size, int lengthOffset,
              int addressOffset, uint16_t length, uint32_t address, int sumDelta = 0) {
    std::string h(size, '\0');
    h.replace(0, pattern.size(), pattern);
    h[lengthOffset] = static_cast<char>(length & 0xFF);
    h[lengthOffset + 1] = static_cast<char>(length >> 8);
    for (int i = 0; i < 4; ++i) h[addressOffset + i] = static_cast<char>(address >> (8 * i));
    fixSum(h, size - 1, sumDelta);
    put(at, h);
  }
  static void fixSum(std::string& bytes, int place, int delta) {
    unsigned sum = 0;
    for (int i = 0; i < static_cast<int>(bytes.size()); ++i) {
      if (i != place) sum += static_cast<unsigned char>(bytes[i]);
    }
    bytes[place] = static_cast<char>((0x100 - (sum & 0xFF) + delta) & 0xFF);
  }
  void write(const std::string& path) const { std::ofstream(path, std::ios::binary) << m_Bytes; }

 private:
  std::string m_Bytes;
};

// A type 0 structure with one string, then a type 1 structure with the three string numbers.
std::string structureTable(int manufacturer, int product, int serial) {
  std::string table;
  table += std::string("\x00\x04\x00\x00", 4) + "Vendor BIOS" + std::string(2, '\0');
  std::string system(8, '\0');
  system[0] = 1;
  system[1] = 8;
  system[4] = static_cast<char>(manufacturer);
  system[5] = static_cast<char>(product);
  system[7] = static_cast<char>(serial);
  table += system + "Orbenix" + '\0' + " ZX-1\t" + '\0' + "SN123" + '\0' + '\0';
  table += std::string("\x7F\x04\x00\x00\x00\x00", 6);
  return table;
}

class Bios : public ::testing::Test {
 protected:
  void SetUp() override {
    regSetPmemLibrary(PMEMW_LIBRARY);
    regSetDiag(&m_Diag);
    m_Info.release();
  }
  void TearDown() override {
    regSetDiag(nullptr);
    regSetPmemLibrary("");
    unsetenv("PMEMW_IMAGE");
    unsetenv("PMEMW_IMAGE_BASE");
  }
  int read(const CImage& image) {
    std::string path = (m_Root.path() / "memory.img").string();
    image.write(path);
    setenv("PMEMW_IMAGE", path.c_str(), 1);
    setenv("PMEMW_IMAGE_BASE", "E0000", 1);
    return readBiosInfo(m_Info);
  }
  zkroot::ScopedRoot m_Root;
  std::ostringstream m_Diag;
  CSystemInfo m_Info;
};

TEST_F(Bios, SmbiosBehindAHeaderWithABadChecksum) {
  CImage image;
  std::string table = structureTable(1, 2, 3);
  image.put(0xE1000, table);
  image.header(0xF0010, "_SM_", 31, 22, 24, static_cast<uint16_t>(table.size()), 0xE1000, 1);
  image.header(0xF0100, "_SM_", 31, 22, 24, static_cast<uint16_t>(table.size()), 0xE1000);
  ASSERT_EQ(read(image), 1);
  std::string manufacturer, product, serial;
  m_Info.getBiosInfo(manufacturer, product, serial);
  EXPECT_EQ(manufacturer, "Orbenix");
  EXPECT_EQ(product, "ZX-1");
  EXPECT_EQ(serial, "SN123");
  EXPECT_NE(m_Diag.str().find("BiosProcessing: Invalid _SM_ Structure Table Header found. "
                              "Checksum failure.\n                Calculated Checksum   = 0x01\n"),
            std::string::npos);
  EXPECT_NE(m_Diag.str().find("BiosProcessing: ProductName=  ZX-1\t\n"), std::string::npos);
}

TEST_F(Bios, DmiWhenThereIsNoSmbiosAndOnlyTheMakersSerial) {
  CImage image;
  std::string table = structureTable(2, 0, 3);  // the product's string number is 0
  image.put(0xE2000, table);
  image.header(0xF0200, "_DMI_", 15, 6, 8, static_cast<uint16_t>(table.size()), 0xE2000);
  ASSERT_EQ(read(image), 1);
  EXPECT_EQ(m_Info.getBios("q15"), " ZX-1\t");  // not the maker: the serial number is dropped
  EXPECT_EQ(m_Info.getBios("q16"), "");
  EXPECT_EQ(m_Info.getBios("q17"), "");
}

TEST_F(Bios, VpdGivesTheMakerAndItsFixedFields) {
  CImage image;
  std::string block(47, ' ');  // bytes 0 to 46 sum to zero
  block.replace(0, 5, "\xAA\x55VPD");
  block.replace(22, 7, "SER4567");
  block.replace(40, 6, "8641-X");
  CImage::fixSum(block, 46, 0);
  image.put(0xF0300, block + 'Q');
  ASSERT_EQ(read(image), 1);
  EXPECT_EQ(m_Info.getBios("q15"), "Orbenix");
  EXPECT_EQ(m_Info.getBios("q16").substr(0, 6), "8641-X");
  EXPECT_EQ(m_Info.getBios("q17"), "SER4567");
}

TEST_F(Bios, NothingFoundOrNoLibraryLeavesTheValuesEmpty) {
  EXPECT_EQ(read(CImage()), 0);
  EXPECT_EQ(m_Info.getBios("q15"), "");
  regSetPmemLibrary("/nonexistent/libpmemw.so");
  EXPECT_EQ(readBiosInfo(m_Info), 0);
  EXPECT_NE(m_Diag.str().find("BiosProcessing: Failure-Accessing Bios is not possible\n"),
            std::string::npos);
}

TEST(HexDump, SixteenBytesALineWithTheirCharacters) {
  const unsigned char bytes[] = {'A', 'B', 0x01, 0x7F, 'z', 0xAA, 'c', 'd', 'e',
                                 'f', 'g', 'h',  'i',  'j', 'k',  'l', 'm', 'n'};
  EXPECT_EQ(hexDump(bytes, sizeof bytes),
            "4142 017F 7AAA 6364 6566 6768 696A 6B6C    |AB..z\xAA"
            "cdefghijkl|\n"
            "6D6E" +
                std::string(32, ' ') + "|mn              |\n");
}

}  // namespace
