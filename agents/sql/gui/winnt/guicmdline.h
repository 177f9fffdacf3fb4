// The windowed program's pass over its own command line, with the option parser of the
// command-line program. No word is taken as a command: `command` stays 0 (the windowed
// program), so only that command's options are accepted (CONFIGfile, SQLSERVer,
// STATUSInterval, TRACEFIle, TRACEFLags, HUBLOROPTFile). No combination checks follow.
#pragma once

#include "optinfo.h"

// 0, or the parser's code unchanged: 1200 for an option of another command, 1207 for a word
// without an option prefix, a value parser's code for a bad value.
int parseGuiCmdLine(int argc, char* argv[], OptionsInfo* optionsP);
