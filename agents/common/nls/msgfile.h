// The file name of the message repository: the agent directory, "sql", the language code and
// ".txt" (sqlAMENG.txt for American English).
#pragma once

#include <cstddef>

// Fills pathP with the repository path of the language and dirP with the agent directory
// (ending in '/' unless empty). Returns 0, or 404 when either does not fit its buffer (both
// are then empty).
int optGetMessageFile(const char* languageP, char* pathP, size_t pathSize, char* dirP,
                      size_t dirSize);

// Where optGetMessageFile finds the agent directory: (buffer, size) -> 0 or a registry code.
// The registry services set psGetAgentDir here; until then the directory is empty, so the
// repository is looked for in the current directory.
typedef int (*optAgentDirRtn)(char* bufP, size_t size);
void optSetAgentDirRtn(optAgentDirRtn rtn);
