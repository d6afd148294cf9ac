#!/usr/bin/env bash
# package_test.sh BUILD_DIR SOURCE_DIR: installs the engine from BUILD_DIR into
# a scratch prefix; builds examples/installed against it with find_package and
# with pkg-config and runs both; then configures a project that takes the repo
# through add_subdirectory and checks that it gets the engine alone.
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
work=$build/package-test
rm -rf "$work"
mkdir -p "$work"
fail() { echo "package_test: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/prefix" >"$work/install.log"
for f in lib/cmake/Vorna3D/Vorna3DConfig.cmake lib/cmake/Vorna3D/Vorna3DConfigVersion.cmake \
         include/Vorna3D/core/FileSystem.h include/Vorna3D/render/loaders/Loader.h \
         include/Vorna3D/slmath/slmath.h; do
  [ -f "$work/prefix/$f" ] || fail "not installed: $f"
done
[ -z "$(find "$work/prefix/include" -path '*/sdl/*' -o -path '*/win32/*')" ] || fail "platform headers installed"
pc=$(find "$work/prefix" -name vorna3d.pc)
[ -n "$pc" ] || fail "no vorna3d.pc"

# find_package
cmake -S "$src/examples/installed" -B "$work/example" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" >"$work/example.log" ||
  fail "configuring the example failed (see $work/example.log)"
cmake --build "$work/example" >>"$work/example.log" 2>&1 || fail "building the example failed (see $work/example.log)"
out=$("$work/example/scene_roundtrip") || fail "scene_roundtrip (CMake package) failed: $out"
grep -q "world 2024 with its camera read back" <<<"$out" || fail "unexpected output: $out"

# pkg-config
export PKG_CONFIG_PATH
PKG_CONFIG_PATH=$(dirname "$pc")
# shellcheck disable=SC2046 # the flags are words
c++ "$src/examples/installed/main.cpp" -o "$work/pc_roundtrip" $(pkg-config --cflags --libs vorna3d) ||
  fail "building with pkg-config's flags failed"
"$work/pc_roundtrip" | grep -q "world 2024 with its camera read back" || fail "pc_roundtrip failed"

# add_subdirectory: the engine's libraries, none of the demo, tools or tests,
# and the parent's build type left alone.
mkdir -p "$work/parent"
cat >"$work/parent/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(parent LANGUAGES C CXX)
add_subdirectory("$src" vorna3d)
foreach(t core HAL slmath render framework Vorna3D::Vorna3D)
  if(NOT TARGET \${t})
    message(FATAL_ERROR "missing engine target \${t}")
  endif()
endforeach()
foreach(t sulvanto sulvanto_lib vorna3d bake compose viewer core_tests test_support)
  if(TARGET \${t})
    message(FATAL_ERROR "the parent project got \${t}")
  endif()
endforeach()
get_property(type CACHE CMAKE_BUILD_TYPE PROPERTY VALUE)
if(type)
  message(FATAL_ERROR "the build type was forced to \${type}")
endif()
CMAKE
cmake -S "$work/parent" -B "$work/parent-build" -G Ninja >"$work/parent.log" 2>&1 ||
  fail "add_subdirectory use failed: $(grep -m1 -A2 'Error' "$work/parent.log")"
echo "package_test: installed, built and ran through find_package and pkg-config; add_subdirectory gives the engine alone"
