#!/usr/bin/env bash
# Build helper for a fresh Debian machine.
#   ./dev.sh play   install what is missing, build the game and its three data files
#                   (the target milva_play, nothing else), start it
#   ./dev.sh test   install what is missing, build, run every test, then again under
#                   AddressSanitizer and UndefinedBehaviorSanitizer, then a few seconds
#                   of every fuzz target; ends with the share of test code
#   ./dev.sh share  the share of test code alone: lines of tests/, fuzz/ and bench/ against
#                   lines of src/ and tools/
#   ./dev.sh fuzz [target] [seconds]
#                   build the fuzz targets with Clang and run one (or each in turn) for
#                   that long (60 seconds by default); what they find new is kept in
#                   build-fuzz/fuzz/corpus/<target>, a crash as build-fuzz/fuzz/crash-*
#   ./dev.sh soak [frames] [seed]
#                   build with both sanitizers (build-asan/) and play the game headless
#                   with keys from a seeded generator for that many frames (100,000 and
#                   seed 1 by default), checking it after every frame; `test` runs a
#                   short soak in both builds among the other tests
#   ./dev.sh play-check
#                   build what `play` builds (in build-play/) and start that game
#                   headless: it must run, end cleanly when closed, end with a failure
#                   status when its data files are missing, and keep the whole picture
#                   on its window through full screen and back (milva_display_check,
#                   the same game built beside it with a display round)
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
# The fuzz targets: Clang and its libFuzzer runtime.
FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)

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

# The play command's build: optimised, and a warning never stops it; only the game and
# its data files (and the tools that make them), not the tests or the benchmark.
build_play() {  # build_play <dir> [further targets...]
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMILVA_WERROR=OFF
  cmake --build "$dir" --parallel --target milva_play "$@"
}

# Starts the built game with no display and no sound device for a few seconds, then
# closes it (SIGTERM arrives as the window's close request); starts it without data
# files; and runs its display round: full screen and back through the options, and a
# lost device's rebuild in each mode, the whole picture on the window after each.
check_play() {  # check_play <dir>
  local game pid status=0 empty said
  game=$(cd "$1" && pwd)/milva
  (
    cd "$1"
    unset DISPLAY WAYLAND_DISPLAY
    export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
    "$game" &
    pid=$!
    sleep 4
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid" || status=$?
      echo "play check: the game ended by itself (status $status)" >&2
      exit 1
    fi
    kill -TERM "$pid"
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
    if kill -0 "$pid" 2>/dev/null; then
      kill -KILL "$pid"
      echo "play check: the game did not end when closed" >&2
      exit 1
    fi
    wait "$pid" || status=$?
    if ((status != 0)); then
      echo "play check: the game ended with status $status when closed" >&2
      exit 1
    fi
    empty=$(mktemp -d)
    status=0
    said=$(cd "$empty" && "$game" 2>&1 >/dev/null) || status=$?
    rmdir "$empty"
    if ((status == 0)); then
      echo "play check: a start without data files reported success" >&2
      exit 1
    fi
    if ! grep -q '^milva: data\.dat: ' <<<"$said"; then
      echo "play check: a start without data files did not say why on standard error: $said" >&2
      exit 1
    fi
    echo "play check: started, ran, closed cleanly; a failed start ends with status $status and says: ${said%%$'\n'*}"
    status=0
    timeout 120 "${game%/*}/milva_display_check" || status=$?
    if ((status != 0)); then
      echo "play check: the display round failed (status $status)" >&2
      exit 1
    fi
    echo "play check: full screen and back left the whole picture on the window each time"
  )
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

# The sanitizer builds' run options. The leak check's stop of every thread crashes on the
# dynamic thread-local blocks the software OpenGL driver's libraries leave behind when
# two OpenGL tests run at once on a small machine, so those blocks are not tracked.
ASAN_RUN=detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0

run_tests() {  # run_tests <dir>
  (cd "$1" && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ctest --output-on-failure --parallel "$(nproc)")
}

fuzz_build() {
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMILVA_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14
  cmake --build build-fuzz --parallel --target milva_fuzz
}

fuzz_targets() {
  local f
  for f in build-fuzz/fuzz/fuzz_*; do
    if [[ -x $f ]]; then echo "${f##*/fuzz_}"; fi
  done
}

fuzz_run() {  # fuzz_run <target> <seconds>; runs beside the built data files
  local dict=()
  [[ -f fuzz/$1.dict ]] && dict=("-dict=$PWD/fuzz/$1.dict")
  mkdir -p "build-fuzz/fuzz/corpus/$1"
  (cd build-fuzz && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "./fuzz/fuzz_$1" -max_total_time="$2" -timeout=10 -print_final_stats=1 -artifact_prefix="fuzz/crash-$1-" \
    "${dict[@]}" "fuzz/corpus/$1" "fuzz/seeds/$1")
}

case "${1:-}" in
  play)
    install_missing
    build_play build
    cd build && exec ./milva
    ;;
  test)
    PACKAGES+=("${FUZZ_PACKAGES[@]}")
    install_missing
    check_format
    build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMILVA_WERROR=ON
    run_tests build
    build build-asan -DCMAKE_BUILD_TYPE=Debug -DMILVA_SANITIZE=ON -DMILVA_WERROR=ON
    ASAN_OPTIONS=$ASAN_RUN LSAN_OPTIONS=suppressions=$PWD/.ci/lsan.supp \
      UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 run_tests build-asan
    fuzz_build
    for target in $(fuzz_targets); do fuzz_run "$target" 4; done
    test_share
    ;;
  share)
    test_share
    ;;
  fuzz)
    PACKAGES+=("${FUZZ_PACKAGES[@]}")
    install_missing
    fuzz_build
    for target in ${2:-$(fuzz_targets)}; do fuzz_run "$target" "${3:-60}"; done
    ;;
  soak)
    install_missing
    build build-asan -DCMAKE_BUILD_TYPE=Debug -DMILVA_SANITIZE=ON -DMILVA_WERROR=ON
    cd build-asan
    ASAN_OPTIONS=$ASAN_RUN LSAN_OPTIONS=suppressions=$PWD/../.ci/lsan.supp \
      UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 exec ./tests/milva_soak "${2:-100000}" "${3:-1}"
    ;;
  play-check)
    install_missing
    build_play build-play milva_display_check
    check_play build-play
    ;;
  *)
    echo "usage: $0 play|test|share|play-check|fuzz [target] [seconds]|soak [frames] [seed]" >&2
    exit 2
    ;;
esac
