#!/usr/bin/env bash
# Checks that C++ files match the repository's .clang-format (with the clang-format Debian
# ships, version 14); fails when any of them differs.
#   scripts/check-format.sh            the tracked .cpp/.h files changed since the merge-base
#                                      with main or origin/main (every tracked one without)
#   scripts/check-format.sh BASE       the files changed since BASE
#   scripts/check-format.sh --all      every tracked .cpp/.h file
set -euo pipefail
cd "$(dirname "$0")/.."

base=""
case "${1:-}" in
  --all) base="" ;;
  -h|--help) sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
  "") base=$(git merge-base HEAD main 2>/dev/null || git merge-base HEAD origin/main 2>/dev/null ||
               true) ;;
  -*) echo "check-format: unknown option $1" >&2; exit 2 ;;
  *) base=$(git rev-parse --verify -q "$1^{commit}") || { echo "check-format: no commit $1" >&2; exit 2; } ;;
esac

if ! command -v clang-format >/dev/null; then
  echo "check-format: clang-format is not installed (scripts/deps.sh lists it)" >&2
  exit 2
fi

files=()
if [ -n "$base" ]; then
  # Changed since the base, committed or not, and still present.
  mapfile -t files < <(git diff --name-only --diff-filter=d "$base" -- '*.cpp' '*.h')
else
  mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
fi
[ ${#files[@]} -eq 0 ] && { echo "check-format: no C++ files to check"; exit 0; }

if ! clang-format --dry-run --Werror "${files[@]}"; then
  echo "check-format: run clang-format -i on the files above" >&2
  exit 1
fi
echo "check-format: ${#files[@]} file(s) formatted"
