#!/usr/bin/env bash
# sulvanto --capture as a user runs it, headless (no display server):
#   video      the whole show to an MP4 at 30 fps, 320 x 240: exit 0, and
#              ffprobe finds H.264 yuv420p 320x240 at 30 fps with as many
#              frames as sulvanto reported, an AAC stream, and a duration
#              within one frame of the length sulvanto printed
#   png        the first 10 s twice into PNG folders: 300 files each,
#              byte-identical between the runs, the show moving in them
#   interrupt  SIGINT during a video capture: exit 130 after the frame in
#              hand, a playable file holding the frames it reported
#   start      --start S against a capture from 0: the first 54 s at 10 fps,
#              320 x 240, then 3 s from starts inside the title's fade-in
#              (7.1 s), the fade from the logo into the lattice (20.4 s) and
#              the lattice's fade-out into the torus (50.5 s, across its
#              flash): every file byte-identical to the file of the same
#              name from 0; a start near the end runs ahead in well under a
#              second; a start past the end exits 2; a video from 160 s has
#              its sound from there, as long as its picture
#   cli        --help (exit 0, the help alone, even with nothing beside the
#              program), an unknown option (exit 2, one line naming it and
#              the help), ffmpeg missing from PATH (exit != 0, one line), a
#              one-second PNG capture with SDL's ALSA back end and no sound
#              card (exit 0, no line from or about the audio)
#   capture_e2e.sh MODE PATH_TO_SULVANTO WORK_DIR
set -u

mode=$1
program=$(realpath "$2")
work=$(realpath -m "$3")
export LIBGL_ALWAYS_SOFTWARE=1
unset DISPLAY WAYLAND_DISPLAY SDL_VIDEODRIVER
rm -rf "$work"
mkdir -p "$work"
log="$work/output.log"
E2E_CASE=$mode
E2E_LOG_LINES=30
. "$(cd "$(dirname "$0")" && pwd)/../../support/e2e.sh"

# "sulvanto: captured N frames (S s) to PATH" -> "N S"
captured() {
    sed -n 's/^sulvanto: .*captured \([0-9]*\) frames (\([0-9.]*\) s) to .*/\1 \2/p' "$log" | tail -n 1
}

probe() { # probe FILE STREAM ENTRY
    ffprobe -v error -select_streams "$2" -show_entries "stream=$3" -of default=nw=1:nk=1 "$1" | head -n 1
}

case "$mode" in
video)
    start=$(date +%s)
    (cd "$work" && "$program" --capture show.mp4 --fps 30 --size 320x240) >"$log" 2>&1
    rc=$?
    took=$(($(date +%s) - start))
    [ "$rc" -eq 0 ] || fail "exit code $rc"
    read -r frames seconds <<<"$(captured)"
    [ -n "${frames:-}" ] || fail "no 'captured N frames' line"
    video="$work/show.mp4"
    [ "$(probe "$video" v:0 codec_name)" = h264 ] || fail "video codec $(probe "$video" v:0 codec_name)"
    [ "$(probe "$video" v:0 pix_fmt)" = yuv420p ] || fail "pixel format $(probe "$video" v:0 pix_fmt)"
    [ "$(probe "$video" v:0 width)x$(probe "$video" v:0 height)" = 320x240 ] || fail "size"
    [ "$(probe "$video" v:0 r_frame_rate)" = 30/1 ] || fail "frame rate $(probe "$video" v:0 r_frame_rate)"
    [ "$(probe "$video" v:0 nb_frames)" = "$frames" ] ||
        fail "$(probe "$video" v:0 nb_frames) frames in the file, $frames reported"
    [ "$(probe "$video" a:0 codec_name)" = aac ] || fail "no AAC audio stream"
    duration=$(ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 "$video")
    vduration=$(probe "$video" v:0 duration)
    adurtion=$(probe "$video" a:0 duration)
    for d in "$duration" "$vduration" "$adurtion"; do
        awk -v d="$d" -v s="$seconds" 'BEGIN { x = d - s; if (x < 0) x = -x; exit !(x <= 1 / 30) }' ||
            fail "duration $d (file $duration, video $vduration, audio $adurtion) is not within a frame of $seconds s"
    done
    # The show ends by itself between the last fade (277 s and a second or
    # two) and the soundtrack's end (285 s).
    awk -v s="$seconds" 'BEGIN { exit !(s > 277 && s < 286) }' || fail "the show lasted $seconds s"
    echo "whole show: $frames frames, $seconds s (file $duration s), captured in $took s"
    ;;
