// Commands on databases: create and drop, pages, log records, options, states, checksums, and
// the listing of an instance or one database.
#include <cinttypes>
#include <cstdio>

#include "commands.h"
#include "facts.h"
#include "machine.h"
#include "sqltime.h"

namespace sqlsim {

using namespace sqlengine;

namespace {

// "A:B:C[:D]" into its parts; false when the count is outside [min, max].
bool split(const std::string& text, std::size_t min, std::size_t max,
           std::vector<std::string>& parts) {
  parts.clear();
  std::size_t start = 0;
  for (;;) {
    std::size_t colon = parts.size() + 1 == max ? std::string::npos : text.find(':', start);
    parts.push_back(text.substr(start, colon == std::string::npos ? colon : colon - start));
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return parts.size() >= min && parts.size() <= max;
}

// LOGICAL:KB[:PATH] from parts starting at at.
bool fileFrom(const std::vector<std::string>& parts, std::size_t at, DbFile& file) {
  auto kb = toNumber(parts[at + 1]);
  if (!kb || *kb <= 0) return false;
  file.logicalName = parts[at];
  file.sizeKb = *kb;
  file.physicalName = parts.size() > at + 2 ? parts[at + 2] : "";
  return !file.logicalName.empty();
}

FileGroup& groupNamed(Database& db, const std::string& name) {
  for (FileGroup& g : db.groups) {
    if (canonicalName(g.name) == canonicalName(name)) return g;
  }
  return db.groups.emplace_back(FileGroup{name, {}});
}

void printFile(const DbFile& f, const char* group) {
  std::printf("  %-8s %-20s %8" PRId64 " KB  %6" PRId64 " pages used%s  %s\n", group,
              f.logicalName.c_str(), f.sizeKb, f.usedPages, f.primary ? " (primary)" : "",
              f.physicalName.c_str());
}

void printDatabase(const Database& db, bool detail) {
  std::string options;
  for (const OptionName& o : kOptionNames)
    if (db.options.*o.member) options += std::string(options.empty() ? "" : ",") + o.name;
  std::printf("%s\tstatus=%s\tcompatibility=%d\tversion=%d%s\tlog-records=%" PRIu64
              "\tnext-lsn=%" PRIu64 "\toptions=%s\n",
              db.name.c_str(), statusName(db.status).c_str(), db.compatibilityLevel, db.version,
              db.system ? "\tsystem" : "", db.logRecords, db.nextLsn,
              options.empty() ? "-" : options.c_str());
  if (!detail) return;
  for (const FileGroup& g : db.groups) {
    if (g.files.empty()) std::printf("  %-8s (no files)\n", g.name.c_str());
    for (const DbFile& f : g.files) printFile(f, g.name.c_str());
  }
  for (const DbFile& f : db.logFiles) printFile(f, "LOG");
}

}  // namespace

int cmdShow(const Args& args) {
  auto instance = openInstance(args);
  if (!instance) return 1;
  auto held = instance->hold(false);  // one consistent picture
  if (args.words.size() > 1) {
    Database db;
    if (SqlError e = instance->database(args.words[1], db); !e.ok()) return report(e);
    printDatabase(db, true);
    std::vector<LogRecord> log;
    if (SqlError e = instance->readLog(args.words[1], log); !e.ok()) return report(e);
    for (const LogRecord& r : log)
      std::printf("  log %" PRIu64 "  %s%s%s\n", r.lsn, formatSqlTime(r.timeMs).c_str(),
                  r.mark.empty() ? "" : "  mark=", r.mark.c_str());
    return 0;
  }
  ServerFacts facts;
  if (SqlError e = instance->facts(facts); !e.ok()) return report(e);
  std::printf("server %s: %s\n", serverNameOf(instance->name()).c_str(),
              versionStringOf(facts).c_str());
  std::vector<Login> logins;
  if (SqlError e = instance->logins(logins); !e.ok()) return report(e);
  for (const Login& l : logins)
    std::printf("login %s\t%s%s%s\n", l.name.c_str(), l.windows ? "windows" : "sql",
                l.sysadmin ? "\tsysadmin" : "", l.refused ? "\trefused" : "");
  std::vector<Database> dbs;
  if (SqlError e = instance->databases(dbs); !e.ok()) return report(e);
  for (const Database& db : dbs) printDatabase(db, false);
  return 0;
}

int cmdDatabase(const Args& args) {
  Database db;
  db.name = args.words[1];
  db.groups.push_back(FileGroup{kPrimaryGroup, {}});
  for (const std::string& g : args.all("group")) groupNamed(db, g);
  std::vector<std::string> parts;
  for (const std::string& definition : args.all("file")) {
    DbFile file;
    if (!split(definition, 3, 4, parts) || !fileFrom(parts, 1, file))
      return usage("--file takes GROUP:LOGICAL:KB[:PATH], not '" + definition + "'");
    groupNamed(db, parts[0]).files.push_back(file);
  }
  for (const std::string& definition : args.all("log")) {
    DbFile file;
    if (!split(definition, 2, 3, parts) || !fileFrom(parts, 0, file))
      return usage("--log takes LOGICAL:KB[:PATH], not '" + definition + "'");
    db.logFiles.push_back(file);
  }
  if (db.groups[0].files.empty()) db.groups[0].files.push_back({0, db.name + "_data", "", 1024});
  if (db.logFiles.empty()) db.logFiles.push_back({0, db.name + "_log", "", 512});
  auto instance = openInstance(args);
  if (!instance) return 1;
  ServerFacts facts;
  if (SqlError e = instance->facts(facts); !e.ok()) return report(e);
  std::string compatibilityText =
      args.option("compatibility").value_or(std::to_string(facts.versionMajor * 10));
  std::string versionText =
      args.option("version").value_or(std::to_string(databaseVersionFor(facts.versionMajor)));
  auto compatibility = toNumber(compatibilityText);
  auto version = toNumber(versionText);
  if (!compatibility)
    return usage("--compatibility takes a number, not '" + compatibilityText + "'");
  if (!version) return usage("--version takes a number, not '" + versionText + "'");
  db.compatibilityLevel = static_cast<int>(*compatibility);
  db.version = static_cast<int>(*version);
  db.system = args.flag("system");
  if (SqlError e = instance->createDatabase(db); !e.ok()) return report(e);
  printDatabase(db, true);
  return 0;
}

int cmdDrop(const Args& args) {
  auto instance = openInstance(args);
  if (!instance) return 1;
  if (SqlError e = instance->removeDatabase(args.words[1]); !e.ok()) return report(e);
  return 0;
}

int cmdPages(const Args& args) {
  auto first = toNumber(args.words[3]);
  auto count = toNumber(args.words[4]);
  if (!first || *first < 0) return usage("FIRST is a page number, not '" + args.words[3] + "'");
  if (!count || *count <= 0)
    return usage("COUNT is a positive number, not '" + args.words[4] + "'");
  PageFill fill;
  if (auto pattern = args.option("pattern")) {
    if (pattern->empty()) return usage("--pattern needs at least one character");
    fill.random = false;
    fill.pattern = *pattern;
  } else {
    std::string text = args.option("seed").value_or("1");
    auto seed = toNumber(text);
    if (!seed) return usage("--seed takes a number, not '" + text + "'");
    fill.seed = static_cast<std::uint64_t>(*seed);
  }
  auto instance = openInstance(args);
  if (!instance) return 1;
  SqlError e =
      instance->writeTestPages(args.words[1], args.words[2], static_cast<std::uint64_t>(*first),
                               static_cast<std::uint64_t>(*count), fill);
  return e.ok() ? 0 : report(e);
}

int cmdLog(const Args& args) {
  std::string countText = args.option("count").value_or("1");
  auto count = toNumber(countText);
  if (!count || *count <= 0)
    return usage("--count takes a positive number, not '" + countText + "'");
  std::int64_t time = sqlTimeNow();
  if (auto text = args.option("time")) {
    auto parsed = parseSqlTime(*text);
    if (!parsed) return usage("--time takes 'YYYY-MM-DD HH:MM[:SS[.fff]]', not '" + *text + "'");
    time = *parsed;
  }
  std::string mark = args.option("mark").value_or("");
  if (mark.size() > kMaxMarkBytes) return usage("a mark name is at most 128 characters");
  std::vector<LogRecord> records(static_cast<std::size_t>(*count), LogRecord{0, time, ""});
  records.back().mark = mark;  // the mark goes on the last record of the batch
  auto instance = openInstance(args);
  if (!instance) return 1;
  if (SqlError e = instance->appendLog(args.words[1], records); !e.ok()) return report(e);
  for (const LogRecord& r : records)
    std::printf("%" PRIu64 "\t%s%s%s\n", r.lsn, formatSqlTime(r.timeMs).c_str(),
                r.mark.empty() ? "" : "\t", r.mark.c_str());
  return 0;
}

int cmdOption(const Args& args) {
  auto on = toOnOff(args.words[3]);
  if (!on) return usage("an option is set on or off, not '" + args.words[3] + "'");
  const OptionName* option = nullptr;
  for (const OptionName& o : kOptionNames)
    if (args.words[2] == o.name) option = &o;
  if (option == nullptr) {
    std::string names;
    for (const OptionName& o : kOptionNames) names += std::string(" ") + o.name;
    return usage("unknown option '" + args.words[2] + "'; options are:" + names);
  }
  auto instance = openInstance(args);
  if (!instance) return 1;
  auto held = instance->hold(true);
  Database db;
  if (SqlError e = instance->database(args.words[1], db); !e.ok()) return report(e);
  db.options.*option->member = *on;
  if (SqlError e = instance->setOptions(args.words[1], db.options); !e.ok()) return report(e);
  return 0;
}

int cmdStatus(const Args& args) {
  std::optional<int> status = statusByName(args.words[2]);
  if (!status) {
    auto n = toNumber(args.words[2]);
    if (!n)
      return usage(
          "a status is a name (online, restoring, standby, offline, ...) or a number, not '" +
          args.words[2] + "'");
    status = static_cast<int>(*n);
  }
  auto instance = openInstance(args);
  if (!instance) return 1;
  if (SqlError e = instance->setStatus(args.words[1], *status); !e.ok()) return report(e);
  return 0;
}

int cmdChecksum(const Args& args) {
  auto instance = openInstance(args);
  if (!instance) return 1;
  std::vector<Instance::FileChecksum> sums;
  if (SqlError e = instance->checksums(args.words[1], sums); !e.ok()) return report(e);
  for (const auto& s : sums)
    std::printf("%016" PRIx64 "  %" PRId64 "  %s  %s\n", s.checksum, s.file.sizeKb * 1024,
                s.file.logicalName.c_str(), s.file.physicalName.c_str());
  return 0;
}

}  // namespace sqlsim
