#include "store.h"

#include <array>

#include "file_io.h"
#include "root.h"
#include "winreg.h"

namespace fs = std::filesystem;

namespace zkreg {

namespace {

struct RootEntry {
  Root root;
  const char* name;
  const char* shortName;
};

constexpr std::array<RootEntry, 3> kRoots = {{
    {Root::ClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
    {Root::CurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {Root::LocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
}};

struct ErrorEntry {
  long code;
  const char* text;
};

constexpr std::array<ErrorEntry, 11> kErrors = {{
    {ERROR_SUCCESS, "success"},
    {ERROR_FILE_NOT_FOUND, "no such key or value"},
    {ERROR_ACCESS_DENIED, "access denied"},
    {ERROR_INVALID_HANDLE, "not an open key"},
    {ERROR_INVALID_PARAMETER, "invalid parameter"},
    {ERROR_MORE_DATA, "buffer too small"},
    {ERROR_NO_MORE_ITEMS, "no more items"},
    {ERROR_BADDB, "hive file damaged"},
    {ERROR_CANTREAD, "hive file cannot be read"},
    {ERROR_CANTWRITE, "hive file cannot be written"},
    {ERROR_KEY_DELETED, "key deleted"},
}};

fs::path hiveDir() {
  return zkroot::stateDir("registry");
}

fs::path hiveFile(Root root, const fs::path& dir) {
  return dir / (std::string(rootName(root)) + ".hive");
}

fs::path lockFile(Root root, const fs::path& dir) {
  return dir / (std::string(rootName(root)) + ".lock");
}

long loadHive(Root root, const fs::path& dir, Key& top) {
  top = Key{};
  std::string text;
  ReadResult read = readWholeFile(hiveFile(root, dir), text);
  if (read == ReadResult::Missing) return ERROR_SUCCESS;
  if (read == ReadResult::Failed) return ERROR_CANTREAD;
  std::vector<Section> sections;
  std::string error;
  if (!parseText(text, sections, error)) return ERROR_BADDB;
  return mergeSections(root, sections, top);
}

}  // namespace

const char* rootName(Root root) {
  return kRoots[static_cast<std::size_t>(root)].name;
}

bool rootFromName(std::string_view name, Root& root) {
  std::string folded = foldName(name);
  for (const RootEntry& entry : kRoots) {
    if (folded == foldName(entry.name) || folded == foldName(entry.shortName)) {
      root = entry.root;
      return true;
    }
  }
  return false;
}

long readHive(Root root, Key& top) {
  fs::path dir = hiveDir();
  if (dir.empty()) return ERROR_CANTREAD;
  FileLock lock(lockFile(root, dir), false);
  if (!lock.held()) return ERROR_CANTREAD;
  return loadHive(root, dir, top);
}

long updateHive(Root root, const HiveChange& change) {
  fs::path dir = hiveDir();
  if (dir.empty()) return ERROR_CANTWRITE;
  FileLock lock(lockFile(root, dir), true);
  if (!lock.held()) return ERROR_CANTWRITE;
  Key top;
  long rc = loadHive(root, dir, top);
  if (rc != ERROR_SUCCESS) return rc;
  bool changed = false;
  rc = change(top, changed);
  if (rc != ERROR_SUCCESS || !changed) return rc;
  std::string text = textHeader();
  Path levels{rootName(root)};
  formatTree(top, levels, text);
  text += textTrailer();
  if (!replaceFile(hiveFile(root, dir), text)) return ERROR_CANTWRITE;
  return ERROR_SUCCESS;
}

long mergeSections(Root root, const std::vector<Section>& sections, Key& top) {
  for (const Section& section : sections) {
    Root named;
    if (!rootFromName(section.path.front(), named) || named != root) return ERROR_BADDB;
    bool created = false;
    Key& key = createKey(top, Path(section.path.begin() + 1, section.path.end()), section.className,
                         created);
    for (const Value& value : section.values) setValue(key, value);
  }
  return ERROR_SUCCESS;
}

std::string errorText(long code) {
  for (const ErrorEntry& entry : kErrors) {
    if (entry.code == code) return entry.text;
  }
  return "error " + std::to_string(code);
}

}  // namespace zkreg
