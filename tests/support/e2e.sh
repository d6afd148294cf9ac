# Sourced by the end-to-end scripts that run a program and check what it
# shows and logs (most of them drive its window on Xvfb). The script sets
# `log` (the program's output file) and, once the program runs in the
# background, `pid`; E2E_CASE names the case in failure lines and
# E2E_LOG_LINES limits the output shown with them.

# Runs the calling script again under xvfb-run on a $1 (WIDTHxHEIGHT)
# screen of 24-bit colour, with the script's own arguments after it
# (e2e_enter_xvfb 1024x768 "$@"), unless it already runs there; GL is
# rendered in software.
e2e_enter_xvfb() {
    local size=$1
    shift
    if [ -z "${VORNA3D_INSIDE_XVFB:-}" ]; then
        export VORNA3D_INSIDE_XVFB=1
        exec xvfb-run -a -s "-screen 0 ${size}x24" bash "$0" "$@"
    fi
    export LIBGL_ALWAYS_SOFTWARE=1
}

# Prints "FAIL: <text>" ("FAIL (<case>): <text>" with E2E_CASE set) and the
# program's output when there is any (its last E2E_LOG_LINES lines when
# that is set, a progress line's carriage returns as line ends), kills the
# program and exits with 1.
fail() {
    echo "FAIL${E2E_CASE:+ ($E2E_CASE)}: $*"
    if [ -n "${log:-}" ] && [ -f "$log" ]; then
        if [ -n "${E2E_LOG_LINES:-}" ]; then
            echo "--- program output (last $E2E_LOG_LINES lines) ---"
            tail -n "$E2E_LOG_LINES" "$log" | tr '\r' '\n' | tail -n "$E2E_LOG_LINES"
        else
            echo "--- program output ---"
            cat "$log"
        fi
    fi
    [ -n "${pid:-}" ] && kill -KILL "$pid" 2>/dev/null
    exit 1
}

# Waits up to $2 seconds for a window named exactly $1; sets wid.
e2e_wait_window() {
    wid=$(timeout "$2" xdotool search --sync --name "^$1\$" 2>/dev/null | head -n 1)
    [ -n "$wid" ] || fail "no window named '$1' appeared"
}

# Waits up to $2 seconds for the program to log a line matching $1 (a
# grep pattern). Fails with $3 when the program ends without it, with $4
# when the time runs out.
e2e_wait_log() {
    for _ in $(seq $(($2 * 10))); do
        grep -q -- "$1" "$log" 2>/dev/null && return
        if ! kill -0 "$pid" 2>/dev/null; then
            grep -q -- "$1" "$log" 2>/dev/null && return
            fail "$3"
        fi
        sleep 0.1
    done
    grep -q -- "$1" "$log" 2>/dev/null || fail "$4"
}

# Requires window $1 to be $2 (WIDTHxHEIGHT) in size; $3 says what that
# means in the failure line (default "the window is not WIDTH x HEIGHT").
e2e_expect_window_size() {
    local geometry
    geometry=$(xdotool getwindowgeometry "$1")
    echo "$geometry" | grep -q "Geometry: $2\$" || fail "${3:-the window is not ${2/x/ x }}: $geometry"
}

# Waits up to $1 seconds for the program to end; sets rc. Fails with
# "still running $1 seconds after $2" otherwise.
e2e_wait_end() {
    for _ in $(seq $(($1 * 10))); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            rc=$?
            return
        fi
        sleep 0.1
    done
    fail "still running $1 seconds after $2"
}

# Types Escape into window $1 and requires the program to end within $2
# seconds (10 when not given) with exit code 0.
e2e_escape() {
    xdotool windowfocus --sync "$1" key Escape
    e2e_wait_end "${2:-10}" "Escape"
    [ "$rc" -eq 0 ] || fail "Escape: exit code $rc"
}

# e2e_escape into window $1 (within $3 seconds, 10 when not given), and the
# program logged "$2: Escape read, stopping".
e2e_escape_ends() {
    e2e_escape "$1" "${3:-10}"
    grep -q "$2: Escape read, stopping" "$log" || fail "Escape did not come through the input handle"
    echo "Escape: exit 0"
}
