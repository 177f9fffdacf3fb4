// BACKUP and RESTORE through virtual devices, with a small backup application in the test
// serving the devices from memory.
#include "backup_restore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>

#include "media.h"
#include "media_client_testutil.h"
#include "root.h"
#include "sqltime.h"

namespace {

using namespace sqlengine;
using enginetest::MediaClient;
using enginetest::Medium;
using enginetest::run;

// "VIRTUAL_DEVICE=N'set', VIRTUAL_DEVICE=N'set-B', ..." as the client names them.
std::string devicesOf(const std::u16string& setName, DWORD count) {
  std::string text;
  for (const std::u16string& name : vditest::deviceNames(setName, count)) {
    text += (text.empty() ? "" : ", ") + std::string("VIRTUAL_DEVICE=N'") +
            std::string(name.begin(), name.end()) + "'";
  }
  return text;
}

class BackupRestoreTest : public ::testing::Test {
 protected:
  void SetUp() override { open(serverVersion()); }
  virtual int serverVersion() const { return 8; }
  void open(int version) {
    ASSERT_TRUE(Instance::create(kDefaultInstance, version).ok());
    SqlError e;
    m_instance = Instance::open(kDefaultInstance, e);
    ASSERT_TRUE(m_instance) << e.text;
    Database db;
    db.name = "sales";
    db.groups = {{kPrimaryGroup, {{0, "sales_data", "", 1024}, {0, "sales_data2", "", 256}}},
                 {"G2", {{0, "sales_g2", "", 512}}}};
    db.logFiles = {{0, "sales_log", "", 64}};
    ASSERT_TRUE(m_instance->createDatabase(db).ok());
    writePages("sales_data", 0, 100, 1);
    writePages("sales_data", 120, 7, 2);
    writePages("sales_data2", 3, 20, 3);
    writePages("sales_g2", 10, 40, 4);
    appendLog({1000, 2000}, "");
  }
  void writePages(const std::string& file, std::uint64_t first, std::uint64_t count, int seed) {
    ASSERT_TRUE(
        m_instance->writeTestPages("sales", file, first, count, {true, std::uint64_t(seed), ""})
            .ok());
  }
  void appendLog(std::vector<std::int64_t> times, const std::string& markOnLast) {
    std::vector<LogRecord> records;
    for (std::int64_t t : times) records.push_back(LogRecord{0, kBase + t, ""});
    records.back().mark = markOnLast;
    ASSERT_TRUE(m_instance->appendLog("sales", records).ok());
  }
  // Backs the database up through count devices; the media come back in family order.
  std::vector<Medium> backup(const std::string& kind, DWORD count, const std::string& with = "") {
    std::u16string set = u"bk" + std::u16string(1, char16_t(u'a' + m_sets++));
    MediaClient client(set, count, 0);
    client.start();
    // kind is DATABASE or LOG, or the whole target with its files.
    std::string target = kind.find('[') == std::string::npos ? kind + " [sales]" : kind;
    std::string text = "BACKUP " + target + " TO " + devicesOf(set, count);
    if (!with.empty()) text += " WITH " + with;
    SqlError e = run(*m_instance, text);
    EXPECT_TRUE(e.ok()) << text << ": " << e.text;
    client.join();
    return client.allWritten();
  }
  // Restores from the media, device i reading perDevice[i] in order.
  SqlError restore(const std::string& what, const std::vector<std::vector<Medium>>& perDevice,
                   const std::string& with = "") {
    std::u16string set = u"rs" + std::u16string(1, char16_t(u'a' + m_sets++));
    DWORD count = static_cast<DWORD>(perDevice.size());
    MediaClient client(set, count, VDF_Removable);
    for (std::size_t i = 0; i < perDevice.size(); ++i)
      for (const Medium& m : perDevice[i]) client.queue(i, m);
    client.start();
    std::string text = "RESTORE " + what + " FROM " + devicesOf(set, count);
    if (!with.empty()) text += " WITH " + with;
    SqlError e = run(*m_instance, text);
    client.join();
    return e;
  }
  std::string moves(const std::string& to) {
    std::string dir = (zkroot::rootDir() / "moved" / to).string();
    return "MOVE N'sales_data' TO N'" + dir + "/a.mdf', MOVE N'sales_data2' TO N'" + dir +
           "/b.ndf', MOVE N'sales_g2' TO N'" + dir + "/c.ndf', MOVE N'sales_log' TO N'" + dir +
           "/d.ldf'";
  }
  std::vector<std::uint64_t> sums(const std::string& db) {
    std::vector<Instance::FileChecksum> files;
    EXPECT_TRUE(m_instance->checksums(db, files).ok());
    std::vector<std::uint64_t> out;
    for (const auto& f : files) out.push_back(f.checksum);
    return out;
  }
  // The catalogue's count of used pages of each data file.
  std::vector<std::int64_t> usedPages(const std::string& db) {
    Database d;
    EXPECT_TRUE(m_instance->database(db, d).ok());
    std::vector<std::int64_t> out;
    for (const FileGroup& g : d.groups)
      for (const DbFile& f : g.files) out.push_back(f.usedPages);
    return out;
  }
  std::vector<std::int64_t> logTimes(const std::string& db) {
    std::vector<LogRecord> log;
    EXPECT_TRUE(m_instance->readLog(db, log).ok());
    std::vector<std::int64_t> out;
    for (const LogRecord& r : log) out.push_back(r.timeMs - kBase);
    return out;
  }
  int status(const std::string& db) {
    Database d;
    EXPECT_TRUE(m_instance->database(db, d).ok());
    return d.status;
  }
  static std::string timeText(std::int64_t t) { return formatSqlTime(kBase + t); }

