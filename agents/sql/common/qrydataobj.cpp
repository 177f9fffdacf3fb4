#include "qrydataobj.h"

#include <cstring>

#include "agttrc.h"
#include "objname.h"

namespace {

class CDataObjectQuery {
 public:
  CDataObjectQuery(DPelkApiStatus* statusP, MoxtarMetaInfo* metaP, uint32_t* cancelledP,
                   pelkUint32_t handle, MoxtarBackupList* listP, char* errorTextP)
      : m_StatusP(statusP),
        m_MetaP(metaP),
        m_CancelledP(cancelledP),
        m_Handle(handle),
        m_ListP(listP),
        m_ErrorTextP(errorTextP) {}

  // One pass over every stripe with the meta-data object's state.
  int pass() {
    m_EntryCount = m_ListP->getCount();
    m_EntryLastP = m_ListP->getLast();
    objInfo meta;
    int rc = objInfoFromResp(*m_MetaP, OBJINFO_META_SIZE, &meta);
    if (rc != RC_OK) {
      TRACE_LINE(TRC_ENGINE, "The meta data object's attributes are damaged.\n");
      return rc;
    }
    m_Id = meta.id;
    rc = extractServerName(m_MetaP->objName.fs, m_ServerName);
    // The second pass looks at every stripe, so that the list shows all it found; a stripe
    // without its one object still makes the backup corrupt.
    bool stripeMissed = false;
    for (uint32_t stripe = 1; rc == RC_OK && stripe <= meta.numStripes; stripe++) {
      rc = queryStripe(stripe);
      if (rc != RC_CORRUPT_BACKUP || !secondPass()) continue;
      stripeMissed = true;
      rc = RC_OK;
    }
    if (rc == RC_OK && (stripeMissed || m_ListP->getCount() - m_EntryCount != meta.numStripes)) {
      TRACE_LINE(TRC_ENGINE, "A corrunt backup has been detected!\n");
      rc = RC_CORRUPT_BACKUP;
    }
    if (rc == RC_CORRUPT_BACKUP && secondPass()) return rc;
    if (rc != RC_OK) removeAppended();
    return rc;
  }

  bool secondPass() const { return m_MetaP->objState == PELK_ANYMATCH; }

 private:
  int queryStripe(uint32_t stripe) {
    pelkObjName name;
    memset(&name, 0, sizeof name);
    int rc = buildFsName(name.fs, m_ServerName, stripe);
    if (rc != RC_OK) return rc;
    memcpy(name.hl, m_MetaP->objName.hl, sizeof name.hl);
    memcpy(name.ll, m_MetaP->objName.ll, sizeof name.ll);
    name.objType = PELK_OBJ_FILE;
    uint32_t countBefore = m_ListP->getCount();
    MoxtarDbInfo* lastP = m_ListP->getLast();
    agentDateTime none{};
    rc = qryBackupObjects(m_StatusP, m_Handle, m_MetaP->objState, none, name, m_MetaP->owner,
                          m_CancelledP, m_ListP, m_ErrorTextP);
    if (rc == RC_NO_BACKUP_MATCH) {
      TRACE_LINE(TRC_ENGINE, "Data object not found!\n");
      return RC_CORRUPT_BACKUP;
    }
    if (rc != RC_OK) return rc;
    dropUnassociated(lastP);
    return judge(countBefore);
  }

  // Removes the appended objects that belong to another backup (or whose attributes cannot
  // be read).
  void dropUnassociated(MoxtarDbInfo* lastP) {
    MoxtarDbInfo* p = lastP != nullptr ? m_ListP->getNext(lastP) : m_ListP->getFirst();
    while (p != nullptr) {
      objInfo info;
      if (objInfoFromResp(*p, OBJINFO_DATA_SIZE, &info) == RC_OK &&
          compareZarnakObjIds(info.id, m_Id) == 0) {
        p = m_ListP->getNext(p);
        continue;
      }
      TRACE_LINE(TRC_ENGINE, "Removing unassociated data object.\n");
      p = m_ListP->remove(p);
    }
  }

  int judge(uint32_t countBefore) {
    uint32_t count = m_ListP->getCount();
    if (count < countBefore) {
      TRACE_LINE(TRC_ENGINE, "Removed too many data objects from the list!\n");
      return RC_INTERNAL_ERROR;
    }
    if (count == countBefore) {
      TRACE_LINE(TRC_ENGINE, "Data object not found!\n");
      return RC_CORRUPT_BACKUP;
    }
    if (count > countBefore + 1) {
      TRACE_LINE(TRC_ENGINE, "Multiple data objects were found!\n");
      return RC_CORRUPT_BACKUP;
    }
    return RC_OK;
  }

  void removeAppended() {
    MoxtarDbInfo* p =
        m_EntryLastP != nullptr ? m_ListP->getNext(m_EntryLastP) : m_ListP->getFirst();
    while (p != nullptr) {
      TRACE_LINE(TRC_ENGINE, "Removing data object because an error was detected.\n");
      p = m_ListP->remove(p);
    }
  }

  DPelkApiStatus* m_StatusP;
  MoxtarMetaInfo* m_MetaP;
  uint32_t* m_CancelledP;
  pelkUint32_t m_Handle;
  MoxtarBackupList* m_ListP;
  char* m_ErrorTextP;
  uint32_t m_EntryCount = 0;
  MoxtarDbInfo* m_EntryLastP = nullptr;
  zarnakObjId m_Id{};
  char m_ServerName[OBJ_NAME_MAX_SERVER_LENGTH + 1] = "";
};

}  // namespace

int qryDataObjects(DPelkApiStatus* apiStatusP, MoxtarMetaInfo* moxtarMetaInfo, uint32_t* cancelled,
                   pelkUint32_t pelkHandle, MoxtarBackupList* moxtarInfoList,
                   char* moxtarErrorMsg) {
  TRACE_ENTRY(TRC_ENGINE, "qryDataObjects()");
  moxtarErrorMsg[0] = '\0';
  CDataObjectQuery query(apiStatusP, moxtarMetaInfo, cancelled, pelkHandle, moxtarInfoList,
                         moxtarErrorMsg);
  int rc = query.pass();
  if (rc != RC_CORRUPT_BACKUP || query.secondPass()) TRACE_RETURN(rc);
  uint8_t state = moxtarMetaInfo->objState;
  moxtarMetaInfo->objState = PELK_ANYMATCH;
  rc = query.pass();
  moxtarMetaInfo->objState = state;
  TRACE_RETURN(rc);
}
