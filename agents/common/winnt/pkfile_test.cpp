#include "pkfile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include "psthread.h"
#include "root.h"
#include "trcfile_testutil.h"

namespace {

class PkFile : public ::testing::Test {
 protected:
  std::string path(const char* name) { return (root.path() / name).string(); }
  zkroot::ScopedRoot root;
};

TEST_F(PkFile, SizeOfFilesBeyond4GB) {
  const struct {
    const char* name;
    off_t size;
    uint32_t high, low;
  } cases[] = {{"empty", 0, 0, 0},
               {"small", 5, 0, 5},
               {"five-gib", 5ll << 30, 1, 1u << 30},
               {"three-tib", 3ll << 40, 768, 0}};
  for (const auto& c : cases) {
    std::string name = path(c.name);
    int fd = open(name.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(0, ftruncate(fd, c.size));  // sparse: no disk space is used
    close(fd);
    pkInt64 size = pkInt64Make(9, 9);
    EXPECT_EQ(0, pkFSize(name.c_str(), &size)) << c.name;
    EXPECT_EQ(c.high, size.high) << c.name;
    EXPECT_EQ(c.low, size.low) << c.name;
  }
}

TEST_F(PkFile, SizeOfAMissingFileIsRefused) {
  pkInt64 size = pkInt64Make(7, 7);
  EXPECT_EQ(407, pkFSize(path("missing").c_str(), &size));
  EXPECT_EQ(407, pkFSize(path("missing/below").c_str(), &size));
  EXPECT_EQ(7u, size.high);
  EXPECT_EQ(7u, size.low);
}

TEST_F(PkFile, SizeTracesItsOutcome) {
  TraceFileForTest trace({TRC_FILEOPS});
  ASSERT_EQ(0, trace.openRc());
  std::string name = path("sized");
  FILE* fileP = fopen(name.c_str(), "w");
  fputs("12345", fileP);
  fclose(fileP);
  pkInt64 size;
  ASSERT_EQ(0, pkFSize(name.c_str(), &size));
  EXPECT_EQ(407, pkFSize(path("missing").c_str(), &size));
  std::vector<std::string> expected = {
      "Enter pkFSize()",         "_stati64( " + name + " ) was successful.",
      "fileSize64: 5",           "Exit pkFSize(), rc = 0",
      "Enter pkFSize()",         "_stati64( " + path("missing") + " ) failed.",
      "Exit pkFSize(), rc = 407"};
  EXPECT_EQ(expected, trace.texts());
}

TEST_F(PkFile, OpenAndLockIsExclusive) {
  std::string name = path("shared.dat");
  int fd = pkOpenAndLock(name.c_str(), O_RDWR | O_CREAT);
  ASSERT_GE(fd, 0);
  // Another opener gives up after its attempts while the lock is held.
  EXPECT_EQ(-1, pkOpenAndLockRetry(name.c_str(), O_RDWR, 3, 1));
  close(fd);
  int again = pkOpenAndLockRetry(name.c_str(), O_RDWR, 3, 1);
  EXPECT_GE(again, 0);
  close(again);
  EXPECT_EQ(-1, pkOpenAndLockRetry(path("no/such/dir").c_str(), O_RDWR, 2, 1));
}

TEST_F(PkFile, OpenAndLockWaitsForTheHolder) {
  std::string name = path("shared.dat");
  int holder = pkOpenAndLock(name.c_str(), O_RDWR | O_CREAT);
  ASSERT_GE(holder, 0);
  int waiter = -1;
  std::thread thread([&] { waiter = pkOpenAndLock(name.c_str(), O_RDWR); });
  close(holder);  // the waiter gets the file on one of its attempts
  thread.join();
  EXPECT_GE(waiter, 0);
  int other = open(name.c_str(), O_RDONLY | O_CLOEXEC);
  EXPECT_NE(0, flock(other, LOCK_EX | LOCK_NB));
  close(other);
  close(waiter);
}

TEST_F(PkFile, LockFileWaitsUntilTheHolderUnlocks) {
  std::string name = path("store.lock");
  int holder = pkLockFile(name.c_str());
  ASSERT_GE(holder, 0);
  std::atomic<bool> locked{false};
  std::thread thread([&] {
    int fd = pkLockFile(name.c_str());
    locked = fd >= 0;
    pkUnlockFile(name.c_str(), fd);
  });
  psSleep(100);
  EXPECT_FALSE(locked);  // still waiting for the holder
  pkUnlockFile(name.c_str(), holder);
  thread.join();
  EXPECT_TRUE(locked);
  EXPECT_FALSE(std::filesystem::exists(name));  // no lock file outlives its holders
  EXPECT_EQ(pkLockFile(path("missing/store.lock").c_str()), -1);
}

TEST_F(PkFile, StreamHelpersAreTheCStreamCalls) {
  std::string name = path("stream.bin");
  FILE* outP = pkFopen(name.c_str(), "wb");
  ASSERT_NE(nullptr, outP);
  EXPECT_EQ(5u, pkFwrite("hello", 1, 5, outP));
  EXPECT_EQ(0, pkFclose(outP));
  FILE* inP = pkFopen(name.c_str(), "rb");
  char buffer[8] = {};
  EXPECT_EQ(5u, pkFread(buffer, 1, sizeof buffer, inP));
  EXPECT_STREQ("hello", buffer);
  pkFclose(inP);
  EXPECT_EQ(0, pkRemove(name.c_str()));
  EXPECT_EQ(nullptr, pkFopen(name.c_str(), "rb"));
}

}  // namespace
