// Where the storage-manager interface lives, as the interface wrapper and its loader need it:
// the interface directory (the library and its files), the directory for the interface's error
// log and the client option file. Each empties the buffer, fills it (directories end with "/")
// and returns 0 or the registry code (1700 key missing, 1701 value missing or too long); the
// option file falls back to the bare name "pelk.opt" as the directories do to an empty text.
//
// Seam: until the agent's directory services are merged, these read the two registry entries
// themselves (pelkdirs.cpp); afterwards they only forward to psGetMOXTARAPIDir,
// psGetMOXTARAPILog and psGetMOXTARAPIConfig.
#pragma once

#include <cstddef>

int pelkGetApiDir(char* bufferP, size_t bufferSize);
int pelkGetApiLogDir(char* bufferP, size_t bufferSize);
int pelkGetApiConfig(char* bufferP, size_t bufferSize);
