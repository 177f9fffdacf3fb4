#include "pairbench.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The number after argv[i], from minimum to maximum; exits with status 2 when there is none.
long numberAfter(int argc, char** argv, int i, long minimum, long maximum) {
  char* end = nullptr;
  long value = i + 1 < argc ? std::strtol(argv[i + 1], &end, 10) : 0;
  if (i + 1 >= argc || *end != '\0' || value < minimum || value > maximum) {
    std::fprintf(stderr, "%s: %s needs a number from %ld to %ld\n", argv[0], argv[i], minimum,
                 maximum);
    std::exit(2);
  }
  return value;
}

}  // namespace

BenchOptions benchParseOptions(int argc, char** argv, const char* usage, std::int64_t defaultMb,
                               std::int64_t minimumMb) {
  BenchOptions options;
  options.mb = defaultMb;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--help") == 0) {
      std::printf(
          "%s\n  --repeats N   pairs per row (default 5)\n  --header      print the "
          "table's header first\n",
          usage);
      std::exit(0);
    }
    if (std::strcmp(arg, "--header") == 0) {
      options.header = true;
      continue;
    }
    if (std::strcmp(arg, "--repeats") == 0) {
      options.repeats = static_cast<int>(numberAfter(argc, argv, i++, 1, 1000));
      continue;
    }
    if (defaultMb != 0 && std::strcmp(arg, "--mb") == 0) {
      options.mb = numberAfter(argc, argv, i++, static_cast<long>(minimumMb), 1 << 20);
      continue;
    }
    options.rest.emplace_back(arg);
  }
  return options;
}

void benchRefuseRest(const BenchOptions& options, const char* program) {
  if (options.rest.empty()) return;
  std::fprintf(stderr, "%s: unknown argument %s\n", program, options.rest[0].c_str());
  std::exit(2);
}

double benchNow() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double benchMedian(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double benchMin(const std::vector<double>& values) {
  return *std::min_element(values.begin(), values.end());
}

double benchMax(const std::vector<double>& values) {
  return *std::max_element(values.begin(), values.end());
}

BenchRow benchPairRun(const std::string& name, const std::string& goal, int repeats,
                      const BenchPathFn& measured, const BenchPathFn& reference) {
  BenchRow row{name, goal, {}, {}, {}, {}};
  for (int k = 0; k < repeats && row.failure.empty(); ++k) {
    double m = 0;
    double r = 0;
    if (k % 2 == 0) {
      m = measured();
      r = m < 0 ? 0 : reference();
    } else {
      r = reference();
      m = r < 0 ? 0 : measured();
    }
    if (m <= 0 || r <= 0) {
      row.failure = m < 0 ? "the measured path failed" : "the reference failed";
      break;
    }
    row.measuredSeconds.push_back(m);
    row.referenceSeconds.push_back(r);
    row.ratios.push_back(r / m);
  }
  return row;
}

void benchPrintHeader() {
  std::printf("%-64s %10s %10s %7s %7s %7s  %s\n", "benchmark (measured vs reference)",
              "measured s", "refer. s", "min", "median", "max", "goal");
}

void benchPrintRow(const BenchRow& row) {
  if (!row.failure.empty() || row.ratios.empty()) {
    std::printf("%-64s FAILED: %s\n", row.name.c_str(),
                row.failure.empty() ? "no pairs" : row.failure.c_str());
    std::fflush(stdout);
    return;
  }
  std::printf("%-64s %10.4f %10.4f %7.2f %7.2f %7.2f  %s\n", row.name.c_str(),
              benchMedian(row.measuredSeconds), benchMedian(row.referenceSeconds),
              benchMin(row.ratios), benchMedian(row.ratios), benchMax(row.ratios),
              row.goal.c_str());
  std::fflush(stdout);
}
