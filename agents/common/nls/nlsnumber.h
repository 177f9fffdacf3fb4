// Numbers as text with the user's thousands and decimal separators (nlstable.h).
//
// Several formatters take their printf format from a message of the message repository. They
// read it through one seam, nlsSetNumberFormatSource: the message services install their lookup
// there, and tests install formats of their own. A format is used only when its conversions are
// exactly those the formatter passes (nlsNumberMsgArgs); otherwise, or with no source, the
// formatter fails as for a missing message.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pkint64.h"

// The messages whose texts are number formats.
enum {
  NLS_MSG_MESSAGE_NUMBER = 6,  // a message number (16-bit) for an application message id
  NLS_MSG_ONE_DECIMAL = 7,     // a double with one decimal (sizes)
  NLS_MSG_TWO_DECIMALS = 8,    // a double, the default number of decimals
  NLS_MSG_THREE_DECIMALS = 9,  // a double with three decimals
  NLS_MSG_SIGNED = 11,         // a signed 32-bit number
  NLS_MSG_UNSIGNED = 12,       // an unsigned 32-bit number
  NLS_MSG_BYTES = 13,          // width, byte count below 1 KiB
  NLS_MSG_KIB = 14,            // width, count in KiB (double)
  NLS_MSG_MIB = 15,            // width, count in MiB (double)
  NLS_MSG_GIB = 16,            // width, count in GiB (double)
};

// The arguments a number message's format must consume, in order: '*' a field width (int),
// 'u' an unsigned and 'd' a signed integer (any integer conversion with any length modifier but
// L), 'f' a double. Null for a message that is not a number format.
const char* nlsNumberMsgArgs(int msgNum);

// Looks up the format text of a number message into the buffer; returns 0, or non-zero when the
// message is missing.
typedef int (*nlsNumberFormatSource)(int msgNum, char* formatP, size_t formatSize);

// Installs the source of number formats (null: none). Set once at start-up.
void nlsSetNumberFormatSource(nlsNumberFormatSource sourceP);

// Formats one value with a number message into out. Returns the length written, or -1 when the
// format is missing or does not match, or the text does not fit.
int nlsFormatNumberMsg(int msgNum, char* outP, size_t outSize, int width, int64_t value);
int nlsFormatNumberMsgDouble(int msgNum, char* outP, size_t outSize, int width, double value);

// Problems that nlsFormatDigits reports in the first byte of the field (several add up).
enum {
  NLS_DIGITS_NULL_TEXT = 1,
  NLS_DIGITS_TEXT_TOO_LONG = 2,
  NLS_DIGITS_FIELD_TOO_SMALL = 4,
  NLS_DIGITS_FIELD_TOO_SHORT = 16,  // the number does not fit the field
  NLS_DIGITS_MAX_TEXT = 34,
};

// Writes a decimal digit text (optional leading '-', at most 34 characters) right-aligned into a
// field of fieldLength bytes (blanks before it, a terminator in the last byte), with the decimal
// separator before the last `decimals` digits and the thousands separator between groups of three
// integer digits. Returns the address of the number's first character inside the field, or null
// with the problem code in the field's first byte (no code for a null field).
char* nlsFormatDigits(const char* digitsP, char* fieldP, int fieldLength, int decimals);

// A 32-bit value formatted with message 12 (unsigned) or 11 (signed), then by nlsFormatDigits.
// Null for a null field or a field length below 2.
char* nlsFormatULong(uint32_t value, char* fieldP, int fieldLength, int decimals);
char* nlsFormatLong(int32_t value, char* fieldP, int fieldLength, int decimals);

// The value in decimal with the thousands separator between groups of three digits. Returns the
// buffer, or null when the text and its terminator do not fit in bufferLength.
char* nlsFormatInt64(pkInt64 value, char* bufferP, size_t bufferLength);

// The value with message 9 when decimals is 3, else message 8, then with the thousands separator
// between groups of integer digits and the decimal separator for the point. Returns the output,
// or null (output empty) when the format fails or the text does not fit in outputSize.
char* nlsFormatDouble(double value, char* outputP, int decimals, size_t outputSize);
inline char* formatNumberGrouped(double value, char* outputP, int decimals, size_t outputSize) {
  return nlsFormatDouble(value, outputP, decimals, outputSize);
}

// A byte count in the largest unit that keeps it at four integer digits, with one decimal
// (message 7) and the unit "B ", "KB", "MB", "GB", "TB", "PB" or "EB" behind it: "5,120.0MB".
// Counts up to 9999 are shown in bytes. Returns the output, or null (output empty) when the
// format fails or the text does not fit.
char* nlsFormatSize(pkInt64 byteCount, char* outputP, size_t outputSize);

// A byte count in a field of the given width: message 13 below 1 KiB, 14 in KiB below 1 MiB, 15 in
// MiB below 1 GiB, 16 in GiB above. Returns the output, or null (output empty) on failure.
char* nlsFormatByteCount(pkInt64 byteCount, int width, char* outputP, size_t outputSize);
