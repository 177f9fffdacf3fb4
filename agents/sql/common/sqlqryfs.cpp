// The filespace query of the SQL agent.
#include "sqlqryfs.h"

#include <cstdio>
#include <cstring>

#include "agttrc.h"

namespace {

struct DateText {
  char text[32];  // room for any value of each field
};
DateText dateText(const pelkDate& date) {
  DateText out;
  std::snprintf(out.text, sizeof out.text, "%04u-%02u-%02u %02u:%02u:%02u", date.year, date.month,
                date.day, date.hour, date.minute, date.second);
  return out;
}

}  // namespace

DSqlQueryFilespaceEri::DSqlQueryFilespaceEri(DSqlQueryFilespaceParms* parmsP)
    : DPelkQueryFilespaceEri(m_FsSpec, getFsType(), parmsP != nullptr ? parmsP->fsListP : nullptr) {
  TRACE_ENTRY(TRC_ERI, "DSqlQueryFilespaceEri::DSqlQueryFilespaceEri()");
  if (m_fsListP == nullptr) m_fsListP = &m_OwnList;
  int rc = buildFsName(m_FsSpec, parmsP != nullptr ? parmsP->sqlServerName : "", 0);
  if (parmsP == nullptr || rc != RC_OK) {
    putRcMessage(parmsP == nullptr ? RC_INTERNAL_ERROR : rc);
    m_fsnameSpecP = nullptr;
  }
}

int DSqlQueryFilespaceEri::ProcessRequestDetails() {
  TRACE_ENTRY(TRC_ERI, "DSqlQueryFilespaceEri::ProcessRequestDetails()");
  int rc = DPelkQueryFilespaceEri::ProcessRequestDetails();
  if (rc != RC_OK) {
    TRACE_LINE(TRC_ERI, "DPelkQueryFilespaceEri::ProcessRequestDetails returned with %d, msg(%s)\n",
               rc, m_ErrorTextP);
  } else {
    for (qryRespFSData* fsP = m_fsListP->getFirst(); fsP != nullptr;
         fsP = m_fsListP->getNext(fsP)) {
      TRACE_LINE(TRC_ERI, "Filespace %s, type %s, backup started %s, completed %s\n", fsP->fsName,
                 fsP->fsType, dateText(fsP->backStartDate).text,
                 dateText(fsP->backCompleteDate).text);
    }
  }
  m_OwnList.freeAll();
  TRACE_RETURN(rc);
}

int comparePelkRespFSDataFsname(qryRespFSData* aP, qryRespFSData* bP) {
  return std::strcmp(aP->fsName, bP->fsName);
}

const char* getPelkRespFSDataFsname(qryRespFSData* respP) {
  return respP->fsName;
}
