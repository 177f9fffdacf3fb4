#include "sqlreg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "agttrc.h"
#include "root.h"
#include "trcfile_testutil.h"

namespace {

// Stores logins as the windowed program's login dialog does: the key, the user id, the kind
// and the block that regScramble builds.
class StoredLogin : public ::testing::Test {
 protected:
  static std::string keyOf(const char* serverP) {
    char keyPath[512];
    EXPECT_EQ(sqlRegKeyPath(serverP, keyPath, sizeof keyPath), 1);
    return keyPath;
  }
  static void store(const char* serverP, const char* userP, const std::string& password,
                    DWORD kind = 1) {
    std::string key = keyOf(serverP);
    HKEY handle = nullptr;
    ASSERT_EQ(createOrOpenReg(HKEY_LOCAL_MACHINE, key.c_str(), &handle), RC_OK);
    ASSERT_EQ(putSzValue(HKEY_LOCAL_MACHINE, key.c_str(), SQL_REG_USERID, userP), RC_OK);
    ASSERT_EQ(putDwordValue(HKEY_LOCAL_MACHINE, key.c_str(), SQL_REG_ENCRYPTION, kind), RC_OK);
    BYTE block[REG_SCRAMBLE_BLOCK_SIZE];
    DWORD length = 0;
    ASSERT_EQ(regScramble(REG_ENCRYPTION_SCRAMBLE, userP, password.c_str(), block, &length), 1);
    putBlock(serverP, block, length);
  }
  static void putBlock(const char* serverP, const BYTE* blockP, DWORD length) {
    std::string key = keyOf(serverP);
    ASSERT_EQ(putBinaryValue(HKEY_LOCAL_MACHINE, key.c_str(), SQL_REG_PASSWORD, blockP, length),
              RC_OK);
  }
  // "rc user/password" as read back, with guards after both buffers.
  static std::string read(const char* serverP) {
    char user[SQL_USERID_SIZE + 1];
    char password[SQL_PASSWORD_SIZE + 1];
    memset(user, 'u', sizeof user);
    memset(password, 'p', sizeof password);
    user[0] = '\0';
    int rc = getSqlAccountInfo(serverP, user, password);
    EXPECT_EQ(user[SQL_USERID_SIZE], 'u');
    EXPECT_EQ(password[SQL_PASSWORD_SIZE], 'p');
    return std::to_string(rc) + " " + user + "/" + password;
  }

  zkroot::ScopedRoot m_Root;
};

TEST_F(StoredLogin, ReadsTheServersLoginOrTheDefaultServers) {
  store("PROD\\INST1", "backup", "s3cret");
  store("", "sa", "default pw");
  EXPECT_EQ(keyOf("PROD\\INST1"), "SOFTWARE\\Orbenix\\Moxtar\\CurrentVersion\\ZARNAKSQL\\PROD\\INST1");
  EXPECT_EQ(keyOf(""), "SOFTWARE\\Orbenix\\Moxtar\\CurrentVersion\\ZARNAKSQL\\DefaultServer");
  EXPECT_EQ(read("PROD\\INST1"), "0 backup/s3cret");
  EXPECT_EQ(read("prod\\inst1"), "0 backup/s3cret");
  EXPECT_EQ(read(""), "0 sa/default pw");
  EXPECT_EQ(read(nullptr), "0 sa/default pw");
  EXPECT_EQ(read("PROD"), "1701 /");  // the machine's own level holds no login
}

TEST_F(StoredLogin, AServerWithoutALoginGetsAnEmptyKey) {
  EXPECT_EQ(read("NEWSERVER"), "1701 /");
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, keyOf("NEWSERVER").c_str(), 0, KEY_QUERY_VALUE, &key),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

TEST_F(StoredLogin, MissingOrUnknownPartsMeanNoStoredLogin) {
  std::string key = keyOf("SRV");
  HKEY handle = nullptr;
  ASSERT_EQ(createOrOpenReg(HKEY_LOCAL_MACHINE, key.c_str(), &handle), RC_OK);
  ASSERT_EQ(putSzValue(HKEY_LOCAL_MACHINE, key.c_str(), SQL_REG_USERID, "backup"), RC_OK);
  EXPECT_EQ(read("SRV"), "1701 backup/");  // no kind: the user id is already set
  ASSERT_EQ(putDwordValue(HKEY_LOCAL_MACHINE, key.c_str(), SQL_REG_ENCRYPTION, 1), RC_OK);
  EXPECT_EQ(read("SRV"), "1701 backup/");  // no block
  store("SRV", "backup", "pw", 2);
  EXPECT_EQ(read("SRV"), "1701 backup/");  // an unknown kind
}

TEST_F(StoredLogin, PasswordsUpTo128CharactersAndNoMore) {
  const struct {
    size_t length;
    const char* result;
  } cases[] = {{0, "0"}, {1, "0"}, {128, "0"}, {129, "1701"}, {207, "1701"}};
  for (const auto& c : cases) {
    std::string password(c.length, 'w');
    store("SRV", "backup", password);
    std::string expected = std::string(c.result) + " backup/" + (c.result[0] == '0' ? password : "");
    EXPECT_EQ(read("SRV"), expected) << c.length;
  }
  store("SRV", std::string(127, 'u').c_str(), "pw");
  EXPECT_EQ(read("SRV"), "0 " + std::string(127, 'u') + "/pw");
  store("SRV", std::string(128, 'u').c_str(), "pw");  // a user id too long for its buffer
  EXPECT_EQ(read("SRV"), "1701 /");
}

TEST_F(StoredLogin, DamagedBlocksAreRefused) {
  store("SRV", "backup", "pw");
  BYTE block[REG_SCRAMBLE_BLOCK_SIZE + 2];
  DWORD length = 0;
  ASSERT_EQ(regScramble(REG_ENCRYPTION_SCRAMBLE, "backup", "pw", block, &length), 1);
  putBlock("SRV", block, 100);  // cut short
  EXPECT_EQ(read("SRV"), "1701 backup/");
  block[REG_SCRAMBLE_BLOCK_SIZE - 1] = BYTE(208 ^ 'b');  // a length no block holds
  putBlock("SRV", block, REG_SCRAMBLE_BLOCK_SIZE);
  EXPECT_EQ(read("SRV"), "1701 backup/");
  putBlock("SRV", block, REG_SCRAMBLE_BLOCK_SIZE + 1);  // fits the 209-byte buffer, not a block
  EXPECT_EQ(read("SRV"), "1701 backup/");
  putBlock("SRV", block, REG_SCRAMBLE_BLOCK_SIZE + 2);  // too large for the buffer
  EXPECT_EQ(read("SRV"), "1701 backup/");
}

TEST_F(StoredLogin, ThePasswordIsNeverTraced) {
  store("SRV", "backup", "VerySecretWord");
  TraceFileForTest trace({TRC_GENERAL});
  EXPECT_EQ(read("SRV"), "0 backup/VerySecretWord");
  std::string text = trace.text();
  EXPECT_EQ(text.find("VerySecretWord"), std::string::npos);
  EXPECT_NE(text.find("Enter getSqlAccountInfo()"), std::string::npos);
  EXPECT_NE(text.find("with userid backup."), std::string::npos);
}

}  // namespace
