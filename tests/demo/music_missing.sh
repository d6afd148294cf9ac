#!/usr/bin/env bash
# Without a playable override.mp3 beside it, sulvanto says "MUSIC NOT FOUND!"
# and exits with -1 (255 to the shell), before it opens any window.
set -u
program=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$program" "$dir/sulvanto"

check() {
  local what=$1
  local out
  out=$("$dir/sulvanto" 2>/dev/null)
  local rc=$?
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
