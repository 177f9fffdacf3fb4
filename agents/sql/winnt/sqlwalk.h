// Walks over a database element's groups and a group's files. A database's groups follow its
// first group in the group list (which databases may share), a group's files its first file in
// the file list; a walk stops at the first element of another owner, or at the first visit
// that returns a code other than 0, and returns that code.
#pragma once

#include "agtrc.h"
#include "sqltypes.h"

template <class Visit>
int sqlForEachGroup(const SqlDatabaseElement* dbP, Visit visit) {
  CLinkedList<SqlGroupElement>* listP = dbP->pDbGroupList;
  for (SqlGroupElement* groupP = dbP->peDbFirstGroup;
       groupP != nullptr && groupP->peGroupDatabase == dbP; groupP = listP->getNext(groupP)) {
    int rc = visit(groupP);
    if (rc != RC_OK || listP == nullptr) return rc;
  }
  return RC_OK;
}

template <class Visit>
int sqlForEachGroupFile(const SqlDatabaseElement* dbP, const SqlGroupElement* groupP, Visit visit) {
  CLinkedList<SqlFileElement>* listP = dbP->pDbFileList;
  for (SqlFileElement* fileP = groupP->peGroupFirstFile;
       fileP != nullptr && fileP->peFileGroup == groupP; fileP = listP->getNext(fileP)) {
    int rc = visit(fileP);
    if (rc != RC_OK || listP == nullptr) return rc;
  }
  return RC_OK;
}
