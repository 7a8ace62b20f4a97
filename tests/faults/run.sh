#!/usr/bin/env bash
# Plants each fault of faults.txt in turn in a scratch copy of a commit, builds, runs
# the whole suite one test a process and records which tests fail that passed without
# the fault. Nothing is changed in the checkout.
#   tests/faults/run.sh <scratch folder> [commit, default HEAD] [fault id...]
# With RUNNER=process the suite runs as one process (it must pass in any order), which
# is much faster than one test a process.
# Writes <scratch>/results.txt: one line a fault, its id, how many tests caught it and
# their names ("NOT CAUGHT" when none did, "BUILD FAILED" when it did not build).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(git -C "$here" rev-parse --show-toplevel)
scratch=${1:?scratch folder}
commit=${2:-HEAD}
shift $(($# < 2 ? $# : 2))
only=("$@")
mkdir -p "$scratch"
scratch=$(cd "$scratch" && pwd)
src=$scratch/src build=$scratch/build
rm -rf "$src" && mkdir -p "$src"
git -C "$repo" archive "$commit" | tar -x -C "$src"
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$scratch/cmake.log"
cmake --build "$build" --parallel >"$scratch/build.log"

failing() {  # the names of the failing tests, one a line, sorted
  if [[ ${RUNNER:-} == process ]]; then
    (cd "$build" && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
      timeout 600 tests/milva_tests >"$scratch/ctest.log" 2>&1) || true
    {
      sed -n 's/^\[  FAILED  \] \([^ ,]*\)\( (.*\|, where.*\)\?$/\1/p' "$scratch/ctest.log"
      grep -q '^\[==========\] .* ran\.' "$scratch/ctest.log" || echo "(the suite stopped: a crash or a hang)"
    } | sort -u
    return
  fi
  (cd "$build" && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
    ctest --parallel "$(nproc)" --timeout 120 >"$scratch/ctest.log" 2>&1) || true
  sed -n "s/^[[:space:]]*[0-9]* - \(.*\) (.*)$/\1/p" "$scratch/ctest.log" | sort
}

failing >"$scratch/baseline.txt"
: >"$scratch/results.txt"
id='' file='' old=''
while IFS= read -r line; do
  case "$line" in
    @*) read -r id file _ <<<"${line#@}" ;;
    '- '*) old=${line#- } ;;
    '+ '*)
      new=${line#+ }
      if ((${#only[@]})) && [[ " ${only[*]} " != *" $id "* ]]; then continue; fi
      cp "$src/$file" "$scratch/original"
      OLD=$old NEW=$new perl -0777 -i -pe '
        BEGIN { ($o, $n) = ($ENV{OLD}, $ENV{NEW}); s/\\n/\n/g for $o, $n; }
        $c = () = /\Q$o\E/g; die "found $c times\n" unless $c == 1; s/\Q$o\E/$n/;' "$src/$file"
      if cmake --build "$build" --parallel >"$scratch/fault-build.log" 2>&1; then
        caught=$(failing | comm -23 - "$scratch/baseline.txt")
        n=$(grep -c . <<<"$caught" || true)
        if ((n)); then
          echo "$id $n $(tr '\n' ' ' <<<"$caught")" >>"$scratch/results.txt"
        else
          echo "$id 0 NOT CAUGHT" >>"$scratch/results.txt"
        fi
      else
        echo "$id - BUILD FAILED" >>"$scratch/results.txt"
      fi
      cp "$scratch/original" "$src/$file"  # a fresh time, so the next build compiles it again
      tail -n 1 "$scratch/results.txt"
      ;;
  esac
done <"$here/faults.txt"
cmake --build "$build" --parallel >/dev/null
