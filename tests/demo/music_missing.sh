#!/usr/bin/env bash
# Without a playable override.mp3 beside it, sulvanto says "MUSIC NOT FOUND!"
# and exits with -1 (255 to the shell), before it opens any window.
#   music_missing.sh PATH_TO_SULVANTO [RUNNER]
# With RUNNER (scripts/wine-run.sh) the program is a Windows .exe run
# through it, copied alone into the scratch folder as sulvanto.exe.
set -u
program=$1
runner=${2:-}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
if [ -n "$runner" ]; then
  copy=$dir/sulvanto.exe
  run=("$runner" "$copy")
else
  copy=$dir/sulvanto
  run=("$copy")
fi
cp "$program" "$copy"

check() {
  local what=$1
  "${run[@]}" >"$dir/out" 2>/dev/null
  local rc=$?
  local out
  # Windows writes its text lines with "\r\n".
  out=$(tr -d '\r' <"$dir/out")
  if [ "$rc" -ne 255 ] || ! grep -qx 'MUSIC NOT FOUND!' <<<"$out"; then
    echo "FAIL ($what): exit $rc, output:"; echo "$out"; exit 1
  fi
  echo "ok: $what"
}

check "no file"
: > "$dir/override.mp3"
check "empty file"
head -c 20000 /dev/urandom > "$dir/override.mp3"
check "noise"
