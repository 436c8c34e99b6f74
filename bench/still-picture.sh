#!/usr/bin/env bash
# What the game costs while its picture stands still, and where it loses
# time when the machine is busy, for one build or two side by side (a build
# from before a change of the display layer and one after it), under one
# Xvfb of 960 x 720:
#   - processor use of the game (all threads, /proc/<pid>/stat) and of Xvfb
#     standing still, with a bomb pulsing (R held: a bomb is laid again
#     whenever the last one has burnt out), walking (Right and Left in turn)
#     and paused (another window has the focus), and of the minimal SDL2
#     program presenting at 60 Hz (bench/MinimalSdl.cpp --60hz);
#   - key to screen, full screen, for each build (bench/KeyToScreen.cpp);
#   - 1,000 frames standing still and 1,000 with a bomb pulsing while
#     another process keeps one of the two cores busy: the intervals between
#     frames, the frames lost to the late limit (a frame more than three
#     periods late starts a fresh schedule), and where each frame's time
#     went, from a clock loaded into the game (bench/PresentClock.cpp) and
#     the processor time of each of its threads and of Xvfb.
#
#   bench/still-picture.sh BUILD_DIR [BEFORE_BUILD_DIR [OUT_DIR]]
#
# BUILD_DIR holds the game and the bench tools (the bench preset);
# BEFORE_BUILD_DIR another build of the game to compare ("-" for none).
# Results go to OUT_DIR (default BUILD_DIR/bench/still-picture):
# summary.md and the raw files. SECONDS_EACH (default 10) is the length of
# each processor measurement, PRESSES (default 30) the presses of each
# key-to-screen case. Needs Xvfb, xdotool and xmessage.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/bench}" && pwd)
before=${2:--}
[ "$before" != - ] && before=$(cd "$before" && pwd)
out=${3:-$build/bench/still-picture}
mkdir -p "$out"
out=$(cd "$out" && pwd)
seconds=${SECONDS_EACH:-10}
presses=${PRESSES:-30}

minimal=$build/bench/minimal_sdl
clock=$build/bench/libpresent_clock.so
tool=$build/bench/key_to_screen
for f in "$build/fusebound" "$minimal" "$clock" "$tool"; do
  [ -e "$f" ] || { echo "still-picture: $f is missing: build first" >&2; exit 1; }
done
for t in Xvfb xdotool xmessage; do
  command -v "$t" >/dev/null || { echo "still-picture: $t is missing (tools/install-deps)" >&2; exit 1; }
done
export SDL_AUDIODRIVER=dummy
tick=$(getconf CLK_TCK)
busy_pid=""

xvfb_screen=960x720x24
. "$(dirname "$0")/xvfb.sh"
trap '[ -n "$busy_pid" ] && kill "$busy_pid" 2>/dev/null; cleanup' EXIT
cd "$root"  # the game reads data/ from the current directory

builds=(after)
declare -A dir=([after]=$build)
if [ "$before" != - ]; then builds=(before after); dir[before]=$before; fi

ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }
load() { cut -d' ' -f1 /proc/loadavg; }
now_ns() { date +%s%N; }

# share SECONDS PID...: percent of one core each PID used over SECONDS.
share() {
  local seconds=$1 pid n0 n1 out=""
  shift
  declare -A t0
  for pid in "$@"; do t0[$pid]=$(ticks "$pid"); done
  n0=$(now_ns)
  sleep "$seconds"
  n1=$(now_ns)
  for pid in "$@"; do
    out+=$(awk -v dt=$(($(ticks "$pid") - t0[$pid])) -v dn=$((n1 - n0)) -v hz="$tick" \
      'BEGIN { printf "%.2f ", 100 * dt / hz / (dn / 1e9) }')
  done
  echo "$out"
}

start_game() {  # BUILD [ENV...]: the game in $app_pid, its window found
  local game=$1/fusebound
  shift
  env "$@" "$game" &
  app_pid=$!
  xdotool search --sync --name Fusebound >/dev/null
  sleep 3  # past the renderer's start-up
}

quit_game() {
  xdotool keydown Escape; sleep 0.3; xdotool keyup Escape
  for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
  kill "$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
  app_pid=""
}

