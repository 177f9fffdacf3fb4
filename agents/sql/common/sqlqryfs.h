// The filespace query of the SQL agent: the "meta" filespaces that the agent has registered for
// one SQL Server, or with a wildcard server name for every server, of the agent's filespace
// type. The windowed program learns from them which servers have backups (extractServerName
// reads the server back from each name).
#pragma once

#include <cstdint>

#include "eriparms.h"
#include "objname.h"
#include "pelkqueryeri.h"

class DSqlQueryFilespaceEri : public DPelkQueryFilespaceEri {
 public:
  // The filespace pattern is <server>\meta\0000; when it cannot be built (a server name too long)
  // the code's message goes into the request's message buffer and the query runs without one.
  explicit DSqlQueryFilespaceEri(DSqlQueryFilespaceParms* parmsP);

  // The filespace query into the caller's list, or into a list of the request's own that is
  // freed afterwards; every filespace found is traced. 0 or the base query's code.
  int ProcessRequestDetails() override;

 protected:
  char m_FsSpec[OBJ_NAME_MAX_FS_LENGTH + 1];
  MoxtarFilespaceList m_OwnList;
};

// Orders two filespace responses by filespace name, exact case: <0, 0 or >0.
int comparePelkRespFSDataFsname(qryRespFSData* aP, qryRespFSData* bP);
// The filespace name of a filespace response (a pointer into the response).
const char* getPelkRespFSDataFsname(qryRespFSData* respP);