  static constexpr std::int64_t kBase = 1700000000000;
  zkroot::ScopedRoot m_root;
  std::unique_ptr<Instance> m_instance;
  int m_sets = 0;
};

TEST_F(BackupRestoreTest, FamiliesCarryHeadersAndRestoreInAnyOrderOnFewerDevices) {
  std::vector<Medium> media = backup("DATABASE", 4, "MAXTRANSFERSIZE=65536, BLOCKSIZE=4096");
  ASSERT_EQ(media.size(), 4u);
  for (std::uint32_t i = 0; i < 4; ++i) {
    MediaHeader h;
    ASSERT_TRUE(
        decodeMediaHeader(reinterpret_cast<const std::byte*>(media[i].data()), media[i].size(), h));
    EXPECT_EQ(h.family, i + 1);
    EXPECT_EQ(h.familyCount, 4u);
    EXPECT_EQ(h.database, "sales");
    EXPECT_EQ(h.familyBytes, media[i].size());
    EXPECT_EQ(media[i].size() % 4096, 0u);
  }
  std::vector<std::uint64_t> source = sums("sales");

  SqlError e =
      restore("DATABASE [two]", {{media[2], media[0]}, {media[3], media[1]}}, moves("two"));
  ASSERT_TRUE(e.ok()) << e.text;
  EXPECT_EQ(sums("two"), source);
  EXPECT_EQ(usedPages("two"), usedPages("sales"));
  EXPECT_EQ(status("two"), kStatusNormal);

  e = restore("DATABASE [one]", {{media[1], media[3], media[0], media[2]}}, moves("one"));
  ASSERT_TRUE(e.ok()) << e.text;
  EXPECT_EQ(sums("one"), source);
  EXPECT_EQ(usedPages("one"), usedPages("sales"));

  // Over the source itself: only with REPLACE once it is online... unless it is the same
  // database on a server before 2005, which takes it back.
  e = restore("DATABASE [two]", {{media[0], media[1], media[2], media[3]}}, moves("two2"));
  EXPECT_EQ(e.number, kMsgOtherDatabase) << e.text;
  e = restore("DATABASE [two]", {{media[0], media[1], media[2], media[3]}},
              "REPLACE, " + moves("two3"));
  ASSERT_TRUE(e.ok()) << e.text;
  EXPECT_EQ(sums("two"), source);
}

// REPLACE over the database writes over its files in place: pages changed since the backup
// come back, and pages the set does not hold, used since, become zero again.
TEST_F(BackupRestoreTest, AReplaceOverTheDatabaseLeavesNoPageOfItsOwn) {
  std::vector<Medium> media = backup("DATABASE", 2);
  std::vector<std::uint64_t> source = sums("sales");
  std::vector<std::int64_t> used = usedPages("sales");
  writePages("sales_data", 0, 10, 8);   // backed-up pages changed
  writePages("sales_data", 105, 5, 9);  // pages between backed-up ones
  writePages("sales_data2", 0, 3, 10);  // before them
  writePages("sales_g2", 60, 4, 11);    // after them, to the file's end
  ASSERT_NE(sums("sales"), source);

  SqlError e = restore("DATABASE [sales]", {{media[1]}, {media[0]}}, "REPLACE");
  ASSERT_TRUE(e.ok()) << e.text;
  EXPECT_EQ(sums("sales"), source);
  EXPECT_EQ(usedPages("sales"), used);
  EXPECT_EQ(status("sales"), kStatusNormal);
}

TEST_F(BackupRestoreTest, FamiliesMissingTwiceOrFromAnotherSetFailTheRestore) {
  std::vector<Medium> media = backup("DATABASE", 2);
  std::vector<Medium> other = backup("DATABASE", 2);
  struct Case {
    const char* what;
    std::vector<std::vector<Medium>> perDevice;
    int message;
  };
  const Case cases[] = {
      {"one family missing", {{media[1]}}, kMsgFamilyMissing},
      {"a family twice", {{media[0], media[0], media[1]}}, kMsgDuplicateFamily},
      {"a family of another set", {{media[0], other[1]}}, kMsgFamilyMalformed},
      {"no media at all", {{}}, kMsgFamilyMissing},
      {"a truncated family",
       {{media[0], Medium(media[1].begin(), media[1].end() - 512)}},
       kMsgFamilyMalformed},
  };
  int n = 0;
  for (const Case& c : cases) {
    std::string name = "bad" + std::to_string(n++);
    SqlError e = restore("DATABASE [" + name + "]", c.perDevice, moves(name));
    EXPECT_EQ(e.number, c.message) << c.what << ": " << e.text;
    EXPECT_NE(e.text.find("RESTORE DATABASE is terminating abnormally."), std::string::npos);
  }
}

// Full, differential and three logs (a mark in the second); restored step by step and to a
// point in time inside the second log.
TEST_F(BackupRestoreTest, ChainRestoresToAPointInTimeAndRefusesTheNextLog) {
  std::vector<Medium> full = backup("DATABASE", 1);
  writePages("sales_g2", 50, 5, 9);
  writePages("sales_data", 90, 20, 10);  // ten pages used before, ten new
  std::vector<Medium> diff = backup("DATABASE", 2, "DIFFERENTIAL");
  appendLog({3000, 3100, 3200}, "");
  std::vector<Medium> log1 = backup("LOG", 1);
  appendLog({4000, 4100, 4200}, "");
  appendLog({4300}, "m1");
  appendLog({4400}, "");
  std::vector<Medium> log2 = backup("LOG", 1);
  appendLog({5000}, "");
  std::vector<Medium> log3 = backup("LOG", 1);

  // Each step of the sequence, and the faults on the way.
  std::string m = moves("chain");
  EXPECT_EQ(restore("DATABASE [chain]", {diff}, m).number, kMsgDatabaseNotFound);
  ASSERT_TRUE(restore("DATABASE [chain]", {full}, "NORECOVERY, " + m).ok());
  EXPECT_EQ(status("chain"), kStatusLoading);
  EXPECT_EQ(restore("LOG [chain]", {log2}, "NORECOVERY").number, kMsgLogTooLate);
  ASSERT_TRUE(restore("DATABASE [chain]", {{diff[1], diff[0]}}, "NORECOVERY").ok());
  std::filesystem::path undo = zkroot::rootDir() / "undo.dat";
  ASSERT_TRUE(restore("LOG [chain]", {log1}, "STANDBY = N'" + undo.string() + "'").ok());
  EXPECT_EQ(status("chain"), kStatusStandby);
  EXPECT_TRUE(std::filesystem::exists(undo));
  EXPECT_EQ(restore("LOG [chain]", {log1}, "NORECOVERY").number, kMsgLogTooEarly);
  SqlError e = restore("LOG [chain]", {log2}, "RECOVERY, STOPAT = N'" + timeText(4150) + "'");
  ASSERT_TRUE(e.ok()) << e.text;
  EXPECT_EQ(logTimes("chain"),
            (std::vector<std::int64_t>{1000, 2000, 3000, 3100, 3200, 4000, 4100}));
  EXPECT_EQ(status("chain"), kStatusNormal);
  e = restore("LOG [chain]", {log3}, "RECOVERY");
  EXPECT_EQ(e.number, kMsgRestoreSequenceEnded) << e.text;

  // The pages of the differential came in: the data files equal the source's.
  std::vector<std::uint64_t> source = sums("sales");
  std::vector<std::uint64_t> chain = sums("chain");
  source.pop_back();  // the logs differ: the source's was truncated by its log backups
  chain.pop_back();
  EXPECT_EQ(chain, source);
  EXPECT_EQ(usedPages("chain"), usedPages("sales"));

  // A differential on a database that is not waiting for it.
  EXPECT_EQ(restore("DATABASE [chain]", {diff}, "NORECOVERY").number, kMsgDiffWithoutBase);
}

TEST_F(BackupRestoreTest, MarksStopAtOrBeforeTheMarkedRecord) {
  std::vector<Medium> full = backup("DATABASE", 1);
  appendLog({3000}, "");
  appendLog({3100}, "m1");
  appendLog({3200}, "m1");  // the same mark again, later
  std::vector<Medium> log1 = backup("LOG", 1);
  struct Case {
    std::string stop;
    std::vector<std::int64_t> times;
  };
  const Case cases[] = {
      {"STOPATMARK = N'm1'", {1000, 2000, 3000, 3100}},
      {"STOPBEFOREMARK = N'm1'", {1000, 2000, 3000}},
      {"STOPATMARK = N'm1' AFTER N'" + timeText(3150) + "'", {1000, 2000, 3000, 3100, 3200}},
      {"STOPAT = N'" + timeText(9000) + "'", {1000, 2000, 3000, 3100, 3200}},
  };
  int n = 0;
  for (const Case& c : cases) {
    std::string name = "mark" + std::to_string(n++);
    ASSERT_TRUE(restore("DATABASE [" + name + "]", {full}, "NORECOVERY, " + moves(name)).ok());
    SqlError e = restore("LOG [" + name + "]", {log1}, "RECOVERY, " + c.stop);
    ASSERT_TRUE(e.ok()) << c.stop << ": " << e.text;
    EXPECT_EQ(logTimes(name), c.times) << c.stop;
  }
}

TEST_F(BackupRestoreTest, AStopPointPastALogsEndWaitsForTheNextLog) {
  std::vector<Medium> full = backup("DATABASE", 1);
  appendLog({3000, 3100}, "");
  std::vector<Medium> log1 = backup("LOG", 1);
  appendLog({4000, 4100}, "m1");
  appendLog({4200}, "");
  std::vector<Medium> log2 = backup("LOG", 1);
  const struct {
    std::string stop;
    std::vector<std::int64_t> times;
  } cases[] = {
      {"STOPAT = N'" + timeText(4050) + "'", {1000, 2000, 3000, 3100, 4000}},
      {"STOPATMARK = N'm1'", {1000, 2000, 3000, 3100, 4000, 4100}},
  };
  int n = 0;
  for (const auto& c : cases) {
    std::string name = "pit" + std::to_string(n++);
    ASSERT_TRUE(restore("DATABASE [" + name + "]", {full}, "NORECOVERY, " + moves(name)).ok());
    SqlError e = restore("LOG [" + name + "]", {log1}, "RECOVERY, " + c.stop);
    ASSERT_TRUE(e.ok()) << c.stop << ": " << e.text;
    EXPECT_EQ(status(name), kStatusLoading) << c.stop;  // the point lies in the next log
    e = restore("LOG [" + name + "]", {log2}, "RECOVERY, " + c.stop);
    ASSERT_TRUE(e.ok()) << c.stop << ": " << e.text;
    EXPECT_EQ(status(name), kStatusNormal) << c.stop;
    EXPECT_EQ(logTimes(name), c.times) << c.stop;
  }
}

TEST_F(BackupRestoreTest, UnreadableStopTimesAreRefusedAndChangeNothing) {
  std::vector<Medium> full = backup("DATABASE", 1);
  ASSERT_TRUE(restore("DATABASE [copy]", {full}, "NORECOVERY, " + moves("copy")).ok());
  const std::string withs[] = {"STOPAT = N'tomorrow'", "STOPATMARK = N'm1' AFTER N'2001-13-40'"};
  for (const std::string& with : withs) {
    SqlError e = run(*m_instance, "RESTORE LOG [copy] FROM VIRTUAL_DEVICE=N'x' WITH " + with);
    EXPECT_EQ(e.number, kMsgBadDateTime) << with << ": " << e.text;
    EXPECT_EQ(status("copy"), kStatusLoading);
  }
}

TEST_F(BackupRestoreTest, ARefusedReplaceLeavesTheDatabaseItWouldReplace) {
  std::vector<Medium> full = backup("DATABASE", 1);
  Database other;
  other.name = "other";
  other.groups = {{kPrimaryGroup, {{0, "other_data", "", 64}}}};
  other.logFiles = {{0, "other_log", "", 64}};
  ASSERT_TRUE(m_instance->createDatabase(other).ok());
  std::vector<std::uint64_t> before = sums("sales");
  std::string inUse = m_instance->filePath(other.groups[0].files[0]).string();
  SqlError e =
      restore("DATABASE [sales]", {full}, "REPLACE, MOVE N'sales_data' TO N'" + inUse + "'");
  EXPECT_EQ(e.number, kMsgFileInUse) << e.text;
  EXPECT_EQ(sums("sales"), before);
  EXPECT_EQ(status("sales"), kStatusNormal);
  EXPECT_EQ(restore("DATABASE [fresh]", {full}, "MOVE N'sales_data' TO N'" + inUse + "'").number,
            kMsgFileInUse);
}

TEST_F(BackupRestoreTest, LogBackupsTakenAfterAFileBackupApplyToItsRestore) {
  backup("DATABASE", 1);
  for (const char* item : {"FILEGROUP = N'G2'", "FILE = N'sales_data2'"}) {
    std::vector<Medium> files = backup(std::string("DATABASE [sales] ") + item, 1);
    appendLog({6000}, "");
    std::vector<Medium> log = backup("LOG", 1);
    ASSERT_TRUE(restore(std::string("DATABASE [sales] ") + item, {files}, "NORECOVERY").ok());
    EXPECT_EQ(status("sales"), kStatusLoading);
    SqlError e = restore("LOG [sales]", {log}, "RECOVERY");
    ASSERT_TRUE(e.ok()) << item << ": " << e.text;
    EXPECT_EQ(status("sales"), kStatusNormal);
  }
}

TEST_F(BackupRestoreTest, LogBackupWhileTruncatingAndBackupOfAnOfflineDatabaseAreRefused) {
  backup("DATABASE", 1);
  Database db;
  ASSERT_TRUE(m_instance->database("sales", db).ok());
  db.options.truncateLogOnCheckpoint = true;
  ASSERT_TRUE(m_instance->setOptions("sales", db.options).ok());
  SqlError e = run(*m_instance, "BACKUP LOG [sales] TO VIRTUAL_DEVICE=N'x'");
  EXPECT_EQ(e.number, kMsgLogBackupWhileTruncating) << e.text;
  ASSERT_TRUE(m_instance->setStatus("sales", kStatusOffline).ok());
  e = run(*m_instance, "BACKUP DATABASE [sales] TO VIRTUAL_DEVICE=N'x'");
  EXPECT_EQ(e.number, kMsgDatabaseOffline) << e.text;
}

TEST_F(BackupRestoreTest, BackupsNeedTheirBase) {
  std::u16string set = u"nobase";
  MediaClient client(set, 1, 0);
  client.start();
  SqlError e =
      run(*m_instance, "BACKUP DATABASE [sales] TO " + devicesOf(set, 1) + " WITH DIFFERENTIAL");
  EXPECT_EQ(e.number, kMsgNoCurrentBackup) << e.text;
  e = run(*m_instance, "BACKUP LOG [sales] TO " + devicesOf(set, 1));
  EXPECT_EQ(e.number, kMsgNoLogChain) << e.text;
  e = run(*m_instance, "BACKUP DATABASE [sales] TO VIRTUAL_DEVICE=N'nobody'");
  EXPECT_EQ(e.number, kMsgCannotOpenDevice) << e.text;
  client.abort();
}

TEST_F(BackupRestoreTest, FileBackupAndPartialRestoreTakeTheNamedFilesOnly) {
  std::vector<Medium> files = backup("DATABASE", 1, "");
  std::vector<Medium> g2 = {};
  {
    std::u16string set = u"fileset";
    MediaClient client(set, 1, 0);
    client.start();
    SqlError e =
        run(*m_instance, "BACKUP DATABASE [sales] FILEGROUP = N'G2' TO " + devicesOf(set, 1));
    ASSERT_TRUE(e.ok()) << e.text;
    client.join();
    g2 = client.allWritten();
  }
  ASSERT_TRUE(restore("DATABASE [part]", {files}, "PARTIAL, " + moves("part")).ok());
  std::vector<std::uint64_t> source = sums("sales");
  std::vector<std::uint64_t> part = sums("part");
  EXPECT_EQ(part[0], source[0]);  // PRIMARY
  EXPECT_EQ(part[1], source[1]);
  EXPECT_NE(part[2], source[2]);  // G2 left out
  ASSERT_TRUE(restore("DATABASE [part] FILEGROUP = N'G2'", {g2}).ok());
  EXPECT_EQ(sums("part")[2], source[2]);
}

// ---- The conversation with the devices ----

TEST_F(BackupRestoreTest, EveryDeviceIsFlushedBeforeAnyFlushIsAwaited) {
  std::u16string set = u"flushes";
  MediaClient client(set, 2, 0);
  std::mutex mutex;
  std::condition_variable changed;
  bool secondFlushed = false;
  bool firstWaitedForSecond = false;
  client.onCommand = [&](std::size_t device, VDC_Command* c) {
    if (c->commandCode != VDC_Flush) return true;
    std::unique_lock lock(mutex);
    if (device == 1) {
      secondFlushed = true;
      changed.notify_all();
    } else {
      firstWaitedForSecond =
          changed.wait_for(lock, std::chrono::seconds(20), [&] { return secondFlushed; });
    }
    return true;
  };
  client.start();
  SqlError e = run(*m_instance, "BACKUP DATABASE [sales] TO " + devicesOf(set, 2));
  client.join();
  EXPECT_TRUE(e.ok()) << e.text;
  EXPECT_TRUE(firstWaitedForSecond);
}

// The client holds the first writes of each device unanswered: BUFFERCOUNT of them arrive (2
// without it), and no more until one is answered.
TEST_F(BackupRestoreTest, EachDeviceHasBufferCountWritesInFlight) {
  const struct {
    const char* with;
    std::size_t inFlight;
  } rows[] = {{"BUFFERCOUNT=3, MAXTRANSFERSIZE=65536", 3}, {"MAXTRANSFERSIZE=65536", 2}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.with);
    std::u16string set = u"depth" + std::u16string(1, char16_t(u'a' + m_sets++));
    MediaClient client(set, 2, 0);
    std::mutex mutex;
    std::vector<std::size_t> held(2, 0);  // guarded by mutex
    std::vector<bool> gathered(2, false);
    client.onCommand = [&](std::size_t device, VDC_Command* c) {
      if (c->commandCode != VDC_Write || gathered[device]) return true;
      gathered[device] = true;
      std::vector<VDC_Command*> commands{c};
      VDC_Command* next = nullptr;
      while (commands.size() < row.inFlight &&
             client.device(device)->GetCommand(20000, &next) == S_OK)
        commands.push_back(next);
      if (client.device(device)->GetCommand(200, &next) == S_OK) commands.push_back(next);
      {
        std::lock_guard lock(mutex);
        held[device] = commands.size();
      }
      for (VDC_Command* command : commands)
        client.device(device)->CompleteCommand(command, ERROR_SUCCESS, command->size, 0);
      return false;
    };
    client.start();
    resetDeviceBufferPeak();
    SqlError e =
        run(*m_instance, "BACKUP DATABASE [sales] TO " + devicesOf(set, 2) + " WITH " + row.with);
    client.join();
    EXPECT_TRUE(e.ok()) << e.text;
    EXPECT_EQ(held, std::vector<std::size_t>(2, row.inFlight));
    // A buffer per command in flight, counted for the memory figures, none held afterwards.
    EXPECT_EQ(deviceBufferPeakBytes(), 2 * row.inFlight * 65536);
    EXPECT_EQ(deviceBufferBytes(), 0u);
  }
}

