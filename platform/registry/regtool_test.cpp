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
            "ZARNAK REGISTRY 1\n[HKEY_CLASSES_ROOT\\.htm]\n\"\" = REG_SZ \"htmlfile\"\n");
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

TEST_F(Regtool, WrongCommandsAreRefusedWithUsage) {
  const std::vector<std::vector<std::string>> wrong = {
      {},
      {"frobnicate"},
      {"query"},
      {"query", "HKEY_NOWHERE\\A"},
      {"query", "HKLM\\\\A"},
      {"set", "HKLM\\A", "v", "REG_DWORD", "0x100000000"},
      {"set", "HKLM\\A", "v", "REG_BINARY", "abc"},
      {"set", "HKLM\\A", "v", "REG_DWORD", "1", "4"},
      {"set", "HKLM\\A", "v", "REG_SZ_LIKE", "x"},
      {"fault", "RegFlushKey", "5"},
  };
  for (const std::vector<std::string>& args : wrong) {
    EXPECT_EQ(regtool(args).exitCode, 2) << (args.empty() ? "" : args[0]);
  }
  EXPECT_EQ(regtool({"query", "HKLM\\Missing"}).exitCode, 1);
  EXPECT_EQ(regtool({"import", (m_root.path() / "none").string()}).exitCode, 1);
}

}  // namespace