# --- Processor use in each state. ------------------------------------------
: >"$out/cpu.txt"  # build state load game% xvfb%
for b in "${builds[@]}"; do
  echo "still-picture: $b: standing still, bomb, walking, paused" >&2
  start_game "${dir[$b]}"
  echo "$b still $(load) $(share "$seconds" "$app_pid" "$xvfb_pid")" >>"$out/cpu.txt"
  xdotool keydown r; sleep 1
  echo "$b bomb $(load) $(share "$seconds" "$app_pid" "$xvfb_pid")" >>"$out/cpu.txt"
  xdotool keyup r
  sleep 3  # the last bomb burns out
  (
    end=$((SECONDS + seconds + 2))
    while [ $SECONDS -lt $end ]; do
      for key in Right Left; do xdotool keydown $key; sleep 0.4; xdotool keyup $key; done
    done
  ) &
  walker=$!
  sleep 0.5
  echo "$b walking $(load) $(share "$seconds" "$app_pid" "$xvfb_pid")" >>"$out/cpu.txt"
  wait "$walker"
  xmessage -geometry +0+0 "The benchmark holds the focus." &
  xmessage_pid=$!
  xdotool windowfocus "$(xdotool search --sync --class Xmessage | head -1)"
  sleep 1.5
  echo "$b paused $(load) $(share "$seconds" "$app_pid" "$xvfb_pid")" >>"$out/cpu.txt"
  kill "$xmessage_pid"; wait "$xmessage_pid" 2>/dev/null || true
  xdotool windowfocus "$(xdotool search --name Fusebound | head -1)" 2>/dev/null || true
  sleep 0.5
  quit_game
done
"$minimal" --60hz &
app_pid=$!
sleep 3
echo "minimal 60hz $(load) $(share "$seconds" "$app_pid" "$xvfb_pid")" >>"$out/cpu.txt"
kill "$app_pid"; wait "$app_pid" 2>/dev/null || true; app_pid=""

# --- Key to screen, full screen. -------------------------------------------
: >"$out/latency.txt"  # build case load median p95 max count
for b in "${builds[@]}"; do
  start_game "${dir[$b]}"
  for what in arrow bomb; do
    settle=150; [ $what = bomb ] && settle=600
    echo "still-picture: $b: key to screen, $what, $presses presses" >&2
    l=$(load)
    "$tool" Fusebound "$what" "$presses" 32 28 80 48 "$settle" |
      awk '$1 == "press" { print $2 }' | sort -n | awk -v b="$b" -v w="$what" -v l="$l" '
        { v[NR] = $1 } END { p = int(0.95 * NR + 0.999)
          printf "%s %s %s %.1f %.1f %.1f %d\n", b, w, l, NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2, v[p], v[NR], NR }' \
      >>"$out/latency.txt"
  done
  quit_game
done

