#!/usr/bin/env bash
# The viewer on a 1024 x 768 Xvfb screen: its window appears at full size,
# frame 30 is read back and written to SCREENSHOT, which must show the
# background gradient the right way up and the torus lit from the upper
# left (check_screenshot.py); F1 typed into the window switches the
# statistics overlay on; then Escape ends the program with exit code 0.
#   viewer_e2e.sh PATH_TO_VIEWER SCREENSHOT.png
set -u

program=$1
screenshot=$2
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${VORNA3D_INSIDE_XVFB:-}" ]; then
    export VORNA3D_INSIDE_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
export LIBGL_ALWAYS_SOFTWARE=1

title="Vorna3D viewer"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
rm -f "$screenshot"

fail() {
    echo "FAIL: $*"
    echo "--- program output ---"
    cat "$log"
    [ -n "${pid:-}" ] && kill -KILL "$pid" 2>/dev/null
    exit 1
}

"$program" "screenshot=$screenshot" frame=30 >"$log" 2>&1 &
pid=$!
wid=$(timeout 30 xdotool search --sync --name "^${title}\$" 2>/dev/null | head -n 1)
[ -n "$wid" ] || fail "no window named '$title' appeared"
geometry=$(xdotool getwindowgeometry "$wid")
echo "$geometry" | grep -q "Geometry: 1024x768" || fail "window is not 1024 x 768: $geometry"

for _ in $(seq 600); do
    grep -q "viewer: screenshot written to" "$log" && break
    kill -0 "$pid" 2>/dev/null || fail "the viewer ended before its screenshot"
    sleep 0.1
done
grep -q "viewer: screenshot written to" "$log" || fail "no screenshot within 60 seconds"
echo "screenshot: $screenshot"

xdotool windowfocus --sync "$wid" key F1
for _ in $(seq 100); do
    grep -q "viewer: statistics overlay on" "$log" && break
    sleep 0.1
done
grep -q "viewer: statistics overlay on" "$log" || fail "F1 did not switch the statistics overlay on"
echo "F1: overlay on"

xdotool windowfocus --sync "$wid" key Escape
for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "still running 10 seconds after Escape"
wait "$pid"
rc=$?
[ "$rc" -eq 0 ] || fail "Escape: exit code $rc"
grep -q "viewer: Escape read, stopping" "$log" || fail "Escape did not come through the input handle"
echo "Escape: exit 0"

python3 "$here/check_screenshot.py" "$screenshot" || fail "the screenshot does not show the scene"
