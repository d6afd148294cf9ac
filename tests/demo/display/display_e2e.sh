#!/usr/bin/env bash
# sulvanto on a 1280 x 1024 Xvfb screen, which offers no 1024 x 768 mode
# (Xvfb lists its screen size alone), with SDL's dummy audio driver (a
# device that plays nowhere, paced by the wall clock). One case per run:
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
E2E_CASE=$case_name
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../support/e2e.sh"
e2e_enter_xvfb 1280x1024 "$@"
. "$here/../sulvanto_e2e_lib.sh"
mkdir -p "$shots"

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
    sulvanto_start --window
    e2e_expect_window_size "$wid" 1024x768
    sleep 4
    kill -0 "$pid" 2>/dev/null || fail "sulvanto is not running 4 s after its window appeared"
    e2e_escape "$wid"
    echo "window: 1024 x 768, Escape: exit 0"
    ;;
fullscreen)
    sulvanto_start
    sulvanto_wait_for_show
    shot="$shots/display_fullscreen_logo.png"
    rm -f "$shot"
    sulvanto_sleep_until 16
    e2e_expect_window_size "$wid" 1280x1024 "the window does not cover the screen"
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
    e2e_escape "$wid"
    expect_screen_size "after Escape"
    echo "full screen: picture scaled into 1280 x 960 between 32-row bars, Escape: exit 0, screen 1280 x 1024"
    ;;
signals)
    sulvanto_start
    sulvanto_wait_for_show
    sulvanto_sleep_until 3
    kill -TERM "$pid"
    e2e_wait_end 10 "SIGTERM"
    [ "$rc" -eq 0 ] || fail "SIGTERM: exit code $rc"
    expect_screen_size "after SIGTERM"
    echo "SIGTERM: exit 0, screen 1280 x 1024"

    sulvanto_start
    sulvanto_wait_for_show
    sulvanto_sleep_until 3
    kill -HUP "$pid"
    kill -HUP "$pid" 2>/dev/null
    e2e_wait_end 10 "SIGHUP"
    [ "$rc" -eq 0 ] || fail "SIGHUP: exit code $rc"
    expect_screen_size "after SIGHUP"
    echo "SIGHUP twice: exit 0, screen 1280 x 1024"
    ;;
*)
    fail "unknown case"
    ;;
esac
