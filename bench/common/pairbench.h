// Paired benchmarks: a measured path and its physical reference (the plain copy, write or read
// that moves the same bytes) timed in the same process run, alternately, repeated. Each pair
// gives the ratio reference time / measured time, so 1.0 means "as fast as the reference" and
// more is faster; a row prints min / median / max of the ratios with the median times.
//
// A benchmark program builds its rows with benchPairRun and prints them with benchPrintRow;
// `--repeats N` (default 5) sets the pairs per row and `--header` prints the table's header
// first. scripts/bench.sh runs every program and prints one table.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One timed run of a path: the seconds it took, or a negative value when it failed.
using BenchPathFn = std::function<double()>;

struct BenchRow {
  std::string name;  // what the measured path is, against what reference
  std::string goal;  // the ratio aimed at, "" when none
  std::vector<double> measuredSeconds;
  std::vector<double> referenceSeconds;
  std::vector<double> ratios;  // reference / measured, one per pair
  std::string failure;         // set when a run failed; the row then shows it
};

struct BenchOptions {
  int repeats = 5;
  bool header = false;
  std::int64_t mb = 0;            // --mb N, for programs that take a size
  std::vector<std::string> rest;  // arguments the program reads itself
};

// Reads --repeats N, --header and, when defaultMb is not 0, --mb N (at least minimumMb); other
// arguments are left in rest. Exits with status 2 and a message on stderr for a bad value, with
// status 0 after printing usage for --help.
BenchOptions benchParseOptions(int argc, char** argv, const char* usage, std::int64_t defaultMb = 0,
                               std::int64_t minimumMb = 1);
// Exits with status 2 and a message naming the first argument left in rest, if any.
void benchRefuseRest(const BenchOptions& options, const char* program);

// Runs the pair `repeats` times, the measured path first in even pairs and the reference first
// in odd ones, so neither always runs on a cache the other warmed or a disk the other filled.
BenchRow benchPairRun(const std::string& name, const std::string& goal, int repeats,
                      const BenchPathFn& measured, const BenchPathFn& reference);

void benchPrintHeader();
void benchPrintRow(const BenchRow& row);

// Seconds since an arbitrary start, from the monotonic clock.
double benchNow();

// The median, minimum and maximum of values (not empty).
double benchMedian(std::vector<double> values);
double benchMin(const std::vector<double>& values);
double benchMax(const std::vector<double>& values);
