#!/usr/bin/env bash
# Whole-program figures of the real game under a virtual X server (Xvfb),
# measured from outside the game:
#   - launch to first picture, side by side with a minimal SDL2 program that
#     shows one streaming texture (bench/MinimalSdl.cpp), timed by
#     bench/FirstPicture.cpp, which reads the screen back until it is no
#     longer black;
#   - the interval between frames over 1,000 frames, from a clock
#     loaded into the game with LD_PRELOAD (bench/PresentClock.cpp);
#   - processor use while playing and while paused (the focus given to
#     another window), from /proc/<pid>/stat and the threads' schedstat, and
#     that of the minimal program presenting 60 times a second;
#   - peak memory (VmHWM) just before the game is told to quit.
#
#   bench/whole-program.sh [BUILD_DIR [OUT_DIR [PLOT_PNG]]]
#
# BUILD_DIR defaults to build/bench (configured with the bench preset);
# results go to OUT_DIR (default BUILD_DIR/bench/whole-program): summary.md,
# intervals.txt, presents.log, and the plot (PLOT_PNG, default
# OUT_DIR/frame-intervals.png). RUNS (default 10) sets how many launches of
# each program are timed. Needs Xvfb, xdotool, xmessage and gnuplot.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/bench}" && pwd)
out=${2:-$build/bench/whole-program}
mkdir -p "$out"
out=$(cd "$out" && pwd)
plot=${3:-$out/frame-intervals.png}
runs=${RUNS:-10}

game=$build/fusebound
minimal=$build/bench/minimal_sdl
timer=$build/bench/first_picture
clock=$build/bench/libpresent_clock.so
for f in "$game" "$minimal" "$timer" "$clock"; do
  [ -e "$f" ] || { echo "whole-program: $f is missing: build first" >&2; exit 1; }
done
for tool in Xvfb xdotool xmessage gnuplot; do
  command -v "$tool" >/dev/null || { echo "whole-program: $tool is missing (tools/install-deps)" >&2; exit 1; }
done

# No sound hardware here: SDL's dummy driver stands in for the device the
# game opens and holds.
export SDL_AUDIODRIVER=dummy
frame_ms=16.6667

. "$(dirname "$0")/xvfb.sh"
. "$(dirname "$0")/measure.sh"

load_before=$(cut -d' ' -f1-3 /proc/loadavg)

# --- Launch to first picture, the two programs in turn. -------------------
echo "whole-program: launch to first picture, $runs runs each" >&2
: >"$out/launch-game.txt"
: >"$out/launch-minimal.txt"
cd "$root"  # the game reads data/ from the current directory
for _ in $(seq "$runs"); do
  "$timer" -- "$minimal" | awk '{ print $2, $3, $4 }' >>"$out/launch-minimal.txt"
  sleep 0.3
  "$timer" -- "$game" | awk '{ print $2, $3, $4 }' >>"$out/launch-game.txt"
  sleep 0.3
done
read -r game_med game_min game_max < <(cut -d' ' -f1 "$out/launch-game.txt" | stats)
read -r min_med min_min min_max < <(cut -d' ' -f1 "$out/launch-minimal.txt" | stats)
# How finely the screen reads place the picture: the median width of the
# window between the last black read and the first that was not.
read -r window_med _ _ < <(cat "$out/launch-game.txt" "$out/launch-minimal.txt" |
  awk '{ print $3 - $2 }' | stats)

# The yardstick showing its picture 60 times a second: what presentation
# alone costs, and its peak memory.
echo "whole-program: the minimal program presenting at 60 Hz for 10 s" >&2
"$minimal" --60hz &
minimal_pid=$!
sleep 3
read -r minimal_ticks minimal_sched < <(share "$minimal_pid" 10)
minimal_hwm=$(awk '/VmHWM/ { print $2 }' "/proc/$minimal_pid/status")
kill "$minimal_pid"
wait "$minimal_pid" 2>/dev/null || true

# --- One long game: play, pause, come back, quit. -------------------------
echo "whole-program: playing for about 25 s, then paused for 10 s" >&2
rm -f "$out/presents.log"
FUSEBOUND_PRESENT_LOG="$out/presents.log" LD_PRELOAD="$clock" "$game" &
app_pid=$!
xvfb_ticks0=$(ticks "$xvfb_pid")
sleep 3
window=$(xdotool search --sync --name Fusebound | head -1)

