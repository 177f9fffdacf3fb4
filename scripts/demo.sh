#!/usr/bin/env bash
# Builds everything and shows the agent's engine at work on the stand-ins, in a fresh root:
# an emulated SQL Server with a sample database, a storage server with the agent's node, the
# agent's registry settings and message repository, then a striped backup of the database
# through virtual devices and its restore under another name, checked file by file.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
zarnak_ensure_deps
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "${ZARNAK_JOBS:-$(nproc)}"

export ZARNAK_ROOT=$(mktemp -d)
trap 'rm -rf "$ZARNAK_ROOT"' EXIT
sqlsim=build/platform/sqlserver/sqlsim/sqlsim
hublorsim=build/bin/hublorsim
regtool=build/platform/registry/regtool
step() { printf '\n== %s\n' "$*"; }

step "simulated machine in $ZARNAK_ROOT"
agentdir=$ZARNAK_ROOT/agent
mkdir -p "$agentdir"
cp build/agents/common/nls/sqlAMENG.txt "$agentdir/"
$regtool set 'HKLM\SOFTWARE\Orbenix\Moxtar\CurrentVersion\ZARNAKSQL' Path REG_SZ "$agentdir"
$regtool set 'HKLM\SOFTWARE\Orbenix\Moxtar\CurrentVersion\Api' Path REG_SZ "$PWD/build/lib"
$regtool export 'HKLM\SOFTWARE\Orbenix'

step "storage server: the agent's node"
$hublorsim node add ZARNAKNODE secret
$hublorsim node list
$hublorsim server show

step "SQL Server: a default instance"
$sqlsim create MSSQLSERVER
$sqlsim list

step "backup through 4 stripes, restore through 2 devices as a new database"
build/tests/vdi_stripes/stripes_demo MSSQLSERVER sales 64 4 "$ZARNAK_ROOT/backup"
ls -l "$ZARNAK_ROOT/backup"

step "checksums of the source and of the restored copy"
$sqlsim checksum MSSQLSERVER sales | awk '{print $1, $2, $3}'
$sqlsim checksum MSSQLSERVER sales_copy | awk '{print $1, $2, $3}'
if diff <($sqlsim checksum MSSQLSERVER sales | awk '{print $1, $2}') \
        <($sqlsim checksum MSSQLSERVER sales_copy | awk '{print $1, $2}') >/dev/null; then
  echo "the restored copy is byte-identical to the source"
else
  echo "the restored copy differs from the source" >&2
  exit 1
fi