TEST_F(BackupRestoreTest, ARefusedWriteOrAnAbortFailsTheStatementAndAbortsTheSet) {
  for (bool abortByClient : {false, true}) {
    std::u16string set = abortByClient ? u"aborted" : u"refused";
    MediaClient client(set, 2, 0);
    if (abortByClient) {
      client.onCommand = [&](std::size_t, VDC_Command* c) {
        if (c->commandCode == VDC_Write) client.abort();
        return c->commandCode != VDC_Write;
      };
    } else {
      client.refuseWriteCode = ERROR_CAN_NOT_COMPLETE;
      client.refuseAfterWrites = 1;
    }
    client.start();
    SqlError e = run(*m_instance, "BACKUP DATABASE [sales] TO " + devicesOf(set, 2) +
                                      " WITH MAXTRANSFERSIZE=65536");
    client.join();
    EXPECT_EQ(e.number, kMsgWriteFailed) << e.text;
    EXPECT_NE(e.text.find("BACKUP DATABASE is terminating abnormally."), std::string::npos);
    for (HRESULT hr : client.lastAnswers()) EXPECT_EQ(hr, VD_E_ABORT) << abortByClient;
  }
  // Nothing was recorded: a differential still has no base.
  MediaClient client(u"after", 1, 0);
  client.start();
  EXPECT_EQ(run(*m_instance,
                "BACKUP DATABASE [sales] TO " + devicesOf(u"after", 1) + " WITH DIFFERENTIAL")
                .number,
            kMsgNoCurrentBackup);
  client.abort();
}

