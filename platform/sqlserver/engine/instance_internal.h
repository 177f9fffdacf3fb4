// Inside the instance's implementation: the lock and catalogue steps every call begins with.
#pragma once

#include <cstdint>

#include "instance.h"

// Takes the instance lock for the rest of the scope, or returns the failure.
#define ZK_HOLD(exclusive)     \
  Hold held = hold(exclusive); \
  if (!held.ok()) return sqlMessage(kMsgEngineFailure, {"cannot lock instance", m_name})

// Runs one catalogue statement, or returns the failure.
#define ZK_RUN(...) \
  if (!m_catalog.run(__VA_ARGS__)) return catalogError()

namespace sqlengine {

// Whole pages in a file of sizeKb kilobytes.
inline std::uint64_t pagesOf(std::int64_t sizeKb) {
  return (static_cast<std::uint64_t>(sizeKb) + 7) / 8;
}

}  // namespace sqlengine
