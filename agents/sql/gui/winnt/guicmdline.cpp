// The windowed program's pass over its own command line.
#include "guicmdline.h"

#include "agtrc.h"
#include "agttrc.h"
#include "parse.h"

int parseGuiCmdLine(int argc, char* argv[], OptionsInfo* optionsP) {
  TRACE_ENTRY(TRC_PARSE, "parseGuiCmdLine()");
  for (int i = 1; i < argc; i++) TRACE_LINE(TRC_PARSE, "argv[%d]: %s\n", i, argv[i]);
  int rc = initializeParse();
  if (rc != RC_OK) TRACE_RETURN(rc);
  for (uint32_t& enabled : commandEnabled) enabled = 0;
  optionsP->command = CMD_WINDOWED;
  int index = 1;
  if (index >= argc) TRACE_RETURN(RC_OK);
  TRACE_RETURN(parseOptions(argc, argv, &index, optionsP));
}
