#include "filemover.h"

#include <algorithm>
#include <cstdio>

#include "agtrc.h"
#include "agttrc.h"
#include "errormsg.h"
#include "ffrc.h"
#include "msgout.h"
#include "pcmend.h"
#include "pkfile.h"
#include "psutil.h"

namespace {

const char* u64Text(uint64_t value, char* textP) {
  return pkInt64ToString(pkInt64FromNative(static_cast<int64_t>(value)), textP, 10);
}

// What the reader and the writer of a file share: the transfer and its ring, the file, and the
// side's code with the side's message buffer (the producer's or the consumer's).
class CFileSide {
 public:
  // The side's code, or 200 when the transfer was cancelled without a failure.
  int result() const {
    if (m_Rc == RC_OK && CPcmEnd::cancelled(m_PcmP)) return RC_RING_CANCELLED;
    return m_Rc;
  }

 protected:
  CFileSide(CPcm* pcmP, const char* fileNameP, char* msgP, uint16_t msgLen)
      : m_PcmP(pcmP),
        m_Ring(CPcmEnd::ring(pcmP)),
        m_NameP(fileNameP),
        m_MsgP(msgP),
        m_MsgLen(msgLen) {}

  // The failure's code, and its message with the file name into the side's buffer; the first
  // failure stays.
  void fail(int code) {
    if (m_Rc != RC_OK) return;
    m_Rc = code;
    if (m_MsgP != nullptr && m_MsgLen > 0) {
      nlsprintf(m_MsgP, m_MsgLen, agentRcMessage(code), m_NameP);
    }
  }

  // Opens the file in the mode; a failure is the code.
  void openFile(const char* modeP, int code) {
    m_FileP = pkFopen(m_NameP, modeP);
    if (m_FileP == nullptr) {
      TRACE_LINE(TRC_FILEOPS, "pkFopen( %s, %s ) failed.\n", m_NameP, modeP);
      fail(code);
      return;
    }
    TRACE_LINE(TRC_FILEOPS, "pkFopen( %s ) was successful\n  fileP: %#x\n", m_NameP,
               static_cast<unsigned>(reinterpret_cast<uintptr_t>(m_FileP)));
  }

  void closeFile() {
    if (m_FileP == nullptr) return;
    // The stream's address is only traced; it is taken before the stream is gone.
    unsigned streamId = static_cast<unsigned>(reinterpret_cast<uintptr_t>(m_FileP));
    int rc = pkFclose(m_FileP);
    m_FileP = nullptr;
    if (rc == RC_OK) {
      TRACE_LINE(TRC_FILEOPS, "pkFclose( %#x ) was successful.\n  fileName: %s\n", streamId,
                 m_NameP);
      return;
    }
    TRACE_LINE(TRC_FILEOPS, "pkFclose( %#x ) failed.\n  fileName: %s\n", streamId, m_NameP);
    fail(RC_FILE_CLOSE_FAILED);
  }

  // A failed read or write: its trace, and the code with its message.
  void streamFailed(int code, const char* callP, uint32_t bytes) {
    TRACE_LINE(TRC_FILEOPS, "%s( %u bytes, %#x ) failed.\n  fileName: %s\n", callP, bytes,
               static_cast<unsigned>(reinterpret_cast<uintptr_t>(m_FileP)), m_NameP);
    fail(code);
  }

  CPcm* m_PcmP;
  CBufferRing& m_Ring;
  const char* m_NameP;
  char* m_MsgP;
  uint16_t m_MsgLen;
  FILE* m_FileP = nullptr;
  Ffrc m_Rc;
};

}  // namespace

// ---- Reading a file into the ring ----

namespace {

class CFileReader : public CFileSide {
 public:
  CFileReader(CPcm* pcmP, const char* fileNameP)
      : CFileSide(pcmP, fileNameP, CPcmEnd::producerMsg(pcmP), CPcmEnd::producerMsgLen(pcmP)) {}

