#!/usr/bin/env bash
# Key to screen: how long after a key goes down the screen shows its effect,
# for the real game under a virtual X server (Xvfb) and, side by side, for
# the minimal SDL2 program of the same shape (bench/MinimalSdl.cpp --60hz:
# take the events, wait for the 60 Hz deadline, upload and show one 320 by
# 240 streaming texture; a key going down or the focus leaving changes its
# colour). Both run full screen and windowed; bench/KeyToScreen.cpp presses
# the keys (XTEST) at random moments and grabs the screen until it changes:
#   - arrow: Right and Left in turn, until the player's sprite changes;
#   - bomb: R, until the bomb shows in the player's cell;
#   - focus: the focus given to another window, until the pause message shows.
#
#   bench/latency.sh [BUILD_DIR [OUT_DIR [PLOT_PNG]]]
#
# BUILD_DIR (default build/bench, the bench preset) holds the game (played
# full screen, then with --window) and the bench tools.
# Results go to OUT_DIR (default BUILD_DIR/bench/latency): one file of
# latencies per program, mode and case, summary.md, and the plot (PLOT_PNG,
# default OUT_DIR/latency.png). PRESSES (default 50) sets the presses of each
# case. Needs Xvfb, xdotool and gnuplot.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/bench}" && pwd)
out=${2:-$build/bench/latency}
mkdir -p "$out"
out=$(cd "$out" && pwd)
plot=${3:-$out/latency.png}
presses=${PRESSES:-50}

tool=$build/bench/key_to_screen
minimal=$build/bench/minimal_sdl
for f in "$build/fusebound" "$minimal" "$tool"; do
  [ -e "$f" ] || { echo "latency: $f is missing: build first" >&2; exit 1; }
done
for t in Xvfb xdotool gnuplot; do
  command -v "$t" >/dev/null || { echo "latency: $t is missing (tools/install-deps)" >&2; exit 1; }
done
export SDL_AUDIODRIVER=dummy

. "$(dirname "$0")/xvfb.sh"

# What each case watches, in picture pixels (x y width height): the start
# corner of the arena, where the player walks and lays its bombs, and the
# first words of the pause message; and how long the picture must have been
# still before a press (a bomb pulses, explodes and burns out first).
region_arrow="32 28 80 48"
region_bomb="32 28 80 48"
region_focus="56 104 100 24"
settle_arrow=150
settle_bomb=600
settle_focus=300

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
cd "$root"  # the game reads data/ from the current directory

# measure NAME WINDOW-NAME SETTLE-SCALE COMMAND...: runs the program, then
# the three cases against it, into $out/NAME-CASE.txt.
measure() {
  local name=$1 window=$2 calm=$3 shot
  shift 3
  "$@" &
  app_pid=$!
  xdotool search --sync --name "$window" >/dev/null
  sleep 2  # past the first picture
  for what in arrow bomb focus; do
    local region settle
    eval "region=\$region_$what settle=\$settle_$what"
    [ "$calm" = short ] && settle=150
    echo "latency: $name, $what, $presses presses" >&2
    # shellcheck disable=SC2086
    "$tool" "$window" "$what" "$presses" $region "$settle" |
      awk '$1 == "press" { print $2, $3 }' >"$out/$name-$what.txt"
  done
  shot=$out/$name.png
  command -v import >/dev/null && import -window root "$shot" 2>/dev/null || true
  kill "$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
  app_pid=""
}

measure game-full "Fusebound" long "$build/fusebound"
measure minimal-full "minimal" short "$minimal" --60hz
measure game-windowed "Fusebound" long "$build/fusebound" --window
measure minimal-windowed "minimal" short "$minimal" --60hz --windowed
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# stats FILE: median, 95th percentile, max, count, median grab window.
stats() {
  local window
  window=$(sort -n -k2 "$1" | awk '{ w[NR] = $2 } END { printf "%.2f", NR ? w[int((NR + 1) / 2)] : 0 }')
  sort -n "$1" | awk -v window="$window" '{ v[NR] = $1 } END {
    if (NR == 0) { print "- - - 0 -"; exit }
    m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    p = int(0.95 * NR + 0.999); if (p < 1) p = 1
    printf "%.1f %.1f %.1f %d %s\n", m, v[p], v[NR], NR, window }'
}

