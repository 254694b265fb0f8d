#!/bin/sh
# The native checks of the pure libraries, built with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer: their GoogleTest tests (the "native" presets), then each fuzz
# target of the file walkers run once over its seed corpus and fuzz/regressions/, without
# fuzzing, and the differential test of the PNG chunk walk against libpng and zlib
# (fuzz/Makefile). Exits non-zero when any of them fails.
set -eu
cd "$(dirname "$0")/.."
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native
make --no-print-directory -C fuzz check