  bool running() const {
    return m_FileP != nullptr && m_Rc == RC_OK && !CPcmEnd::cancelled(m_PcmP) && !feof(m_FileP);
  }
  void open() { openFile("rb", RC_FILE_READ_OPEN_FAILED); }
  // Fills one buffer as far as the file goes and hands it on, also when empty.
  void fillBuffer() {
    RingElement* bufferP = nullptr;
    int rc = m_Ring.lockEmptyBuffer(&bufferP);
    if (rc != RC_OK) {
      m_Rc = rc;
      return;
    }
    bufferP->ulCount = 0;
    while (bufferP->ulCount < m_Ring.bufferSize() && running()) read(bufferP);
    rc = m_Ring.unlockFullBuffer(bufferP);
    if (rc != RC_OK) m_Rc = rc;
  }
  int finish() {
    closeFile();
    return result();
  }

 private:
  void read(RingElement* bufferP) {
    uint32_t room = m_Ring.bufferSize() - bufferP->ulCount;
    uint32_t n =
        static_cast<uint32_t>(pkFread(bufferP->bufferP + bufferP->ulCount, 1, room, m_FileP));
    if (ferror(m_FileP)) {
      streamFailed(RC_FILE_READ_FAILED, "pkFread", room);
      return;
    }
    bufferP->ulCount += n;
    m_Total += n;
    uint64_t produced = (CPcmEnd::bytesProduced(m_PcmP) += n);
    char totalText[PK_INT64_TEXT_SIZE], producedText[PK_INT64_TEXT_SIZE];
    TRACE_LINE(TRC_FILEOPS,
               "bufferP: %#x, Bytes read: %u, Bytes in buffer: %u, Total bytes Read: %s, Total "
               "bytes Produced: %s\n",
               static_cast<unsigned>(reinterpret_cast<uintptr_t>(bufferP)), n, bufferP->ulCount,
               u64Text(m_Total, totalText), u64Text(produced, producedText));
  }

  uint64_t m_Total = 0;
};

}  // namespace

int produceFromFile(CPcm* pcmP, const char* fileNameP) {
  TRACE_ENTRY(TRC_FILEOPS, "produceFromFile()");
  CFileReader reader(pcmP, fileNameP);
  if (!CPcmEnd::cancelled(pcmP)) reader.open();
  while (reader.running()) reader.fillBuffer();
  TRACE_RETURN(reader.finish());
}

// ---- Writing the ring into a file ----

namespace {

class CFileWriter : public CFileSide {
 public:
  CFileWriter(CPcm* pcmP, const char* fileNameP, uint64_t fileSize64)
      : CFileSide(pcmP, fileNameP, CPcmEnd::consumerMsg(pcmP), CPcmEnd::consumerMsgLen(pcmP)),
        m_Remaining(fileSize64),
        m_Size(fileSize64) {}

  bool going() const { return m_Rc == RC_OK && !CPcmEnd::cancelled(m_PcmP); }

  void prepare() {
    int rc = psCreateDirectory(m_NameP);
    if (rc != RC_OK) {
      TRACE_LINE(TRC_FILEOPS, "createDirectory( %s ) failed.\n", m_NameP);
      fail(rc);
      return;
    }
    checkSpace();
    if (!going()) return;
    openFile("wb", RC_FILE_OPEN_FAILED);
  }

  void write() {
    while (m_Remaining > 0 && going() && m_FileP != nullptr) {
      if (m_HeldP == nullptr && !lockNext()) return;
      writeHeld();
      if (m_HeldP->ulProcessed >= m_HeldP->ulCount) giveBack();
    }
  }

  void close() {
    ringFailure();
    closeFile();
    if (!going() || m_Remaining == 0) return;
    char text[PK_INT64_TEXT_SIZE];
    TRACE_LINE(TRC_FILEOPS,
               "No errors were detected but the entire file was not restored\n  fileSize64: %s\n",
               u64Text(m_Remaining, text));
    m_Rc = RC_INTERNAL_ERROR;
  }

  // Without a caller to take the rest of the stream: nothing but empty buffers may follow.
  void drain() {
    while (going()) {
      if (m_HeldP == nullptr && !lockNext()) break;
      if (m_HeldP->ulProcessed < m_HeldP->ulCount) {
        TRACE_LINE(TRC_FILEOPS,
                   "The entire file was restored successfully, but the data buffer is not "
                   "empty!\n  bufferP: %#x,  (bufferP->ulCount - bufferP->ulProcessed): %u\n",
                   static_cast<unsigned>(reinterpret_cast<uintptr_t>(m_HeldP)),
                   m_HeldP->ulCount - m_HeldP->ulProcessed);
        m_Rc = RC_INTERNAL_ERROR;
      }
      giveBack();
    }
    if (m_HeldP != nullptr) giveBack();
    ringFailure();
  }

