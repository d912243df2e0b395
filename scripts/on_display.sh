#!/usr/bin/env bash
# Runs one Windows program under Wine on a private display of its own, for
# ctest entries that need more than one monitor or another DPI:
#
#   scripts/on_display.sh [--monitors=1|2] [--dpi=96|144|192] [--stand-ins] -- program [args...]
#
# One monitor is Xvfb, 1024x768 at 96 DPI and the same physical size at
# another DPI (dusklit_screen_for_dpi); two are the Xorg dummy pair (see
# dusklit_start_two_monitors). The program runs in the build tree's display
# prefix ($BUILD_DIR/wineprefix-display, made once), whose LogPixels is set
# to the DPI, under a Wine server of its own. --stand-ins lets the stand-in
# MPR.DLL replace Wine's. Whatever this started is stopped when it ends;
# the exit code is the program's (124 when it ran out of time twice within
# DUSKLIT_DISPLAY_TIMEOUT seconds, default 570, just under ctest's limit).
set -euo pipefail
source "$(dirname "$0")/common.sh"

monitors=1
dpi=96
standins=no
while [ $# -gt 0 ]; do
  case $1 in
    --monitors=1|--monitors=2) monitors=${1#--monitors=} ;;
    --dpi=*) dpi=${1#--dpi=} ;;
    --stand-ins) standins=yes ;;
    --) shift; break ;;
    *) echo "on_display.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
if [ $# -eq 0 ]; then
  echo "usage: on_display.sh [--monitors=1|2] [--dpi=N] [--stand-ins] -- program [args...]" >&2
  exit 2
fi
case $dpi in
  ''|*[!0-9]*|0*|?????*) echo "on_display.sh: not a DPI: $dpi" >&2; exit 2 ;;
esac

export WINEPREFIX=$DUSKLIT_DISPLAY_PREFIX
if [ "$standins" = yes ]; then
  WINEDLLOVERRIDES=$(dusklit_standin_overrides)
  export WINEDLLOVERRIDES
fi

cleanup() {
  dusklit_stop_wineserver
  dusklit_stop_two_monitors
  dusklit_stop_xvfb
}
trap cleanup EXIT
trap 'exit 143' TERM INT HUP

prepare() {
  if [ "$monitors" = 2 ]; then
    dusklit_start_two_monitors
  else
    dusklit_start_xvfb "$(dusklit_screen_for_dpi "$dpi")"
  fi
  dusklit_wine_prefix
  dusklit_set_dpi "$dpi"
  dusklit_install_standins
  dusklit_start_wineserver
  dusklit_start_wine_services
}
prepare

# The limit counts from this script's start: a first run makes the prefix.
# A program that outlives half of what is left is taken for hung (these
# programs take a minute or two, and one under the emulator has been seen
# to stall until the limit), reported with how long the set-up took, and
# run once more on a fresh display under a fresh Wine server: what the
# stopped run changed there (a monitor taken away) is gone with them.
prepared=$SECONDS
run_program() {
  local limit=$1 code=0
  shift
  [ "$limit" -gt 10 ] || limit=10
  timeout --kill-after=10 "$limit" "$DUSKLIT_WINE" "$@" || code=$?
  return "$code"
}
code=0
run_program $(( (${DUSKLIT_DISPLAY_TIMEOUT:-570} - SECONDS) / 2 )) "$@" || code=$?
if [ "$code" = 124 ] || [ "$code" = 137 ]; then
  echo "on_display.sh: $1 ran out of time after $((SECONDS - prepared)) s" \
       "(display and prefix ready after $prepared s); running it once more" >&2
  cleanup
  prepare
  code=0
  run_program $(( ${DUSKLIT_DISPLAY_TIMEOUT:-570} - SECONDS )) "$@" || code=$?
  if [ "$code" = 124 ] || [ "$code" = 137 ]; then
    echo "on_display.sh: $1 ran out of time again after $SECONDS s in all" >&2
  fi
fi
exit "$code"
