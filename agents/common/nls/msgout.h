// Message output: every text the agent shows a user is a numbered message of the repository,
// formatted with its inserts and printed, put into a buffer, or also written to the activity
// log. Messages of severity K and above start with "ZUD", four digits and the severity letter;
// warnings, errors and severe messages (W, E, S) also reach the activity log through the
// operations that log.
//
// Every lookup and output holds the NLS mutex, also while it writes to the activity log (whose
// mutex comes second) and while it prints or calls the severity's callback, so two threads'
// messages never interleave. A missing message or repository never stops the program.
//
// Buffers: every operation that formats into a caller's buffer takes its size and never writes
// past it; a message with its prefix and inserts needs at most NLS_MSG_MAX bytes.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdio>

#include "msgformat.h"

// Prints the message: logs it when its severity is W or above and the activity log exists,
// hands it to the severity's callback, else writes it to standard output. Returns the length
// of the text without the prefix, 0 when the message is missing.
int nlprintf(int msgNum, ...);
int nlvprintf(int msgNum, va_list args);

// Writes the message to standard error; 0 when suppressed or missing.
int nlerrprintf(int msgNum, ...);

// As nlvprintf, but to the stream and never through a callback; 0 when suppressed or missing.
int nlsStreamPrintf(FILE* streamP, int msgNum, va_list args);

// Formats into the buffer; 0 when suppressed or missing (the buffer is then empty).
int nlsprintf(char* bufP, size_t bufSize, int msgNum, ...);
// As nlsprintf, whatever the suppress flag says (the activity log and the server log use it).
int nlsvprintf(char* bufP, size_t bufSize, int msgNum, va_list args);
// As nlsprintf, with a list of inserts.
int nlsvsprintf(char* bufP, size_t bufSize, int msgNum, va_list args);

// Formats into the buffer and logs it when its severity is W or above. 0; 0 at once when
// suppressed; -1 with "?????" in the buffer when the message is missing.
int nlsLogMsg(char* bufP, size_t bufSize, int msgNum, ...);

// Formats into the repository's work buffer and returns it, valid until the next message
// operation of any thread; logs as nlsLogMsg. "?????" when missing; null when suppressed.
const char* nlsMsgText(int msgNum, ...);

// nlsprintf without inserts; returns the buffer. A message that takes inserts shows their
// conversions as they stand.
char* nlsGetMsgText(char* bufP, size_t bufSize, int msgNum);

// Copies the message's response string (at most 7 characters); 0, or -1 when missing.
int nlsGetMsgResponse(int msgNum, char* bufP, size_t bufSize);

// Copies the message's printf format as it stands (without the prefix, "%%" kept), for the
// number formatters that take their formats from the repository. 0, or -1 when the message is
// missing, is in the reordering form or does not fit.
int nlsGetMsgFormat(int msgNum, char* bufP, size_t bufSize);
