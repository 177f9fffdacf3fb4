// The repair of a rename merge error (CBackupDb::mergeErrorFixup). The storage server refuses
// to merge a renamed object into versions of the final name that are bound to another
// management class than the new one. The repair finds the backup of the same database and type
// with the most stripes, checks that every final name (meta-data and data 1 to N) and this
// backup's temporary name bind to the same class and copy destination, sends an empty
// placeholder under every final name in one transaction (which binds the older versions to the
// new class), and inactivates the placeholders again once that transaction has committed. The
// completion transaction is then tried again.
#include <cstring>

#include "agtrc.h"
#include "agttrc.h"
#include "bkdb.h"
#include "objname.h"
#include "pelkapi.h"
#include "qrydataobj.h"

namespace {

class CMergeRepair {
 public:
  CMergeRepair(DPelkApiStatus* statusP, pelkUint32_t handle, std::atomic<uint32_t>& cancelled,
               uint32_t* cancelWordP, const SqlServerElement& server, const zarnakObjId& id,
               uint32_t mountWait)
      : m_StatusP(statusP),
        m_Handle(handle),
        m_Cancelled(cancelled),
        m_CancelWordP(cancelWordP),
        m_Server(server),
        m_Id(id),
        m_MountWait(mountWait) {}

  int run(const pelkObjName& metaName, char* textP, size_t textSize);

 private:
  bool going() const { return m_Rc == RC_OK && m_Cancelled.load() == 0; }
  void fail(int16_t code, bool bind);
  int chooseBackup(const pelkObjName& metaName);
  pelkObjName finalName(uint32_t index);
  pelkObjName temporaryName(uint32_t index);
  void bind(pelkObjName* nameP, mcBindKey* keyP, bool needCopyGroup);
  void check();
  void sendPlaceholders();
  void sendPlaceholder(uint32_t index, const pelkApiVersion& version, const mcBindKey& key);
  void endTxn();
  void removePlaceholders(const pelkObjName& metaName);

