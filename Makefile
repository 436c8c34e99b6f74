# Quick start: `make play` to play, `make test` to run every test.
# Both install the Debian packages that are missing first (tools/install-deps).

JOBS ?= $(shell nproc)
WINDOWED ?= 0
PLAY_PRESET := $(if $(filter 1,$(WINDOWED)),windowed,release)

.PHONY: all deps play build test test-unit bench pictures format clean

all: build

deps:
	@tools/install-deps

build: deps
	@cmake --preset $(PLAY_PRESET) >/dev/null
	@cmake --build --preset $(PLAY_PRESET) -j $(JOBS)

play: build
	./build/$(PLAY_PRESET)/fusebound

# Every test: the warnings-as-errors build (full screen and windowed), the
# sanitizer build with the million-frame soak, and a minute of each fuzzer.
test: deps
	@for preset in ci ci-windowed ci-sanitize fuzz; do \
	  cmake --preset $$preset >/dev/null && \
	  cmake --build --preset $$preset -j $(JOBS) || exit 1; \
	done
	@status=0; \
	for preset in ci ci-windowed ci-sanitize fuzz; do \
	  echo "== tests: $$preset"; \
	  ctest --preset $$preset -j $(JOBS) || status=1; \
	done; exit $$status

# The benchmarks, the whole-program figures and key-to-screen latency (the
# last also on the windowed variant).
bench: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release -j $(JOBS)
	@cmake --preset windowed >/dev/null
	@cmake --build --preset windowed --target fusebound -j $(JOBS)
	@build/release/bench/fusebound_bench
	@bench/whole-program.sh build/release
	@bench/latency.sh build/release build/windowed

pictures: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release --target pictures

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
