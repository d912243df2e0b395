#!/usr/bin/env bash
# Sets up and builds, then makes what ships to users: the installer
# brix-setup-<version>.exe, copied into out/. Prints the path of each
# file made.
set -euo pipefail
source "$(dirname "$0")/common.sh"

dusklit_setup
dusklit_build
cmake --build "$BUILD_DIR" --target installer

# The build names it after the version it was configured with.
installer=$(sed -n 's/^DUSKLIT_INSTALLER:INTERNAL=//p' "$BUILD_DIR/CMakeCache.txt")
if [ -z "$installer" ] || [ ! -f "$installer" ]; then
  echo "package: the installer was not made (is makensis installed?)" >&2
  exit 1
fi
out=$DUSKLIT_ROOT/out
mkdir -p "$out"
cp -f "$installer" "$out/"
echo "$out/$(basename "$installer")"
