// Several threads and several processes on one store, and a process killed mid-transaction.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <set>
#include <thread>

#include "fixture.h"
#include "runprogram.h"

extern char** environ;

namespace {

constexpr const char* kFs = "SRV\\data\\0001";

class ProcessTest : public FilespaceTest {
 protected:
  ProcessTest() : FilespaceTest(kFs) {}
  size_t dataFiles() {
    size_t count = 0;
    for (auto& entry : std::filesystem::recursive_directory_iterator(m_root.path() / "hublor/data"))
      count += entry.is_regular_file();
    return count;
  }
  size_t stagingFolders() {
    size_t count = 0;
    for (auto& entry : std::filesystem::directory_iterator(m_root.path() / "hublor/staging")) {
      count += entry.is_directory();
    }
    return count;
  }
};

TEST_F(ProcessTest, ThreadsWithSessionsOfTheirOwn) {
  constexpr int kThreads = 6, kObjects = 8;
  std::vector<std::thread> threads;
  std::vector<int> failures(kThreads, 0);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      uint32_t mine = 0;
      if (logon(mine) != PELK_RC_OK) return void(++failures[t]);
      for (int i = 0; i < kObjects; ++i) {
        std::string hl = "\\t" + std::to_string(t);
        std::string data = pattern(20000 + i, static_cast<unsigned>(t * 100 + i));
        if (sendObject(mine, objName(kFs, hl, "\\full"), data) != PELK_RC_OK) ++failures[t];
        auto active = query(mine, objName(kFs, hl, "\\full"), PELK_ACTIVE);
        if (active.size() != 1 || fetch(mine, {id64(active[0].objId)}, 8192)[0].data != data) {
          ++failures[t];
        }
      }
      a().pelkTerminate(mine);
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
  EXPECT_EQ(query(h, objName(kFs, "*", "*"), PELK_ACTIVE).size(), size_t{kThreads});
  EXPECT_EQ(query(h, objName(kFs, "*", "*"), PELK_INACTIVE).size(),
            size_t{kThreads * (kObjects - 1)});
}

TEST_F(ProcessTest, TwoProcessesShareOneStore) {
  std::thread child([] {
    SimResult result =
        runProgram(TESTCLIENT_PATH, {"send", "NODE1", "secret", kFs, "\\child", "20", "50000"});
    EXPECT_EQ(result.status, 0);
  });
  for (int i = 0; i < 20; ++i) {
    ASSERT_EQ(
        sendObject(h, objName(kFs, "\\parent" + std::to_string(i), "\\full"), pattern(50000, i)),
        PELK_RC_OK);
  }
  child.join();
  auto all = query(h, objName(kFs, "*", "*"), PELK_ANYMATCH);
  ASSERT_EQ(all.size(), 40u);
  std::set<uint64_t> ids;
  for (const auto& answer : all) ids.insert(id64(answer.objId));
  EXPECT_EQ(ids.size(), 40u);
  auto fetched = fetch(h, {id64(all[0].objId)}, 1 << 16);
  EXPECT_EQ(fetched[0].data, std::string(50000, 'c'));  // the child's objects sort first
}

TEST_F(ProcessTest, KilledProcessLeavesNothingBehind) {
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<std::string> words{TESTCLIENT_PATH, "hang",   "NODE1", "secret", kFs,
                                 "\\killed",      "3000000"};
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, TESTCLIENT_PATH, &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  char ready[6] = {};
  ASSERT_EQ(read(out[0], ready, 5), 5);  // the child holds an open transaction with data
  EXPECT_STREQ(ready, "ready");
  EXPECT_EQ(stagingFolders(), 2u);
  EXPECT_EQ(filesBelow(m_root.path() / "hublor/data"), 1u);  // the child's object, in its place
  kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  close(out[0]);
  int rc = 0;
  EXPECT_TRUE(query(h, objName(kFs, "\\killed", "*"), PELK_ANYMATCH, &rc).empty());
  EXPECT_EQ(rc, PELK_RC_NO_MATCH);
  EXPECT_EQ(runSim({"node", "list"}).status, 0);  // a new process cleans the dead one's files
  EXPECT_EQ(stagingFolders(), 1u);
  EXPECT_EQ(filesBelow(m_root.path() / "hublor/data"), 0u);
  EXPECT_EQ(sendObject(h, objName(kFs, "\\after", "\\full"), "x"), PELK_RC_OK);
}

// A client that dies at its second commit: inside the server's commit nothing of that
// transaction is kept; once the server committed, all of it is.
TEST_F(ProcessTest, ProcessKilledInsideOrAfterTheCommitKeepsTheTransactionWhole) {
  struct Case {
    const char* rule;
    size_t kept;
  } cases[] = {{"pelkEndTxn nth=2 kill=commit", 1}, {"pelkEndTxn nth=2 kill=after", 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rule);
    std::string hl = c.kept == 1 ? "\\incommit" : "\\after";
    zkrun::ProgramRun run =
        zkrun::runProgram(TESTCLIENT_PATH, {"send", "NODE1", "secret", kFs, hl, "3", "70000"}, "",
                          {std::string("HUBLOR_FAULTS=pelkBeginTxn delay=1;") + c.rule});
    EXPECT_EQ(run.signal, SIGKILL) << run.exitCode;
    EXPECT_EQ(runSim({"node", "list"}).status, 0);  // a new process cleans the dead one's files
    EXPECT_EQ(query(h, objName(kFs, hl + "*", "*"), PELK_ANYMATCH).size(), c.kept);
    EXPECT_EQ(dataFiles(), query(h, objName(kFs, "*", "*"), PELK_ANYMATCH).size());
  }
  EXPECT_EQ(sendObject(h, objName(kFs, "\\later", "\\full"), "x"), PELK_RC_OK);
}

TEST_F(ProcessTest, ClientsStartingTogetherKeepTheirStagingFolders) {
  // A starting process removes the staging folders of dead ones; it must never take the folder
  // another starting process has just made for dead.
  constexpr int kRounds = 4, kClients = 24;
  std::atomic<int> failures{0};
  for (int round = 0; round < kRounds; ++round) {
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
      std::string prefix = "\\r" + std::to_string(round) + "c" + std::to_string(c) + "-";
      clients.emplace_back([&failures, prefix] {
        SimResult result =
            runProgram(TESTCLIENT_PATH, {"send", "NODE1", "secret", kFs, prefix, "1", "100"});
        failures += result.status != 0;
      });
    }
    for (auto& client : clients) client.join();
  }
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(query(h, objName(kFs, "\\r*", "*"), PELK_ACTIVE).size(), size_t{kRounds * kClients});
}

TEST_F(ProcessTest, EmptyCatalogueIsDamagedNotANewStore) {
  ASSERT_EQ(sendObject(h, objName(kFs, "\\kept", "\\full"), pattern(5000, 1)), PELK_RC_OK);
  a().pelkTerminate(h);
  a().pelkCleanUp(1);  // the last connection writes the log back into the catalogue
  const std::filesystem::path catalogue = m_root.path() / "hublor/catalog.db";
  ASSERT_FALSE(std::filesystem::exists(catalogue.string() + "-wal"));
  std::filesystem::resize_file(catalogue, 0);
  size_t kept = dataFiles();
  ASSERT_EQ(kept, 1u);

  SimResult listed = runSim({"node", "list"});
  EXPECT_EQ(listed.status, 1);
  EXPECT_NE(listed.error.find("damaged"), std::string::npos) << listed.error;
  EXPECT_EQ(setUpWith(optionFile()), PELK_RC_STORE_ERROR);
  EXPECT_EQ(dataFiles(), kept);
  EXPECT_EQ(std::filesystem::file_size(catalogue), 0u);
}

}  // namespace
