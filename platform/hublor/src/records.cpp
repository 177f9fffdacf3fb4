#include "records.h"

#include <cstring>

#include "clock.h"
#include "wildcard.h"

namespace hublor {
namespace {
constexpr char kDelimiter = '\\';
}

pelkUint64_t toPelk64(uint64_t value) {
  return pelkUint64_t{static_cast<pelkUint32_t>(value >> 32), static_cast<pelkUint32_t>(value)};
}

uint64_t fromPelk64(const pelkUint64_t& value) {
  return (static_cast<uint64_t>(value.hi) << 32) | value.lo;
}

std::optional<std::string> fieldText(const char* field, size_t fieldSize) {
  size_t length = strnlen(field, fieldSize);
  if (length == fieldSize) return std::nullopt;
  return std::string(field, length);
}

std::optional<std::string> pointerText(const char* text, size_t maxLength) {
  size_t length = strnlen(text, maxLength + 1);
  if (length > maxLength) return std::nullopt;
  return std::string(text, length);
}

void copyField(char* field, size_t fieldSize, std::string_view text) {
  size_t length = std::min(text.size(), fieldSize - 1);
  std::memcpy(field, text.data(), length);
  field[length] = '\0';
}

int readObjectName(const pelkObjName& name, bool pattern, ObjectName& out) {
  auto fs = fieldText(name.fs, sizeof name.fs);
  auto hl = fieldText(name.hl, sizeof name.hl);
  auto ll = fieldText(name.ll, sizeof name.ll);
  if (!fs || !hl || !ll) return PELK_RC_NAME_TOO_LONG;
  out = ObjectName{*fs, *hl, *ll, name.objType};
  if (out.fs.empty()) return PELK_RC_BAD_NAME;
  if (pattern) return PELK_RC_OK;
  if (hasWildcard(out.fs) || hasWildcard(out.hl) || hasWildcard(out.ll)) return PELK_RC_BAD_NAME;
  if (out.hl.empty() || out.hl[0] != kDelimiter) return PELK_RC_BAD_NAME;
  if (out.ll.empty() || out.ll[0] != kDelimiter) return PELK_RC_BAD_NAME;
  return PELK_RC_OK;
}

void fillBackupResponse(const Version& v, qryRespBackupData& out) {
  std::memset(&out, 0, sizeof out);
  out.stVersion = PELK_QRYRESPBACKUP_VERSION;
  copyField(out.objName.fs, sizeof out.objName.fs, v.fs);
  copyField(out.objName.hl, sizeof out.objName.hl, v.hl);
  copyField(out.objName.ll, sizeof out.objName.ll, v.ll);
  out.objName.objType = static_cast<pelkUint8_t>(v.type);
  out.copyGroup = static_cast<pelkUint32_t>(v.copyGroup);
  copyField(out.mcName, sizeof out.mcName, v.mc);
  copyField(out.owner, sizeof out.owner, v.owner);
  out.objId = toPelk64(static_cast<uint64_t>(v.id));
  out.objSize = toPelk64(static_cast<uint64_t>(v.size));
  out.objCompressed = v.compressed ? 1 : 0;
  out.objState = static_cast<pelkUint8_t>(v.state);
  out.insDate = toDate(v.insTime);
  out.expDate = toDate(v.deactTime);
  // Data is laid down in commit order, and ids rise with it: the id is the restore position.
  pelkUint64_t order = toPelk64(static_cast<uint64_t>(v.id));
  out.restoreOrderExt = pelkUint160_t{0, 0, 0, order.hi, order.lo};
  out.sizeEstimate = toPelk64(static_cast<uint64_t>(v.sizeEstimate));
  size_t infoLength = std::min(v.info.size(), sizeof out.objInfo);
  out.objInfolen = static_cast<pelkUint16_t>(infoLength);
  std::memcpy(out.objInfo, v.info.data(), infoLength);
}

void fillFilespaceResponse(const Filespace& f, qryRespFSData& out) {
  std::memset(&out, 0, sizeof out);
  out.stVersion = PELK_QRYRESPFS_VERSION;
  copyField(out.fsName, sizeof out.fsName, f.name);
  copyField(out.fsType, sizeof out.fsType, f.type);
  out.occupancy = toPelk64(static_cast<uint64_t>(f.occupancy));
  out.capacity = toPelk64(static_cast<uint64_t>(f.capacity));
  std::memcpy(out.fsAttr.fsInfo, f.attr.data(), std::min(f.attr.size(), sizeof out.fsAttr));
  out.backStartDate = toDate(f.backStart);
  out.backCompleteDate = toDate(f.backComplete);
}

}  // namespace hublor
