// Test support for the meta-data object's description: a database with groups and files as
// the SQL access layer lists it, its records written through a transfer into a byte string,
// the entry of a stored backup as the query of stored backups builds it, and the records read
// back through buffers that cut them anywhere.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "objname.h"
#include "pcmend_testutil.h"
#include "sqlmetadesc.h"
#include "sqlqbentry.h"

// A database with its groups and files in the lists the SQL access layer fills.
class DbFixture {
 public:
  DbFixture() {
    m_Db.pDbGroupList = &m_Groups;
    m_Db.pDbFileList = &m_Files;
    strcpy(m_Db.szSqlDatabaseName, "sales");
    m_Db.lDbCompatibilityLevel = 80;
    m_Db.lDbVersion = 539;
    m_Db.bDbIsTornPageDetection = 1;
    m_Server.lSqlDefaultCodePage = 1252;
    strcpy(m_Server.szSqlServerBuild, "2039");
  }

  // A group with files of the given physical names, each of `size` bytes, a quarter used.
  SqlGroupElement* addGroup(const char* nameP, std::vector<const char*> physical,
                            uint64_t size = 0x10000, bool log = false) {
    SqlGroupElement g{};
    g.peGroupDatabase = &m_Db;
    strcpy(g.szGroupName, nameP);
    g.lGroupNum = log ? 0 : m_Db.lDbNumDataGroups;
    g.lGroupNumFiles = static_cast<int32_t>(physical.size());
    g.bGroupIsPrimary = m_Groups.getCount() == 0;
    g.bGroupIsLog = log;
    m_Groups.addTail(&g);
    SqlGroupElement* groupP = m_Groups.getLast();
    if (m_Db.peDbFirstGroup == nullptr) m_Db.peDbFirstGroup = groupP;
    for (const char* nameP2 : physical) {
      SqlFileElement f{};
      f.peFileGroup = groupP;
      f.u64FileSize = pkInt64FromNative(static_cast<int64_t>(size));
      f.u64FileSpaceUsed = pkInt64FromNative(log ? 0 : static_cast<int64_t>(size / 4));
      f.lFileNum = m_Db.lDbNumDataFiles + m_Db.lDbNumLogFiles;
      f.bFileIsLog = log;
      snprintf(f.szFileLogicalName, sizeof f.szFileLogicalName, "%s_%d", nameP, f.lFileNum);
      strcpy(f.szFilePhysicalName, nameP2);
      m_Files.addTail(&f);
      if (groupP->peGroupFirstFile == nullptr) groupP->peGroupFirstFile = m_Files.getLast();
      groupP->u64GroupFileSize = pkInt64Add(groupP->u64GroupFileSize, f.u64FileSize);
      groupP->u64GroupSpaceUsed = pkInt64Add(groupP->u64GroupSpaceUsed, f.u64FileSpaceUsed);
      (log ? m_Db.lDbNumLogFiles : m_Db.lDbNumDataFiles)++;
      (log ? m_Db.u64DbLogFileSize : m_Db.u64DbDataFileSize) =
          pkInt64Add(log ? m_Db.u64DbLogFileSize : m_Db.u64DbDataFileSize, f.u64FileSize);
      m_Db.u64DbDataSpaceUsed = pkInt64Add(m_Db.u64DbDataSpaceUsed, f.u64FileSpaceUsed);
    }
    if (!log) m_Db.lDbNumDataGroups++;
    return groupP;
  }
  SqlFileElement* file(int number) {
    SqlFileElement* f = m_Files.getFirst();
    while (f != nullptr && f->lFileNum != number) f = m_Files.getNext(f);
    return f;
  }
  // Three data groups and a log: PRIMARY (2 files), SECOND (3 files), THIRD (1 file).
  void standard() {
    addGroup("PRIMARY", {"d:\\data\\p0.mdf", "c:\\data\\p1.ndf"});
    addGroup("SECOND", {"e:\\s2.ndf", "E:\\s3.ndf", "\\\\host\\share\\s4.ndf"});
    addGroup("THIRD", {"/var/t5.ndf"});
    addGroup(SQL_LOG_GROUP_NAME, {"l:\\log\\l6.ldf"}, 0x4000, true);
    m_Db.u64DbLogSpaceUsed = pkInt64FromU32(0x3000);
  }

