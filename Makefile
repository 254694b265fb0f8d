# Quick start on Debian or Ubuntu:  make run  (the program)   make test  (the tests)
# Both install what is missing first, then configure and build with the MinGW-w64 preset.

PRESET    := mingw
BUILD_DIR := build/$(PRESET)

.PHONY: all deps configure build test run clean

all: build

deps:
	@tools/install-deps.sh

configure: deps
	cmake --preset $(PRESET) >/dev/null

build: configure
	cmake --build --preset $(PRESET)

test: build
	tools/run-tests.sh

run: build
	tools/run-program.sh

clean:
	-test -x $(BUILD_DIR)/wine-run.sh && $(BUILD_DIR)/wine-run.sh --stop-server
	rm -rf build
