#include "instance.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <thread>

#include "machine.h"
#include "root.h"

namespace {

using namespace sqlengine;

class InstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Instance::create("INST1", 8).ok());
    SqlError e;
    m_instance = Instance::open("inst1", e);
    ASSERT_TRUE(m_instance) << e.text;
  }
  // A database with PRIMARY (2 files), an empty group, a group with one file, and two logs.
  Database salesSpec() {
    Database db;
    db.name = "sales";
    db.groups = {{kPrimaryGroup, {{0, "sales_data", "", 256}, {0, "sales_data2", "", 64}}},
                 {"EMPTY", {}},
                 {"G2", {{0, "sales_g2", "", 100}}}};
    db.logFiles = {{0, "sales_log", "", 8}, {0, "sales_log2", "", 8}};
    return db;
  }
  zkroot::ScopedRoot m_root;
  std::unique_ptr<Instance> m_instance;
};

TEST_F(InstanceTest, CreatesTheSystemDatabasesAndLogins) {
  std::vector<Database> dbs;
  ASSERT_TRUE(m_instance->databases(dbs).ok());
  ASSERT_EQ(dbs.size(), 4u);
  EXPECT_EQ(dbs[0].name, "master");
  EXPECT_TRUE(dbs[0].system);
  EXPECT_EQ(dbs[0].compatibilityLevel, 80);
  EXPECT_TRUE(std::filesystem::exists(m_instance->filePath(dbs[0].groups[0].files[0])));
  std::optional<Login> sa, self;
  ASSERT_TRUE(m_instance->findLogin("SA", sa).ok());
  ASSERT_TRUE(sa && sa->sysadmin && !sa->windows);
  ASSERT_TRUE(m_instance->findLogin(osUserName(), self).ok());
  EXPECT_TRUE(self && self->windows);
  EXPECT_EQ(listInstances(), std::vector<std::string>{"INST1"});
  EXPECT_EQ(Instance::create("inst1", 8).number, kMsgEngineFailure);  // exists already
}

TEST_F(InstanceTest, DatabaseKeepsGroupsFilesAndOrder) {
  Database definition = salesSpec();
  ASSERT_TRUE(m_instance->createDatabase(definition).ok());
  Database db;
  ASSERT_TRUE(m_instance->database("SALES", db).ok());
  ASSERT_EQ(db.groups.size(), 3u);
  EXPECT_EQ(db.groups[1].name, "EMPTY");
  EXPECT_TRUE(db.groups[1].files.empty());
  EXPECT_TRUE(db.groups[0].files[0].primary);
  EXPECT_FALSE(db.groups[0].files[1].primary);
  EXPECT_EQ(db.groups[2].files[0].sizeKb, 104);  // rounded up to whole pages
  EXPECT_EQ(db.logFiles.size(), 2u);
  EXPECT_EQ(std::filesystem::file_size(m_instance->filePath(db.groups[0].files[0])), 256u * 1024);

  Database again = salesSpec();
  EXPECT_EQ(m_instance->createDatabase(again).number, 1801);
  Database clash = salesSpec();
  clash.name = "other";
  clash.groups[2].files[0].logicalName = "sales_data";
  EXPECT_EQ(m_instance->createDatabase(clash).number, 1828);
  EXPECT_EQ(m_instance->database("nothere", db).number, kMsgDatabaseNotFound);

  ASSERT_TRUE(m_instance->removeDatabase("sales").ok());
  EXPECT_FALSE(std::filesystem::exists(m_instance->filePath(definition.groups[0].files[0])));
}

