// Fault injection: rules that make chosen entry points answer chosen codes, abort the open
// transaction, wait, or lose an object's data. The syntax is described in hublorctl.h.
// Rules come from three sources: hublorCtlArmFault, FAULT lines of the client option file and
// the store's fault file (written by hublorsim, re-read whenever it changes; the data calls,
// made once per buffer, look at it at most every 100 ms). The n-th call is counted per rule and
// process from the moment the rule was loaded.
#pragma once

#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hublor {

// The longest delay one rule holds a call.
inline constexpr int kMaxFaultDelayMs = 3600000;

struct FaultRule {
  std::string call;  // entry point name, or "*"
  std::string node;  // empty: every node
  uint64_t nth = 0;  // 0: every call
  std::optional<int> code;
  int reason = 0;
  std::optional<int> abortReason;
  int delayMs = 0;
  bool lose = false;
  uint64_t seen = 0;  // matching calls so far
};

// What the rules that fire on one call ask for.
struct FaultAction {
  std::optional<int> code;
  int reason = 0;
  std::optional<int> abortReason;
  int64_t delayMs = 0;  // the sum of the rules that fired
  bool lose = false;
};

// True for the name of an entry point whose calls the rules can fail.
bool isFaultableCall(std::string_view call);
std::optional<FaultRule> parseFaultRule(std::string_view text, std::string* error);
std::string formatFaultRule(const FaultRule& rule);
// Rules of a fault file: one a line; blank lines and lines starting with '#' are skipped.
std::vector<FaultRule> parseFaultLines(std::string_view text, std::string* error);

enum class FaultSource { kApi, kOptionFile, kStoreFile };

class Faults {
 public:
  static Faults& instance();
  void arm(FaultRule rule, FaultSource source);
  void clear(FaultSource source);
  void watchFile(const std::filesystem::path& file);  // empty: none
  FaultAction check(std::string_view call, std::string_view node);

 private:
  void reloadFileIfChanged(std::string_view call);  // m_mutex held
  std::mutex m_mutex;                               // guards every field below
  std::vector<FaultRule> m_api, m_options, m_file;
  std::filesystem::path m_watched;
  struct stat m_watchedStat {};
  bool m_watchedExists = false;
  std::chrono::steady_clock::time_point m_lastLook{};
};

}  // namespace hublor
