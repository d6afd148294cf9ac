# Sourced by the end-to-end scripts that drive a program's window on Xvfb.
# The script sets `log` (the program's output file) and, once the program
# runs in the background, `pid`.

# Runs the calling script again under xvfb-run on a 1024 x 768 x 24 screen
# (with the same arguments: e2e_enter_xvfb "$@"), unless it already runs
# there; GL is rendered in software.
e2e_enter_xvfb() {
    if [ -z "${VORNA3D_INSIDE_XVFB:-}" ]; then
        export VORNA3D_INSIDE_XVFB=1
        exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
    fi
    export LIBGL_ALWAYS_SOFTWARE=1
}

# Prints "FAIL: <text>" and the program's output (its last E2E_LOG_LINES
# lines when that is set), kills the program and exits with 1.
fail() {
    echo "FAIL: $*"
    if [ -n "${E2E_LOG_LINES:-}" ]; then
        echo "--- program output (last lines) ---"
        tail -n "$E2E_LOG_LINES" "$log"
    else
        echo "--- program output ---"
        cat "$log"
    fi
    [ -n "${pid:-}" ] && kill -KILL "$pid" 2>/dev/null
    exit 1
}

# Types Escape into window $1 and requires the program to end within 10
# seconds with exit code 0, having logged "$2: Escape read, stopping".
e2e_escape_ends() {
    xdotool windowfocus --sync "$1" key Escape
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "still running 10 seconds after Escape"
    wait "$pid"
    local rc=$?
    [ "$rc" -eq 0 ] || fail "Escape: exit code $rc"
    grep -q "$2: Escape read, stopping" "$log" || fail "Escape did not come through the input handle"
    echo "Escape: exit 0"
}