png)
    for run in a b; do
        start=$(date +%s)
        (cd "$work" && "$program" --capture "$run/" --fps 30 --size 320x240 --capture-seconds 10) >"$log" 2>&1
        rc=$?
        [ "$rc" -eq 0 ] || fail "run $run: exit code $rc"
        read -r frames seconds <<<"$(captured)"
        [ "${frames:-}" = 300 ] || fail "run $run reported ${frames:-no} frames, expected 300"
        count=$(find "$work/$run" -name 'frame_*.png' | wc -l)
        [ "$count" -eq 300 ] || fail "run $run wrote $count files"
        [ -f "$work/$run/frame_00299.png" ] || fail "run $run: no frame_00299.png"
        (cd "$work/$run" && sha256sum frame_*.png) >"$work/$run.sums"
        echo "run $run: $count frames in $(($(date +%s) - start)) s"
    done
    cmp -s "$work/a.sums" "$work/b.sums" || fail "the runs differ: $(diff "$work/a.sums" "$work/b.sums" | head -n 4)"
    # The title is up at 0 s and still there at 1 s; by 9 s it has faded in.
    [ "$(sha256sum <"$work/a/frame_00000.png")" != "$(sha256sum <"$work/a/frame_00299.png")" ] ||
        fail "the first and last frames are the same"
    distinct=$(cut -d' ' -f1 "$work/a.sums" | sort -u | wc -l)
    echo "300 frames, byte-identical in both runs, $distinct distinct"
    ;;
interrupt)
    (cd "$work" && exec "$program" --capture part.mp4 --fps 30 --size 320x240) >"$log" 2>&1 &
    pid=$!
    # Wait for some frames on the progress line.
    e2e_wait_log 'frame [0-9]*[1-9][0-9] ' 60 "ended before any progress" "no progress within 60 s"
    kill -INT "$pid"
    e2e_wait_end 30 "SIGINT"
    [ "$rc" -eq 130 ] || fail "exit code $rc after SIGINT, expected 130"
    read -r frames seconds <<<"$(captured)"
    [ -n "${frames:-}" ] || fail "no 'captured N frames' line after SIGINT"
    [ "$(probe "$work/part.mp4" v:0 nb_frames)" = "$frames" ] ||
        fail "the file holds $(probe "$work/part.mp4" v:0 nb_frames) frames, $frames reported"
    # Every frame decodes.
    ffmpeg -v error -i "$work/part.mp4" -f null - 2>"$work/decode.log" || fail "the file does not decode"
    [ ! -s "$work/decode.log" ] || fail "decoding errors: $(head -n 3 "$work/decode.log")"
    echo "SIGINT: exit 130, $frames frames ($seconds s) playable"
    ;;
start)
    (cd "$work" && "$program" --capture full/ --fps 10 --size 320x240 --capture-seconds 54) >"$log" 2>&1 ||
        fail "the capture from 0 failed"
    for s in 7.1 20.4 50.5; do
        (cd "$work" && "$program" --capture "s$s/" --fps 10 --size 320x240 --start "$s" --capture-seconds 3) \
            >"$log" 2>&1 || fail "--start $s: exit code $?"
        count=$(find "$work/s$s" -name 'frame_*.png' | wc -l)
        [ "$count" -eq 30 ] || fail "--start $s wrote $count files, expected 30"
        # 10 fps: the first frame at or after S is number ceil(10 S).
        first=$(awk -v s="$s" 'BEGIN { f = s * 10; printf "%05d", (f == int(f)) ? f : int(f) + 1 }')
        [ -f "$work/s$s/frame_$first.png" ] || fail "--start $s: no frame_$first.png"
        for file in "$work/s$s"/frame_*.png; do
            cmp -s "$file" "$work/full/$(basename "$file")" || fail "--start $s: $(basename "$file") differs from the capture from 0"
        done
        echo "--start $s: 30 frames from frame_$first.png, byte-identical to the capture from 0"
    done

    # Running ahead to the last second costs well under a second more than
    # starting at 0 (the program's start-up and loading are the same).
    t0=$(date +%s%N)
    (cd "$work" && "$program" --capture z0/ --size 64x48 --capture-seconds 0.02) >"$log" 2>&1 || fail "--start 0"
    t1=$(date +%s%N)
    (cd "$work" && "$program" --capture z1/ --size 64x48 --start 277.9 --capture-seconds 0.02) >"$log" 2>&1 ||
        fail "--start 277.9: exit code $?"
    t2=$(date +%s%N)
    ahead=$(( (t2 - t1 - (t1 - t0)) / 1000000 ))
    [ "$ahead" -lt 1000 ] || fail "running ahead to 277.9 s took $ahead ms more than starting at 0"
    [ -f "$work/z1/frame_16674.png" ] || fail "--start 277.9 at 60 fps: no frame_16674.png (277.900 s)"
    echo "--start 277.9: ahead in about $ahead ms"

    # Past the end: at parse time, and at a rate whose grid ends the show
    # before the first frame at or after the start (5 fps: 278.2 s is the last).
    for args in "--start 278.35" "--start 300 --fps 30" "--start 278.3 --fps 5"; do
        # shellcheck disable=SC2086
        (cd "$work" && "$program" --capture late/ $args) >"$work/out" 2>"$work/err"
        rc=$?
        [ "$rc" -eq 2 ] || fail "$args: exit code $rc, expected 2"
        grep -q "past the show's end" "$work/err" || fail "$args: $(head -n 1 "$work/err")"
    done
    [ ! -e "$work/late/frame_00000.png" ] || fail "a start past the end wrote frames"
    echo "starts past the end: exit 2"

    (cd "$work" && "$program" --capture part.mp4 --fps 30 --size 320x240 --start 160 --capture-seconds 2) >"$log" 2>&1 ||
        fail "video from 160 s: exit code $?"
    [ "$(probe "$work/part.mp4" v:0 nb_frames)" = 60 ] || fail "video from 160 s: $(probe "$work/part.mp4" v:0 nb_frames) frames"
    adur=$(probe "$work/part.mp4" a:0 duration)
    awk -v d="$adur" 'BEGIN { exit !(d > 1.9 && d < 2.1) }' || fail "video from 160 s: audio of $adur s"
    echo "video from 160 s: 60 frames, audio $adur s"
    ;;
