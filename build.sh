#!/usr/bin/env bash
# yomi's one entry point for building, testing and running.
#   ./build.sh test          install what the build needs, build, run every test
#   ./build.sh run [ARGS]    install what the build needs, build, start the window
#   ./build.sh sanitize      the core, folder, CLI and language suites with ASan + UBSan
#                            (in build-asan/)
#   ./build.sh deps          only install the Debian packages
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build_dir=${YOMI_BUILD_DIR:-$here/build}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$here}

# Debian 12 packages: compiler and build tools, Qt 6, TagLib, ICU, SQLite (the
# library index), GoogleTest, Google Benchmark; ffmpeg, mutagen and exiftool
# make and check test audio; xvfb and a CJK font give the screenshot script a
# display that shows Han and kana; MeCab, its dictionary and the proper-name
# dictionary read Japanese; the Rime pinyin tables (luna: traditional
# characters and words with weights; pinyin-simp: simplified) read Chinese;
# Qt's Linguist tools build the translations;
# rsvg-convert renders the icon's PNG sizes; dpkg-dev (dpkg-shlibdeps) and
# file let cpack build the Debian package, whose desktop entry and metainfo
# the tests validate.
packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins
  qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  librsvg2-bin dpkg-dev file desktop-file-utils appstream
  libtag1-dev zlib1g-dev libicu-dev libsqlite3-dev libgtest-dev libgmock-dev libbenchmark-dev
  ffmpeg python3-mutagen libimage-exiftool-perl
  xvfb xauth fonts-wqy-microhei
  libmecab-dev mecab-ipadic-utf8 enamdict edict kanjidic kanjidic-xml skkdic-extra
  rime-data-luna-pinyin rime-data-pinyin-simp rime-data-terra-pinyin libhangul-data
  festlex-cmu
)

install_deps() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "build.sh: missing packages: ${missing[*]} (run as root, or install them)" >&2
    exit 1
  fi
  echo "build.sh: installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq >/dev/null
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

configure() {
  if [ ! -f "$build_dir/build.ninja" ]; then
    # ccache, where installed, shares compiled objects between checkouts.
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$here" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DYOMI_WERROR="${YOMI_WERROR:-OFF}" "${launcher[@]}" >/dev/null
  fi
}

build() {
  configure
  cmake --build "$build_dir" -- --quiet
}

# The suites under AddressSanitizer and UndefinedBehaviorSanitizer: no window,
# no benchmarks, no kill harness; ctest runs every case of the suites built.
sanitize() {
  local dir=${YOMI_ASAN_BUILD_DIR:-$here/build-asan}
  if [ ! -f "$dir/build.ninja" ]; then
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DYOMI_SANITIZE=ON \
      -DYOMI_BUILD_GUI=OFF -DYOMI_BUILD_BENCH=OFF -DYOMI_WERROR="${YOMI_WERROR:-OFF}" "${launcher[@]}" >/dev/null
  fi
  cmake --build "$dir" --target yomi_core_tests yomi_storage_tests yomi_folder_tests yomi_cli_tests \
    yomi_language_tests -- --quiet
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" \
      -E '_NOT_BUILT|^kill_harness$' "$@"
}

cmd=${1:-test}
shift || true
case "$cmd" in
  deps)
    install_deps ;;
  build)
    install_deps; build ;;
  test)
    install_deps; build
    ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" "$@" ;;
  sanitize)
    install_deps; sanitize "$@" ;;
  run)
    install_deps; build
    if [ -x "$here/scripts/run-app" ]; then
      exec "$here/scripts/run-app" "$build_dir" "$@"
    fi
    exec "$build_dir/yomi" "$@" ;;
  *)
    echo "usage: ./build.sh test | run [--library DIR] | sanitize | deps | build" >&2
    exit 2 ;;
esac
