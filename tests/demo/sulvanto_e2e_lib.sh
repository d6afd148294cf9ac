# Sourced by the end-to-end scripts that run sulvanto on Xvfb, after
# tests/support/e2e.sh and once the script runs under Xvfb
# (e2e_enter_xvfb). The script sets `program`, the path of sulvanto.
# Sourcing makes `log` and `scratch` (an empty folder to start sulvanto
# from), removed when the script exits, and selects SDL's dummy audio
# driver (a device that plays nowhere, paced by the wall clock).

sulvanto_title="sulvanto by norvalli productions"
export SDL_AUDIODRIVER=dummy
E2E_LOG_LINES=40
log=$(mktemp)
scratch=$(mktemp -d)
trap 'rm -f "$log"; rm -rf "$scratch"' EXIT

# Starts sulvanto with the given arguments from the scratch folder (it
# finds its soundtrack and archive beside itself) and waits up to 60 s for
# its window; sets pid and wid.
sulvanto_start() {
    (cd "$scratch" && exec "$program" "$@") >"$log" 2>&1 &
    pid=$!
    e2e_wait_window "$sulvanto_title" 60
}

# Waits up to 30 s until the music (and with it the show) has started;
# sets started.
sulvanto_wait_for_show() {
    e2e_wait_log "Starting sound...OK" 30 "sulvanto ended while loading" "the music did not start within 30 s"
    started=$(date +%s.%N)
}

# Sleeps until $1 seconds after the show started; sulvanto must still run
# then.
sulvanto_sleep_until() {
    local wait
    wait=$(echo "$started + $1 - $(date +%s.%N)" | bc)
    if [ "$(echo "$wait > 0" | bc)" -eq 1 ]; then sleep "$wait"; fi
    kill -0 "$pid" 2>/dev/null || fail "sulvanto ended before $1 s"
}
