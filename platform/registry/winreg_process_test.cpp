// Several processes and threads on one registry at once: the hive file is replaced whole under
// the exclusive lock, so a reader never meets a half-written hive and no writer loses another's
// change.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "root.h"
#include "winreg.h"

namespace {

constexpr DWORD kBlockSize = 64 * 1024;

// Runs body in a child process; its result is the child's exit code.
pid_t startChild(const std::function<int()>& body) {
  pid_t pid = fork();
  if (pid == 0) _exit(body());
  return pid;
}

int waitChild(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

LONG setNumber(HKEY key, const std::string& name, DWORD n) {
  BYTE bytes[4] = {BYTE(n), BYTE(n >> 8), BYTE(n >> 16), BYTE(n >> 24)};
  return RegSetValueExA(key, name.c_str(), 0, REG_DWORD, bytes, 4);
}

// Writes the block `rounds` times, each time filled with another byte.
int writeBlocks(int rounds) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Big", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != 0)
    return 1;
  std::vector<BYTE> block(kBlockSize);
  for (int round = 0; round < rounds; ++round) {
    std::fill(block.begin(), block.end(), static_cast<BYTE>(round));
    if (RegSetValueExA(key, "block", 0, REG_BINARY, block.data(), kBlockSize) != 0) return 2;
  }
  return RegCloseKey(key) == 0 ? 0 : 3;
}

// Reads the block until the writer has ended (its end of the pipe closes); every read must
// give a whole block of one byte.
int readBlocks(int writerGone) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Big", 0, KEY_QUERY_VALUE, &key) != 0) return 10;
  std::vector<BYTE> block(kBlockSize);
  pollfd gone{writerGone, POLLIN, 0};
  int result = 0;
  do {
    DWORD size = kBlockSize;
    if (RegQueryValueExA(key, "block", nullptr, nullptr, block.data(), &size) != 0) result = 11;
    if (size != kBlockSize) result = 12;
    if (std::count(block.begin(), block.end(), block[0]) != kBlockSize) result = 13;
  } while (result == 0 && poll(&gone, 1, 0) == 0);
  RegCloseKey(key);
  return result;
}

// Sets `count` numbered values under its own subkey of "Shared".
int addValues(const std::string& sub, int count) {
  HKEY key = nullptr;
  std::string path = "Shared\\" + sub;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != 0)
    return 1;
  for (int i = 0; i < count; ++i) {
    if (setNumber(key, "v" + std::to_string(i), i) != 0) return 2;
  }
  return RegCloseKey(key) == 0 ? 0 : 3;
}

int countValues(const std::string& sub) {
  HKEY key = nullptr;
  std::string path = "Shared\\" + sub;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != 0) return -1;
  char name[32];
  DWORD length = sizeof name;
  int n = 0;
  while (RegEnumValueA(key, n, name, &length, nullptr, nullptr, nullptr, nullptr) == 0) {
    ++n;
    length = sizeof name;
  }
  RegCloseKey(key);
  return n;
}

TEST(RegistryProcesses, ReaderNeverSeesAHalfWrittenHive) {
  zkroot::ScopedRoot root;
  ASSERT_EQ(writeBlocks(1), 0);
  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  pid_t reader = startChild([&] {
    close(pipeFds[1]);
    return readBlocks(pipeFds[0]);
  });
  pid_t writer = startChild([&] {
    close(pipeFds[0]);
    return writeBlocks(300);  // the write end closes when this process ends
  });
  close(pipeFds[0]);
  close(pipeFds[1]);
  EXPECT_EQ(waitChild(writer), 0);
  EXPECT_EQ(waitChild(reader), 0);
}

TEST(RegistryProcesses, WritersInSeveralProcessesLoseNothing) {
  zkroot::ScopedRoot root;
  std::vector<pid_t> children;
  for (const char* sub : {"one", "two", "three"}) {
    children.push_back(startChild([sub] { return addValues(sub, 40); }));
  }
  for (pid_t child : children) EXPECT_EQ(waitChild(child), 0);
  for (const char* sub : {"one", "two", "three"}) EXPECT_EQ(countValues(sub), 40) << sub;
}

TEST(RegistryThreads, WritersAndReadersInOneProcess) {
  zkroot::ScopedRoot root;
  std::vector<std::thread> threads;
  std::vector<int> results(6, -1);
  for (int t = 0; t < 3; ++t) {
    threads.emplace_back([t, &results] { results[t] = addValues("t" + std::to_string(t), 20); });
  }
  for (int t = 3; t < 6; ++t) {
    threads.emplace_back([t, &results] {
      int bad = 0;
      for (int i = 0; i < 50; ++i) {
        if (countValues("t0") > 20) bad = 1;  // -1 (not yet created) up to 20 are all fine
      }
      results[t] = bad;
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(results, std::vector<int>(6, 0));
  for (int t = 0; t < 3; ++t) EXPECT_EQ(countValues("t" + std::to_string(t)), 20);
}

}  // namespace