# --- 1,000 frames with one core busy. --------------------------------------
# Each frame from the 101st on: the interval between the ends of two waits,
# the frames lost (a deadline that jumped by more than a period), and, per
# frame on average, the main thread's time between two waits (the frame's
# work), how much of it went in presents and uploads, its time on a core,
# its time ready but waiting for a core (also while waking up), and how
# long after its deadline a wait ended.
analyse() {  # LOG: one line of figures
  local p99 longest
  read -r p99 longest < <(awk '$1 == "pace" { n++; if (n > 101 && n <= 1101) print ($4 - w) / 1e6; w = $4 }' "$1" |
    sort -n | awk '{ v[NR] = $1 } END { printf "%.3f %.3f\n", v[int(0.99 * NR + 0.5)], v[NR] }')
  awk -v period=16666667 -v p99="$p99" -v longest="$longest" '
    $1 == "pace" { n++; e[n] = $2; d[n] = $3; w[n] = $4; c[n] = $5; q[n] = $6 }
    $1 == "present" { np++; ps[np] = $2; pr[np] = $3 }
    $1 == "upload" { nu++; us[nu] = $2; ur[nu] = $3 }
    END {
      first = 101; last = 1101
      if (n < last) { print "too-few-frames:", n; exit }
      for (i = first + 1; i <= last; ++i) {
        s += (w[i] - w[i - 1]) / 1e6; k++
        jump = (d[i] - d[i - 1]) / period
        if (jump > 1.5) lost += int(jump + 0.5) - 1
        work += e[i] - w[i - 1]; cpu += c[i] - c[i - 1]; queued += q[i] - q[i - 1]
        if (d[i] > e[i]) over += w[i] - d[i]
      }
      t0 = w[first]; t1 = w[last]
      for (i = 1; i <= np; ++i) if (ps[i] >= t0 && ps[i] < t1) { pn++; pt += pr[i] - ps[i] }
      for (i = 1; i <= nu; ++i) if (us[i] >= t0 && us[i] < t1) { un++; ut += ur[i] - us[i] }
      f = 1e6 * k
      printf "%.3f %s %s %d %.1f %.2f %.2f %.2f %.2f %.2f %d %.2f\n",
        s / k, p99, longest, lost, (t1 - t0) / period,
        work / f, pt / f, ut / f, cpu / f, queued / f, pn, over / f
    }' "$1"
}
# threads PID: "name ticks" for each thread of PID (names with spaces joined).
threads() {
  for t in /proc/"$1"/task/*; do
    awk '{ name = $0; sub(/^[^(]*\(/, "", name); sub(/\).*$/, "", name); gsub(/ /, "_", name)
           sub(/^.*\) /, ""); print name, $12 + $13 }' "$t/stat" 2>/dev/null || true
  done | awk '{ t[$1] += $2 } END { for (n in t) print n, t[n] }' | sort
}
: >"$out/loaded.txt"  # build state load <analyse> ; threads: build state name share
: >"$out/loaded-threads.txt"
bash -c 'while :; do :; done' &
busy_pid=$!
for state in still bomb; do
  for b in "${builds[@]}"; do
    echo "still-picture: $b: 1,000 frames $state with one core busy" >&2
    log=$out/presents-$b-$state.log
    rm -f "$log"
    l=$(load)
    start_game "${dir[$b]}" FUSEBOUND_PRESENT_LOG="$log" LD_PRELOAD="$clock"
    [ $state = bomb ] && xdotool keydown r
    # Long enough for 1,101 frames after start-up even when almost half of
    # the time is lost.
    threads "$app_pid" >"$out/t0"; x0=$(ticks "$xvfb_pid"); n0=$(now_ns)
    sleep 36
    threads "$app_pid" >"$out/t1"; x1=$(ticks "$xvfb_pid"); n1=$(now_ns)
    [ $state = bomb ] && xdotool keyup r
    quit_game
    echo "$b $state $l $(analyse "$log")" >>"$out/loaded.txt"
    join "$out/t0" "$out/t1" | awk -v b="$b" -v s="$state" -v dn=$((n1 - n0)) -v hz="$tick" \
      '{ printf "%s %s %s %.2f\n", b, s, $1, 100 * ($3 - $2) / hz / (dn / 1e9) }' >>"$out/loaded-threads.txt"
    awk -v b="$b" -v s="$state" -v dt=$((x1 - x0)) -v dn=$((n1 - n0)) -v hz="$tick" \
      'BEGIN { printf "%s %s Xvfb %.2f\n", b, s, 100 * dt / hz / (dn / 1e9) }' >>"$out/loaded-threads.txt"
  done
done
kill "$busy_pid"; wait "$busy_pid" 2>/dev/null || true; busy_pid=""
rm -f "$out/t0" "$out/t1"

# --- Summary. --------------------------------------------------------------
{
  echo "Machine: $(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)"
  echo "Date: $(date -u '+%Y-%m-%d %H:%M UTC'); Xvfb $xvfb_screen, SDL_AUDIODRIVER=dummy"
  echo
  echo "Processor, % of one core over ${seconds} s (game process, all threads / Xvfb; load average when it began):"
  echo
  echo "| state | $(printf '%s | ' "${builds[@]}")"
  echo "|---|$(printf -- '--:|%.0s' "${builds[@]}")"
  for state in still bomb walking paused; do
    printf '| %s |' "$state"
    for b in "${builds[@]}"; do
      awk -v b="$b" -v s="$state" '$1 == b && $2 == s { printf " %s / %s (load %s) |", $4, $5, $3 }' "$out/cpu.txt"
    done
    echo
  done
  awk '$1 == "minimal" { printf "| minimal SDL2 program at 60 Hz | %s / %s (load %s) |\n", $4, $5, $3 }' "$out/cpu.txt"
  echo
  echo "Key to screen, full screen, ms (median / 95th percentile / slowest, presses; load):"
  echo
  awk '{ printf "- %s, %s: %s / %s / %s, %d presses (load %s)\n", $1, $2, $4, $5, $6, $7, $3 }' "$out/latency.txt"
  echo
  echo "1,000 frames with one core busy (ms; per frame means; load when it began):"
  echo
  echo "| build | state | load | mean interval | p99 | longest | frames lost | wall time of 1,000 frames, in frames | frame work | in presents | in uploads | main thread on a core | waiting for a core | presents | woken after the deadline |"
  echo "|---|---|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|"
  awk '{ printf "| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n",
         $1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, $14, $15 }' "$out/loaded.txt"
  echo
  echo "Threads over 36 s of it, % of one core (over 0.5 %):"
  echo
  awk '$4 >= 0.5 { printf "- %s, %s: %s %s\n", $1, $2, $3, $4 }' "$out/loaded-threads.txt"
} | tee "$out/summary.md"
