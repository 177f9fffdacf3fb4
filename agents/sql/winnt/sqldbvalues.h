// Values of a database as the records keep them: the state text of a status number, and file
// sizes in bytes from what SQL-DMO reports.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pkint64.h"

// The state text of Database.GetStatus's number, compared whole (not as bits): empty for 0,
// "Loading", "Recovering", ..., or "StatusError%i" for a number outside the list.
void sqlDatabaseStatusText(long status, char* textP, size_t textSize);

// Bytes of a file that SQL-DMO reports in kilobytes, rounded up to a whole kilobyte. Computed
// in 64 bits, so files of 2 TB and more keep their size; a negative size counts as 0.
pkInt64 sqlFileSizeBytes(float kilobytes);

// Bytes in use: size less free, 0 when the server reports more free space than size.
pkInt64 sqlSpaceUsed(pkInt64 size, uint64_t freeBytes);
