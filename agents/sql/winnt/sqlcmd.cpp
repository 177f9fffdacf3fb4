#include "sqlcmd.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "agtmem.h"
#include "agtrc.h"
#include "agttrc.h"
#include "psutil.h"
#include "sqltypes.h"

CSqlCommand::CSqlCommand()
    : mpCommand(nullptr),
      muiCommandSize(0),
      muiCommandLength(0),
      muiDefaultCommandSize(SQL_DEFAULT_COMMAND_SIZE) {}

CSqlCommand::~CSqlCommand() {
  if (mpCommand != nullptr) FREE(&mpCommand);
}

int CSqlCommand::AdjustCommandSize(uint32_t required) {
  if (muiCommandSize >= required) return RC_OK;
  uint64_t size = muiCommandSize;
  while (size < required) size += muiDefaultCommandSize;
  if (size * sizeof(char16_t) > UINT32_MAX) return RC_NO_MEMORY;
  uint32_t bytes = uint32_t(size * sizeof(char16_t));
  // REALLOC leaves the old block in place when it fails, so the statement so far survives.
  void* blockP = mpCommand == nullptr ? MALLOC(bytes) : REALLOC(&mpCommand, bytes);
  if (blockP == nullptr) {
    TRACE_LINE(TRC_SQLAPI, "SQLAPI-%s REALLOC( %u ) of the statement buffer failed.\n",
               "CSqlApi::AdjustCommandSize", unsigned(size * sizeof(char16_t)));
    return RC_NO_MEMORY;
  }
  if (mpCommand == nullptr) {
    mpCommand = static_cast<char16_t*>(blockP);
    mpCommand[0] = u'\0';
  }
  muiCommandSize = uint32_t(size);
  return RC_OK;
}

int CSqlCommand::appendPiece(const char* textP, size_t length) {
  if (length == 0) return RC_OK;
  std::string piece(textP, length);
  char16_t* wideP = nullptr;
  uint32_t wideSize = 0;
  int rc = growWideString(&wideP, &wideSize, piece.c_str(), 0);
  if (rc == RC_OK) rc = appendWide(wideP);
  if (wideP != nullptr) FREE(&wideP);
  return rc;
}

int CSqlCommand::appendWide(const char16_t* wideP) {
  uint32_t n = uint32_t(std::char_traits<char16_t>::length(wideP));
  int rc = AdjustCommandSize(muiCommandLength + n + 1);
  if (rc != RC_OK) return rc;
  memcpy(mpCommand + muiCommandLength, wideP, (n + 1) * sizeof(char16_t));
  muiCommandLength += n;
  return RC_OK;
}

int CSqlCommand::append(const char* textP) {
  return appendPiece(textP, strlen(textP));
}

int CSqlCommand::appendEscaped(const char* textP, char closer) {
  const char doubled[3] = {closer, closer, '\0'};
  for (;;) {
    const char* closerP = strchr(textP, closer);
    size_t length = closerP == nullptr ? strlen(textP) : size_t(closerP - textP);
    if (length > 0) {
      int rc = appendPiece(textP, length);
      if (rc != RC_OK) return rc;
    }
    if (closerP == nullptr) return RC_OK;
    int rc = append(doubled);
    if (rc != RC_OK) return rc;
    textP = closerP + 1;
  }
}

void CSqlCommand::clear() {
  muiCommandLength = 0;
  if (mpCommand != nullptr) mpCommand[0] = u'\0';
}

int sqlCheckNameLength(const char* nameP, size_t maxLength, const char* operationP, int line,
                       char* errorTextP, size_t errorTextSize) {
  size_t length = strlen(nameP);
  if (length <= maxLength) return RC_OK;
  snprintf(errorTextP, errorTextSize, "%s:%i:%i strlen(%.*s...):%i > %i", operationP, line,
           RC_SQL_STRING_TOO_LONG, 24, nameP, int(length), int(maxLength));
  TRACE_LINE(TRC_SQLAPI, "SQLAPI-%s %s\n", operationP, errorTextP);
  return RC_SQL_STRING_TOO_LONG;
}
