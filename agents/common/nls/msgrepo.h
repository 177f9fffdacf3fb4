// The message repository: opening and checking the repository file (NLInit, NLTerm) and the
// lookup of a message by number through a small cache, most recently used first.
//
// Every function here runs under the caller's hold of the NLS mutex (nlsglob.h), except NLInit,
// NLTerm and nlsSetRepositoryText, which the front end calls before threads start or after they
// have ended.
#pragma once

#include <cstdint>
#include <cstdio>

#include "msgformat.h"

// NLInit's codes, reported through message 4 like any code without a message of its own.
constexpr int RC_NLS_BAD_CONTROL_WORD = 1000;
constexpr int RC_NLS_BAD_NUMBER_FORMAT = 1001;
constexpr int RC_NLS_OPEN_FAILED = 1002;
constexpr int RC_NLS_HEADER_READ_FAILED = 1003;

constexpr int NLS_PATH_SIZE = 1280;

// One cached message, in one block sized to its text.
struct nlsMsgEntry {
  nlsMsgEntry* m_PrevP;  // towards the more recently used; the front's is the least recent
  nlsMsgEntry* m_NextP;
  uint16_t m_MsgNum;
  uint8_t m_Severity;  // 0-7
  char m_Response[NLS_RESPONSE_MAX + 1];
  uint16_t m_TextLen;  // bytes of m_TextP, prefix included; the reordering form holds zeros
  bool m_HasPrefix;
  bool m_TakesInserts;  // the text takes exactly what its callers pass (msginserts.h)
  char* m_TextP;        // the prefix, then the text, then a terminator; inside this block
};

struct nlsRepository {
  nlsMsgEntry* m_MsgCacheP;  // the most recently used entry of a circular list, or null
  unsigned m_NumCached;
  unsigned m_MaxCached;  // at least 1
  FILE* m_RepositoryP;   // null until NLInit succeeds
  char m_RepositoryPath[NLS_PATH_SIZE];
  char* m_RepositoryTextP;         // nlsSetRepositoryText's copy
  char m_WorkBuffer[NLS_MSG_MAX];  // a message is read and formatted here
  char m_InsertArea[NLS_MSG_MAX];  // the inserts of one reordered message
  char* m_InsertP[NLS_INSERTS_MAX];
};

// Opens the repository of `languageP` (path from optGetMessageFile) and sets the date, time and
// number formats unless the front end fixed them. Returns 0 or 1000-1003; unless `quiet`, a
// failure's text goes to the severity-6 callback or standard output.
int NLInit(const char* languageP, int cacheSize, int quiet, int dateFormat, int timeFormat,
           int numberFormat);

// Closes the repository, frees the kept text and the cache.
void NLTerm();

// Keeps a copy of the text in the repository record, freeing the copy kept before.
void nlsSetRepositoryText(const char* textP);

// The message, from the cache or the file, moved to the front of the cache; null when it is
// missing (an internal error has then been reported when the file could not be read).
const nlsMsgEntry* nlsFindMsg(unsigned msgNum);

// Frees every cached entry.
void nlsFlushCache();

// Hands an internal error text to the severity-6 callback, else writes it to standard output.
void nlsReportInternalError(const char* textP);
