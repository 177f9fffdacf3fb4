// Files: the size of a file as a 64-bit number, an exclusive open with retries, and the names
// under which the engine uses the C stream calls.
#pragma once

#include <cstdio>

#include "pkint64.h"

// 0 and the file's size in *sizeP; 407 when the file's status cannot be read (missing file, bad
// path), *sizeP then untouched.
int pkFSize(const char* fileNameP, pkInt64* sizeP);

// Opens the file (open flags as for open(2)) and takes an exclusive lock on it, so that every
// other pkOpenAndLock of the same file waits; a new file is readable and writable by its owner.
// Tries 300 times, 100 ms apart. Returns the file descriptor, or -1 when every attempt failed.
int pkOpenAndLock(const char* fileNameP, int openFlags);

// The same with a chosen number of attempts and pause between them.
int pkOpenAndLockRetry(const char* fileNameP, int openFlags, unsigned attempts,
                       unsigned sleepMilliseconds);

// Takes an exclusive lock on the lock file (created when missing), waiting while another
// process or thread holds it; the lock lasts until pkUnlockFile. Returns the descriptor to hand
// to pkUnlockFile, or -1 when the file cannot be opened or locked.
int pkLockFile(const char* lockFileNameP);
// Removes the lock file and releases the lock: no lock file stays behind its holder. A waiter
// that was waiting on the removed file goes on to lock a new one.
void pkUnlockFile(const char* lockFileNameP, int fd);

// The C stream calls, with their arguments and results.
inline FILE* pkFopen(const char* fileNameP, const char* modeP) {
  return fopen(fileNameP, modeP);
}
inline size_t pkFread(void* bufferP, size_t size, size_t count, FILE* streamP) {
  return fread(bufferP, size, count, streamP);
}
inline size_t pkFwrite(const void* bufferP, size_t size, size_t count, FILE* streamP) {
  return fwrite(bufferP, size, count, streamP);
}
inline int pkFclose(FILE* streamP) {
  return fclose(streamP);
}
inline int pkRemove(const char* fileNameP) {
  return remove(fileNameP);
}
