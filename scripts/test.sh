#!/usr/bin/env bash
# Builds and runs every test.
#   scripts/test.sh             plain build, every test
#   scripts/test.sh --sanitize  AddressSanitizer and UndefinedBehaviorSanitizer, every test
#   scripts/test.sh --tsan      ThreadSanitizer, the threaded tests
# With --werror, or when CI=true, compiler warnings fail the build.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
zarnak_ensure_deps

mode=plain
werror=OFF
[ "${CI:-}" = true ] && werror=ON
for arg in "$@"; do
  case "$arg" in
    --sanitize) mode=asan ;;
    --tsan) mode=tsan ;;
    --werror) werror=ON ;;
    *) echo "usage: scripts/test.sh [--sanitize|--tsan] [--werror]" >&2; exit 2 ;;
  esac
done

jobs=${ZARNAK_JOBS:-$(nproc)}
flags=()
labels=()
targets=()
case "$mode" in
  plain) dir=build ;;
  asan) dir=build-asan; flags=(-DZARNAK_SANITIZE=ON -DZARNAK_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug) ;;
  tsan) dir=build-tsan; flags=(-DZARNAK_TSAN=ON -DZARNAK_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo)
        labels=(-L threaded); targets=(--target zk_threaded_tests) ;;
esac

cmake -S . -B "$dir" -G Ninja "${flags[@]}" -DZARNAK_WERROR=$werror >/dev/null
cmake --build "$dir" -j "$jobs" "${targets[@]}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=0:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}
run=()
# ThreadSanitizer's runtime cannot map its shadow memory under the kernel's widest address
# randomisation; running without randomisation is the usual remedy.
if [ "$mode" = tsan ] && command -v setarch >/dev/null; then run=(setarch "$(uname -m)" -R); fi
"${run[@]}" ctest --test-dir "$dir" --output-on-failure -j "$jobs" "${labels[@]}"
