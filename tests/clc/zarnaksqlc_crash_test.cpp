// Backups of zarnaksqlc killed with SIGKILL, as a crash or `kill -9` ends them, at chosen and
// reproducible points: the storage stand-in kills the program at the n-th call of a kind
// (HUBLOR_FAULTS). After each kill the storage server lists the backups it listed before, or,
// once the server has committed the completion transaction, the new backup as the active one;
// the active backup restores byte for byte; the next backup succeeds and removes what the killed
// run left under temporary names. Each group of points shares one simulated machine and starts
// every point from a completed backup with nothing left over.
#include <gtest/gtest.h>
#include <signal.h>

#include <sstream>
#include <string>
#include <vector>

#include "sqlmachine.h"

namespace {

enum class Kept { kPrevious, kNew };

struct KillPoint {
  const char* rule;  // the fault rule that kills the backup
  Kept kept;         // the backup the storage server holds as active afterwards
  int leftovers;     // data objects the killed run leaves under temporary names
};

class ZarnaksqlcCrash : public SqlMachine {
 protected:
  // Small buffers: a stripe sends its data in several calls.
  std::vector<std::string> backupArgs(int stripes) {
    return {"backup", "sales", "full", "/stripes=" + std::to_string(stripes), "/buffersize=64"};
  }
  // The backups of sales that `q hublor` lists, one line each.
  std::vector<std::string> listed(bool all) {
    std::vector<std::string> args{"q", "hublor", "sales"};
    if (all) args.push_back("/all");
    zkrun::ProgramRun query = run(args);
    EXPECT_EQ(query.exitCode, 0) << query.out;
    std::vector<std::string> backups;
    std::istringstream in(query.out);
    for (std::string line; std::getline(in, line);) {
      if (line.find(", object ") != std::string::npos) backups.push_back(line);
    }
    return backups;
  }
  // Data objects under temporary names, in any state.
  int leftovers() {
    std::istringstream in(simOutput({"objects", "--state", "any", "--ll", "*.*"}));
    int lines = 0;
    for (std::string line; std::getline(in, line);) lines++;
    return lines - 1;  // the heading
  }
  // A new backup of the changed database, with every left-over removed whatever its age.
  void backUp(int seed, int stripes) {
    change("sales", seed);
    std::vector<std::string> args = backupArgs(stripes);
    args.push_back("/olderthan=0");
    zkrun::ProgramRun backup = run(args);
    ASSERT_EQ(backup.exitCode, 0) << backup.out;
    EXPECT_EQ(leftovers(), 0);
  }
  void restoreAndCompare(const std::vector<std::string>& expected) {
    change("sales", 999);
    zkrun::ProgramRun restore = run({"restore", "sales", "full", "/replace"});
    ASSERT_EQ(restore.exitCode, 0) << restore.out;
    EXPECT_EQ(sums("sales"), expected);
  }
  // Kills a backup of `stripes` stripes at each point, in turn, after a backup of `nextStripes`.
  void killAt(const std::vector<KillPoint>& points, int stripes, int nextStripes) {
    int seed = 10;
    backUp(seed++, nextStripes);
    for (const KillPoint& point : points) {
      SCOPED_TRACE(point.rule);
      std::vector<std::string> previousSums = sums("sales");
      std::vector<std::string> before = listed(true);
      change("sales", seed++);
      std::vector<std::string> newSums = sums("sales");
      zkrun::ProgramRun killed =
          run(backupArgs(stripes), {std::string("HUBLOR_FAULTS=") + point.rule});
      ASSERT_EQ(killed.signal, SIGKILL) << killed.exitCode << "\n" << killed.out;

      std::vector<std::string> active = listed(false);
      if (point.kept == Kept::kPrevious) {
        EXPECT_EQ(listed(true), before);
      } else {
        EXPECT_EQ(listed(true).size(), before.size() + 1);
        ASSERT_EQ(active.size(), 1u);
        EXPECT_EQ(active[0].rfind("Active", 0), 0u) << active[0];
        for (const std::string& line : before) EXPECT_NE(line, active[0]);
      }
      EXPECT_EQ(leftovers(), point.leftovers);
      restoreAndCompare(point.kept == Kept::kPrevious ? previousSums : newSums);
      backUp(seed++, nextStripes);
    }
  }
};

// One stripe, killed before any data.
TEST_F(ZarnaksqlcCrash, KilledBeforeAnyData) {
  killAt(
      {
          {"pelkInit nth=1 kill", Kept::kPrevious, 0},
          {"pelkRegisterFS nth=2 kill", Kept::kPrevious, 0},
          {"pelkUpdateFS nth=1 kill", Kept::kPrevious, 0},
          {"pelkBeginQuery nth=1 kill", Kept::kPrevious, 0},  // the search for left-overs
          {"pelkBeginTxn nth=1 kill", Kept::kPrevious, 0},
          {"pelkSendObj nth=1 kill", Kept::kPrevious, 0},
      },
      1, 1);
}

// One stripe, killed while its data streams, or once its data is committed under its temporary
// name, before the completion transaction.
TEST_F(ZarnaksqlcCrash, KilledWhileTheDataStreams) {
  killAt(
      {
          {"pelkSendData nth=1 kill", Kept::kPrevious, 0},
          {"pelkSendData nth=8 kill", Kept::kPrevious, 0},
          {"pelkSendData nth=16 kill=after", Kept::kPrevious, 0},
          {"pelkEndSendObj nth=1 kill", Kept::kPrevious, 0},
          {"pelkEndTxn nth=1 kill", Kept::kPrevious, 0},
          {"pelkEndTxn nth=1 kill=after", Kept::kPrevious, 1},
      },
      1, 1);
}

// Two stripes, both committed under their temporary names: the kill comes inside the completion
// transaction, before, while and after the server commits it, or after that commit.
TEST_F(ZarnaksqlcCrash, KilledInTheCompletionTransaction) {
  killAt(
      {
          // The previous backup's query, after the searches for left-overs in the two stripes'
          // filespaces and in the filespaces above them.
          {"pelkBeginQuery nth=4 kill", Kept::kPrevious, 2},
          {"pelkBeginTxn nth=3 kill", Kept::kPrevious, 2},
          {"pelkSendObj nth=3 kill", Kept::kPrevious, 2},  // the meta-data object
          {"pelkEndSendObj nth=3 kill=after", Kept::kPrevious, 2},
          {"pelkRenameObj nth=1 kill=after", Kept::kPrevious, 2},
          {"pelkRenameObj nth=2 kill=after", Kept::kPrevious, 2},
          {"pelkEndTxn nth=3 kill", Kept::kPrevious, 2},
          {"pelkEndTxn nth=3 kill=commit", Kept::kPrevious, 2},
          {"pelkEndTxn nth=3 kill=after", Kept::kNew, 0},
          {"pelkUpdateFS nth=4 kill", Kept::kNew, 0},  // the completion dates
      },
      2, 2);
}

// A backup of two stripes after one of four inactivates the previous backup's surplus: within
// the completion transaction as far as the node's limit of objects per transaction allows
// (5: the meta-data object, two renames and two inactivations), the rest after the commit.
TEST_F(ZarnaksqlcCrash, KilledWhileThePreviousBackupsSurplusIsInactivated) {
  simOutput({"node", "set", "NODE1", "--max-txn", "5"});
  killAt(
      {
          {"pelkDeleteObj nth=1 kill", Kept::kPrevious, 2},
          {"pelkDeleteObj nth=2 kill=after", Kept::kPrevious, 2},
          {"pelkDeleteObj nth=3 kill", Kept::kNew, 0},
      },
      2, 4);
}

}  // namespace
