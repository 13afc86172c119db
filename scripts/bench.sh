#!/usr/bin/env bash
# Builds the benchmarks in release mode and runs every one of them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build-bench" -DCMAKE_BUILD_TYPE=Release -DVX_TESTS=OFF
for b in "$root"/build-bench/*_perftest; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b"
done