  DPelkApiStatus* m_StatusP;
  pelkUint32_t m_Handle;
  std::atomic<uint32_t>& m_Cancelled;
  uint32_t* m_CancelWordP;  // the same cancel as a word for the queries
  const SqlServerElement& m_Server;
  const zarnakObjId& m_Id;
  uint32_t m_MountWait;
  qryRespBackupData m_Kept;
  uint32_t m_NumStripes = 0;
  bool m_Begun = false;
  bool m_Committed = false;
  int m_Rc = RC_OK;
  char m_Text[MOXTAR_ERROR_TEXT_SIZE] = "";
};

void CMergeRepair::fail(int16_t code, bool bind) {
  size_t length = 0;
  gPelkApiObjP->AgtPelkRCMsg(m_StatusP, m_Handle, code, m_Text, sizeof m_Text, &length);
  TRACE_LINE(TRC_ENGINE, "Storage call failed, rc = %d, msg = %s\n", code, m_Text);
  if (m_Rc != RC_OK) return;
  if (bind && code == PELK_RC_EXCLUDED) {
    m_Rc = RC_OBJECT_EXCLUDED;
  } else {
    m_Rc = code == PELK_RC_WILL_ABORT ? RC_SERVER_WILL_ABORT : RC_API_CALL_FAILED;
  }
}

// The stored backup of the meta-data name with the most stripes; among equals the later one.
int CMergeRepair::chooseBackup(const pelkObjName& metaName) {
  MoxtarBackupList list;
  agentDateTime none{};
  int rc = qryBackupObjects(m_StatusP, m_Handle, PELK_ANYMATCH, none, metaName, "", m_CancelWordP,
                            &list, m_Text);
  if (rc != RC_OK) {
    TRACE_LINE(TRC_ENGINE, "%s failed, rc = %d, msg = %s\n", "qryBackupObjects()", rc, m_Text);
    return rc;
  }
  auto stripesOf = [](const qryRespBackupData* p) {
    objInfo info;
    return objInfoFromResp(*p, OBJINFO_META_SIZE, &info) == RC_OK ? info.numStripes : 0;
  };
  while (list.getCount() > 1) {
    if (stripesOf(list.getFirst()) > stripesOf(list.getLast())) {
      list.remove(list.getLast());
    } else {
      list.remove(list.getFirst());
    }
  }
  m_Kept = *list.getFirst();
  m_NumStripes = stripesOf(list.getFirst());
  return RC_OK;
}

pelkObjName CMergeRepair::finalName(uint32_t index) {
  pelkObjName name;
  memset(&name, 0, sizeof name);
  name.objType = PELK_OBJ_FILE;
  int rc = buildFsName(name.fs, m_Server.szSqlServerName, index);
  if (rc != RC_OK && m_Rc == RC_OK) m_Rc = rc;
  memcpy(name.hl, m_Kept.objName.hl, sizeof name.hl);
  memcpy(name.ll, m_Kept.objName.ll, sizeof name.ll);
  return name;
}

pelkObjName CMergeRepair::temporaryName(uint32_t index) {
  pelkObjName name = finalName(index);
  const agentDateTime& t = m_Id.backupTime;
  size_t used = strlen(name.ll);
  snprintf(name.ll + used, sizeof name.ll - used, ".%04u%02u%02u%02u%02u%02u%08X",
           unsigned(dateYear(&t)), t.month, t.day, t.hour, t.minute, t.second, m_Id.processId);
  return name;
}

void CMergeRepair::bind(pelkObjName* nameP, mcBindKey* keyP, bool needCopyGroup) {
  int16_t code = PELK_RC_OK;
  int rc = metaBindClass(m_StatusP, m_Handle, nameP, PELK_SEND_BACKUP, keyP, &code);
  if (code != PELK_RC_OK) {
    fail(code, true);
  } else if (rc != RC_OK && needCopyGroup) {
    m_Rc = rc;
  }
}

void CMergeRepair::check() {
  for (uint32_t i = 0; i <= m_NumStripes && going(); i++) {
    pelkObjName real = finalName(i);
    pelkObjName temporary = temporaryName(i);
    mcBindKey realKey;
    mcBindKey temporaryKey;
    if (going()) bind(&real, &realKey, true);
    if (going()) bind(&temporary, &temporaryKey, true);
    if (!going()) return;
    if (strcmp(realKey.backup_copy_dest, temporaryKey.backup_copy_dest) != 0 ||
        strcmp(realKey.mcName, temporaryKey.mcName) != 0) {
      TRACE_LINE(TRC_ENGINE,
                 "The merge error is uncorrectable.\nDifferent real/temporary object management "
                 "classes and/or copy group destinations were detected.\n");
      m_Rc = RC_MERGE_UNCORRECTABLE;
    }
  }
}

void CMergeRepair::sendPlaceholder(uint32_t index, const pelkApiVersion& version,
                                   const mcBindKey& key) {
  objInfo info = objInfoOfBackup(version, m_Server, m_Id);
  size_t length = index == 0 ? OBJINFO_META_SIZE : OBJINFO_DATA_SIZE;
  if (index == 0) info.numStripes = m_NumStripes;
  uint8_t bytes[OBJINFO_META_SIZE] = {};
  objInfoToBytes(info, bytes, length);
  ObjAttr attr;
  memset(&attr, 0, sizeof attr);
  attr.stVersion = PELK_OBJATTR_VERSION;
  attr.objInfoLength = static_cast<pelkUint16_t>(length);
  attr.objInfo = reinterpret_cast<char*>(bytes);
  attr.mcNameP = const_cast<char*>(key.mcName);
  pelkObjName name = finalName(index);
  uint8_t sendType = m_MountWait == 1 ? PELK_SEND_BACKUP_MOUNTWAIT : PELK_SEND_BACKUP;
  int16_t code = DPelkApi::dpelkSendObj(gPelkApiObjP, m_StatusP, m_Handle, sendType, nullptr, &name,
                                        &attr, nullptr);
  if (code == PELK_RC_OK) code = DPelkApi::dpelkEndSendObj(gPelkApiObjP, m_StatusP, m_Handle);
  if (code != PELK_RC_OK) fail(code, false);
}

void CMergeRepair::sendPlaceholders() {
  int16_t code = DPelkApi::dpelkBeginTxn(gPelkApiObjP, m_StatusP, m_Handle);
  if (code != PELK_RC_OK) {
    fail(code, false);
    return;
  }
  m_Begun = true;
  pelkApiVersion version = {0, 0, 0};
  DPelkApi::dpelkQueryApiVersion(gPelkApiObjP, m_StatusP, &version);
  mcBindKey previous;
  for (uint32_t i = 0; i <= m_NumStripes && going(); i++) {
    pelkObjName real = finalName(i);
    mcBindKey key;
    bind(&real, &key, false);
    if (!going()) return;
    if (i > 0 && strcmp(key.backup_copy_dest, previous.backup_copy_dest) != 0) {
      TRACE_LINE(TRC_ENGINE,
                 "The copy destination of the real objects has changed\n  %s (%s)\n  %s (%s)\n",
                 previous.backup_copy_dest, previous.mcName, key.backup_copy_dest, key.mcName);
      m_Rc = RC_MERGE_UNCORRECTABLE;
      return;
    }
    previous = key;
    sendPlaceholder(i, version, key);
  }
}

// Commits only when every placeholder was sent.
void CMergeRepair::endTxn() {
  if (!m_Begun) return;
  if (m_Rc == RC_OK && m_Cancelled.load() != 0) m_Rc = RC_RING_CANCELLED;
  int16_t why = bkEndTxn(m_StatusP, m_Handle, m_Rc);
  m_Committed = m_Rc == RC_OK && why == PELK_RC_OK;
  if (why == PELK_RC_OK) return;
  bool failedBefore = m_Rc != RC_OK;
  fail(why, false);
  if (!failedBefore) m_Rc = RC_API_CALL_FAILED;
}

// The placeholders are inactivated again: the placeholder meta-data object and its data
// objects. Failures are traced only; the rename with merge replaces placeholders that stay.
void CMergeRepair::removePlaceholders(const pelkObjName& metaName) {
  MoxtarBackupList list;
  agentDateTime none{};
  char text[MOXTAR_ERROR_TEXT_SIZE] = "";
  int rc =
      qryBackupObjects(m_StatusP, m_Handle, PELK_ACTIVE, none, metaName, "", nullptr, &list, text);
  if (rc != RC_OK || list.getCount() != 1) {
    TRACE_LINE(TRC_ENGINE, "Too many active backups found.\n  count: %u\n  %s%s%s\n",
               list.getCount(), metaName.fs, metaName.hl, metaName.ll);
    return;
  }
  MoxtarMetaInfo meta;
  static_cast<qryRespBackupData&>(meta) = *list.getFirst();
  uint32_t notCancelled = 0;
  rc = qryDataObjects(m_StatusP, &meta, &notCancelled, m_Handle, &list, text);
  if (rc != RC_OK && rc != RC_CORRUPT_BACKUP) return;
  uint32_t deleted = 0;
  rc = deleteBackupObjects(m_StatusP, m_Handle, nullptr, &list, &deleted, text);
  if (rc != RC_OK) {
    TRACE_LINE(TRC_ENGINE, "deleteBackupObjects() failed, rc = %d, msg = %s\n numObjDeleted: %u\n",
               rc, text, deleted);
  }
}

int CMergeRepair::run(const pelkObjName& metaName, char* textP, size_t textSize) {
  if (going()) m_Rc = chooseBackup(metaName);
  if (going()) check();
  if (going()) sendPlaceholders();
  endTxn();
  if (m_Committed) removePlaceholders(metaName);
  if (m_Rc != RC_OK) snprintf(textP, textSize, "%s", m_Text);
  return m_Rc;
}

}  // namespace

int CBackupDb::mergeErrorFixup(StripeData** stripeDataPP) {
  TRACE_ENTRY(TRC_ENGINE, "CBackupDb::mergeErrorFixup()");
  if (stripeDataPP == nullptr || *stripeDataPP == nullptr) TRACE_RETURN(RC_INTERNAL_ERROR);
  CMergeRepair repair(&m_ConsumerApiStatus, (*stripeDataPP)->hublorSessionInfoP->pelkHandle,
                      m_Cancelled, &m_StripesCancelled, *m_SqlServerElementP, m_ZarnakObjId,
                      m_MountWait);
  int rc = repair.run(m_MetaDataObjName, m_ConsumerErrorMsg, sizeof m_ConsumerErrorMsg);
  TRACE_RETURN(rc);
}
