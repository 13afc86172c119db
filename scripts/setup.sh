#!/usr/bin/env bash
# Installs the Debian packages vexascan builds, tests and fuzzes with (clang,
# its sanitizer and libFuzzer runtimes and the symbolizer are for
# scripts/fuzz.sh). Idempotent and quiet when everything is already present.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  zlib1g-dev libpcre2-dev libhivex-dev libhivex-bin libwin-hivex-perl libssl-dev
  liblnk-dev libmsiecf-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  chromium libxml2-utils
  clang libclang-rt-dev llvm
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
