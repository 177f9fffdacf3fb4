#include "sqlmetadesc.h"

#include <algorithm>
#include <cstring>

#include "agttrc.h"
#include "objname.h"
#include "pcmend.h"
#include "sqlqbentry.h"
#include "sqlwalk.h"

namespace {

constexpr uint64_t kMinimumEstimate = 4096;

// Receives the records of a description in the order they are stored.
class CRecordSink {
 public:
  virtual ~CRecordSink() = default;
  virtual int group(const SqlMetaGroupInfo& group) = 0;
  virtual int file(const SqlMetaFileInfo& file) = 0;
};

void copyName(char* toP, size_t toSize, const char* fromP) {
  size_t length = strnlen(fromP, toSize - 1);
  memcpy(toP, fromP, length);
  toP[length] = '\0';
}

SqlMetaGroupInfo groupRecord(const SqlGroupElement& g) {
  SqlMetaGroupInfo record;
  record.u64GroupFileSize = g.u64GroupFileSize;
  record.u64GroupSpaceUsed = g.u64GroupSpaceUsed;
  record.lGroupNum = static_cast<uint32_t>(g.lGroupNum);
  record.lGroupNumFiles = static_cast<uint32_t>(g.lGroupNumFiles);
  record.bGroupIsPrimary = static_cast<uint32_t>(g.bGroupIsPrimary);
  record.bGroupIsLog = static_cast<uint32_t>(g.bGroupIsLog);
  copyName(record.szGroupName, sizeof record.szGroupName, g.szGroupName);
  return record;
}

SqlMetaFileInfo fileRecord(const SqlFileElement& f, uint32_t number, uint32_t selected) {
  SqlMetaFileInfo record;
  record.u64FileSize = f.u64FileSize;
  record.u64FileSpaceUsed = f.u64FileSpaceUsed;
  record.lFileNum = number;
  record.bFileIsSelected = selected;
  record.bFileIsPrimary = static_cast<uint32_t>(f.bFileIsPrimary);
  record.bFileIsLog = static_cast<uint32_t>(f.bFileIsLog);
  record.ulDriveMask = sqlMetaDriveMask(f.szFilePhysicalName, &record.cDriveLetter);
  copyName(record.szFileLogicalName, sizeof record.szFileLogicalName, f.szFileLogicalName);
  copyName(record.szFilePhysicalName, sizeof record.szFilePhysicalName, f.szFilePhysicalName);
  return record;
}

// The records of the walk: a cancel between two records ends it with 200.
class CWalk {
 public:
  CWalk(const SqlDbInfo& dbInfo, CRecordSink& sink, const uint32_t* cancelledP)
      : m_DbP(dbInfo.sqlDatabaseElementP), m_Info(dbInfo), m_Sink(sink), m_CancelledP(cancelledP) {}

  int run(uint32_t backupType) {
    if (m_DbP == nullptr) return RC_INTERNAL_ERROR;
    switch (backupType) {
      case BACKUP_TYPE_FULL:
      case BACKUP_TYPE_DIFFFULL:
      case BACKUP_TYPE_LOG:
        return wholeDatabase();
      case BACKUP_TYPE_GROUP:
        return oneGroup();
      case BACKUP_TYPE_FILE:
        return oneFile();
      case BACKUP_TYPE_SET:
        return selection();
      default:
        TRACE_LINE(TRC_ENGINE, "An invalid backup type (%u) was detected.\n", backupType);
        return RC_INVALID_BACKUP_TYPE;
    }
  }

 private:
  bool cancelled() const {
    return m_CancelledP != nullptr &&
           std::atomic_ref<uint32_t>(*const_cast<uint32_t*>(m_CancelledP)).load() != 0;
  }
  int putGroup(const SqlMetaGroupInfo& record) {
    return cancelled() ? RC_RING_CANCELLED : m_Sink.group(record);
  }
  int putFile(const SqlMetaFileInfo& record) {
    return cancelled() ? RC_RING_CANCELLED : m_Sink.file(record);
  }

  uint32_t driveMaskOf(const SqlGroupElement* groupP) {
    uint32_t mask = 0;
    sqlForEachGroupFile(m_DbP, groupP, [&](SqlFileElement* fileP) {
      char letter;
      mask |= sqlMetaDriveMask(fileP->szFilePhysicalName, &letter);
      return RC_OK;
    });
    return mask;
  }

