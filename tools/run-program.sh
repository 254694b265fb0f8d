#!/bin/sh
# Starts the program under Wine on the user's display, in the prefix whose windows the
# desktop's window manager manages. With no display, starts it on a private Xvfb display
# instead, where no window manager runs, in the tests' prefix of unmanaged windows; saves a
# screenshot to build/mingw/screenshot.png, and stops it again, leaving no process behind.
# Arguments are passed on to the program ("/f").
set -u
cd "$(dirname "$0")/.."
build=build/mingw
exe="$build/tessarel.exe"

if [ -n "${DISPLAY:-}" ]; then
    exec "$build/wine-run.sh" --desktop "$exe" "$@"
fi

shot="$build/screenshot.png"
rm -f "$shot"
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" sh -c '
    build="$1"; exe="$2"; shot="$3"; shift 3
    "$build/wine-run.sh" "$exe" "$@" &
    # Wait for the main window and the tool panel, then give them a moment to paint.
    tries=0
    while [ "$(xdotool search --onlyvisible --class tessarel.exe 2>/dev/null | wc -l)" -lt 2 ] &&
          [ $tries -lt 60 ]; do
        sleep 0.5; tries=$((tries + 1))
    done
    sleep 2
    /usr/bin/import -window root "$shot"
    "$build/wine-run.sh" --stop-server
    wait
' run-program "$build" "$exe" "$shot" "$@"

if [ -f "$shot" ]; then
    echo "No display: the program ran under Xvfb; screenshot saved to $shot"
else
    echo "No display, and no screenshot could be taken" >&2
    exit 1
fi
