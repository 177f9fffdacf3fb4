# Sourced by the other scripts: installs with apt-get whatever the build needs and is missing.
zarnak_packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
  libsqlite3-dev sqlite3 clang-format libwxgtk3.2-dev libx11-dev xvfb xauth fonts-dejavu-core
  imagemagick ccache clang lld libclang-rt-dev)

zarnak_ensure_deps() {
  local missing=()
  local p
  for p in "${zarnak_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

# The compiler cache keys on paths relative to the checkout (the scripts run from its root), so
# another clone of the tree on this machine reuses what an earlier build compiled.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=true
export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-20G}