  int wholeDatabase() {
    int rc = sqlForEachGroup(m_DbP, [&](SqlGroupElement* groupP) {
      SqlMetaGroupInfo record = groupRecord(*groupP);
      record.ulDriveMask = driveMaskOf(groupP);
      return putGroup(record);
    });
    if (rc != RC_OK) return rc;
    return sqlForEachGroup(m_DbP, [&](SqlGroupElement* groupP) {
      return sqlForEachGroupFile(m_DbP, groupP, [&](SqlFileElement* fileP) {
        return putFile(fileRecord(*fileP, static_cast<uint32_t>(fileP->lFileNum), 0));
      });
    });
  }

  int oneGroup() {
    const SqlGroupElement* groupP = m_Info.sqlGroupElementP;
    if (groupP == nullptr) return RC_INTERNAL_ERROR;
    SqlMetaGroupInfo record = groupRecord(*groupP);
    record.lGroupNum = 0;
    record.bGroupIsSelected = 1;
    int rc = putGroup(record);
    if (rc != RC_OK) return rc;
    uint32_t number = 0;
    return sqlForEachGroupFile(m_DbP, groupP, [&](SqlFileElement* fileP) {
      return putFile(fileRecord(*fileP, number++, 0));
    });
  }

  int oneFile() {
    const SqlFileElement* fileP = m_Info.sqlFileElementP;
    if (fileP == nullptr || fileP->peFileGroup == nullptr) return RC_INTERNAL_ERROR;
    SqlMetaGroupInfo record = groupRecord(*fileP->peFileGroup);
    record.u64GroupFileSize = fileP->u64FileSize;
    record.u64GroupSpaceUsed = fileP->u64FileSpaceUsed;
    record.lGroupNum = 0;
    record.lGroupNumFiles = 1;
    record.bGroupFileIsSelected = 1;
    int rc = putGroup(record);
    if (rc != RC_OK) return rc;
    return putFile(fileRecord(*fileP, 0, 1));
  }

  static bool partly(const SqlGroupElement* groupP) {
    return !groupP->bGroupIsSelected && groupP->bGroupFileIsSelected;
  }

  // A group of a set backup of which only the selected files are stored.
  SqlMetaGroupInfo partlyRecord(const SqlGroupElement* groupP) {
    SqlMetaGroupInfo record = groupRecord(*groupP);
    record.u64GroupFileSize = pkInt64Zero;
    record.u64GroupSpaceUsed = pkInt64Zero;
    record.lGroupNumFiles = 0;
    record.bGroupFileIsSelected = 1;
    sqlForEachGroupFile(m_DbP, groupP, [&](SqlFileElement* fileP) {
      if (!fileP->bFileIsSelected) return RC_OK;
      record.u64GroupFileSize = pkInt64Add(record.u64GroupFileSize, fileP->u64FileSize);
      record.u64GroupSpaceUsed = pkInt64Add(record.u64GroupSpaceUsed, fileP->u64FileSpaceUsed);
      record.lGroupNumFiles++;
      return RC_OK;
    });
    return record;
  }

  int selection() {
    uint32_t groupNumber = 0;
    int rc = sqlForEachGroup(m_DbP, [&](SqlGroupElement* groupP) {
      if (!groupP->bGroupIsSelected && !partly(groupP)) return RC_OK;
      SqlMetaGroupInfo record = partly(groupP) ? partlyRecord(groupP) : groupRecord(*groupP);
      record.bGroupIsSelected = groupP->bGroupIsSelected ? 1 : 0;
      record.lGroupNum = groupNumber++;
      return putGroup(record);
    });
    if (rc != RC_OK) return rc;
    uint32_t fileNumber = 0;
    return sqlForEachGroup(m_DbP, [&](SqlGroupElement* groupP) {
      bool whole = groupP->bGroupIsSelected != 0;
      if (!whole && !partly(groupP)) return RC_OK;
      return sqlForEachGroupFile(m_DbP, groupP, [&](SqlFileElement* fileP) {
        if (!whole && !fileP->bFileIsSelected) return RC_OK;
        return putFile(fileRecord(*fileP, fileNumber++, whole ? 0 : 1));
      });
    });
  }

  const SqlDatabaseElement* m_DbP;
  const SqlDbInfo& m_Info;
  CRecordSink& m_Sink;
  const uint32_t* m_CancelledP;
};

// Sums what the records of a backup store.
class CEstimateSink : public CRecordSink {
 public:
  int group(const SqlMetaGroupInfo& g) override {
    m_Groups++;
    m_FileSize = pkInt64Add(m_FileSize, g.u64GroupFileSize);
    m_SpaceUsed = pkInt64Add(m_SpaceUsed, g.u64GroupSpaceUsed);
    if (g.bGroupIsSelected) m_WholeGroups = true;
    return RC_OK;
  }
  int file(const SqlMetaFileInfo& f) override {
    m_Files++;
    m_DriveMask |= f.ulDriveMask;
    if (f.bFileIsSelected) m_SingleFiles = true;
    return RC_OK;
  }

