#!/usr/bin/env bash
# Runs the real game under valgrind's memcheck for a few hundred frames of
# play and fails on any memory error: an invalid read or write, a use of
# uninitialised memory, a block definitely lost (fusebound.supp lists the
# libraries' own findings that are let through, each explained).
#
# Usage, inside an X server (the test runs it under xvfb-run with a 320 by
# 240 screen, on which the full-screen picture is shown 1:1: scaling it up
# would make OpenGL's software renderer the slowest part of a frame under
# valgrind):
#   memcheck.sh <game binary> <frame counter library> <source dir> <work dir>
#
# The frame counter (CountFrames.cpp, preloaded) lets the script hold each
# key for a number of frames rather than seconds, since under valgrind the
# game shows some 20 frames a second instead of 60.
set -u
binary=$1
counter=$2
source=$3
work=$4
here=$(cd "$(dirname "$0")" && pwd)

mkdir -p "$work"
rm -f "$work"/memcheck.*.log "$work/frames"

frames() { cat "$work/frames" 2>/dev/null || echo 0; }

# Waits until the game has shown frame $1; fails when the game ends first or
# after five minutes.
waitFrames() {
  local tries=0
  while [ "$(frames)" -lt "$1" ]; do
    kill -0 "$game" 2>/dev/null || return 1
    sleep 0.05
    tries=$((tries + 1))
    [ "$tries" -gt 6000 ] && return 1
  done
  return 0
}

# Holds a key for $2 frames.
hold() {
  xdotool keydown "$1"
  waitFrames $(($(frames) + $2))
  local shown=$?
  xdotool keyup "$1"
  return $shown
}

# The windowed test run (FUSEBOUND_TEST_WINDOWED=1) plays in a window.
options=()
[ "${FUSEBOUND_TEST_WINDOWED:-0}" = 1 ] && options=(--window)

cd "$source" || exit 2
SDL_AUDIODRIVER=dummy FUSEBOUND_FRAME_COUNT_FILE="$work/frames" \
  LD_PRELOAD="$counter" \
  valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite \
  --errors-for-leak-kinds=definite --error-exitcode=99 --num-callers=40 \
  --suppressions="$here/fusebound.supp" \
  --log-file="$work/memcheck.%p.log" "$binary" "${options[@]}" &
game=$!

played=1
# Walk out of the corner, lay a bomb, get out of its reach, watch it go off,
# walk back through the rubble, regenerate the arena, walk on.
waitFrames 30 &&
  hold Right 60 && hold r 5 && hold Left 50 && hold Down 60 &&
  waitFrames $(($(frames) + 120)) && hold Up 40 && hold Right 60 &&
  {
    # Enter holds the game still until it is let go: no frames to count.
    xdotool keydown Return
    sleep 0.5
    xdotool keyup Return
  } && hold Down 30 || played=0

# Escape, held until the game has ended.
xdotool keydown Escape
for _ in $(seq 1 1200); do
  kill -0 "$game" 2>/dev/null || break
  sleep 0.1
done
xdotool keyup Escape
if kill -0 "$game" 2>/dev/null; then
  echo "memcheck: the game did not end on Escape"
  kill -9 "$game"
fi
wait "$game"
status=$?

echo "frames presented: $(frames)"
fault=0
[ "$played" = 1 ] || { echo "memcheck: the game stopped showing frames"; fault=1; }
[ "$status" = 0 ] || { echo "memcheck: exit status $status (99: memcheck errors)"; fault=1; }
for log in "$work"/memcheck.*.log; do
  grep -q "ERROR SUMMARY: 0 errors" "$log" || fault=1
  grep -hE "ERROR SUMMARY|definitely lost:|suppressed:" "$log" | sed "s|^|$(basename "$log"): |"
done
if [ "$fault" != 0 ]; then
  for log in "$work"/memcheck.*.log; do
    echo "---- $log"
    cat "$log"
  done
  exit 1
fi
echo "memcheck: no errors"
