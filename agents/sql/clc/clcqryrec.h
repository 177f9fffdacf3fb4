// The record of a query of stored backups as the storage-side commands (Query HUBLOR with an
// object type, INACTIVate) fill it from the options record, with the name lists it points to.
#pragma once

#include <cstdio>
#include <list>

#include "clc.h"
#include "eriqryparms.h"

// The request's copies of the option lists and the lists the query fills; they live as long as
// the record that points at them.
struct ClcQueryLists {
  EriNameList dbNames;
  EriNameList secondNames;  // group or file names
  EriObjectNameList patterns;
  EriObjectNameList objectNames;  // log or set names
  CLinkedList<SqlHublorDbElement> dbElems;
  CLinkedList<SqlMetaGroupInfo> groups;
  CLinkedList<SqlMetaFileInfo> files;
  // The group and file lists of each backup whose file information is read on its own.
  std::list<CLinkedList<SqlMetaGroupInfo>> ownGroups;
  std::list<CLinkedList<SqlMetaFileInfo>> ownFiles;
};

// Fills the query record for the run's command (Query HUBLOR 63-70, INACTIVate 47-53 or Restore
// 72-77). The database elements and their lists are asked for only by Query HUBLOR. 0, or 421.
int clcFillQuery(ClcRun* runP, DSqlQueryBackupParms* parmsP, ClcQueryLists* listsP);

// Copies the names of an option list into a request list; 0, or the list's code.
template <class To, class From>
int clcCopyNames(CLinkedList<From>& fromR, CLinkedList<To>* toP) {
  for (From* nameP = fromR.getFirst(); nameP != nullptr; nameP = fromR.getNext(nameP)) {
    To entry{};
    std::snprintf(entry.szName, sizeof entry.szName, "%s", nameP->szName);
    int rc = toP->addTail(&entry);
    if (rc != RC_OK) return rc;
  }
  return RC_OK;
}
