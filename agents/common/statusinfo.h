// The status record and the status callback: how the engine tells a front end what it is doing.
//
// Every report is one StatusInfo passed by value to the front end's callback. A sender clears
// the record (`StatusInfo s{};`), sets the kind, the command when it knows one, and the fields
// of its kind's member; a receiver dispatches on the kind and reads only that kind's member.
// A text pointer is valid only during the call: the receiver copies what it keeps. Counts and
// pointers are full-width fields, so 64-bit counts and text addresses travel unchanged.
//
// Threads: the callback runs on the thread that reports (a request's thread for kinds 1-4 and
// 6, a transfer's monitor thread for kinds 0 and 5), so several threads may call it at once; a
// receiver that keeps state between reports guards it itself. Senders hold no engine lock while
// they call it, and no sender reads its result.
#pragma once

#include <cstdint>

// The kinds, with the values and in the order the front ends know them.
enum StatusKind : uint32_t {
  progressStatus = 0,  // every status interval of a transfer, and once when it ends
  finishStatus = 1,    // a backup, restore or inactivate request has ended
  msgoutStatus = 2,    // a text for the user, shown as it is
  beginStatus = 3,     // one backup, restore or inactivation of one object begins
  startStatus = 4,     // a backup, restore or inactivate request starts its work
  waitStatus = 5,      // an interface call of a transfer has run more than 7.0 seconds
  endStatus = 6,       // one backup, restore or inactivation of one object has ended
};
constexpr uint32_t kStatusKindCount = 7;

// progressStatus: filled by the transfer monitor.
struct StatusProgress {
  uint64_t bytesConsumed;  // what the transfer's consumer has delivered ("Written")
  uint64_t bytesProduced;  // what its producer has taken in ("Read")
  uint32_t fullBuffers;    // Full buffers in the ring
  uint64_t objectSize;     // size of the object in transfer, 0 when unknown
  double elapsedSeconds;   // of the transfer
};

// finishStatus: the request's counts. Backup: selected objects, expected backups, backups done,
// skipped, older backups inactivated. Restore: backups found, backups to restore, restored,
// skipped, 0. Inactivate: backups listed, listed minus skipped, inactivated, skipped, 0.
struct StatusFinish {
  uint32_t selected;
  uint32_t expected;
  uint32_t done;
  uint32_t skipped;
  uint32_t inactivated;
  uint64_t totalBytes;  // 0 for an inactivation
  double elapsedSeconds;
  int rc;  // the request's return code
};

// msgoutStatus.
struct StatusMsgout {
  const char* textP;
};

// beginStatus: the command word of the record carries the command of the object's type.
struct StatusBegin {
  const char* secondNameP;  // a restore's destination database, the time an inactivated backup
                            // was made, else null
  const char* nameP;        // the object's name
  uint32_t item;            // this item's number within the run, from 1
  uint32_t items;           // the number of items the run will do
};

// waitStatus.
struct StatusWait {
  const char* apiNameP;  // "Sql", "SQL-DMO", "HUBLOR" or "ZARNAK"
};

// The code of an item skipped, reported apart from failures: a backup type after the one that
// failed, a restore into a destination whose earlier restore failed, a backup too recent for an
// inactivation of older ones.
constexpr int RC_SKIPPED = 1318;

// endStatus: the command word of the record carries the command of the object's type.
struct StatusEnd {
  uint64_t bytes;  // moved for the item
  double elapsedSeconds;
  const char* nameP;  // the item's name
  const char* textP;  // the item's failure text, or null
  int rc;             // 0, a failure, or RC_SKIPPED
};

struct StatusInfo {
  uint32_t kind;     // a StatusKind
  uint32_t command;  // the command number of the report, 0 for the one the front end started
  union {            // by kind; startStatus has no fields of its own
    StatusProgress progress;
    StatusFinish finish;
    StatusMsgout msgout;
    StatusBegin begin;
    StatusWait wait;
    StatusEnd end;
  };
};

// The front end's status callback: takes one record by value; 0, or 419 for a kind it does
// not know. A null callback means that no reports go out.
typedef int (*StatusFunction)(StatusInfo);

// What every receiver does first: the command the report is about (its own when the record's
// word is 0, else the record's).
uint32_t statusCommand(const StatusInfo& status, uint32_t heldCommand);

// What every receiver answers for a kind it does not know: 0 for the seven kinds, else 419
// with the trace line "An invalid status type (%#x) was received.".
int statusCheckKind(const StatusInfo& status);
