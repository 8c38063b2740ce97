#!/bin/sh
# Installs what is missing, builds everything and runs every test: native
# unit and scenario tests, the sanitizer build, bounded fuzzing, and the
# Windows tests under Wine.
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/setup.sh"
"$top/tools/build.sh"
cd "$top"
ctest --test-dir build/native --output-on-failure -j "$(nproc)"
ctest --test-dir build/asan --output-on-failure -j "$(nproc)"
# Each fuzz target runs for a bounded time from its seed corpus.
for src in fuzz/*.cpp; do
  [ -f "$src" ] || continue
  name=$(basename "$src" .cpp)
  corpus="build/fuzz/corpus-$name"
  mkdir -p "$corpus"
  [ -d "fuzz/seeds/$name" ] && cp -n fuzz/seeds/"$name"/* "$corpus"/ 2>/dev/null || true
  echo "Fuzzing $name"
  if ! "build/fuzz/fuzz/$name" -max_total_time="${KORRIN_FUZZ_SECONDS:-30}" -rss_limit_mb=2048 \
    "$corpus" >"build/fuzz/$name.log" 2>&1; then
    tail -n 40 "build/fuzz/$name.log"
    exit 1
  fi
done
# The released program imports only what Windows 98 SE exports.
tools/check-imports.sh build/win32/release/Korrin/Korrin.exe
# Wine tests share one prefix: run them one at a time.
ctest --test-dir build/win32 --output-on-failure
# Again with Wine reporting Windows 98 and then XP, each in a prefix of its
# own, so that Korrin takes its 9x and its NT branches.
for version in win98 winxp; do
  echo "Wine tests as $version"
  KORRIN_WINE_VERSION=$version ctest --test-dir build/win32 --output-on-failure
done
echo "All tests passed."
