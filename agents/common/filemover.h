// The local-file transfer ends: produceFromFile reads a file into a transfer's empty buffers,
// consumeToFile writes an exact number of bytes of the stream from its full buffers into a
// file (creating the file's directories first). A stream may carry several files back to back:
// each consumeToFile call writes one and, through bufferPP, hands back the buffer in which the
// next begins; the call for the last file passes none, which checks that nothing follows.
//
// Both keep their first failure; a failure's text is the message of its code with the file
// name as its insert, in the side's message buffer. An opened file is always closed, also
// after a failure or a cancel; a partly written file stays on disk. Neither cancels the
// transfer. No buffer stays locked at return except the one handed back through bufferPP.
//
// Codes: 0; 200 cancelled; produceFromFile 408 (cannot open), 409 (a read failed);
// consumeToFile the code of psCreateDirectory (403, 404, 419), 405 (fileSize64 is more than the
// free bytes of the disk), 406 (cannot open), 411 (a write failed), 419 (the data ended before
// fileSize64 bytes, or data followed them); both 414 (the close failed) and any ring code.
#pragma once

#include <cstdint>

#include "pcm.h"

// Producer body: the whole file into the ring. A file that ends on a buffer's edge, an empty
// one included, ends with one more buffer handed on with no data. The caller completes the
// ring.
int produceFromFile(CPcm* pcmP, const char* fileNameP);

// Consumer body: fileSize64 bytes of the stream into the file (created or overwritten).
// bufferPP is null, or the address of the caller's element pointer: on entry null or a Full
// buffer the caller's thread holds, perhaps partly drained; on return the buffer still held
// (null when none), its ulProcessed at the first byte behind the file.
int consumeToFile(CPcm* pcmP, const char* fileNameP, uint64_t fileSize64, RingElement** bufferPP);
