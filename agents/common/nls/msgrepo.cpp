// Opening the message repository and looking messages up through the cache.
#include "msgrepo.h"

#include <cstring>

#include "agtmem.h"
#include "agtrc.h"
#include "agttrc.h"
#include "msgexpand.h"
#include "msgfile.h"
#include "msginserts.h"
#include "nlscodepage.h"
#include "nlsglob.h"
#include "nlstable.h"

namespace {

nlsRepository* repository() {
  return nlsGlobals()->m_RepositoryP;
}

// Formats one of the fixed internal error texts into the work buffer and reports it.
template <typename... Args>
void internalError(nlsRepository* repoP, const char* formatP, Args... args) {
  std::snprintf(repoP->m_WorkBuffer, sizeof(repoP->m_WorkBuffer), formatP, NLS_MSG_PREFIX, args...);
  nlsReportInternalError(repoP->m_WorkBuffer);
}

bool readAt(FILE* fileP, long offset, void* bufP, size_t length) {
  return std::fseek(fileP, offset, SEEK_SET) == 0 && std::fread(bufP, 1, length, fileP) == length;
}

uint16_t getU16LE(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

void closeRepository(nlsRepository* repoP) {
  if (repoP->m_RepositoryP != nullptr) std::fclose(repoP->m_RepositoryP);
  repoP->m_RepositoryP = nullptr;
}

// The block where message n's record starts, 0 when the message is missing.
unsigned readIndex(nlsRepository* repoP, unsigned msgNum) {
  unsigned char word[2];
  if (msgNum < 1 || msgNum > 0xFFFF) {
    internalError(repoP, "%s0106E ReadIndex: Message index not found for message %u.\n", msgNum);
    return 0;
  }
  if (!readAt(repoP->m_RepositoryP, NLS_BLOCK_SIZE + 2L * (msgNum - 1), word, 2)) {
    internalError(
        repoP,
        "%s0105E ReadIndex: Error trying to read index for message %u from repository '%s'.\n",
        msgNum, repoP->m_RepositoryPath);
    return 0;
  }
  unsigned index = getU16LE(word);
  if (index == 0)
    internalError(repoP, "%s0106E ReadIndex: Message index not found for message %u.\n", msgNum);
  return index;
}

// A record read whole: its joined text (behind room for the prefix), severity and response.
struct RawMsg {
  unsigned textLen = 0;  // without the prefix
  unsigned severity = 0;
  char response[NLS_RESPONSE_MAX + 1] = {};
};

// Reads the segments of the record at `index` into the work buffer, behind the prefix's room.
// A text longer than a message may be counts as unreadable: the file is damaged.
bool readSegments(nlsRepository* repoP, unsigned msgNum, unsigned index, RawMsg* rawP) {
  FILE* fileP = repoP->m_RepositoryP;
  const char* pathP = repoP->m_RepositoryPath;
  char* textP = repoP->m_WorkBuffer + NLS_PREFIX_LEN;
  const unsigned room = NLS_MSG_MAX - 1 - NLS_PREFIX_LEN;
  if (std::fseek(fileP, static_cast<long>(index - 1) * NLS_BLOCK_SIZE, SEEK_SET) != 0) {
    return internalError(repoP,
                         "%s0107E ReadMsg: Error trying to read header for message %u from "
                         "repository '%s'.\n",
                         msgNum, pathP),
           false;
  }
  for (bool more = true; more;) {
    unsigned char word[2];
    if (std::fread(word, 1, 2, fileP) != 2) {
      return internalError(repoP,
                           "%s0107E ReadMsg: Error trying to read header for message %u from "
                           "repository '%s'.\n",
                           msgNum, pathP),
             false;
    }
    NlsSegmentHeader h = nlsDecodeSegmentHeader(getU16LE(word));
    std::memset(rawP->response, 0, sizeof(rawP->response));
    if (std::fread(rawP->response, 1, h.responseLen, fileP) != h.responseLen) {
      return internalError(repoP,
                           "%s0119E ReadMsg: Error trying to read response string for message %u "
                           "from repository '%s'.\n",
                           msgNum, pathP),
             false;
    }
    if (rawP->textLen + h.textLen > room ||
        std::fread(textP + rawP->textLen, 1, h.textLen, fileP) != h.textLen) {
      return internalError(repoP,
                           "%s0108E ReadMsg: Error trying to read text for message %u from "
                           "repository '%s'.\n",
                           msgNum, pathP),
             false;
    }
    rawP->textLen += h.textLen;
    rawP->severity = h.severity;
    more = h.more;
  }
  textP[rawP->textLen] = '\0';
  if (!nlsCheckMsgText(textP, rawP->textLen)) {
    return internalError(
               repoP,
               "%s0108E ReadMsg: Error trying to read text for message %u from repository '%s'.\n",
               msgNum, pathP),
           false;
  }
  return true;
}

// Builds the cache entry. The prefix goes before the text when the record's severity carries
// one (the compiler gives every segment of a record the same severity).
nlsMsgEntry* readMsg(nlsRepository* repoP, unsigned msgNum, unsigned index) {
  RawMsg raw;
  if (!readSegments(repoP, msgNum, index, &raw)) return nullptr;
  bool hasPrefix = raw.severity >= NLS_SEVERITY_PREFIX;
  unsigned prefix = hasPrefix ? NLS_PREFIX_LEN : 0;
  auto* entryP = static_cast<nlsMsgEntry*>(
      MALLOC(static_cast<uint32_t>(sizeof(nlsMsgEntry) + prefix + raw.textLen + 1)));
  if (entryP == nullptr) {
    return internalError(
               repoP,
               "%s0109E ReadMsg: Insufficient memory for allocation of message structure.\n"),
           nullptr;
  }
  *entryP = nlsMsgEntry{};
  entryP->m_MsgNum = static_cast<uint16_t>(msgNum);
  entryP->m_Severity = static_cast<uint8_t>(raw.severity);
  std::memcpy(entryP->m_Response, raw.response, sizeof(entryP->m_Response));
  entryP->m_HasPrefix = hasPrefix;
  entryP->m_TextLen = static_cast<uint16_t>(prefix + raw.textLen);
  entryP->m_TextP = reinterpret_cast<char*>(entryP + 1);
  if (hasPrefix) {
    char prefixText[NLS_PREFIX_LEN + 1];
    std::snprintf(prefixText, sizeof(prefixText), "%s%04u%c ", NLS_MSG_PREFIX, msgNum % 10000,
                  nlsSeverityLetter(raw.severity));
    std::memcpy(entryP->m_TextP, prefixText, NLS_PREFIX_LEN);
  }
  std::memcpy(entryP->m_TextP + prefix, repoP->m_WorkBuffer + NLS_PREFIX_LEN, raw.textLen + 1);
  if (nlsGlobals()->m_ConvertOemToAnsi == 1) nlsConvertOemToAnsi(entryP->m_TextP + prefix);
  entryP->m_TakesInserts =
      nlsTextTakesInserts(entryP->m_TextP + prefix, raw.textLen, nlsCallerInserts(msgNum)) != 0;
  if (!entryP->m_TakesInserts) {
    internalError(repoP,
                  "%s0120E ReadMsg: Message %u of repository '%s' does not take the inserts its "
                  "callers pass; it is shown without them.\n",
                  msgNum, repoP->m_RepositoryPath);
  }
  return entryP;
}

void unlink(nlsRepository* repoP, nlsMsgEntry* entryP) {
  if (entryP->m_NextP == entryP) {
    repoP->m_MsgCacheP = nullptr;
  } else {
    entryP->m_PrevP->m_NextP = entryP->m_NextP;
    entryP->m_NextP->m_PrevP = entryP->m_PrevP;
    if (repoP->m_MsgCacheP == entryP) repoP->m_MsgCacheP = entryP->m_NextP;
  }
  --repoP->m_NumCached;
}

// Puts the entry at the front: the front's m_PrevP is the least recently used entry.
void pushFront(nlsRepository* repoP, nlsMsgEntry* entryP) {
  nlsMsgEntry* frontP = repoP->m_MsgCacheP;
  if (frontP == nullptr) {
    entryP->m_PrevP = entryP->m_NextP = entryP;
  } else {
    entryP->m_NextP = frontP;
    entryP->m_PrevP = frontP->m_PrevP;
    frontP->m_PrevP->m_NextP = entryP;
    frontP->m_PrevP = entryP;
  }
  repoP->m_MsgCacheP = entryP;
  ++repoP->m_NumCached;
}

nlsMsgEntry* findCached(nlsRepository* repoP, unsigned msgNum) {
  nlsMsgEntry* entryP = repoP->m_MsgCacheP;
  for (unsigned i = 0; entryP != nullptr && i < repoP->m_NumCached; ++i, entryP = entryP->m_NextP) {
    if (entryP->m_MsgNum == msgNum) return entryP;
  }
  return nullptr;
}

int openFailure(nlsRepository* repoP, int quiet, int rc, const char* formatP) {
  closeRepository(repoP);
  if (!quiet) internalError(repoP, formatP, repoP->m_RepositoryPath);
  return rc;
}

}  // namespace

void nlsReportInternalError(const char* textP) {
  nlsOutputCallback callbackP = nlsGlobals()->m_OutputCallbackP[6];
  if (callbackP != nullptr) return callbackP(textP);
  char copy[NLS_MSG_MAX];
  std::snprintf(copy, sizeof(copy), "%s", textP);
  nlsFputs(copy, stdout);
}

void nlsFlushCache() {
  nlsRepository* repoP = repository();
  while (repoP != nullptr && repoP->m_MsgCacheP != nullptr) {
    nlsMsgEntry* entryP = repoP->m_MsgCacheP;
    unlink(repoP, entryP);
    FREE(&entryP);
  }
}

const nlsMsgEntry* nlsFindMsg(unsigned msgNum) {
  nlsRepository* repoP = repository();
  if (repoP == nullptr || repoP->m_RepositoryP == nullptr) return nullptr;
  nlsMsgEntry* entryP = findCached(repoP, msgNum);
  if (entryP != nullptr) {
    unlink(repoP, entryP);
    pushFront(repoP, entryP);
    return entryP;
  }
  unsigned index = readIndex(repoP, msgNum);
  entryP = index != 0 ? readMsg(repoP, msgNum, index) : nullptr;
  if (entryP == nullptr) return nullptr;
  if (repoP->m_NumCached >= repoP->m_MaxCached) {
    nlsMsgEntry* oldestP = repoP->m_MsgCacheP->m_PrevP;
    unlink(repoP, oldestP);
    FREE(&oldestP);
  }
  pushFront(repoP, entryP);
  return entryP;
}

int NLInit(const char* languageP, int cacheSize, int quiet, int dateFormat, int timeFormat,
           int numberFormat) {
  TRACE_ENTRY(TRC_NLS, "NLInit()");
  NlsGlobals* globP = nlsGlobals();
  nlsRepository* repoP = globP->m_RepositoryP;
  if (repoP == nullptr) TRACE_RETURN(RC_OK);
  char agentDir[NLS_PATH_SIZE];
  optGetMessageFile(languageP, repoP->m_RepositoryPath, sizeof(repoP->m_RepositoryPath), agentDir,
                    sizeof(agentDir));
  globP->m_FileConvert = 0;
  globP->m_ConvertOemToAnsi = 1;
  globP->m_ConsoleConvert = 0;
  repoP->m_MaxCached = cacheSize < 1 ? 1 : static_cast<unsigned>(cacheSize);
  nlsFlushCache();
  closeRepository(repoP);
  repoP->m_RepositoryP = std::fopen(repoP->m_RepositoryPath, "rb");
  if (repoP->m_RepositoryP == nullptr) {
    TRACE_RETURN(openFailure(repoP, quiet, RC_NLS_OPEN_FAILED,
                             "%s0101E NLInit: Unable to open message repository '%s'.\n"));
  }
  unsigned char header[NLS_BLOCK_SIZE];
  if (!readAt(repoP->m_RepositoryP, 0, header, sizeof(header))) {
    TRACE_RETURN(openFailure(
        repoP, quiet, RC_NLS_HEADER_READ_FAILED,
        "%s0103E NLInit: Error trying to read header record from message repository '%s'.\n"));
  }
  if ((getU16LE(header) | static_cast<uint32_t>(getU16LE(header + 2)) << 16) != NLS_CONTROL_WORD) {
    TRACE_RETURN(
        openFailure(repoP, quiet, RC_NLS_BAD_CONTROL_WORD,
                    "%s0113E NLInit: Message repository '%s' has an invalid control record.\n"));
  }
  nlsFuncTable* tableP = globP->m_FuncTableP;
  if (tableP != nullptr && !globP->m_DateFormatFixed) tableP->m_SetDateFormat(tableP, dateFormat);
  if (tableP != nullptr && !globP->m_TimeFormatFixed) tableP->m_SetTimeFormat(tableP, timeFormat);
  if (globP->m_NumberFormatFixed) TRACE_RETURN(RC_OK);
  if (numberFormat < 1 || numberFormat > 6) {
    if (!quiet) internalError(repoP, "%s0112E NLInit: Invalid default number format.\n");
    TRACE_RETURN(RC_NLS_BAD_NUMBER_FORMAT);
  }
  if (tableP != nullptr) tableP->m_SetNumberFormat(tableP, numberFormat);
  TRACE_RETURN(RC_OK);
}

void NLTerm() {
  nlsRepository* repoP = repository();
  if (repoP == nullptr) return;
  nlsFlushCache();
  closeRepository(repoP);
  if (repoP->m_RepositoryTextP != nullptr) FREE(&repoP->m_RepositoryTextP);
  repoP->m_RepositoryPath[0] = '\0';
}

void nlsSetRepositoryText(const char* textP) {
  nlsRepository* repoP = repository();
  if (repoP == nullptr) return;
  if (repoP->m_RepositoryTextP != nullptr) FREE(&repoP->m_RepositoryTextP);
  if (textP == nullptr) return;
  size_t len = std::strlen(textP);
  repoP->m_RepositoryTextP = static_cast<char*>(MALLOC(static_cast<uint32_t>(len + 1)));
  if (repoP->m_RepositoryTextP != nullptr) std::memcpy(repoP->m_RepositoryTextP, textP, len + 1);
}
