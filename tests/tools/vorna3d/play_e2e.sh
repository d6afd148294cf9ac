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
. "$here/../../support/e2e.sh"
e2e_enter_xvfb 1024x768 "$@"

mkdir -p "$out"
first="$out/play_300ms.png"
second="$out/play_1500ms.png"
log=$(mktemp)
E2E_LOG_LINES=40
trap 'rm -f "$log"' EXIT
rm -f "$first" "$second"

"$program" play "$scene" "--shot=300:$first" "--shot=1500:$second" >"$log" 2>&1 &
pid=$!
e2e_wait_window "vorna3d play" 30

e2e_wait_log "written to $second" 60 "vorna3d play ended before its second frame" \
    "no frame at 1500 ms within 60 seconds"
grep -q "written to $first" "$log" || fail "no frame at 300 ms"

e2e_escape_ends "$wid" play

python3 "$here/frames_differ.py" "$first" "$second" || fail "the frames do not show a moving scene"