cli)
    # --help: before anything starts, so even without the soundtrack.
    cp "$program" "$work/sulvanto"
    out=$("$work/sulvanto" --help 2>"$work/err")
    rc=$?
    [ "$rc" -eq 0 ] || fail "--help: exit code $rc"
    [ ! -s "$work/err" ] || fail "--help wrote to stderr: $(cat "$work/err")"
    head -n 1 <<<"$out" | grep -q '^usage: sulvanto' || fail "--help: $out"
    grep -q -- '--capture-seconds' <<<"$out" || fail "--help does not list --capture-seconds"
    grep -q 'MUSIC' <<<"$out" && fail "--help started the music: $out"

    "$program" --bogus >"$work/out" 2>"$work/err"
    rc=$?
    [ "$rc" -eq 2 ] || fail "unknown option: exit code $rc"
    [ ! -s "$work/out" ] || fail "unknown option wrote to stdout: $(cat "$work/out")"
    head -n 1 "$work/err" | grep -q "^sulvanto: .*'--bogus'" || fail "unknown option: $(head -n 1 "$work/err")"
    sed -n 2p "$work/err" | grep -q '^usage: sulvanto' || fail "unknown option: no help after the error line"

    "$program" --fps 30 >/dev/null 2>"$work/err"
    rc=$?
    [ "$rc" -eq 2 ] || fail "--fps without --capture: exit code $rc"

    out=$(cd "$work" && PATH=/nonexistent "$program" --capture show.mp4 --capture-seconds 1 2>&1)
    rc=$?
    [ "$rc" -ne 0 ] || fail "without ffmpeg: exit code 0"
    [ "$(grep -c . <<<"$out")" -eq 1 ] || fail "without ffmpeg: expected one line, got: $out"
    grep -q ffmpeg <<<"$out" || fail "without ffmpeg: $out"
    [ ! -e "$work/show.mp4" ] || fail "without ffmpeg: a file was written"
    echo "--help exit 0; --bogus exit 2; without ffmpeg exit $rc: $out"

    # A capture never opens an audio device: with SDL's ALSA back end on a
    # machine without a sound card (as in CI) ALSA would print its failures
    # and the music system its warning about the silent clock.
    (cd "$work" && SDL_AUDIODRIVER=alsa "$program" --capture frames/ --capture-seconds 1) >"$work/out" 2>"$work/err"
    rc=$?
    [ "$rc" -eq 0 ] || fail "--capture frames/ --capture-seconds 1: exit code $rc: $(cat "$work/err")"
    [ -f "$work/frames/frame_00000.png" ] || fail "--capture frames/: no frame_00000.png"
    if grep -qi "ALSA\|audio\|silently" "$work/out" "$work/err"; then
        fail "the capture went near the audio: $(grep -hi "ALSA\|audio\|silently" "$work/out" "$work/err" | head -n 3)"
    fi
    echo "--capture frames/ --capture-seconds 1: exit 0, nothing from the audio libraries"
    ;;
*)
    fail "unknown mode"
    ;;
esac
echo "ok: $mode"
