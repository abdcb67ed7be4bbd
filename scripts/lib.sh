# Shared by the scripts: project root, Debian packages, configure and build.
# shellcheck shell=bash
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export ROOT

# Debian packages the build, the tests and the demo need.
TERVANE_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  xvfb xauth python3 python3-skyfield locales
  direwolf aprx
  desktop-file-utils appstream dpkg-dev file
  gpsd gpsd-clients libgps-dev
  lintian man-db
)

# Installs whatever of the given packages is missing (needs root).
ensure_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

# configure_build DIR [cmake args...]: configures (once) and builds with Ninja.
configure_build() {
  local dir="$1"
  shift
  cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" -DTERVANE_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}
