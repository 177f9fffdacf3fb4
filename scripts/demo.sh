#!/usr/bin/env bash
# Builds everything and shows the agent at work on a simulated machine: an emulated SQL Server
# with a sample database and a storage server with the agent's node. The command-line program
# zarnaksqlc backs the database up through 4 striped virtual devices, lists the stored backup,
# restores it over the changed database and into a copy, and each result is checked byte for
# byte against the database as it was backed up.
#
#   scripts/demo.sh --gui   then starts the windowed program zarnaksql on the same machine (it
#                           needs a display); the machine is removed when its window closes.
set -euo pipefail
gui=0
if [ "${1:-}" = "--gui" ]; then gui=1; fi
cd "$(dirname "$0")/.."
. scripts/deps.sh
zarnak_ensure_deps
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "${ZARNAK_JOBS:-$(nproc)}"

export ZARNAK_ROOT=$(mktemp -d)
trap 'rm -rf "$ZARNAK_ROOT"' EXIT
sqlsim=$PWD/build/platform/sqlserver/sqlsim/sqlsim
hublorsim=$PWD/build/bin/hublorsim
regtool=$PWD/build/platform/registry/regtool
export PATH="$PWD/build/agents/sql/clc:$PWD/build/agents/sql/gui/winnt:$PATH"  # the agent's programs, as installed
step() { printf '\n== %s\n' "$*"; }
say() { printf '   %s\n' "$*"; }
# Shows a command as the user types it, then runs it.
run() {
  printf '\n$ %s\n' "$*"
  "$@"
}
# The checksums of a database's data files, one "LOGICAL CHECKSUM" line each (the logical
# names stay those of the source in a copy).
sums() { $sqlsim checksum MSSQLSERVER "$1" | awk '$3 != "sales_log" {print $3, $1}'; }
# Checks a database byte for byte against sales as it was backed up.
check() {
  if diff <(sums "$1") "$ZARNAK_ROOT/backed-up.sums" >/dev/null; then
    say "OK: every data file of $1 is byte for byte what sales was when it was backed up"
  else
    say "MISMATCH: $1 differs from the backup" >&2
    exit 1
  fi
}

step "A simulated machine in $ZARNAK_ROOT"
agentdir=$ZARNAK_ROOT/agent
mkdir -p "$agentdir"
cp build/agents/common/nls/sqlAMENG.txt "$agentdir/"
$regtool set 'HKLM\SOFTWARE\Orbenix\Moxtar\CurrentVersion\ZARNAKSQL' Path REG_SZ "$agentdir/"
$regtool set 'HKLM\SOFTWARE\Orbenix\Moxtar\CurrentVersion\Api' Path REG_SZ "$PWD/build/lib"
say "the agent is installed in $agentdir"

step "The storage server, with the agent's node ZARNAKNODE"
$hublorsim node add ZARNAKNODE secret >/dev/null
printf 'NODENAME ZARNAKNODE\n' >"$agentdir/pelk.opt"
$hublorsim node list

# The emulated SQL Server is this machine's own: it has the name the agent finds for the computer.
host=$(hostname | cut -d. -f1 | cut -c1-15 | tr '[:lower:]' '[:upper:]')
step "SQL Server on this machine ($host), with the sample database \"sales\""
$sqlsim machine "name=$host" >/dev/null
$sqlsim create MSSQLSERVER >/dev/null
$sqlsim database MSSQLSERVER sales --file PRIMARY:sales_data:8192 --log sales_log:1024 >/dev/null
$sqlsim pages MSSQLSERVER sales sales_data 0 1024 --seed 1 >/dev/null
$sqlsim show MSSQLSERVER sales
sums sales >"$ZARNAK_ROOT/backed-up.sums"

cd "$ZARNAK_ROOT"
login=(/hublorpassword=secret)

step "Back the database up through 4 stripes"
run zarnaksqlc backup sales full /stripes=4 "${login[@]}"

step "What the storage server holds now"
run zarnaksqlc q hublor sales "${login[@]}"

step "The database changes after the backup"
$sqlsim pages MSSQLSERVER sales sales_data 0 64 --seed 2 >/dev/null
if diff <(sums sales) "$ZARNAK_ROOT/backed-up.sums" >/dev/null; then exit 1; fi
say "sales now differs from the backup"

step "Restore the backup over the changed database"
run zarnaksqlc restore sales full /replace "${login[@]}"
check sales

step "Restore the backup into a copy, sales_copy, with its files moved"
run zarnaksqlc restore sales full /into=sales_copy /relocate=sales_data,sales_log \
  "/to=$ZARNAK_ROOT/sales_copy.mdf,$ZARNAK_ROOT/sales_copy.ldf" "${login[@]}"
check sales_copy
$sqlsim show MSSQLSERVER sales_copy

step "Done: the agent backed up, listed and restored the database, and every check passed"

if [ "$gui" = 1 ]; then
  step "The windowed program on the same machine (close its window to end the demonstration)"
  if [ -z "${DISPLAY:-}" ]; then
    say "no display: set DISPLAY (for example run Xvfb :5 & and DISPLAY=:5)" >&2
    exit 1
  fi
  run zarnaksql
fi
