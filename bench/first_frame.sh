#!/usr/bin/env bash
# From exec to the first frame the game presents, measured from outside the process:
#   bench/first_frame.sh [runs] [build folder]      (20 runs of build/ by default)
# Each run reads the clock, starts the game in the build folder with the preloaded
# libmilva_first_frame.so, which notes when the first frame has gone to the window and
# ends the game there. Prints each run and then the median, the fastest and the slowest,
# in milliseconds. Runs on the display in DISPLAY (the offscreen driver without one) and
# on SDL's dummy sound driver unless SDL_AUDIODRIVER says otherwise.
set -euo pipefail
runs=${1:-20}
dir=$(cd "${2:-build}" && pwd)
lib=$dir/bench/libmilva_first_frame.so
[[ -x $dir/milva && -f $lib ]] || { echo "build milva and milva_first_frame in $dir first" >&2; exit 1; }
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
[[ -n ${DISPLAY:-} ]] || export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen}
cd "$dir"
times=()
for ((i = 1; i <= runs; i++)); do
  start=$(date +%s%N)
  end=$(LD_PRELOAD=$lib timeout 30 ./milva 2>&1 >/dev/null | awk '/^first_frame_ns/ { print $2 }')
  [[ -n $end ]] || { echo "run $i: no frame was presented" >&2; exit 1; }
  ms=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", (b - a) / 1e6 }')
  echo "run $i: $ms ms"
  times+=("$ms")
done
printf '%s\n' "${times[@]}" | sort -n | awk '{ v[NR] = $1 } END {
  m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
  printf "median %.1f ms, fastest %.1f ms, slowest %.1f ms over %d runs\n", m, v[1], v[NR], NR }'
