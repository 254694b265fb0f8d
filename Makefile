# Quick start on Debian or Ubuntu:  make run  (the program)   make test  (the tests)
# Both install what is missing first, then configure and build with the MinGW-w64 preset.
#   make fuzz [FUZZ_SECONDS=60]  builds the native fuzz targets of the file walkers with clang
#                                and runs each for FUZZ_SECONDS (fuzz/Makefile)
#   make bench-native            builds the pure libraries' benchmarks optimised and runs them
#   make key-picture             draws docs/colour_key.png, the README's picture of the colour work
#   make tool-pictures           draws docs/refine_edge.png and docs/alpha_brush.png

PRESET    := mingw
BUILD_DIR := build/$(PRESET)

.PHONY: all deps configure build test fuzz bench-native key-picture tool-pictures run clean

all: build

deps:
	@tools/install-deps.sh

configure: deps
	cmake --preset $(PRESET) >/dev/null

build: configure
	cmake --build --preset $(PRESET)

test: build
	tools/run-native-checks.sh
	tools/run-tests.sh

FUZZ_SECONDS ?= 60
fuzz: deps
	$(MAKE) -C fuzz fuzz FUZZ_SECONDS=$(FUZZ_SECONDS)

bench-native: deps
	cmake --preset native-bench >/dev/null
	cmake --build --preset native-bench
	for b in build/native-bench/bench/native/bench_*; do [ -x "$$b" ] && "$$b"; done

key-picture: deps
	cmake --preset native-bench >/dev/null
	cmake --build --preset native-bench --target make_key_picture
	build/native-bench/bench/native/make_key_picture docs/colour_key.png

tool-pictures: deps
	cmake --preset native-bench >/dev/null
	cmake --build --preset native-bench --target make_tool_pictures
	build/native-bench/bench/native/make_tool_pictures docs/refine_edge.png docs/alpha_brush.png

run: build
	tools/run-program.sh

clean:
	-test -x $(BUILD_DIR)/wine-run.sh && $(BUILD_DIR)/wine-run.sh --stop-server
	rm -rf build
