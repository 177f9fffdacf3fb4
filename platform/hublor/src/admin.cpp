#include "admin.h"

#include <unistd.h>

#include <fstream>
#include <sstream>

#include "hublorapi.h"
#include "options.h"

namespace hublor {
namespace {

struct FactName {
  const char* shortName;
  const char* key;
};

constexpr FactName kFacts[] = {
    {"name", "server_name"},        {"host", "server_host"}, {"type", "server_type"},
    {"version", "server_version"},  {"domain", "domain"},    {"policyset", "policy_set"},
    {"compression", "compression"},
};

void checkLength(const std::string& text, size_t max, const char* what) {
  if (text.empty() || text.size() > max) {
    throw AdminError(std::string(what) + " must have 1 to " + std::to_string(max) + " characters");
  }
}

void applyNodeChange(Catalog& catalog, const std::string& name, const NodeChange& change) {
  if (change.password) {
    checkLength(*change.password, PELK_MAX_PASSWORD_LENGTH, "a password");
    catalog.prepare("UPDATE nodes SET password = ? WHERE name = ?")
        .bind(1, *change.password)
        .bind(2, name)
        .run();
  }
  if (change.expired) {
    catalog.prepare("UPDATE nodes SET expired = ? WHERE name = ?")
        .bind(1, *change.expired ? 1 : 0)
        .bind(2, name)
        .run();
  }
  if (change.mayDelete) {
    catalog.prepare("UPDATE nodes SET may_delete = ? WHERE name = ?")
        .bind(1, *change.mayDelete ? 1 : 0)
        .bind(2, name)
        .run();
  }
  if (change.maxTxn) {
    if (*change.maxTxn < 1 || *change.maxTxn > 65535) {
      throw AdminError("the transaction limit must lie between 1 and 65535");
    }
    catalog.prepare("UPDATE nodes SET max_txn = ? WHERE name = ?")
        .bind(1, *change.maxTxn)
        .bind(2, name)
        .run();
  }
}

std::string readAll(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Written beside and renamed over the old file: readers never see half a file.
void writeAtomically(const std::filesystem::path& file, const std::string& text) {
  std::filesystem::path temporary = file;
  temporary += ".new." + std::to_string(getpid());
  {
    std::ofstream out(temporary, std::ios::trunc);
    out << text;
    if (!out.flush()) throw AdminError("cannot write " + temporary.string());
  }
  std::filesystem::rename(temporary, file);
}

}  // namespace

void addNode(Catalog& catalog, const std::string& name, const std::string& password,
             const NodeChange& change) {
  checkLength(name, PELK_MAX_NODE_LENGTH, "a node name");
  checkLength(password, PELK_MAX_PASSWORD_LENGTH, "a password");
  std::string node = upperCase(name);
  WriteTxn txn(catalog);
  if (findNode(catalog, node)) throw AdminError("node " + node + " exists");
  catalog.prepare("INSERT INTO nodes(name, password) VALUES(?, ?)")
      .bind(1, node)
      .bind(2, password)
      .run();
  applyNodeChange(catalog, node, change);
  txn.commit();
}

void changeNode(Catalog& catalog, const std::string& name, const NodeChange& change) {
  std::string node = upperCase(name);
  WriteTxn txn(catalog);
  if (!findNode(catalog, node)) throw AdminError("no node " + node);
  applyNodeChange(catalog, node, change);
  txn.commit();
}

std::vector<Node> listNodes(Catalog& catalog) {
  std::vector<Node> nodes;
  Stmt stmt = catalog.prepare("SELECT name FROM nodes ORDER BY name");
  while (stmt.step()) nodes.push_back(*findNode(catalog, stmt.text(0)));
  return nodes;
}

void defineClass(Catalog& catalog, const ManagementClass& mc) {
  checkLength(mc.name, PELK_MAX_MC_NAME_LENGTH, "a class name");
  checkLength(mc.dest, PELK_MAX_CG_DEST_LENGTH, "a copy destination");
  catalog
      .prepare(
          "INSERT INTO classes(name, backup_cg, dest) VALUES(?, ?, ?) "
          "ON CONFLICT(name) DO UPDATE SET backup_cg = excluded.backup_cg, "
          "dest = excluded.dest")
      .bind(1, mc.name)
      .bind(2, mc.backupCg ? 1 : 0)
      .bind(3, mc.dest)
      .run();
}

std::vector<ManagementClass> listClasses(Catalog& catalog) {
  std::vector<ManagementClass> classes;
  Stmt stmt = catalog.prepare("SELECT name, backup_cg, dest FROM classes ORDER BY name");
  while (stmt.step()) classes.push_back({stmt.text(0), stmt.integer(1) != 0, stmt.text(2)});
  return classes;
}

void setDefaultClass(Catalog& catalog, const std::string& name) {
  if (!classBinding(catalog, name)) throw AdminError("no class " + name);
  catalog.setSetting("default_class", name);
}

void addRule(Catalog& catalog, const BindRule& rule) {
  if (!rule.exclude && !classBinding(catalog, rule.mc)) throw AdminError("no class " + rule.mc);
  catalog.prepare("INSERT INTO rules(fs, hl, ll, class, exclude) VALUES(?, ?, ?, ?, ?)")
      .bind(1, rule.fs)
      .bind(2, rule.hl)
      .bind(3, rule.ll)
      .bind(4, rule.mc)
      .bind(5, rule.exclude ? 1 : 0)
      .run();
}

std::vector<BindRule> listRules(Catalog& catalog) {
  std::vector<BindRule> rules;
  Stmt stmt = catalog.prepare("SELECT seq, fs, hl, ll, class, exclude FROM rules ORDER BY seq");
  while (stmt.step()) {
    rules.push_back({stmt.integer(0), stmt.text(1), stmt.text(2), stmt.text(3), stmt.text(4),
                     stmt.integer(5) != 0});
  }
  return rules;
}

void clearRules(Catalog& catalog) {
  catalog.exec("DELETE FROM rules");
}

void setServerFact(Catalog& catalog, const std::string& key, const std::string& value) {
  for (const FactName& fact : kFacts) {
    if (key == fact.shortName) return catalog.setSetting(fact.key, value);
  }
  throw AdminError("unknown server fact " + key);
}

std::vector<std::pair<std::string, std::string>> serverFacts(Catalog& catalog) {
  std::vector<std::pair<std::string, std::string>> facts;
  for (const FactName& fact : kFacts) facts.emplace_back(fact.shortName, catalog.setting(fact.key));
  facts.emplace_back("defaultclass", catalog.setting("default_class"));
  return facts;
}

void addFaultRule(const Store& store, const std::string& rule) {
  std::string error;
  if (!parseFaultRule(rule, &error)) throw AdminError("bad fault rule: " + error);
  std::string text = readAll(store.faultFile());
  if (!text.empty() && text.back() != '\n') text += '\n';
  writeAtomically(store.faultFile(), text + rule + "\n");
}

std::vector<std::string> listFaultRules(const Store& store) {
  std::vector<std::string> rules;
  for (const FaultRule& rule : parseFaultLines(readAll(store.faultFile()), nullptr)) {
    rules.push_back(formatFaultRule(rule));
  }
  return rules;
}

void clearFaultRules(const Store& store) {
  writeAtomically(store.faultFile(), "");
}

void loseObject(Store& store, Catalog& catalog, int64_t id) {
  std::optional<Version> version = versionById(catalog, id);
  if (!version) throw AdminError("no object version " + std::to_string(id));
  ::unlink(store.dataPath(version->id, version->file).c_str());
}

}  // namespace hublor
