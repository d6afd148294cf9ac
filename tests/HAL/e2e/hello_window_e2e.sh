#!/usr/bin/env bash
# hello_window on a 1024 x 768 Xvfb screen: the window appears at full size,
# Escape typed into it ends the program with exit code 0 within 5 seconds,
# and so does a SIGTERM.
#   hello_window_e2e.sh PATH_TO_HELLO_WINDOW
set -u

program=$1
if [ -z "${VORNA3D_INSIDE_XVFB:-}" ]; then
    export VORNA3D_INSIDE_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
export LIBGL_ALWAYS_SOFTWARE=1

title="Vorna3D hello window"
log=$(mktemp)
trap 'rm -f "$log"' EXIT

fail() {
    echo "FAIL: $*"
    echo "--- program output ---"
    cat "$log"
    [ -n "${pid:-}" ] && kill -KILL "$pid" 2>/dev/null
    exit 1
}

# Starts the program and waits for its window; sets pid and wid.
start() {
    "$program" "$@" >"$log" 2>&1 &
    pid=$!
    wid=$(timeout 20 xdotool search --sync --name "^${title}\$" 2>/dev/null | head -n 1)
    [ -n "$wid" ] || fail "no window named '$title' appeared"
}

# Waits up to 5 seconds for the program to end; sets rc.
finish() {
    for _ in $(seq 50); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            rc=$?
            return
        fi
        sleep 0.1
    done
    fail "still running 5 seconds after $1"
}

start
geometry=$(xdotool getwindowgeometry "$wid")
echo "$geometry" | grep -q "Geometry: 1024x768" || fail "window is not 1024 x 768: $geometry"
xdotool windowfocus --sync "$wid" key Escape
finish "Escape"
[ "$rc" -eq 0 ] || fail "Escape: exit code $rc"
grep -q "hello_window: Escape read, stopping" "$log" || fail "Escape did not come through the input handle"
echo "Escape: exit 0"

start windowed
kill -TERM "$pid"
finish "SIGTERM"
[ "$rc" -eq 0 ] || fail "SIGTERM: exit code $rc"
echo "SIGTERM: exit 0"
