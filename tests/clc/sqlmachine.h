// A simulated machine for zarnaksqlc's backups and restores: the storage stand-in with the
// agent's node, and an emulated SQL Server, this machine's own, made with sqlsim, with a small
// database "sales". Databases are compared by the checksums sqlsim prints of their data files.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "filetext_testutil.h"
#include "runprogram.h"
#include "storedbackup_testutil.h"

// The name the agent finds for the computer: the emulated SQL Server is the machine's own.
inline std::string computerName() {
  char host[256] = {};
  gethostname(host, sizeof host - 1);
  std::string name(host, std::strcspn(host, "."));
  name = name.substr(0, 15);
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

// The logical name and checksum of each data file of the database, as sqlsim gives them.
inline std::vector<std::string> dataFileSums(const std::string& name) {
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

// New contents for the first pages of the database's data file.
inline void changePages(const std::string& name, int seed) {
  zkrun::ProgramRun result = zkrun::runProgram(
      SQLSIM_PATH,
      {"pages", "MSSQLSERVER", name, name + "_data", "0", "128", "--seed", std::to_string(seed)});
  ASSERT_EQ(result.exitCode, 0) << result.err;
}

class SqlMachine : public StoredBackupFixture {
 protected:
  void SetUp() override {
    StoredBackupFixture::SetUp();
    std::filesystem::copy_file(ZK_MESSAGE_REPOSITORY, agentDir() + "sqlAMENG.txt",
                               std::filesystem::copy_options::overwrite_existing);
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
  void change(const std::string& name, int seed) { changePages(name, seed); }
  // The logical name and checksum of each data file of the database.
  std::vector<std::string> sums(const std::string& name) { return dataFileSums(name); }
  // zarnaksqlc with the storage server's password, in this process's environment with the
  // "NAME=value" entries of environment added.
  zkrun::ProgramRun run(std::vector<std::string> args,
                        const std::vector<std::string>& environment = {}) {
    args.push_back("/hublorpassword=secret");
    return zkrun::runProgram(ZARNAKSQLC_PATH, args, "", environment);
  }
  std::string activityLog() { return fileText(agentDir() + "zarnaksql.log"); }
};
