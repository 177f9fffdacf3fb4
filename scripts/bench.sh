#!/usr/bin/env bash
# Builds the benchmarks (plain configuration) and runs them all; prints one table. Each row
# pairs a measured path with its physical reference in the same run, alternating, and shows
# min / median / max of the ratio reference time / measured time (1.0: as fast as the
# reference; more is faster).
#   scripts/bench.sh [--quick] [--repeats N]
#     --quick       smaller sizes (a 256 MiB database and object) for a first look
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
zarnak_ensure_deps

repeats=5
mb=1024
while [ $# -gt 0 ]; do
  case "$1" in
    --quick) mb=256 ;;
    --repeats) repeats=${2:?--repeats needs a count}; shift ;;
    --help) sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "usage: scripts/bench.sh [--quick] [--repeats N]" >&2; exit 2 ;;
  esac
  shift
done

cmake -S . -B build -G Ninja -DZARNAK_BENCH=ON >/dev/null
cmake --build build -j "${ZARNAK_JOBS:-$(nproc)}" --target zk_benchmarks

first=--header
run() {
  "$@" --repeats "$repeats" $first
  first=
}
run build/bench/mover/ring_bench
run build/bench/vdi/vdi_bench
run build/bench/sqlengine/sqlengine_bench
run build/bench/trace/trace_bench
run build/bench/storage/forwarder_bench
run build/bench/hublor/hublor_bench --mb "$mb"
run build/bench/stripes/stripes_bench --mb "$mb"
run build/bench/entries/entry_bench --mb "$mb"
run build/bench/clc/clc_bench --mb "$mb"