  RingElement* m_HeldP = nullptr;

 private:
  void checkSpace() {
    pkInt64 free = pkInt64Zero;
    int rc = psGetFreeDiskBytes(m_NameP, &free);
    if (rc != RC_OK) {
      TRACE_LINE(TRC_FILEOPS,
                 "getFreeDiskBytes() failed, rc = %d\nThe restore will be allowed to continue!\n",
                 rc);
      return;
    }
    if (m_Size <= pkInt64ToNative(free)) return;
    char sizeText[PK_INT64_TEXT_SIZE], freeText[PK_INT64_TEXT_SIZE];
    TRACE_LINE(TRC_FILEOPS,
               "Insufficient disk space.\n  fileName       : %s\n  fileSize64     : %s\n  "
               "freeDiskBytes64: %s\n",
               m_NameP, u64Text(m_Size, sizeText), u64Text(pkInt64ToNative(free), freeText));
    m_Rc = RC_DISK_FULL;
  }

  bool lockNext() {
    m_RingRc = m_Ring.lockFullBuffer(&m_HeldP);
    if (m_RingRc == RC_OK) {
      m_HeldP->ulProcessed = 0;
      return true;
    }
    m_HeldP = nullptr;
    return false;
  }

  void giveBack() {
    int rc = m_Ring.unlockEmptyBuffer(m_HeldP);
    m_HeldP = nullptr;
    if (rc != RC_OK && m_RingRc == RC_OK) m_RingRc = rc;
  }

  // A ring failure other than the end of data becomes the code.
  void ringFailure() {
    if (m_Rc == RC_OK && m_RingRc != RC_OK && m_RingRc != RC_END_OF_DATA) m_Rc = m_RingRc;
  }

  void writeHeld() {
    while (m_HeldP->ulProcessed < m_HeldP->ulCount && m_Remaining > 0 && going()) {
      uint32_t unread = m_HeldP->ulCount - m_HeldP->ulProcessed;
      uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(unread, m_Remaining));
      uint32_t written =
          static_cast<uint32_t>(pkFwrite(m_HeldP->bufferP + m_HeldP->ulProcessed, 1, n, m_FileP));
      if (ferror(m_FileP)) {
        streamFailed(RC_FILE_WRITE_FAILED, "pkFwrite", unread);
        return;
      }
      m_HeldP->ulProcessed += written;
      m_Remaining -= written;
      m_Total += written;
      uint64_t consumed = (CPcmEnd::bytesConsumed(m_PcmP) += written);
      char totalText[PK_INT64_TEXT_SIZE], consumedText[PK_INT64_TEXT_SIZE];
      TRACE_LINE(TRC_FILEOPS,
                 "bufferP: %#x, Bytes written: %u, Bytes in buffer: %u, Total bytes Written : "
                 "%s, Total bytes Consumed: %s\n",
                 static_cast<unsigned>(reinterpret_cast<uintptr_t>(m_HeldP)), written,
                 m_HeldP->ulCount - m_HeldP->ulProcessed, u64Text(m_Total, totalText),
                 u64Text(consumed, consumedText));
    }
  }

  int m_RingRc = RC_OK;
  uint64_t m_Remaining;
  uint64_t m_Size;
  uint64_t m_Total = 0;
};

}  // namespace

int consumeToFile(CPcm* pcmP, const char* fileNameP, uint64_t fileSize64, RingElement** bufferPP) {
  TRACE_ENTRY(TRC_FILEOPS, "consumeToFile()");
  CFileWriter writer(pcmP, fileNameP, fileSize64);
  if (bufferPP != nullptr) {
    writer.m_HeldP = *bufferPP;
    *bufferPP = nullptr;
  }
  if (writer.going()) writer.prepare();
  writer.write();
  writer.close();
  if (bufferPP != nullptr) {
    *bufferPP = writer.m_HeldP;
  } else {
    writer.drain();
  }
  TRACE_RETURN(writer.result());
}
