// The machine's BIOS facts (manufacturer q15, product name q16, serial number q17), read from
// the SMBIOS or DMI structure table or the VPD block in the physical range 0xF0000 to 0xFFFFF
// through the physical-memory library libpmemw.so, loaded from the program's folder (else by
// its bare name) on first use and never unloaded.
#pragma once

#include <string>

class CSystemInfo;

// 1 when at least one value was found, else 0 (the three values then stay empty). The serial
// number is kept only for machines of the maker ("Orbenix").
int readBiosInfo(CSystemInfo& info);
// For tests: the library file to load (empty: the usual search).
void regSetPmemLibrary(const std::string& path);
// 16 bytes a line: hexadecimal pairs, then the bytes as characters between bars.
std::string hexDump(const unsigned char* bytes, int length);
