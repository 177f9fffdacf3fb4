// Registry access and password scrambling.
//
// One operation per value type for reading and for writing, a key creation and a key deletion;
// each opens its key, makes one access and closes the key again, so nothing is shared between
// calls and any thread may use them. The agent keeps its own values under HKEY_LOCAL_MACHINE and
// looks up only the program for HTML files under HKEY_CLASSES_ROOT. Key paths are relative to
// the root and may end with a backslash. Failures are traced under GENeral; no user message.
//
// The scrambling turns a text into a fixed block, stored as a binary value beside the key text
// it was made with (the stored SQL Server login keeps the login name there): the key byte is
// the key text's first character in lower case.
#pragma once

#include "agtrc.h"
#include "winreg.h"

constexpr int RC_REG_OPEN_FAILED = 1700;    // the key could not be opened or created
constexpr int RC_REG_READ_FAILED = 1701;    // the value could not be read (missing, too long)
constexpr int RC_REG_WRITE_FAILED = 1703;   // the value could not be written
constexpr int RC_REG_DELETE_FAILED = 1704;  // the key could not be deleted

constexpr int REG_ENCRYPTION_SCRAMBLE = 1;  // the one encryption type defined
constexpr DWORD REG_SCRAMBLE_BLOCK_SIZE = 208;
constexpr DWORD REG_SCRAMBLE_MAX_TEXT = 207;  // characters a block holds

// Empties the buffer, then reads a string value of at most bufferSize - 1 bytes and terminates
// it; a value as long as the buffer is refused. 0, 1700 or 1701 (with an empty text).
int getSzValue(HKEY rootKey, const char* keyPathP, const char* valueNameP, char* bufferP,
               DWORD bufferSize);
// Reads a 4-byte value; *numberP is valid only on 0. 0, 1700 or 1701 (also for a value of
// another length).
int getDwordValue(HKEY rootKey, const char* keyPathP, const char* valueNameP, DWORD* numberP);
// Reads a value into bufferP; *sizeP gives the buffer's size and receives the bytes read.
// 0, 1700 or 1701.
int getBinaryValue(HKEY rootKey, const char* keyPathP, const char* valueNameP, BYTE* bufferP,
                   DWORD* sizeP);

// Write a value into an existing key: a string with its terminator, a 4-byte number, or
// exactly `length` bytes. 0, 1700 (the key is missing; nothing is created) or 1703.
int putSzValue(HKEY rootKey, const char* keyPathP, const char* valueNameP, const char* textP);
int putDwordValue(HKEY rootKey, const char* keyPathP, const char* valueNameP, DWORD number);
int putBinaryValue(HKEY rootKey, const char* keyPathP, const char* valueNameP, const BYTE* bytesP,
                   DWORD length);

// Creates the key with any missing parents, or opens it, and closes it again at once: the
// handle left in *keyP is not usable. 0 or 1700.
int createOrOpenReg(HKEY rootKey, const char* keyPathP, HKEY* keyP);
// Deletes a key that has no subkeys. 0 or 1704.
int regDeleteKey(HKEY rootKey, const char* keyPathP);

// Scrambles textP into the 208-byte block and sets *lengthP to 208; returns 1. An unknown
// encryption type touches neither the block nor the length and also returns 1. A text longer
// than 207 characters does not fit: both are left as they were and the result is 0.
int regScramble(int encryptionType, const char* keyTextP, const char* textP, BYTE* blockP,
                DWORD* lengthP);
// Rebuilds the text into textP (textSize bytes with the terminator) and returns 1; an unknown
// encryption type gives an empty text, also with 1. A damaged block (not 208 bytes long, or a
// stored length over 207) and a text that does not fit textSize give an empty text and 0.
int regUnscramble(int encryptionType, const char* keyTextP, const BYTE* blockP, DWORD blockLength,
                  char* textP, DWORD textSize);
