#include "moxtarmover.h"

#include "agtrc.h"
#include "agttrc.h"
#include "pcmend.h"
#include "pelkapi.h"

namespace {

constexpr int RC_WILL_ABORT = 1304;  // the interface's 157

int apiFailureRc(int16_t code) {
  return code == PELK_RC_WILL_ABORT ? RC_WILL_ABORT : RC_API_CALL_FAILED;
}

// The interface's text of the code into the side's message buffer.
void takeApiText(DPelkApiStatus* statusP, pelkUint32_t handle, int16_t code, char* textP,
                 uint16_t textSize) {
  if (textP == nullptr || textSize == 0) return;
  size_t length = 0;
  gPelkApiObjP->AgtPelkRCMsg(statusP, handle, code, textP, textSize, &length);
}

// Sends the data of one full buffer. 0 once all of it is sent.
int sendBuffer(CPcm* pcmP, pelkUint32_t pelkHandle, RingElement* bufferP) {
  DPelkApiStatus* statusP = &CPcmEnd::consumerApiStatus(pcmP);
  uint32_t offset = 0;
  while (offset < bufferP->ulCount && !CPcmEnd::cancelled(pcmP)) {
    uint32_t rest = bufferP->ulCount - offset;
    DataBlk block = {PELK_DATABLK_VERSION, rest, 0,
                     reinterpret_cast<char*>(bufferP->bufferP + offset)};
    TRACE_LINE(TRC_PCM, "Calling PELKSENDDATA( %u bytes )\n", rest);
    int16_t code = DPelkApi::dpelkSendData(gPelkApiObjP, statusP, pelkHandle, &block);
    if (code != PELK_RC_OK) {
      takeApiText(statusP, pelkHandle, code, CPcmEnd::consumerMsg(pcmP),
                  CPcmEnd::consumerMsgLen(pcmP));
      TRACE_LINE(TRC_PCM, "PELKSENDDATA() failed, rc = %d, msg = %s\n", code,
                 CPcmEnd::consumerMsg(pcmP) ? CPcmEnd::consumerMsg(pcmP) : "");
      return apiFailureRc(code);
    }
    // A send that takes nothing would repeat for ever; one that claims more is not believed.
    if (block.numBytes == 0 || block.numBytes > rest) {
      TRACE_LINE(TRC_PCM, "PELKSENDDATA() reported %u of %u bytes sent.\n", block.numBytes, rest);
      return RC_API_CALL_FAILED;
    }
    offset += block.numBytes;
    CPcmEnd::bytesConsumed(pcmP) += block.numBytes;
  }
  return RC_OK;
}

}  // namespace

int consumeToMoxtar(CPcm* pcmP, pelkUint32_t pelkHandle) {
  TRACE_ENTRY(TRC_PCM, "consumeToMoxtar()");
  CBufferRing& ring = CPcmEnd::ring(pcmP);
  int rc = RC_OK;
  while (rc == RC_OK && !CPcmEnd::cancelled(pcmP)) {
    RingElement* bufferP = nullptr;
    rc = ring.lockFullBuffer(&bufferP);
    if (rc != RC_OK) break;
    rc = sendBuffer(pcmP, pelkHandle, bufferP);
    int unlockRc = ring.unlockEmptyBuffer(bufferP);
    if (rc == RC_OK) rc = unlockRc;
  }
  if (rc == RC_END_OF_DATA) rc = RC_OK;
  if (rc == RC_OK && CPcmEnd::cancelled(pcmP)) rc = RC_RING_CANCELLED;
  TRACE_RETURN(rc);
}

namespace {

// One object fetched into the ring; the state of the calls between buffers.
class CObjectFetch {
 public:
  CObjectFetch(CPcm* pcmP, pelkUint32_t pelkHandle, pelkUint64_t objId)
      : m_PcmP(pcmP),
        m_StatusP(&CPcmEnd::producerApiStatus(pcmP)),
        m_Handle(pelkHandle),
        m_ObjId(objId) {}

  bool running() const {
    return m_Last == PELK_RC_MORE_DATA && m_Rc == RC_OK && !CPcmEnd::cancelled(m_PcmP);
  }

