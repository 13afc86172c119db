#!/usr/bin/env bash
# Builds vexascan and scans the bundled demo image.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build" -DVX_TESTS=OFF
if [ -d "$root/examples/demo-image" ]; then
  cd "$root/examples"
  exec "$root/build/vexascan" /image="$root/examples/demo-image" "$@"
else
  exec "$root/build/vexascan" /help
fi
