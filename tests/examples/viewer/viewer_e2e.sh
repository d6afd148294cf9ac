#!/usr/bin/env bash
# The viewer on a 1024 x 768 Xvfb screen: its window appears at full size,
# frame 30 is read back and written to SCREENSHOT, which must show the
# background gradient the right way up and the torus lit from the upper
# left (check_screenshot.py); F1 typed into the window switches the
# statistics overlay on; then Escape ends the program with exit code 0.
#   viewer_e2e.sh PATH_TO_VIEWER SCREENSHOT.png
# E2E_RUNNER, when set, runs the program (scripts/wine-run.sh for viewer.exe).
set -u

program=$1
screenshot=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../support/e2e.sh"
e2e_enter_xvfb 1024x768 "$@"

title="Vorna3D viewer"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
rm -f "$screenshot"

window_wait=30
[ -n "${E2E_RUNNER:-}" ] && window_wait=90 # a first Wine run makes its prefix
${E2E_RUNNER:-} "$program" "screenshot=$screenshot" frame=30 >"$log" 2>&1 &
pid=$!
e2e_wait_window "$title" "$window_wait"
e2e_expect_window_size "$wid" 1024x768

e2e_wait_log "viewer: screenshot written to" 60 "the viewer ended before its screenshot" \
    "no screenshot within 60 seconds"
echo "screenshot: $screenshot"

xdotool windowfocus --sync "$wid" key F1
e2e_wait_log "viewer: statistics overlay on" 10 "the viewer ended after F1" \
    "F1 did not switch the statistics overlay on"
echo "F1: overlay on"

e2e_escape_ends "$wid" viewer

python3 "$here/check_screenshot.py" "$screenshot" || fail "the screenshot does not show the scene"
