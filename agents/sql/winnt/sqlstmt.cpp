#include "sqlstmt.h"

#include <atomic>
#include <cstdio>

#include "agtrc.h"
#include "agttrc.h"

namespace {

const char* const kItemKeywords[] = {" FILEGROUP=N'", " FILE=N'"};

// Writes one statement and keeps the first failure: once a piece fails or the cancel flag is
// seen, every later piece is skipped.
class CStatementWriter {
 public:
  CStatementWriter(CSqlCommand& command, uint32_t* cancelledP, const char* operationP,
                   char* errorTextP, size_t errorTextSize)
      : m_Command(command),
        m_CancelledP(cancelledP),
        m_OperationP(operationP),
        m_ErrorTextP(errorTextP),
        m_ErrorTextSize(errorTextSize) {}

  // Checks the cancel flag; true while the build may go on.
  bool go() {
    if (m_Rc == RC_OK && m_CancelledP != nullptr &&
        std::atomic_ref<uint32_t>(*m_CancelledP).load(std::memory_order_relaxed) != 0)
      m_Rc = RC_CANCELED_BY_USER;
    return m_Rc == RC_OK;
  }
  void text(const char* textP) {
    if (m_Rc == RC_OK) m_Rc = m_Command.append(textP);
  }
  void number(const char* prefixP, uint32_t value) {
    char digits[16];
    snprintf(digits, sizeof digits, "%u", value);
    text(prefixP);
    text(digits);
  }
  // `textP` with `closer` doubled, after a check of its length (no check when maxLength is 0).
  void escaped(const char* textP, char closer, size_t maxLength, int line) {
    if (m_Rc == RC_OK && maxLength > 0)
      m_Rc =
          sqlCheckNameLength(textP, maxLength, m_OperationP, line, m_ErrorTextP, m_ErrorTextSize);
    if (m_Rc == RC_OK) m_Rc = m_Command.appendEscaped(textP, closer);
  }
  // prefix + N'...' content + closing quote.
  void quoted(const char* prefixP, const char* textP, size_t maxLength, int line) {
    text(prefixP);
    escaped(textP, '\'', maxLength, line);
    text("'");
  }
  int rc() const { return m_Rc; }

 private:
  CSqlCommand& m_Command;
  uint32_t* m_CancelledP;
  const char* m_OperationP;
  char* m_ErrorTextP;
  size_t m_ErrorTextSize;
  int m_Rc = RC_OK;
};

// The FILEGROUP and FILE items, "," before every item but the first.
void writeItems(CStatementWriter& w, CLinkedList<SqlStmtItem>* itemListP, size_t maxLength) {
  if (itemListP == nullptr) return;
  const char* separatorP = "";
  for (SqlStmtItem* itemP = itemListP->getFirst(); itemP != nullptr && w.go();
       itemP = itemListP->getNext(itemP)) {
    w.text(separatorP);
    w.quoted(kItemKeywords[itemP->kind == SQL_ITEM_FILE], itemP->nameP, maxLength, __LINE__);
    separatorP = ",";
  }
}

void writeTransferOptions(CStatementWriter& w, uint32_t numBuffers, uint32_t bufferSizeKb) {
  if (w.go()) w.text(" WITH BLOCKSIZE=512");
  if (numBuffers > 0 && w.go()) w.number(", BUFFERCOUNT=", numBuffers);
  if (bufferSizeKb > 0 && w.go()) {
    uint32_t bytes = sqlMaxTransferSize(bufferSizeKb);
    TRACE_LINE(TRC_SQLAPI,
               "The virtual device buffer size has been rounded up to the next highest 64 Kb "
               "multiple.\n  ulSqlBufferSize: %u KB\n  MAXTRANSFERSIZE: %u\n",
               bufferSizeKb, bytes);
    w.number(", MAXTRANSFERSIZE=", bytes);
  }
}

void writeBackupDevices(CStatementWriter& w, const SqlBackupStatement& s) {
  const bool toDisk = s.debugPathP != nullptr && s.debugPathP[0] != '\0';
  const char* separatorP = "";
  for (SqlStmtItem* deviceP = s.deviceListP->getFirst(); deviceP != nullptr && w.go();
       deviceP = s.deviceListP->getNext(deviceP)) {
    w.text(separatorP);
    if (toDisk) {
      w.text(" DISK='");
      w.escaped(s.debugPathP, '\'', SQL_MAX_PATH_LENGTH, __LINE__);
      w.text("\\");
      w.escaped(deviceP->nameP, '\'', SQL_MAX_NAME_LENGTH, __LINE__);
      w.text(".DebugBackup'");
    } else {
      w.quoted(" VIRTUAL_DEVICE=N'", deviceP->nameP, SQL_MAX_NAME_LENGTH, __LINE__);
    }
    separatorP = ",";
  }
}

void writeRestoreDevices(CStatementWriter& w, CLinkedList<SqlStmtItem>* deviceListP) {
  const char* separatorP = "";
  for (SqlStmtItem* deviceP = deviceListP->getFirst(); deviceP != nullptr && w.go();
       deviceP = deviceListP->getNext(deviceP)) {
    w.text(separatorP);
    w.quoted("VIRTUAL_DEVICE=N'", deviceP->nameP, 0, __LINE__);
    separatorP = ",";
  }
}

void writeRestoreRecovery(CStatementWriter& w, const SqlRestoreStatement& s) {
  if (!w.go()) return;
  if (s.recovery == SQL_STANDBY)
    w.quoted(", STANDBY=N'", s.standbyFileP, 0, __LINE__);
  else
    w.text(s.recovery == SQL_NORECOVERY ? ", NORECOVERY" : ", RECOVERY");
}

void writeRestoreStop(CStatementWriter& w, const SqlRestoreStatement& s) {
  static const char* const kStopKeywords[] = {"", ", STOPAT=N'", ", STOPATMARK=N'",
                                              ", STOPBEFOREMARK=N'"};
  if (s.stop == SQL_STOP_NONE || s.stop > SQL_STOP_BEFORE_MARK || !w.go()) return;
  w.quoted(kStopKeywords[s.stop], s.stopTextP, 0, __LINE__);
  if (s.stop != SQL_STOP_AT && s.afterP != nullptr) w.quoted(" AFTER N'", s.afterP, 0, __LINE__);
}

}  // namespace

