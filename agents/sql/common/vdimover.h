// The virtual device transfer ends: the thread bodies that connect a transfer's buffer ring to
// one SQL Server virtual device. produceFromVdi is the producer of a backup stripe (it answers
// SQL Server's write commands by filling the ring); consumeToVdi is the consumer of a restore
// stripe (it answers SQL Server's read commands from the ring).
//
// Both time their device calls on their side's timing record, count what they move in their
// side's byte counter, ask for commands in waits of 1000 ms and stop at the transfer's cancel.
// Neither cancels the transfer itself: the stripe does. A buffer held at the end is handed on
// (as Full by the producer, as Empty by the consumer), so the other side can finish.
//
// Codes: 0; 200 cancelled; 419 a protocol fault (a missing Flush, an unexpected command);
// 427 SQL Server ended the conversation, or discarded the backup, or asked for its next medium;
// 428 the set was aborted; 1915 any other device failure; a ring code.
#pragma once

#include "pcm.h"
#include "vdi.h"

// Waits for an answer in steps of this many milliseconds.
constexpr DWORD kVdevWaitMilliSeconds = 1000;

// Backup: serves the device until SQL Server sends its Flush, which is left uncompleted in
// *vdevCommandPP for the database backup to complete once every stripe has finished.
int produceFromVdi(CPcm* pcmP, IClientVirtualDevice* vdevP, VDC_Command** vdevCommandPP);

// Restore: serves the device until the ring's data are all given to SQL Server. A command in
// *vdevCommandPP at entry is handled first. Returns 427 with a Load left uncompleted in
// *vdevCommandPP when SQL Server asks for its next medium (0 when the ring held nothing more);
// the restore stripe switches to its next data object and completes the Load.
int consumeToVdi(CPcm* pcmP, IClientVirtualDevice* vdevP, VDC_Command** vdevCommandPP);
