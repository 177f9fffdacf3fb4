// The wizard's values in the registry and its re-prompt entry in the Run key.
#include "regstate.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <vector>

#include "regprogram.h"
#include "regswitch.h"
#include "regtextutil.h"
#include "root.h"

namespace fs = std::filesystem;

namespace {

constexpr char kSection[] = "ZARNAKSQL";

// The raw bytes and type of a value, read without the wizard's helpers.
bool rawValue(HKEY root, const std::string& key, const std::string& name, DWORD& type,
              std::string& bytes) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) return false;
  char data[8192];
  DWORD size = sizeof data;
  LONG rc =
      RegQueryValueExA(handle, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(handle);
  bytes.assign(data, rc == ERROR_SUCCESS ? size : 0);
  return rc == ERROR_SUCCESS;
}

void setRaw(HKEY root, const std::string& key, const std::string& name, DWORD type,
            const std::string& bytes) {
  HKEY handle = nullptr;
  ASSERT_EQ(
      RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr),
      ERROR_SUCCESS);
  ASSERT_EQ(
      RegSetValueExA(handle, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                     static_cast<DWORD>(bytes.size())),
      ERROR_SUCCESS);
  RegCloseKey(handle);
}

class RegistryState : public ::testing::Test {
 protected:
  std::string sectionKey() const { return std::string(kRegistrationKey) + kSection; }
  zkroot::ScopedRoot m_Root;
};

TEST_F(RegistryState, StringsAreStoredWithoutTerminatorAndReadBackBounded) {
  regWriteString(kSection, "fname", "Ada");
  regWriteString(kSection, "mi", "");
  DWORD type = 0;
  std::string bytes;
  ASSERT_TRUE(rawValue(HKEY_CURRENT_USER, sectionKey(), "fname", type, bytes));
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(bytes, "Ada");
  ASSERT_TRUE(rawValue(HKEY_CURRENT_USER, sectionKey(), "mi", type, bytes));
  EXPECT_EQ(bytes, std::string(1, '\0'));
  EXPECT_EQ(regReadString(kSection, "fname"), "Ada");
  EXPECT_EQ(regReadString(kSection, "mi"), "");
  EXPECT_EQ(regReadString(kSection, "missing"), "");
  EXPECT_EQ(regReadString("NoSuchSection", "fname"), "");

  setRaw(HKEY_CURRENT_USER, sectionKey(), "long", REG_SZ, std::string(1025, 'x'));
  setRaw(HKEY_CURRENT_USER, sectionKey(), "full", REG_SZ, std::string(1024, 'y'));
  EXPECT_EQ(regReadString(kSection, "long"), "");
  EXPECT_EQ(regReadString(kSection, "full"), std::string(1024, 'y'));

  // Every key the wizard made carries its class.
  HKEY handle = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Orbenix", 0, KEY_READ, &handle),
            ERROR_SUCCESS);
  char name[64], keyClass[64];
  DWORD nameSize = sizeof name, classSize = sizeof keyClass;
  ASSERT_EQ(RegEnumKeyExA(handle, 0, name, &nameSize, nullptr, keyClass, &classSize, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(handle);
  EXPECT_STREQ(name, "Product Registration");
  EXPECT_STREQ(keyClass, "CString");
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(kRegistrationKey) + "General").c_str(), 0,
                          KEY_READ, &handle),
            ERROR_SUCCESS);
  RegCloseKey(handle);
}

TEST_F(RegistryState, IntegersKeepEveryDigitAndTheirTerminator) {
  struct Case {
    int value;
    const char* stored;
    std::size_t size;
  };
  const Case cases[] = {{7, "7", 2}, {12345, "12345", 6}, {-40, "-40", 4}, {0, "0", 2}};
  for (const Case& c : cases) {
    regWriteInt(kSection, "n", c.value);
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(rawValue(HKEY_CURRENT_USER, sectionKey(), "n", type, bytes));
    EXPECT_EQ(bytes, std::string(c.stored, c.size)) << c.value;
    EXPECT_EQ(regReadInt(kSection, "n"), c.value);
  }
}

TEST_F(RegistryState, IntegersAreReadFromEveryType) {
  struct Case {
    DWORD type;
    std::string bytes;
    int value;
  };
  const Case cases[] = {
      {REG_SZ, "42abc", 42},
      {REG_SZ, "abc", 0},
      {REG_SZ, "1234", 1234},  // written without terminator by an older writer
      {REG_DWORD, std::string("\x10\x27\0\0", 4), 10000},
      {REG_BINARY, std::string("\x01\x02", 2), 0x0201},
      {7, "1", -1},
      {REG_SZ, std::string(257, '1'), -1},
  };
  for (const Case& c : cases) {
    setRaw(HKEY_CURRENT_USER, sectionKey(), "n", c.type, c.bytes);
    EXPECT_EQ(regReadInt(kSection, "n"), c.value) << c.bytes;
  }
  EXPECT_EQ(regReadInt(kSection, "missing"), -1);
}

