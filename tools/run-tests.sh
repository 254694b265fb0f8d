#!/bin/sh
# Runs the test suite under a private X display, with one wineserver kept alive for the
# whole run so that each test process starts in a few milliseconds, and stopped afterwards.
# Exits non-zero when any test fails.
set -u
cd "$(dirname "$0")/.."
build=build/mingw

exec xvfb-run -a -s "-screen 0 1600x1200x24 -nolisten tcp" sh -c '
    build="$1"
    # A prefix that cannot be prepared fails the run here rather than in every test.
    "$build/wine-run.sh" --start-server || exit 1
    ctest --preset mingw
    result=$?
    "$build/wine-run.sh" --stop-server
    exit $result
' run-tests "$build"
