// A database backed up by the agent's transfers through four virtual devices into files and
// restored from those files through two devices and through one, under other names and paths:
// every file comes back byte for byte. bench/stripes measures the same path against a durable
// copy of the database files.
#include "vdi_stripes.h"

#include <gtest/gtest.h>

#include "root.h"

namespace {

using namespace sqlengine;

class VdiStripesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Instance::create(kDefaultInstance, 8).ok());
    SqlError e;
    m_instance = Instance::open(kDefaultInstance, e);
    ASSERT_TRUE(m_instance) << e.text;
    e = stripes::makeDatabase(*m_instance, "big", 24);
    ASSERT_TRUE(e.ok()) << e.text;
  }
  std::filesystem::path path(const std::string& name) { return zkroot::rootDir() / name; }

  zkroot::ScopedRoot m_root;
  std::unique_ptr<Instance> m_instance;
};

TEST_F(VdiStripesTest, FourStripesIntoFilesRestoreThroughTwoDevicesAndThroughOne) {
  std::vector<std::filesystem::path> files;
  for (int i = 0; i < 4; ++i) files.push_back(path("stripe" + std::to_string(i)));
  stripes::Outcome backup =
      stripes::backupToFiles(*m_instance, "big", files, "MAXTRANSFERSIZE=262144, BLOCKSIZE=4096");
  ASSERT_EQ(backup.setHr, S_OK);
  ASSERT_TRUE(backup.statement.ok()) << backup.statement.text;
  EXPECT_EQ(backup.transferRcs, (std::vector<int>{0, 0, 0, 0}));
  std::vector<std::uint64_t> source = stripes::checksums(*m_instance, "big");
  ASSERT_EQ(source.size(), 4u);

  struct Case {
    const char* name;
    std::vector<std::vector<std::filesystem::path>> perDevice;
  };
  const Case cases[] = {
      {"two", {{files[3], files[0]}, {files[1], files[2]}}},
      {"one", {{files[2], files[0], files[3], files[1]}}},
  };
  for (const Case& c : cases) {
    stripes::Outcome restore = stripes::restoreFromFiles(
        *m_instance, "DATABASE [" + std::string(c.name) + "]", c.perDevice,
        stripes::movesTo("big", path(std::string("moved_") + c.name)));
    ASSERT_EQ(restore.setHr, S_OK) << c.name;
    ASSERT_TRUE(restore.statement.ok()) << c.name << ": " << restore.statement.text;
    for (int rc : restore.transferRcs) EXPECT_EQ(rc, 0) << c.name;
    EXPECT_EQ(stripes::checksums(*m_instance, c.name), source) << c.name;
    Database db;
    ASSERT_TRUE(m_instance->database(c.name, db).ok());
    EXPECT_EQ(db.groups[0].files[0].physicalName,
              (path(std::string("moved_") + c.name) / "big_data").string());
  }
}

// A stripe fails and the agent aborts the set while SQL Server writes: the statement fails,
// and every later device call answers "aborted".
TEST_F(VdiStripesTest, AbortByTheAgentFailsTheStatement) {
  stripes::AgentSet agent(*m_instance, "zkabort", 2, 0,
                          "BACKUP DATABASE [big] TO " + stripes::deviceList("zkabort", 2));
  ASSERT_TRUE(agent.ready());
  CVdevTestTransfer first(CVdevTestTransfer::backupFromVdi, agent.device(0));
  int sunk = 0;
  first.sink = [&](const uint8_t*, uint32_t) { return ++sunk == 3 ? RC_INTERNAL_ERROR : 0; };
  EXPECT_EQ(first.runOnce(), RC_INTERNAL_ERROR);
  EXPECT_EQ(agent.abort(), S_OK);
  stripes::Outcome outcome = agent.finish();
  EXPECT_EQ(outcome.statement.number, kMsgWriteFailed) << outcome.statement.text;
  EXPECT_NE(outcome.statement.text.find("BACKUP DATABASE is terminating abnormally."),
            std::string::npos);
  VDC_Command* commandP = nullptr;
  EXPECT_EQ(vdev_GetCommand(&agent.status(), agent.device(1), 0, &commandP), VD_E_ABORT);
  CVdevTestTransfer second(CVdevTestTransfer::backupFromVdi, agent.device(1));
  EXPECT_EQ(second.runOnce(), RC_VDI_ABORTED);
}

}  // namespace
