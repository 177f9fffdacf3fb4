// The clean-up of failed backups (CBackupDb::cleanUp): data objects that a backup sent under
// their temporary names and never renamed. Before the stripes run it removes what earlier
// failed backups of the same database and type left behind, once old enough; after a failure
// it removes the current run's own. Nothing here fails the backup: every object that cannot be
// removed is written to the activity log with the interface's text.
#include <cstdlib>
#include <cstring>

#include "agtlog.h"
#include "agtrc.h"
#include "agttrc.h"
#include "bkdb.h"
#include "errormsg.h"
#include "objname.h"

namespace {

void logNotDeleted(const pelkObjName& name, const char* textP, int rc) {
  TRACE_LINE(TRC_ENGINE, "Unable to delete temporary object: (%s)(%s)(%s)\n", name.fs, name.hl,
             name.ll);
  if (gLogP == nullptr) return;
  gLogP->LogActivityLog(MSG_TEMP_OBJECT_NOT_DELETED, name.fs, name.hl, name.ll);
  bool hasText = textP != nullptr && textP[0] != '\0';
  if (hasText || rc != RC_OK) logTextOrRcMessage(textP, rc);
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

// The index of a data filespace from the hexadecimal digits after its last delimiter; 0 when
// the name has none.
uint32_t dataFilespaceIndex(const char* fsNameP) {
  const char* lastP = strrchr(fsNameP, FS_NAME_DELIMITER[0]);
  if (lastP == nullptr) return 0;
  char* endP = nullptr;
  unsigned long index = strtoul(lastP + 1, &endP, 16);
  return endP != lastP + 1 && *endP == '\0' && index <= OBJ_NAME_MAX_INDEX
             ? static_cast<uint32_t>(index)
             : 0;
}

// The pattern of the left-overs of failed backups of the object and type in one filespace: the
// final high-level name, the low-level name with a wildcard for the identity.
int leftoverPattern(const SqlDbInfo& info, int32_t backupType, char delimiter, pelkObjName* nameP) {
  int rc =
      buildHl(nameP->hl, info.sqlDatabaseElementP->szSqlDatabaseName,
              info.sqlGroupElementP != nullptr ? info.sqlGroupElementP->szGroupName : nullptr,
              info.sqlFileElementP != nullptr ? info.sqlFileElementP->szFileLogicalName : nullptr,
              delimiter, uint32_t(backupType), nullptr);
  if (rc != RC_OK) return rc;
  snprintf(nameP->ll, sizeof nameP->ll, "%c%s.%s", delimiter, backupTypeLlNames[backupType],
           "??????????????????????");
  return RC_OK;
}

}  // namespace

// One clean-up: the objects found, and the session that queries and deletes them, which moves
// on through the run's stripe records when a call on one fails.
class CBackupDb::CCleanup {
 public:
  explicit CCleanup(CBackupDb& backup) : m_Backup(backup), m_Session(backup.stripes().begin()) {}
  void query(uint8_t objState);
  void keepYoung(int32_t olderThan);
  void deleteFound();

 private:
  pelkUint32_t handle() const { return (*m_Session)->hublorSessionInfoP->pelkHandle; }
  bool haveSession() const { return *m_Session != nullptr; }
  void nextSession() {
    if (haveSession()) ++m_Session;
  }
  void queryName(uint8_t objState, const pelkObjName& name);
  void queryWider(const pelkObjName& pattern);

  CBackupDb& m_Backup;
  CStripeRange<StripeData>::Iterator m_Session;
  MoxtarBackupList m_Found;
  char m_Text[MOXTAR_ERROR_TEXT_SIZE] = "";
};

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
  CCleanup cleanup(*this);
  cleanup.query(objState);
  // The run's own objects go whatever their age.
  if (objState != PELK_ACTIVE) cleanup.keepYoung(olderThan);
  cleanup.deleteFound();
}

// The temporary objects the clean-up may remove: with objState 1 those of the run's stripes
// that stored theirs, else the left-overs of earlier backups in the run's data filespaces and
// in the server's data filespaces above them.
void CBackupDb::CCleanup::query(uint8_t objState) {
  bool ownRun = objState == PELK_ACTIVE;
  pelkObjName pattern;
  memset(&pattern, 0, sizeof pattern);
  bool havePattern = false;
  for (StripeData* d : m_Backup.stripes()) {
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
      int rc = leftoverPattern(*m_Backup.m_SqlDbInfoP, m_Backup.m_BackupType, delimiter, &name);
      if (rc != RC_OK) {
        TRACE_LINE(TRC_ENGINE,
                   "buildHl() failed, rc = %d\nUnable to delete temporary object(s).\n  "
                   "objName.fs: %s\n",
                   rc, name.fs);
        logNotDeleted(name, nullptr, rc);
        continue;
      }
      pattern = name;
      havePattern = true;
    }
    queryName(objState, name);
  }
  if (havePattern) queryWider(pattern);
}

