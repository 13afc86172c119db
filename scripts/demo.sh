#!/usr/bin/env bash
# Builds vexascan and scans the bundled demo image.
#
# The program reads its settings and include files from its own folder, so
# the demo gets a folder laid out like an installation: the program, both
# companion libraries, examples/vexascan.ini and examples/Includes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build" -DVX_TESTS=OFF
if [ -d "$root/examples/demo-image" ]; then
  demo="$root/build/demo"
  rm -rf "$demo"
  mkdir -p "$demo"
  cp "$root/build/vexascan" "$root/build/probex.dll" "$root/build/kitlib.dll" "$demo/"
  cp "$root/examples/vexascan.ini" "$demo/"
  cp -r "$root/examples/Includes" "$demo/"
  cd "$root/examples"
  exec "$demo/vexascan" /image=demo-image "$@"
else
  exec "$root/build/vexascan" /help
fi
