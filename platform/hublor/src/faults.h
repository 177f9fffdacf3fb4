// Fault injection: rules that make chosen entry points answer chosen codes, abort the open
// transaction, wait, lose an object's data, or kill the calling process. The syntax is described
// in hublorctl.h. Rules come from four sources: hublorCtlArmFault, FAULT lines of the client
// option file, the store's fault file (written by hublorsim, re-read whenever it changes; the
// data calls, made once per buffer, look at it at most every 100 ms) and the environment
// variable HUBLOR_FAULTS of the process (read once, rules separated by ';'). The n-th call is
// counted per rule and process from the moment the rule was loaded.
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

// Where a rule kills the calling process with SIGKILL, as a crash or `kill -9` would.
enum class FaultKill {
  kNone,
  kAtCall,    // when the call comes in, before it does anything
  kInCommit,  // pelkEndTxn: inside the catalogue's commit, every operation applied, none committed
  kAfterCall  // after the call did its work, before it answers (calls of a session)
};

// Ends this process at once with SIGKILL: nothing runs after it, no destructor, no handler.
[[noreturn]] void killThisProcess();

struct FaultRule {
  std::string call;  // entry point name, or "*"
  std::string node;  // empty: every node
  uint64_t nth = 0;  // 0: every call
  std::optional<int> code;
  int reason = 0;
  std::optional<int> abortReason;
  int delayMs = 0;
  bool lose = false;
  FaultKill kill = FaultKill::kNone;
  uint64_t seen = 0;  // matching calls so far
};

// What the rules that fire on one call ask for.
struct FaultAction {
  std::optional<int> code;
  int reason = 0;
  std::optional<int> abortReason;
  int64_t delayMs = 0;  // the sum of the rules that fired
  bool lose = false;
  FaultKill kill = FaultKill::kNone;  // the first rule that fires with one decides
};

// True for the name of an entry point whose calls the rules can fail.
bool isFaultableCall(std::string_view call);
std::optional<FaultRule> parseFaultRule(std::string_view text, std::string* error);
std::string formatFaultRule(const FaultRule& rule);
// Rules of a fault file: one a line; blank lines and lines starting with '#' are skipped.
std::vector<FaultRule> parseFaultLines(std::string_view text, std::string* error);

enum class FaultSource { kApi, kOptionFile, kStoreFile, kEnvironment };

class Faults {
 public:
  static Faults& instance();
  void arm(FaultRule rule, FaultSource source);
  void clear(FaultSource source);
  void watchFile(const std::filesystem::path& file);  // empty: none
  FaultAction check(std::string_view call, std::string_view node);

 private:
  Faults();
  void reloadFileIfChanged(std::string_view call);  // m_mutex held
  std::mutex m_mutex;                               // guards every field below
  std::vector<FaultRule> m_api, m_options, m_file, m_environment;
  std::filesystem::path m_watched;
  struct stat m_watchedStat {};
  bool m_watchedExists = false;
  std::chrono::steady_clock::time_point m_lastLook{};
};

}  // namespace hublor
