#include "benchstore.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "admin.h"
#include "hublorapi.h"
#include "store.h"

namespace {

void check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "benchmark store: %s failed\n", what);
  std::abort();
}

pelkObjName objectName(const std::string& ll) {
  pelkObjName name{};
  std::snprintf(name.fs, sizeof name.fs, "%s", BenchStore::kFs);
  std::snprintf(name.hl, sizeof name.hl, "\\db");
  std::snprintf(name.ll, sizeof name.ll, "%s", ll.c_str());
  name.objType = PELK_OBJ_FILE;
  return name;
}

}  // namespace

BenchStore::BenchStore(const std::filesystem::path& dir) : m_dir(dir) {
  std::string option = (m_dir / "pelk.opt").string();
  FILE* file = std::fopen(option.c_str(), "w");
  check(file != nullptr, "writing the option file");
  std::fprintf(file, "NODENAME BENCH\nSTORE %s\n", (m_dir / "store").c_str());
  std::fclose(file);
  {
    auto store = hublor::Store::open(m_dir / "store");
    hublor::addNode(*store->connect(), "BENCH", "secret", {});
  }
  PelkEnvSetUp env{};
  env.stVersion = PELK_ENVSETUP_VERSION;
  std::snprintf(env.pelkiConfig, sizeof env.pelkiConfig, "%s", option.c_str());
  check(pelkSetUp(1, &env) == 0, "pelkSetUp");
  m_first = openSession();
  regFSData reg{};
  reg.stVersion = PELK_REGFSDATA_VERSION;
  char name[] = "BENCH\\data\\0001", type[] = "SqlData";
  reg.fsName = name;
  reg.fsType = type;
  int rc = pelkRegisterFS(m_first, &reg);
  check(rc == 0 || rc == PELK_RC_FS_ALREADY_REGISTERED, "pelkRegisterFS");
}

BenchStore::~BenchStore() {
  closeSession(m_first);
  pelkCleanUp(1);
}

uint32_t BenchStore::openSession() {
  pelkApiVersion version{3, 7, 2};
  char password[] = "secret";
  uint32_t handle = 0;
  check(pelkInit(&handle, &version, nullptr, nullptr, password, nullptr, nullptr, nullptr) == 0,
        "pelkInit");
  return handle;
}

void BenchStore::closeSession(uint32_t handle) {
  pelkTerminate(handle);
}

BenchSend::BenchSend(uint32_t handle, const std::string& ll) : m_handle(handle), m_ll(ll) {
  pelkObjName name = objectName(ll);
  ObjAttr attr{};
  attr.stVersion = PELK_OBJATTR_VERSION;
  check(pelkBeginTxn(m_handle) == 0, "pelkBeginTxn");
  check(pelkSendObj(m_handle, PELK_SEND_BACKUP, nullptr, &name, &attr, nullptr) == 0,
        "pelkSendObj");
}

void BenchSend::data(const char* dataP, uint32_t size) {
  DataBlk block{PELK_DATABLK_VERSION, size, 0, const_cast<char*>(dataP)};
  check(pelkSendData(m_handle, &block) == 0, "pelkSendData");
}

uint64_t BenchSend::commit() {
  uint16_t reason = 0;
  check(pelkEndSendObj(m_handle) == 0, "pelkEndSendObj");
  check(pelkEndTxn(m_handle, PELK_VOTE_COMMIT, &reason) == 0, "pelkEndTxn");
  pelkObjName name = objectName(m_ll);
  qryActiveBackupData query{PELK_QRYACTIVEBACKUP_VERSION, &name};
  qryRespBackupData resp{};
  DataBlk block{PELK_DATABLK_VERSION, sizeof resp, 0, reinterpret_cast<char*>(&resp)};
  check(pelkBeginQuery(m_handle, PELK_QRY_ACTIVE_BACKUP, &query) == 0, "pelkBeginQuery");
  check(pelkGetNextQObj(m_handle, &block) == PELK_RC_MORE_DATA, "pelkGetNextQObj");
  while (pelkGetNextQObj(m_handle, &block) == PELK_RC_MORE_DATA) {
  }
  pelkEndQuery(m_handle);
  return (uint64_t{resp.objId.hi} << 32) | resp.objId.lo;
}

BenchFetch::BenchFetch(uint32_t handle, uint64_t id) : m_handle(handle), m_id(id) {}

BenchFetch::~BenchFetch() {
  if (!m_started) return;
  pelkEndGetObj(m_handle);
  pelkEndGetData(m_handle);
}

uint32_t BenchFetch::read(char* dataP, uint32_t size) {
  if (m_finished) return 0;
  DataBlk block{PELK_DATABLK_VERSION, size, 0, dataP};
  if (!m_started) {
    pelkUint64_t objId{static_cast<uint32_t>(m_id >> 32), static_cast<uint32_t>(m_id)};
    pelkGetList list{PELK_GETLIST_VERSION, 1, &objId, nullptr};
    check(pelkBeginGetData(m_handle, 0, PELK_GET_BACKUP, &list) == 0, "pelkBeginGetData");
    m_started = true;
    m_rc = pelkGetObj(m_handle, &objId, &block);
  } else {
    m_rc = pelkGetData(m_handle, &block);
  }
  check(m_rc == PELK_RC_MORE_DATA || m_rc == PELK_RC_FINISHED, "pelkGetData");
  m_finished = m_rc == PELK_RC_FINISHED;
  return block.numBytes;
}

void benchRemoveVersion(uint32_t handle, uint64_t id) {
  pelkDelInfo info{};
  info.backIDInfo = delBackID{PELK_DELBACKID_VERSION,
                              {static_cast<uint32_t>(id >> 32), static_cast<uint32_t>(id)}};
  uint16_t reason = 0;
  check((pelkBeginTxn(handle) | pelkDeleteObj(handle, PELK_BACKUP_ID_DELETE, info) |
         pelkEndTxn(handle, PELK_VOTE_COMMIT, &reason)) == 0,
        "removing a version");
}
