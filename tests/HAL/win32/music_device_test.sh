#!/usr/bin/env bash
# The Windows music system through a real waveOut device: Wine's ALSA
# driver on ALSA's null device (built into libasound, no sound card
# needed), which takes the samples and counts them as played. The Wine
# prefix is a copy of the test prefix with the audio driver set to ALSA;
# ALSA's "default" is the null device through a private configuration.
#   music_device_test.sh WINE_RUN TEST.exe
set -euo pipefail
runner=$1
program=$2
bin=$(cd "$(dirname "$program")" && pwd)
build=$(dirname "$bin")

home=$build/alsa-null-home
mkdir -p "$home"
cat >"$home/.asoundrc" <<'ALSA'
pcm.!default {
    type null
}
ALSA
export HOME=$home
export WINEPREFIX=$build/wine-prefix-alsa-null
if [ ! -f "$WINEPREFIX/audio-alsa" ]; then
    # wine-run.sh makes the prefix (without audio); then the driver is set.
    "$runner" "$program" --gtest_filter=NoSuchTest >/dev/null
    reg=$WINEPREFIX/drivers.reg
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]\n"Audio"="alsa"\n' >"$reg"
    WINEDEBUG=-all xvfb-run -a wine regedit /S "$reg" >/dev/null 2>&1
    WINEDEBUG=-all wineserver -w
    rm -f "$reg"
    touch "$WINEPREFIX/audio-alsa"
fi
output=$("$runner" "$program" --gtest_filter='Win32MusicTest.Device*' 2>&1) || { echo "$output"; exit 1; }
echo "$output" | grep -E '^\[ +(OK|SKIPPED|FAILED|PASSED) +\]'
if echo "$output" | grep -q '^\[  SKIPPED \]'; then
    echo "FAIL: Wine found no waveOut device on ALSA's null device"
    exit 1
fi
