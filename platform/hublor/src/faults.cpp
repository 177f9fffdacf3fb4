#include "faults.h"

#include <signal.h>
#include <unistd.h>

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "codes.h"
#include "hublorctl.h"

namespace hublor {
namespace {

// Every exported entry point; each one looks at the rules on every call.
#define HUBLOR_ENTRY_NAME(name) #name,
constexpr std::string_view kEntryPoints[] = {HUBLOR_ENTRY_POINTS(HUBLOR_ENTRY_NAME)};
#undef HUBLOR_ENTRY_NAME

std::vector<std::string_view> splitWords(std::string_view text) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

template <typename T>
bool parseNumber(std::string_view text, T& value) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

bool fail(std::string* error, std::string message) {
  if (error != nullptr) *error = std::move(message);
  return false;
}

bool applyWord(FaultRule& rule, std::string_view word, std::string* error) {
  size_t eq = word.find('=');
  std::string_view key = word.substr(0, eq);
  std::string_view value = eq == std::string_view::npos ? std::string_view() : word.substr(eq + 1);
  if (key == "lose" && eq == std::string_view::npos) return rule.lose = true;
  if (key == "kill") {
    if (eq == std::string_view::npos) return (rule.kill = FaultKill::kAtCall), true;
    if (value == "commit") return (rule.kill = FaultKill::kInCommit), true;
    if (value == "after") return (rule.kill = FaultKill::kAfterCall), true;
    return fail(error, "kill takes no value, commit or after: " + std::string(word));
  }
  if (key == "abort") {
    rule.abortReason = PELK_RS_ABORT_SYSTEM_ERROR;
    if (eq == std::string_view::npos) return true;
    std::optional<int> reason = parseCode(value);
    if (!reason || *reason == PELK_RS_ABORT_BY_CLIENT) {
      return fail(error, "abort needs a server reason: " + std::string(word));
    }
    rule.abortReason = *reason;
    return true;
  }
  if (eq == std::string_view::npos) return fail(error, "unknown word: " + std::string(word));
  if (key == "nth")
    return parseNumber(value, rule.nth) || fail(error, "bad nth: " + std::string(value));
  if (key == "delay") {
    return (parseNumber(value, rule.delayMs) && rule.delayMs >= 0 &&
            rule.delayMs <= kMaxFaultDelayMs) ||
           fail(error, "bad delay (0 to " + std::to_string(kMaxFaultDelayMs) +
                           " ms): " + std::string(value));
  }
  if (key == "node") {
    rule.node.clear();
    for (char c : value)
      rule.node += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return !rule.node.empty() || fail(error, "empty node");
  }
  if (key == "code" || key == "reason") {
    std::optional<int> code = parseCode(value);
    if (!code) return fail(error, "unknown code: " + std::string(value));
    if (key == "code") rule.code = *code;
    if (key == "reason") rule.reason = *code;
    return true;
  }
  return fail(error, "unknown key: " + std::string(key));
}

const char* killWord(FaultKill kill) {
  switch (kill) {
    case FaultKill::kAtCall:
      return " kill";
    case FaultKill::kInCommit:
      return " kill=commit";
    case FaultKill::kAfterCall:
      return " kill=after";
    case FaultKill::kNone:
      break;
  }
  return "";
}

}  // namespace

void killThisProcess() {
  ::kill(::getpid(), SIGKILL);
  for (;;) ::pause();
}

bool isFaultableCall(std::string_view call) {
  for (std::string_view name : kEntryPoints) {
    if (name == call) return true;
  }
  return false;
}

std::optional<FaultRule> parseFaultRule(std::string_view text, std::string* error) {
  std::vector<std::string_view> words = splitWords(text);
  if (words.empty()) {
    fail(error, "empty fault rule");
    return std::nullopt;
  }
  FaultRule rule;
  rule.call = std::string(words[0]);
  if (rule.call != "*" && !isFaultableCall(rule.call)) {
    fail(error, "not an entry point: " + rule.call);
    return std::nullopt;
  }
  for (size_t i = 1; i < words.size(); ++i) {
    if (!applyWord(rule, words[i], error)) return std::nullopt;
  }
  if (!rule.code && !rule.abortReason && rule.delayMs == 0 && !rule.lose &&
      rule.kill == FaultKill::kNone) {
    fail(error, "the rule does nothing: give code=, abort, delay=, lose or kill");
    return std::nullopt;
  }
  if (rule.kill == FaultKill::kInCommit && rule.call != "pelkEndTxn") {
    fail(error, "kill=commit is a rule of pelkEndTxn");
    return std::nullopt;
  }
  return rule;
}

std::string formatFaultRule(const FaultRule& rule) {
  std::ostringstream out;
  out << rule.call;
  if (rule.nth != 0) out << " nth=" << rule.nth;
  if (!rule.node.empty()) out << " node=" << rule.node;
  if (rule.code) out << " code=" << *rule.code;
  if (rule.reason != 0) out << " reason=" << rule.reason;
  if (rule.abortReason) out << " abort=" << *rule.abortReason;
  if (rule.delayMs != 0) out << " delay=" << rule.delayMs;
  if (rule.lose) out << " lose";
  out << killWord(rule.kill);
  return out.str();
}

std::vector<FaultRule> parseFaultLines(std::string_view text, std::string* error) {
  std::vector<FaultRule> rules;
  std::istringstream in{std::string(text)};
  std::string line;
  while (std::getline(in, line)) {
    size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] == '#') continue;
    if (auto rule = parseFaultRule(line, error)) rules.push_back(std::move(*rule));
  }
  return rules;
}

