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
# the exit code is the program's (124 when this run outlived
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

# The limit counts from this script's start: a first run makes the prefix.
limit=$(( ${DUSKLIT_DISPLAY_TIMEOUT:-570} - SECONDS ))
[ "$limit" -gt 10 ] || limit=10
code=0
timeout --kill-after=10 "$limit" "$DUSKLIT_WINE" "$@" || code=$?
exit "$code"
