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

# A free TCP port in the range Dire Wolf accepts (1024-49151).
free_port() {
  python3 -c 'import socket,random
for _ in range(200):
    p=random.randint(20000,32767); s=socket.socket()
    try:
        s.bind(("127.0.0.1",p)); print(p); break
    except OSError: pass
    finally: s.close()'
}

# start_dire_wolf DIR PACKETS-FILE: Dire Wolf without a sound card, in DIR.
# Its receive audio comes from a FIFO that a loop fills with the packets made
# into AFSK audio, one packet every two seconds; what it would transmit goes
# nowhere. Sets dire_wolf_port to its KISS TCP port and adds both processes
# to the caller's pids array.
start_dire_wolf() {
  local dw="$1" packets="$2"
  dire_wolf_port="$(free_port)"
  mkdir -p "$dw/clips"
  printf 'ADEVICE stdin null\nACHANNELS 1\nARATE 11025\nCHANNEL 0\nMYCALL N0CALL\nMODEM 1200\nAGWPORT %s\nKISSPORT %s\n' \
    "$(free_port)" "$dire_wolf_port" >"$dw/dw.conf"
  local n=0
  while IFS= read -r line; do
    [ -n "$line" ] || continue
    printf '%s' "$line" >"$dw/packet.txt"
    gen_packets -r 11025 -o "$dw/clip.wav" "$dw/packet.txt" >/dev/null 2>&1 &&
      tail -c +45 "$dw/clip.wav" >"$dw/clips/$(printf '%04d' "$n").raw"
    n=$((n + 1))
  done <"$packets"
  mkfifo "$dw/audio"
  exec 7<>"$dw/audio"
  (cd "$dw" && exec direwolf -c dw.conf -t 0 -q hd - <"$dw/audio" >"$dw/dw.log" 2>&1) &
  pids+=("$!")
  (while true; do for clip in "$dw"/clips/*.raw; do cat "$clip" >&7; sleep 2; done; done) &
  pids+=("$!")
}