Faults::Faults() {
  const char* rules = std::getenv("HUBLOR_FAULTS");
  if (rules == nullptr) return;
  std::string lines(rules);
  for (char& c : lines) c = c == ';' ? '\n' : c;
  m_environment = parseFaultLines(lines, nullptr);
}

Faults& Faults::instance() {
  static Faults* faults = new Faults;  // never destroyed: entry points may run during exit
  return *faults;
}

void Faults::arm(FaultRule rule, FaultSource source) {
  std::lock_guard lock(m_mutex);
  (source == FaultSource::kApi ? m_api : m_options).push_back(std::move(rule));
}

void Faults::clear(FaultSource source) {
  std::lock_guard lock(m_mutex);
  if (source == FaultSource::kApi) m_api.clear();
  if (source == FaultSource::kOptionFile) m_options.clear();
  if (source == FaultSource::kStoreFile) m_file.clear();
  if (source == FaultSource::kEnvironment) m_environment.clear();
}

void Faults::watchFile(const std::filesystem::path& file) {
  std::lock_guard lock(m_mutex);
  m_watched = file;
  m_watchedExists = false;
  m_file.clear();
}

void Faults::reloadFileIfChanged(std::string_view call) {
  if (m_watched.empty()) return;
  auto looked = std::chrono::steady_clock::now();
  bool dataCall = call == "pelkSendData" || call == "pelkGetData";
  if (dataCall && looked - m_lastLook < std::chrono::milliseconds(100)) return;
  m_lastLook = looked;
  struct stat now {};
  bool exists = ::stat(m_watched.c_str(), &now) == 0;
  if (exists == m_watchedExists &&
      (!exists || (now.st_ino == m_watchedStat.st_ino && now.st_size == m_watchedStat.st_size &&
                   now.st_mtim.tv_sec == m_watchedStat.st_mtim.tv_sec &&
                   now.st_mtim.tv_nsec == m_watchedStat.st_mtim.tv_nsec))) {
    return;
  }
  m_watchedExists = exists;
  m_watchedStat = now;
  m_file.clear();
  if (!exists) return;
  std::ifstream in(m_watched);
  std::stringstream text;
  text << in.rdbuf();
  m_file = parseFaultLines(text.str(), nullptr);
}

FaultAction Faults::check(std::string_view call, std::string_view node) {
  std::lock_guard lock(m_mutex);
  reloadFileIfChanged(call);
  FaultAction action;
  for (auto* rules : {&m_api, &m_options, &m_file, &m_environment}) {
    for (FaultRule& rule : *rules) {
      if (rule.call != "*" && rule.call != call) continue;
      if (!rule.node.empty() && rule.node != node) continue;
      ++rule.seen;
      if (rule.nth != 0 && rule.seen != rule.nth) continue;
      if (rule.code && !action.code) {
        action.code = rule.code;
        action.reason = rule.reason;
      }
      if (rule.abortReason && !action.abortReason) action.abortReason = rule.abortReason;
      action.delayMs += rule.delayMs;
      action.lose = action.lose || rule.lose;
      if (action.kill == FaultKill::kNone) action.kill = rule.kill;
    }
  }
  return action;
}

}  // namespace hublor
