#include "server.h"

#include "hublorapi.h"
#include "wildcard.h"

namespace hublor {
namespace {

constexpr const char* kVersionColumns =
    "id, node, fs, hl, ll, type, owner, state, mc, dest, copy_group, ins_time, deact_time, "
    "active_seq, inactive_seq, size, size_estimate, compressed, info, file, checksum";

Version readVersion(const Stmt& stmt) {
  Version v;
  v.id = stmt.integer(0);
  v.node = stmt.text(1);
  v.fs = stmt.text(2);
  v.hl = stmt.text(3);
  v.ll = stmt.text(4);
  v.type = static_cast<int>(stmt.integer(5));
  v.owner = stmt.text(6);
  v.state = static_cast<int>(stmt.integer(7));
  v.mc = stmt.text(8);
  v.dest = stmt.text(9);
  v.copyGroup = stmt.integer(10);
  v.insTime = stmt.integer(11);
  v.deactTime = stmt.integer(12);
  v.activeSeq = stmt.integer(13);
  if (!stmt.isNull(14)) v.inactiveSeq = stmt.integer(14);
  v.size = stmt.integer(15);
  v.sizeEstimate = stmt.integer(16);
  v.compressed = stmt.integer(17) != 0;
  v.info = stmt.blob(18);
  v.file = stmt.text(19);
  if (!stmt.isNull(20)) v.checksum = static_cast<uint64_t>(stmt.integer(20));
  return v;
}

bool passes(const Version& v, const VersionFilter& filter) {
  if (filter.type != PELK_OBJ_ANY && v.type != filter.type) return false;
  if (!filter.owner.empty() && v.owner != filter.owner) return false;
  if (filter.state != PELK_ANYMATCH && v.state != filter.state) return false;
  if (filter.pointInTime != 0) {
    if (v.insTime > filter.pointInTime) return false;
    if (v.deactTime != 0 && v.deactTime <= filter.pointInTime) return false;
  }
  return wildcardMatch(filter.hlPattern, v.hl) && wildcardMatch(filter.llPattern, v.ll);
}

Binding readBinding(const Stmt& stmt) {
  Binding binding;
  binding.copyGroup = stmt.integer(0);
  binding.mc = stmt.text(1);
  binding.hasBackupCg = stmt.integer(2) != 0;
  binding.dest = stmt.text(3);
  return binding;
}

}  // namespace

std::optional<Node> findNode(Catalog& catalog, const std::string& name) {
  Stmt stmt = catalog.prepare(
      "SELECT name, password, expired, may_delete, max_txn FROM nodes WHERE name = ?");
  stmt.bind(1, name);
  if (!stmt.step()) return std::nullopt;
  Node node;
  node.name = stmt.text(0);
  node.password = stmt.text(1);
  node.expired = stmt.integer(2) != 0;
  node.mayDelete = stmt.integer(3) != 0;
  node.maxTxn = static_cast<int>(stmt.integer(4));
  return node;
}

void setPassword(Catalog& catalog, const std::string& node, const std::string& password) {
  catalog.prepare("UPDATE nodes SET password = ?, expired = 0 WHERE name = ?")
      .bind(1, password)
      .bind(2, node)
      .run();
}

std::optional<Binding> classBinding(Catalog& catalog, const std::string& mc) {
  Stmt stmt = catalog.prepare("SELECT rowid, name, backup_cg, dest FROM classes WHERE name = ?");
  stmt.bind(1, mc);
  if (!stmt.step()) return std::nullopt;
  return readBinding(stmt);
}

Binding bindName(Catalog& catalog, const std::string& fs, const std::string& hl,
                 const std::string& ll) {
  Stmt rules = catalog.prepare("SELECT fs, hl, ll, class, exclude FROM rules ORDER BY seq");
  while (rules.step()) {
    if (!wildcardMatch(rules.text(0), fs) || !wildcardMatch(rules.text(1), hl) ||
        !wildcardMatch(rules.text(2), ll)) {
      continue;
    }
    if (rules.integer(4) != 0) {
      Binding excluded;
      excluded.excluded = true;
      return excluded;
    }
    if (auto binding = classBinding(catalog, rules.text(3))) return *binding;
  }
  if (auto binding = classBinding(catalog, catalog.setting("default_class"))) return *binding;
  return Binding{};
}

bool filespaceExists(Catalog& catalog, const std::string& node, const std::string& name) {
  Stmt stmt = catalog.prepare("SELECT 1 FROM filespaces WHERE node = ? AND name = ?");
  stmt.bind(1, node).bind(2, name);
  return stmt.step();
}

std::vector<Filespace> listFilespaces(Catalog& catalog, const std::string& node,
                                      const std::string& pattern) {
  Stmt stmt = catalog.prepare(
      "SELECT node, name, type, attr, occupancy, capacity, back_start, back_complete, "
      "registered FROM filespaces WHERE node = ? OR ? = '' ORDER BY node, name");
  stmt.bind(1, node).bind(2, node);
  std::vector<Filespace> result;
  while (stmt.step()) {
    Filespace f{stmt.text(0),    stmt.text(1),    stmt.text(2),    stmt.blob(3),   stmt.integer(4),
                stmt.integer(5), stmt.integer(6), stmt.integer(7), stmt.integer(8)};
    if (wildcardMatch(pattern, f.name)) result.push_back(std::move(f));
  }
  return result;
}

std::vector<Version> queryVersions(Catalog& catalog, const VersionFilter& filter) {
  std::string sql = std::string("SELECT ") + kVersionColumns +
                    " FROM versions WHERE (node = ? OR ? = '')" + (filter.fs ? " AND fs = ?" : "") +
                    " ORDER BY fs, hl, ll, type, id";
  Stmt stmt = catalog.prepare(sql);
  stmt.bind(1, filter.node).bind(2, filter.node);
  if (filter.fs) stmt.bind(3, *filter.fs);
  std::vector<Version> result;
  while (stmt.step()) {
    Version v = readVersion(stmt);
    if (passes(v, filter)) result.push_back(std::move(v));
  }
  return result;
}

std::optional<Version> versionById(Catalog& catalog, int64_t id) {
  Stmt stmt =
      catalog.prepare(std::string("SELECT ") + kVersionColumns + " FROM versions WHERE id = ?");
  stmt.bind(1, id);
  if (!stmt.step()) return std::nullopt;
  return readVersion(stmt);
}

std::vector<Version> versionsOfKey(Catalog& catalog, const std::string& node, const std::string& fs,
                                   const std::string& hl, const std::string& ll, int type) {
  Stmt stmt = catalog.prepare(std::string("SELECT ") + kVersionColumns +
                              " FROM versions WHERE node = ? AND fs = ? AND hl = ? AND ll = ?"
                              " AND type = ? ORDER BY id");
  stmt.bind(1, node).bind(2, fs).bind(3, hl).bind(4, ll).bind(5, type);
  std::vector<Version> result;
  while (stmt.step()) result.push_back(readVersion(stmt));
  return result;
}

int64_t commitSeq(Catalog& catalog) {
  return std::stoll(catalog.setting("commit_seq"));
}

void logEvent(Catalog& catalog, const Event& event) {
  catalog.prepare("INSERT INTO events(time, node, severity, msg_id, text) VALUES(?, ?, ?, ?, ?)")
      .bind(1, event.time)
      .bind(2, event.node)
      .bind(3, event.severity)
      .bind(4, event.msgId)
      .bind(5, event.text)
      .run();
}

std::vector<Event> listEvents(Catalog& catalog, const std::string& node) {
  Stmt stmt = catalog.prepare(
      "SELECT seq, time, node, severity, msg_id, text FROM events WHERE node = ? OR ? = '' "
      "ORDER BY seq");
  stmt.bind(1, node).bind(2, node);
  std::vector<Event> result;
  while (stmt.step()) {
    result.push_back(Event{stmt.integer(0), stmt.integer(1), stmt.text(2),
                           static_cast<int>(stmt.integer(3)), stmt.text(4), stmt.text(5)});
  }
  return result;
}

}  // namespace hublor
