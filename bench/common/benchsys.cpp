#include "benchsys.h"

#include <fcntl.h>
#include <sched.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

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

namespace {

// Copies part k of n of file into out (written at the part's own offset there).
bool copyPart(const fs::path& file, int k, int n, int out) {
  int in = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  std::error_code ec;
  std::uintmax_t size = fs::file_size(file, ec);
  std::uintmax_t from = size * k / n;
  std::uintmax_t to = size * (k + 1) / n;
  std::vector<char> buffer(1 << 20);
  bool ok = !ec;
  for (std::uintmax_t at = from; ok && at < to;) {
    std::size_t want = static_cast<std::size_t>(std::min<std::uintmax_t>(buffer.size(), to - at));
    ssize_t got = ::pread(in, buffer.data(), want, static_cast<off_t>(at));
    ok = got > 0 && ::pwrite(out, buffer.data(), static_cast<std::size_t>(got),
                             static_cast<off_t>(at - from)) == got;
    at += got > 0 ? static_cast<std::uintmax_t>(got) : 0;
  }
  ::close(in);
  return ok;
}

}  // namespace

double benchParallelDurableWriters(const std::vector<fs::path>& files, int n, const fs::path& dir) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  ::sync();
  std::vector<char> ok(static_cast<std::size_t>(n), 0);
  double start = benchNow();
  std::vector<std::thread> writers;
  for (int k = 0; k < n; ++k) {
    writers.emplace_back([&, k] {
      bool good = true;
      for (std::size_t f = 0; f < files.size() && good; ++f) {
        fs::path part = dir / (std::to_string(k) + "-" + std::to_string(f));
        int out = ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        good = out >= 0 && copyPart(files[f], k, n, out) && ::fdatasync(out) == 0;
        if (out >= 0) ::close(out);
      }
      ok[static_cast<std::size_t>(k)] = good;
    });
  }
  for (std::thread& w : writers) w.join();
  double seconds = benchNow() - start;
  fs::remove_all(dir, ec);
  return std::all_of(ok.begin(), ok.end(), [](char c) { return c != 0; }) ? seconds : -1;
}

std::size_t benchLastLevelCacheBytes() {
  for (int name : {_SC_LEVEL4_CACHE_SIZE, _SC_LEVEL3_CACHE_SIZE, _SC_LEVEL2_CACHE_SIZE}) {
    long bytes = ::sysconf(name);
    if (bytes > 0) return static_cast<std::size_t>(bytes);
  }
  return 0;
}

std::size_t benchUncachedRegionBytes(std::size_t parts, std::size_t minimum) {
  constexpr std::size_t kMiB = 1 << 20;
  std::size_t each = 2 * benchLastLevelCacheBytes() / std::max<std::size_t>(parts, 1);
  each = (std::max(each, minimum) + kMiB - 1) / kMiB * kMiB;
  return each;
}

std::string benchRegionText(std::size_t regionBytes) {
  std::size_t cache = benchLastLevelCacheBytes();
  return std::to_string(regionBytes >> 20) + " MiB regions, cache " +
         (cache > 0 ? std::to_string(cache >> 20) + " MiB" : std::string("unknown"));
}

int benchUsableProcessors() {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
  return std::max(1, CPU_COUNT(&set));
}

pid_t benchStartProcess(const std::string& program, const std::vector<std::string>& args,
                        double* startP) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  *startP = benchNow();
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

BenchProcess benchWaitProcess(pid_t pid, double start) {
  BenchProcess run;
  int status = 0;
  rusage usage{};
  if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid) return run;
  run.wallSeconds = benchNow() - start;
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  run.peakKb = usage.ru_maxrss;
  if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) run.exitCode = 128 + WTERMSIG(status);
  return run;
}

BenchProcess benchRunProcess(const std::string& program, const std::vector<std::string>& args) {
  double start = 0;
  pid_t pid = benchStartProcess(program, args, &start);
  return benchWaitProcess(pid, start);
}
