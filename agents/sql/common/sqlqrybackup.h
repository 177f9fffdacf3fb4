// The query of stored backups: the backups of one SQL Server that the storage server holds,
// selected by database name, backup type, group or logical file name, time and process, and
// state (active only, or any). Each backup is listed once, as its meta-data object, in the
// caller's qryBuListP, sorted by database name and backup time, with a summary per database.
// It is the base of the inactivation and the restore requests, which run this query and then
// work on its result.
//
// Threads: runs on its caller's thread; only its cancel flag is written by another. The
// time-and-process patterns are matched in exact case with the request's own case mode.
#pragma once

#include <cstdint>

#include "eriqryparms.h"
#include "objname.h"
#include "pelkqueryeri.h"

// Code of ProcessQueryData that keeps an answer.
constexpr uint32_t ERI_KEEP_ENTRY = 601;

class DSqlQueryBackupEri : public DPelkQueryBackupEri {
 public:
  // Takes the query criteria and the server name from the record, which the caller keeps for
  // the request's life. A server name that makes the filespace name too long leaves its
  // message in the request's message buffer and the query without a filespace pattern.
  explicit DSqlQueryBackupEri(DSqlQueryBackupParms* parmsP);
  ~DSqlQueryBackupEri() override;

  // 0 or 419 (trace text) when the session, the database names or the result list is missing,
  // or, when only file information is asked for, when the list is empty or an entry has no
  // database element.
  int PreConditionCheck();
  // Queries, filters, sorts and summarises; with bFileInfo reads the file information of the
  // backups into the lists of their database elements (with bFileInfo alone, only that, for the
  // backups already in qryBuListP). 0, 114 when nothing was found (its message in the request's
  // message buffer), 1316, 419, the code of the file information's reading (402 when some
  // backup's could not be read, 415, 418), or the storage server's code.
  int ProcessRequestDetails() override;
  // The query above, for the requests built on this one that query before they act: it is
  // what ProcessRequestDetails runs, whatever a derived request makes of that.
  int queryStoredBackups();
  // ERI_KEEP_ENTRY when the answer's time-and-process name matches a pattern of
  // objectPatternListP (or there is none), else 0.
  uint32_t ProcessQueryData(qryRespBackupData* respP) override;

 protected:
  // As above, with the backup type asked for (ERI_QRY_*) given in place of the record's.
  DSqlQueryBackupEri(DSqlQueryBackupParms* parmsP, uint32_t qryCommand);
  int buildObjectNames();
  int addObjectName(const char* dbNameP, const char* secondNameP);
  // Moves the answers of the base query into qryBuListP as backup entries.
  int takeAnswers();
  MoxtarMetaInfo* firstAdded();
  uint32_t addedCount();
  void sortAdded();
  void removeDuplicates();
  int addDatabaseElements();
  int summarise();
  int nothingFound();
  int readFileInfo();

  DSqlQueryBackupParms* m_QueryParmsP;
  char m_ServerName[ERI_SQL_SERVER_NAME_SIZE];
  char m_FsSpec[OBJ_NAME_MAX_FS_LENGTH + 1];
  uint32_t m_BackupType;
  ObjNameList m_ObjNames;          // the names the base query asks for
  EriNameList m_OwnSecondNames;    // copies of the log and set names, or empty
  EriNameList* m_SecondNamesP;     // the group or file names, or m_OwnSecondNames
  EriObjectNameList m_NoPatterns;  // stands for an absent pattern list
  EriObjectNameList* m_PatternsP;  // objectPatternListP or m_NoPatterns
  MoxtarBackupList m_Answers;      // the base query's answers until they are taken
  MoxtarMetaInfo* m_LastBeforeP;   // the last entry of qryBuListP before the query, or null
  uint32_t m_CountBefore;
};

// Orders of backup entries: by database name (without regard to case), by backup time (oldest
// first), and by both. <0, 0 or >0.
int comparePelkRespDbname(MoxtarMetaInfo* aP, MoxtarMetaInfo* bP);
int compareQryRespBackupDateAscend(MoxtarMetaInfo* aP, MoxtarMetaInfo* bP);
int comparePelkRespDbnameBackupDate(MoxtarMetaInfo* aP, MoxtarMetaInfo* bP);

// The query type (ERI_QRY_*) of an inactivation command of one backup type; 0 for any other
// command.
uint32_t eriInactivationQueryType(uint32_t command);

// The identity stored in an answer's attributes.
zarnakObjId eriAnswerObjId(const qryRespBackupData& resp);
// An answer's time-and-process name, e.g. "20010405114102\000004D2"; textP holds
// ERI_OBJECT_NAME_SIZE bytes.
char* eriTimeProcessName(const qryRespBackupData& resp, char* textP);
