#!/bin/sh
# Measures the soundtrack's integrated loudness with ffmpeg's EBU R128 meter
# and checks that it lies within -15..-13 LUFS. Exit 77 (skipped) without ffmpeg.
set -eu
mp3=${1:?usage: ffmpeg_loudness.sh override.mp3}
if ! command -v ffmpeg >/dev/null 2>&1; then
  echo "ffmpeg not installed; skipping"
  exit 77
fi
if [ ! -f "$mp3" ]; then
  echo "missing $mp3 (build the soundtrack target first)"
  exit 1
fi
log=$(ffmpeg -hide_banner -nostats -i "$mp3" -af ebur128 -f null - 2>&1)
# The summary at the end holds "I: <value> LUFS".
value=$(printf '%s\n' "$log" | sed -n 's/^ *I: *\(-\{0,1\}[0-9.]*\) LUFS.*/\1/p' | tail -n 1)
if [ -z "$value" ]; then
  printf '%s\n' "$log" | tail -n 20
  echo "no integrated loudness found in ffmpeg's output"
  exit 1
fi
echo "integrated loudness: $value LUFS"
if awk -v v="$value" 'BEGIN { exit !(v >= -15 && v <= -13) }'; then
  exit 0
fi
echo "loudness $value LUFS is outside -15..-13 LUFS"
exit 1
