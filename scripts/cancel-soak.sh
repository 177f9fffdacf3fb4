#!/usr/bin/env bash
# The long randomized cancel series: backups and restores through their entry functions, each
# cancelled at a random instant, under AddressSanitizer+UndefinedBehaviorSanitizer and under
# ThreadSanitizer. Every run must end with 0 or 415 and leave no session, thread, temporary
# object or current request behind.
#   scripts/cancel-soak.sh [--runs N] [--seed S] [--asan-only|--tsan-only]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
zarnak_ensure_deps

runs=1000
seed=20261210
modes=(asan tsan)
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=${2:?--runs needs a count}; shift ;;
    --seed) seed=${2:?--seed needs a number}; shift ;;
    --asan-only) modes=(asan) ;;
    --tsan-only) modes=(tsan) ;;
    --help) sed -n '2,6p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "cancel-soak.sh: unknown argument $1" >&2; exit 2 ;;
  esac
  shift
done

jobs=${ZARNAK_JOBS:-$(nproc)}
export ZARNAK_CANCEL_RUNS=$runs ZARNAK_CANCEL_SEED=$seed
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=0:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}
for mode in "${modes[@]}"; do
  run=()
  case "$mode" in
    asan) dir=build-asan; flags=(-DZARNAK_SANITIZE=ON -DZARNAK_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug) ;;
    tsan) dir=build-tsan; flags=(-DZARNAK_TSAN=ON -DZARNAK_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo)
          if command -v setarch >/dev/null; then run=(setarch "$(uname -m)" -R); fi ;;
  esac
  cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
  cmake --build "$dir" -j "$jobs" --target erifunc_restore_test backup_db_test
  echo "== $mode: $runs runs, seed $seed"
  "${run[@]}" "$dir/agents/sql/common/erifunc_restore_test" \
    --gtest_filter='*CancelledAtRandomInstants*'
  "${run[@]}" "$dir/tests/backup_db/backup_db_test" --gtest_filter='*CancelledAtRandomInstants*'
done
