#!/usr/bin/env bash
# hello_window.exe under Wine on a 1280 x 1024 Xvfb screen, which has no
# 1024 x 768 mode: full screen falls back to a borderless window over the
# whole desktop with one warning, and Escape typed into it ends the program
# with exit code 0.
#   hello_window_win32_e2e.sh WINE_RUN HELLO_WINDOW.exe
set -u

runner=$1
program=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../support/e2e.sh"
e2e_enter_xvfb 1280x1024 "$@"

title="Vorna3D hello window"
log=$(mktemp)
trap 'rm -f "$log"' EXIT

"$runner" "$program" >"$log" 2>&1 &
pid=$!
# The first run in a fresh build folder makes the Wine prefix first.
e2e_wait_window "$title" 90
e2e_expect_window_size "$wid" 1280x1024 "full screen is not the desktop's size"
e2e_wait_log "setFullscreen: the 1024 x 768 mode failed" 20 "hello_window ended early" \
    "no warning about the missing mode"
warnings=$(grep -c "setFullscreen: the 1024 x 768 mode failed" "$log")
[ "$warnings" -eq 1 ] || fail "$warnings warnings instead of one"
echo "full screen: desktop size, one warning"
e2e_escape_ends "$wid" hello_window 20
