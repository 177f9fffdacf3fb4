// regtool as a user or a test drives it: a separate process on the registry of $ZARNAK_ROOT.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "root.h"
#include "runprogram.h"
#include "winreg.h"

namespace {

using ToolRun = zkrun::ProgramRun;

// Runs regtool with args, standard input from inputFile when given.
ToolRun regtool(const std::vector<std::string>& args, const std::string& inputFile = "") {
  return zkrun::runProgram(REGTOOL_PATH, args, inputFile);
}

class Regtool : public ::testing::Test {
 protected:
  zkroot::ScopedRoot m_root;
};

TEST_F(Regtool, SetsEveryTypeAndTheAgentReadsItBack) {
  const std::string key = "HKLM\\SOFTWARE\\Orbenix\\Moxtar\\CurrentVersion\\ZARNAKSQL";
  EXPECT_EQ(regtool({"set", key, "Path", "REG_SZ", "/opt/zarnaksql/"}).exitCode, 0);
  EXPECT_EQ(regtool({"set", key, "Count", "REG_SZ", "1234", "4"}).exitCode, 0);
  EXPECT_EQ(regtool({"set", key + "\\DefaultServer", "SQL_E", "REG_DWORD", "1"}).exitCode, 0);
  EXPECT_EQ(regtool({"set", key + "\\DefaultServer", "SQL_P", "REG_BINARY", "0a0b0c"}).exitCode, 0);
  EXPECT_EQ(regtool({"set", key, "", "7", "6100"}).exitCode, 0);

  HKEY handle = nullptr;
  ASSERT_EQ(
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\orbenix\\moxtar\\currentversion\\zarnaksql", 0,
                    KEY_QUERY_VALUE, &handle),
      ERROR_SUCCESS);
  char text[8];
  DWORD size = sizeof text;
  ASSERT_EQ(
      RegQueryValueExA(handle, "count", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size),
      ERROR_SUCCESS);
  EXPECT_EQ(std::string(text, size), "1234");  // exactly four bytes, no terminator
  RegCloseKey(handle);

  EXPECT_EQ(regtool({"query", key}).out,
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orbenix\\Moxtar\\CurrentVersion\\ZARNAKSQL]\n"
            "\"Path\" = REG_SZ \"/opt/zarnaksql/\"\n"
            "\"Count\" = REG_SZ(4) \"1234\"\n"
            "\"\" = type(7) 6100\n"
            "subkey \"DefaultServer\"\n");
  EXPECT_EQ(regtool({"query", key + "\\defaultserver", "sql_e"}).out, "REG_DWORD 0x00000001\n");
  EXPECT_EQ(regtool({"query", key + "\\defaultserver", "sql_p"}).out, "REG_BINARY 0a0b0c\n");
}

TEST_F(Regtool, ExportThenImportRebuildsTheSameRegistry) {
  ASSERT_EQ(regtool({"create", "HKCU\\Software\\Orbenix\\Product Registration\\General", "CString"})
                .exitCode,
            0);
  ASSERT_EQ(regtool({"set", "HKCU\\Software\\Orbenix\\Product Registration\\General", "numOfProds",
                     "REG_SZ", "1", "4"})
                .exitCode,
            0);
  ASSERT_EQ(regtool({"set", "HKCR\\.htm", "", "REG_SZ", "htmlfile"}).exitCode, 0);
  ASSERT_EQ(regtool({"create", "HKLM\\MACHINE\\INSTANCE"}).exitCode, 0);
  ToolRun exported = regtool({"export"});
  ASSERT_EQ(exported.exitCode, 0);
  EXPECT_NE(exported.out.find("[HKEY_CURRENT_USER\\Software\\Orbenix\\Product "
                              "Registration\\General] class \"CString\"\n"
                              "\"numOfProds\" = REG_SZ(4) \"1\"\n"),
            std::string::npos)
      << exported.out;
  EXPECT_NE(exported.out.find("[HKEY_LOCAL_MACHINE\\MACHINE\\INSTANCE]\n"), std::string::npos);

  std::string file = (m_root.path() / "export.reg").string();
  std::ofstream(file) << exported.out;
  zkroot::ScopedRoot fresh;
  EXPECT_EQ(regtool({"import", "-"}, file).exitCode, 0);
  EXPECT_EQ(regtool({"export"}).out, exported.out);
  EXPECT_EQ(regtool({"export", "HKCR\\.HTM"}).out,
            "ZARNAK REGISTRY 1\n[HKEY_CLASSES_ROOT\\.htm]\n\"\" = REG_SZ \"htmlfile\"\nEND\n");
}

