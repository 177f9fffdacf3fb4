// The server's catalogue operations: nodes, policy binding, filespaces, versions, the event log.
// Each takes the caller's Catalog (one connection, one thread). Used by the sessions of the
// library and by hublorsim.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalog.h"

namespace hublor {

struct Node {
  std::string name;
  std::string password;
  bool expired = false;
  bool mayDelete = true;
  int maxTxn = 256;
};

std::optional<Node> findNode(Catalog& catalog, const std::string& name);
void setPassword(Catalog& catalog, const std::string& node, const std::string& password);

struct Binding {
  std::string mc;
  bool hasBackupCg = false;
  std::string dest;
  int64_t copyGroup = 0;
  bool excluded = false;
};

// The first rule (in order) whose patterns match names the class or excludes the object;
// without a match, the default class.
Binding bindName(Catalog& catalog, const std::string& fs, const std::string& hl,
                 const std::string& ll);
std::optional<Binding> classBinding(Catalog& catalog, const std::string& mc);

struct Filespace {
  std::string node, name, type, attr;
  int64_t occupancy = 0, capacity = 0, backStart = 0, backComplete = 0, registered = 0;
};

bool filespaceExists(Catalog& catalog, const std::string& node, const std::string& name);
// Registered filespaces of the node whose names match the pattern, ordered by name.
std::vector<Filespace> listFilespaces(Catalog& catalog, const std::string& node,
                                      const std::string& pattern);

struct Version {
  int64_t id = 0;
  std::string node, fs, hl, ll;
  int type = 0;
  std::string owner;
  int state = 0;  // PELK_ACTIVE or PELK_INACTIVE
  std::string mc, dest;
  int64_t copyGroup = 0, insTime = 0, deactTime = 0, activeSeq = 0;
  std::optional<int64_t> inactiveSeq;
  int64_t size = 0, sizeEstimate = 0;
  bool compressed = false;
  std::string info;
  std::string file;  // its data file below data/; empty in stores that place data by id
  std::optional<uint64_t> checksum;  // of its data (checksum.h); none in older stores
};

struct VersionFilter {
  std::string node;
  std::optional<std::string> fs;  // exact; none: every filespace
  std::string hlPattern = "*", llPattern = "*";
  int type = 0;             // 0: any
  std::string owner;        // empty: any
  int state = 0xFF;         // PELK_ACTIVE, PELK_INACTIVE or PELK_ANYMATCH
  int64_t pointInTime = 0;  // 0: none; else versions active at that time
};

// Matching versions in a stable order: filespace, high-level, low-level name, type, id.
std::vector<Version> queryVersions(Catalog& catalog, const VersionFilter& filter);
std::optional<Version> versionById(Catalog& catalog, int64_t id);
// Versions stored under one key, any state.
std::vector<Version> versionsOfKey(Catalog& catalog, const std::string& node, const std::string& fs,
                                   const std::string& hl, const std::string& ll, int type);

int64_t commitSeq(Catalog& catalog);

struct Event {
  int64_t seq = 0, time = 0;
  std::string node;
  int severity = 0;
  std::string msgId, text;
};
void logEvent(Catalog& catalog, const Event& event);
std::vector<Event> listEvents(Catalog& catalog, const std::string& node);

}  // namespace hublor
