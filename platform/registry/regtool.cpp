// regtool: sets up and shows the registry of the simulated machine ($ZARNAK_ROOT/registry).
// It works on the hives directly, under their locks, so armed faults of the registry calls do
// not touch it. Exit code 0 on success (also for --help, which prints the usage on standard
// output), 1 when the registry refuses, 2 for a wrong command line, whose message names the
// argument at fault.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "faults.h"
#include "hive.h"
#include "hive_text.h"
#include "store.h"
#include "winreg.h"

using namespace zkreg;

namespace {

constexpr char kUsage[] =
    "usage: regtool <command> ...\n"
    "  query KEY [NAME]          the key's values and subkeys, or one value\n"
    "  set KEY NAME TYPE DATA [LENGTH]\n"
    "                            REG_SZ text (LENGTH: exactly that many bytes, zero-padded or\n"
    "                            cut, at most 1048576), REG_DWORD number (decimal or 0x...), "
    "REG_BINARY hex, or\n"
    "                            a type number with hex data; creates missing keys\n"
    "  create KEY [CLASS]        the key with every missing parent\n"
    "  delete KEY [NAME]         one value, or the key with everything below it\n"
    "  export [KEY]              the key and all below it, every hive when none, in hive form\n"
    "  import FILE               keys and values in hive form (\"-\": standard input)\n"
    "  fault CALL CODE [TIMES]   arm a failure of a registry call (RegSetValueEx, ...) for\n"
    "                            every process: TIMES calls, or every call until cleared\n"
    "  fault list | fault clear\n"
    "KEY is ROOT\\path with ROOT HKEY_LOCAL_MACHINE (HKLM), HKEY_CURRENT_USER (HKCU) or\n"
    "HKEY_CLASSES_ROOT (HKCR); NAME \"\" is the default value.\n";

using Args = std::vector<std::string>;

struct KeyName {
  Root root = Root::LocalMachine;
  Path path;
};

int usage() {
  std::cerr << kUsage;
  return 2;
}

// A wrong command line: names the argument at fault and why.
int wrong(const std::string& argument, const std::string& why) {
  std::cerr << "regtool: " << why << ": \"" << argument << "\"\n"
            << "run \"regtool --help\" for the usage\n";
  return 2;
}

int wrongKey(const std::string& argument) {
  return wrong(argument, "not a key (ROOT\\path)");
}

int refused(const std::string& what, long code) {
  std::cerr << "regtool: " << what << ": " << errorText(code) << " (" << code << ")\n";
  return 1;
}

bool parseKeyName(const std::string& text, KeyName& key) {
  std::size_t slash = text.find('\\');
  std::string below = slash == std::string::npos ? "" : text.substr(slash + 1);
  return rootFromName(text.substr(0, slash), key.root) && splitPath(below, key.path);
}

std::string fullName(const KeyName& key) {
  Path levels{rootName(key.root)};
  levels.insert(levels.end(), key.path.begin(), key.path.end());
  return formatKeyPath(levels);
}

// Finds the key in the hive read into top; levels receives its full path as stored.
long findNamedKey(const KeyName& name, Key& top, Key*& key, Path& levels) {
  long rc = readHive(name.root, top);
  if (rc != ERROR_SUCCESS) return rc;
  levels = {rootName(name.root)};
  key = findKey(top, name.path, &levels);
  return key == nullptr ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
}

bool parseDword(const std::string& text, Bytes& data) {
  std::uint64_t n = 0;
  if (!parseNumber(text, n) || n > 0xffffffffu) return false;
  data = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
          static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
  return true;
}

// 0, or the exit code of a wrong argument.
int parseValue(const Args& args, Value& value) {
  const std::string& type = args[2];
  const std::string& data = args[3];
  value.name = args[1];
  std::uint64_t number = 0;
  if (type == "REG_SZ") {
    value.type = REG_SZ;
    value.data.assign(data.begin(), data.end());
    value.data.push_back(0);
    if (args.size() < 5) return 0;
    if (!parseNumber(args[4], number) || number > kMaxValueDataLength)
      return wrong(args[4], "not a length from 0 to " + std::to_string(kMaxValueDataLength));
    value.data.resize(number, 0);
    return 0;
  }
  if (args.size() > 4) return wrong(args[4], "a length is given only with REG_SZ");
  if (type == "REG_DWORD") {
    value.type = REG_DWORD;
    return parseDword(data, value.data) ? 0 : wrong(data, "not a 32-bit number");
  }
  if (type == "REG_BINARY") {
    value.type = REG_BINARY;
  } else if (parseNumber(type, number) && number <= 0xffffffffu) {
    value.type = static_cast<std::uint32_t>(number);
  } else {
    return wrong(type, "not a value type");
  }
  if (!parseHex(data, value.data)) return wrong(data, "not hex bytes");
  if (value.data.size() > kMaxValueDataLength) return wrong(data, "longer than a value holds");
  return 0;
}

int query(const Args& args) {
  KeyName name;
  if (!parseKeyName(args[0], name)) return wrongKey(args[0]);
  Key top;
  Key* key = nullptr;
  Path levels;
  long rc = findNamedKey(name, top, key, levels);
  if (rc != ERROR_SUCCESS) return refused(fullName(name), rc);
  if (args.size() > 1) {
    Value* value = findValue(*key, args[1]);
    if (value == nullptr)
      return refused(fullName(name) + " " + quoteText(args[1]), ERROR_FILE_NOT_FOUND);
    std::cout << formatValueData(*value) << "\n";
    return 0;
  }
  std::cout << "[" << formatKeyPath(levels) << "]\n";
  for (const Value& value : key->values) {
    std::cout << quoteText(value.name) << " = " << formatValueData(value) << "\n";
  }
  for (const auto& [folded, child] : key->subkeys)
    std::cout << "subkey " << quoteText(child->name) << "\n";
  return 0;
}

int set(const Args& args) {
  KeyName name;
  Value value;
  if (!parseKeyName(args[0], name)) return wrongKey(args[0]);
  if (int rc = parseValue(args, value)) return rc;
  long rc = updateHive(name.root, [&](Key& top, bool& changed) {
    bool created = false;
    setValue(createKey(top, name.path, "", created), value);
    changed = true;
    return ERROR_SUCCESS;
  });
  return rc == ERROR_SUCCESS ? 0 : refused("writing the hive", rc);
}

int create(const Args& args) {
  KeyName name;
  if (!parseKeyName(args[0], name)) return wrongKey(args[0]);
  std::string className = args.size() > 1 ? args[1] : "";
  long rc = updateHive(name.root, [&](Key& top, bool& changed) {
    createKey(top, name.path, className, changed);
    return ERROR_SUCCESS;
  });
  return rc == ERROR_SUCCESS ? 0 : refused("writing the hive", rc);
}

int remove(const Args& args) {
  KeyName name;
  if (!parseKeyName(args[0], name)) return wrongKey(args[0]);
  if (args.size() == 1 && name.path.empty()) return refused(fullName(name), ERROR_ACCESS_DENIED);
  long rc = updateHive(name.root, [&](Key& top, bool& changed) {
    Key* key = findKey(top, name.path);
    if (key == nullptr) return ERROR_FILE_NOT_FOUND;
    if (args.size() > 1) {
      changed = removeValue(*key, args[1]);
    } else {
      changed = removeChild(*findKey(top, Path(name.path.begin(), name.path.end() - 1)),
                            name.path.back());
    }
    return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
  return rc == ERROR_SUCCESS ? 0 : refused("deleting " + args.back(), rc);
}

int exportHives(const Args& args) {
  std::vector<KeyName> names;
  if (args.empty()) {
    for (Root root : {Root::LocalMachine, Root::CurrentUser, Root::ClassesRoot})
      names.push_back({root, {}});
  } else {
    names.emplace_back();
    if (!parseKeyName(args[0], names.back())) return wrongKey(args[0]);
  }
  std::string text = textHeader();
  for (const KeyName& name : names) {
    Key top;
    Key* key = nullptr;
    Path levels;
    long rc = findNamedKey(name, top, key, levels);
    if (rc != ERROR_SUCCESS) return refused(fullName(name), rc);
    formatTree(*key, levels, text);
  }
  std::cout << text << textTrailer();
  return 0;
}

int import(const Args& args) {
  std::ifstream file;
  if (args[0] != "-") {
    file.open(args[0]);
    if (!file) {
      std::cerr << "regtool: cannot open " << args[0] << "\n";
      return 1;
    }
  }
  std::istream& in = args[0] == "-" ? std::cin : file;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<Section> sections;
  std::string error;
  if (!parseText(text, sections, error)) {
    std::cerr << "regtool: " << args[0] << ": " << error << "\n";
    return 1;
  }
  for (Root root : {Root::LocalMachine, Root::CurrentUser, Root::ClassesRoot}) {
    std::vector<Section> mine;
    for (const Section& section : sections) {
      Root named;
      if (!rootFromName(section.path.front(), named))
        return refused(section.path.front(), ERROR_BADDB);
      if (named == root) mine.push_back(section);
    }
    if (mine.empty()) continue;
    long rc = updateHive(root, [&](Key& top, bool& changed) {
      changed = true;
      return mergeSections(root, mine, top);
    });
    if (rc != ERROR_SUCCESS) return refused("writing the hive", rc);
  }
  return 0;
}

int fault(const Args& args) {
  if (args[0] == "list" && args.size() == 1) {
    std::cout << listFaults();
    return 0;
  }
  if (args[0] == "clear" && args.size() == 1) return clearFaults() ? 0 : 1;
  std::uint64_t code = 0;
  std::uint64_t times = 0;
  if (!isFaultableCall(args[0])) return wrong(args[0], "not a registry call that can be failed");
  if (args.size() < 2) return wrong(args[0], "a fault needs a code");
  if (!parseNumber(args[1], code) || code > 0x7fffffffu) return wrong(args[1], "not a code");
  if (args.size() > 2 && (!parseNumber(args[2], times) || times > 0xffffffffu))
    return wrong(args[2], "not a count");
  if (armFault(args[0], static_cast<long>(code), static_cast<unsigned>(times))) return 0;
  std::cerr << "regtool: cannot arm the fault\n";
  return 1;
}

struct Command {
  const char* name;
  std::size_t minArgs;
  std::size_t maxArgs;
  int (*run)(const Args&);
};

constexpr Command kCommands[] = {
    {"query", 1, 2, query},        {"set", 4, 5, set},
    {"create", 1, 2, create},      {"delete", 1, 2, remove},
    {"export", 0, 1, exportHives}, {"import", 1, 1, import},
    {"fault", 1, 3, fault},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  std::string name = argv[1];
  if (name == "--help" || name == "-h") {
    std::cout << kUsage;
    return 0;
  }
  Args args(argv + 2, argv + argc);
  for (const Command& command : kCommands) {
    if (command.name != name) continue;
    if (args.size() < command.minArgs || args.size() > command.maxArgs)
      return wrong(name, "wrong number of arguments for the command");
    return command.run(args);
  }
  return wrong(name, "unknown command");
}
