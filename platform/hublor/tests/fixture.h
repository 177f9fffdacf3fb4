// A fresh store and a set-up library for each test, with helpers written from the interface's
// records only: log on, register, send, query and fetch objects, and run hublorsim.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "api_table.h"
#include "root.h"

struct SimResult {
  int status = -1;
  std::string output;
  std::string error;  // standard error
};

// Runs hublorsim with the given words (the current $ZARNAK_ROOT applies).
SimResult runSim(const std::vector<std::string>& words);
// Runs a helper program and returns its exit status, standard output and standard error.
SimResult runProgram(const std::string& program, const std::vector<std::string>& words);

uint64_t id64(const pelkUint64_t& value);
pelkUint64_t pelk64(uint64_t value);
pelkObjName objName(const std::string& fs, const std::string& hl, const std::string& ll,
                    uint8_t type = PELK_OBJ_FILE);
std::string pattern(size_t size, unsigned seed);  // reproducible bytes
// Regular files in a folder and all its subfolders.
size_t filesBelow(const std::filesystem::path& dir);

class HublorTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  const Api& a() const { return api(); }
  void sim(const std::vector<std::string>& words);  // expects success
  std::string optionFile() const { return m_optionFile; }
  void writeOptionFile(const std::string& text);  // and set up again with it
  int setUpWith(const std::string& optionFile);

  int logon(uint32_t& handle, const char* node = "NODE1", const char* password = "secret");
  uint32_t session(const char* node = "NODE1", const char* password = "secret");
  int registerFs(uint32_t h, const std::string& fs);

  // Sends one object in a transaction of its own; the end's code, reason in *reason.
  int sendObject(uint32_t h, const pelkObjName& name, const std::string& data,
                 uint16_t* reason = nullptr, const std::string& info = "", uint32_t block = 65536);
  // Within an open transaction: begin, send in blocks, end the object. Returns the first failure.
  int sendInTxn(uint32_t h, const pelkObjName& name, const std::string& data,
                const std::string& info = "", uint32_t block = 65536);
  int endTxn(uint32_t h, uint8_t vote, uint16_t* reason = nullptr);

  // Runs a backup query; answers come back in order. *rc gets the code that ended the loop.
  std::vector<qryRespBackupData> query(uint32_t h, const pelkObjName& name,
                                       uint8_t state = PELK_ANYMATCH, int* rc = nullptr,
                                       const char* owner = nullptr, pelkDate pit = {});
  std::vector<qryRespFSData> queryFs(uint32_t h, const std::string& pattern, int* rc = nullptr);

  struct Fetched {
    std::string data;
    std::vector<int> codes;  // answer of every get call of the object
  };
  // Fetches the listed objects in order through one retrieval.
  std::vector<Fetched> fetch(uint32_t h, const std::vector<uint64_t>& ids, uint32_t block);

  template <typename Response>
  std::vector<Response> runQuery(uint32_t h, uint8_t type, void* query, int* rc);

  zkroot::ScopedRoot m_root;
  std::string m_optionFile;
};

// A test with one session, h, and one registered filespace.
class FilespaceTest : public HublorTest {
 protected:
  explicit FilespaceTest(std::string fs) : m_fs(std::move(fs)) {}
  void SetUp() override {
    HublorTest::SetUp();
    h = session();
    ASSERT_EQ(registerFs(h, m_fs), PELK_RC_OK);
  }
  uint32_t h = 0;
  std::string m_fs;
};
