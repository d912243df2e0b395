#!/usr/bin/env bash
# Sets up, builds both widths, then makes what ships: the saver authors'
# SDK archives dusklit-sdk-<version>-win32.zip and -win64.zip, and the
# users' installer brix-setup-<version>.exe, which carries the 32-bit and
# the 64-bit brix.scr. All are copied into out/; prints the path of each.
set -euo pipefail
source "$(dirname "$0")/common.sh"

dusklit_setup
dusklit_build_both

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

files=()
for arch in 32 64; do
  dusklit_use_arch "$arch"
  cmake --build "$BUILD_DIR" --target package
  file=$(made DUSKLIT_SDK_ZIP "the $arch-bit SDK archive")
  files+=("$file")
done
dusklit_use_arch 32
cmake --build "$BUILD_DIR" --target installer
file=$(made DUSKLIT_INSTALLER "the installer (is makensis installed?)")
files+=("$file")

out=$DUSKLIT_ROOT/out
mkdir -p "$out"
for file in "${files[@]}"; do
  cp -f "$file" "$out/"
  echo "$out/$(basename "$file")"
done
