// qryDataObjects: the data objects of one stored backup, one per stripe. Each stripe's data
// filespace is queried for objects with the meta-data object's high-level and low-level names;
// only those that carry the meta-data object's identity count, and each stripe must have
// exactly one. When they cannot all be found the backup is corrupt (503); that verdict is
// checked once more over objects of any state (an inactive data object under an active
// meta-data object) before it stands.
//
// The meta-data object's and the data objects' attributes are read with their lengths and
// limits checked: attributes of another length or a stripe count over 64 make the backup
// corrupt.
//
// Codes: 0 (numStripes elements appended to the list, in stripe order); 503 corrupt; 419 the
// list shrank during a walk; 1305 the meta-data object's filespace is not one of the agent's;
// 1315 a stripe's filespace name too long; a code of the storage query (415 cancelled, 418
// with the interface's text in moxtarErrorMsg, of at least MOXTAR_ERROR_TEXT_SIZE bytes).
// Elements in the list before the call are never touched; after a failure of the first pass
// those it appended are removed; a failing second pass leaves its elements in the list.
#pragma once

#include <cstdint>

#include "moxtarutil.h"
#include "objinfo.h"

int qryDataObjects(DPelkApiStatus* apiStatusP, MoxtarMetaInfo* moxtarMetaInfo, uint32_t* cancelled,
                   pelkUint32_t pelkHandle, MoxtarBackupList* moxtarInfoList, char* moxtarErrorMsg);
