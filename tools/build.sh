#!/bin/sh
# Builds both configurations (native with tests, sanitizers, and the Windows
# program) into build/. A second run rebuilds only what changed.
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=$(nproc)
configure() { # dir, extra cmake args...
  dir=$1
  shift
  # Configuring again is cheap and picks up new targets; the cache keeps the
  # first run's settings.
  if [ -f "$dir/CMakeCache.txt" ]; then
    cmake -S . -B "$dir" >/dev/null
  else
    cmake -S . -B "$dir" "$@"
  fi
}
configure build/native -DCMAKE_BUILD_TYPE=Release
cmake --build build/native -j "$jobs"
if [ "${KORRIN_SKIP_SANITIZE:-0}" != 1 ]; then
  configure build/asan -DCMAKE_BUILD_TYPE=Debug -DKORRIN_SANITIZE=ON
  cmake --build build/asan -j "$jobs"
fi
# Fuzz targets, instrumented by clang's libFuzzer.
if [ "${KORRIN_SKIP_FUZZ:-0}" != 1 ] && ls fuzz/*.cpp >/dev/null 2>&1; then
  configure build/fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DKORRIN_FUZZ=ON
  cmake --build build/fuzz -j "$jobs" --target korrin_fuzzers
fi
# CMake keeps the compiler it first found: a Windows build made with another
# compiler than the toolchain file names starts afresh.
compiler=$(sed -n 's/^set(CMAKE_CXX_COMPILER \(.*\))$/\1/p' cmake/mingw-i686.cmake)
if [ -f build/win32/CMakeCache.txt ] &&
  ! grep -qs -- "/$compiler\"" build/win32/CMakeFiles/*/CMakeCXXCompiler.cmake; then
  rm -rf build/win32/CMakeCache.txt build/win32/CMakeFiles
fi
configure build/win32 -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" \
  -DKORRIN_GENERATOR="$top/build/native/tools/gen/korrin_gen"
cmake --build build/win32 -j "$jobs"
