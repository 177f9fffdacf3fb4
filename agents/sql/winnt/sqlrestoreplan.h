// What one RESTORE statement says, decided from the restore's settings, the stored backup
// (its high-level and low-level names) and the restore selection of its database record:
// LOG or DATABASE, the target name, the FILEGROUP and FILE items, the devices, and the rules
// for DBO_ONLY/RESTRICTED_USER, PARTIAL, MOVE, the recovery state and the stop clauses.
#pragma once

#include <cstdint>

#include "sqloprec.h"
#include "sqlqbentry.h"
#include "sqlstmt.h"

class CSqlRestorePlan {
 public:
  CSqlRestorePlan() = default;
  CSqlRestorePlan(const CSqlRestorePlan&) = delete;
  CSqlRestorePlan& operator=(const CSqlRestorePlan&) = delete;

  // Fills m_Statement; the device list must be filled before (sqlCollectDevices on
  // m_Devices). dbP may be null: no selection. 0, or 421 when a list cannot grow.
  int build(const SqlRestoreParameters& parms, long lSqlVersionMajor, const char* hlP,
            const char* llP, SqlHublorDbElement* dbP);

  bool isLog() const { return m_bLog; }
  bool isFull() const { return m_bFull; }

  SqlRestoreStatement m_Statement{};
  CLinkedList<SqlStmtItem> m_Items;
  CLinkedList<SqlStmtItem> m_Devices;
  CLinkedList<SqlStmtMove> m_Moves;

 private:
  int addSelection(SqlHublorDbElement* dbP);
  int addMoves(SqlHublorDbElement* dbP);
  void setRecovery(bool hasSelection, SqlHublorDbElement* dbP);
  void setStop(long lSqlVersionMajor);

  SqlRestoreParameters m_Parms{};  // a copy with every text terminated
  char m_DbName[OBJ_NAME_MAX_HL_LENGTH + 1] = {};
  char m_OtherName[OBJ_NAME_MAX_HL_LENGTH + 1] = {};
  bool m_bLog = false;
  bool m_bFull = false;
};

// True when the low-level name is the type's word, with or without its leading delimiter.
bool sqlIsBackupTypeLl(const char* llP, const char* typeNameP);