# Playing: bombs laid wherever the player stands, walking about.
xdotool keydown r
(
  for key in Right Down Left Up Right Down Left Up Right Down Left Up; do
    xdotool keydown "$key"; sleep 0.9; xdotool keyup "$key"; sleep 0.1
  done
) &
walker=$!
xvfb_t0=$(ticks "$xvfb_pid"); xvfb_n0=$(now_ns)
read -r play_ticks play_sched < <(share "$app_pid" 10)
xvfb_t1=$(ticks "$xvfb_pid"); xvfb_n1=$(now_ns)
xvfb_play=$(awk -v dt=$((xvfb_t1 - xvfb_t0)) -v dn=$((xvfb_n1 - xvfb_n0)) -v hz="$tick" \
  'BEGIN { printf "%.2f", 100 * dt / hz / (dn / 1e9) }')
wait "$walker"
sleep 9  # past 1,100 frames before the pause
xdotool keyup r

# Paused: another window takes the focus.
xmessage -geometry +0+0 "The benchmark holds the focus." &
xmessage_pid=$!
other=$(xdotool search --sync --class Xmessage | head -1)
xdotool windowfocus "$other"
sleep 1.5
xvfb_t0=$(ticks "$xvfb_pid"); xvfb_n0=$(now_ns)
read -r pause_ticks pause_sched < <(share "$app_pid" 10)
xvfb_t1=$(ticks "$xvfb_pid"); xvfb_n1=$(now_ns)
xvfb_pause=$(awk -v dt=$((xvfb_t1 - xvfb_t0)) -v dn=$((xvfb_n1 - xvfb_n0)) -v hz="$tick" \
  'BEGIN { printf "%.2f", 100 * dt / hz / (dn / 1e9) }')

