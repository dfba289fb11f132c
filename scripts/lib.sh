# Shared by scripts/run and scripts/test: installs what the build needs, configures and builds.
# shellcheck shell=bash

ZEL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Debian 12 packages the build, the tests and the benchmarks use. libgmock-dev completes the
# GTest CMake package; libjpeg and libpng read and write JPEG and PNG files; ImageMagick's
# `convert` and gifsicle are peers in the interop tests. clang and libclang-rt-14-dev
# (libFuzzer and the sanitizer runtimes) build the fuzz targets of scripts/fuzz.
# libimagequant builds the high-quality palettes, with pngquant as its peer in the tests.
# FFmpeg and Pillow (python3-pil) make files for the round-trip table, which headless chromium
# shows as the reference viewer. qt6-l10n-tools' lrelease compiles the editor's English.
# librsvg2-bin renders the icon's PNG sizes; the install test validates the desktop entry
# (desktop-file-utils) and the metainfo (appstream); dpkg-dev's dpkg-shlibdeps gives the
# Debian package its dependencies. FFmpeg's libraries (libavformat, libavcodec, libswscale)
# read video clips; libwebp reads and writes WebP files, with the webp tools (webpinfo,
# gif2webp) as peers in the tests.
ZEL_PACKAGES=(
  g++ cmake ninja-build pkg-config clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev libgif-dev
  libjpeg62-turbo-dev libpng-dev zlib1g-dev
  qt6-base-dev libqt6svg6 qt6-translations-l10n qt6-l10n-tools fonts-noto-cjk xvfb
  gifsicle imagemagick midicsv xclip giflib-tools
  libimagequant-dev pngquant ffmpeg python3-pil chromium
  librsvg2-bin desktop-file-utils appstream dpkg-dev
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev libwebp-dev webp
)

zel_log() { printf '[zel] %s\n' "$*" >&2; }
zel_die() {
  printf '[zel] error: %s\n' "$*" >&2
  exit 1
}

# Installs the Debian packages among "$@" that are not installed yet. A machine that has them
# all never touches apt.
zel_install_packages() {
  command -v dpkg-query >/dev/null 2>&1 ||
    zel_die "dpkg-query not found: these scripts set up a Debian 12 machine."
  local pkg status
  local -a missing=()
  for pkg in "$@"; do
    status="$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)"
    [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
  done
  ((${#missing[@]} == 0)) && return 0

  local -a asRoot=()
  if ((EUID != 0)); then
    command -v sudo >/dev/null 2>&1 ||
      zel_die "missing packages: ${missing[*]}. Run this script as root or install sudo."
    asRoot=(sudo)
  fi
  zel_log "installing: ${missing[*]}"
  "${asRoot[@]}" apt-get update
  "${asRoot[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y --no-install-recommends "${missing[@]}"
}

# zel_configure BUILD_DIR [CMAKE_ARGS...]: configures BUILD_DIR from the repository root.
# The generator is chosen on the first configure only, so a tree set up by hand keeps its own.
zel_configure() {
  local buildDir="$1"
  shift
  local -a generator=()
  [[ -f "$buildDir/CMakeCache.txt" ]] || generator=(-G Ninja)
  cmake -S "$ZEL_ROOT" -B "$buildDir" "${generator[@]}" "$@"
}

# zel_build BUILD_DIR: builds every target on all cores.
zel_build() {
  cmake --build "$1" -j"$(nproc)"
}

# The sanitizer tree, build-sanitize/: clang with AddressSanitizer and
# UndefinedBehaviorSanitizer at -O1, no editor, no benchmarks and no peer tests. It holds the
# core's unit tests and zel-cli's tests (scripts/test) and the libFuzzer targets
# (scripts/fuzz) alike, so the core is compiled with the sanitizers once.
ZEL_SANITIZE_DIR="$ZEL_ROOT/build-sanitize"
zel_configure_sanitize() {
  zel_configure "$ZEL_SANITIZE_DIR" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DZEL_FUZZ=ON -DZEL_BUILD_BENCH=OFF -DZEL_BUILD_UI=OFF \
    -DZEL_PEER_TESTS=OFF
}

# Installs, configures and builds the default tree in build/: the editor, zel-cli, the
# benchmarks, and the tests the sanitizer tree does not run (the editor's and the peers').
# ZEL_CORE_TESTS=ON in the environment builds the core's tests there as well.
zel_prepare_default() {
  zel_install_packages "${ZEL_PACKAGES[@]}"
  # Line tables only (-g1): backtraces keep file and line, and the build and the large test
  # binaries' links take much less time than with full debug information.
  zel_configure "$ZEL_ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
    -DZEL_CORE_TESTS="${ZEL_CORE_TESTS:-OFF}"
  zel_build "$ZEL_ROOT/build"
}
