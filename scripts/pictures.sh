#!/usr/bin/env bash
# Remakes the README's pictures under docs/ from the screenshots that
# scripts/run.sh saves headless: the demo and the configuration sheet at
# 96 and 192 DPI (brix.scr /c), and the example saver on two monitors.
# Each screenshot is the whole screen; the pictures keep what is drawn
# (trimmed of the empty black screen around it), the two-monitor one at
# half size. DUSKLIT_ARCH picks the build as for run.sh (64 by default
# here: it draws the same and runs without an emulator).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export DUSKLIT_ARCH=${DUSKLIT_ARCH:-64}
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT

DUSKLIT_OUT_DIR=$shots DUSKLIT_DPI="96 192" bash "$root/scripts/run.sh" /c
DUSKLIT_OUT_DIR=$shots DUSKLIT_PROGRAM=example DUSKLIT_MONITORS=2 DUSKLIT_EXAMPLE_SECONDS=8 \
  bash "$root/scripts/run.sh" /s

mkdir -p "$root/docs"
trimmed() { convert "$shots/$1" -trim +repage "$root/docs/$2"; }
trimmed demo-96.png demo.png
trimmed sheet-96.png sheet-96dpi.png
trimmed sheet-192.png sheet-192dpi.png
convert "$shots/example-2monitors.png" -resize 50% "$root/docs/example-two-monitors.png"
echo "pictures.sh: made $(ls "$root/docs"/*.png | wc -l) pictures in $root/docs"
