// Administration of a store, as hublorsim offers it: nodes, management classes, binding rules,
// server facts, fault rules and lost objects. User errors throw AdminError with a message.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "catalog.h"
#include "faults.h"
#include "server.h"
#include "store.h"

namespace hublor {

struct AdminError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct NodeChange {
  std::optional<std::string> password;
  std::optional<bool> expired;
  std::optional<bool> mayDelete;
  std::optional<int> maxTxn;
};

void addNode(Catalog& catalog, const std::string& name, const std::string& password,
             const NodeChange& change);
void changeNode(Catalog& catalog, const std::string& name, const NodeChange& change);
std::vector<Node> listNodes(Catalog& catalog);

struct ManagementClass {
  std::string name;
  bool backupCg = true;
  std::string dest;
};
void defineClass(Catalog& catalog, const ManagementClass& mc);  // adds or replaces
std::vector<ManagementClass> listClasses(Catalog& catalog);
void setDefaultClass(Catalog& catalog, const std::string& name);

struct BindRule {
  int64_t seq = 0;
  std::string fs, hl, ll, mc;
  bool exclude = false;
};
void addRule(Catalog& catalog, const BindRule& rule);
std::vector<BindRule> listRules(Catalog& catalog);
void clearRules(Catalog& catalog);

// Server facts by their short names: name, host, type, version, domain, policyset, compression.
void setServerFact(Catalog& catalog, const std::string& key, const std::string& value);
std::vector<std::pair<std::string, std::string>> serverFacts(Catalog& catalog);

void addFaultRule(const Store& store, const std::string& rule);
std::vector<std::string> listFaultRules(const Store& store);
void clearFaultRules(const Store& store);

// Removes the data of one version from the store: it stays in the catalogue but cannot be read.
void loseObject(Store& store, Catalog& catalog, int64_t id);

}  // namespace hublor