  SqlServerElement m_Server{};
  SqlDatabaseElement m_Db{};
  CLinkedList<SqlGroupElement> m_Groups;
  CLinkedList<SqlFileElement> m_Files;
};

// The meta-data object of a backup as a byte string, with its description and estimates.
struct Written {
  int rc = -1;
  sqlMetaDataInfo info{};
  pkInt64 estimate = pkInt64Zero;
  pkInt64 metaSize = pkInt64Zero;
  std::string bytes;
  std::string bufferCounts;
};

inline Written writeDescription(DbFixture& db, uint32_t type, SqlDbInfo dbInfo,
                                uint32_t bufferSizeKb = 4) {
  Written w;
  w.rc = sqlMetaEstimate(&w.estimate, &w.info, &w.metaSize, type, db.m_Server, dbInfo, nullptr);
  if (w.rc != RC_OK) return w;
  CFnTransfer transfer(
      2, bufferSizeKb, [&](CPcm* pcmP) { return produceFromSqlDbInfo(pcmP, &type, &dbInfo); },
      collectBytes(&w.bytes, &w.bufferCounts));
  w.rc = transfer.runOnce();
  return w;
}

// The stored backup's entry as the query of stored backups builds it.
struct Entry {
  Entry(const sqlMetaDataInfo& info, uint64_t objSize) {
    objInfo attributes = objInfoEmpty();
    attributes.sqlMeta = info;
    objInfoToBytes(attributes, reinterpret_cast<uint8_t*>(meta.objInfo), OBJINFO_META_SIZE);
    meta.objInfolen = OBJINFO_META_SIZE;
    strcpy(meta.objName.hl, "\\sales");
    meta.objSize = {static_cast<uint32_t>(objSize >> 32), static_cast<uint32_t>(objSize)};
    fillQueryBackupEntry(&meta, &db);
    db.pGroupList = &groups;
    db.pFileList = &files;
  }
  MoxtarMetaInfo meta;
  SqlHublorDbElement db{};
  CLinkedList<SqlMetaGroupInfo> groups;
  CLinkedList<SqlMetaFileInfo> files;
};

// Reads the bytes back through buffers filled to the brim, so that records cross buffers.
inline int readDescription(Entry& entry, const std::string& bytes, uint32_t bufferSizeKb = 4) {
  CFnTransfer transfer(2, bufferSizeKb, feedBytes(bytes),
                       [&](CPcm* pcmP) { return consumeToSqlDbInfo(pcmP, &entry.meta); });
  return transfer.runOnce();
}

// "G<number>:<name>:<files>[W][P]" per group, "F<number>:<logical>[S]@<group>" per file.
inline std::string describe(Entry& entry) {
  std::string text;
  for (SqlMetaGroupInfo* g = entry.groups.getFirst(); g; g = entry.groups.getNext(g)) {
    text += "G" + std::to_string(g->lGroupNum) + ":" + g->szGroupName + ":" +
            std::to_string(g->lGroupNumFiles) + (g->bGroupIsSelected ? "W" : "") +
            (g->bGroupFileIsSelected ? "P" : "") + " ";
  }
  for (SqlMetaFileInfo* f = entry.files.getFirst(); f; f = entry.files.getNext(f)) {
    text += "F" + std::to_string(f->lFileNum) + ":" + f->szFileLogicalName +
            (f->bFileIsSelected ? "S" : "") + "@" +
            (f->peFileGroup ? f->peFileGroup->szGroupName : "?") + " ";
  }
  return text;
}
