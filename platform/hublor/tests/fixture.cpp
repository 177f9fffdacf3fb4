#include "fixture.h"

#include <cstring>
#include <fstream>
#include <random>

#include "runprogram.h"

SimResult runProgram(const std::string& program, const std::vector<std::string>& words) {
  zkrun::ProgramRun run = zkrun::runProgram(program, words);
  return {run.exitCode, run.out, run.err};
}

SimResult runSim(const std::vector<std::string>& words) {
  return runProgram(HUBLORSIM_PATH, words);
}

uint64_t id64(const pelkUint64_t& value) {
  return (uint64_t{value.hi} << 32) | value.lo;
}

pelkUint64_t pelk64(uint64_t value) {
  return pelkUint64_t{static_cast<uint32_t>(value >> 32), static_cast<uint32_t>(value)};
}

pelkObjName objName(const std::string& fs, const std::string& hl, const std::string& ll,
                    uint8_t type) {
  pelkObjName name{};
  std::strncpy(name.fs, fs.c_str(), sizeof name.fs - 1);
  std::strncpy(name.hl, hl.c_str(), sizeof name.hl - 1);
  std::strncpy(name.ll, ll.c_str(), sizeof name.ll - 1);
  name.objType = type;
  return name;
}

size_t filesBelow(const std::filesystem::path& dir) {
  size_t count = 0;
  for (auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    count += entry.is_regular_file();
  }
  return count;
}

std::string pattern(size_t size, unsigned seed) {
  std::string data(size, '\0');
  std::mt19937 random(seed);
  for (char& c : data) c = static_cast<char>(random());
  return data;
}

void HublorTest::SetUp() {
  sim({"node", "add", "NODE1", "secret"});
  m_optionFile = (m_root.path() / "pelk.opt").string();
  std::ofstream(m_optionFile) << "NODENAME node1\n";
  ASSERT_EQ(setUpWith(m_optionFile), PELK_RC_OK);
}

void HublorTest::TearDown() {
  a().pelkCleanUp(1);
  a().hublorCtlClearFaults();
  a().hublorCtlSetApiVersion(0, 0, 0);
  a().hublorCtlSetClock(0);
}

void HublorTest::sim(const std::vector<std::string>& words) {
  SimResult result = runSim(words);
  ASSERT_EQ(result.status, 0) << result.output;
}

int HublorTest::setUpWith(const std::string& optionFile) {
  PelkEnvSetUp env{};
  env.stVersion = PELK_ENVSETUP_VERSION;
  std::strncpy(env.pelkiConfig, optionFile.c_str(), sizeof env.pelkiConfig - 1);
  return a().pelkSetUp(1, &env);
}

void HublorTest::writeOptionFile(const std::string& text) {
  std::ofstream(m_optionFile, std::ios::trunc) << text;
  a().pelkCleanUp(1);
  ASSERT_EQ(setUpWith(m_optionFile), PELK_RC_OK);
}

int HublorTest::logon(uint32_t& handle, const char* node, const char* password) {
  pelkApiVersion version{3, 7, 2};
  char app[] = "Zarnak MSSQLV2 NT";
  char options[] = "-TAPEPROMPT=YES";
  return a().pelkInit(&handle, &version, const_cast<char*>(node), nullptr,
                      const_cast<char*>(password), app, nullptr, options);
}

uint32_t HublorTest::session(const char* node, const char* password) {
  uint32_t handle = 0;
  EXPECT_EQ(logon(handle, node, password), PELK_RC_OK);
  return handle;
}

int HublorTest::registerFs(uint32_t h, const std::string& fs) {
  regFSData reg{};
  reg.stVersion = PELK_REGFSDATA_VERSION;
  std::string name = fs, type = "SqlData";
  reg.fsName = name.data();
  reg.fsType = type.data();
  reg.fsAttr.fsInfo[0] = 'Z';
  return a().pelkRegisterFS(h, &reg);
}

int HublorTest::sendInTxn(uint32_t h, const pelkObjName& name, const std::string& data,
                          const std::string& info, uint32_t block) {
  ObjAttr attr{};
  attr.stVersion = PELK_OBJATTR_VERSION;
  attr.sizeEstimate = pelk64(data.size());
  std::string infoCopy = info;
  attr.objInfoLength = static_cast<uint16_t>(infoCopy.size());
  attr.objInfo = infoCopy.data();
  pelkObjName copy = name;
  int rc = a().pelkSendObj(h, PELK_SEND_BACKUP, nullptr, &copy, &attr, nullptr);
  if (rc != PELK_RC_OK) return rc;
  std::string bytes = data;
  for (size_t offset = 0; offset < bytes.size() && rc == PELK_RC_OK; offset += block) {
    DataBlk blk{PELK_DATABLK_VERSION,
                static_cast<uint32_t>(std::min<size_t>(block, bytes.size() - offset)), 0,
                bytes.data() + offset};
    rc = a().pelkSendData(h, &blk);
    if (rc == PELK_RC_OK && blk.numBytes != blk.bufferLen) rc = -1;
  }
  int end = a().pelkEndSendObj(h);
  return rc != PELK_RC_OK ? rc : end;
}

