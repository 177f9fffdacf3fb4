#include "session.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "clock.h"
#include "wildcard.h"

namespace hublor {
namespace {

constexpr const char* kApiFilespacePrefix = "API:";
constexpr uint32_t kKnownFsActions = PELK_FSUPD_FSTYPE | PELK_FSUPD_FSINFO | PELK_FSUPD_OCCUPANCY |
                                     PELK_FSUPD_BACKSTARTDATE | PELK_FSUPD_BACKCOMPLETEDATE;

bool validNewPassword(const std::string& password, const std::string& old) {
  if (password.empty() || password.size() > PELK_MAX_PASSWORD_LENGTH || password == old) {
    return false;
  }
  for (unsigned char c : password) {
    if (c <= ' ' || c == 0x7f) return false;
  }
  return true;
}

bool validSendType(uint8_t sendType) {
  return sendType == PELK_SEND_BACKUP || sendType == PELK_SEND_BACKUP_MOUNTWAIT;
}

int checkBlock(const DataBlk& block) {
  if (block.stVersion < 1 || block.stVersion > PELK_DATABLK_VERSION) return PELK_RC_BAD_VERSION;
  if (block.bufferPtr == nullptr && block.bufferLen > 0) return PELK_RC_NULL_POINTER;
  return PELK_RC_OK;
}

int fsTypeText(const char* type, std::string& out) {
  if (type == nullptr) return PELK_RC_NULL_POINTER;
  auto text = pointerText(type, PELK_MAX_FSTYPE_LENGTH - std::strlen(kApiFilespacePrefix));
  if (!text) return PELK_RC_NAME_TOO_LONG;
  out = kApiFilespacePrefix + *text;
  return PELK_RC_OK;
}

}  // namespace

Session::Session(uint32_t handle, std::string node, std::shared_ptr<Store> store,
                 std::unique_ptr<Catalog> catalog, ClientOptions options, std::string optionFile,
                 std::string owner, bool passwordOnly)
    : m_handle(handle),
      m_node(std::move(node)),
      m_store(std::move(store)),
      m_catalog(std::move(catalog)),
      m_options(std::move(options)),
      m_optionFile(std::move(optionFile)),
      m_owner(std::move(owner)),
      m_passwordOnly(passwordOnly) {}

Session::~Session() {
  closeObject();
}

int Session::changePassword(const char* oldPassword, const char* newPassword) {
  if (oldPassword == nullptr || newPassword == nullptr) return PELK_RC_NULL_POINTER;
  if (m_state != State::kIdle) return PELK_RC_BAD_SEQUENCE;
  auto node = findNode(*m_catalog, m_node);
  if (!node) return PELK_RC_NODE_UNKNOWN;
  if (node->password != oldPassword) return PELK_RC_BAD_PASSWORD;
  auto fresh = pointerText(newPassword, PELK_MAX_PASSWORD_LENGTH);
  if (!fresh || !validNewPassword(*fresh, node->password)) return PELK_RC_NEW_PASSWORD_INVALID;
  setPassword(*m_catalog, m_node, *fresh);
  m_passwordOnly = false;
  if (m_options.passwordAccess == PELK_PASSWD_GENERATE) {
    m_store->keepPassword(m_node, *fresh);
  }
  return PELK_RC_OK;
}

int Session::querySessInfo(pelkSessInfo& info) {
  if (info.stVersion < 1 || info.stVersion > PELK_SESSINFO_VERSION) return PELK_RC_BAD_VERSION;
  auto node = findNode(*m_catalog, m_node);
  if (!node) return PELK_RC_NODE_UNKNOWN;
  pelkUint16_t version = info.stVersion;
  std::memset(&info, 0, sizeof info);
  info.stVersion = version;
  Catalog& c = *m_catalog;
  copyField(info.serverHost, sizeof info.serverHost, c.setting("server_host"));
  info.serverPort = 1500;
  info.serverDate = toDate(nowSeconds());
  copyField(info.serverType, sizeof info.serverType, c.setting("server_type"));
  unsigned v[4] = {0, 0, 0, 0};
  std::sscanf(c.setting("server_version").c_str(), "%u.%u.%u.%u", &v[0], &v[1], &v[2], &v[3]);
  info.serverVer = static_cast<pelkUint16_t>(v[0]);
  info.serverRel = static_cast<pelkUint16_t>(v[1]);
  info.serverLev = static_cast<pelkUint16_t>(v[2]);
  info.serverSubLev = static_cast<pelkUint16_t>(v[3]);
  copyField(info.nodeType, sizeof info.nodeType, "Linux");
  info.fsdelim = '\\';
  info.hldelim = '\\';
  info.compression = static_cast<pelkUint8_t>(std::atoi(c.setting("compression").c_str()));
  info.backDel = node->mayDelete ? PELK_DELETE_ALLOWED : PELK_DELETE_NOT_ALLOWED;
  info.maxObjPerTxn = static_cast<pelkUint16_t>(node->maxTxn);
  copyField(info.id, sizeof info.id, m_node);
  copyField(info.owner, sizeof info.owner, m_owner);
  copyField(info.domainName, sizeof info.domainName, c.setting("domain"));
  copyField(info.policySetName, sizeof info.policySetName, c.setting("policy_set"));
  copyField(info.dfltMCName, sizeof info.dfltMCName, c.setting("default_class"));
  copyField(info.moxtarServerName, sizeof info.moxtarServerName, c.setting("server_name"));
  copyField(info.confFile, sizeof info.confFile, m_optionFile);
  return PELK_RC_OK;
}

int Session::queryCliOptions(optStruct& options) const {
  options.passwordAccess = static_cast<pelkUint8_t>(m_options.passwordAccess);
  return PELK_RC_OK;
}

int Session::registerFs(const regFSData& data) {
  if (data.stVersion < 1 || data.stVersion > PELK_REGFSDATA_VERSION) return PELK_RC_BAD_VERSION;
  if (data.fsName == nullptr) return PELK_RC_NULL_POINTER;
  if (m_state != State::kIdle) return PELK_RC_BAD_SEQUENCE;
  auto name = pointerText(data.fsName, PELK_MAX_FSNAME_LENGTH);
  if (!name) return PELK_RC_NAME_TOO_LONG;
  if (name->empty() || hasWildcard(*name)) return PELK_RC_BAD_NAME;
  std::string type;
  if (int rc = fsTypeText(data.fsType, type); rc != PELK_RC_OK) return rc;
  WriteTxn txn(*m_catalog);
  if (filespaceExists(*m_catalog, m_node, *name)) return PELK_RC_FS_ALREADY_REGISTERED;
  m_catalog
      ->prepare(
          "INSERT INTO filespaces(node, name, type, attr, occupancy, capacity, registered)"
          " VALUES(?, ?, ?, ?, ?, ?, ?)")
      .bind(1, m_node)
      .bind(2, *name)
      .bind(3, type)
      .bindBlob(4, data.fsAttr.fsInfo, sizeof data.fsAttr.fsInfo)
      .bind(5, static_cast<int64_t>(fromPelk64(data.occupancy)))
      .bind(6, static_cast<int64_t>(fromPelk64(data.capacity)))
      .bind(7, nowSeconds())
      .run();
  txn.commit();
  return PELK_RC_OK;
}

int Session::updateFs(const char* fsName, const pelkFSUpd& update, uint32_t action) {
  if (fsName == nullptr) return PELK_RC_NULL_POINTER;
  if (update.stVersion < 1 || update.stVersion > PELK_FSUPD_VERSION) return PELK_RC_BAD_VERSION;
  if (action == 0 || (action & ~kKnownFsActions) != 0) return PELK_RC_BAD_PARAMETER;
  if (m_state != State::kIdle) return PELK_RC_BAD_SEQUENCE;
  auto name = pointerText(fsName, PELK_MAX_FSNAME_LENGTH);
  if (!name) return PELK_RC_NAME_TOO_LONG;
  std::string type;
  if (action & PELK_FSUPD_FSTYPE) {
    if (int rc = fsTypeText(update.fsType, type); rc != PELK_RC_OK) return rc;
  }
  WriteTxn txn(*m_catalog);
  if (!filespaceExists(*m_catalog, m_node, *name)) return PELK_RC_FS_NOT_REGISTERED;
  auto set = [&](const char* assignment, auto&&... values) {
    Stmt stmt = m_catalog->prepare(std::string("UPDATE filespaces SET ") + assignment +
                                   " WHERE node = ? AND name = ?");
    int index = 0;
    (stmt.bind(++index, values), ...);
    stmt.bind(index + 1, m_node);
    stmt.bind(index + 2, *name);
    stmt.run();
  };
  if (action & PELK_FSUPD_FSTYPE) set("type = ?", std::string_view(type));
  if (action & PELK_FSUPD_FSINFO) {
    set("attr = ?", std::string_view(update.fsAttr.fsInfo, sizeof update.fsAttr.fsInfo));
  }
  if (action & PELK_FSUPD_OCCUPANCY) {
    set("occupancy = ?, capacity = ?", static_cast<int64_t>(fromPelk64(update.occupancy)),
        static_cast<int64_t>(fromPelk64(update.capacity)));
  }
  if (action & PELK_FSUPD_BACKSTARTDATE) set("back_start = ?", nowSeconds());
  if (action & PELK_FSUPD_BACKCOMPLETEDATE) set("back_complete = ?", nowSeconds());
  txn.commit();
  return PELK_RC_OK;
}

int Session::bindMC(const pelkObjName& name, uint8_t sendType, mcBindKey& key) {
  if (!validSendType(sendType)) return PELK_RC_BAD_PARAMETER;
  if (key.stVersion < 1 || key.stVersion > PELK_MCBINDKEY_VERSION) return PELK_RC_BAD_VERSION;
  ObjectName object;
  if (int rc = readObjectName(name, false, object); rc != PELK_RC_OK) return rc;
  Binding binding = bindName(*m_catalog, object.fs, object.hl, object.ll);
  pelkUint16_t version = key.stVersion;
  std::memset(&key, 0, sizeof key);
  key.stVersion = version;
  if (binding.excluded) return PELK_RC_EXCLUDED;
  copyField(key.mcName, sizeof key.mcName, binding.mc);
  key.backup_cg_exists = binding.hasBackupCg ? 1 : 0;
  copyField(key.backup_copy_dest, sizeof key.backup_copy_dest, binding.dest);
  return PELK_RC_OK;
}

int Session::beginTxn() {
  if (m_state != State::kIdle) return PELK_RC_BAD_SEQUENCE;
  m_txn.emplace();
  m_txn->beginSeq = commitSeq(*m_catalog);
  m_state = State::kTxn;
  return PELK_RC_OK;
}

void Session::rollBack() {
  m_sending.reset();
  m_txn.reset();
  m_state = State::kIdle;
}

int Session::endTxn(uint8_t vote, uint16_t& reason, bool killInCommit) {
  reason = 0;
  if (m_state != State::kTxn) return PELK_RC_BAD_SEQUENCE;
  if (vote != PELK_VOTE_COMMIT && vote != PELK_VOTE_ABORT) return PELK_RC_BAD_PARAMETER;
  int outcome = 0;
  if (m_txn->doomReason) {
    outcome = *m_txn->doomReason;
  } else if (vote == PELK_VOTE_ABORT) {
    outcome = PELK_RS_ABORT_BY_CLIENT;
  } else {
    outcome = commitTxn(*m_store, *m_catalog, m_node, *m_txn, killInCommit);
  }
  rollBack();
  reason = static_cast<uint16_t>(outcome);
  return outcome == 0 ? PELK_RC_OK : PELK_RC_CHECK_REASON;
}

int Session::doom(int code, int reason) {
  if (m_txn && !m_txn->doomReason) m_txn->doomReason = reason;
  return code;
}

int Session::serverAbort(int reason) {
  return doom(PELK_RC_WILL_ABORT, reason);
}

int Session::countObject() {
  auto node = findNode(*m_catalog, m_node);
  int limit = node ? node->maxTxn : 0;
  if (++m_txn->objects > limit) {
    return doom(PELK_RC_WILL_ABORT, PELK_RS_ABORT_EXCEED_MAX_OBJ);
  }
  return PELK_RC_OK;
}

int Session::sendObj(uint8_t sendType, const pelkObjName& name, const ObjAttr& attr,
                     DataBlk* block) {
  if (!validSendType(sendType)) return PELK_RC_BAD_PARAMETER;
  if (attr.stVersion < 1 || attr.stVersion > PELK_OBJATTR_VERSION) return PELK_RC_BAD_VERSION;
  if (attr.objInfoLength > PELK_MAX_OBJINFO_LENGTH) return PELK_RC_NAME_TOO_LONG;
  if (attr.objInfoLength > 0 && attr.objInfo == nullptr) return PELK_RC_NULL_POINTER;
  if (block != nullptr) {
    if (int rc = checkBlock(*block); rc != PELK_RC_OK) return rc;
  }
  ObjectName object;
  if (int rc = readObjectName(name, false, object); rc != PELK_RC_OK) return rc;
  if (object.type != PELK_OBJ_FILE && object.type != PELK_OBJ_DIRECTORY) {
    return PELK_RC_BAD_PARAMETER;
  }
  auto owner = fieldText(attr.owner, sizeof attr.owner);
  if (!owner) return PELK_RC_NAME_TOO_LONG;
  if (m_state != State::kTxn) return PELK_RC_BAD_SEQUENCE;
  if (m_txn->doomReason) return PELK_RC_WILL_ABORT;
  if (int rc = countObject(); rc != PELK_RC_OK) return rc;
  if (!filespaceExists(*m_catalog, m_node, object.fs)) {
    return doom(PELK_RC_FS_NOT_REGISTERED, PELK_RC_FS_NOT_REGISTERED);
  }
  std::optional<Binding> binding;
  std::string mc = attr.mcNameP != nullptr ? attr.mcNameP : "";
  binding = mc.empty() ? bindName(*m_catalog, object.fs, object.hl, object.ll)
                       : classBinding(*m_catalog, mc);
  if (!binding) return doom(PELK_RC_MC_UNKNOWN, PELK_RC_MC_UNKNOWN);
  if (binding->excluded) return doom(PELK_RC_EXCLUDED, PELK_RC_EXCLUDED);
  if (!binding->hasBackupCg) return doom(PELK_RC_NO_BACKUP_CG, PELK_RC_NO_BACKUP_CG);
  SendOp op;
  op.key = ObjectKey{object.fs, object.hl, object.ll, object.type};
  op.owner = *owner;
  op.binding = *binding;
  op.sizeEstimate = static_cast<int64_t>(fromPelk64(attr.sizeEstimate));
  op.compressed = attr.objCompressed != 0;
  op.info.assign(attr.objInfo == nullptr ? "" : attr.objInfo, attr.objInfoLength);
  try {
    op.file = std::make_unique<StagedFile>(*m_store, m_store->newDataName());
  } catch (const StoreError&) {
    return serverAbort(PELK_RS_ABORT_SYSTEM_ERROR);
  }
  m_sending = std::move(op);
  m_state = State::kSending;
  if (block == nullptr) return PELK_RC_OK;
  return sendData(*block);
}

int Session::sendData(DataBlk& block) {
  if (int rc = checkBlock(block); rc != PELK_RC_OK) return rc;
  if (m_state != State::kSending) return PELK_RC_BAD_SEQUENCE;
  block.numBytes = 0;
  if (m_txn->doomReason) return PELK_RC_WILL_ABORT;
  if (!m_sending->file->write(block.bufferPtr, block.bufferLen)) {
    return serverAbort(PELK_RS_ABORT_SYSTEM_ERROR);
  }
  block.numBytes = block.bufferLen;
  return PELK_RC_OK;
}

int Session::endSendObj() {
  if (m_state != State::kSending) return PELK_RC_BAD_SEQUENCE;
  if (!m_txn->doomReason) m_txn->ops.push_back(std::move(*m_sending));
  m_sending.reset();
  m_state = State::kTxn;
  return PELK_RC_OK;
}

int Session::renameObj(const pelkRenameIn& in) {
  if (in.stVersion < 1 || in.stVersion > PELK_RENAMEIN_VERSION) return PELK_RC_BAD_VERSION;
  if (in.repository != PELK_REPOSITORY_BACKUP) return PELK_RC_BAD_PARAMETER;
  if (in.objNameP == nullptr) return PELK_RC_NULL_POINTER;
  ObjectName object;
  if (int rc = readObjectName(*in.objNameP, false, object); rc != PELK_RC_OK) return rc;
  pelkObjName target = *in.objNameP;
  std::memcpy(target.hl, in.newHl, sizeof target.hl);
  std::memcpy(target.ll, in.newLl, sizeof target.ll);
  ObjectName renamed;
  if (int rc = readObjectName(target, false, renamed); rc != PELK_RC_OK) return rc;
  if (m_state != State::kTxn) return PELK_RC_BAD_SEQUENCE;
  if (m_txn->doomReason) return PELK_RC_WILL_ABORT;
  if (int rc = countObject(); rc != PELK_RC_OK) return rc;
  RenameOp op{ObjectKey{object.fs, object.hl, object.ll, object.type}, renamed.hl, renamed.ll,
              in.merge != 0};
  if (int rc = checkRename(*m_catalog, m_node, op); rc != PELK_RC_OK) return doom(rc, rc);
  m_txn->ops.push_back(std::move(op));
  return PELK_RC_OK;
}

// The version of the key that was active when the transaction began, if it still exists.
int Session::resolveActiveAtBegin(const ObjectName& name, uint32_t copyGroup, int64_t& id) {
  int64_t begin = m_txn->beginSeq;
  for (const Version& v : versionsOfKey(*m_catalog, m_node, name.fs, name.hl, name.ll, name.type)) {
    bool activeThen = v.activeSeq <= begin && (!v.inactiveSeq || *v.inactiveSeq > begin);
    if (activeThen && v.copyGroup == copyGroup) {
      id = v.id;
      return PELK_RC_OK;
    }
  }
  return PELK_RC_NO_MATCH;
}

int Session::deleteObj(uint8_t delType, const pelkDelInfo& info) {
  if (delType != PELK_BACKUP_DELETE && delType != PELK_BACKUP_ID_DELETE) {
    return PELK_RC_BAD_PARAMETER;
  }
  ObjectName object;
  if (delType == PELK_BACKUP_DELETE) {
    const delBack& back = info.backInfo;
    if (back.stVersion < 1 || back.stVersion > PELK_DELBACK_VERSION) return PELK_RC_BAD_VERSION;
    if (back.objNameP == nullptr) return PELK_RC_NULL_POINTER;
    if (int rc = readObjectName(*back.objNameP, false, object); rc != PELK_RC_OK) return rc;
  } else if (info.backIDInfo.stVersion < 1 || info.backIDInfo.stVersion > PELK_DELBACKID_VERSION) {
    return PELK_RC_BAD_VERSION;
  }
  if (m_state != State::kTxn) return PELK_RC_BAD_SEQUENCE;
  if (m_txn->doomReason) return PELK_RC_WILL_ABORT;
  if (int rc = countObject(); rc != PELK_RC_OK) return rc;
  if (delType == PELK_BACKUP_DELETE) {
    int64_t id = 0;
    int rc = resolveActiveAtBegin(object, info.backInfo.copyGroup, id);
    if (rc != PELK_RC_OK) return doom(rc, rc);
    m_txn->ops.push_back(InactivateOp{id});
    return PELK_RC_OK;
  }
  auto node = findNode(*m_catalog, m_node);
  if (!node || !node->mayDelete) {
    return doom(PELK_RC_DELETE_NOT_ALLOWED, PELK_RC_DELETE_NOT_ALLOWED);
  }
  auto version = versionById(*m_catalog, static_cast<int64_t>(fromPelk64(info.backIDInfo.objId)));
  if (!version || version->node != m_node) return doom(PELK_RC_NO_MATCH, PELK_RC_NO_MATCH);
  m_txn->ops.push_back(RemoveOp{version->id});
  return PELK_RC_OK;
}

int Session::beginQuery(uint8_t queryType, const void* query) {
  if (query == nullptr) return PELK_RC_NULL_POINTER;
  if (m_state != State::kIdle) return PELK_RC_BAD_SEQUENCE;
  VersionFilter filter;
  filter.node = m_node;
  const pelkObjName* name = nullptr;
  if (queryType == PELK_QRY_BACKUP) {
    const auto& q = *static_cast<const qryBackupData*>(query);
    if (q.stVersion < 1 || q.stVersion > PELK_QRYBACKUP_VERSION) return PELK_RC_BAD_VERSION;
    if (q.objState != PELK_ACTIVE && q.objState != PELK_INACTIVE && q.objState != PELK_ANYMATCH) {
      return PELK_RC_BAD_PARAMETER;
    }
    if (q.owner != nullptr) {
      auto owner = pointerText(q.owner, PELK_MAX_OWNER_LENGTH);
      if (!owner) return PELK_RC_NAME_TOO_LONG;
      filter.owner = *owner;
    }
    filter.state = q.objState;
    if (q.stVersion >= 2) filter.pointInTime = fromDate(q.pitDate);
    name = q.objName;
  } else if (queryType == PELK_QRY_ACTIVE_BACKUP) {
    const auto& q = *static_cast<const qryActiveBackupData*>(query);
    if (q.stVersion < 1 || q.stVersion > PELK_QRYACTIVEBACKUP_VERSION) return PELK_RC_BAD_VERSION;
    filter.state = PELK_ACTIVE;
    name = q.objName;
  } else if (queryType == PELK_QRY_FILESPACE) {
    const auto& q = *static_cast<const qryFSData*>(query);
    if (q.stVersion < 1 || q.stVersion > PELK_QRYFS_VERSION) return PELK_RC_BAD_VERSION;
    if (q.fsName == nullptr) return PELK_RC_NULL_POINTER;
    auto pattern = pointerText(q.fsName, PELK_MAX_FSNAME_LENGTH);
    if (!pattern) return PELK_RC_NAME_TOO_LONG;
    m_filespaces = listFilespaces(*m_catalog, m_node, *pattern);
  } else {
    return PELK_RC_BAD_PARAMETER;
  }
  if (queryType != PELK_QRY_FILESPACE) {
    if (name == nullptr) return PELK_RC_NULL_POINTER;
    ObjectName object;
    if (int rc = readObjectName(*name, true, object); rc != PELK_RC_OK) return rc;
    if (!filespaceExists(*m_catalog, m_node, object.fs)) return PELK_RC_FS_NOT_KNOWN;
    filter.fs = object.fs;
    filter.hlPattern = object.hl;
    filter.llPattern = object.ll;
    filter.type = object.type;
    m_versions = queryVersions(*m_catalog, filter);
  }
  m_queryType = queryType;
  m_queryNext = 0;
  m_state = State::kQuery;
  return PELK_RC_OK;
}

int Session::getNextQObj(DataBlk& block) {
  if (m_state != State::kQuery) return PELK_RC_BAD_SEQUENCE;
  if (int rc = checkBlock(block); rc != PELK_RC_OK) return rc;
  bool filespaces = m_queryType == PELK_QRY_FILESPACE;
  size_t count = filespaces ? m_filespaces.size() : m_versions.size();
  size_t recordSize = filespaces ? sizeof(qryRespFSData) : sizeof(qryRespBackupData);
  block.numBytes = 0;
  if (count == 0) return PELK_RC_NO_MATCH;
  if (m_queryNext >= count) return PELK_RC_FINISHED;
  if (block.bufferPtr == nullptr) return PELK_RC_NULL_POINTER;
  if (block.bufferLen < recordSize) return PELK_RC_BUFFER_TOO_SMALL;
  if (filespaces) {
    qryRespFSData record;
    fillFilespaceResponse(m_filespaces[m_queryNext++], record);
    std::memcpy(block.bufferPtr, &record, sizeof record);
  } else {
    qryRespBackupData record;
    fillBackupResponse(m_versions[m_queryNext++], record);
    std::memcpy(block.bufferPtr, &record, sizeof record);
  }
  block.numBytes = static_cast<pelkUint32_t>(recordSize);
  return PELK_RC_MORE_DATA;
}

int Session::endQuery() {
  if (m_state != State::kQuery) return PELK_RC_BAD_SEQUENCE;
  m_versions.clear();
  m_filespaces.clear();
  m_state = State::kIdle;
  return PELK_RC_OK;
}

int Session::beginGetData(uint8_t getType, const pelkGetList& list) {
  if (getType != PELK_GET_BACKUP) return PELK_RC_BAD_PARAMETER;
  if (list.stVersion < 1 || list.stVersion > PELK_GETLIST_VERSION) return PELK_RC_BAD_VERSION;
  if (list.numObjId == 0) return PELK_RC_BAD_PARAMETER;
  if (list.objId == nullptr) return PELK_RC_NULL_POINTER;
  if (list.partialObjData != nullptr) return PELK_RC_NOT_SUPPORTED;
  if (m_state != State::kIdle) return PELK_RC_BAD_SEQUENCE;
  m_getIds.clear();
  for (pelkUint32_t i = 0; i < list.numObjId; ++i) m_getIds.push_back(fromPelk64(list.objId[i]));
  m_getNext = 0;
  m_state = State::kRetrieval;
  return PELK_RC_OK;
}

int Session::getObj(uint64_t id, DataBlk& block, bool lose) {
  if (int rc = checkBlock(block); rc != PELK_RC_OK) return rc;
  if (m_state != State::kRetrieval) return PELK_RC_BAD_SEQUENCE;
  block.numBytes = 0;
  size_t index = m_getNext;
  while (index < m_getIds.size() && m_getIds[index] != id) ++index;
  if (index == m_getIds.size()) return PELK_RC_NOT_IN_LIST;
  m_getNext = index + 1;
  auto version = versionById(*m_catalog, static_cast<int64_t>(id));
  if (!version || version->node != m_node) return PELK_RC_NO_MATCH;
  std::filesystem::path path = m_store->dataPath(version->id, version->file);
  if (lose) ::unlink(path.c_str());
  m_objectFd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (m_objectFd < 0) return PELK_RC_OBJ_UNAVAILABLE;
  off_t size = ::lseek(m_objectFd, 0, SEEK_END);
  if (size != static_cast<off_t>(version->size) || ::lseek(m_objectFd, 0, SEEK_SET) != 0) {
    closeObject();
    return PELK_RC_OBJ_UNAVAILABLE;
  }
  posix_fadvise(m_objectFd, 0, 0, POSIX_FADV_SEQUENTIAL);
  m_remaining = static_cast<uint64_t>(size);
  m_readSum = Checksum();
  m_expectedSum = version->checksum;
  m_state = State::kGetObj;
  return readChunk(block);
}

int Session::getData(DataBlk& block) {
  if (int rc = checkBlock(block); rc != PELK_RC_OK) return rc;
  if (m_state != State::kGetObj) return PELK_RC_BAD_SEQUENCE;
  block.numBytes = 0;
  return readChunk(block);
}

// The call that delivers the last byte answers "finished", even when it fills the buffer. Data
// whose checksum is not the one kept when it was stored has changed on the volume: the last
// piece is withheld and the object answered as unavailable, never handed back as whole.
int Session::readChunk(DataBlk& block) {
  uint64_t want = std::min<uint64_t>(block.bufferLen, m_remaining);
  char* out = block.bufferPtr;
  uint64_t done = 0;
  while (done < want) {
    ssize_t got = ::read(m_objectFd, out + done, want - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return PELK_RC_OBJ_UNAVAILABLE;
    done += static_cast<uint64_t>(got);
  }
  m_remaining -= done;
  m_readSum.add(out, done);
  if (m_remaining > 0) {
    block.numBytes = static_cast<pelkUint32_t>(done);
    return PELK_RC_MORE_DATA;
  }
  if (m_expectedSum && *m_expectedSum != m_readSum.value()) return PELK_RC_OBJ_UNAVAILABLE;
  block.numBytes = static_cast<pelkUint32_t>(done);
  return PELK_RC_FINISHED;
}

void Session::closeObject() {
  if (m_objectFd >= 0) ::close(m_objectFd);
  m_objectFd = -1;
  m_remaining = 0;
}

int Session::endGetObj() {
  if (m_state != State::kGetObj) return PELK_RC_BAD_SEQUENCE;
  closeObject();
  m_state = State::kRetrieval;
  return PELK_RC_OK;
}

int Session::endGetData() {
  if (m_state != State::kRetrieval && m_state != State::kGetObj) return PELK_RC_BAD_SEQUENCE;
  closeObject();
  m_getIds.clear();
  m_state = State::kIdle;
  return PELK_RC_OK;
}

int Session::logEvent(const pelkLogExIn& in) {
  if (in.stVersion > PELK_LOGEXIN_VERSION) return PELK_RC_BAD_VERSION;
  if (in.logType != PELK_LOG_SERVER || in.severity > PELK_SEV_SEVERE) {
    return PELK_RC_BAD_PARAMETER;
  }
  if (in.message == nullptr) return PELK_RC_NULL_POINTER;
  auto text = pointerText(in.message, PELK_MAX_EVENT_MSG_LENGTH);
  auto msgId = fieldText(in.appMsgID, sizeof in.appMsgID);
  if (!text || !msgId) return PELK_RC_NAME_TOO_LONG;
  hublor::logEvent(*m_catalog, Event{0, nowSeconds(), m_node, in.severity, *msgId, *text});
  return PELK_RC_OK;
}

}  // namespace hublor
