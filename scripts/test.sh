#!/usr/bin/env bash
# Builds and runs every test.
#   scripts/test.sh             plain build, every test
#   scripts/test.sh --sanitize  AddressSanitizer and UndefinedBehaviorSanitizer, every test
#   scripts/test.sh --tsan      ThreadSanitizer, the threaded tests (it builds every program,
#                               library and benchmark as well, optimised, for the warnings)
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
case "$mode" in
  plain) dir=build ;;
  # Clang compiles a sanitized debug build in little more than half the time GCC takes, and its
  # UndefinedBehaviorSanitizer checks more (enumeration values among them); the optimised
  # ThreadSanitizer build stays with GCC, whose warnings at -O2 see more.
  asan) dir=build-asan; flags=(-DZARNAK_SANITIZE=ON -DZARNAK_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
                               -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
  # Line tables (-g1) are all a ThreadSanitizer report needs for its file and line, and leave
  # out the optimised build's variable tracking, a fifth of its compile time.
  tsan) dir=build-tsan; flags=(-DZARNAK_TSAN=ON -DZARNAK_BENCH=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
                               "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"
                               "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG")
        labels=(-L threaded) ;;
esac

# A build folder configured for another compiler starts afresh: CMake would otherwise drop the
# options above along with the compiler it had cached.
if [ "$mode" = asan ] && [ -f "$dir/CMakeCache.txt" ] &&
   ! grep -q '^CMAKE_CXX_COMPILER:[A-Z]*=.*clang++$' "$dir/CMakeCache.txt"; then
  rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
fi
# One CTest test per test program: a sanitized test program takes a fifth of a second to start
# and end, one that opens windows more than a second, and there are ten times as many cases.
cmake -S . -B "$dir" -G Ninja "${flags[@]}" -DZARNAK_WERROR=$werror -DZARNAK_TEST_PROGRAMS=ON >/dev/null
cmake --build "$dir" -j "$jobs"

# Window tests need a display: without one, this run starts its own Xvfb on a free display.
xvfb_pid=""
stop_xvfb() { if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi; }
if [ -z "${DISPLAY:-}" ]; then
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  trap stop_xvfb EXIT
  for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
  if [ -s "$display_file" ]; then export DISPLAY=":$(head -n1 "$display_file")"; fi
  rm -f "$display_file"
fi

# The GUI toolkit keeps caches for the life of the process; the leak check leaves them out.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/platform/ui/lsan-gui.supp}
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=0:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# The GUI toolkit is not built with the sanitizer: its own threads are left out of the reports.
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/platform/ui/tsan-gui.supp}
run=()
# ThreadSanitizer's runtime cannot map its shadow memory under the kernel's widest address
# randomisation; running without randomisation is the usual remedy.
if [ "$mode" = tsan ] && command -v setarch >/dev/null; then run=(setarch "$(uname -m)" -R); fi
"${run[@]}" ctest --test-dir "$dir" --output-on-failure -j "$jobs" "${labels[@]}"
