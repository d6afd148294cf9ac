#!/usr/bin/env bash
# sulvanto as a user runs it, on a 1024 x 768 Xvfb screen with SDL's dummy
# audio driver (a device that plays nowhere, paced by the wall clock):
#  - full screen, still running after 8 s; screenshots of the screen at
#    about 3, 8, 14 and 20 s (title, title fading, logo) are not black and
#    differ; Escape typed into the window ends it with exit code 0;
#  - without sulvanto.dat beside it (nor in the working directory) it exits
#    with 1 and names the missing archive;
#  - --window --start 158: the states before 158 s are run through before
#    the music starts, and the show reaches the change at 161 s within 5 s;
#  - with no display at all it prints one line saying so on stderr, and
#    nothing else (no sound library's errors either), and exits with 1;
#  - with SDL's ALSA back end and no sound card (as in CI) the windowed show
#    starts and runs on the silent clock with one warning saying so, and no
#    line of ALSA's own.
#   sulvanto_e2e.sh PATH_TO_SULVANTO SCREENSHOT_DIR
set -u

program=$(realpath "$1")
shots=$(realpath -m "$2")
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/e2e.sh"
e2e_enter_xvfb 1024x768 "$@"
. "$here/sulvanto_e2e_lib.sh"

bin=$(dirname "$program")
mkdir -p "$shots"
rm -f "$shots"/sulvanto_*.png

# Mean brightness of a screenshot, 0..255.
brightness() {
    convert "$1" -colorspace Gray -format "%[fx:int(255*mean)]" info:
}

# --- the show --------------------------------------------------------------
sulvanto_start
e2e_expect_window_size "$wid" 1024x768
sulvanto_wait_for_show

shoot() {
    local at=$1 name=$2
    sulvanto_sleep_until "$at"
    import -window root "$shots/sulvanto_$name.png" || fail "no screenshot at $at s"
    echo "screenshot at ${at} s: $shots/sulvanto_$name.png (brightness $(brightness "$shots/sulvanto_$name.png"))"
}
shoot 3 title
shoot 8 title_fade
shoot 14 logo
shoot 20 logo_late

kill -0 "$pid" 2>/dev/null || fail "sulvanto is not running after 20 s"
[ "$(brightness "$shots/sulvanto_logo.png")" -ge 20 ] || fail "the logo screenshot is (nearly) black"
# The title is a small line of text on black: some pixels are lit.
lit=$(convert "$shots/sulvanto_title.png" -colorspace Gray -threshold 50% -format "%[fx:int(w*h*mean)]" info:)
[ "$lit" -ge 100 ] || fail "the title screenshot shows no text ($lit lit pixels)"
[ "$(compare -metric AE "$shots/sulvanto_title.png" "$shots/sulvanto_logo.png" null: 2>&1)" != "0" ] ||
    fail "the title and logo screenshots are the same"

e2e_escape "$wid"
grep -q "State change in:" "$log" || fail "the timeline never changed state"
echo "Escape: exit 0"

# --- a start in the middle -------------------------------------------------
sulvanto_start --window --start 158
sulvanto_wait_for_show
# The changes around the helix's end (131 to 134 s) were
# run through, undrawn, before the sound started.
grep -q "State change in: 13[1-4]\." "$log" || fail "--start 158: the states before it were not run through"
sulvanto_sleep_until 5
grep -q "State change in: 161\." "$log" || fail "--start 158: the show did not reach 161 s within 5 s"
e2e_escape "$wid"
echo "--start 158: ran ahead, then $(grep -m1 "State change in: 161\." "$log") within 5 s; Escape: exit 0"

# --- no sound card ---------------------------------------------------------
if compgen -G "/dev/snd/pcmC*D*p" >/dev/null; then
    echo "no sound card: skipped, this machine has one"
else
    SDL_AUDIODRIVER=alsa sulvanto_start --window
    sulvanto_wait_for_show
    sulvanto_sleep_until 2
    e2e_escape "$wid"
    silent=$(grep -c "WARNING |Music: no audio device (.*), playing silently on the system clock" "$log")
    [ "$silent" -eq 1 ] || fail "no sound card: expected one warning about the silent clock, got $silent"
    warnings=$(grep -c "WARNING |" "$log")
    [ "$warnings" -eq 1 ] || fail "no sound card: expected one warning, got $warnings"
    if grep -q "ALSA lib" "$log"; then fail "no sound card: ALSA printed its own lines"; fi
    echo "no sound card: the show ran, Escape: exit 0; $(grep "WARNING |" "$log")"
fi

# --- no asset archive ------------------------------------------------------
cp "$program" "$scratch/sulvanto"
cp "$bin/override.mp3" "$scratch/override.mp3"
(cd "$scratch" && exec ./sulvanto) >"$log" 2>&1
rc=$?
[ "$rc" -eq 1 ] || fail "without sulvanto.dat: exit code $rc, expected 1"
grep -q "sulvanto.dat" "$log" || fail "without sulvanto.dat: the archive is not named"
echo "without sulvanto.dat: exit 1, $(grep -m1 "start-up failed" "$log")"

# --- no display ------------------------------------------------------------
# Also without a sound device: SDL's own choice of audio back end, as a new
# user starts it, and its ALSA back end (on a machine without a sound card,
# as in CI, ALSA would print its failures): the one line on stderr alone.
for audio in "" alsa; do
    what="without a display${audio:+ (SDL_AUDIODRIVER=$audio)}"
    if [ -n "$audio" ]; then audio_env=(SDL_AUDIODRIVER="$audio"); else audio_env=(-u SDL_AUDIODRIVER); fi
    (cd "$scratch" && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "${audio_env[@]}" "$program") \
        >"$scratch/out" 2>"$scratch/err"
    rc=$?
    out=$(cat "$scratch/out" "$scratch/err")
    [ "$rc" -eq 1 ] || fail "$what: exit code $rc, expected 1 ($out)"
    [ ! -s "$scratch/out" ] || fail "$what: wrote to stdout: $(cat "$scratch/out")"
    [ "$(wc -l <"$scratch/err")" -eq 1 ] || fail "$what: expected one line on stderr, got: $(cat "$scratch/err")"
    grep -q "^sulvanto: no display found.*--capture" "$scratch/err" || fail "$what: $(cat "$scratch/err")"
    echo "$what: exit 1, $(cat "$scratch/err")"
done
