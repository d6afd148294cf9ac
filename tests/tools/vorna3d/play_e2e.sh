#!/usr/bin/env bash
# vorna3d play on a 1024 x 768 Xvfb screen.
# The shared skinned scene file (a copy, so that screenshots land beside
# it in OUTPUT_DIR): its window appears, the frames at 300 ms and 1500 ms
# of world time are written, show the scene and differ (the skinned figure
# moved: frames_differ.py); after Space two F12 screenshots 500 ms apart
# are identical; Escape typed into the window ends the program with exit
# code 0.
# A box written by the engine's writer (play_test_scene), a bare Mesh root
# without camera or light: with --fit its --shot frame is filled well by
# the box; paused, a mouse drag changes the picture; after R a click at
# the centre prints the box as picked; Q ends the program with exit code 0.
#   play_e2e.sh PATH_TO_VORNA3D SCENE.m3g OUTPUT_DIR PATH_TO_PLAY_TEST_SCENE
set -u

program=$1
shared_scene=$2
out=$3
writer=$4
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../support/e2e.sh"
e2e_enter_xvfb 1024x768 "$@"

log=$(mktemp)
E2E_LOG_LINES=40
trap 'rm -f "$log"' EXIT
rm -rf "$out"
mkdir -p "$out"

# Types key $1 into window $wid and waits up to 10 seconds for the log line $2.
key_then() {
    xdotool windowfocus --sync "$wid" key "$1"
    e2e_wait_log "$2" 10 "vorna3d play ended after $1" "no '$2' after $1"
}

# ---- The shared skinned file: animation, pause, screenshots. ----
if [ -f "$shared_scene" ]; then
    E2E_CASE="skinned scene"
    scene="$out/skinned/test.m3g"
    mkdir -p "$out/skinned"
    cp "$shared_scene" "$scene"
    first="$out/play_300ms.png"
    second="$out/play_1500ms.png"

    "$program" play "$scene" "--shot=300:$first" "--shot=1500:$second" >"$log" 2>&1 &
    pid=$!
    e2e_wait_window "vorna3d play" 30

    e2e_wait_log "written to $second" 60 "vorna3d play ended before its second frame" \
        "no frame at 1500 ms within 60 seconds"
    grep -q "written to $first" "$log" || fail "no frame at 300 ms"

    key_then space "play: paused at"
    key_then F12 "written to $out/skinned/test-1.png"
    sleep 0.5
    key_then F12 "written to $out/skinned/test-2.png"

    e2e_escape_ends "$wid" play

    python3 "$here/frames_differ.py" "$first" "$second" || fail "the frames do not show a moving scene"
    python3 "$here/frames_differ.py" --same "$out/skinned/test-1.png" "$out/skinned/test-2.png" ||
        fail "paused, the picture still changes"
else
    echo "SKIP: $shared_scene not present"
fi

# ---- The written box: framing, mouse drag, picking. ----
E2E_CASE="written box"
box="$out/box/box.m3g"
mkdir -p "$out/box"
"$writer" "$box" || fail "play_test_scene could not write $box"
fit="$out/box_fit.png"
pid=
: >"$log"

"$program" play --fit "$box" "--shot=200:$fit" >"$log" 2>&1 &
pid=$!
e2e_wait_window "vorna3d play" 30
e2e_wait_log "written to $fit" 30 "vorna3d play ended before its frame" "no frame at 200 ms within 30 seconds"
python3 "$here/frames_differ.py" --fill 40 "$fit" || fail "--fit: the box fills too little of the frame"

# Paused, nothing but the view changes the picture.
key_then space "play: paused at"
key_then F12 "written to $out/box/box-1.png"
xdotool mousemove --window "$wid" --sync 512 384 mousedown 1
for _ in $(seq 10); do
    xdotool mousemove_relative --sync 15 5
    sleep 0.05
done
xdotool mouseup 1
key_then F12 "written to $out/box/box-2.png"
python3 "$here/frames_differ.py" "$out/box/box-1.png" "$out/box/box-2.png" || fail "the drag did not turn the view"

# Back at the start view the box is under the window's centre.
key_then r "play: start view"
xdotool mousemove --window "$wid" --sync 512 384 mousedown 1
sleep 0.2
xdotool mouseup 1
e2e_wait_log "pick: " 10 "vorna3d play ended after the click" "no pick printed after the click"
grep -q 'pick: Mesh user ID 7 name "box" distance [0-9]' "$log" || fail "the click did not pick the box"
grep -m1 "pick: " "$log"

xdotool windowfocus --sync "$wid" key q
e2e_wait_end 10 "Q"
[ "$rc" -eq 0 ] || fail "Q: exit code $rc"
grep -q "play: Q read, stopping" "$log" || fail "Q did not come through the input handle"
echo "PASS"
