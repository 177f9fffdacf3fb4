// Faults armed on the instance and their firing.
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "instance_internal.h"
#include "machine.h"

namespace sqlengine {

// ---- faults ----

SqlError Instance::addFault(Fault& fault) {
  ZK_HOLD(true);
  ZK_RUN(
      "INSERT INTO fault(kind, target, hresult, message, text, skip, times) "
      "VALUES(?, ?, ?, ?, ?, ?, ?)",
      {fault.kind, fault.target, std::int64_t{fault.hresult}, std::int64_t{fault.message},
       fault.text, std::int64_t{fault.skip}, std::int64_t{fault.times}});
  fault.id = m_catalog.lastInsertId();
  return {};
}

SqlError Instance::faults(std::vector<Fault>& out) {
  ZK_HOLD(false);
  std::vector<std::vector<SqlValue>> rows;
  ZK_RUN("SELECT id, kind, target, hresult, message, text, skip, times FROM fault ORDER BY id", {},
         &rows);
  out.clear();
  for (const auto& r : rows)
    out.push_back(Fault{asInt(r[0]), asText(r[1]), asText(r[2]),
                        static_cast<std::int32_t>(asInt(r[3])), static_cast<int>(asInt(r[4])),
                        asText(r[5]), static_cast<int>(asInt(r[6])),
                        static_cast<int>(asInt(r[7]))});
  return {};
}

SqlError Instance::clearFaults() {
  ZK_HOLD(true);
  ZK_RUN("DELETE FROM fault");
  return {};
}

SqlError Instance::takeFault(const std::string& kind, const std::string& target,
                             std::optional<Fault>& fired) {
  fired.reset();
  std::vector<Fault> armed;
  {
    // Most calls find nothing armed: a shared look first keeps them from queueing.
    if (SqlError e = faults(armed); !e.ok()) return e;
    auto matches = [&](const Fault& f) {
      return f.kind == kind &&
             (f.target.empty() || canonicalName(f.target) == canonicalName(target));
    };
    if (std::none_of(armed.begin(), armed.end(), matches)) return {};
  }
  ZK_HOLD(true);
  if (SqlError e = faults(armed); !e.ok()) return e;
  for (const Fault& f : armed) {
    if (f.kind != kind || !(f.target.empty() || canonicalName(f.target) == canonicalName(target)))
      continue;
    if (f.skip > 0) {
      ZK_RUN("UPDATE fault SET skip = skip - 1 WHERE id = ?", {f.id});
      return {};
    }
    if (f.times == 1) {
      ZK_RUN("DELETE FROM fault WHERE id = ?", {f.id});
    } else if (f.times > 1) {
      ZK_RUN("UPDATE fault SET times = times - 1 WHERE id = ?", {f.id});
    }
    fired = f;
    return {};
  }
  return {};
}

}  // namespace sqlengine
