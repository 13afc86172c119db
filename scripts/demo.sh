#!/usr/bin/env bash
# Builds vexascan and scans the bundled demo image, writing the three reports.
#
# The program reads its settings and include files from its own folder, so
# the build lays out an installation in build/demo (the program, both
# companion libraries, examples/vexascan.ini and Includes\ with the demo
# rules of examples/rules encoded) and the image in build/demo-image
# (examples/demo-image with hives built from examples/demo-registry).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build" -DVX_TESTS=OFF
cd "$root/build"
exec demo/vexascan /image=demo-image /createtxtreport /createhtmlreport /createxmlreport "$@"
