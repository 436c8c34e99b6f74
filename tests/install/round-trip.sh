#!/usr/bin/env bash
# make install and make uninstall, staged with DESTDIR: the installed
# starter passes its options on, an install never overwrites a file that a
# Debian package owns, and uninstall takes away exactly what was put down
# (and the folders made for it), leaving packaged files and everyone else's
# alone. A stand-in for dpkg says which paths "a package" owns.
#
#   round-trip.sh <build dir> <prefix it was configured for>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tool=$here/../../tools/install-game
build=$1 prefix=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
stage=$tmp/stage root=$tmp/stage$prefix
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p "$tmp/bin" "$root/share/applications"
: > "$tmp/owned"
cat > "$tmp/bin/dpkg" <<EOF
#!/bin/sh
[ "\$1" = -S ] || exit 2
shift; status=0
for p; do
  if grep -qxF -- "\$p" "$tmp/owned"; then echo "other-package: \$p"
  else echo "dpkg-query: no path found matching pattern \$p" >&2; status=1; fi
done
exit \$status
EOF
chmod +x "$tmp/bin/dpkg"
export PATH=$tmp/bin:$PATH DESTDIR=$stage

echo "someone else's" > "$root/share/applications/other.desktop"
snapshot() { (cd "$tmp/stage" && find . -print0 | sort -z | xargs -0 ls -ld --time-style=+ | awk '{ $2 = ""; print }'); }
before=$(snapshot)

# A packaged file where the desktop entry would go: nothing is installed.
desktop=$root/share/applications/io.github.fusebound.fusebound.desktop
echo "$desktop" > "$tmp/owned"
if "$tool" install "$build" "$prefix" > "$tmp/log" 2>&1; then fail "installed over a packaged file"; fi
grep -q "belong to a Debian package" "$tmp/log" || fail "$(cat "$tmp/log")"
[ "$(snapshot)" = "$before" ] || fail "a refused install changed the folder"

: > "$tmp/owned"
"$tool" install "$build" "$prefix" > "$tmp/log"
for f in games/fusebound lib/games/fusebound/fusebound share/games/fusebound/data/tiles.raw \
    share/man/man6/fusebound.6 share/icons/hicolor/64x64/apps/fusebound.png; do
  [ -e "$root/$f" ] || fail "not installed: $f"
done
grep -q '^Exec=.*--window' "$desktop" || fail "no windowed action in the desktop entry"
version=$("$root/games/fusebound" --version) || fail "the starter failed"
[[ $version == "fusebound "* ]] || fail "the starter's --version said: $version"
# An unknown option: what was wrong and the usage, status 2, and no window
# (with no display to open one on, trying would say so).
status=0
DISPLAY= "$root/games/fusebound" --fullscreen > "$tmp/out" 2> "$tmp/err" || status=$?
[ "$status" = 2 ] || fail "an unknown option ended with status $status"
[ ! -s "$tmp/out" ] && head -1 "$tmp/err" | grep -qx "fusebound: unknown option '--fullscreen'" &&
  grep -q '^Usage: fusebound' "$tmp/err" || fail "unknown option: $(cat "$tmp/err")"

# A package takes over the manual page: uninstall leaves it where it is.
man=$root/share/man/man6/fusebound.6
echo "$man" > "$tmp/owned"
"$tool" uninstall "$build" "$prefix" > "$tmp/log"
[ -f "$man" ] || fail "uninstall removed a packaged file"
rm "$man"  # with it, only the folders that hold it may be left
rmdir "$root/share/man/man6" "$root/share/man"
[ "$(snapshot)" = "$before" ] || { diff <(echo "$before") <(snapshot) >&2; fail "uninstall left or took more than the install put down"; }
if "$tool" uninstall "$build" "$prefix" > "$tmp/log" 2>&1; then fail "a second uninstall found something"; fi
echo "install and uninstall: round trip clean"
