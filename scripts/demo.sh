#!/usr/bin/env bash
# Builds everything and shows what the agent can do so far on the stand-ins, in a fresh root.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
zarnak_ensure_deps
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)"
export ZARNAK_ROOT=$(mktemp -d)
trap 'rm -rf "$ZARNAK_ROOT"' EXIT
echo "simulated machine root: $ZARNAK_ROOT"
echo "The agent's programs are not built yet; the foundation libraries and their tests are."
