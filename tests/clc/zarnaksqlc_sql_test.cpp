// zarnaksqlc's backups and restores as a user runs them: a simulated machine with the storage
// stand-in and an emulated SQL Server made with sqlsim, the databases checked byte for byte
// with sqlsim after each restore.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "filetext_testutil.h"
#include "outputcheck.h"
#include "runprogram.h"
#include "storedbackup_testutil.h"

namespace fs = std::filesystem;

namespace {

// The name the agent finds for the computer: the emulated SQL Server is the machine's own.
std::string computerName() {
  char host[256] = {};
  gethostname(host, sizeof host - 1);
  std::string name(host, std::strcspn(host, "."));
  name = name.substr(0, 15);
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

class ZarnaksqlcSql : public StoredBackupFixture {
 protected:
  void SetUp() override {
    StoredBackupFixture::SetUp();
    fs::copy_file(ZK_MESSAGE_REPOSITORY, agentDir() + "sqlAMENG.txt",
                  fs::copy_options::overwrite_existing);
    sqlsim({"machine", "name=" + computerName()});
    sqlsim({"create", "MSSQLSERVER"});
    makeDatabase("sales");
  }
  void sqlsim(const std::vector<std::string>& args) {
    zkrun::ProgramRun result = zkrun::runProgram(SQLSIM_PATH, args);
    ASSERT_EQ(result.exitCode, 0) << result.err;
  }
  void makeDatabase(const std::string& name) {
    sqlsim({"database", "MSSQLSERVER", name, "--file", "PRIMARY:" + name + "_data:2048", "--log",
            name + "_log:512"});
    change(name, 1);
  }
  // New contents for the first pages of the database's data file.
  void change(const std::string& name, int seed) {
    sqlsim(
        {"pages", "MSSQLSERVER", name, name + "_data", "0", "128", "--seed", std::to_string(seed)});
  }
  // The logical name and checksum of each data file of the database.
  std::vector<std::string> sums(const std::string& name) {
    zkrun::ProgramRun result = zkrun::runProgram(SQLSIM_PATH, {"checksum", "MSSQLSERVER", name});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::vector<std::string> lines;
    std::istringstream in(result.out);
    std::string sum, size, logical, path;
    while (in >> sum >> size >> logical >> path) {
      if (logical.find("_log") == std::string::npos) lines.push_back(logical + " " + sum);
    }
    return lines;
  }
  zkrun::ProgramRun run(std::vector<std::string> args) {
    args.push_back("/hublorpassword=secret");
    return zkrun::runProgram(ZARNAKSQLC_PATH, args);
  }
  std::string activityLog() { return fileText(agentDir() + "zarnaksql.log"); }
};

TEST_F(ZarnaksqlcSql, FourStripesBackedUpListedAndRestoredOverTheDatabaseAndIntoACopy) {
  std::vector<std::string> backedUp = sums("sales");
  zkrun::ProgramRun backup = run({"backup", "sales", "full", "/stripes=4"});
  ASSERT_EQ(backup.exitCode, 0) << backup.out;
  expectInOrder(backup.out, {"Backup statistics:", "completed successfully"});

  zkrun::ProgramRun query = run({"q", "hublor", "sales"});
  EXPECT_EQ(query.exitCode, 0) << query.out;
  expectInOrder(query.out, {"Database            sales", "Backup type         Full", "4 stripes"});

  change("sales", 2);
  ASSERT_NE(sums("sales"), backedUp);
  zkrun::ProgramRun over = run({"restore", "sales", "full", "/replace"});
  ASSERT_EQ(over.exitCode, 0) << over.out;
  EXPECT_EQ(sums("sales"), backedUp);

  fs::path copy = m_Root.path() / "copy";
  fs::create_directories(copy);
  zkrun::ProgramRun into =
      run({"restore", "sales", "full", "/into=sales2", "/relocate=sales_data,sales_log",
           "/to=" + (copy / "d.mdf").string() + "," + (copy / "l.ldf").string()});
  ASSERT_EQ(into.exitCode, 0) << into.out;
  EXPECT_EQ(sums("sales2"), backedUp);
}

TEST_F(ZarnaksqlcSql, ABackupOfNoDatabaseSaysSoAndStoresNothing) {
  zkrun::ProgramRun backup = run({"backup", "nosuchdb"});
  EXPECT_EQ(backup.exitCode, 0) << backup.out;
  expectInOrder(backup.out, {"No database of the SQL Server matches", "completed successfully"});
  zkrun::ProgramRun query = run({"q", "hublor", "*", "/all"});
  EXPECT_FALSE(has(query.out, "Database ")) << query.out;
}

}  // namespace
