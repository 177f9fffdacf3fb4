// The wizard's state in the registry and its re-prompt entry.
//
// State: HKEY_CURRENT_USER\Software\Orbenix\Product Registration\<section>, one subkey per
// section ("General" and the product's own); every value is a REG_SZ string, integers as
// decimal text with their terminator. Keys the wizard creates carry the class "CString".
// Failures are silent: writers report nothing, readers give "" or -1.
//
// Re-prompt entry: a string value in the machine's Run key (kRunKey of HKEY_LOCAL_MACHINE),
// named after the program's path (makeRunValueName) and holding the
// launcher's path, the re-prompt time and the program's own command line; every start of the
// wizard removes the entries that name its path.
#pragma once

#include <ctime>
#include <string>

#include "winreg.h"

inline constexpr char kRegistrationKey[] = "Software\\Orbenix\\Product Registration\\";
inline constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr std::size_t kRunDataLimit = 2047;

void regWriteString(const std::string& section, const std::string& name, const std::string& text);
void regWriteInt(const std::string& section, const std::string& name, int value);
// At most 1024 bytes; "" when the key or value cannot be read or is longer.
std::string regReadString(const std::string& section, const std::string& name);
// REG_SZ: its leading decimal number (0 when none); REG_DWORD or REG_BINARY: its first four
// bytes, least significant first; anything else or unreadable: -1. At most 256 bytes.
int regReadInt(const std::string& section, const std::string& name);

// The same reads from any key of any root (the browser's settings, the HTML class).
std::string regQueryString(HKEY root, const std::string& path, const std::string& name);
int regQueryInt(HKEY root, const std::string& path, const std::string& name);

// Creates Orbenix, Product Registration, General and section under HKEY_CURRENT_USER\Software;
// the result of the last creation.
LONG createRegistrationKeys(const std::string& section);

// Writes the re-prompt entry for now plus the span; 1 when written, 0 otherwise.
int addRunEntry(int days, int hours, int minutes);
// Removes every Run value whose text names this program's path; 1 when one was found and all
// found were deleted, 0 otherwise.
int removeRunEntries();
// The program's path without blanks, ':', '\', '/', '"' and '.', cut to 12 characters, then the
// smallest number from 0 whose Run value is missing or empty.
std::string makeRunValueName();

// The data text of a re-prompt entry: the launcher, the time fields of when, the program.
std::string runEntryData(const std::string& launcherPath, std::time_t when,
                         const std::string& quotedProgram);