// Queries the objects of one name through the session, which moves on when a query fails; no
// match is no failure. Nothing found is logged when no session is left.
void CBackupDb::CCleanup::queryName(uint8_t objState, const pelkObjName& name) {
  int rc = RC_API_CALL_FAILED;
  for (; haveSession(); nextSession()) {
    agentDateTime none{};
    rc = qryBackupObjects(&m_Backup.m_ConsumerApiStatus, handle(), objState, none, name, "",
                          nullptr, &m_Found, m_Text);
    if (rc == RC_NO_BACKUP_MATCH) {
      TRACE_LINE(TRC_ENGINE, "qryBackupObjects() failed, because no match was found.\n");
    }
    if (rc == RC_OK || rc == RC_NO_BACKUP_MATCH) return;
  }
  logNotDeleted(name, m_Text, rc);
}

// A killed backup of more stripes than this one left objects in data filespaces that this run's
// stripes never reach: the server's data filespaces above the run's count are searched with the
// same pattern, so that a narrower backup removes them once they are old enough.
void CBackupDb::CCleanup::queryWider(const pelkObjName& pattern) {
  if (!haveSession()) return;
  char fsPattern[OBJ_NAME_MAX_FS_LENGTH + 1];
  if (buildFsName(fsPattern, m_Backup.m_SqlServerElementP->szSqlServerName, 1) != RC_OK) return;
  char* lastP = strrchr(fsPattern, FS_NAME_DELIMITER[0]);
  snprintf(lastP + 1, sizeof fsPattern - static_cast<size_t>(lastP + 1 - fsPattern), "*");
  MoxtarFilespaceList spaces;
  int rc = qryFilespaces(&m_Backup.m_ConsumerApiStatus, handle(), PELK_ANYMATCH, fsPattern,
                         getFsType(), nullptr, &spaces, m_Text, 0);
  if (rc != RC_OK) {
    TRACE_LINE(TRC_ENGINE, "qryFilespaces(%s) ended with rc = %d\n", fsPattern, rc);
    return;
  }
  for (qryRespFSData* spaceP = spaces.getFirst(); spaceP != nullptr;
       spaceP = spaces.getNext(spaceP)) {
    if (dataFilespaceIndex(spaceP->fsName) <= m_Backup.m_NumStripes) continue;
    pelkObjName name = pattern;
    snprintf(name.fs, sizeof name.fs, "%s", spaceP->fsName);
    queryName(PELK_ANYMATCH, name);
  }
}

// Drops from the list what an earlier backup left that must stay (see keepLeftover).
void CBackupDb::CCleanup::keepYoung(int32_t olderThan) {
  agentDateTime now;
  dateGetNow(&now);
  for (qryRespBackupData* p = m_Found.getFirst(); p != nullptr;) {
    qryRespBackupData* nextP = m_Found.getNext(p);
    if (keepLeftover(*p, m_Backup.m_ZarnakObjId, olderThan, now)) {
      TRACE_LINE(TRC_ENGINE,
                 "Skipping temporary data object deletion, not 'older than'...\n  "
                 "moxtarInfoP->objname.fs: %s\n  moxtarInfoP->objName.hl: %s\n  "
                 "moxtarInfoP->objName.ll: %s\n",
                 p->objName.fs, p->objName.hl, p->objName.ll);
      m_Found.remove(p);
    }
    p = nextP;
  }
}

// Deletes the objects found through the session, on the next one when a deletion fails; what
// no session could delete is written to the activity log.
void CBackupDb::CCleanup::deleteFound() {
  int rc = RC_OK;
  for (; m_Found.getCount() > 0 && haveSession(); nextSession()) {
    uint32_t deleted = 0;
    rc = deleteBackupObjects(&m_Backup.m_ConsumerApiStatus, handle(), nullptr, &m_Found, &deleted,
                             m_Text);
    if (rc == RC_OK) return;
    TRACE_LINE(TRC_ENGINE,
               "deleteBackupObjects( %#x ) failed, rc = %d, msg =%s\n numObjDeleted: %u\n",
               handle(), rc, m_Text, deleted);
    // What the failed attempt removed is gone: only the rest is tried again.
    for (uint32_t n = 0; n < deleted && m_Found.getFirst() != nullptr; n++)
      m_Found.remove(m_Found.getFirst());
  }
  for (qryRespBackupData* p = m_Found.getFirst(); p != nullptr; p = m_Found.getNext(p)) {
    logNotDeleted(p->objName, m_Text, rc);
  }
}
