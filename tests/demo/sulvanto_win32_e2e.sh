#!/usr/bin/env bash
# sulvanto.exe under Wine, as a user runs it, on a 1280 x 1024 Xvfb screen
# (the 1024 x 768 window and the frame Wine draws around it fit):
#   window   --help (exit 0) and a wrong option (exit 2) as on Linux;
#            --window: the window opens, the title is lit at about 3 s and
#            the logo at 14 s is no black screen and differs from it; the
#            timeline changes state; Escape ends it with exit code 0; Wine
#            has no sound driver here: one warning, the silent clock
#   capture  --capture DIR/ --fps 1 --capture-seconds 20, and the whole
#            show at --fps 1, against the Linux build's sulvanto doing the
#            same (HOST_SULVANTO, on Mesa's software rasteriser like Wine's
#            OpenGL here): 20 and 279 frames each, each pair
#            within the tolerance below, the show visible in them, the
#            capture's window never shown; the figures are printed. A
#            video: without ffmpeg.exe on PATH one line and exit 1; with a
#            stand-in on PATH the frames and the soundtrack reach it.
#            Ctrl+C during a capture: exit 130, every frame reported stored
#   zip      the compo zip made twice (MAKE_ZIP NFO STRIP): byte-identical,
#            the four files in order; unpacked alone into an empty folder
#            it plays with --window (the title lit at 3 s) and Escape gives
#            exit code 0
#   sulvanto_win32_e2e.sh MODE WINE_RUN SULVANTO.exe WORK_DIR [MODE'S FILES...]
set -u

mode=$1
runner=$2
exe=$(realpath "$3")
work=$(realpath -m "$4")
shift 4
extra=("$@")
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/e2e.sh"
e2e_enter_xvfb 1280x1024 "$mode" "$runner" "$exe" "$work" "${extra[@]}"
# sulvanto_start runs "$program" "$@": here the runner with the .exe first.
program=$runner
. "$here/sulvanto_e2e_lib.sh"
E2E_CASE=$mode
rm -rf "$work"
mkdir -p "$work"
bin=$(dirname "$exe")

brightness() {
    convert "$1" -colorspace Gray -format "%[fx:int(255*mean)]" info:
}

# Pixels of $1 brighter than half: the title is a small line of text on black.
lit_pixels() {
    convert "$1" -colorspace Gray -threshold 50% -format "%[fx:int(w*h*mean)]" info:
}

# Takes a picture of window $wid at $1 s after the show started into $2.
shoot() {
    sulvanto_sleep_until "$1"
    import -window "$wid" "$2" || fail "no screenshot at $1 s"
    echo "screenshot at $1 s: $2 (brightness $(brightness "$2"), $(lit_pixels "$2") pixels lit)"
}

# Starts SULVANTO.exe (default: the build's) --window, waits for the show
# and requires the title lit in a screenshot at 3 s.
start_window() {
    sulvanto_start "${1:-$exe}" --window
    sulvanto_wait_for_show
    shoot 3 "$work/title.png"
    [ "$(lit_pixels "$work/title.png")" -ge 100 ] || fail "the title screenshot shows no text"
}

case $mode in
window)
    # The help on standard output, exit 0; a wrong option: exit 2, the help
    # on standard error after one line naming it.
    "$runner" "$exe" --help >"$work/out" 2>"$work/err"
    rc=$?
    [ "$rc" -eq 0 ] && [ ! -s "$work/err" ] && grep -q "^usage: sulvanto \[--window\]" "$work/out" ||
        fail "--help: exit code $rc, $(cat "$work/out" "$work/err")"
    "$runner" "$exe" --no-such-option >"$work/out" 2>"$work/err"
    rc=$?
    [ "$rc" -eq 2 ] && [ ! -s "$work/out" ] && head -n 1 "$work/err" | grep -q "^sulvanto: .*--no-such-option" ||
        fail "a wrong option: exit code $rc, $(cat "$work/out" "$work/err")"
    echo "--help: exit 0; a wrong option: exit 2, $(head -n 1 "$work/err" | tr -d '\r')"

    start_window
    shoot 14 "$work/logo.png"
    [ "$(brightness "$work/logo.png")" -ge 20 ] || fail "the logo screenshot is (nearly) black"
    [ "$(compare -metric AE "$work/title.png" "$work/logo.png" null: 2>&1)" != "0" ] ||
        fail "the title and logo screenshots are the same"
    grep -q "State change in:" "$log" || fail "the timeline never changed state"
    e2e_escape "$wid"
    echo "Escape: exit 0"
    # The runner's Wine prefix has no sound driver (as a machine without a
    # sound card): the show ran on the silent clock, with one warning.
    silent=$(grep -c "WARNING |Music: no audio device (.*), playing silently on the system clock" "$log")
    warnings=$(grep -c "WARNING |" "$log")
    [ "$silent" -eq 1 ] && [ "$warnings" -eq 1 ] ||
        fail "no sound device: $warnings warnings, $silent about the silent clock; expected that one alone"
    echo "no sound device: $(grep "WARNING |" "$log" | tr -d '\r')"
    ;;