  uint32_t m_Groups = 0;
  uint32_t m_Files = 0;
  pkInt64 m_FileSize = pkInt64Zero;
  pkInt64 m_SpaceUsed = pkInt64Zero;
  uint32_t m_DriveMask = 0;
  bool m_WholeGroups = false;
  bool m_SingleFiles = false;
};

bool storesWholeDatabase(uint32_t backupType) {
  return backupType == BACKUP_TYPE_FULL || backupType == BACKUP_TYPE_DIFFFULL ||
         backupType == BACKUP_TYPE_LOG;
}

void describeServer(sqlMetaDataInfo* infoP, const SqlServerElement& server) {
  *infoP = sqlMetaEmpty();
  infoP->lSqlDefaultCodePage = static_cast<uint32_t>(server.lSqlDefaultCodePage);
  infoP->lSqlDefaultSortOrderId = static_cast<uint32_t>(server.lSqlDefaultSortOrderId);
  infoP->lSqlDefaultUnicodeLocaleId = static_cast<uint32_t>(server.lSqlDefaultUnicodeLocaleId);
  infoP->lSqlDefaultUnicodeComparisonStyle =
      static_cast<uint32_t>(server.lSqlDefaultUnicodeComparisonStyle);
  copyName(infoP->szSqlServerBuild, sizeof infoP->szSqlServerBuild, server.szSqlServerBuild);
}

void describeContents(sqlMetaDataInfo* infoP, const SqlDatabaseElement& db, uint32_t backupType,
                      const CEstimateSink& sums) {
  if (storesWholeDatabase(backupType)) {
    infoP->u64DbDataFileSize = db.u64DbDataFileSize;
    infoP->u64DbDataSpaceUsed = db.u64DbDataSpaceUsed;
    infoP->u64DbLogFileSize = db.u64DbLogFileSize;
    infoP->u64DbLogSpaceUsed = db.u64DbLogSpaceUsed;
    infoP->lDbNumDataGroups = static_cast<uint32_t>(db.lDbNumDataGroups);
    infoP->lDbNumDataFiles = static_cast<uint32_t>(db.lDbNumDataFiles);
    infoP->lDbNumLogFiles = static_cast<uint32_t>(db.lDbNumLogFiles);
    return;
  }
  infoP->u64DbDataFileSize = sums.m_FileSize;
  infoP->u64DbDataSpaceUsed = sums.m_SpaceUsed;
  infoP->lDbNumDataGroups = sums.m_Groups;
  infoP->lDbNumDataFiles = sums.m_Files;
}

}  // namespace

int sqlMetaEstimate(pkInt64* backupDataSizeEst64P, sqlMetaDataInfo* infoP, pkInt64* metaDataSize64P,
                    uint32_t backupType, const SqlServerElement& server, const SqlDbInfo& dbInfo,
                    const uint32_t* cancelledP) {
  TRACE_ENTRY(TRC_ENGINE, "sqlMetaEstimate()");
  describeServer(infoP, server);
  CEstimateSink sums;
  int rc = CWalk(dbInfo, sums, cancelledP).run(backupType);
  if (rc != RC_OK) TRACE_RETURN(rc);
  const SqlDatabaseElement& db = *dbInfo.sqlDatabaseElementP;
  describeContents(infoP, db, backupType, sums);
  infoP->lDbCompatibilityLevel = static_cast<uint16_t>(db.lDbCompatibilityLevel);
  infoP->lDbVersion = static_cast<uint16_t>(db.lDbVersion);
  infoP->usFlags = sqlMetaFlagsOf(server, db, sums.m_WholeGroups, sums.m_SingleFiles);
  infoP->ulDriveMask = sums.m_DriveMask;
  uint64_t groups = uint64_t(infoP->lDbNumDataGroups) + (infoP->lDbNumLogFiles > 0 ? 1 : 0);
  uint64_t files = uint64_t(infoP->lDbNumDataFiles) + infoP->lDbNumLogFiles;
  *metaDataSize64P = pkInt64FromNative(static_cast<int64_t>(sqlMetaDataSize(groups, files)));
  pkInt64 used =
      backupType == BACKUP_TYPE_LOG ? infoP->u64DbLogSpaceUsed : infoP->u64DbDataSpaceUsed;
  if (pkInt64ToNative(used) < kMinimumEstimate) {
    char text[PK_INT64_TEXT_SIZE];
    TRACE_LINE(TRC_ENGINE, "backupDataSizeEst64 is %s, setting to minimum.\n",
               pkInt64ToString(used, text, 10));
    used = pkInt64FromU32(kMinimumEstimate);
  }
  *backupDataSizeEst64P = used;
  TRACE_RETURN(RC_OK);
}