const char* sqlBackupTypeName(uint32_t backupType) {
  if (backupType > BACKUP_TYPE_SET) backupType = BACKUP_TYPE_INVALID;
  return backupTypeLlNames[backupType];
}

uint32_t sqlMaxTransferSize(uint32_t bufferSizeKb) {
  return uint32_t((uint64_t(bufferSizeKb) + 63) / 64 * 64 * 1024);
}

int sqlBuildBackupStatement(CSqlCommand& command, const SqlBackupStatement& s, uint32_t* cancelledP,
                            char* errorTextP, size_t errorTextSize) {
  TRACE_ENTRY(TRC_SQLAPI, "sqlBuildBackupStatement()");
  CStatementWriter w(command, cancelledP, "CSqlApi::CopyNToU", errorTextP, errorTextSize);
  if (w.go()) {
    w.text(s.backupType == BACKUP_TYPE_LOG ? "USE master BACKUP LOG ["
                                           : "USE master BACKUP DATABASE [");
    w.escaped(s.databaseNameP, ']', SQL_MAX_NAME_LENGTH, __LINE__);
    w.text("]");
  }
  writeItems(w, s.itemListP, SQL_MAX_NAME_LENGTH);
  if (w.go()) w.text(" TO");
  writeBackupDevices(w, s);
  writeTransferOptions(w, s.ulNumSqlBuffers, s.ulSqlBufferSize);
  if (s.backupType == BACKUP_TYPE_DIFFFULL && w.go()) w.text(", DIFFERENTIAL");
  if (s.backupType == BACKUP_TYPE_LOG && !s.bTruncate && w.go()) w.text(", NO_TRUNCATE");
  if (w.go()) w.quoted(", NAME=N'", sqlBackupTypeName(s.backupType), 0, __LINE__);
  if (w.go()) {
    SqlStmtItem* firstP = s.deviceListP->getFirst();
    w.text(", DESCRIPTION=N'");
    w.escaped(firstP != nullptr ? firstP->nameP : "", '\'', 0, __LINE__);
    w.text(" (Zarnak MS SQL V2)'");
  }
  TRACE_RETURN(w.rc());
}

int sqlBuildRestoreStatement(CSqlCommand& command, const SqlRestoreStatement& s,
                             uint32_t* cancelledP, char* errorTextP, size_t errorTextSize) {
  TRACE_ENTRY(TRC_SQLAPI, "sqlBuildRestoreStatement()");
  CStatementWriter w(command, cancelledP, "CSqlApi::RestoreSqlDatabase", errorTextP, errorTextSize);
  if (w.go()) w.text("USE master RESTORE");
  if (w.go()) w.text(s.bLog ? " LOG" : " DATABASE");
  if (w.go()) {
    w.text(" [");
    w.escaped(s.databaseNameP, ']', 0, __LINE__);
    w.text("]");
  }
  writeItems(w, s.itemListP, 0);
  if (w.go()) w.text(" from ");
  writeRestoreDevices(w, s.deviceListP);
  writeTransferOptions(w, s.ulNumSqlBuffers, s.ulSqlBufferSize);
  if (s.bDboOnly && w.go()) w.text(", DBO_ONLY");
  if (s.bRestrictedUser && w.go()) w.text(", RESTRICTED_USER");
  if (s.bPartial && w.go()) w.text(", PARTIAL");
  if (s.moveListP != nullptr) {
    for (SqlStmtMove* moveP = s.moveListP->getFirst(); moveP != nullptr && w.go();
         moveP = s.moveListP->getNext(moveP)) {
      w.quoted(", MOVE N'", moveP->logicalNameP, 0, __LINE__);
      w.quoted(" TO N'", moveP->physicalNameP, 0, __LINE__);
    }
  }
  writeRestoreRecovery(w, s);
  if (s.bReplace && w.go()) w.text(", REPLACE");
  writeRestoreStop(w, s);
  TRACE_RETURN(w.rc());
}
