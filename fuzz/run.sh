#!/usr/bin/env bash
# Builds the fuzzers with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer, engine libraries instrumented for coverage) in
# their own build folder and runs them, about two and a half minutes in all: the TAR
# fuzzer 15 s from plain TAR seeds and 15 s from gzip seeds (made here with
# the system's tar and gzip), the PNG fuzzer 30 s, the scene-file fuzzer 60 s,
# the MP3 frame index 15 s (seeds made with ffmpeg when it is installed).
# Exits non-zero when the fuzzer finds a crash, a leak or a hang; the input
# that caused it is kept in the build folder's artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${VORNA3D_FUZZ_BUILD:-$root/build-fuzz}
jobs=${VORNA3D_FUZZ_JOBS:-2}
seconds=${VORNA3D_FUZZ_SECONDS:-15}

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVORNA3D_FUZZ=ON -DVORNA3D_SANITIZE=ON -DVORNA3D_TESTS=OFF -DVORNA3D_BENCHMARKS=OFF \
  -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
cmake --build "$build" --target tar_fuzzer -j "$jobs"
fuzzer=$build/bin/tar_fuzzer

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/files/dir" "$work/plain" "$work/gzip" "$work/corpus-plain" "$work/corpus-gzip" "$build/artifacts"

# Seed archives: empty, short, block-sized and odd files, a 100-character
# name, a long path, in ustar, GNU and pax formats.
cd "$work/files"
: > empty
printf 'x' > one
head -c 100 /dev/urandom | base64 > text
head -c 512 /dev/zero | tr '\0' 'b' > block
head -c 513 /dev/urandom > odd
long=$(printf 'n%.0s' $(seq 1 96)).txt
printf 'long name' > "$long"
deep="dir/$(printf 'd%.0s' $(seq 1 60))/$(printf 'e%.0s' $(seq 1 60)).dat"
mkdir -p "$(dirname "$deep")"
printf 'deep' > "$deep"
n=0
for format in ustar gnu pax; do
  for set in "empty one" "text block odd" "$long" "$deep one"; do
    n=$((n + 1))
    # shellcheck disable=SC2086
    tar --format=$format -cf "$work/a.tar" $set
    gzip -n -c "$work/a.tar" > "$work/a.tar.gz"
    { printf '\0'; cat "$work/a.tar"; } > "$work/plain/$n.tar"
    { printf '\2'; cat "$work/a.tar.gz"; } > "$work/plain/$n.auto-gz"
    { printf '\1'; cat "$work/a.tar.gz"; } > "$work/gzip/$n.gz"
  done
done
cd "$root"

run() {
  "$fuzzer" -max_len=65536 -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/" "$@"
}
echo "tar_fuzzer: plain TAR seeds, ${seconds} s"
run "$work/corpus-plain" "$work/plain"
echo "tar_fuzzer: gzip seeds, ${seconds} s"
run "$work/corpus-gzip" "$work/gzip"

# PNG loading through the loader front end: 30 s from the PNG test suites
# (when ../shared/testdata is there) and one small hand-made RGBA image.
cmake --build "$build" --target png_fuzzer -j "$jobs"
png_seconds=${VORNA3D_FUZZ_PNG_SECONDS:-30}
mkdir -p "$work/png" "$work/corpus-png"
printf '\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x02\x00\x00\x00\x02\x08\x06\x00\x00\x00\x72\xb6\x0d\x24\x00\x00\x00\x1a\x49\x44\x41\x54\x78\x9c\x63\x60\x64\x62\x66\x61\x65\x63\xe7\x60\xe0\xe4\xe2\xe6\xe1\xe5\xe3\x17\x00\x00\x03\x66\x00\x89\x6d\xf9\x2a\x51\x00\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60\x82' > "$work/png/seed.png"
n=0
while IFS= read -r -d '' file; do
  n=$((n + 1))
  cp "$file" "$work/png/$n.png"
done < <(find "$root/../shared/testdata/png" -name '*.png' -print0 2>/dev/null)
echo "png_fuzzer: $((n + 1)) PNG seeds, ${png_seconds} s"
"$build/bin/png_fuzzer" -max_len=65536 -max_total_time="$png_seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$build/artifacts/" "$work/corpus-png" "$work/png"

# Scene files through the loader front end: 60 s from the shared scene files
# (when ../shared/testdata is there; the larger ones are cut to the maximum
# input length), the files the engine's writer makes of them, plain and
# compressed (vorna3d convert), and scenes with external references.
cmake --build "$build" --target m3g_fuzzer vorna3d -j "$jobs"
m3g_seconds=${VORNA3D_FUZZ_M3G_SECONDS:-60}
mkdir -p "$work/m3g" "$work/corpus-m3g"
n=0
while IFS= read -r -d '' file; do
  n=$((n + 1))
  cp "$file" "$work/m3g/$n.m3g"
  "$build/bin/vorna3d" convert "$file" "$work/m3g/$n-written.m3g" 2>/dev/null || true
  "$build/bin/vorna3d" convert "$file" "$work/m3g/$n-compressed.m3g" --compress 2>/dev/null || true
