#include "txn.h"

#include <unistd.h>

#include "clock.h"
#include "faults.h"
#include "hublorapi.h"

namespace fs = std::filesystem;

namespace hublor {
namespace {

struct CommitContext {
  Store& store;
  Catalog& catalog;
  const std::string& node;
  int64_t seq;
  int64_t now;
  std::vector<fs::path> toRemove;  // removed after the commit
};

void inactivate(CommitContext& ctx, int64_t id) {
  ctx.catalog
      .prepare(
          "UPDATE versions SET state = ?, deact_time = ?, inactive_seq = ? "
          "WHERE id = ? AND state = ?")
      .bind(1, PELK_INACTIVE)
      .bind(2, ctx.now)
      .bind(3, ctx.seq)
      .bind(4, id)
      .bind(5, PELK_ACTIVE)
      .run();
}

void inactivateKey(CommitContext& ctx, const ObjectKey& key) {
  for (const Version& v : versionsOfKey(ctx.catalog, ctx.node, key.fs, key.hl, key.ll, key.type)) {
    if (v.state == PELK_ACTIVE) inactivate(ctx, v.id);
  }
}

// A new version binds every version of its key to its own class (as the server rebinds).
int applySend(CommitContext& ctx, SendOp& op) {
  inactivateKey(ctx, op.key);
  ctx.catalog
      .prepare(
          "UPDATE versions SET mc = ?, dest = ?, copy_group = ? "
          "WHERE node = ? AND fs = ? AND hl = ? AND ll = ? AND type = ?")
      .bind(1, op.binding.mc)
      .bind(2, op.binding.dest)
      .bind(3, op.binding.copyGroup)
      .bind(4, ctx.node)
      .bind(5, op.key.fs)
      .bind(6, op.key.hl)
      .bind(7, op.key.ll)
      .bind(8, op.key.type)
      .run();
  Stmt insert = ctx.catalog.prepare(
      "INSERT INTO versions(node, fs, hl, ll, type, owner, state, mc, dest, copy_group, "
      "ins_time, active_seq, size, size_estimate, compressed, info, file, checksum) "
      "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  insert.bind(1, ctx.node).bind(2, op.key.fs).bind(3, op.key.hl).bind(4, op.key.ll);
  insert.bind(5, op.key.type).bind(6, op.owner).bind(7, PELK_ACTIVE).bind(8, op.binding.mc);
  insert.bind(9, op.binding.dest).bind(10, op.binding.copyGroup).bind(11, ctx.now);
  insert.bind(12, ctx.seq).bind(13, static_cast<int64_t>(op.file->size()));
  insert.bind(14, op.sizeEstimate).bind(15, op.compressed ? 1 : 0);
  insert.bindBlob(16, op.info.data(), op.info.size());
  insert.bind(17, op.file->name());
  insert.bind(18, static_cast<int64_t>(op.file->checksum()));
  insert.run();
  return 0;
}

int applyRename(CommitContext& ctx, const RenameOp& op) {
  int rc = checkRename(ctx.catalog, ctx.node, op);
  if (rc != 0) return rc;
  bool renamedActive = false;
  for (const Version& v :
       versionsOfKey(ctx.catalog, ctx.node, op.from.fs, op.from.hl, op.from.ll, op.from.type)) {
    renamedActive = renamedActive || v.state == PELK_ACTIVE;
  }
  if (renamedActive) inactivateKey(ctx, ObjectKey{op.from.fs, op.newHl, op.newLl, op.from.type});
  ctx.catalog
      .prepare(
          "UPDATE versions SET hl = ?, ll = ?, active_seq = CASE WHEN state = ? THEN ? "
          "ELSE active_seq END WHERE node = ? AND fs = ? AND hl = ? AND ll = ? AND type = ?")
      .bind(1, op.newHl)
      .bind(2, op.newLl)
      .bind(3, PELK_ACTIVE)
      .bind(4, ctx.seq)
      .bind(5, ctx.node)
      .bind(6, op.from.fs)
      .bind(7, op.from.hl)
      .bind(8, op.from.ll)
      .bind(9, op.from.type)
      .run();
  return 0;
}

void applyRemove(CommitContext& ctx, const RemoveOp& op) {
  std::optional<Version> version = versionById(ctx.catalog, op.versionId);
  if (!version) return;
  ctx.catalog.prepare("DELETE FROM versions WHERE id = ?").bind(1, op.versionId).run();
  ctx.toRemove.push_back(ctx.store.dataPath(version->id, version->file));
}

int applyOp(CommitContext& ctx, TxnOp& op) {
  if (auto* send = std::get_if<SendOp>(&op)) return applySend(ctx, *send);
  if (auto* rename = std::get_if<RenameOp>(&op)) return applyRename(ctx, *rename);
  if (auto* off = std::get_if<InactivateOp>(&op)) inactivate(ctx, off->versionId);
  if (auto* remove = std::get_if<RemoveOp>(&op)) applyRemove(ctx, *remove);
  return 0;
}

bool syncStagedFiles(Txn& txn) {
  for (TxnOp& op : txn.ops) {
    auto* send = std::get_if<SendOp>(&op);
    if (send != nullptr && !send->file->sync()) return false;
  }
  return true;
}

// The committed versions own their files from now on.
void keepStagedFiles(Txn& txn) {
  for (TxnOp& op : txn.ops) {
    if (auto* send = std::get_if<SendOp>(&op)) send->file->keep();
  }
}

}  // namespace

int checkRename(Catalog& catalog, const std::string& node, const RenameOp& op) {
  auto from = versionsOfKey(catalog, node, op.from.fs, op.from.hl, op.from.ll, op.from.type);
  if (from.empty()) return PELK_RC_NO_MATCH;
  auto to = versionsOfKey(catalog, node, op.from.fs, op.newHl, op.newLl, op.from.type);
  if (to.empty() || (op.from.hl == op.newHl && op.from.ll == op.newLl)) return 0;
  if (!op.merge) return PELK_RC_NAME_IN_USE;
  for (const Version& v : to) {
    if (v.mc != from.front().mc || v.dest != from.front().dest) return PELK_RC_MERGE_ERROR;
  }
  return 0;
}

int commitTxn(Store& store, Catalog& catalog, const std::string& node, Txn& txn,
              bool killInCommit) {
  if (!syncStagedFiles(txn)) return PELK_RS_ABORT_SYSTEM_ERROR;
  CommitContext ctx{store, catalog, node, 0, nowSeconds(), {}};
  try {
    WriteTxn lock(catalog);
    ctx.seq = commitSeq(catalog) + 1;
    for (TxnOp& op : txn.ops) {
      int reason = applyOp(ctx, op);
      if (reason != 0) return reason;
    }
    catalog.setSetting("commit_seq", std::to_string(ctx.seq));
    if (killInCommit) killThisProcess();
    lock.commit();
  } catch (const StoreError&) {
    return PELK_RS_ABORT_SYSTEM_ERROR;
  }
  keepStagedFiles(txn);
  for (const fs::path& path : ctx.toRemove) ::unlink(path.c_str());
  return 0;
}

}  // namespace hublor