// ---- Writing: records into the ring, each whole within one buffer ----

namespace {

class CRecordWriter : public CRecordSink {
 public:
  explicit CRecordWriter(CPcm* pcmP) : m_PcmP(pcmP), m_Ring(CPcmEnd::ring(pcmP)) {}

  int start() { return take(); }
  int group(const SqlMetaGroupInfo& g) override {
    uint8_t bytes[SQL_META_GROUP_RECORD_SIZE];
    sqlMetaGroupToBytes(g, bytes);
    return put(bytes, sizeof bytes);
  }
  int file(const SqlMetaFileInfo& f) override {
    uint8_t bytes[SQL_META_FILE_RECORD_SIZE];
    sqlMetaFileToBytes(f, bytes);
    return put(bytes, sizeof bytes);
  }
  // Hands the buffer in hand on as full.
  int finish() {
    RingElement* bufferP = m_BufferP;
    m_BufferP = nullptr;
    return bufferP == nullptr ? RC_OK : m_Ring.unlockFullBuffer(bufferP);
  }

 private:
  int take() {
    int rc = m_Ring.lockEmptyBuffer(&m_BufferP);
    if (rc != RC_OK) return rc;
    m_BufferP->ulCount = 0;
    return RC_OK;
  }
  int put(const uint8_t* bytesP, uint32_t size) {
    if (CPcmEnd::cancelled(m_PcmP)) return RC_RING_CANCELLED;
    if (size > m_Ring.bufferSize()) return RC_INTERNAL_ERROR;
    if (m_BufferP == nullptr) return RC_INTERNAL_ERROR;
    if (m_Ring.bufferSize() - m_BufferP->ulCount < size) {
      int rc = finish();
      if (rc != RC_OK) return rc;
      rc = take();
      if (rc != RC_OK) return rc;
    }
    memcpy(m_BufferP->bufferP + m_BufferP->ulCount, bytesP, size);
    m_BufferP->ulCount += size;
    CPcmEnd::bytesProduced(m_PcmP) += size;
    return RC_OK;
  }

  CPcm* m_PcmP;
  CBufferRing& m_Ring;
  RingElement* m_BufferP = nullptr;
};

}  // namespace

int produceFromSqlDbInfo(CPcm* pcmP, const uint32_t* backupTypeP, const SqlDbInfo* dbInfoP) {
  TRACE_ENTRY(TRC_ENGINE, "produceFromSqlDbInfo()");
  CRecordWriter writer(pcmP);
  int rc = writer.start();
  if (rc != RC_OK) TRACE_RETURN(rc);
  rc = CWalk(*dbInfoP, writer, nullptr).run(*backupTypeP);
  int finishRc = writer.finish();  // also after a failed walk: the buffer goes back
  if (rc != RC_OK) TRACE_RETURN(rc);
  if (finishRc != RC_OK) TRACE_RETURN(finishRc);
  TRACE_RETURN(CPcmEnd::cancelled(pcmP) ? RC_RING_CANCELLED : RC_OK);
}

// ---- Reading: records out of the ring, joined across buffers ----

namespace {

class CRecordReader {
 public:
  explicit CRecordReader(CPcm* pcmP) : m_PcmP(pcmP), m_Ring(CPcmEnd::ring(pcmP)) {}
  ~CRecordReader() {
    if (m_BufferP != nullptr) m_Ring.unlockEmptyBuffer(m_BufferP);
  }

  // One whole record; 503 when the data end inside it or before it.
  int read(uint8_t* bytesP, uint32_t size) {
    uint32_t copied = 0;
    int rc = m_Ring.extractData(&m_BufferP, bytesP, size, &copied);
    CPcmEnd::bytesConsumed(m_PcmP) += copied;
    if (rc == RC_END_OF_DATA) {
      TRACE_LINE(TRC_ENGINE, "The meta data object ended after %u of %u bytes of a record.\n",
                 copied, size);
      return RC_CORRUPT_BACKUP;
    }
    return rc;
  }
  // 0 when the data end here; 503 when more follow.
  int atEnd() {
    uint8_t byte;
    uint32_t copied = 0;
    int rc = m_Ring.extractData(&m_BufferP, &byte, 1, &copied);
    if (rc == RC_END_OF_DATA && copied == 0) return RC_OK;
    if (rc != RC_OK && rc != RC_END_OF_DATA) return rc;
    TRACE_LINE(TRC_ENGINE, "The meta data object holds more data than its records.\n");
    return RC_CORRUPT_BACKUP;
  }

