// Queries of backup objects and filespaces into the caller's lists.
#include <cstring>

#include "agtlog.h"
#include "agtrc.h"
#include "agttrc.h"
#include "baseeri.h"
#include "moxtarutil.h"
#include "pelkapi.h"

namespace {

constexpr int kMsgEmptyAnswer = 5460;

// What one of the query routines asks and what it keeps.
template <class Response>
struct QueryRun {
  pelkUint8_t queryType;
  void* queryP;              // the interface's query record
  pelkUint16_t respVersion;  // the version of the response records asked for
  int noMatchRc;             // 112 or 113
  bool (*keepP)(const Response* respP, const void* filterP);  // null: keep every answer
  const void* filterP;
};

template <class Response>
struct QueryContext {
  const QueryRun<Response>* runP;
  CLinkedList<Response>* listP;
};

template <class Response>
int takeAnswer(void* respP, void* contextP) {
  QueryContext<Response>* contextOfP = static_cast<QueryContext<Response>*>(contextP);
  const QueryRun<Response>& run = *contextOfP->runP;
  const Response* answerP = static_cast<const Response*>(respP);
  if (run.keepP != nullptr && !run.keepP(answerP, run.filterP)) {
    TRACE_LINE(TRC_API, "Ignoring non-matching filespace.\n");
    return RC_OK;
  }
  return contextOfP->listP->addTail(answerP);
}

// Runs the query and turns its codes into the routines' result: no answer at all is 112 or
// 113; the first failure's text stays in the error buffer.
template <class Response>
int runQuery(DPelkApiStatus* statusP, pelkUint32_t handle, const QueryRun<Response>& run,
             uint32_t* cancelP, CLinkedList<Response>* listP, char* errorTextP) {
  errorTextP[0] = '\0';
  uint32_t countAtEntry = listP->getCount();
  Response response;
  QueryContext<Response> context{&run, listP};
  MoxtarQuery query{run.queryType,   run.queryP,           &response, sizeof response,
                    run.respVersion, takeAnswer<Response>, &context,  cancelP};
  MoxtarQueryCodes codes;
  moxtarRunQuery(statusP, handle, query, &codes);
  auto noMatch = [](int16_t code) {
    return code == PELK_RC_NO_MATCH || code == PELK_RC_FS_NOT_KNOWN;
  };
  int rc = RC_OK;
  if (codes.beginRc != PELK_RC_OK) {
    if (noMatch(codes.beginRc)) return run.noMatchRc;
    return moxtarApiFailure(statusP, errorTextP, handle, codes.beginRc, "dpelkBeginQuery");
  }
  if (codes.takeRc != RC_OK) {
    rc = codes.takeRc;
  } else if (noMatch(codes.answersRc)) {
    rc = run.noMatchRc;
  } else if (codes.answersRc != PELK_RC_FINISHED && codes.answersRc != PELK_RC_OK) {
    rc = moxtarApiFailure(statusP, errorTextP, handle, codes.answersRc, "dpelkGetNextQObj");
  }
  bool cancelled = eriIsCancelled(cancelP) != 0;
  if (rc == RC_OK && !cancelled && listP->getCount() <= countAtEntry) {
    TRACE_LINE(TRC_API, "%s\n",
               run.noMatchRc == RC_NO_FILESPACE_MATCH ? "No matching filespaces found."
                                                      : "No matching backup objects found.");
    rc = run.noMatchRc;
  }
  if (codes.endRc != PELK_RC_OK && rc == RC_OK) {
    rc = moxtarApiFailure(statusP, errorTextP, handle, codes.endRc, "dpelkEndQuery");
  }
  if (rc == RC_OK && cancelled) rc = RC_CANCELED_BY_USER;
  return rc;
}

void traceBackupList(MoxtarBackupList* listP) {
  if (!gTrace.isOn(TRC_API)) return;
  for (qryRespBackupData* respP = listP->getFirst(); respP != nullptr;
       respP = listP->getNext(respP)) {
    TRACE_LINE(TRC_API, "  %s%s%s state %u id %u.%u\n", respP->objName.fs, respP->objName.hl,
               respP->objName.ll, respP->objState, respP->objId.hi, respP->objId.lo);
  }
}

struct FilespaceFilter {
  const char* patternP;
  const char* typeP;
  uint32_t caseSensitive;
};

bool keepFilespace(const qryRespFSData* respP, const void* filterP) {
  const FilespaceFilter* filter = static_cast<const FilespaceFilter*>(filterP);
  return std::strcmp(respP->fsType, filter->typeP) == 0 &&
         patternMatch(filter->patternP, respP->fsName, filter->caseSensitive) == 1;
}

}  // namespace

