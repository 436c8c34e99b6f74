# Quick start: `make play` to play, `make test` to run every test.
# Each target installs the Debian packages it needs first (tools/install-deps).

JOBS ?= $(shell nproc)
# make play WINDOWED=1: the same game, started with --window.
WINDOWED ?= 0
PLAY_PRESET := release
PLAY_OPTIONS := $(if $(filter 1,$(WINDOWED)),--window)
# make install: where the game goes (DESTDIR, if set, is put before it).
PREFIX ?= /usr/local

.PHONY: all deps-play deps-package deps-test deps-dev deps-web deps-web-test deps-windows play build \
  install uninstall deb test bench mutate pictures format clean web web-play web-test browser-deps windows

all: build

deps-play:
	@tools/install-deps play

deps-package:
	@tools/install-deps play package

deps-test:
	@tools/install-deps play package test web web-test windows

deps-dev:
	@tools/install-deps play test

deps-web:
	@tools/install-deps web

deps-web-test:
	@tools/install-deps play test web-test

deps-windows:
	@tools/install-deps windows

# The game alone: no tests, benchmarks or tools.
build: deps-play
	@cmake --preset $(PLAY_PRESET) -DCMAKE_INSTALL_PREFIX=$(PREFIX) >/dev/null
	@cmake --build --preset $(PLAY_PRESET) -j $(JOBS)

play: build
	./build/$(PLAY_PRESET)/fusebound $(PLAY_OPTIONS)

# Root working in a checkout that is someone else's (sudo make install)
# builds nothing: it installs what an earlier `make` built, so that no file
# in build/ becomes root's. Anyone else builds first.
SOMEONE_ELSES := $(shell [ "$$(id -u)" = 0 ] && [ "$$(stat -c %u .)" != 0 ] && echo 1)

install: $(if $(SOMEONE_ELSES),,build)
	@DESTDIR="$(DESTDIR)" tools/install-game install build/$(PLAY_PRESET) "$(PREFIX)"

# Removes exactly what `make install` put down with the same DESTDIR and
# PREFIX, and the folders it made, now empty; never a packaged file.
uninstall:
	@DESTDIR="$(DESTDIR)" tools/install-game uninstall build/$(PLAY_PRESET) "$(PREFIX)"

# build/deb/fusebound_<version>_<arch>.deb
deb: deps-package
	@JOBS=$(JOBS) tools/build-deb build/deb

# The game in the browser: build/web is a static folder (index.html, the
# script, the WebAssembly module and the packed pictures) any web server can
# serve. Emscripten's optimiser needs Node's acorn module from Debian.
WEB_PORT ?= 8000
web: deps-web
	@NODE_PATH=/usr/share/nodejs cmake --preset web >/dev/null
	@NODE_PATH=/usr/share/nodejs cmake --build --preset web -j $(JOBS)

web-play: web
	@echo "Fusebound in the browser: http://127.0.0.1:$(WEB_PORT)/ (Ctrl+C stops it)"
	@cd build/web && python3 -m http.server $(WEB_PORT) --bind 127.0.0.1

# The game for Windows, cross-compiled with MinGW-w64 (the windows preset,
# cmake/mingw-w64.cmake): build/windows/fusebound-<version>-win64.zip holds
# fusebound.exe (statically linked), data/, LICENSE and README.txt.
windows: deps-windows
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows -j $(JOBS)

# puppeteer-core, at the version the lock file pins, for the browser tests.
browser-deps: deps-web-test
	@cd tests/web && npm ci --no-audit --no-fund --loglevel=error >/dev/null

# Only the browser side: its native checks and the game in headless Chromium.
web-test: web browser-deps
	@cmake --preset ci >/dev/null
	@cmake --build --preset ci -j $(JOBS) --target web_unit_tests web_decode
	@ctest --preset ci -R '^web\.'

# Every test: the warnings-as-errors build (its tests run twice, full
# screen and then with the game in a window, the first run also building and
# checking the Debian package and playing the browser build in headless
# Chromium and the Windows build under Wine), the sanitizer build with the
# million-frame soak, and a minute of each fuzzer.
test: deps-test web windows browser-deps
	@for preset in ci ci-sanitize fuzz; do \
	  cmake --preset $$preset >/dev/null && \
	  cmake --build --preset $$preset -j $(JOBS) || exit 1; \
	done
	@status=0; \
	for preset in ci ci-windowed ci-sanitize fuzz; do \
	  echo "== tests: $$preset"; \
	  ctest --preset $$preset -j $(JOBS) || status=1; \
	done; exit $$status

# The benchmarks, the whole-program figures, key-to-screen latency (also
# with the game in a window) and what a still picture costs, also with one
# core busy (bench/still-picture.sh takes a second build to compare).
bench: deps-dev
	@cmake --preset bench >/dev/null
	@cmake --build --preset bench -j $(JOBS)
	@build/bench/bench/fusebound_bench
	@bench/whole-program.sh build/bench
	@bench/latency.sh build/bench
	@bench/still-picture.sh build/bench

# Mutation run over the game code (tools/mutate, docs/reliability.md): each
# slip the fast suites miss is listed. MUTATE_ARGS=arena/ narrows it.
mutate: deps-dev
	@tools/mutate $(MUTATE_ARGS)

pictures: deps-dev
	@cmake --preset ci >/dev/null
	@cmake --build --preset ci --target pictures

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
