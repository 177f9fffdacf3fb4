// A stored description with every field set to a distinct value, for the tests of its readers.
#pragma once

#include <cstring>

#include "sqlmeta.h"

inline sqlMetaDataInfo sqlMetaSample() {
  sqlMetaDataInfo info = sqlMetaEmpty();
  info.lSqlDefaultCodePage = 1252;
  info.lSqlDefaultSortOrderId = 0x01020304;
  info.lSqlDefaultUnicodeLocaleId = 1033;
  info.lSqlDefaultUnicodeComparisonStyle = 196609;
  info.u64DbDataFileSize = pkInt64Make(0x11223344, 0x55667788);
  info.u64DbDataSpaceUsed = pkInt64Make(0, 4096);
  info.u64DbLogFileSize = pkInt64Make(1, 2);
  info.u64DbLogSpaceUsed = pkInt64Make(3, 4);
  info.lDbNumDataGroups = 2;
  info.lDbNumDataFiles = 3;
  info.lDbNumLogFiles = 1;
  info.lDbCompatibilityLevel = 80;
  info.usFlags = 0x1009;
  info.ulDriveMask = 0x0000000c;
  info.lDbVersion = 539;
  strcpy(info.szSqlServerBuild, "2039");
  return info;
}
