#!/bin/sh
# Builds the page the browser suite plays (the web preset, into build/web),
# so that the suite never tests a stale build. Skipped (77) where Emscripten
# is not installed.
cd "$(dirname "$0")/../.." || exit 1
if ! command -v emcc >/dev/null; then
  echo "skipped: no Emscripten (make deps-web)"
  exit 77
fi
export NODE_PATH=/usr/share/nodejs
cmake --preset web >/dev/null && exec cmake --build --preset web
