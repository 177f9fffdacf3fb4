// The record of a query of stored backups as the storage-side commands (Query HUBLOR with an
// object type, INACTIVate) fill it from the options record, with the name lists it points to.
#pragma once

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

// Fills the query record for the run's command (Query HUBLOR 63-70 or INACTIVate 47-53). The
// database elements and their lists are asked for only by Query HUBLOR. 0, or 421.
int clcFillQuery(ClcRun* runP, DSqlQueryBackupParms* parmsP, ClcQueryLists* listsP);