done < <(find "$root/../shared/testdata/m3g" -name '*.m3g' -print0 2>/dev/null)
# Scenes that refer to other files: the PNG the fuzzer's archive serves, the
# cut one it serves, one it never has and the input itself (a cycle), each
# plain and compressed. A texture shows the referenced image; the group's user
# ID varies the last byte, with which the fuzzer chooses what it serves, so
# that each seed comes once for each choice.
python3 - "$work/m3g" <<'PY'
import struct, sys, zlib
out = sys.argv[1]
def section(data, compress):
    stored = zlib.compress(data, 9) if compress else data
    head = struct.pack('<BII', 1 if compress else 0, len(stored) + 13, len(data)) + stored
    return head + struct.pack('<I', zlib.adler32(head) & 0xffffffff)
def record(kind, data):
    return struct.pack('<BI', kind, len(data)) + data
def scene(uri, user_id, compress):
    objects = record(17, struct.pack('<III??I3B5B', 0, 0, 0, False, False, 2, 0, 0, 0, 227, 241, 241, 208, 209))
    objects += record(9, struct.pack('<III????BiBI', user_id, 0, 0, False, False, True, True, 255, -1, False, 0))
    body = section(record(255, uri.encode() + b'\0'), compress) + section(objects, compress)
    size = 12 + 13 + 5 + 11 + 2 + len(body)
    header = section(record(0, struct.pack('<BB?II', 1, 0, True, size, size) + b't\0'), False)
    return bytes([0xAB, 0x4A, 0x53, 0x52, 0x31, 0x38, 0x34, 0xBB, 0x0D, 0x0A, 0x1A, 0x0A]) + header + body
for uri in ('tex.png', 'broken.png', 'missing.png', 'fuzz.m3g'):
    for compress in (False, True):
        # One seed for each of the fuzzer's three choices.
        chosen = {}
        for user_id in range(256):
            data = scene(uri, user_id, compress)
            chosen.setdefault((data[-1] >> 1) % 3, data)
        for choice, data in chosen.items():
            name = '%s/external-%s-%d%s.m3g' % (out, uri.replace('.', '-'), choice, '-z' if compress else '')
            with open(name, 'wb') as f:
                f.write(data)
PY
echo "m3g_fuzzer: $(ls "$work/m3g" | wc -l) scene seeds, ${m3g_seconds} s"
"$build/bin/m3g_fuzzer" -max_len=65536 -max_total_time="$m3g_seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$build/artifacts/" "$work/corpus-m3g" "$work/m3g"

# The MP3 frame index: 15 s from short MP3 files that ffmpeg encodes with
# LAME (when ffmpeg is there): MPEG-1, 2 and 2.5 rates, mono and stereo,
# with and without the Xing/LAME frame, with ID3v2 and ID3v1 tags, one cut
# inside a frame; and one hand-made frame header with garbage around it.
cmake --build "$build" --target mp3_index_fuzzer -j "$jobs"
mp3_seconds=${VORNA3D_FUZZ_MP3_SECONDS:-15}
mkdir -p "$work/mp3" "$work/corpus-mp3"
printf 'junk\xff\xfb\x90\x64\x00\x00TAG' > "$work/mp3/header.mp3"
if command -v ffmpeg >/dev/null; then
  for encoding in "44100 2 128k" "22050 1 64k" "8000 1 16k" "48000 2 320k"; do
    # shellcheck disable=SC2086
    set -- $encoding
    base="$work/mp3/$1-$2"
    tone=(-f lavfi -i "sine=frequency=440:sample_rate=$1:duration=0.4" -ac "$2" -c:a libmp3lame -b:a "$3")
    ffmpeg -v error -y "${tone[@]}" "$base.mp3"
    ffmpeg -v error -y "${tone[@]}" -write_xing 0 -id3v2_version 0 "$base-plain.mp3"
    ffmpeg -v error -y "${tone[@]}" -write_id3v1 1 -metadata title=seed "$base-tags.mp3"
    head -c $(( $(stat -c %s "$base.mp3") - 100 )) "$base.mp3" > "$base-cut.mp3"
  done
fi
echo "mp3_index_fuzzer: $(ls "$work/mp3" | wc -l) MP3 seeds, ${mp3_seconds} s"
"$build/bin/mp3_index_fuzzer" -max_len=65536 -max_total_time="$mp3_seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$build/artifacts/" "$work/corpus-mp3" "$work/mp3"
