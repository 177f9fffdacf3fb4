#include "vdimover.h"

#include <algorithm>
#include <cstring>

#include "agtrc.h"
#include "agttrc.h"
#include "sqlvdi.h"

namespace {

// The agent's code for a failed device call.
int vdevFailureRc(HRESULT hr) {
  if (hr == VD_E_CLOSE) return RC_CANCELLED_BY_SQL;
  if (hr == VD_E_ABORT) return RC_VDI_ABORTED;
  return RC_VDI_FAILED;
}

void traceCommand(const VDC_Command* commandP) {
  TRACE_LINE(TRC_PCM, "commandCode = %#x, size = %u, position = %#llx, buffer = %p\n",
             commandP->commandCode, commandP->size,
             static_cast<unsigned long long>(commandP->position),
             static_cast<void*>(commandP->buffer));
}

// What both bodies share: the command loop's device calls and their codes.
class CVdevSide {
 public:
  CVdevSide(std::atomic<uint32_t>& cancelled, DPelkApiStatus& apiStatus,
            IClientVirtualDevice* vdevP, VDC_Command** commandPP)
      : m_Cancelled(cancelled), m_ApiStatus(apiStatus), m_VdevP(vdevP), m_CommandPP(commandPP) {}

  bool cancelled() const { return m_Cancelled.load() != 0; }
  // The loop goes on while nothing failed and the transfer runs.
  bool running() const { return !cancelled() && m_Rc == RC_OK && m_RingRc == RC_OK; }
  VDC_Command* held() const { return *m_CommandPP; }

  // Waits for the next command unless one is held. False when none came: a failure, a cancel
  // or a successful call that brought no command.
  bool nextCommand() {
    while (running() && held() == nullptr) {
      m_Hr = vdev_GetCommand(&m_ApiStatus, m_VdevP, kVdevWaitMilliSeconds, m_CommandPP);
      if (m_Hr == VD_E_TIMEOUT) {
        TRACE_LINE(TRC_PCM, "VDEV_GETCOMMAND( %u ) timed out, hResult = %#x\n",
                   kVdevWaitMilliSeconds, static_cast<unsigned>(m_Hr));
        continue;
      }
      if (FAILED(m_Hr)) {
        TRACE_LINE(TRC_PCM, "VDEV_GETCOMMAND( %u ) failure, hResult = %#x\n", kVdevWaitMilliSeconds,
                   static_cast<unsigned>(m_Hr));
        *m_CommandPP = nullptr;
        m_Rc = vdevFailureRc(m_Hr);
      }
      break;
    }
    return running() && held() != nullptr;
  }

  // Hands the held command back to SQL Server and forgets it.
  void complete(DWORD completionCode, DWORD bytes) {
    VDC_Command* commandP = held();
    TRACE_LINE(TRC_PCM, "Calling VDEV_COMPLETECOMMAND( %#x, %#x, %u, %#llx )\n",
               commandP->commandCode, completionCode, bytes, 0ULL);
    m_Hr = vdev_CompleteCommand(&m_ApiStatus, m_VdevP, commandP, completionCode, bytes, 0);
    if (FAILED(m_Hr) && m_Rc == RC_OK) {
      m_Rc = m_Hr == VD_E_ABORT ? RC_VDI_ABORTED : RC_VDI_FAILED;
    }
    *m_CommandPP = nullptr;
  }

  void completeUnsupported() {
    TRACE_LINE(TRC_PCM, "Vdev command (%#x) is not supported.\n", held()->commandCode);
    complete(ERROR_NOT_SUPPORTED, 0);
  }

  // A protocol fault found after the loop.
  void protocolFault(const char* textP, bool withCommand) {
    TRACE_LINE(TRC_PCM, "%s", textP);
    if (withCommand && held() != nullptr) traceCommand(held());
    m_Rc = RC_INTERNAL_ERROR;
  }

  // The body's result: its own code, else a ring failure, else 200 when cancelled.
  int result() const {
    if (m_Rc != RC_OK) return m_Rc;
    if (m_RingRc != RC_OK && m_RingRc != RC_END_OF_DATA) return m_RingRc;
    if (cancelled()) return RC_RING_CANCELLED;
    return RC_OK;
  }

  std::atomic<uint32_t>& m_Cancelled;
  DPelkApiStatus& m_ApiStatus;
  IClientVirtualDevice* m_VdevP;
  VDC_Command** m_CommandPP;
  int m_Rc = RC_OK;
  int m_RingRc = RC_OK;
  HRESULT m_Hr = S_OK;
};

}  // namespace

// ---- Backup: SQL Server writes, the ring fills ----

