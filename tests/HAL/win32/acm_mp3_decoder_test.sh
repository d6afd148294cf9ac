#!/usr/bin/env bash
# The ACM MP3 decoder under Wine against libmpg123 on Linux: the Linux
# build's mp3_reference encodes the test files and decodes each of them with
# libmpg123, then the Windows test program compares its own decode with that.
# Files: the soundtrack (44.1 kHz stereo with a LAME tag), a 22.05 kHz mono
# sweep, a 48 kHz stereo sweep without a LAME tag.
#   acm_mp3_decoder_test.sh WINE_RUN TEST.exe HOST_BIN
set -euo pipefail
runner=$1
program=$2
host=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
[ -f "$host/override.mp3" ] || { echo "no override.mp3 in $host" >&2; exit 1; }
cp "$host/override.mp3" "$work/override.mp3"
"$host/mp3_reference" encode-sweep 22050 1 3.3 "$work/mono22k.mp3"
"$host/mp3_reference" encode-sweep 48000 2 2.7 "$work/notag48k.mp3" --no-tag
for name in override mono22k notag48k; do
    "$host/mp3_reference" decode "$work/$name.mp3" "$work/$name.raw"
done
# A name beyond ASCII: the decoder takes UTF-8 paths.
cp "$work/mono22k.mp3" "$work/sävel.mp3"
"$runner" "$program" "$work" override mono22k notag48k
