# Sourced by the whole-program bench scripts: a black screen of our own
# (-br) on a display number Xvfb picks, files in "$out", and on exit the
# program in $app_pid (if any) and the server are ended. The screen is
# $xvfb_screen if set, else 1024x768x24.
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
rm -f "$out/display"
Xvfb -displayfd 3 -screen 0 "${xvfb_screen:-1024x768x24}" -br -nolisten tcp 3>"$out/display" \
  2>"$out/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$out/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -1 "$out/display")"
sleep 0.5