// The list is kept between calls: after each change, by this object or by another connection
// to the instance, it must read as a freshly opened instance reads the catalogue.
TEST_F(InstanceTest, DatabaseListFollowsEveryChange) {
  SqlError e;
  std::unique_ptr<Instance> other = Instance::open("INST1", e);
  ASSERT_TRUE(other) << e.text;
  auto names = [](const std::vector<Database>& dbs) {
    std::string text;
    for (const Database& db : dbs)
      text += db.name + ":" + std::to_string(db.status) + ":" + std::to_string(db.nextLsn) + ":" +
              std::to_string(db.options.readOnly) + ":" +
              std::to_string(db.groups[0].files[0].usedPages) + " ";
    return text;
  };
  auto expectFresh = [&](const char* after) {
    SqlError opened;
    std::unique_ptr<Instance> fresh = Instance::open("INST1", opened);
    std::vector<Database> cached, read;
    ASSERT_TRUE(m_instance->databases(cached).ok() && fresh->databases(read).ok()) << after;
    EXPECT_EQ(names(cached), names(read)) << after;
  };
  Instance::DatabaseList before;
  ASSERT_TRUE(m_instance->databaseList(before).ok());
  ASSERT_EQ(before->size(), 4u);
  auto create = [&](Instance& i) {
    Database d = salesSpec();
    return i.createDatabase(d);
  };
  auto nextLsn = [](Instance& i) {
    std::uint64_t lsn = 0;
    return i.nextLsn("sales", lsn);
  };
  const struct {
    const char* change;
    std::function<SqlError(Instance&)> run;
  } kChanges[] = {
      {"create", create},
      {"status by another", [](Instance& i) { return i.setStatus("sales", kStatusLoading); }},
      {"options", [](Instance& i) { return i.setOptions("sales", DbOptions{true}); }},
      {"used pages by another",
       [](Instance& i) { return i.addUsedPages("sales", "sales_data", 3); }},
      {"log sequence", nextLsn},
      {"drop by another", [](Instance& i) { return i.removeDatabase("sales"); }},
      {"create again", create},
  };
  for (const auto& c : kChanges) {
    bool byOther = std::string(c.change).find("another") != std::string::npos;
    expectFresh(c.change);  // read into the cache before the change
    ASSERT_TRUE(c.run(byOther ? *other : *m_instance).ok()) << c.change;
    expectFresh(c.change);
  }
  EXPECT_EQ(before->size(), 4u);                // a list handed out stays as it was
  EXPECT_EQ(create(*m_instance).number, 1801);  // refused: nothing changes
  expectFresh("refused create");
}

TEST_F(InstanceTest, DefaultFilesStayInsideTheInstanceWhateverTheNames) {
  const std::filesystem::path inside =
      std::filesystem::weakly_canonical(m_root.path() / "sqlserver");
  for (const char* name : {"../../x", "..", "a/b\\..\\c"}) {
    Database db;
    db.name = name;
    db.groups = {{kPrimaryGroup, {{0, "..", "", 64}}}};
    db.logFiles = {{0, "../../../log", "", 64}};
    ASSERT_TRUE(m_instance->createDatabase(db).ok()) << name;
    for (const DbFile& f : {db.groups[0].files[0], db.logFiles[0]}) {
      std::filesystem::path path = std::filesystem::weakly_canonical(m_instance->filePath(f));
      EXPECT_EQ(path.string().rfind(inside.string() + "/", 0), 0u) << name << ": " << path;
      EXPECT_TRUE(std::filesystem::is_regular_file(path)) << path;
    }
  }
}

TEST_F(InstanceTest, NamesCountCharacters) {
  auto repeated = [](int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += "\xc3\xa9";  // two bytes each
    return text;
  };
  Database db = salesSpec();
  db.name = repeated(100);  // 200 bytes
  EXPECT_TRUE(m_instance->createDatabase(db).ok());
  Database longer = salesSpec();
  longer.name = repeated(129);
  SqlError e = m_instance->createDatabase(longer);
  EXPECT_EQ(e.number, kMsgIdentifierTooLong);
  EXPECT_NE(e.text.find("'" + repeated(128) + "'"), std::string::npos) << e.text;
}

