#include "hlsplit.h"

#include <cstdio>
#include <cstring>

#include "agtrc.h"

int extractHlNames(const char* hlP, char* dbnameP, size_t dbnameSize, char* otherNameP,
                   size_t otherNameSize) {
  const char* startP = hlP[0] != '\0' ? hlP + 1 : hlP;
  const char* delimiterP = strchr(startP, '\\');
  int dbLength = int(delimiterP != nullptr ? delimiterP - startP : strlen(startP));
  snprintf(dbnameP, dbnameSize, "%.*s", dbLength, startP);
  snprintf(otherNameP, otherNameSize, "%s", delimiterP != nullptr ? delimiterP + 1 : "");
  return RC_OK;
}
