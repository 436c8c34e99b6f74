# Quick start: `make play` to play, `make test` to run every test.
# Both install the Debian packages that are missing first (tools/install-deps).

JOBS ?= $(shell nproc)
WINDOWED ?= 0
PLAY_PRESET := $(if $(filter 1,$(WINDOWED)),windowed,release)

.PHONY: all deps play build test test-unit bench pictures format clean web web-play web-test browser-deps

all: build

deps:
	@tools/install-deps

build: deps
	@cmake --preset $(PLAY_PRESET) >/dev/null
	@cmake --build --preset $(PLAY_PRESET) -j $(JOBS)

play: build
	./build/$(PLAY_PRESET)/fusebound

# The game in the browser: build/web is a static folder (index.html, the
# script, the WebAssembly module and the packed pictures) any web server can
# serve. Emscripten's optimiser needs Node's acorn module from Debian.
WEB_PORT ?= 8000
web: deps
	@NODE_PATH=/usr/share/nodejs cmake --preset web >/dev/null
	@NODE_PATH=/usr/share/nodejs cmake --build --preset web -j $(JOBS)

web-play: web
	@echo "Fusebound in the browser: http://127.0.0.1:$(WEB_PORT)/ (Ctrl+C stops it)"
	@cd build/web && python3 -m http.server $(WEB_PORT) --bind 127.0.0.1

# puppeteer-core, at the version the lock file pins, for the browser tests.
browser-deps:
	@cd tests/web && npm ci --no-audit --no-fund --loglevel=error >/dev/null

# Only the browser side: its native checks and the game in headless Chromium.
web-test: web browser-deps
	@cmake --preset ci >/dev/null
	@cmake --build --preset ci -j $(JOBS) --target web_unit_tests web_decode
	@ctest --preset ci -R '^web\.'

# Every test: the warnings-as-errors build (full screen and windowed), the
# sanitizer build with the million-frame soak, and a minute of each fuzzer;
# the ci build also runs the game in headless Chromium (the web build).
test: deps web browser-deps
	@for preset in ci ci-windowed ci-sanitize fuzz; do \
	  cmake --preset $$preset >/dev/null && \
	  cmake --build --preset $$preset -j $(JOBS) || exit 1; \
	done
	@status=0; \
	for preset in ci ci-windowed ci-sanitize fuzz; do \
	  echo "== tests: $$preset"; \
	  ctest --preset $$preset -j $(JOBS) || status=1; \
	done; exit $$status

bench: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release -j $(JOBS)
	@build/release/bench/fusebound_bench
	@bench/whole-program.sh build/release

pictures: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release --target pictures

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
