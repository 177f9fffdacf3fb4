#include "registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "faults.h"
#include "root.h"
#include "trcfile_testutil.h"

namespace {

const char kAgentKey[] = "SOFTWARE\\Orbenix\\Moxtar\\CurrentVersion\\ZARNAKSQL\\";

class Registry : public ::testing::Test {
 protected:
  void SetUp() override {
    HKEY key = nullptr;
    ASSERT_EQ(createOrOpenReg(HKEY_LOCAL_MACHINE, kAgentKey, &key), RC_OK);
  }
  // Stores exactly these bytes as a value of the agent key, through the registry itself.
  static void store(const char* name, DWORD type, const std::string& bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, kAgentKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                            DWORD(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  // The value's type and bytes as stored, "missing" when there is none.
  static std::string stored(const char* keyPathP, const char* name, DWORD* typeP = nullptr) {
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, keyPathP, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
      return "missing";
    std::string bytes(512, '\0');
    DWORD size = DWORD(bytes.size());
    LONG rc =
        RegQueryValueEx(key, name, nullptr, typeP, reinterpret_cast<BYTE*>(bytes.data()), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? bytes.substr(0, size) : "missing";
  }

  zkroot::ScopedRoot m_root;
};

TEST_F(Registry, StringReadsHoldOneByteBackForTheTerminator) {
  store("Path", REG_SZ, std::string("/opt/zarnaksql/\0", 16));
  store("Bare", REG_SZ, "abc");  // written without a terminator
  struct Case {
    const char* key;
    const char* name;
    DWORD bufferSize;
    int rc;
    const char* text;
  } cases[] = {
      {kAgentKey, "Path", 17, RC_OK, "/opt/zarnaksql/"},
      {kAgentKey, "path", 1024, RC_OK, "/opt/zarnaksql/"},
      {kAgentKey, "Path", 16, RC_REG_READ_FAILED, ""},  // exactly as long as the buffer
      {kAgentKey, "Bare", 4, RC_OK, "abc"},
      {kAgentKey, "Missing", 64, RC_REG_READ_FAILED, ""},
      {"SOFTWARE\\Orbenix\\Missing\\", "Path", 64, RC_REG_OPEN_FAILED, ""},
  };
  for (const Case& c : cases) {
    std::string buffer(c.bufferSize + 1, 'x');
    EXPECT_EQ(getSzValue(HKEY_LOCAL_MACHINE, c.key, c.name, buffer.data(), c.bufferSize), c.rc)
        << c.name << " " << c.bufferSize;
    EXPECT_STREQ(buffer.c_str(), c.text) << c.name << " " << c.bufferSize;
    EXPECT_EQ(buffer.back(), 'x');
  }
  EXPECT_EQ(getSzValue(HKEY_LOCAL_MACHINE, kAgentKey, "Path", nullptr, 0), RC_REG_READ_FAILED);
}

TEST_F(Registry, NumbersAreExactlyFourBytes) {
  store("Four", REG_DWORD, std::string("\x01\x02\x00\x80", 4));
  store("Two", REG_DWORD, std::string("\x01\x02", 2));
  store("Eight", REG_BINARY, std::string(8, '\x01'));
  DWORD number = 0;
  EXPECT_EQ(getDwordValue(HKEY_LOCAL_MACHINE, kAgentKey, "four", &number), RC_OK);
  EXPECT_EQ(number, 0x80000201u);
  EXPECT_EQ(getDwordValue(HKEY_LOCAL_MACHINE, kAgentKey, "Two", &number), RC_REG_READ_FAILED);
  EXPECT_EQ(getDwordValue(HKEY_LOCAL_MACHINE, kAgentKey, "Eight", &number), RC_REG_READ_FAILED);
  EXPECT_EQ(getDwordValue(HKEY_LOCAL_MACHINE, kAgentKey, "None", &number), RC_REG_READ_FAILED);
  EXPECT_EQ(getDwordValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\None", "Four", &number),
            RC_REG_OPEN_FAILED);
}

TEST_F(Registry, BinaryReadsTellTheBytesRead) {
  store("SQL_P", REG_BINARY, std::string(208, '\x5a'));
  BYTE block[209];
  DWORD size = sizeof block;
  EXPECT_EQ(getBinaryValue(HKEY_LOCAL_MACHINE, kAgentKey, "SQL_P", block, &size), RC_OK);
  EXPECT_EQ(size, 208u);
  store("SQL_P", REG_BINARY, std::string(210, '\x5a'));
  size = sizeof block;
  EXPECT_EQ(getBinaryValue(HKEY_LOCAL_MACHINE, kAgentKey, "SQL_P", block, &size),
            RC_REG_READ_FAILED);
}

TEST_F(Registry, WritesStoreTheirTypeAndExactLength) {
  const BYTE bytes[3] = {0, 1, 2};
  EXPECT_EQ(putSzValue(HKEY_LOCAL_MACHINE, kAgentKey, "SQL_A", "sa"), RC_OK);
  EXPECT_EQ(putDwordValue(HKEY_LOCAL_MACHINE, kAgentKey, "SQL_E", 1), RC_OK);
  EXPECT_EQ(putBinaryValue(HKEY_LOCAL_MACHINE, kAgentKey, "SQL_P", bytes, 3), RC_OK);
  DWORD type = 0;
  EXPECT_EQ(stored(kAgentKey, "SQL_A", &type), std::string("sa\0", 3));
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(stored(kAgentKey, "SQL_E", &type), std::string("\x01\x00\x00\x00", 4));
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(stored(kAgentKey, "SQL_P", &type), std::string("\x00\x01\x02", 3));
  EXPECT_EQ(type, REG_BINARY);
}

TEST_F(Registry, WritesNeedAnExistingKeyAndCreateNothing) {
  const char missing[] = "SOFTWARE\\Orbenix\\Moxtar\\CurrentVersion\\ZARNAKSQL\\DefaultServer";
  EXPECT_EQ(putSzValue(HKEY_LOCAL_MACHINE, missing, "SQL_A", "sa"), RC_REG_OPEN_FAILED);
  EXPECT_EQ(putDwordValue(HKEY_LOCAL_MACHINE, missing, "SQL_E", 1), RC_REG_OPEN_FAILED);
  EXPECT_EQ(putBinaryValue(HKEY_LOCAL_MACHINE, missing, "SQL_P", nullptr, 0), RC_REG_OPEN_FAILED);
  EXPECT_EQ(stored(missing, "SQL_A"), "missing");
  char text[8];
  EXPECT_EQ(getSzValue(HKEY_LOCAL_MACHINE, missing, "SQL_A", text, sizeof text),
            RC_REG_OPEN_FAILED);
}

TEST_F(Registry, CreateAndDeleteKeys) {
  const char login[] = "SOFTWARE\\Orbenix\\Moxtar\\CurrentVersion\\ZARNAKSQL\\MACHINE\\INSTANCE";
  HKEY key = nullptr;
  EXPECT_EQ(createOrOpenReg(HKEY_LOCAL_MACHINE, login, &key), RC_OK);
  EXPECT_EQ(createOrOpenReg(HKEY_LOCAL_MACHINE, login, &key), RC_OK);
  EXPECT_EQ(putSzValue(HKEY_LOCAL_MACHINE, login, "SQL_A", "sa"), RC_OK);
  // Two levels: MACHINE holds INSTANCE, so it cannot go first.
  EXPECT_EQ(regDeleteKey(HKEY_LOCAL_MACHINE,
                         "SOFTWARE\\Orbenix\\Moxtar\\CurrentVersion\\ZARNAKSQL\\MACHINE"),
            RC_REG_DELETE_FAILED);
  EXPECT_EQ(regDeleteKey(HKEY_LOCAL_MACHINE, login), RC_OK);
  EXPECT_EQ(stored(login, "SQL_A"), "missing");
  EXPECT_EQ(regDeleteKey(HKEY_LOCAL_MACHINE, login), RC_REG_DELETE_FAILED);
  EXPECT_EQ(createOrOpenReg(HKEY_LOCAL_MACHINE, "\\bad", &key), RC_REG_OPEN_FAILED);
}

TEST_F(Registry, RootsAreNotMixed) {
  HKEY key = nullptr;
  ASSERT_EQ(createOrOpenReg(HKEY_CLASSES_ROOT, ".htm", &key), RC_OK);
  ASSERT_EQ(putSzValue(HKEY_CLASSES_ROOT, ".htm", "", "htmlfile"), RC_OK);
  char text[32];
  EXPECT_EQ(getSzValue(HKEY_CLASSES_ROOT, ".htm\\", nullptr, text, sizeof text), RC_OK);
  EXPECT_STREQ(text, "htmlfile");
  EXPECT_EQ(getSzValue(HKEY_LOCAL_MACHINE, ".htm", nullptr, text, sizeof text), RC_REG_OPEN_FAILED);
}

TEST_F(Registry, FailuresAreTracedAndOnlySuccessesSayExit) {
  store("Path", REG_SZ, std::string("/opt/\0", 6));
  ASSERT_TRUE(zkreg::armFault("RegSetValueEx", ERROR_CANTWRITE, 3));
  TraceFileForTest trace({TRC_GENERAL});
  char text[64];
  DWORD number = 0;
  EXPECT_EQ(getSzValue(HKEY_LOCAL_MACHINE, kAgentKey, "Path", text, sizeof text), RC_OK);
  EXPECT_EQ(getSzValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\None", "Path", text, sizeof text),
            RC_REG_OPEN_FAILED);
  EXPECT_EQ(getDwordValue(HKEY_LOCAL_MACHINE, kAgentKey, "Path", &number), RC_REG_READ_FAILED);
  EXPECT_EQ(putSzValue(HKEY_LOCAL_MACHINE, kAgentKey, "SQL_A", "sa"), RC_REG_WRITE_FAILED);
  EXPECT_EQ(putDwordValue(HKEY_LOCAL_MACHINE, kAgentKey, "SQL_E", 7), RC_REG_WRITE_FAILED);
  EXPECT_EQ(putBinaryValue(HKEY_LOCAL_MACHINE, kAgentKey, "SQL_P", nullptr, 0),
            RC_REG_WRITE_FAILED);
  EXPECT_EQ(regDeleteKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\None"), RC_REG_DELETE_FAILED);
  const std::string key = kAgentKey;
  const std::vector<std::string> expected = {
      "Enter getSzValue",
      "Exit getSzValue",
      "Enter getSzValue",
      "error opening HKEY_LOCAL_MACHINE or HKEY_CLASSES_ROOT with a pathkey of SOFTWARE\\None.",
      "Enter getDwordValue",
      "error reading HKEY_LOCAL_MACHINE with a pathkey of " + key + " and a keyword of Path.",
      "Enter putSzValue",
      "error writing HKEY_LOCAL_MACHINE or HKEY_CLASSES_ROOT with a pathkey of " + key +
          " and a value of sa.",
      "Enter putDwordValue",
      "error writing HKEY_LOCAL_MACHINE or HKEY_CLASSES_ROOT with a pathkey of " + key +
          " and a value of 7.",
      "Enter putBinaryValue",
      "error writing HKEY_LOCAL_MACHINE or HKEY_CLASSES_ROOT with a pathkey of " + key +
          " and a key of SQL_P.",
      "Error deleting HKEY_LOCAL_MACHINE with a pathkey of SOFTWARE\\None.",
  };
  std::vector<std::string> texts = trace.texts();
  for (std::string& text : texts) text.erase(0, text.find_first_not_of(' '));
  EXPECT_EQ(texts, expected);
}

}  // namespace