 private:
  CPcm* m_PcmP;
  CBufferRing& m_Ring;
  RingElement* m_BufferP = nullptr;
};

// Reads `count` records of SIZE bytes, each decoded by fromBytesP, onto the list.
template <size_t SIZE, class Record>
int readRecords(CRecordReader& reader, uint64_t count,
                int (*fromBytesP)(const uint8_t* bytesP, Record* recordP),
                CLinkedList<Record>* listP) {
  for (uint64_t i = 0; i < count; i++) {
    uint8_t bytes[SIZE];
    Record record;
    int rc = reader.read(bytes, sizeof bytes);
    if (rc != RC_OK) return rc;
    rc = fromBytesP(bytes, &record);
    if (rc != RC_OK) return rc;
    rc = listP->addTail(&record);
    if (rc != RC_OK) return rc;
  }
  return RC_OK;
}

// Links the files read after fileP to the groups read after groupP (both null: from the
// lists' heads): the files of each group follow each other in the order of the groups' file
// counts. 503 when the counts do not add up to the files read.
int linkFiles(SqlHublorDbElement* dbP, SqlMetaGroupInfo* lastGroupP, SqlMetaFileInfo* lastFileP) {
  CLinkedList<SqlMetaGroupInfo>* groupsP = dbP->pGroupList;
  CLinkedList<SqlMetaFileInfo>* filesP = dbP->pFileList;
  SqlMetaFileInfo* fileP = lastFileP ? filesP->getNext(lastFileP) : filesP->getFirst();
  SqlMetaGroupInfo* groupP = lastGroupP ? groupsP->getNext(lastGroupP) : groupsP->getFirst();
  for (; groupP != nullptr; groupP = groupsP->getNext(groupP)) {
    groupP->peGroupFirstFile = groupP->lGroupNumFiles > 0 ? fileP : nullptr;
    for (uint32_t i = 0; i < groupP->lGroupNumFiles; i++, fileP = filesP->getNext(fileP)) {
      if (fileP == nullptr) return RC_CORRUPT_BACKUP;
      fileP->peFileGroup = groupP;
    }
  }
  return fileP == nullptr ? RC_OK : RC_CORRUPT_BACKUP;
}

}  // namespace

int consumeToSqlDbInfo(CPcm* pcmP, MoxtarMetaInfo* entryP) {
  TRACE_ENTRY(TRC_ENGINE, "consumeToSqlDbInfo()");
  SqlHublorDbElement* dbP = entryP->hublorDbElemP;
  if (dbP == nullptr || dbP->pGroupList == nullptr || dbP->pFileList == nullptr) {
    TRACE_RETURN(RC_INTERNAL_ERROR);
  }
  uint64_t groups = uint64_t(dbP->lDbNumDataGroups) + (dbP->lDbNumLogFiles > 0 ? 1 : 0);
  uint64_t files = uint64_t(dbP->lDbNumDataFiles) + dbP->lDbNumLogFiles;
  uint64_t stored = pkInt64ToNative(pkInt64Make(entryP->objSize.hi, entryP->objSize.lo));
  if (stored != sqlMetaDataSize(groups, files)) {
    TRACE_LINE(TRC_ENGINE,
               "The meta data object holds %llu bytes for %llu groups and %llu files.\n",
               static_cast<unsigned long long>(stored), static_cast<unsigned long long>(groups),
               static_cast<unsigned long long>(files));
    TRACE_RETURN(RC_CORRUPT_BACKUP);
  }
  SqlMetaGroupInfo* lastGroupP = dbP->pGroupList->getLast();
  SqlMetaFileInfo* lastFileP = dbP->pFileList->getLast();
  CRecordReader reader(pcmP);
  int rc = readRecords<SQL_META_GROUP_RECORD_SIZE>(reader, groups, sqlMetaGroupFromBytes,
                                                   dbP->pGroupList);
  if (rc != RC_OK) TRACE_RETURN(rc);
  rc = readRecords<SQL_META_FILE_RECORD_SIZE>(reader, files, sqlMetaFileFromBytes, dbP->pFileList);
  if (rc != RC_OK) TRACE_RETURN(rc);
  rc = reader.atEnd();
  if (rc != RC_OK) TRACE_RETURN(rc);
  TRACE_RETURN(linkFiles(dbP, lastGroupP, lastFileP));
}
