#!/usr/bin/env bash
# hello_window on a 1024 x 768 Xvfb screen: the window appears at full size,
# Escape typed into it ends the program with exit code 0 within 5 seconds,
# and so does a SIGTERM.
#   hello_window_e2e.sh PATH_TO_HELLO_WINDOW
set -u

program=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../support/e2e.sh"
e2e_enter_xvfb 1024x768 "$@"

title="Vorna3D hello window"
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# Starts the program and waits for its window; sets pid and wid.
start() {
    "$program" "$@" >"$log" 2>&1 &
    pid=$!
    e2e_wait_window "$title" 20
}

start
e2e_expect_window_size "$wid" 1024x768
e2e_escape_ends "$wid" hello_window 5

start windowed
kill -TERM "$pid"
e2e_wait_end 5 "SIGTERM"
[ "$rc" -eq 0 ] || fail "SIGTERM: exit code $rc"
echo "SIGTERM: exit 0"
