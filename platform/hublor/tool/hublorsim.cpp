// hublorsim: sets up and inspects the store of the Hublor stand-in.
//   hublorsim [--store DIR] COMMAND ...      (default store: $ZARNAK_ROOT/hublor)
// --help prints the list of commands on standard output. Exit code 0 on success, 1 when the
// store refuses, 2 for a wrong command line, whose message names the argument at fault.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "admin.h"
#include "hublorapi.h"
#include "options.h"
#include "server.h"
#include "wildcard.h"

using namespace hublor;

namespace {

constexpr const char* kUsage = R"(usage: hublorsim [--store DIR] COMMAND ...
  --help                                            this text
  node add NAME PASSWORD [--expired] [--no-delete] [--max-txn N]
  node set NAME [--password PW] [--expired yes|no] [--delete yes|no] [--max-txn N]
  node list
  class add NAME [--dest DEST] [--no-backup-cg]     (adds or replaces)
  class default NAME
  class list
  rule add FS HL LL (CLASS | --exclude)             (patterns with * and ?; first match binds)
  rule list
  rule clear
  server show
  server set name|host|type|version|domain|policyset|compression VALUE
  fs list [NODE]
  objects [--node N] [--fs P] [--hl P] [--ll P] [--state active|inactive|any]
  events [--node N]
  fault add CALL [nth=N] [node=NAME] [code=C] [reason=R] [abort[=R]] [delay=MS] [lose]
            [kill[=after|commit]]
  fault list
  fault clear
  lose ID                                           (the version's data disappears)
)";

using Args = std::vector<std::string>;

// A wrong command line rather than a refusal of the store.
struct UsageError : AdminError {
  using AdminError::AdminError;
};

std::string inQuotes(const std::string& word) {
  return "\"" + word + "\"";
}

struct Context {
  std::shared_ptr<Store> store;
  std::unique_ptr<Catalog> catalog;
};

std::string formatTime(int64_t seconds) {
  if (seconds == 0) return "-";
  time_t t = static_cast<time_t>(seconds);
  struct tm local {};
  localtime_r(&t, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

// Options of the form --name [value] after the positional words.
struct Flags {
  Args positional;
  std::map<std::string, std::string> values;
  bool has(const std::string& name) const { return values.count(name) != 0; }
  std::optional<std::string> get(const std::string& name) const {
    auto found = values.find(name);
    return found == values.end() ? std::nullopt : std::optional(found->second);
  }
};

// switches take no value, options one; any other --word is refused.
Flags parseFlags(const Args& args, size_t from, const std::vector<std::string>& switches,
                 const std::vector<std::string>& options) {
  Flags flags;
  for (size_t i = from; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (word.rfind("--", 0) != 0) {
      flags.positional.push_back(word);
      continue;
    }
    std::string name = word.substr(2);
    bool isSwitch = std::find(switches.begin(), switches.end(), name) != switches.end();
    bool isOption = std::find(options.begin(), options.end(), name) != options.end();
    if (isSwitch) {
      flags.values[name] = "yes";
    } else if (!isOption) {
      throw UsageError("unknown option " + inQuotes(word));
    } else if (i + 1 < args.size()) {
      flags.values[name] = args[++i];
    } else {
      throw UsageError(inQuotes(word) + " needs a value");
    }
  }
  return flags;
}

bool yesNo(const std::string& text) {
  if (text == "yes") return true;
  if (text == "no") return false;
  throw UsageError("expected yes or no: " + inQuotes(text));
}

int number(const std::string& text) {
  try {
    size_t used = 0;
    int value = std::stoi(text, &used);
    if (used == text.size()) return value;
  } catch (const std::exception&) {
  }
  throw UsageError("not a number: " + inQuotes(text));
}

void need(const Flags& flags, size_t count, const char* what) {
  if (flags.positional.size() > count) {
    throw UsageError("unexpected argument " + inQuotes(flags.positional[count]) +
                     "; usage: " + what);
  }
  if (flags.positional.size() < count) throw UsageError(std::string("usage: ") + what);
}

// The verb after a command word, refused naming it unless it is one of verbs.
std::string verbOf(const Args& args, const char* usage) {
  std::string verb = args.size() > 1 ? args[1] : "";
  if (verb.empty()) throw UsageError(std::string("usage: ") + usage);
  return verb;
}

[[noreturn]] void unknownVerb(const Args& args, const char* usage) {
  throw UsageError("unknown " + args[0] + " command " + inQuotes(args[1]) + ": " + usage);
}

NodeChange nodeChange(const Flags& flags) {
  NodeChange change;
  if (auto pw = flags.get("password")) change.password = *pw;
  if (auto expired = flags.get("expired")) change.expired = yesNo(*expired);
  if (auto del = flags.get("delete")) change.mayDelete = yesNo(*del);
  if (flags.has("no-delete")) change.mayDelete = false;
  if (auto max = flags.get("max-txn")) change.maxTxn = number(*max);
  return change;
}

void nodeCommand(Context& ctx, const Args& args) {
  constexpr const char* kVerbs = "node add|set|list";
  std::string verb = verbOf(args, kVerbs);
  Flags flags = verb == "add" ? parseFlags(args, 2, {"no-delete", "expired"}, {"max-txn"})
                : verb == "set"
                    ? parseFlags(args, 2, {}, {"password", "expired", "delete", "max-txn"})
                    : parseFlags(args, 2, {}, {});
  if (verb == "add") {
    need(flags, 2, "node add NAME PASSWORD [...]");
    NodeChange change = nodeChange(flags);
    addNode(*ctx.catalog, flags.positional[0], flags.positional[1], change);
  } else if (verb == "set") {
    need(flags, 1, "node set NAME [...]");
    changeNode(*ctx.catalog, flags.positional[0], nodeChange(flags));
  } else if (verb == "list") {
    need(flags, 0, "node list");
    std::printf("%-20s %-8s %-7s %s\n", "NODE", "EXPIRED", "DELETE", "MAXTXN");
    for (const Node& n : listNodes(*ctx.catalog)) {
      std::printf("%-20s %-8s %-7s %d\n", n.name.c_str(), n.expired ? "yes" : "no",
                  n.mayDelete ? "yes" : "no", n.maxTxn);
    }
  } else {
    unknownVerb(args, kVerbs);
  }
}

void classCommand(Context& ctx, const Args& args) {
  constexpr const char* kVerbs = "class add|default|list";
  std::string verb = verbOf(args, kVerbs);
  Flags flags =
      verb == "add" ? parseFlags(args, 2, {"no-backup-cg"}, {"dest"}) : parseFlags(args, 2, {}, {});
  if (verb == "add") {
    need(flags, 1, "class add NAME [--dest DEST] [--no-backup-cg]");
    defineClass(*ctx.catalog, {flags.positional[0], !flags.has("no-backup-cg"),
                               flags.get("dest").value_or("DISKPOOL")});
  } else if (verb == "default") {
    need(flags, 1, "class default NAME");
    setDefaultClass(*ctx.catalog, flags.positional[0]);
  } else if (verb == "list") {
    need(flags, 0, "class list");
    std::string dflt = ctx.catalog->setting("default_class");
    std::printf("%-31s %-9s %-31s %s\n", "CLASS", "BACKUPCG", "DEST", "DEFAULT");
    for (const ManagementClass& mc : listClasses(*ctx.catalog)) {
      std::printf("%-31s %-9s %-31s %s\n", mc.name.c_str(), mc.backupCg ? "yes" : "no",
                  mc.dest.c_str(), mc.name == dflt ? "yes" : "");
    }
  } else {
    unknownVerb(args, kVerbs);
  }
}

void ruleCommand(Context& ctx, const Args& args) {
  constexpr const char* kVerbs = "rule add|list|clear";
  std::string verb = verbOf(args, kVerbs);
  Flags flags = parseFlags(
      args, 2, verb == "add" ? std::vector<std::string>{"exclude"} : std::vector<std::string>{},
      {});
  if (verb == "add") {
    bool exclude = flags.has("exclude");
    need(flags, exclude ? 3 : 4, "rule add FS HL LL (CLASS | --exclude)");
    const Args& p = flags.positional;
    addRule(*ctx.catalog, {0, p[0], p[1], p[2], exclude ? "" : p[3], exclude});
  } else if (verb == "list") {
    need(flags, 0, "rule list");
    for (const BindRule& r : listRules(*ctx.catalog)) {
      std::printf("%lld\t%s\t%s\t%s\t%s\n", static_cast<long long>(r.seq), r.fs.c_str(),
                  r.hl.c_str(), r.ll.c_str(), r.exclude ? "--exclude" : r.mc.c_str());
    }
  } else if (verb == "clear") {
    need(flags, 0, "rule clear");
    clearRules(*ctx.catalog);
  } else {
    unknownVerb(args, kVerbs);
  }
}

void serverCommand(Context& ctx, const Args& args) {
  constexpr const char* kVerbs = "server show|set KEY VALUE";
  std::string verb = verbOf(args, kVerbs);
  if (verb != "set" && verb != "show") unknownVerb(args, kVerbs);
  need(parseFlags(args, 2, {}, {}), verb == "set" ? 2 : 0, kVerbs);
  if (verb == "set") return setServerFact(*ctx.catalog, args[2], args[3]);
  for (const auto& [key, value] : serverFacts(*ctx.catalog)) {
    std::printf("%-12s %s\n", key.c_str(), value.c_str());
  }
}

void fsCommand(Context& ctx, const Args& args) {
  constexpr const char* kVerbs = "fs list [NODE]";
  if (verbOf(args, kVerbs) != "list") unknownVerb(args, kVerbs);
  if (args.size() > 3)
    throw UsageError("unexpected argument " + inQuotes(args[3]) + "; usage: " + kVerbs);
  std::string node = args.size() == 3 ? upperCase(args[2]) : "";
  std::printf("%-16s %-32s %-16s %-19s %-19s %-19s\n", "NODE", "FILESPACE", "TYPE", "REGISTERED",
              "BACKUP START", "BACKUP END");
  for (const Filespace& f : listFilespaces(*ctx.catalog, node, "*")) {
    std::printf("%-16s %-32s %-16s %-19s %-19s %-19s\n", f.node.c_str(), f.name.c_str(),
                f.type.c_str(), formatTime(f.registered).c_str(), formatTime(f.backStart).c_str(),
                formatTime(f.backComplete).c_str());
  }
}

void objectsCommand(Context& ctx, const Args& args) {
  Flags flags = parseFlags(args, 1, {}, {"node", "fs", "hl", "ll", "state"});
  need(flags, 0, "objects [--node N] [--fs P] [--hl P] [...]");
  VersionFilter filter;
  filter.node = upperCase(flags.get("node").value_or(""));
  filter.hlPattern = flags.get("hl").value_or("*");
  filter.llPattern = flags.get("ll").value_or("*");
  std::string state = flags.get("state").value_or("any");
  if (state != "any" && state != "active" && state != "inactive") {
    throw UsageError("--state active|inactive|any, not " + inQuotes(state));
  }
  filter.state = state == "active" ? PELK_ACTIVE : state == "inactive" ? PELK_INACTIVE : 0xFF;
  std::string fsPattern = flags.get("fs").value_or("*");
  std::printf("%-12s %-8s %-12s %-24s %-28s %-28s %12s %-12s %-19s %-19s\n", "ID", "STATE", "NODE",
              "FILESPACE", "HIGH-LEVEL", "LOW-LEVEL", "BYTES", "CLASS", "INSERTED", "DEACTIVATED");
  for (const Version& v : queryVersions(*ctx.catalog, filter)) {
    if (wildcardMatch(fsPattern, v.fs)) {
      std::printf("%-12lld %-8s %-12s %-24s %-28s %-28s %12lld %-12s %-19s %-19s\n",
                  static_cast<long long>(v.id), v.state == PELK_ACTIVE ? "active" : "inactive",
                  v.node.c_str(), v.fs.c_str(), v.hl.c_str(), v.ll.c_str(),
                  static_cast<long long>(v.size), v.mc.c_str(), formatTime(v.insTime).c_str(),
                  formatTime(v.deactTime).c_str());
    }
  }
}

void eventsCommand(Context& ctx, const Args& args) {
  Flags flags = parseFlags(args, 1, {}, {"node"});
  need(flags, 0, "events [--node N]");
  static const char* kSeverity[] = {"info", "warning", "error", "severe"};
  for (const Event& e : listEvents(*ctx.catalog, upperCase(flags.get("node").value_or("")))) {
    std::printf("%s  %-12s %-7s %-8s %s\n", formatTime(e.time).c_str(), e.node.c_str(),
                kSeverity[e.severity & 3], e.msgId.c_str(), e.text.c_str());
  }
}

void faultCommand(Context& ctx, const Args& args) {
  constexpr const char* kVerbs = "fault add RULE | fault list | fault clear";
  std::string verb = verbOf(args, kVerbs);
  if (verb != "add" && args.size() > 2) {
    throw UsageError("unexpected argument " + inQuotes(args[2]) + "; usage: " + kVerbs);
  }
  if (verb == "add" && args.size() > 2) {
    std::string rule;
    for (size_t i = 2; i < args.size(); ++i) rule += (i > 2 ? " " : "") + args[i];
    addFaultRule(*ctx.store, rule);
  } else if (verb == "list") {
    for (const std::string& rule : listFaultRules(*ctx.store)) std::printf("%s\n", rule.c_str());
  } else if (verb == "clear") {
    clearFaultRules(*ctx.store);
  } else if (verb == "add") {
    throw UsageError(std::string("usage: ") + kVerbs);
  } else {
    unknownVerb(args, kVerbs);
  }
}

void loseCommand(Context& ctx, const Args& args) {
  need(parseFlags(args, 1, {}, {}), 1, "lose ID");
  char* end = nullptr;
  long long id = std::strtoll(args[1].c_str(), &end, 10);
  if (args[1].empty() || *end != '\0') throw UsageError("not an object id: " + inQuotes(args[1]));
  loseObject(*ctx.store, *ctx.catalog, id);
}

const std::map<std::string, std::function<void(Context&, const Args&)>> kCommands = {
    {"node", nodeCommand},     {"class", classCommand}, {"rule", ruleCommand},
    {"server", serverCommand}, {"fs", fsCommand},       {"objects", objectsCommand},
    {"events", eventsCommand}, {"fault", faultCommand}, {"lose", loseCommand},
};

}  // namespace

int main(int argc, char** argv) {
  Args args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  std::filesystem::path storeDir = defaultStore();
  if (!args.empty() && args[0] == "--store") {
    if (args.size() < 2) {
      std::fputs("hublorsim: \"--store\" needs a folder\n", stderr);
      return 2;
    }
    storeDir = args[1];
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  auto command = kCommands.find(args[0]);
  if (command == kCommands.end()) {
    std::fprintf(stderr, "hublorsim: unknown command \"%s\"; hublorsim --help lists them\n",
                 args[0].c_str());
    return 2;
  }
  try {
    Context ctx{Store::open(storeDir), nullptr};
    ctx.catalog = ctx.store->connect();
    command->second(ctx, args);
  } catch (const UsageError& e) {
    std::fprintf(stderr, "hublorsim: %s\n", e.what());
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "hublorsim: %s\n", e.what());
    return 1;
  }
  return 0;
}
