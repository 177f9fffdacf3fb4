// What a transfer end reaches of its transfer. The thread bodies that connect a ring to the
// outside (a storage object, a file, the records of a backup's description) are plain
// functions given the transfer; they use its ring, cancel state, byte counters, timing records
// and message buffers through this one door, each on its own side's thread (pcm.h).
#pragma once

#include "pcm.h"

class CPcmEnd {
 public:
  static CBufferRing& ring(CPcm* pcmP) { return pcmP->m_Ring; }
  // The transfer was cancelled (its ring then answers 200).
  static bool cancelled(const CPcm* pcmP) { return pcmP->m_Cancelled.load() != 0; }
  static std::atomic<uint64_t>& bytesProduced(CPcm* pcmP) { return pcmP->m_BytesProduced; }
  static std::atomic<uint64_t>& bytesConsumed(CPcm* pcmP) { return pcmP->m_BytesConsumed; }
  static DPelkApiStatus& producerApiStatus(CPcm* pcmP) { return pcmP->m_ProducerApiStatus; }
  static DPelkApiStatus& consumerApiStatus(CPcm* pcmP) { return pcmP->m_ConsumerApiStatus; }
  static char* producerMsg(CPcm* pcmP) { return pcmP->m_ProducerErrorMsgP; }
  static uint16_t producerMsgLen(const CPcm* pcmP) { return pcmP->m_ProducerErrorMsgLen; }
  static char* consumerMsg(CPcm* pcmP) { return pcmP->m_ConsumerErrorMsgP; }
  static uint16_t consumerMsgLen(const CPcm* pcmP) { return pcmP->m_ConsumerErrorMsgLen; }
};
