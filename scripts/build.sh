#!/usr/bin/env bash
# build.sh [DIR] [extra cmake args...]: configures and builds into DIR (default build/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build}
shift || true
cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