capture)
    host=${extra[0]}
    [ -x "$host" ] || fail "no Linux sulvanto at $host (the host build's bin folder, VORNA3D_HOST_BIN)"
    # The first 20 s, and the whole show: 20 and 279 frames.
    for part in first show; do
        seconds=()
        [ "$part" = first ] && seconds=(--capture-seconds 20)
        # Z: is the whole Unix file system in a Wine prefix.
        (cd "$scratch" && "$runner" "$exe" --capture "Z:$work/windows/$part/" --fps 1 "${seconds[@]}") >"$log" 2>&1 ||
            fail "the Windows capture ($part) failed"
        (cd "$scratch" && env -u DISPLAY LIBGL_ALWAYS_SOFTWARE=1 "$host" --capture "$work/linux/$part/" --fps 1 \
            "${seconds[@]}") >"$log" 2>&1 || fail "the Linux capture ($part) failed"
    done
    # The tolerance: both sides draw with the same Mesa software rasteriser
    # (Wine hands OpenGL to the host's) from the same engine code, built by
    # two compilers against two C libraries (msvcrt, glibc), whose sin and
    # cos differ in the last bits: a vertex a hair away moves single edge
    # pixels of a line or a sprite. A frame a time step off, a wrong blend,
    # another random sequence or a missing object changes far more: a fade
    # a step off every pixel by one level, the torus's other reds about
    # 65,000 pixels. So: at most 0.1% of the pixels (786 of 1024 x 768)
    # differ per frame. Measured on Wine 8.0: the first 20 s identical;
    # over the whole show 39 frames identical, 240 with 1 to 573 pixels
    # differing (median 58, lowest PSNR 47.2 dB: a few pixels, wholly).
    worst_ae=0
    worst_psnr=inf
    first_ae=0
    identical=0
    shown=0
    for part in first show; do
        expected=279
        [ "$part" = first ] && expected=20
        windows=$(ls "$work/windows/$part" | wc -l)
        linux=$(ls "$work/linux/$part" | wc -l)
        [ "$windows" -eq "$expected" ] && [ "$linux" -eq "$expected" ] ||
            fail "$part: $windows Windows and $linux Linux frames, expected $expected each"
        for file in "$work/linux/$part"/frame_*.png; do
            name=$(basename "$file")
            other=$work/windows/$part/$name
            [ -f "$other" ] || fail "no Windows $part/$name"
            [ "$(identify -format %wx%h "$other")" = 1024x768 ] || fail "Windows $part/$name is not 1024 x 768"
            ae=$(compare -metric AE "$file" "$other" null: 2>&1)
            [ "$ae" -le 786 ] || fail "$part/$name: $ae pixels differ (at most 786)"
            if [ "$part" = first ]; then
                [ "$ae" -gt "$first_ae" ] && first_ae=$ae
                [ "$(brightness "$file")" -ge 20 ] && shown=$((shown + 1))
                continue
            fi
            if [ "$ae" -eq 0 ]; then
                identical=$((identical + 1))
                continue
            fi
            psnr=$(compare -metric PSNR "$file" "$other" null: 2>&1)
            echo "$part/$name: $ae pixels differ, PSNR $psnr dB"
            [ "$ae" -gt "$worst_ae" ] && worst_ae=$ae
            if [ "$worst_psnr" = inf ] || [ "$(echo "$psnr < $worst_psnr" | bc)" -eq 1 ]; then worst_psnr=$psnr; fi
        done
    done
    # The title fades in over the first seconds; the logo is bright.
    [ "$shown" -ge 8 ] || fail "only $shown of the first 20 frames show more than a dark screen"
    echo "Windows against Linux: the first 20 s (20 frames), at most $first_ae pixels differ;" \
         "the whole show (279 frames), $identical identical, at most $worst_ae pixels differ," \
         "lowest PSNR $worst_psnr dB"

    # A video without ffmpeg.exe on PATH: one line, exit 1, nothing made.
    (cd "$scratch" && "$runner" "$exe" --capture "Z:$work/video.mp4") >"$work/out" 2>"$work/err"
    rc=$?
    err=$(tr -d '\r' <"$work/err")
    [ "$rc" -eq 1 ] || fail "without ffmpeg.exe: exit code $rc, expected 1 ($err)"
    [ ! -s "$work/out" ] && [ "$(wc -l <<<"$err")" -eq 1 ] || fail "without ffmpeg.exe: more than one line: $err"
    grep -q "^sulvanto: ffmpeg not found on PATH" <<<"$err" || fail "without ffmpeg.exe: $err"
    [ ! -e "$work/video.mp4" ] || fail "without ffmpeg.exe: a video was made"
    echo "without ffmpeg.exe: exit 1, $err"
    # With one (the tests' stand-in, which writes what it got into the
    # video's file): 2 frames of 64 x 48 RGBA and the soundtrack beside the
    # program.
    mkdir "$work/ffmpeg"
    cp "$bin/fake_encoder.exe" "$work/ffmpeg/ffmpeg.exe"
    (cd "$scratch" && WINEPATH="Z:$work/ffmpeg" "$runner" "$exe" --capture "Z:$work/video.mp4" --fps 2 \
        --size 64x48 --capture-seconds 1) >"$log" 2>&1 || fail "the video capture through ffmpeg.exe failed"
    [ "$(head -n 1 "$work/video.mp4")" = $((2 * 64 * 48 * 4)) ] ||
        fail "ffmpeg.exe read $(head -n 1 "$work/video.mp4") bytes, expected 2 frames of 64 x 48"
    grep -qi "^-i\$" "$work/video.mp4" && grep -qi "^Z:.*[/\\]override.mp3\$" "$work/video.mp4" ||
        fail "ffmpeg.exe was not given the soundtrack: $(cat "$work/video.mp4")"
    grep -q "captured 2 frames" "$log" || fail "the video capture did not report 2 frames"
    echo "with ffmpeg.exe on PATH: 2 frames of 64 x 48 and the soundtrack reached it"

    # Ctrl+C (Wine turns SIGINT into the console's Ctrl+C event) during a
    # capture of the whole show: the frame in hand is finished and stored,
    # exit code 130.
    (cd "$scratch" && exec "$runner" "$exe" --capture "Z:$work/interrupt/" --fps 30 --size 320x240) >"$log" 2>&1 &
    pid=$!
    for _ in $(seq 600); do
        [ "$(ls "$work/interrupt" 2>/dev/null | wc -l)" -ge 30 ] && break
        kill -0 "$pid" 2>/dev/null || fail "the capture to interrupt ended early"
        sleep 0.1
    done
    # The capture's window is hidden.
    [ -z "$(xdotool search --onlyvisible --name "^$sulvanto_title\$" 2>/dev/null)" ] ||
        fail "the capture shows a window"
    # The Windows process itself, started by wine under the runner.
    windows_pid=$(pgrep -n -f -x "$exe --capture Z:$work/interrupt/ --fps 30 --size 320x240")
    [ -n "$windows_pid" ] || fail "the capture's Windows process is not to be found"
    kill -INT "$windows_pid"
    e2e_wait_end 30 "Ctrl+C"
    [ "$rc" -eq 130 ] || fail "Ctrl+C: exit code $rc, expected 130"
    line=$(grep -a "stopped by signal 2: captured" "$log" | tr -d '\r')
    frames=$(sed -n 's/.*captured \([0-9]*\) frames.*/\1/p' <<<"$line")
    [ -n "$frames" ] || fail "Ctrl+C: no line saying the capture stopped"
    [ "$(ls "$work/interrupt" | wc -l)" -eq "$frames" ] ||
        fail "Ctrl+C: $(ls "$work/interrupt" | wc -l) files for $frames frames reported"
    echo "Ctrl+C: exit 130, $frames frames, each stored"
    ;;

