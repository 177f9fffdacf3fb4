#include "winreg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "faults.h"
#include "hive.h"
#include "root.h"

namespace {

const char kAgentKey[] = "SOFTWARE\\Orbenix\\Moxtar\\CurrentVersion\\ZARNAKSQL\\";

class Registry : public ::testing::Test {
 protected:
  // A key created below HKEY_LOCAL_MACHINE and opened with every right; closed at the end.
  HKEY create(const char* path) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << path;
    m_open.push_back(key);
    return key;
  }
  HKEY open(const char* path, REGSAM access, LONG expected = ERROR_SUCCESS) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, access, &key), expected) << path;
    if (key != nullptr) m_open.push_back(key);
    return key;
  }
  static LONG setText(HKEY key, const char* name, const std::string& bytes) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size()));
  }
  // The name of subkey number index as enumeration gives it, or the error code.
  static std::string subkey(HKEY key, DWORD index) {
    char name[64];
    DWORD length = sizeof name;
    LONG rc = RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    return rc == ERROR_SUCCESS ? std::string(name, length) : "error " + std::to_string(rc);
  }
  void TearDown() override {
    for (HKEY key : m_open) RegCloseKey(key);
  }

  zkroot::ScopedRoot m_root;
  std::vector<HKEY> m_open;
};

TEST_F(Registry, CreateMakesEveryMissingParentAndTellsWhetherItWasNew) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kAgentKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kAgentKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  for (const char* parent :
       {"SOFTWARE", "SOFTWARE\\Orbenix\\Moxtar", "SOFTWARE\\Orbenix\\Moxtar\\CurrentVersion"}) {
    open(parent, KEY_READ);
  }
}

