#!/usr/bin/env bash
# Build helper for a fresh Debian machine.
#   ./dev.sh play   install what is missing, build the game and its data, start it
#   ./dev.sh test   install what is missing, build, run every test, then again under
#                   AddressSanitizer and UndefinedBehaviorSanitizer; ends with the share
#                   of test code (./dev.sh share prints it alone)
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(
  cmake ninja-build g++ pkg-config
  libsdl2-dev libsdl2-mixer-dev libepoxy-dev libglm-dev
  libpng-dev libjpeg-dev zlib1g-dev libfreetype-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-ipafont-gothic clang-format
  libgl1-mesa-dri libegl-mesa0 libegl1
)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    local sudo=()
    [[ $(id -u) -eq 0 ]] || sudo=(sudo)
    "${sudo[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

build() {  # build <dir> [cmake args...]
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja "$@"
  cmake --build "$dir" --parallel
}

# Every C++ file of the checkout in the house style (.clang-format).
check_format() {
  local files
  mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
  clang-format --dry-run --Werror "${files[@]}"
}

# Non-blank lines that are not only a comment, in the .cpp and .h files under the folders.
code_lines() {
  local files
  mapfile -t files < <(git ls-files -- "${@/%//*.cpp}" "${@/%//*.h}")
  ((${#files[@]})) || { echo 0; return; }
  awk '
    inblock { if (!sub(/.*\*\//, "")) next; inblock = 0 }
    { gsub(/^[ \t]+|[ \t]+$/, "") }
    /^\/\*/ && !/\*\// { inblock = 1; next }
    { sub(/^\/\*.*\*\/[ \t]*/, "") }
    $0 != "" && !/^\/\// { n++ }
    END { print n + 0 }' "${files[@]}"
}

# The share of test code: tests/, fuzz/ and bench/ against the game and its tools.
test_share() {
  local src tools tests fuzz bench
  src=$(code_lines src) tools=$(code_lines tools) tests=$(code_lines tests) fuzz=$(code_lines fuzz) bench=$(code_lines bench)
  awk -v s="$src" -v t="$tools" -v u="$tests" -v f="$fuzz" -v b="$bench" 'BEGIN {
    printf "Test share: %d lines of tests (tests %d, fuzz %d, bench %d) for %d lines of code (src %d, tools %d): %.1f%%\n",
      u + f + b, u, f, b, s + t, s, t, 100 * (u + f + b) / (s + t) }'
}

run_tests() {  # run_tests <dir>
  (cd "$1" && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ctest --output-on-failure --parallel "$(nproc)")
}

case "${1:-}" in
  play)
    install_missing
    build build -DCMAKE_BUILD_TYPE=Release
    cd build && exec ./milva
    ;;
  test)
    install_missing
    check_format
    build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    run_tests build
    build build-asan -DCMAKE_BUILD_TYPE=Debug -DMILVA_SANITIZE=ON
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS=suppressions=$PWD/.ci/lsan.supp \
      UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 run_tests build-asan
    test_share
    ;;
  share)
    test_share
    ;;
  *)
    echo "usage: $0 play|test|share" >&2
    exit 2
    ;;
esac