TEST_F(InstanceTest, PagesCarryTheirSequenceNumberAndChecksumsFollowContent) {
  Database definition = salesSpec();
  ASSERT_TRUE(m_instance->createDatabase(definition).ok());
  Database twin = salesSpec();
  twin.name = "twin";
  for (auto& g : twin.groups)
    for (auto& f : g.files) f.logicalName = "t" + f.logicalName;
  for (auto& f : twin.logFiles) f.logicalName = "t" + f.logicalName;
  ASSERT_TRUE(m_instance->createDatabase(twin).ok());

  PageFill fill{true, 42, ""};
  ASSERT_TRUE(m_instance->writeTestPages("sales", "sales_data", 3, 5, fill).ok());
  ASSERT_TRUE(m_instance->writeTestPages("twin", "tsales_data", 3, 5, fill).ok());
  std::vector<Instance::FileChecksum> a, b;
  ASSERT_TRUE(m_instance->checksums("sales", a).ok());
  ASSERT_TRUE(m_instance->checksums("twin", b).ok());
  ASSERT_EQ(a.size(), 5u);                  // three data files, two log files
  EXPECT_EQ(a[0].checksum, b[0].checksum);  // same pages, same sequence number
  ASSERT_TRUE(m_instance->writeTestPages("twin", "tsales_data", 4, 1, {false, 0, "ab"}).ok());
  ASSERT_TRUE(m_instance->checksums("twin", b).ok());
  EXPECT_NE(a[0].checksum, b[0].checksum);

  Database db;
  ASSERT_TRUE(m_instance->database("sales", db).ok());
  EXPECT_EQ(db.groups[0].files[0].usedPages, 5);
  std::vector<std::byte> page(kPageSize);
  ASSERT_TRUE(m_instance->readPages("sales", "sales_data", 7, 1, page.data()).ok());
  EXPECT_EQ(pageLsn(page.data()), 1u);
  EXPECT_EQ(getLe(page.data() + 8, 4), 7u);
  // A page copied into the other database as it stands (what a restore does).
  ASSERT_TRUE(m_instance->writePages("twin", "tsales_data2", 0, 1, page.data()).ok());
  ASSERT_TRUE(m_instance->database("twin", db).ok());
  EXPECT_EQ(db.groups[0].files[1].usedPages, 1);
  EXPECT_EQ(m_instance->writeTestPages("sales", "sales_data", 30, 3, fill).number,
            kMsgEngineFailure);  // past the end of a 32-page file
  EXPECT_EQ(m_instance->writeTestPages("sales", "sales_log", 0, 1, fill).number, kMsgEngineFailure);
  EXPECT_EQ(m_instance->readPages("sales", "sales_data", ~std::uint64_t{0}, 2, page.data()).number,
            kMsgEngineFailure);  // a range that wraps around
}

TEST_F(InstanceTest, LogRecordsSpanLogFilesTruncateAndFill) {
  Database definition = salesSpec();
  ASSERT_TRUE(m_instance->createDatabase(definition).ok());
  // Two log files of 8 KB: 16 slots of 512 bytes each, 32 in all.
  std::vector<LogRecord> records(20);
  records[19].mark = "m1";
  records[19].timeMs = 1234;
  ASSERT_TRUE(m_instance->appendLog("sales", records).ok());
  EXPECT_EQ(records[0].lsn, 1u);
  EXPECT_EQ(records[19].lsn, 20u);
  std::vector<LogRecord> read;
  ASSERT_TRUE(m_instance->readLog("sales", read).ok());
  ASSERT_EQ(read.size(), 20u);
  EXPECT_EQ(read[19].mark, "m1");
  EXPECT_EQ(read[19].timeMs, 1234);

  std::vector<LogRecord> tooMany(13);
  EXPECT_EQ(m_instance->appendLog("sales", tooMany).number, kMsgLogFull);
  ASSERT_TRUE(m_instance->readLog("sales", read).ok());
  EXPECT_EQ(read.size(), 20u);  // nothing of the refused records counts

  ASSERT_TRUE(m_instance->truncateLog("sales", 16).ok());
  ASSERT_TRUE(m_instance->readLog("sales", read).ok());
  ASSERT_EQ(read.size(), 5u);
  EXPECT_EQ(read[0].lsn, 16u);
  ASSERT_TRUE(m_instance->appendLog("sales", tooMany).ok());
  EXPECT_EQ(tooMany[0].lsn, 21u);

  ASSERT_TRUE(m_instance->replaceLog("sales", {read[0]}, 100).ok());
  ASSERT_TRUE(m_instance->readLog("sales", read).ok());
  EXPECT_EQ(read.size(), 1u);
  std::uint64_t lsn = 0;
  ASSERT_TRUE(m_instance->nextLsn("sales", lsn).ok());
  EXPECT_EQ(lsn, 100u);
}