namespace {

// Copies one write command's data into the ring; returns the bytes taken.
DWORD vdevWriteIntoRing(CVdevSide& side, CBufferRing& ring, RingElement** bufferPP,
                        std::atomic<uint64_t>& bytesProduced) {
  const VDC_Command* commandP = side.held();
  DWORD taken = 0;
  while (taken < commandP->size && !side.cancelled() && side.m_RingRc == RC_OK) {
    if (*bufferPP == nullptr) {
      side.m_RingRc = ring.lockEmptyBuffer(bufferPP);
      if (side.m_RingRc != RC_OK) break;
      (*bufferPP)->ulCount = 0;
    }
    RingElement* bufferP = *bufferPP;
    uint32_t room = ring.bufferSize() - bufferP->ulCount;
    uint32_t piece = std::min<uint32_t>(room, commandP->size - taken);
    std::memcpy(bufferP->bufferP + bufferP->ulCount, commandP->buffer + taken, piece);
    bufferP->ulCount += piece;
    taken += piece;
    bytesProduced += piece;
    if (bufferP->ulCount == ring.bufferSize()) {
      *bufferPP = nullptr;
      side.m_RingRc = ring.unlockFullBuffer(bufferP);
    }
  }
  return taken;
}

}  // namespace

int produceFromVdi(CPcm* pcmP, IClientVirtualDevice* vdevP, VDC_Command** vdevCommandPP) {
  TRACE_ENTRY(TRC_PCM, "produceFromVdi");
  CVdevSide side(pcmP->m_Cancelled, pcmP->m_ProducerApiStatus, vdevP, vdevCommandPP);
  CBufferRing& ring = pcmP->m_Ring;
  RingElement* bufferP = nullptr;
  *vdevCommandPP = nullptr;
  bool flushed = false;
  while (!flushed && side.nextCommand()) {
    switch (side.held()->commandCode) {
      case VDC_Write: {
        DWORD taken = vdevWriteIntoRing(side, ring, &bufferP, pcmP->m_BytesProduced);
        bool failed = side.cancelled() || side.m_RingRc != RC_OK;
        side.complete(failed ? ERROR_CAN_NOT_COMPLETE : ERROR_SUCCESS, taken);
        break;
      }
      case VDC_ClearError:
        side.complete(ERROR_SUCCESS, 0);
        break;
      case VDC_Discard:
        side.m_Rc = RC_CANCELLED_BY_SQL;
        side.complete(ERROR_SUCCESS, 0);
        break;
      case VDC_Flush:
        flushed = true;  // left pending for the database backup
        break;
      default:
        side.completeUnsupported();
        break;
    }
  }
  if (side.m_Rc == RC_OK && side.m_RingRc == RC_OK && !side.cancelled()) {
    if (side.held() == nullptr) {
      side.protocolFault(
          "No errors were detected but the required pending vdev flush command is missing.\n",
          false);
    } else if (side.held()->commandCode != VDC_Flush) {
      side.protocolFault(
          "No errors were detected but the pending vdevcommand is not a flush "
          "command.\n",
          true);
    }
  }
  if (bufferP != nullptr) {
    int rc = ring.unlockFullBuffer(bufferP);
    if (side.m_RingRc == RC_OK) side.m_RingRc = rc;
  }
  TRACE_RETURN(side.result());
}

// ---- Restore: the ring empties, SQL Server reads ----