TEST_F(Regtool, DeletesValuesAndWholeTrees) {
  ASSERT_EQ(regtool({"set", "HKLM\\A\\B\\C", "v", "REG_DWORD", "0x10"}).exitCode, 0);
  ASSERT_EQ(regtool({"set", "HKLM\\A", "w", "REG_DWORD", "2"}).exitCode, 0);
  EXPECT_EQ(regtool({"delete", "HKLM\\A", "W"}).exitCode, 0);
  EXPECT_EQ(regtool({"query", "HKLM\\A", "w"}).exitCode, 1);
  EXPECT_EQ(regtool({"delete", "HKLM\\a"}).exitCode, 0);
  EXPECT_EQ(regtool({"query", "HKLM\\A\\B"}).exitCode, 1);
  EXPECT_EQ(regtool({"delete", "HKLM\\A"}).exitCode, 1);
  EXPECT_EQ(regtool({"delete", "HKLM"}).exitCode, 1);
}

TEST_F(Regtool, ArmsFaultsForOtherProcesses) {
  ASSERT_EQ(regtool({"create", "HKLM\\F"}).exitCode, 0);
  ASSERT_EQ(regtool({"fault", "RegOpenKeyEx", "5", "1"}).exitCode, 0);
  EXPECT_EQ(regtool({"fault", "list"}).out, "RegOpenKeyEx 5 1\n");
  EXPECT_EQ(regtool({"query", "HKLM\\F"}).exitCode, 0);  // the tool itself is never faulted
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "F", 0, KEY_READ, &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "F", 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
  ASSERT_EQ(regtool({"fault", "RegQueryValueEx", "1009"}).exitCode, 0);
  EXPECT_EQ(regtool({"fault", "clear"}).exitCode, 0);
  EXPECT_EQ(regtool({"fault", "list"}).out, "");
}

TEST_F(Regtool, ImportRefusesWhatTheHiveCannotHoldAndLeavesTheRegistryWorking) {
  ASSERT_EQ(regtool({"set", "HKLM\\Kept", "v", "REG_DWORD", "1"}).exitCode, 0);
  const std::string file = (m_root.path() / "import.reg").string();
  const std::string refused[] = {
      "ZARNAK REGISTRY 1\n[HKLM\\a%5cb]\nEND\n",  // a key name holding the level separator
      "ZARNAK REGISTRY 1\n[HKLM\\A]\n\"v\" = REG_SZ(4294967295) \"\"\nEND\n",
      "ZARNAK REGISTRY 1\n[HKLM\\A]\n",  // cut short
  };
  for (const std::string& text : refused) {
    std::ofstream(file, std::ios::trunc) << text;
    ToolRun run = regtool({"import", file});
    EXPECT_EQ(run.exitCode, 1) << text;
    EXPECT_NE(run.err.find("line "), std::string::npos) << run.err;
  }
  EXPECT_EQ(regtool({"query", "HKLM\\Kept", "v"}).out, "REG_DWORD 0x00000001\n");
  EXPECT_EQ(regtool({"query", "HKLM\\A"}).exitCode, 1);
}

TEST_F(Regtool, HelpGoesToStandardOutput) {
  ToolRun help = regtool({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("usage: regtool", 0), 0u) << help.out;
  EXPECT_EQ(help.err, "");
}

TEST_F(Regtool, WrongCommandsAreRefusedNamingTheArgument) {
  const struct {
    std::vector<std::string> args;
    std::string named;  // the argument the message names
  } wrong[] = {
      {{"frobnicate"}, "frobnicate"},
      {{"query"}, "query"},
      {{"query", "HKEY_NOWHERE\\A"}, "HKEY_NOWHERE\\A"},
      {{"query", "HKLM\\\\A"}, "HKLM\\\\A"},
      {{"set", "HKLM\\A", "v", "REG_DWORD", "0x100000000"}, "0x100000000"},
      {{"set", "HKLM\\A", "v", "REG_BINARY", "abc"}, "abc"},
      {{"set", "HKLM\\A", "v", "REG_DWORD", "1", "4"}, "4"},
      {{"set", "HKLM\\A", "v", "REG_SZ_LIKE", "x"}, "REG_SZ_LIKE"},
      {{"set", "HKLM\\A", "v", "REG_SZ", "x", "4294967295"}, "4294967295"},
      {{"set", "HKLM\\A", "v", "REG_SZ", "x", "1048577"}, "1048577"},
      {{"fault", "RegFlushKey", "5"}, "RegFlushKey"},
      {{"fault", "RegOpenKeyEx", "five"}, "five"},
  };
  for (const auto& c : wrong) {
    ToolRun run = regtool(c.args);
    EXPECT_EQ(run.exitCode, 2) << c.named;
    EXPECT_NE(run.err.find("\"" + c.named + "\""), std::string::npos) << run.err;
  }
  EXPECT_EQ(regtool({}).exitCode, 2);
  EXPECT_EQ(regtool({"query", "HKLM\\Missing"}).exitCode, 1);
  EXPECT_EQ(regtool({"import", (m_root.path() / "none").string()}).exitCode, 1);
  EXPECT_EQ(regtool({"set", "HKLM\\A", "v", "REG_SZ", "x", "1048576"}).exitCode, 0);
}

}  // namespace
