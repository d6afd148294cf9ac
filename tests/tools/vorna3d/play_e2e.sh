#!/usr/bin/env bash
# vorna3d play on a 1024 x 768 Xvfb screen with the shared skinned scene
# file: its window appears, the frames at 300 ms and 1500 ms of world time
# are written, show the scene and differ (the skinned figure moved:
# frames_differ.py), and Escape typed into the window ends the program with
# exit code 0.
#   play_e2e.sh PATH_TO_VORNA3D SCENE.m3g OUTPUT_DIR
set -u

program=$1
scene=$2
out=$3
here=$(cd "$(dirname "$0")" && pwd)
if [ ! -f "$scene" ]; then
    echo "SKIP: $scene not present"
    exit 0
fi
if [ -z "${VORNA3D_INSIDE_XVFB:-}" ]; then
    export VORNA3D_INSIDE_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
export LIBGL_ALWAYS_SOFTWARE=1

mkdir -p "$out"
first="$out/play_300ms.png"
second="$out/play_1500ms.png"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
rm -f "$first" "$second"

fail() {
    echo "FAIL: $*"
    echo "--- program output (last lines) ---"
    tail -n 40 "$log"
    [ -n "${pid:-}" ] && kill -KILL "$pid" 2>/dev/null
    exit 1
}

"$program" play "$scene" "--shot=300:$first" "--shot=1500:$second" >"$log" 2>&1 &
pid=$!
wid=$(timeout 30 xdotool search --sync --name "^vorna3d play\$" 2>/dev/null | head -n 1)
[ -n "$wid" ] || fail "no window named 'vorna3d play' appeared"

for _ in $(seq 600); do
    grep -q "written to $second" "$log" && break
    kill -0 "$pid" 2>/dev/null || fail "vorna3d play ended before its second frame"
    sleep 0.1
done
grep -q "written to $first" "$log" || fail "no frame at 300 ms"
grep -q "written to $second" "$log" || fail "no frame at 1500 ms within 60 seconds"

xdotool windowfocus --sync "$wid" key Escape
for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "still running 10 seconds after Escape"
wait "$pid"
rc=$?
[ "$rc" -eq 0 ] || fail "Escape: exit code $rc"
grep -q "play: Escape read, stopping" "$log" || fail "Escape did not come through the input handle"
echo "Escape: exit 0"

python3 "$here/frames_differ.py" "$first" "$second" || fail "the frames do not show a moving scene"
