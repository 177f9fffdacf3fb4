#include "filemover.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "filetext_testutil.h"
#include "nlstest.h"
#include "pcmend_testutil.h"

namespace {

std::string pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; i++) bytes[i] = static_cast<char>((i * 7 + i / 1000) & 0xff);
  return bytes;
}

class FileMoverTest : public nlstest::NlsFixture {
 protected:
  void SetUp() override {
    NlsFixture::SetUp();
    ASSERT_EQ(initRepository(fileText(ZK_MESSAGE_CATALOGUE)), 0);
  }
  std::string path(const std::string& name) { return dir() + name; }
};

TEST_F(FileMoverTest, FilesGoThroughARingUnchanged) {
  struct Case {
    size_t size;
    const char* counts;  // buffers handed on by the reader, 4 KiB each
  };
  const Case cases[] = {{0, "0 "}, {8192, "4096 4096 0 "}, {10000, "4096 4096 1808 "}};
  for (const Case& c : cases) {
    std::string in = path("in.bin"), out = path("deep/er/out.bin");
    writeFileText(in, pattern(c.size));
    std::string counts, ignored;
    CFnTransfer reader(
        3, 4, [&](CPcm* p) { return produceFromFile(p, in.c_str()); },
        collectBytes(&ignored, &counts));
    ASSERT_EQ(reader.runOnce(), 0) << c.size;
    EXPECT_EQ(counts, c.counts) << c.size;
    CFnTransfer copy(
        3, 4, [&](CPcm* p) { return produceFromFile(p, in.c_str()); },
        [&](CPcm* p) { return consumeToFile(p, out.c_str(), c.size, nullptr); });
    ASSERT_EQ(copy.runOnce(), 0) << c.size;
    EXPECT_TRUE(fileText(out) == pattern(c.size)) << c.size;
    EXPECT_EQ(copy.consumed(), c.size);
  }
}

TEST_F(FileMoverTest, MissingFileGivesItsCodeAndMessage) {
  std::string missing = path("nowhere.bin"), counts, ignored;
  CFnTransfer reader(
      3, 4, [&](CPcm* p) { return produceFromFile(p, missing.c_str()); },
      collectBytes(&ignored, &counts));
  EXPECT_EQ(reader.runOnce(), 408);
  EXPECT_EQ(counts, "");
  EXPECT_NE(std::string(reader.producerText()).find(missing), std::string::npos)
      << reader.producerText();
}

TEST_F(FileMoverTest, WrittenFileMustMatchTheStream) {
  struct Case {
    const char* what;
    size_t streamSize;
    uint64_t fileSize;
    int rc;
    size_t onDisk;
  };
  const Case cases[] = {
      {"exact", 5000, 5000, 0, 5000},
      {"empty file, empty stream", 0, 0, 0, 0},
      {"stream ends first", 5000, 6000, 419, 5000},
      {"data follows", 5000, 4000, 419, 4000},
      {"empty file, data follows", 10, 0, 419, 0},
  };
  for (const Case& c : cases) {
    std::string out = path("out.bin");
    CFnTransfer t(3, 4, feedBytes(pattern(c.streamSize)),
                  [&](CPcm* p) { return consumeToFile(p, out.c_str(), c.fileSize, nullptr); });
    EXPECT_EQ(t.runOnce(), c.rc) << c.what;
    EXPECT_EQ(std::filesystem::file_size(out), c.onDisk) << c.what;
  }
}

TEST_F(FileMoverTest, FilesBackToBackInOneStream) {
  const std::string stream = pattern(9000);
  std::string a = path("a.bin"), b = path("b.bin");
  uint32_t processedAfterA = 0;
  int endRc = -1;
  CFnTransfer t(3, 4, feedBytes(stream), [&](CPcm* p) {
    RingElement* bufferP = nullptr;
    int rc = consumeToFile(p, a.c_str(), 3000, &bufferP);
    if (rc != RC_OK) return rc;
    processedAfterA = bufferP != nullptr ? bufferP->ulProcessed : 0;
    // The buffer in which the second file begins goes back in; the stream ends with it.
    rc = consumeToFile(p, b.c_str(), 6000, &bufferP);
    if (rc != RC_OK || bufferP != nullptr) return rc != RC_OK ? rc : -1;
    endRc = CPcmEnd::ring(p).lockFullBuffer(&bufferP);
    return 0;
  });
  ASSERT_EQ(t.runOnce(), 0);
  EXPECT_EQ(processedAfterA, 3000u);
  EXPECT_EQ(endRc, RC_END_OF_DATA);
  EXPECT_TRUE(fileText(a) == stream.substr(0, 3000));
  EXPECT_TRUE(fileText(b) == stream.substr(3000));
}

TEST_F(FileMoverTest, NotEnoughSpaceCreatesOnlyTheDirectories) {
  std::string out = path("space/out.bin");
  CFnTransfer t(3, 4, feedBytes(pattern(10)),
                [&](CPcm* p) { return consumeToFile(p, out.c_str(), uint64_t{1} << 62, nullptr); });
  EXPECT_EQ(t.runOnce(), 405);
  EXPECT_TRUE(std::filesystem::is_directory(path("space")));
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(FileMoverTest, DirectoryThatCannotBeMadeGivesItsCodeAndMessage) {
  writeFileText(path("blocker"), "x");
  std::string out = path("blocker/sub/out.bin");
  CFnTransfer t(3, 4, feedBytes(pattern(10)),
                [&](CPcm* p) { return consumeToFile(p, out.c_str(), 10, nullptr); });
  EXPECT_EQ(t.runOnce(), 403);
  EXPECT_NE(std::string(t.consumerText()).find(out), std::string::npos) << t.consumerText();
}

TEST_F(FileMoverTest, CancelledTransfersEndWithoutWriting) {
  std::string in = path("in.bin"), out = path("out.bin");
  writeFileText(in, pattern(20000));
  CFnTransfer t(
      3, 4,
      [&](CPcm* p) {
        p->cancel();
        return produceFromFile(p, in.c_str());
      },
      [&](CPcm* p) {
        int rc = consumeToFile(p, out.c_str(), 20000, nullptr);
        return rc;
      });
  EXPECT_EQ(t.runOnce(), 200);
  EXPECT_EQ(t.m_ProducerRc, 200);
  EXPECT_EQ(t.m_ConsumerRc, 200);
  EXPECT_FALSE(std::filesystem::exists(out) && std::filesystem::file_size(out) == 20000);
}

}  // namespace
