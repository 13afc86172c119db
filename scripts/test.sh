#!/usr/bin/env bash
# Builds and runs every test twice: a normal build, then one under
# AddressSanitizer and UndefinedBehaviorSanitizer. Any failure stops the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
jobs=$(nproc)

echo "== normal build"
"$root/scripts/build.sh" "$root/build" -DVX_TESTS=ON
(cd "$root/build" && ctest --output-on-failure -j "$jobs" --timeout 300)

if [ "${VX_SKIP_SANITIZE:-0}" != "1" ]; then
  echo "== sanitizer build (ASan + UBSan)"
  "$root/scripts/build.sh" "$root/build-asan" -DVX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DVX_TESTS=ON
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  (cd "$root/build-asan" && ctest --output-on-failure -j "$jobs" --timeout 600)
fi