TEST_F(Registry, NamesCompareWithoutCaseAndKeepTheirCase) {
  HKEY created = create("Software\\Orbenix");
  ASSERT_EQ(setText(created, "Path", std::string("/opt/z/\0", 8)), ERROR_SUCCESS);
  HKEY key = open("SOFTWARE\\ORBENIX", KEY_QUERY_VALUE);
  char text[32] = {};
  DWORD size = sizeof text;
  DWORD type = 0;
  ASSERT_EQ(RegQueryValueExA(key, "pATH", nullptr, &type, reinterpret_cast<BYTE*>(text), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_STREQ(text, "/opt/z/");
  ASSERT_EQ(setText(created, "PATH", std::string("/srv/\0", 6)), ERROR_SUCCESS);

  EXPECT_EQ(subkey(open("software", KEY_ENUMERATE_SUB_KEYS), 0), "Orbenix");
  HKEY values = open("SOFTWARE\\Orbenix", KEY_QUERY_VALUE);
  char name[64];
  DWORD length = sizeof name;
  size = sizeof text;
  ASSERT_EQ(RegEnumValueA(values, 0, name, &length, nullptr, nullptr, reinterpret_cast<BYTE*>(text),
                          &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(name, "Path");  // replaced in place: one value, first name kept
  EXPECT_STREQ(text, "/srv/");
  length = sizeof name;
  EXPECT_EQ(RegEnumValueA(values, 1, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
}

TEST_F(Registry, BackslashesMakeLevelsRelativeToTheHandle) {
  HKEY base = create("SQL");
  HKEY instance = nullptr;
  ASSERT_EQ(RegCreateKeyExA(base, "MACHINE\\INSTANCE", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &instance, nullptr),
            ERROR_SUCCESS);
  m_open.push_back(instance);
  HKEY machine = open("sql\\machine", KEY_ENUMERATE_SUB_KEYS);
  EXPECT_EQ(subkey(machine, 0), "INSTANCE");
  EXPECT_EQ(subkey(machine, 1), "error 259");
  HKEY again = nullptr;
  ASSERT_EQ(RegOpenKeyExA(machine, "Instance\\", 0, KEY_READ, &again), ERROR_SUCCESS);
  m_open.push_back(again);
  for (const char* bad : {"\\SQL", "SQL\\\\MACHINE"}) open(bad, KEY_READ, ERROR_INVALID_PARAMETER);
  open("SQL\\INSTANCE", KEY_READ, ERROR_FILE_NOT_FOUND);
}

// Each stored shape: what is written is what a query gives, byte for byte, and a buffer one
// byte short is refused with the size needed.
TEST_F(Registry, ValuesKeepTheirExactLengthAndTooSmallBuffersGetMoreData) {
  struct Case {
    const char* name;
    DWORD type;
    std::string bytes;
  } cases[] = {
      {"terminated", REG_SZ, std::string("abc\0", 4)},
      {"unterminated", REG_SZ, "abcd"},
      {"padded", REG_SZ, std::string("12\0\0", 4)},
      {"empty", REG_SZ, ""},
      {"number", REG_DWORD, std::string("\x01\x00\x00\x80", 4)},
      {"block", REG_BINARY, std::string(208, '\xa5')},
      {"", 7, std::string("a\0", 2)},
  };
  HKEY key = create("Lengths");
  for (const Case& c : cases) {
    ASSERT_EQ(RegSetValueExA(key, c.name, 0, c.type, reinterpret_cast<const BYTE*>(c.bytes.data()),
                             static_cast<DWORD>(c.bytes.size())),
              ERROR_SUCCESS);
  }
  HKEY reader = open("Lengths", KEY_QUERY_VALUE);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DWORD size = 0;
    DWORD type = 0;
    ASSERT_EQ(RegQueryValueExA(reader, c.name, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, c.bytes.size());
    EXPECT_EQ(type, c.type);
    std::string buffer(c.bytes.size() + 8, '#');
    size = static_cast<DWORD>(c.bytes.size());
    ASSERT_EQ(RegQueryValueExA(reader, c.name, nullptr, nullptr,
                               reinterpret_cast<BYTE*>(buffer.data()), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(buffer.substr(0, size), c.bytes);
    EXPECT_EQ(buffer[size], '#');  // nothing written past the value, no terminator added
    if (c.bytes.empty()) continue;
    std::string small(c.bytes.size() - 1, '#');
    size = static_cast<DWORD>(small.size());
    EXPECT_EQ(RegQueryValueExA(reader, c.name, nullptr, nullptr,
                               reinterpret_cast<BYTE*>(small.data()), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, c.bytes.size());
    EXPECT_EQ(small, std::string(c.bytes.size() - 1, '#'));
  }
  DWORD size = 4;
  BYTE data[4];
  EXPECT_EQ(RegQueryValueExA(reader, "missing", nullptr, nullptr, data, &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExA(reader, "number", nullptr, nullptr, data, nullptr),
            ERROR_INVALID_PARAMETER);
}

TEST_F(Registry, HandlesOnlyDoWhatTheyWereOpenedFor) {
  create("Rights");
  const BYTE one[4] = {1, 0, 0, 0};
  HKEY reader = open("Rights", KEY_QUERY_VALUE);
  HKEY writer = open("Rights", KEY_SET_VALUE);
  EXPECT_EQ(RegSetValueExA(reader, "n", 0, REG_DWORD, one, 4), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegSetValueExA(writer, "n", 0, REG_DWORD, one, 4), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(writer, "n", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegQueryValueExA(reader, "n", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(reader, "n"), ERROR_ACCESS_DENIED);
  char name[8];
  DWORD length = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(reader, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_ACCESS_DENIED);
  HKEY child = nullptr;
  EXPECT_EQ(
      RegCreateKeyExA(reader, "child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
      ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCloseKey(reader), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(reader), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegQueryValueExA(reader, "n", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
  m_open.erase(m_open.begin() + 1);
}

TEST_F(Registry, EnumerationGivesKeysByNameAndValuesInOrderSet) {
  HKEY key = create("Enum");
  for (const char* sub : {"beta", "Alpha", "gamma"}) {
    HKEY child = nullptr;
    ASSERT_EQ(RegCreateKeyExA(key, sub, 0, const_cast<char*>("CString"), 0, KEY_READ, nullptr,
                              &child, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(child);
  }
  for (const char* value : {"z", "a", "m"}) {
    ASSERT_EQ(setText(key, value, std::string(value) + '\0'), ERROR_SUCCESS);
  }

  std::vector<std::string> keys;
  char name[16];
  char className[16];
  DWORD length = sizeof name;
  DWORD classLength = sizeof className;
  for (DWORD i = 0; RegEnumKeyExA(key, i, name, &length, nullptr, className, &classLength,
                                  nullptr) == ERROR_SUCCESS;
       ++i) {
    keys.push_back(name);
    EXPECT_STREQ(className, "CString");
    length = sizeof name;
    classLength = sizeof className;
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"Alpha", "beta", "gamma"}));
  length = 5;  // "gamma" needs 6 with its terminator
  EXPECT_EQ(RegEnumKeyExA(key, 2, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);

  std::vector<std::string> values;
  length = sizeof name;
  for (DWORD i = 0;
       RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
       ++i) {
    values.push_back(name);
    length = sizeof name;
  }
  EXPECT_EQ(values, (std::vector<std::string>{"z", "a", "m"}));
  BYTE data[1];
  DWORD size = sizeof data;
  length = sizeof name;
  std::strcpy(name, "untouched");
  EXPECT_EQ(RegEnumValueA(key, 0, name, &length, nullptr, nullptr, data, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 1u + 1u);  // "z" and its terminator
  EXPECT_STREQ(name, "untouched");
  length = 1;
  EXPECT_EQ(RegEnumValueA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);
}

TEST_F(Registry, DeletionRemovesLeavesOnlyAndStaleHandlesSayDeleted) {
  HKEY login = create("Agent\\DefaultServer");
  ASSERT_EQ(setText(login, "SQL_A", std::string("sa\0", 3)), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Agent"), ERROR_ACCESS_DENIED);  // has a subkey
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "agent\\defaultserver"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Agent\\DefaultServer"), ERROR_FILE_NOT_FOUND);
  open("Agent\\DefaultServer", KEY_READ, ERROR_FILE_NOT_FOUND);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(login, "SQL_A", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  EXPECT_EQ(setText(login, "SQL_A", "x"), ERROR_KEY_DELETED);

  HKEY agent = open("Agent", KEY_ALL_ACCESS);
  ASSERT_EQ(setText(agent, "v", "x"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(agent, "V"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(agent, "v"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExA(agent, "v", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyA(agent, ""), ERROR_SUCCESS);  // the handle's own key
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, ""), ERROR_ACCESS_DENIED);
}

TEST_F(Registry, RootsAreSeparateHivesKeptAsReadableText) {
  HKEY user = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Orbenix\\Product Registration\\General",
                            0, nullptr, 0, KEY_SET_VALUE, nullptr, &user, nullptr),
            ERROR_SUCCESS);
  m_open.push_back(user);
  ASSERT_EQ(setText(user, "numOfProds", std::string("1\0\0\0", 4)), ERROR_SUCCESS);
  open("Software\\Orbenix", KEY_READ, ERROR_FILE_NOT_FOUND);
  HKEY classes = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "Software", 0, KEY_READ, &classes),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(classes, nullptr);

  std::ifstream file(m_root.path() / "registry" / "HKEY_CURRENT_USER.hive");
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_NE(
      text.str().find("[HKEY_CURRENT_USER\\Software\\Orbenix\\Product Registration\\General]\n"
                      "\"numOfProds\" = REG_SZ(4) \"1\"\n"),
      std::string::npos)
      << text.str();
}

TEST_F(Registry, DamagedHiveIsReportedNotGuessed) {
  HKEY key = create("Kept");
  ASSERT_EQ(setText(key, "v", "x"), ERROR_SUCCESS);
  const std::filesystem::path hive = m_root.path() / "registry" / "HKEY_LOCAL_MACHINE.hive";
  std::stringstream whole;
  whole << std::ifstream(hive).rdbuf();
  std::string written = whole.str();
  const std::string damaged[] = {
      "ZARNAK REGISTRY 1\n[HKLM\\A\nEND\n",
      written.substr(0, written.rfind("END\n")),  // cut at a line boundary
      "",                                         // the store never writes an empty hive
  };
  for (const std::string& text : damaged) {
    std::ofstream(hive, std::ios::trunc) << text;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size), ERROR_BADDB) << text;
    EXPECT_EQ(setText(key, "v", "x"), ERROR_BADDB) << text;
    open("Kept", KEY_READ, ERROR_BADDB);
  }
}

TEST_F(Registry, ValuesLongerThanTheRegistryHoldsAreRefused) {
  HKEY key = create("Long");
  std::string longest(zkreg::kMaxValueDataLength, 'x');
  EXPECT_EQ(setText(key, "v", longest), ERROR_SUCCESS);
  EXPECT_EQ(setText(key, "w", longest + "x"), ERROR_INVALID_PARAMETER);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, longest.size());
}

TEST_F(Registry, ArmedFaultsFailTheNamedCallTheGivenNumberOfTimes) {
  HKEY key = create("Faults");
  ASSERT_TRUE(zkreg::armFault("RegSetValueEx", ERROR_CANTWRITE, 1));
  ASSERT_TRUE(zkreg::armFault("RegOpenKeyEx", ERROR_ACCESS_DENIED, 0));
  EXPECT_EQ(setText(key, "v", "x"), ERROR_CANTWRITE);
  EXPECT_EQ(setText(key, "v", "x"), ERROR_SUCCESS);
  open("Faults", KEY_READ, ERROR_ACCESS_DENIED);
  open("Faults", KEY_READ, ERROR_ACCESS_DENIED);
  EXPECT_EQ(zkreg::listFaults(), "RegOpenKeyEx 5\n");
  ASSERT_TRUE(zkreg::clearFaults());
  open("Faults", KEY_READ);
  EXPECT_FALSE(zkreg::armFault("RegFlushKey", 5, 0));
}

}  // namespace
