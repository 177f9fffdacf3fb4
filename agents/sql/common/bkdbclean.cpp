// The clean-up of failed backups (CBackupDb::cleanUp): data objects that a backup sent under
// their temporary names and never renamed. Before the stripes run it removes what earlier
// failed backups of the same database and type left behind, once old enough; after a failure
// it removes the current run's own. Nothing here fails the backup: every object that cannot be
// removed is written to the activity log with the interface's text.
#include <cstring>

#include "agtlog.h"
#include "agtrc.h"
#include "agttrc.h"
#include "bkdb.h"
#include "errormsg.h"
#include "objname.h"

namespace {

// The query session moves on through the run's stripe records when one fails.
class CCleanupSessions {
 public:
  CCleanupSessions(CLinkedList<StripeData>& list, uint32_t count) : m_List(list), m_Count(count) {
    m_CurrentP = count > 0 ? list.getFirst() : nullptr;
  }
  StripeData* current() const { return m_CurrentP; }
  void next() {
    m_CurrentP = m_CurrentP != nullptr ? m_List.getNext(m_CurrentP) : nullptr;
    if (m_CurrentP != nullptr && m_CurrentP->stripeNumber >= m_Count) m_CurrentP = nullptr;
  }

 private:
  CLinkedList<StripeData>& m_List;
  uint32_t m_Count;
  StripeData* m_CurrentP;
};

void logNotDeleted(const pelkObjName& name, const char* textP, int rc) {
  TRACE_LINE(TRC_ENGINE, "Unable to delete temporary object: (%s)(%s)(%s)\n", name.fs, name.hl,
             name.ll);
  if (gLogP == nullptr) return;
  gLogP->LogActivityLog(MSG_TEMP_OBJECT_NOT_DELETED, name.fs, name.hl, name.ll);
  if (textP != nullptr && textP[0] != '\0') {
    gLogP->LogActivityLog(textP);
  } else if (rc != RC_OK) {
    gLogP->LogActivityLog(agentRcMessage(rc), "");
  }
}

// True when a left-over found by the pattern must stay: its attributes cannot be read, it
// belongs to the running backup, or (with an age) it is from the future or younger than
// olderThan days.
bool keepLeftover(const qryRespBackupData& entry, const zarnakObjId& ownId, int32_t olderThan,
                  const agentDateTime& now) {
  objInfo info;
  if (objInfoFromResp(entry, OBJINFO_DATA_SIZE, &info) != RC_OK) return true;
  if (compareZarnakObjIds(info.id, ownId) == 0) return true;
  if (olderThan <= 0) return false;
  if (dateCompare(&info.id.backupTime, &now) > 0) return true;
  return dateDiffDays(&now, &info.id.backupTime) < olderThan;
}

}  // namespace

void CBackupDb::cleanUp(int32_t olderThan, uint8_t objState) {
  TRACE_ENTRY(TRC_ENGINE, "CBackupDb::cleanUp()");
  if (m_CtorRc != RC_OK) return;
  if (olderThan < 0) {
    TRACE_LINE(TRC_ENGINE,
               "An invalid olderThan value (%d) was specified.\nProcessing will continue with the "
               "default olderThan (%d).\n",
               olderThan, BACKUP_DEFAULT_OLDER_THAN);
    olderThan = BACKUP_DEFAULT_OLDER_THAN;
  }
  bool ownRun = objState == PELK_ACTIVE;
  CCleanupSessions sessions(m_StripeDataList, m_NumStripes);
  MoxtarBackupList found;
  char text[MOXTAR_ERROR_TEXT_SIZE] = "";
  const SqlDbInfo& info = *m_SqlDbInfoP;
  uint32_t k = 0;
  for (StripeData* d = m_StripeDataList.getFirst(); d != nullptr && k < m_NumStripes;
       d = m_StripeDataList.getNext(d), k++) {
    // The run's own objects exist only for stripes that stored theirs.
    if (ownRun && d->rc != RC_OK) continue;
    pelkObjName name;
    memset(&name, 0, sizeof name);
    name.objType = PELK_OBJ_FILE;
    memcpy(name.fs, d->objName.fs, sizeof name.fs);
    if (ownRun) {
      memcpy(name.hl, d->objName.hl, sizeof name.hl);
      memcpy(name.ll, d->objName.ll, sizeof name.ll);
    } else {
      char delimiter = d->hublorSessionInfoP->apiSessInfo.hldelim;
      int rc = buildHl(
          name.hl, info.sqlDatabaseElementP->szSqlDatabaseName,
          info.sqlGroupElementP != nullptr ? info.sqlGroupElementP->szGroupName : nullptr,
          info.sqlFileElementP != nullptr ? info.sqlFileElementP->szFileLogicalName : nullptr,
          delimiter, uint32_t(m_BackupType), nullptr);
      if (rc != RC_OK) {
        TRACE_LINE(TRC_ENGINE,
                   "buildHl() failed, rc = %d\nUnable to delete temporary object(s).\n  "
                   "objName.fs: %s\n",
                   rc, name.fs);
        logNotDeleted(name, nullptr, rc);
        continue;
      }
      snprintf(name.ll, sizeof name.ll, "%c%s.%s", delimiter, backupTypeLlNames[m_BackupType],
               "??????????????????????");
    }
    int rc = RC_API_CALL_FAILED;
    while (sessions.current() != nullptr) {
      agentDateTime none{};
      rc =
          qryBackupObjects(&m_ConsumerApiStatus, sessions.current()->hublorSessionInfoP->pelkHandle,
                           objState, none, name, "", nullptr, &found, text);
      if (rc == RC_NO_BACKUP_MATCH) {
        TRACE_LINE(TRC_ENGINE, "qryBackupObjects() failed, because no match was found.\n");
      }
      if (rc == RC_OK || rc == RC_NO_BACKUP_MATCH) break;
      sessions.next();
    }
    if (sessions.current() == nullptr) logNotDeleted(name, text, rc);
  }
  agentDateTime now;
  dateGetNow(&now);
  for (qryRespBackupData* p = found.getFirst(); p != nullptr;) {
    qryRespBackupData* nextP = found.getNext(p);
    if (!ownRun && keepLeftover(*p, m_ZarnakObjId, olderThan, now)) {
      TRACE_LINE(TRC_ENGINE,
                 "Skipping temporary data object deletion, not 'older than'...\n  "
                 "moxtarInfoP->objname.fs: %s\n  moxtarInfoP->objName.hl: %s\n  "
                 "moxtarInfoP->objName.ll: %s\n",
                 p->objName.fs, p->objName.hl, p->objName.ll);
      found.remove(p);
    }
    p = nextP;
  }
  int rc = RC_OK;
  while (found.getCount() > 0 && sessions.current() != nullptr) {
    uint32_t deleted = 0;
    rc = deleteBackupObjects(&m_ConsumerApiStatus,
                             sessions.current()->hublorSessionInfoP->pelkHandle, nullptr, &found,
                             &deleted, text);
    if (rc == RC_OK) return;
    TRACE_LINE(TRC_ENGINE,
               "deleteBackupObjects( %#x ) failed, rc = %d, msg =%s\n numObjDeleted: %u\n",
               sessions.current()->hublorSessionInfoP->pelkHandle, rc, text, deleted);
    // What the failed attempt removed is gone: only the rest is tried again.
    for (uint32_t n = 0; n < deleted && found.getFirst() != nullptr; n++)
      found.remove(found.getFirst());
    sessions.next();
  }
  for (qryRespBackupData* p = found.getFirst(); p != nullptr; p = found.getNext(p)) {
    logNotDeleted(p->objName, text, rc);
  }
}
