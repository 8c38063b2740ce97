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
# Wine tests share one prefix: run them one at a time.
ctest --test-dir build/win32 --output-on-failure
echo "All tests passed."
