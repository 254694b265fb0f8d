#!/bin/sh
# The native checks of the file walkers (fuzz/Makefile): each fuzz target run once over its
# seed corpus and fuzz/regressions/, without fuzzing, then the differential test of the PNG
# chunk walk against libpng and zlib. Exits non-zero when any of them fails.
set -eu
cd "$(dirname "$0")/.."
make --no-print-directory -C fuzz check