TEST_F(BackupRestoreTest, SecondSetWithTheSameNameFails) {
  MediaClient first(u"same", 1, 0);
  MediaClient second(u"same", 1, 0);
  EXPECT_EQ(first.createHr(), S_OK);
  EXPECT_EQ(second.createHr(), VD_E_BUSY);
}

TEST_F(BackupRestoreTest, DiskDevicesWriteAFileEachAndRestoreFromThemInAnyOrder) {
  std::filesystem::path dir = zkroot::rootDir() / "disks";
  std::filesystem::create_directories(dir);
  // A backslash separates folders as on the server; a relative path lies in the instance folder.
  std::string a = dir.string() + "\\a.bak";
  std::string b = (dir / "b.bak").string();
  SqlError e = run(*m_instance, "BACKUP DATABASE [sales] TO DISK='" + a + "', DISK=N'" + b +
                                    "', DISK='c.bak' WITH BUFFERCOUNT=3, MAXTRANSFERSIZE=65536");
  ASSERT_TRUE(e.ok()) << e.text;
  std::filesystem::path c = m_instance->dir() / "c.bak";
  for (const std::filesystem::path& file : {dir / "a.bak", dir / "b.bak", c})
    EXPECT_GT(std::filesystem::file_size(file), kMediaHeaderSize) << file;
  e = run(*m_instance, "RESTORE DATABASE [copy] FROM DISK='c.bak', DISK='" + b + "', DISK='" + a +
                           "' WITH " + moves("copy"));
  ASSERT_TRUE(e.ok()) << e.text;
  EXPECT_EQ(sums("copy"), sums("sales"));
  EXPECT_EQ(status("copy"), kStatusNormal);
  // A backup writes its file anew.
  ASSERT_TRUE(run(*m_instance, "BACKUP DATABASE [sales] TO DISK='" + b + "'").ok());
  ASSERT_TRUE(run(*m_instance,
                  "RESTORE DATABASE [copy] FROM DISK='" + b + "' WITH REPLACE, " + moves("copy"))
                  .ok());
}

