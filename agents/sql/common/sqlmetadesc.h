// The description of a database in a backup's meta-data object: the estimate step, which fills
// the stored description (sqlMetaDataInfo) and sizes the backup and the meta-data object, the
// producer body that writes the group and file records into a transfer's ring, and the
// consumer body that reads them back into the group and file lists of a stored backup's
// database element.
//
// Which records a backup type writes: full, difffull and log one G record per group of the
// database (the log pseudo-group included) and one F record per file; group one G record and
// the group's files; file one G record for the file's group and the file; set one G record for
// every group selected whole or with selected files and the files they stand for. Records are
// written group by group, so that the files of a group follow each other in the order of the G
// records' file counts.
//
// Codes: 0; 200 cancelled; 419 a missing element or a ring too small for a record; 421 no
// memory; 502 an invalid backup type; 503 a stored description that does not match its data;
// any code of the ring.
#pragma once

#include <cstdint>

#include "objinfo.h"
#include "pcm.h"
#include "sqlmeta.h"
#include "sqltypes.h"

// The backup's size estimate (the log's or the data's space used, at least 4096 bytes), its
// stored description and the size of its meta-data object's data. Stops with 200, leaving the
// outputs partly filled, when *cancelledP turns 1 (a null pointer never cancels).
int sqlMetaEstimate(pkInt64* backupDataSizeEst64P, sqlMetaDataInfo* infoP, pkInt64* metaDataSize64P,
                    uint32_t backupType, const SqlServerElement& server, const SqlDbInfo& dbInfo,
                    const uint32_t* cancelledP);

// Producer body: the records of the backup type into the transfer's ring, each whole within one
// buffer, the last buffer handed on as full. The caller completes the ring.
int produceFromSqlDbInfo(CPcm* pcmP, const uint32_t* backupTypeP, const SqlDbInfo* dbInfoP);

// Consumer body: the records of the entry's meta-data object into the group and file lists of
// its database element (which must have both lists), each file linked to its group and each
// group to its first file. The element's stored counts say how many records to read; the
// object must hold exactly those records: a wrong tag or version, an unterminated name, a
// different stored size, fewer bytes or more give 503.
int consumeToSqlDbInfo(CPcm* pcmP, MoxtarMetaInfo* entryP);
