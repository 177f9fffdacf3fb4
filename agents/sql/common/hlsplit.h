// Splitting a backup's high-level object name ("\database" or "\database\other") into the
// database name and the other part (the group or file name, or the backup time and process).
#pragma once

#include <cstddef>

// dbnameP receives the text between the leading delimiter and the next "\", otherNameP the text
// behind that "\" (empty when there is none). Each is cut to fit its buffer. Always returns 0.
int extractHlNames(const char* hlP, char* dbnameP, size_t dbnameSize, char* otherNameP,
                   size_t otherNameSize);
