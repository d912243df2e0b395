#!/usr/bin/env bash
# Sets up, builds, then makes what ships: the saver authors' SDK archive
# dusklit-sdk-<version>-win32.zip and the users' installer
# brix-setup-<version>.exe, both copied into out/. Prints the path of each
# file made.
set -euo pipefail
source "$(dirname "$0")/common.sh"

dusklit_setup
dusklit_build
cmake --build "$BUILD_DIR" --target package
cmake --build "$BUILD_DIR" --target installer

# The build names each after the version it was configured with.
made() {
  local file
  file=$(sed -n "s/^$1:INTERNAL=//p" "$BUILD_DIR/CMakeCache.txt")
  if [ -z "$file" ] || [ ! -f "$file" ]; then
    echo "package: $2 was not made" >&2
    exit 1
  fi
  echo "$file"
}
sdk=$(made DUSKLIT_SDK_ZIP "the SDK archive")
installer=$(made DUSKLIT_INSTALLER "the installer (is makensis installed?)")

out=$DUSKLIT_ROOT/out
mkdir -p "$out"
for file in "$sdk" "$installer"; do
  cp -f "$file" "$out/"
  echo "$out/$(basename "$file")"
done