TEST_F(InstanceTest, FaultsSkipFireAndRunOut) {
  Fault f;
  f.kind = "call";
  f.target = "Database.GetName";
  f.message = 50001;
  f.skip = 1;
  f.times = 2;
  ASSERT_TRUE(m_instance->addFault(f).ok());
  std::optional<Fault> fired;
  std::vector<bool> pattern;
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(m_instance->takeFault("call", "database.getname", fired).ok());
    pattern.push_back(fired.has_value());
  }
  EXPECT_EQ(pattern, (std::vector<bool>{false, true, true, false}));
  ASSERT_TRUE(m_instance->takeFault("call", "Server.Connect", fired).ok());
  EXPECT_FALSE(fired);
  f.times = 0;
  f.skip = 0;
  ASSERT_TRUE(m_instance->addFault(f).ok());
  ASSERT_TRUE(m_instance->takeFault("call", "Database.GetName", fired).ok());
  ASSERT_TRUE(m_instance->takeFault("call", "Database.GetName", fired).ok());
  EXPECT_TRUE(fired);
  ASSERT_TRUE(m_instance->clearFaults().ok());
  ASSERT_TRUE(m_instance->takeFault("call", "Database.GetName", fired).ok());
  EXPECT_FALSE(fired);
}

TEST_F(InstanceTest, PropertiesStayWithTheirDatabase) {
  Database definition = salesSpec();
  ASSERT_TRUE(m_instance->createDatabase(definition).ok());
  ASSERT_TRUE(m_instance->setProperty("sales", "diff-base", "17").ok());
  std::string value;
  ASSERT_TRUE(m_instance->property("sales", "diff-base", value).ok());
  EXPECT_EQ(value, "17");
  ASSERT_TRUE(m_instance->setProperty("sales", "diff-base", "").ok());
  ASSERT_TRUE(m_instance->property("sales", "diff-base", value).ok());
  EXPECT_EQ(value, "");
}

// Writers in several threads and processes, each with its own Instance: every record lands
// once, with a sequence number of its own.
TEST_F(InstanceTest, ConcurrentWritersNeverLoseOrShareRecords) {
  Database definition = salesSpec();
  definition.logFiles = {{0, "sales_log", "", 512}};
  ASSERT_TRUE(m_instance->createDatabase(definition).ok());
  auto writer = [] {
    SqlError e;
    auto instance = Instance::open("INST1", e);
    for (int i = 0; i < 20; ++i) {
      std::vector<LogRecord> one(1);
      if (!instance->appendLog("sales", one).ok()) return false;
      if (!instance->writeTestPages("sales", "sales_data", i % 8, 2, {true, 7, ""}).ok())
        return false;
    }
    return true;
  };
  pid_t child = fork();
  if (child == 0) _exit(writer() ? 0 : 1);
  bool ok1 = false, ok2 = false;
  std::thread t1([&] { ok1 = writer(); });
  std::thread t2([&] { ok2 = writer(); });
  t1.join();
  t2.join();
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(ok1 && ok2);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  std::vector<LogRecord> read;
  ASSERT_TRUE(m_instance->readLog("sales", read).ok());
  ASSERT_EQ(read.size(), 60u);
  for (std::size_t i = 1; i < read.size(); ++i) EXPECT_LT(read[i - 1].lsn, read[i].lsn);
}

TEST(InstanceRemove, RemovesFolderAndFiles) {
  zkroot::ScopedRoot root;
  ASSERT_TRUE(Instance::create("gone", 7).ok());
  EXPECT_TRUE(instanceExists("GONE"));
  ASSERT_TRUE(Instance::remove("gone").ok());
  EXPECT_FALSE(std::filesystem::exists(instanceDir("gone")));
  SqlError e;
  EXPECT_FALSE(Instance::open("gone", e));
  EXPECT_EQ(e.number, kMsgServerNotFound);
}

}  // namespace
