#!/usr/bin/env bash
# sulvanto on a 1280 x 1024 Xvfb screen, which offers no 1024 x 768 mode
# (Xvfb lists its screen size alone), with SDL's dummy audio driver (the
# music player falls back to its silent clock). One case per run:
#   window      --window opens a 1024 x 768 window that still runs after a
#               few seconds and ends on Escape with exit code 0;
#   fullscreen  full screen in the desktop's mode: a screenshot of the logo
#               (16 s into the show) has black bars of 32 rows at the top
#               and the bottom around a 1280 x 960 picture (1024 x 768
#               scaled by 1280 / 1024 = 1.25 and centred: (1024 - 960) / 2 =
#               32); Escape ends it with exit code 0 and the screen is still
#               1280 x 1024;
#   signals     SIGTERM ends the full-screen show with exit code 0, and so
#               does SIGHUP sent twice (the second while it shuts down);
#               the screen is still 1280 x 1024.
#   display_e2e.sh PATH_TO_SULVANTO CASE SCREENSHOT_DIR
set -u

program=$(realpath "$1")
case_name=$2
shots=$(realpath -m "$3")
if [ -z "${VORNA3D_INSIDE_XVFB:-}" ]; then
    export VORNA3D_INSIDE_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
export LIBGL_ALWAYS_SOFTWARE=1
export SDL_AUDIODRIVER=dummy

title="sulvanto by norvalli productions"
log=$(mktemp)
scratch=$(mktemp -d)
trap 'rm -f "$log"; rm -rf "$scratch"' EXIT
mkdir -p "$shots"

fail() {
    echo "FAIL ($case_name): $*"
    echo "--- program output (last 40 lines) ---"
    tail -n 40 "$log"
    [ -n "${pid:-}" ] && kill -KILL "$pid" 2>/dev/null
    exit 1
}

# Starts sulvanto from a scratch directory (it finds its soundtrack and
# archive beside itself) and waits for its window; sets pid and wid.
start() {
    (cd "$scratch" && exec "$program" "$@") >"$log" 2>&1 &
    pid=$!
    wid=$(timeout 60 xdotool search --sync --name "^${title}\$" 2>/dev/null | head -n 1)
    [ -n "$wid" ] || fail "no window named '$title' appeared"
}

# Waits until the music (and with it the show) has started; sets started.
wait_for_show() {
    for _ in $(seq 300); do
        grep -q "Starting sound...OK" "$log" && break
        kill -0 "$pid" 2>/dev/null || fail "sulvanto ended while loading"
        sleep 0.1
    done
    grep -q "Starting sound...OK" "$log" || fail "the music did not start within 30 s"
    started=$(date +%s.%N)
}

# Sleeps until `at` seconds after the show started.
sleep_until() {
    local wait
    wait=$(echo "$started + $1 - $(date +%s.%N)" | bc)
    if [ "$(echo "$wait > 0" | bc)" -eq 1 ]; then sleep "$wait"; fi
}

# Waits up to 10 seconds for sulvanto to end; sets rc.
finish() {
    for _ in $(seq 100); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            rc=$?
            return
        fi
        sleep 0.1
    done
    fail "still running 10 seconds after $1"
}

expect_screen_size() {
    local dimensions
    dimensions=$(xdpyinfo | grep -m1 "dimensions:")
    echo "$dimensions" | grep -q "1280x1024 pixels" || fail "$1: the screen is not 1280 x 1024: $dimensions"
}

# Largest and mean grey value (0..255) of a region WxH+X+Y of an image.
region_max() {
    convert "$1" -crop "$2" +repage -colorspace Gray -format "%[fx:int(255*maxima+0.5)]" info:
}
region_mean() {
    convert "$1" -crop "$2" +repage -colorspace Gray -format "%[fx:int(255*mean+0.5)]" info:
}

case "$case_name" in
window)
    start --window
    geometry=$(xdotool getwindowgeometry "$wid")
    echo "$geometry" | grep -q "Geometry: 1024x768" || fail "the window is not 1024 x 768: $geometry"
    sleep 4
    kill -0 "$pid" 2>/dev/null || fail "sulvanto is not running 4 s after its window appeared"
    xdotool windowfocus --sync "$wid" key Escape
    finish "Escape"
    [ "$rc" -eq 0 ] || fail "Escape: exit code $rc"
    echo "window: 1024 x 768, Escape: exit 0"
    ;;
fullscreen)
    start
    wait_for_show
    shot="$shots/display_fullscreen_logo.png"
    rm -f "$shot"
    sleep_until 16
    kill -0 "$pid" 2>/dev/null || fail "sulvanto ended before 16 s"
    geometry=$(xdotool getwindowgeometry "$wid")
    echo "$geometry" | grep -q "Geometry: 1280x1024" || fail "the window does not cover the screen: $geometry"
    import -window root "$shot" || fail "no screenshot"
    size=$(identify -format "%wx%h" "$shot")
    [ "$size" = "1280x1024" ] || fail "the screenshot is $size"
    top=$(region_max "$shot" 1280x32+0+0)
    bottom=$(region_max "$shot" 1280x32+0+992)
    picture=$(region_mean "$shot" 1280x960+0+32)
    # The picture's own first and last rows: a bar one row too high shows here.
    first_row=$(region_max "$shot" 1280x1+0+32)
    last_row=$(region_max "$shot" 1280x1+0+991)
    echo "screenshot at 16 s: $shot (bars: top max $top, bottom max $bottom; picture mean $picture;" \
        "picture rows 32 and 991 max $first_row, $last_row)"
    [ "$top" -eq 0 ] || fail "the top bar (rows 0-31) is not black: max $top"
    [ "$bottom" -eq 0 ] || fail "the bottom bar (rows 992-1023) is not black: max $bottom"
    [ "$picture" -ge 20 ] || fail "the picture (rows 32-991) is (nearly) black: mean $picture"
    scaled=$(grep -c "the picture is scaled into 1280 x 1024" "$log")
    [ "$scaled" -eq 1 ] || fail "expected one warning that the picture is scaled into 1280 x 1024, got $scaled"
    xdotool windowfocus --sync "$wid" key Escape
    finish "Escape"
    [ "$rc" -eq 0 ] || fail "Escape: exit code $rc"
    expect_screen_size "after Escape"
    echo "full screen: picture scaled into 1280 x 960 between 32-row bars, Escape: exit 0, screen 1280 x 1024"
    ;;
signals)
    start
    wait_for_show
    sleep_until 3
    kill -TERM "$pid"
    finish "SIGTERM"
    [ "$rc" -eq 0 ] || fail "SIGTERM: exit code $rc"
    expect_screen_size "after SIGTERM"
    echo "SIGTERM: exit 0, screen 1280 x 1024"

    start
    wait_for_show
    sleep_until 3
    kill -HUP "$pid"
    kill -HUP "$pid" 2>/dev/null
    finish "SIGHUP"
    [ "$rc" -eq 0 ] || fail "SIGHUP: exit code $rc"
    expect_screen_size "after SIGHUP"
    echo "SIGHUP twice: exit 0, screen 1280 x 1024"
    ;;
*)
    fail "unknown case"
    ;;
esac
