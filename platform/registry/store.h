// The three hives on disk: $ZARNAK_ROOT/registry/<root name>.hive in the text form of
// hive_text.h, each guarded by <root name>.lock (shared for reading, exclusive for a change).
// Results are the ERROR_* codes of winreg.h.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "hive.h"
#include "hive_text.h"

namespace zkreg {

enum class Root { ClassesRoot, CurrentUser, LocalMachine };

const char* rootName(Root root);
// The full names and the short ones (HKLM, HKCU, HKCR), without regard to case.
bool rootFromName(std::string_view name, Root& root);

// The whole hive as it is on disk; a missing hive file is an empty hive, and one that is not
// whole (an empty file among them, as the store never writes one) is ERROR_BADDB.
long readHive(Root root, Key& top);

// Reads the hive under the exclusive lock and runs change on it; when change returns
// ERROR_SUCCESS with changed set, the hive is written back whole before the lock is released.
using HiveChange = std::function<long(Key& top, bool& changed)>;
long updateHive(Root root, const HiveChange& change);

// Adds the keys and values of sections to top, the hive of root; ERROR_BADDB when a section
// belongs to another root.
long mergeSections(Root root, const std::vector<Section>& sections, Key& top);

// A short text for an ERROR_* code, for messages.
std::string errorText(long code);

}  // namespace zkreg
