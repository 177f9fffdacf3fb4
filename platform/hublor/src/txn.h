// One storage transaction of a session: the operations it collects and their commit.
// Nothing reaches the catalogue before commit; the data files of its objects are written in
// place and belong to no version until then; a rolled-back transaction only drops them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "server.h"
#include "store.h"

namespace hublor {

struct ObjectKey {
  std::string fs, hl, ll;
  int type = 0;
};

struct SendOp {
  ObjectKey key;
  std::string owner;
  Binding binding;
  int64_t sizeEstimate = 0;
  bool compressed = false;
  std::string info;
  std::unique_ptr<StagedFile> file;
};

struct RenameOp {
  ObjectKey from;
  std::string newHl, newLl;
  bool merge = false;
};

struct InactivateOp {  // delete by name: the version resolved when the call was made
  int64_t versionId = 0;
};

struct RemoveOp {  // delete by id
  int64_t versionId = 0;
};

using TxnOp = std::variant<SendOp, RenameOp, InactivateOp, RemoveOp>;

struct Txn {
  int64_t beginSeq = 0;
  int objects = 0;
  std::optional<int> doomReason;  // set: the server will abort; later object calls answer 157
  std::vector<TxnOp> ops;
};

// The checks a rename must pass, against the committed catalogue: 0 or the failing code.
int checkRename(Catalog& catalog, const std::string& node, const RenameOp& op);

// Applies every operation in call order in one catalogue transaction. Returns 0, or the reason
// why the server aborted the transaction (nothing is applied then). killInCommit kills the
// process after every operation was applied and before the catalogue commits them.
int commitTxn(Store& store, Catalog& catalog, const std::string& node, Txn& txn,
              bool killInCommit = false);

}  // namespace hublor
