#include "storedbackup_testutil.h"

#include <cstdio>
#include <cstring>

#include "objinfo.h"
#include "objname.h"

namespace {

void storeWithInfo(DPelkApiStatus* statusP, pelkUint32_t handle, const std::string& fs,
                   const std::string& hl, const std::string& ll, const objInfo& info,
                   size_t infoLength, const std::string& data = "data") {
  pelkObjName name = objNameOf(fs, hl, ll);
  uint8_t bytes[OBJINFO_META_SIZE] = {};
  ASSERT_EQ(objInfoToBytes(info, bytes, infoLength), 0);
  ObjAttr attr;
  std::memset(&attr, 0, sizeof attr);
  attr.stVersion = PELK_OBJATTR_VERSION;
  attr.objInfoLength = static_cast<pelkUint16_t>(infoLength);
  attr.objInfo = reinterpret_cast<char*>(bytes);
  attr.sizeEstimate.hi = static_cast<pelkUint32_t>(uint64_t(data.size()) >> 32);
  attr.sizeEstimate.lo = static_cast<pelkUint32_t>(data.size());
  DataBlk block{PELK_DATABLK_VERSION, static_cast<pelkUint32_t>(data.size()), 0,
                const_cast<char*>(data.data())};
  DPelkApi* apiP = gPelkApiObjP;
  ASSERT_EQ(DPelkApi::dpelkBeginTxn(apiP, statusP, handle), 0);
  ASSERT_EQ(DPelkApi::dpelkSendObj(apiP, statusP, handle, PELK_SEND_BACKUP, nullptr, &name, &attr,
                                   &block),
            0);
  ASSERT_EQ(DPelkApi::dpelkEndSendObj(apiP, statusP, handle), 0);
  pelkUint16_t reason = 0;
  ASSERT_EQ(DPelkApi::dpelkEndTxn(apiP, statusP, handle, PELK_VOTE_COMMIT, &reason), 0);
}

// The meta-data object's data: the backup's group and file records, with their counts in the
// description.
std::string metaData(const StoredBackup& backup, objInfo* infoP) {
  if (backup.groups.empty()) return "data";
  std::string bytes;
  for (const SqlMetaGroupInfo& group : backup.groups) {
    uint8_t record[SQL_META_GROUP_RECORD_SIZE];
    sqlMetaGroupToBytes(group, record);
    bytes.append(reinterpret_cast<const char*>(record), sizeof record);
    if (group.bGroupIsLog == 0) infoP->sqlMeta.lDbNumDataGroups++;
  }
  for (const SqlMetaFileInfo& file : backup.files) {
    uint8_t record[SQL_META_FILE_RECORD_SIZE];
    sqlMetaFileToBytes(file, record);
    bytes.append(reinterpret_cast<const char*>(record), sizeof record);
    (file.bFileIsLog != 0 ? infoP->sqlMeta.lDbNumLogFiles : infoP->sqlMeta.lDbNumDataFiles)++;
  }
  return bytes;
}

std::string fsOf(const std::string& server, uint32_t index) {
  char fs[OBJ_NAME_MAX_FS_LENGTH + 1];
  EXPECT_EQ(buildFsName(fs, server.c_str(), index), 0);
  return fs;
}

}  // namespace

zarnakObjId StoredBackupFixture::idOf(const StoredBackup& backup) {
  zarnakObjId id{};
  id.processId = backup.pid;
  dateFromNative(&backup.time, &id.backupTime);
  return id;
}

std::string StoredBackupFixture::hlOf(const StoredBackup& backup) {
  char hl[OBJ_NAME_MAX_HL_LENGTH + 1];
  zarnakObjId id = idOf(backup);
  EXPECT_EQ(buildHl(hl, backup.db.c_str(), backup.second.c_str(), backup.second.c_str(), '\\',
                    backup.type, &id),
            0);
  return hl;
}

void StoredBackupFixture::storeBackup(const StoredBackup& backup) {
  char ll[PELK_MAX_LL_LENGTH + 1];
  buildLl(ll, backup.type);
  if (!backup.llWord.empty()) std::snprintf(ll, sizeof ll, "\\%s", backup.llWord.c_str());
  std::string hl = hlOf(backup);
  objInfo info = objInfoEmpty();
  info.id = idOf(backup);
  info.numStripes = backup.stripes;
  info.sqlServerVersionMajor = backup.sqlVersionMajor;
  info.backupSize64 = pkInt64FromNative(backup.backupSize);
  std::string meta = metaData(backup, &info);
  addFilespace(fsOf(backup.server, 0));
  storeWithInfo(&m_Status, m_Handle, fsOf(backup.server, 0), hl, ll, info, OBJINFO_META_SIZE, meta);
  for (uint32_t stripe = 1; stripe <= backup.stripes; stripe++) {
    if (stripe == backup.missingStripe) continue;
    addFilespace(fsOf(backup.server, stripe));
    std::string data = stripe <= backup.data.size() ? backup.data[stripe - 1] : "data";
    storeWithInfo(&m_Status, m_Handle, fsOf(backup.server, stripe), hl, ll, info, OBJINFO_DATA_SIZE,
                  data);
  }
}

EriNameList* StoredBackupFixture::names(EriNameList& list, const std::vector<std::string>& values) {
  list.freeAll();
  for (const std::string& value : values) {
    EriNameEntry entry{};
    std::snprintf(entry.szName, sizeof entry.szName, "%s", value.c_str());
    list.addTail(&entry);
  }
  return &list;
}

EriObjectNameList* StoredBackupFixture::objectNames(EriObjectNameList& list,
                                                    const std::vector<std::string>& values) {
  list.freeAll();
  for (const std::string& value : values) {
    EriObjectNameEntry entry{};
    std::snprintf(entry.szName, sizeof entry.szName, "%s", value.c_str());
    list.addTail(&entry);
  }
  return &list;
}

std::vector<std::string> entryNames(MoxtarMetaList& list) {
  std::vector<std::string> all;
  for (MoxtarMetaInfo* entryP = list.getFirst(); entryP != nullptr; entryP = list.getNext(entryP)) {
    all.push_back(std::string(entryP->objName.hl) + entryP->objName.ll);
  }
  return all;
}