  // Fills one empty buffer as far as the object goes and hands it on.
  void fillBuffer() {
    CBufferRing& ring = CPcmEnd::ring(m_PcmP);
    RingElement* bufferP = nullptr;
    m_Rc = ring.lockEmptyBuffer(&bufferP);
    if (m_Rc != RC_OK) return;
    bufferP->ulCount = 0;
    while (bufferP->ulCount < ring.bufferSize() && running()) get(bufferP, ring.bufferSize());
    int unlockRc = ring.unlockFullBuffer(bufferP);
    if (m_Rc == RC_OK) m_Rc = unlockRc;
  }

  // Ends the object once begun; an end that fails counts only when nothing failed before.
  void end() {
    if (!m_Begun) return;
    TRACE_LINE(TRC_PCM, "Calling PELKENDGETOBJ( %#x )\n", m_Handle);
    int16_t code = DPelkApi::dpelkEndGetObj(gPelkApiObjP, m_StatusP, m_Handle);
    if (code == PELK_RC_OK) return;
    char text[PELK_RCMSG_SIZE] = "";
    takeApiText(m_StatusP, m_Handle, code, text, sizeof text);
    TRACE_LINE(TRC_PCM, "PELKENDGETOBJ() failed, rc = %d, msg = %s\n", code, text);
    if (m_Rc != RC_OK) return;
    takeApiText(m_StatusP, m_Handle, code, CPcmEnd::producerMsg(m_PcmP),
                CPcmEnd::producerMsgLen(m_PcmP));
    m_Rc = apiFailureRc(code);
  }

  int result() const {
    if (m_Rc == RC_OK && CPcmEnd::cancelled(m_PcmP)) return RC_RING_CANCELLED;
    return m_Rc;
  }

 private:
  void get(RingElement* bufferP, uint32_t bufferSize) {
    uint32_t room = bufferSize - bufferP->ulCount;
    DataBlk block = {PELK_DATABLK_VERSION, room, 0,
                     reinterpret_cast<char*>(bufferP->bufferP + bufferP->ulCount)};
    bool first = m_FirstCall;
    m_FirstCall = false;
    if (first) {
      TRACE_LINE(TRC_PCM, "Calling PELKGETOBJ( %u bytes )\n", room);
      m_Last = DPelkApi::dpelkGetObj(gPelkApiObjP, m_StatusP, m_Handle, &m_ObjId, &block);
    } else {
      TRACE_LINE(TRC_PCM, "Calling PELKGETDATA( %u bytes )\n", room);
      m_Last = DPelkApi::dpelkGetData(gPelkApiObjP, m_StatusP, m_Handle, &block);
    }
    if (m_Last != PELK_RC_MORE_DATA && m_Last != PELK_RC_FINISHED) {
      failed(first, room);
      return;
    }
    m_Begun = true;
    // More data promised with nothing delivered would ask again for ever.
    if (block.numBytes > room || (m_Last == PELK_RC_MORE_DATA && block.numBytes == 0)) {
      TRACE_LINE(TRC_PCM, "The interface reported %u bytes for a buffer of %u.\n", block.numBytes,
                 room);
      m_Rc = RC_API_CALL_FAILED;
      return;
    }
    bufferP->ulCount += block.numBytes;
    CPcmEnd::bytesProduced(m_PcmP) += block.numBytes;
  }

  void failed(bool first, uint32_t room) {
    char* textP = CPcmEnd::producerMsg(m_PcmP);
    takeApiText(m_StatusP, m_Handle, m_Last, textP, CPcmEnd::producerMsgLen(m_PcmP));
    TRACE_LINE(TRC_PCM,
               first ? "PELKGETOBJ( of %u bytes ) failed, rc = %d, msg = %s\n"
                     : "PELKGETDATA( of %u bytes ) failed, rc = %d, msg = %s\n",
               room, m_Last, textP ? textP : "");
    m_Rc = apiFailureRc(m_Last);
  }

  CPcm* m_PcmP;
  DPelkApiStatus* m_StatusP;
  pelkUint32_t m_Handle;
  pelkUint64_t m_ObjId;
  int16_t m_Last = PELK_RC_MORE_DATA;
  bool m_FirstCall = true;
  bool m_Begun = false;
  int m_Rc = RC_OK;
};

}  // namespace

int produceFromMoxtar(CPcm* pcmP, pelkUint32_t pelkHandle, pelkUint64_t objId) {
  TRACE_ENTRY(TRC_PCM, "produceFromMoxtar()");
  CObjectFetch fetch(pcmP, pelkHandle, objId);
  while (fetch.running()) fetch.fillBuffer();
  fetch.end();
  TRACE_RETURN(fetch.result());
}