zip)
    make_zip=${extra[0]}
    nfo=${extra[1]}
    strip=${extra[2]}
    files=("$exe" "$bin/sulvanto.dat" "$bin/override.mp3" "$nfo")
    python3 "$make_zip" "$work/first/sulvanto-win64.zip" --strip "$strip" "${files[@]}" || fail "the zip step failed"
    sleep 1 # a time stamp taken from the clock would differ now
    python3 "$make_zip" "$work/second/sulvanto-win64.zip" --strip "$strip" "${files[@]}" || fail "the zip step failed"
    zip=$work/first/sulvanto-win64.zip
    cmp -s "$zip" "$work/second/sulvanto-win64.zip" || fail "two zips of the same files differ"
    names=$(unzip -Z1 "$zip" | tr '\n' ' ')
    [ "$names" = "sulvanto.exe sulvanto.dat override.mp3 sulvanto.nfo " ] || fail "the zip holds: $names"
    echo "zip: $(stat -c %s "$zip") bytes, the same twice; $names"
    mkdir "$work/unpacked"
    (cd "$work/unpacked" && unzip -q "$zip") || fail "the zip does not unpack"
    start_window "$work/unpacked/sulvanto.exe"
    e2e_escape "$wid"
    echo "unpacked alone: the show plays; Escape: exit 0"
    ;;

*)
    fail "unknown mode $mode"
    ;;
esac