TEST_F(BackupRestoreTest, DiskDevicesThatCannotBeOpenedOrMixedKindsFailTheStatement) {
  std::string missing = (zkroot::rootDir() / "no-such-folder" / "x.bak").string();
  struct Case {
    std::string text;
    int number;
  } cases[] = {
      {"BACKUP DATABASE [sales] TO DISK='" + missing + "'", kMsgCannotOpenDevice},
      {"RESTORE DATABASE [copy] FROM DISK='" + missing + "'", kMsgCannotOpenDevice},
      {"BACKUP DATABASE [sales] TO DISK='d.bak', VIRTUAL_DEVICE=N'v'", kMsgEngineFailure},
      {"BACKUP DATABASE [sales] TO DISK='d.bak', DISK='" + m_instance->dir().string() + "/d.bak'",
       kMsgEngineFailure},
  };
  for (const Case& c : cases) {
    SqlError e = run(*m_instance, c.text);
    EXPECT_EQ(e.number, c.number) << c.text << ": " << e.text;
    EXPECT_NE(e.text.find("terminating abnormally"), std::string::npos) << e.text;
  }
  EXPECT_FALSE(std::filesystem::exists(m_instance->dir() / "d.bak"));
  Database copy;
  EXPECT_FALSE(m_instance->database("copy", copy).ok());
}