// A program folder with tamrel and its launcher, searched through PATH.
class RunEntries : public RegistryState {
 protected:
  void SetUp() override {
    m_Folder = m_Root.path() / "Program Files" / "Orbenix.Reg";
    fs::create_directories(m_Folder);
    std::ofstream(m_Folder / "tamrel") << "program";
    std::ofstream(m_Folder / "tamrelStart") << "launcher";
    const char* path = std::getenv("PATH");
    m_OldPath = path != nullptr ? path : "";
    setenv("PATH", m_Folder.c_str(), 1);
    regSetAppName("tamrel");
    setCommandLine({"tamrel", "/lang=french", "PROD A"});
    regResetSwitches();
    setRaw(HKEY_LOCAL_MACHINE, kRunKey, "Other", REG_SZ, std::string("/usr/bin/other\0", 15));
  }
  void TearDown() override {
    setenv("PATH", m_OldPath.c_str(), 1);
    regSetAppName("");
    regSetCommandLine(0, nullptr);
  }
  void setCommandLine(std::vector<const char*> args) {
    regSetCommandLine(static_cast<int>(args.size()), args.data());
  }
  std::string runValue(const std::string& name) {
    DWORD type = 0;
    std::string bytes;
    rawValue(HKEY_LOCAL_MACHINE, kRunKey, name, type, bytes);
    return bytes;
  }
  std::string program() const { return (m_Folder / "tamrel").string(); }
  std::string stem() const {
    std::string stem;
    for (char c : program()) {
      if (std::string(" :\\/\".").find(c) == std::string::npos) stem += c;
    }
    return stem.substr(0, 12);
  }
  fs::path m_Folder;
  std::string m_OldPath;
};

TEST_F(RunEntries, AreNamedAfterTheProgramAndHoldTheLauncherTimeAndCommandLine) {
  ASSERT_EQ(addRunEntry(14, 0, 0), 1);
  ASSERT_EQ(addRunEntry(0, 1, 30), 1);
  std::string data = runValue(stem() + "0");
  ASSERT_FALSE(data.empty());
  EXPECT_EQ(data.back(), '\0');  // written with its terminator
  std::regex format((m_Folder / "tamrelStart").string() +
                    R"( \d\d \d\d (1[0-2]|[1-9]) \d\d \d{4} ")" + program() +
                    R"(" /lang=french "PROD A")" + std::string(1, '\0'));
  EXPECT_TRUE(std::regex_match(data, format)) << data;
  EXPECT_FALSE(runValue(stem() + "1").empty());

  std::time_t later = std::time(nullptr) + 14 * 86400;
  std::tm local{};
  localtime_r(&later, &local);
  char expected[32];
  std::strftime(expected, sizeof expected, " %d %Y ", &local);
  EXPECT_NE(data.find(std::to_string(local.tm_mon + 1) + expected), std::string::npos);

  EXPECT_EQ(removeRunEntries(), 1);
  EXPECT_EQ(runValue(stem() + "0"), "");
  EXPECT_EQ(runValue(stem() + "1"), "");
  EXPECT_NE(runValue("Other"), "");
  EXPECT_EQ(removeRunEntries(), 0);
  EXPECT_EQ(makeRunValueName(), stem() + "0");
}

TEST_F(RunEntries, StaleEntriesBehindAValueTooLongToReadAreRemovedToo) {
  setRaw(HKEY_LOCAL_MACHINE, kRunKey, "Huge", REG_SZ, std::string(5000, 'h'));
  setRaw(HKEY_LOCAL_MACHINE, kRunKey, "Stale", REG_SZ,
         "/opt/start 10 00 3 01 2030 \"" + regUpper(program()) + "\"" + std::string(1, '\0'));
  EXPECT_EQ(removeRunEntries(), 1);
  EXPECT_EQ(runValue("Stale"), "");
  EXPECT_NE(runValue("Huge"), "");
}

TEST_F(RunEntries, TheDataLimitIs2047Characters) {
  std::string launcher = (m_Folder / "tamrelStart").string();
  std::string base = runEntryData(launcher, std::time(nullptr) + 14 * 86400, '"' + program() + '"');
  std::string filler(kRunDataLimit - base.size() - 1, 'x');  // " " + filler makes 2047
  setCommandLine({"tamrel", filler.c_str()});
  EXPECT_EQ(addRunEntry(14, 0, 0), 1);
  EXPECT_EQ(runValue(stem() + "0").size(), kRunDataLimit + 1);
  filler += 'x';
  setCommandLine({"tamrel", filler.c_str()});
  EXPECT_EQ(addRunEntry(14, 0, 0), 0);
  EXPECT_EQ(runValue(stem() + "1"), "");
}

TEST_F(RunEntries, AreNotWrittenWhenTheyCannotBe) {
  CRegCommandLineInfo().ParseParam("registerLater=NO", true, true);
  EXPECT_EQ(addRunEntry(14, 0, 0), 0);
  regResetSwitches();
  fs::remove(m_Folder / "tamrelStart");
  EXPECT_EQ(addRunEntry(14, 0, 0), 0);
  std::ofstream(m_Folder / "tamrelStart") << "launcher";
  regSetCommandLine(0, nullptr);
  EXPECT_EQ(addRunEntry(14, 0, 0), 0);
  setCommandLine({"tamrel"});
  regSetAppName("nowhere");
  EXPECT_EQ(addRunEntry(14, 0, 0), 0);
  EXPECT_EQ(removeRunEntries(), 0);
  EXPECT_EQ(runValue(stem() + "0"), "");
}

TEST(RunValueName, APathOfRemovedCharactersOnlyGivesDigits) {
  zkroot::ScopedRoot root;
  regSetAppName(" :.\\\"");
  EXPECT_EQ(makeRunValueName(), "0");
  setRaw(HKEY_LOCAL_MACHINE, kRunKey, "0", REG_SZ, "x");
  setRaw(HKEY_LOCAL_MACHINE, kRunKey, "1", REG_SZ, std::string(1, '\0'));  // empty counts as free
  EXPECT_EQ(makeRunValueName(), "1");
  regSetAppName("");
}

TEST(CommandArguments, FollowTheProgramName) {
  EXPECT_EQ(regCommandArguments("\"C:\\a b\\tamrel.exe\" /x y"), " /x y");
  EXPECT_EQ(regCommandArguments("tamrel /x"), " /x");
  EXPECT_EQ(regCommandArguments("tamrel"), "");
  EXPECT_EQ(regCommandArguments("\"tamrel\""), "");
}

}  // namespace
