// One session of the client interface: a node logged on to the server, with at most one open
// transaction, query or retrieval. Every method returns an interface code; the entry points
// hold m_mutex around each call, so calls on one session never overlap.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "checksum.h"
#include "hublorapi.h"
#include "options.h"
#include "records.h"
#include "server.h"
#include "store.h"
#include "txn.h"

namespace hublor {

class Session {
 public:
  Session(uint32_t handle, std::string node, std::shared_ptr<Store> store,
          std::unique_ptr<Catalog> catalog, ClientOptions options, std::string optionFile,
          std::string owner, bool passwordOnly);
  ~Session();

  std::mutex m_mutex;  // held by the entry points for the length of each call

  uint32_t handle() const { return m_handle; }
  const std::string& node() const { return m_node; }
  bool passwordOnly() const { return m_passwordOnly; }

  int changePassword(const char* oldPassword, const char* newPassword);
  int querySessInfo(pelkSessInfo& info);
  int queryCliOptions(optStruct& options) const;
  int registerFs(const regFSData& data);
  int updateFs(const char* fsName, const pelkFSUpd& update, uint32_t action);
  int bindMC(const pelkObjName& name, uint8_t sendType, mcBindKey& key);

  int beginTxn();
  // killInCommit: the process dies inside the catalogue's commit (fault injection).
  int endTxn(uint8_t vote, uint16_t& reason, bool killInCommit = false);
  int sendObj(uint8_t sendType, const pelkObjName& name, const ObjAttr& attr, DataBlk* block);
  int sendData(DataBlk& block);
  int endSendObj();
  int renameObj(const pelkRenameIn& in);
  int deleteObj(uint8_t delType, const pelkDelInfo& info);
  // Fault paths: the server aborts the open transaction, or a chosen code ends it.
  int serverAbort(int reason);
  void rollBack();

  int beginQuery(uint8_t queryType, const void* query);
  int getNextQObj(DataBlk& block);
  int endQuery();

  int beginGetData(uint8_t getType, const pelkGetList& list);
  int getObj(uint64_t id, DataBlk& block, bool lose);
  int getData(DataBlk& block);
  int endGetObj();
  int endGetData();

  int logEvent(const pelkLogExIn& in);

 private:
  enum class State { kIdle, kTxn, kSending, kQuery, kRetrieval, kGetObj };

  int countObject();               // the node's limit of objects per transaction
  int doom(int code, int reason);  // marks the transaction for abort; returns code
  int readChunk(DataBlk& block);
  void closeObject();
  int resolveActiveAtBegin(const ObjectName& name, uint32_t copyGroup, int64_t& id);

  const uint32_t m_handle;
  const std::string m_node;
  std::shared_ptr<Store> m_store;
  std::unique_ptr<Catalog> m_catalog;
  ClientOptions m_options;
  std::string m_optionFile;
  std::string m_owner;
  bool m_passwordOnly;

  State m_state = State::kIdle;
  std::optional<Txn> m_txn;
  std::optional<SendOp> m_sending;

  int m_queryType = 0;
  std::vector<Version> m_versions;
  std::vector<Filespace> m_filespaces;
  size_t m_queryNext = 0;

  std::vector<uint64_t> m_getIds;
  size_t m_getNext = 0;
  int m_objectFd = -1;
  uint64_t m_remaining = 0;
  // The checksum of what was read of the object so far, and what its data must give.
  Checksum m_readSum;
  std::optional<uint64_t> m_expectedSum;
};

}  // namespace hublor
