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

// The query session moves on through the run's stripe records when one fails.
class CCleanupSessions {
 public:
  explicit CCleanupSessions(CStripeRange<StripeData> stripes) : m_At(stripes.begin()) {}
  StripeData* current() const { return *m_At; }
  void next() {
    if (current() != nullptr) ++m_At;
  }

 private:
  CStripeRange<StripeData>::Iterator m_At;
};

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

// Queries the objects of one name through the query session, which moves on when a query
// fails; no match is no failure. Nothing found is logged when no session is left.
void queryLeftovers(CCleanupSessions& sessions, DPelkApiStatus* statusP, uint8_t objState,
                    const pelkObjName& name, MoxtarBackupList* foundP, char* textP) {
  int rc = RC_API_CALL_FAILED;
  while (sessions.current() != nullptr) {
    agentDateTime none{};
    rc = qryBackupObjects(statusP, sessions.current()->hublorSessionInfoP->pelkHandle, objState,
                          none, name, "", nullptr, foundP, textP);
    if (rc == RC_NO_BACKUP_MATCH) {
      TRACE_LINE(TRC_ENGINE, "qryBackupObjects() failed, because no match was found.\n");
    }
    if (rc == RC_OK || rc == RC_NO_BACKUP_MATCH) return;
    sessions.next();
  }
  logNotDeleted(name, textP, rc);
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

// A killed backup of more stripes than this one left objects in data filespaces that this run's
// stripes never reach: the server's data filespaces above the run's count are searched with the
// same pattern, so that a narrower backup removes them once they are old enough.
void findWiderLeftovers(CCleanupSessions& sessions, DPelkApiStatus* statusP,
                        const char* serverNameP, uint32_t numStripes, const pelkObjName& pattern,
                        MoxtarBackupList* foundP, char* textP) {
  if (sessions.current() == nullptr) return;
  char fsPattern[OBJ_NAME_MAX_FS_LENGTH + 1];
  if (buildFsName(fsPattern, serverNameP, 1) != RC_OK) return;
  char* lastP = strrchr(fsPattern, FS_NAME_DELIMITER[0]);
  snprintf(lastP + 1, sizeof fsPattern - static_cast<size_t>(lastP + 1 - fsPattern), "*");
  MoxtarFilespaceList spaces;
  int rc = qryFilespaces(statusP, sessions.current()->hublorSessionInfoP->pelkHandle, PELK_ANYMATCH,
                         fsPattern, getFsType(), nullptr, &spaces, textP, 0);
  if (rc != RC_OK) {
    TRACE_LINE(TRC_ENGINE, "qryFilespaces(%s) ended with rc = %d\n", fsPattern, rc);
    return;
  }
  for (qryRespFSData* spaceP = spaces.getFirst(); spaceP != nullptr;
       spaceP = spaces.getNext(spaceP)) {
    if (dataFilespaceIndex(spaceP->fsName) <= numStripes) continue;
    pelkObjName name = pattern;
    snprintf(name.fs, sizeof name.fs, "%s", spaceP->fsName);
    queryLeftovers(sessions, statusP, PELK_ANYMATCH, name, foundP, textP);
  }
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
  CCleanupSessions sessions(stripes());
  MoxtarBackupList found;
  char text[MOXTAR_ERROR_TEXT_SIZE] = "";
  queryCleanup(sessions, objState, &found, text);
  // The run's own objects go whatever their age.
  if (objState != PELK_ACTIVE) keepYoungLeftovers(olderThan, &found);
  deleteLeftovers(sessions, &found, text);
}

// The temporary objects the clean-up may remove: with objState 1 those of the run's stripes
// that stored theirs, else the left-overs of earlier backups in the run's data filespaces and
// in the server's data filespaces above them.
void CBackupDb::queryCleanup(CCleanupSessions& sessions, uint8_t objState, MoxtarBackupList* foundP,
                             char* textP) {
  bool ownRun = objState == PELK_ACTIVE;
  pelkObjName pattern;
  memset(&pattern, 0, sizeof pattern);
  bool havePattern = false;
  for (StripeData* d : stripes()) {
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
      int rc = leftoverPattern(*m_SqlDbInfoP, m_BackupType, delimiter, &name);
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
    queryLeftovers(sessions, &m_ConsumerApiStatus, objState, name, foundP, textP);
  }
  if (havePattern) {
    findWiderLeftovers(sessions, &m_ConsumerApiStatus, m_SqlServerElementP->szSqlServerName,
                       m_NumStripes, pattern, foundP, textP);
  }
}

// Drops from the list what an earlier backup left that must stay (see keepLeftover).
void CBackupDb::keepYoungLeftovers(int32_t olderThan, MoxtarBackupList* foundP) {
  agentDateTime now;
  dateGetNow(&now);
  for (qryRespBackupData* p = foundP->getFirst(); p != nullptr;) {
    qryRespBackupData* nextP = foundP->getNext(p);
    if (keepLeftover(*p, m_ZarnakObjId, olderThan, now)) {
      TRACE_LINE(TRC_ENGINE,
                 "Skipping temporary data object deletion, not 'older than'...\n  "
                 "moxtarInfoP->objname.fs: %s\n  moxtarInfoP->objName.hl: %s\n  "
                 "moxtarInfoP->objName.ll: %s\n",
                 p->objName.fs, p->objName.hl, p->objName.ll);
      foundP->remove(p);
    }
    p = nextP;
  }
}

// Deletes the list's objects through the query session, on the next one when a deletion
// fails; what no session could delete is written to the activity log.
void CBackupDb::deleteLeftovers(CCleanupSessions& sessions, MoxtarBackupList* foundP, char* textP) {
  int rc = RC_OK;
  while (foundP->getCount() > 0 && sessions.current() != nullptr) {
    uint32_t deleted = 0;
    rc = deleteBackupObjects(&m_ConsumerApiStatus,
                             sessions.current()->hublorSessionInfoP->pelkHandle, nullptr, foundP,
                             &deleted, textP);
    if (rc == RC_OK) return;
    TRACE_LINE(TRC_ENGINE,
               "deleteBackupObjects( %#x ) failed, rc = %d, msg =%s\n numObjDeleted: %u\n",
               sessions.current()->hublorSessionInfoP->pelkHandle, rc, textP, deleted);
    // What the failed attempt removed is gone: only the rest is tried again.
    for (uint32_t n = 0; n < deleted && foundP->getFirst() != nullptr; n++)
      foundP->remove(foundP->getFirst());
    sessions.next();
  }
  for (qryRespBackupData* p = foundP->getFirst(); p != nullptr; p = foundP->getNext(p)) {
    logNotDeleted(p->objName, textP, rc);
  }
}
