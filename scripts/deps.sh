#!/usr/bin/env bash
# The Debian 12 packages the project needs, in one place.
#   scripts/deps.sh run    packages to build and run the demo
#   scripts/deps.sh test   packages to build and run every test as well
# Missing packages are installed when running as root (apt-get update first);
# otherwise the exact install line is printed and the script fails.
set -euo pipefail

run_packages=(
  cmake ninja-build g++ pkg-config
  libsdl2-dev libmpg123-dev libmp3lame-dev zlib1g-dev libpng-dev
  libgl-dev libglu1-mesa-dev libgl1-mesa-dri libegl1 libegl-mesa0
  libfreetype-dev fonts-dejavu-core
)
test_packages=(
  libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth xdotool ffmpeg python3 imagemagick bc
  g++-mingw-w64-x86-64-posix wine wine64 libz-mingw-w64-dev
)

case "${1:-run}" in
  run) wanted=("${run_packages[@]}") ;;
  test) wanted=("${run_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 [run|test]" >&2; exit 2 ;;
esac

missing=()
for pkg in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
else
  echo "Missing Debian packages. Install them with:" >&2
  echo "  sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
