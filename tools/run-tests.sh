#!/bin/sh
# Runs the test suite under two private X displays, the second for the second of the two
# window suites that run at a time (tools/wine-run.sh.in), each display with one wineserver
# kept alive for the whole run so that each test process starts in a few milliseconds, and
# stopped afterwards. Exits non-zero when any test fails.
set -u
cd "$(dirname "$0")/.."
build=build/mingw

exec xvfb-run -a -s "-screen 0 1600x1200x24 -nolisten tcp" sh -c '
    build="$1"
    # The second display: Xvfb takes the first free number and writes it to descriptor 3.
    number="$build/second-display"
    rm -f "$number"
    Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
    second=$!
    tries=0
    until [ -s "$number" ] || [ $tries -ge 100 ]; do sleep 0.1; tries=$((tries + 1)); done
    if ! [ -s "$number" ]; then
        echo "run-tests.sh: the second display did not start" >&2
        kill $second 2>/dev/null
        exit 1
    fi
    TESSAREL_SECOND_DISPLAY=":$(head -n 1 "$number")"
    export TESSAREL_SECOND_DISPLAY
    # A prefix that cannot be prepared fails the run here rather than in every test. The two
    # are prepared side by side, a new one taking several seconds.
    "$build/wine-run.sh" --start-server & first_prefix=$!
    TESSAREL_LANE=2 "$build/wine-run.sh" --start-server || { kill $second; exit 1; }
    wait $first_prefix || { kill $second; exit 1; }
    ctest --preset mingw
    result=$?
    "$build/wine-run.sh" --stop-server
    TESSAREL_LANE=2 "$build/wine-run.sh" --stop-server
    kill $second 2>/dev/null
    exit $result
' run-tests "$build"