class BackupRestoreSevenTest : public BackupRestoreTest {
 protected:
  int serverVersion() const override { return 7; }
};

TEST_F(BackupRestoreSevenTest, VersionSevenServerWithTheFirstInterface) {
  std::u16string set = u"seven";
  std::vector<Medium> media;
  {
    MediaClient client(set, 2, 0, 7);
    ASSERT_EQ(client.createHr(), S_OK);
    client.start();
    SqlError e = run(*m_instance, "BACKUP DATABASE [sales] TO " + devicesOf(set, 2), 7);
    ASSERT_TRUE(e.ok()) << e.text;
    client.join();
    media = client.allWritten();
  }
  MediaClient client(u"seven-r", 1, VDF_Removable, 7);
  client.queue(0, media[1]);
  client.queue(0, media[0]);
  client.start();
  SqlError e =
      run(*m_instance,
          "RESTORE DATABASE [s7] FROM " + devicesOf(u"seven-r", 1) + " WITH " + moves("s7"), 7);
  client.join();
  ASSERT_TRUE(e.ok()) << e.text;
  EXPECT_EQ(sums("s7"), sums("sales"));
  // A version 7 server knows no marks.
  EXPECT_EQ(
      run(*m_instance, "RESTORE LOG [s7] FROM VIRTUAL_DEVICE=N'x' WITH STOPATMARK=N'm'", 7).number,
      kMsgNotRecognizedOption);
}

}  // namespace