void moxtarRunQuery(DPelkApiStatus* statusP, pelkUint32_t pelkHandle, const MoxtarQuery& query,
                    MoxtarQueryCodes* codesP) {
  std::memset(codesP, 0, sizeof *codesP);
  if (eriIsCancelled(query.cancelP)) return;
  codesP->beginRc =
      DPelkApi::dpelkBeginQuery(gPelkApiObjP, statusP, pelkHandle, query.queryType, query.queryP);
  if (codesP->beginRc != PELK_RC_OK) return;
  int16_t apiRc = PELK_RC_MORE_DATA;
  while (codesP->takeRc == RC_OK && apiRc == PELK_RC_MORE_DATA && !eriIsCancelled(query.cancelP)) {
    std::memset(query.respP, 0, query.respSize);
    std::memcpy(query.respP, &query.respVersion, sizeof query.respVersion);
    DataBlk block;
    std::memset(&block, 0, sizeof block);
    block.stVersion = PELK_DATABLK_VERSION;
    block.bufferLen = query.respSize;
    block.bufferPtr = static_cast<char*>(query.respP);
    apiRc = DPelkApi::dpelkGetNextQObj(gPelkApiObjP, statusP, pelkHandle, &block);
    if (apiRc != PELK_RC_MORE_DATA) break;
    // An answer promised with no record filled would be listed as a backup of nothing.
    if (block.numBytes == 0) {
      TRACE_LINE(TRC_API, "dpelkGetNextQObj promised an answer and filled no record.\n");
      codesP->takeRc = RC_API_CALL_FAILED;
      if (gLogP != nullptr) gLogP->LogActivityLog(kMsgEmptyAnswer);
      break;
    }
    codesP->takeRc = query.takeP(query.respP, query.contextP);
  }
  codesP->answersRc = apiRc == PELK_RC_MORE_DATA ? 0 : apiRc;
  codesP->endRc = DPelkApi::dpelkEndQuery(gPelkApiObjP, statusP, pelkHandle);
  if (codesP->endRc != PELK_RC_OK) {
    char localText[MOXTAR_ERROR_TEXT_SIZE];
    moxtarApiFailure(statusP, localText, pelkHandle, codesP->endRc, "dpelkEndQuery");
  }
}

int qryActiveBackupObjects(DPelkApiStatus* statusP, pelkUint32_t pelkHandle, pelkObjName objName,
                           uint32_t* cancelP, MoxtarBackupList* listP, char* errorTextP) {
  TRACE_ENTRY(TRC_API, "qryActiveBackupObjects()");
  TRACE_LINE(TRC_API,
             "  pelkHandle: %u\n  objName   : %s%s%s\n  count     : %u\n"
             "  cancel    : %s\n",
             pelkHandle, objName.fs, objName.hl, objName.ll, listP->getCount(),
             eriIsCancelled(cancelP) ? "True" : "False");
  qryActiveBackupData query;
  std::memset(&query, 0, sizeof query);
  query.stVersion = PELK_QRYACTIVEBACKUP_VERSION;
  query.objName = &objName;
  QueryRun<qryRespBackupData> run{PELK_QRY_ACTIVE_BACKUP, &query,  1,
                                  RC_NO_BACKUP_MATCH,     nullptr, nullptr};
  int rc = runQuery(statusP, pelkHandle, run, cancelP, listP, errorTextP);
  traceBackupList(listP);
  TRACE_RETURN(rc);
}

int qryBackupObjects(DPelkApiStatus* statusP, pelkUint32_t pelkHandle, uint8_t objState,
                     agentDateTime pointInTime, pelkObjName objName, const char* ownerP,
                     uint32_t* cancelP, MoxtarBackupList* listP, char* errorTextP) {
  TRACE_ENTRY(TRC_API, "qryBackupObjects()");
  TRACE_LINE(TRC_API,
             "  pelkHandle: %u\n  objState  : %u\n  objName   : %s%s%s\n"
             "  owner     : %s\n  count     : %u\n  cancel    : %s\n",
             pelkHandle, objState, objName.fs, objName.hl, objName.ll,
             ownerP != nullptr ? ownerP : "<NULL>", listP->getCount(),
             eriIsCancelled(cancelP) ? "True" : "False");
  qryBackupData query;
  std::memset(&query, 0, sizeof query);
  query.stVersion = PELK_QRYBACKUP_VERSION;
  query.objName = &objName;
  query.owner = const_cast<char*>(ownerP);
  query.objState = objState;
  query.pitDate.year = dateYear(&pointInTime);
  query.pitDate.month = pointInTime.month;
  query.pitDate.day = pointInTime.day;
  query.pitDate.hour = pointInTime.hour;
  query.pitDate.minute = pointInTime.minute;
  query.pitDate.second = pointInTime.second;
  QueryRun<qryRespBackupData> run{PELK_QRY_BACKUP,    &query,  PELK_QRYRESPBACKUP_VERSION,
                                  RC_NO_BACKUP_MATCH, nullptr, nullptr};
  int rc = runQuery(statusP, pelkHandle, run, cancelP, listP, errorTextP);
  traceBackupList(listP);
  TRACE_RETURN(rc);
}

int qryFilespaces(DPelkApiStatus* statusP, pelkUint32_t pelkHandle, uint8_t objState,
                  const char* fsPatternP, const char* fsTypeP, uint32_t* cancelP,
                  MoxtarFilespaceList* listP, char* errorTextP, uint32_t caseSensitive) {
  TRACE_ENTRY(TRC_API, "qryFilespaces()");
  TRACE_LINE(TRC_API,
             "  pelkHandle: %u\n  objState  : %u\n  pattern   : %s\n  fsType    : %s\n"
             "  count     : %u\n  cancel    : %s\n",
             pelkHandle, objState, fsPatternP, fsTypeP, listP->getCount(),
             eriIsCancelled(cancelP) ? "True" : "False");
  qryFSData query;
  std::memset(&query, 0, sizeof query);
  query.stVersion = PELK_QRYFS_VERSION;
  bool wildcard = std::strchr(fsPatternP, '*') != nullptr;
  query.fsName = const_cast<char*>(wildcard ? "*" : fsPatternP);
  FilespaceFilter filter{fsPatternP, fsTypeP, caseSensitive};
  QueryRun<qryRespFSData> run{PELK_QRY_FILESPACE,    &query,        PELK_QRYRESPFS_VERSION,
                              RC_NO_FILESPACE_MATCH, keepFilespace, &filter};
  int rc = runQuery(statusP, pelkHandle, run, cancelP, listP, errorTextP);
  TRACE_RETURN(rc);
}
