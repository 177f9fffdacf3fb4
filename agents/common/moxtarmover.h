// The storage-server transfer ends: the thread bodies that connect a transfer's ring to one
// object on the storage server. consumeToMoxtar sends every full buffer as the data of an
// object that the caller has begun; produceFromMoxtar fetches an object of the caller's open
// retrieval into empty buffers, handing each on when it is full or the object ends.
//
// The bodies move data only: the transaction, the binding of the management class, the begin
// and end of a sent object and the end-of-data mark behind a fetched object are the caller's.
// Each times its calls on its side's timing record (through gPelkApiObjP), counts the bytes
// the interface reports as done in its side's byte counter, and leaves the interface's text of
// a failing code in its side's message buffer. Neither cancels the transfer: the caller does.
//
// Codes: 0; 200 the transfer was cancelled; 1304 the interface answered 157 (the server will
// abort the transaction); 418 any other failing interface call, or a send or get that reports
// no progress; a code of the ring.
#pragma once

#include "hublorapi.h"
#include "pcm.h"

// Consumer body: sends the ring's buffers until the end of data.
int consumeToMoxtar(CPcm* pcmP, pelkUint32_t pelkHandle);

// Producer body: fetches the object objId of the open retrieval (get object, then get data)
// and ends it once begun, whatever happened. The caller completes the ring.
int produceFromMoxtar(CPcm* pcmP, pelkUint32_t pelkHandle, pelkUint64_t objId);