namespace {

// Fills one read command from the ring; returns the bytes given.
DWORD vdevReadFromRing(CVdevSide& side, CBufferRing& ring, RingElement** bufferPP,
                       std::atomic<uint64_t>& bytesConsumed) {
  const VDC_Command* commandP = side.held();
  DWORD given = 0;
  while (given < commandP->size && !side.cancelled() && side.m_RingRc == RC_OK) {
    if (*bufferPP == nullptr) {
      side.m_RingRc = ring.lockFullBuffer(bufferPP);
      if (side.m_RingRc != RC_OK) break;
      (*bufferPP)->ulProcessed = 0;
    }
    RingElement* bufferP = *bufferPP;
    uint32_t piece =
        std::min<uint32_t>(bufferP->ulCount - bufferP->ulProcessed, commandP->size - given);
    std::memcpy(commandP->buffer + given, bufferP->bufferP + bufferP->ulProcessed, piece);
    bufferP->ulProcessed += piece;
    given += piece;
    bytesConsumed += piece;
    if (bufferP->ulProcessed == bufferP->ulCount) {
      *bufferPP = nullptr;
      side.m_RingRc = ring.unlockEmptyBuffer(bufferP);
    }
  }
  return given;
}

DWORD vdevReadCompletion(const CVdevSide& side, DWORD given) {
  if (given == side.held()->size) return ERROR_SUCCESS;
  if (side.m_RingRc == RC_END_OF_DATA && !side.cancelled()) {
    return given > 0 ? ERROR_SUCCESS : ERROR_HANDLE_EOF;
  }
  return ERROR_CAN_NOT_COMPLETE;
}

// The checks after the loop, while nothing failed.
void vdevCheckRestoreEnd(CVdevSide& side) {
  if (FAILED(side.m_Hr)) {
    TRACE_LINE(TRC_PCM, "A vdev error occured but rc = %d, hResult = %#x\n", side.m_Rc,
               static_cast<unsigned>(side.m_Hr));
    side.m_Rc = RC_INTERNAL_ERROR;
  } else if (side.held() != nullptr) {
    side.protocolFault("An unexpected pending vdev command was detected.\n", true);
  } else if (side.m_RingRc == RC_OK) {
    TRACE_LINE(TRC_PCM, "No vdev command but no errors were detected\n");
    TRACE_LINE(TRC_PCM, "cancelled = %u, hResult = %#x, rc = %d\n", side.m_Cancelled.load(),
               static_cast<unsigned>(side.m_Hr), side.m_Rc);
    side.m_Rc = RC_INTERNAL_ERROR;
  }
}

// 427: from the end of the conversation no command may be held; from a Load it must be held.
void vdevCheckCancelledBySql(CVdevSide& side, bool loadRequested) {
  if (!loadRequested) {
    if (side.held() != nullptr) {
      side.protocolFault("An unexpected pending vdev command was detected.\n", true);
    }
    return;
  }
  if (side.held() == nullptr) {
    side.protocolFault("The required pending vdev load command is missing.\n", false);
  } else if (side.held()->commandCode != VDC_Load) {
    side.protocolFault("The required pending vdev command is not a load command.\n", true);
  }
}

// SQL Server asked for its next medium: when the ring holds nothing but the end of data, the
// whole object was given and the request is no failure.
void vdevLoadAfterData(CVdevSide& side, CBufferRing& ring) {
  RingElement* bufferP = nullptr;
  int rc = ring.lockFullBuffer(&bufferP);
  if (rc == RC_END_OF_DATA) {
    TRACE_LINE(TRC_PCM,
               "Ignoring RC_CANCELLED_BY_SQL( %d ) because the data transfer completed "
               "successfully...\n",
               side.m_Rc);
    side.m_Rc = RC_OK;
    side.m_RingRc = RC_END_OF_DATA;
    return;
  }
  if (rc == RC_OK) rc = ring.unlockEmptyBuffer(bufferP);
  side.m_RingRc = rc;
}

}  // namespace

int consumeToVdi(CPcm* pcmP, IClientVirtualDevice* vdevP, VDC_Command** vdevCommandPP) {
  TRACE_ENTRY(TRC_PCM, "consumeToVdi");
  CVdevSide side(pcmP->m_Cancelled, pcmP->m_ConsumerApiStatus, vdevP, vdevCommandPP);
  CBufferRing& ring = pcmP->m_Ring;
  RingElement* bufferP = nullptr;
  bool loadRequested = false;
  while (!loadRequested && side.nextCommand()) {
    switch (side.held()->commandCode) {
      case VDC_Load:
        side.m_Rc = RC_CANCELLED_BY_SQL;
        loadRequested = true;  // left pending for the restore stripe
        break;
      case VDC_Read: {
        DWORD given = vdevReadFromRing(side, ring, &bufferP, pcmP->m_BytesConsumed);
        side.complete(vdevReadCompletion(side, given), given);
        break;
      }
      case VDC_ClearError:
      case VDC_Discard:
      case VDC_Flush:
        side.complete(ERROR_SUCCESS, 0);
        break;
      default:
        side.completeUnsupported();
        break;
    }
  }
  if (side.m_Rc == RC_OK && !side.cancelled()) vdevCheckRestoreEnd(side);
  if (side.m_Rc == RC_CANCELLED_BY_SQL) vdevCheckCancelledBySql(side, loadRequested);
  // Bytes SQL Server did not take from the held buffer mean the object was not given whole,
  // whatever the ring holds behind it.
  bool dataLeft = bufferP != nullptr && bufferP->ulProcessed < bufferP->ulCount;
  if (bufferP != nullptr) {
    int rc = ring.unlockEmptyBuffer(bufferP);
    if (side.m_RingRc == RC_OK) side.m_RingRc = rc;
  }
  if (side.m_Rc == RC_CANCELLED_BY_SQL && side.m_RingRc == RC_OK && !dataLeft) {
    vdevLoadAfterData(side, ring);
  }
  TRACE_RETURN(side.result());
}