{
  echo "Machine: $(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)"
  echo "Date: $(date -u '+%Y-%m-%d %H:%M UTC'); load average before $load_before, after $load_after"
  echo "X server: Xvfb 1024x768x24 (display $DISPLAY), SDL_AUDIODRIVER=dummy"
  echo
  echo "| case | mode | game median | game p95 | game max | minimal median | minimal p95 | minimal max | game - minimal (median) | presses |"
  echo "|---|---|--:|--:|--:|--:|--:|--:|--:|--:|"
  windows=()
  for what in arrow bomb focus; do
    for mode in full windowed; do
      read -r gm gp gx gn gw < <(stats "$out/game-$mode-$what.txt")
      read -r mm mp mx mn mw < <(stats "$out/minimal-$mode-$what.txt")
      windows+=("$gw" "$mw")
      diff=$(awk -v a="$gm" -v b="$mm" 'BEGIN { printf "%+.1f", a - b }')
      label=$what; [ "$what" = arrow ] && label=arrow-walk
      [ "$what" = bomb ] && label=R-bomb; [ "$what" = focus ] && label=focus-pause
      screen=$mode; [ "$mode" = full ] && screen="full screen"
      echo "| $label | $screen | $gm | $gp | $gx | $mm | $mp | $mx | $diff | $gn / $mn |"
    done
  done
  echo
  echo "Milliseconds from the key going down (or the focus leaving) to the first"
  echo "grab that shows the change; median time between two grabs" \
    "$(printf '%s\n' "${windows[@]}" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }') ms."
} | tee "$out/summary.md"

# --- The plot: the distribution of each case, game against minimal. --------
series() {  # FILE: sorted latencies with their cumulative share
  sort -n "$1" | awk '{ v[NR] = $1 } END { for (i = 1; i <= NR; ++i) printf "%.3f %.4f\n", v[i], i / NR }'
}
for f in "$out"/game-*-*.txt "$out"/minimal-*-*.txt; do
  series "$f" >"${f%.txt}.cdf"
done
gnuplot <<EOF
set terminal pngcairo size 960,900 font ",10"
set output "$plot"
set multiplot layout 3,1 title "Key to screen under Xvfb, $presses presses each ($(date -u +%Y-%m-%d))"
set grid
set xrange [0:60]
set yrange [0:1]
set ylabel "share of presses seen"
set key bottom right
set arrow 1 from 50,0 to 50,1 nohead lw 2 dt 3 lc rgb "#2a9d3a"
set label 1 "three frames" at 50.5,0.5 textcolor rgb "#2a9d3a"
do for [c in "arrow bomb focus"] {
  set title (c eq "arrow" ? "arrow key: the player turns or moves" : c eq "bomb" ? "R: the bomb appears" : "focus leaves: the pause message appears")
  if (c eq "focus") { set xlabel "milliseconds after the key went down (the focus left)" }
  plot "$out/game-full-".c.".cdf" using 1:2 with steps lw 2 lc rgb "#1f5fa8" title "game, full screen", \
       "$out/game-windowed-".c.".cdf" using 1:2 with steps lw 2 dt 2 lc rgb "#1f5fa8" title "game, windowed", \
       "$out/minimal-full-".c.".cdf" using 1:2 with steps lw 2 lc rgb "#c0392b" title "minimal SDL2, full screen", \
       "$out/minimal-windowed-".c.".cdf" using 1:2 with steps lw 2 dt 2 lc rgb "#c0392b" title "minimal SDL2, windowed"
}
unset multiplot
EOF
echo "latency: plot in $plot" >&2
