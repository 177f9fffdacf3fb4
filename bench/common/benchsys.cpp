#include "benchsys.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "pairbench.h"
#include "runprogram.h"

namespace {

namespace fs = std::filesystem;

bool flushFile(const fs::path& file) {
  FILE* f = std::fopen(file.c_str(), "r+");
  if (f == nullptr) return false;
  bool ok = fdatasync(fileno(f)) == 0;
  std::fclose(f);
  return ok;
}

// One "Name: N kB" line of /proc/self/status.
long statusKb(const char* name) {
  FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return -1;
  std::string format = std::string(name) + ": %ld kB";
  char line[256];
  long kb = -1;
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::sscanf(line, format.c_str(), &kb) == 1) break;
  }
  std::fclose(status);
  return kb;
}

}  // namespace

double benchDurableCopy(const std::vector<fs::path>& files, const fs::path& dir) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  ::sync();
  double start = benchNow();
  std::vector<std::string> args;
  for (const fs::path& f : files) args.push_back(f.string());
  args.push_back(dir.string());
  bool ok = zkrun::runProgram("/bin/cp", args).exitCode == 0;
  for (const fs::path& f : files) ok = ok && flushFile(dir / f.filename());
  double seconds = benchNow() - start;
  fs::remove_all(dir, ec);
  return ok ? seconds : -1;
}

long benchResidentKb() {
  return statusKb("VmRSS");
}

long benchPeakResidentKb() {
  return statusKb("VmHWM");
}

void benchResetPeak() {
  FILE* f = std::fopen("/proc/self/clear_refs", "w");
  if (f == nullptr) return;
  std::fputs("5", f);
  std::fclose(f);
}

std::vector<long> benchChildNumbers(const std::vector<std::string>& args) {
  std::string self = fs::read_symlink("/proc/self/exe").string();
  zkrun::ProgramRun run = zkrun::runProgram(self, args);
  if (run.exitCode != 0) {
    std::fputs(run.err.c_str(), stderr);
    return {};
  }
  std::vector<long> numbers;
  const char* at = run.out.c_str();
  char* end = nullptr;
  for (long n = std::strtol(at, &end, 10); end != at; n = std::strtol(at, &end, 10)) {
    numbers.push_back(n);
    at = end;
  }
  return numbers;
}