int HublorTest::endTxn(uint32_t h, uint8_t vote, uint16_t* reason) {
  uint16_t local = 0;
  return a().pelkEndTxn(h, vote, reason != nullptr ? reason : &local);
}

int HublorTest::sendObject(uint32_t h, const pelkObjName& name, const std::string& data,
                           uint16_t* reason, const std::string& info, uint32_t block) {
  int rc = a().pelkBeginTxn(h);
  if (rc != PELK_RC_OK) return rc;
  int sent = sendInTxn(h, name, data, info, block);
  int end = endTxn(h, sent == PELK_RC_OK ? PELK_VOTE_COMMIT : PELK_VOTE_ABORT, reason);
  return sent != PELK_RC_OK ? sent : end;
}

template <typename Response>
std::vector<Response> HublorTest::runQuery(uint32_t h, uint8_t type, void* query, int* rc) {
  std::vector<Response> answers;
  int code = a().pelkBeginQuery(h, type, query);
  if (code == PELK_RC_OK) {
    Response resp{};
    DataBlk blk{PELK_DATABLK_VERSION, sizeof resp, 0, reinterpret_cast<char*>(&resp)};
    while ((code = a().pelkGetNextQObj(h, &blk)) == PELK_RC_MORE_DATA) answers.push_back(resp);
    EXPECT_EQ(a().pelkEndQuery(h), PELK_RC_OK);
  }
  if (rc != nullptr) *rc = code;
  return answers;
}

std::vector<qryRespBackupData> HublorTest::query(uint32_t h, const pelkObjName& name, uint8_t state,
                                                 int* rc, const char* owner, pelkDate pit) {
  pelkObjName copy = name;
  qryBackupData q{};
  q.stVersion = PELK_QRYBACKUP_VERSION;
  q.objName = &copy;
  q.owner = const_cast<char*>(owner);
  q.objState = state;
  q.pitDate = pit;
  return runQuery<qryRespBackupData>(h, PELK_QRY_BACKUP, &q, rc);
}

std::vector<qryRespFSData> HublorTest::queryFs(uint32_t h, const std::string& fsPattern, int* rc) {
  std::string text = fsPattern;
  qryFSData q{PELK_QRYFS_VERSION, text.data()};
  return runQuery<qryRespFSData>(h, PELK_QRY_FILESPACE, &q, rc);
}

std::vector<HublorTest::Fetched> HublorTest::fetch(uint32_t h, const std::vector<uint64_t>& ids,
                                                   uint32_t block) {
  std::vector<pelkUint64_t> list;
  for (uint64_t id : ids) list.push_back(pelk64(id));
  pelkGetList getList{PELK_GETLIST_VERSION, static_cast<uint32_t>(list.size()), list.data(),
                      nullptr};
  std::vector<Fetched> result;
  EXPECT_EQ(a().pelkBeginGetData(h, 0, PELK_GET_BACKUP, &getList), PELK_RC_OK);
  std::vector<char> buffer(block);
  for (pelkUint64_t& id : list) {
    Fetched fetched;
    DataBlk blk{PELK_DATABLK_VERSION, block, 0, buffer.data()};
    int rc = a().pelkGetObj(h, &id, &blk);
    while (true) {
      fetched.codes.push_back(rc);
      if (rc != PELK_RC_MORE_DATA && rc != PELK_RC_FINISHED) break;
      fetched.data.append(buffer.data(), blk.numBytes);
      if (rc == PELK_RC_FINISHED) break;
      rc = a().pelkGetData(h, &blk);
    }
    if (fetched.codes.front() == PELK_RC_MORE_DATA || fetched.codes.front() == PELK_RC_FINISHED) {
      EXPECT_EQ(a().pelkEndGetObj(h), PELK_RC_OK);
    }
    result.push_back(std::move(fetched));
  }
  EXPECT_EQ(a().pelkEndGetData(h), PELK_RC_OK);
  return result;
}