# Back to the game, then quit it.
kill "$xmessage_pid" 2>/dev/null || true
wait "$xmessage_pid" 2>/dev/null || true
xdotool windowfocus "$window" 2>/dev/null || true
sleep 1
game_hwm=$(awk '/VmHWM/ { print $2 }' "/proc/$app_pid/status")
game_threads=$(awk '/Threads/ { print $2 }' "/proc/$app_pid/status")
xdotool keydown Escape; sleep 0.3; xdotool keyup Escape
for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
status=0
wait "$app_pid" || status=$?
app_pid=""
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# --- Frame intervals: 1,000 intervals from the 101st frame on. -----------
# A frame whose picture has not changed is not presented, so frames are
# timed by the display layer's wait for the next deadline, which follows
# the present at once: when the wait begins (the frame handed to the X
# server, if it changed; the main figures and the plot) and when it ends
# (the game's pacing alone, without the renderer's own time).
# intervals FIELD FILE: frame number, interval (ms), frame minus the 60 Hz
# schedule started by the first of them (ms).
intervals() {
  awk -v field="$1" '$1 == "pace" { print $field }' "$out/presents.log" |
    awk 'NR >= 101 && NR <= 1101' |
    awk 'NR > 1 { printf "%d %.4f %.4f\n", NR - 1, ($1 - prev) / 1e6, ($1 - start) / 1e6 - (NR - 1) * 1000 / 60 }
         NR == 1 { start = $1 } { prev = $1 }' >"$2"
  [ "$(wc -l <"$2")" -eq 1000 ] || {
    echo "whole-program: fewer than 1,100 frames were shown" >&2; exit 1; }
}
# summarise FILE: mean sd p99 min max count-over-18 drift-at-the-end fitted-period
summarise() {
  local moments order
  moments=$(awk '
    { s += $2; ss += $2 * $2; i = $1; t = $3 + i * 1000 / 60
      si += i; st += t; sii += i * i; sit += i * t; last = $3 }
    END { n = NR; mean = s / n
      printf "%.4f %.4f %.3f %.5f", mean, sqrt(ss / n - mean * mean), last,
        (n * sit - si * st) / (n * sii - si * si) }' "$1")
  order=$(awk '{ print $2 }' "$1" | sort -n | awk '
    { v[NR] = $1; if ($1 > 18) ++late }
    END { printf "%.3f %.3f %.3f %d", v[int(0.99 * NR + 0.5)], v[1], v[NR], late + 0 }')
  read -r m sd_ last fit <<<"$moments"
  read -r q lo_ hi_ late_ <<<"$order"
  echo "$m $sd_ $q $lo_ $hi_ $late_ $last $fit"
}
intervals 2 "$out/intervals.txt"
intervals 4 "$out/intervals-called.txt"
read -r mean sd p99 lo hi late drift slope < <(summarise "$out/intervals.txt")
read -r cmean csd cp99 clo chi clate cdrift cslope < <(summarise "$out/intervals-called.txt")

# --- The plot. ---------------------------------------------------------------
gnuplot <<EOF
set terminal png size 960,640 font ",10"
set output "$plot"
set multiplot layout 2,1 title "Fusebound under Xvfb: 1,000 frames ($(date -u +%Y-%m-%d))"
set grid
set xrange [0:1000]
set ylabel "interval (ms)"
set yrange [0:*]
set key top right
plot "$out/intervals.txt" using 1:2 with points pt 7 ps 0.4 lc rgb "#1f5fa8" title "interval between frames", \
     $frame_ms with lines lw 2 lc rgb "#2a9d3a" title "16.667 ms (60 Hz)", \
     18 with lines dt 2 lw 2 lc rgb "#c0392b" title "18 ms"
set xlabel "frame"
set ylabel "present minus 60 Hz schedule (ms)"
set yrange [*:*]
plot "$out/intervals.txt" using 1:3 with lines lw 1 lc rgb "#1f5fa8" title "drift from the first frame's schedule", \
     0 with lines lw 1 lc rgb "#2a9d3a" notitle
unset multiplot
EOF

# --- Summary. ----------------------------------------------------------------
within=$(awk -v m="$mean" 'BEGIN { printf "%.3f", 100 * (m - 1000 / 60) / (1000 / 60) }')
launch_ratio=$(awk -v g="$game_med" -v m="$min_med" 'BEGIN { printf "%.2f", g / m }')
{
  echo "Machine: $(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)," \
    "$(awk '/MemTotal/ { printf "%.1f GB", $2 / 1048576 }' /proc/meminfo)"
  echo "Date: $(date -u '+%Y-%m-%d %H:%M UTC'); load average before $load_before, after $load_after"
  echo "X server: Xvfb 1024x768x24 (display $DISPLAY), SDL_AUDIODRIVER=dummy, game exit status $status"
  echo
  echo "| figure | value |"
  echo "|---|--:|"
  echo "| launch to first picture, game (median of $runs; min - max) | $game_med ms ($game_min - $game_max) |"
  echo "| launch to first picture, minimal SDL2 program (median of $runs; min - max) | $min_med ms ($min_min - $min_max) |"
  echo "| game / minimal | ${launch_ratio}x |"
  echo "| resolution of the screen reads (median window) | $window_med ms |"
  echo "| frame interval, mean of 1,000 | $mean ms (${within} % from 16.667) |"
  echo "| frame interval, standard deviation | $sd ms |"
  echo "| frame interval, 99th percentile | $p99 ms |"
  echo "| frame interval, min - max | $lo - $hi ms |"
  echo "| intervals over 18 ms | $late |"
  echo "| drift after 1,000 frames (present minus 60 Hz schedule) | $drift ms |"
  echo "| period fitted over 1,000 frames | $slope ms |"
  echo "| the same timed when the wait for the deadline ends: mean, sd, p99, min - max, over 18 ms, drift, period | $cmean, $csd, $cp99, $clo - $chi, $clate, $cdrift, $cslope ms |"
  echo "| processor, playing (game process, all threads) | $play_ticks % of one core (schedstat $play_sched %) |"
  echo "| processor, playing (Xvfb) | $xvfb_play % |"
  echo "| processor, minimal SDL2 program presenting at 60 Hz | $minimal_ticks % of one core (schedstat $minimal_sched %) |"
  echo "| processor, paused (game process) | $pause_ticks % of one core (schedstat $pause_sched %) |"
  echo "| processor, paused (Xvfb) | $xvfb_pause % |"
  echo "| peak memory (VmHWM), game, $game_threads threads | $((game_hwm / 1024)) MB ($game_hwm kB) |"
  echo "| peak memory (VmHWM), minimal SDL2 program | $((minimal_hwm / 1024)) MB ($minimal_hwm kB) |"
} | tee "$out/summary.md"
echo "whole-program: plot in $plot" >&2
