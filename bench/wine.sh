#!/usr/bin/env bash
# The Windows build (make windows) under Wine beside the Linux build, one
# after the other on the same virtual X server (Xvfb) in the same run, so
# that the figures compare (a Wine figure alone says little of Windows):
#   - the interval between frames over 1,000 frames (the 101st on), timed
#     where each frame's wait for its deadline ends (the Linux side presents
#     an unchanged picture no more, so presents alone do not count frames):
#     the Linux game by bench/PresentClock.cpp loaded with LD_PRELOAD, the
#     Windows game by its own log (FUSEBOUND_PRESENT_LOG);
#   - processor use standing still (running, no key down) and playing
#     (walking about, laying bombs), 8 s each; under Wine also that of the
#     wineserver, which carries every window message;
#   - the size of the zip.
#
#   bench/wine.sh [BUILD_DIR [OUT_DIR]]
#
# BUILD_DIR (default build/bench, the bench preset) holds the Linux game and
# the measuring library; OUT_DIR (default BUILD_DIR/bench/wine) gets
# summary.md, the two logs and a Wine prefix of its own.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/bench}" && pwd)
out=${2:-$build/bench/wine}
mkdir -p "$out"
out=$(cd "$out" && pwd)

game=$build/fusebound
clock=$build/bench/libpresent_clock.so
zip=$(ls "$root"/build/windows/fusebound-*-win64.zip 2>/dev/null | head -1)
folder=${zip%.zip}
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
for f in "$game" "$clock" "$zip" "$folder/fusebound.exe" "$wine" "$wineserver"; do
  [ -e "$f" ] || { echo "wine.sh: $f is missing: make bench and make windows first" >&2; exit 1; }
done

. "$(dirname "$0")/xvfb.sh"
. "$(dirname "$0")/measure.sh"

export SDL_AUDIODRIVER=dummy
export WINEPREFIX=$out/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export ALSA_CONFIG_PATH=$root/tests/wine/asound-null.conf PULSE_SERVER=unix:$out/no-server
echo "wine.sh: a fresh Wine prefix" >&2
"$root/tests/wine/make-prefix.sh" "$wine" "$wineserver" "$WINEPREFIX" >/dev/null

# run NAME FOLDER COMMAND...: plays one game and leaves "<still> <playing>"
# (percent of one core, by ticks) in $out/NAME.cpu, and for Wine the
# wineserver's in $out/NAME.server.
run() {
  local name=$1 dir=$2
  shift 2
  rm -f "$out/$name.log"
  (cd "$dir" && FUSEBOUND_PRESENT_LOG="$out/$name.log" exec "$@") &
  app_pid=$!
  local window
  window=$(xdotool search --sync --name Fusebound | head -1)
  xdotool windowfocus "$window" 2>/dev/null || true
  sleep 2
  local server=""
  [ "$name" = windows ] && server=$(pgrep -n '^wineserver' || true)
  local s0=0 s1=0 s2=0
  [ -n "$server" ] && s0=$(ticks "$server")
  read -r still _ < <(share "$app_pid" 8)
  [ -n "$server" ] && s1=$(ticks "$server")
  xdotool keydown r
  (for key in Right Down Left Up Right Down Left Up; do
    xdotool keydown "$key"; sleep 0.9; xdotool keyup "$key"; sleep 0.1
  done) &
  local walker=$!
  read -r playing _ < <(share "$app_pid" 8)
  [ -n "$server" ] && s2=$(ticks "$server")
  wait "$walker"
  xdotool keyup r
  sleep 3  # past 1,101 frames
  echo "$still $playing" >"$out/$name.cpu"
  awk -v a=$((s1 - s0)) -v b=$((s2 - s1)) -v hz="$tick" \
    'BEGIN { printf "%.2f %.2f\n", 100 * a / hz / 8, 100 * b / hz / 8 }' >"$out/$name.server"
  xdotool keydown Escape; sleep 0.3; xdotool keyup Escape
  wait "$app_pid" || true
  app_pid=""
  [ "$name" = windows ] && "$wineserver" -k 2>/dev/null || true
}

echo "wine.sh: the Linux game, about 25 s" >&2
run linux "$root" env LD_PRELOAD="$clock" "$game"
echo "wine.sh: the Windows game under Wine, about 25 s" >&2
run windows "$folder" "$wine" fusebound.exe

# intervals NAME: mean sd p99 max count-over-18 of 1,000 intervals (ms)
# between frames, from the 101st on.
intervals() {
  # (the Linux game's log has its waits as "pace" lines, woken in field 4)
  awk '$1 == "wake" { print $2 } $1 == "pace" { print $4 }' "$out/$1.log" | awk 'NR >= 101 && NR <= 1101' |
    awk 'NR > 1 { print ($1 - prev) / 1e6 } { prev = $1 }' >"$out/$1.intervals"
  [ "$(wc -l <"$out/$1.intervals")" -eq 1000 ] || {
    echo "wine.sh: fewer than 1,101 frames from $1" >&2; exit 1; }
  sort -n "$out/$1.intervals" | awk '{ v[NR] = $1; s += $1; ss += $1 * $1; if ($1 > 18) ++late }
    END { m = s / NR; printf "%.3f %.3f %.3f %.3f %d\n", m, sqrt(ss / NR - m * m),
      v[int(0.99 * NR + 0.5)], v[NR], late + 0 }'
}
read -r lmean lsd lp99 lmax llate < <(intervals linux)
read -r wmean wsd wp99 wmax wlate < <(intervals windows)
read -r lstill lplay <"$out/linux.cpu"
read -r wstill wplay <"$out/windows.cpu"
read -r sstill splay <"$out/windows.server"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
{
  echo "Machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at the end;" \
    "Xvfb 1024x768x24; $(date -u '+%Y-%m-%d %H:%M UTC'); $("$wine" --version)"
  echo
  echo "| figure | Linux (SDL2) | Windows build under Wine | Wine / Linux |"
  echo "|---|--:|--:|--:|"
  echo "| frame interval, mean of 1,000 (ms) | $lmean | $wmean | $(ratio "$wmean" "$lmean") |"
  echo "| frame interval, standard deviation (ms) | $lsd | $wsd | $(ratio "$wsd" "$lsd") |"
  echo "| frame interval, 99th percentile (ms) | $lp99 | $wp99 | $(ratio "$wp99" "$lp99") |"
  echo "| frame interval, longest (ms) | $lmax | $wmax | $(ratio "$wmax" "$lmax") |"
  echo "| intervals over 18 ms | $llate | $wlate | |"
  echo "| processor standing still, game process (% of a core) | $lstill | $wstill | $(ratio "$wstill" "$lstill") |"
  echo "| processor playing, game process (% of a core) | $lplay | $wplay | $(ratio "$wplay" "$lplay") |"
  echo "| processor standing still / playing, wineserver (% of a core) | | $sstill / $splay | |"
  echo "| download: zip (bytes) | | $(stat -c %s "$zip") | |"
  echo "| fusebound.exe (bytes, statically linked) | $(stat -c %s "$game") | $(stat -c %s "$folder/fusebound.exe") | |"
} | tee "$out/summary.md"
