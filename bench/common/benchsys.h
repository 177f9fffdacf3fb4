// What benchmarks measure outside the path itself: the durable copy that is the reference of a
// backup or a restore, and the resident memory of the process.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

// The reference of a path that moves database files: `cp` of the files into dir (made first),
// then a flush of every copy. Seconds, or -1 when the copy failed; dir is removed afterwards.
// The machine's dirty data is written out before the clock starts.
double benchDurableCopy(const std::vector<std::filesystem::path>& files,
                        const std::filesystem::path& dir);

// The process's resident memory (VmRSS) and its peak since the start or the last reset (VmHWM),
// in KiB; -1 when they cannot be read.
long benchResidentKb();
long benchPeakResidentKb();
// Resets the peak to the present resident memory.
void benchResetPeak();

// Measuring in a process of its own: runs this program again with args and reads the numbers
// it prints on standard output; nothing when it failed (its standard error is passed on).
std::vector<long> benchChildNumbers(const std::vector<std::string>& args);

// The machine's own ceiling for a path that writes the bytes of files through n parallel
// streams: n threads, each copying 1/n of every file (pread) into a file of its own in dir
// (made first) and flushing it. Seconds, or -1 when a copy failed; dir is removed afterwards.
// The machine's dirty data is written out before the clock starts.
double benchParallelDurableWriters(const std::vector<std::filesystem::path>& files, int n,
                                   const std::filesystem::path& dir);

// The size of the processor's last-level cache as the machine reports it, 0 when it reports
// none.
std::size_t benchLastLevelCacheBytes();
// The bytes of each of `parts` regions walked at once so that together they hold twice the
// last-level cache (no copy then runs in a cache-resident buffer), at least `minimum` each and
// whole MiB. The words for a row: "N MiB regions, cache M MiB".
std::size_t benchUncachedRegionBytes(std::size_t parts, std::size_t minimum);
std::string benchRegionText(std::size_t regionBytes);

// The processors this process may run on.
int benchUsableProcessors();

// A program run as a process of its own, from its start to its end, its output thrown away:
// its exit code (-1 when it did not exit normally, 128 + N for signal N), the wall seconds from
// just before the start to its end, its user + system seconds and its peak resident memory.
struct BenchProcess {
  int exitCode = -1;
  double wallSeconds = -1;
  double cpuSeconds = 0;
  long peakKb = 0;
};
// Starts program with args, in this process's working folder and environment; the pid, or -1.
// *startP gets the clock just before the start.
pid_t benchStartProcess(const std::string& program, const std::vector<std::string>& args,
                        double* startP);
BenchProcess benchWaitProcess(pid_t pid, double start);
BenchProcess benchRunProcess(const std::string& program, const std::vector<std::string>& args);
