#!/usr/bin/env bash
# Sets up, builds and runs every test through ctest. Arguments go to ctest
# (for example -R saver to run some of them).
set -euo pipefail
source "$(dirname "$0")/common.sh"

dusklit_setup
dusklit_build

cleanup() {
  dusklit_stop_wineserver
  dusklit_stop_xvfb
}
trap cleanup EXIT
dusklit_start_xvfb
dusklit_wine_prefix
dusklit_install_standins
dusklit_start_wineserver
dusklit_start_wine_services
# The display tests' prefix is made here, once, rather than inside the
# time limit of whichever display test comes first.
WINEPREFIX=$DUSKLIT_DISPLAY_PREFIX dusklit_wine_prefix

cd "$BUILD_DIR"
ctest --output-on-failure "$@"
