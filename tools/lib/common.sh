# Shared by the project's commands: package installation and lane builds.
# Sourced, not run.

MD_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
MD_JOBS=${MD_JOBS:-$(nproc)}
# Where the lanes build; a developer may point it elsewhere to keep apart.
MD_BUILD_ROOT=${MD_BUILD_ROOT:-$MD_ROOT/build}

# ccache keys units by paths relative to the checkout, so a fresh clone in
# another folder (CI's, a second work tree) reuses what this one compiled.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$MD_ROOT} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}

md_say() { printf '\n== %s\n' "$*"; }
md_fail() { printf '\nFAILED: %s\n' "$*" >&2; exit 1; }

# Installs the Debian packages that are missing; fails loudly when apt cannot.
md_ensure_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  md_say "installing ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -q || md_fail "apt-get update failed"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" \
    || md_fail "could not install ${missing[*]}"
}

MD_LINUX_PACKAGES=(cmake ninja-build ccache g++ pkg-config libgtest-dev libgmock-dev googletest libbenchmark-dev
                   libxml2-dev nlohmann-json3-dev libtag1-dev libudev-dev rsync python3-mutagen)
# mdhost's conversion to MP3: FFmpeg's libraries (libavcodec brings LAME).
MD_LINUX_PACKAGES+=(libavformat-dev libavcodec-dev libswresample-dev libavutil-dev)
# The folder player's tests read its playlists back with a reader of their own in Python.
MD_LINUX_PACKAGES+=(python3)
# The file systems players carry: an exFAT volume on a loop device through
# FUSE (tools/lib/exfat_volume.sh), and FAT for cards formatted that way.
MD_LINUX_PACKAGES+=(exfatprogs exfat-fuse dosfstools)
# mdhost sync keeps its record of a card under the card's UUID or label.
MD_LINUX_PACKAGES+=(libblkid-dev)
# mdhost serve: its HTTP server's headers (Boost.Beast and Boost.Asio), and
# the browser its page is tested in.
MD_LINUX_PACKAGES+=(libboost-dev chromium chromium-driver python3-selenium)
# The page's accessibility checker, axe-core, comes from npm at a pinned
# version (the browser test installs it into the build folder). A machine
# whose Node.js came from elsewhere carries its own npm, and Debian's npm
# conflicts with that Node.js: ask apt only when no npm is there at all.
command -v npm >/dev/null 2>&1 || MD_LINUX_PACKAGES+=(npm)
# clang's libFuzzer and its sanitizer runtimes, for tools/fuzz.sh.
MD_FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)
MD_WINDOWS_PACKAGES=(mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine wine64
                     googletest nlohmann-json3-dev libxml2-dev libboost-dev)

md_require_tool() {
  command -v "$1" >/dev/null 2>&1 || md_fail "$1 is missing: the $2 lane cannot run"
}

# Configures (once) and builds one lane in build/<name>; targets after "--"
# limit the build to them.
#   md_build_lane NAME [cmake options...] [-- TARGET...]
md_build_lane() {
  local name=$1; shift
  local dir="$MD_BUILD_ROOT/$name"
  local options=() targets=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
  [ $# -gt 0 ] && { shift; targets=("$@"); }
  mkdir -p "$MD_BUILD_ROOT"
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$MD_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >"$dir.configure.log" 2>&1 \
      || { cat "$dir.configure.log"; md_fail "configuring $name"; }
  fi
  local target_args=()
  for target in "${targets[@]}"; do target_args+=(--target "$target"); done
  cmake --build "$dir" -j "$MD_JOBS" "${target_args[@]}" || md_fail "building $name"
}

# Creates the Wine prefix the Windows lane runs in, once, and keeps one Wine
# server alive for the run so that each test start is quick.
md_prepare_wine() {
  local prefix="$MD_BUILD_ROOT/windows/wineprefix"
  export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$prefix/system.reg" ]; then
    md_say "creating the Wine prefix (first run only)"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    [ -f "$prefix/system.reg" ] || md_fail "wineboot did not create $prefix"
  fi
  wineserver -p >/dev/null 2>&1 || true
  # Start Wine's services now, detached from the test runner's pipes: a
  # service started by the first test would keep ctest waiting for its output.
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}
