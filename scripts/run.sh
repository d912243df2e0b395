#!/usr/bin/env bash
# Builds brix.scr and runs it under Wine; arguments go to brix.scr
# (/s, /c, /p N, /a, or nothing).
#
# With a DISPLAY it runs inside a Wine virtual desktop of 1024x768, where
# the demo's full-screen mode change works; press Escape to end the demo.
# Without one it runs headless under its own Xvfb: the display refuses the
# full-screen mode there, so dusklit_runshot answers Yes to use a window,
# lets the demo animate, saves a screenshot of it, presses Escape, lets the
# framework's mode run for a moment, saves a screenshot of that, and ends
# it; for /c or no switch it saves the configuration sheet and the About
# box instead. The screenshots go to out/ (or $DUSKLIT_OUT_DIR).
#
# DUSKLIT_ARCH=64 builds and runs the 64-bit brix.scr (in $BUILD64_DIR,
# under 64-bit Wine), with everything below the same.
#
# DUSKLIT_MONITORS=2 runs headless on two monitors side by side, and
# DUSKLIT_DPI="96 144 192" once per DPI, the screenshots named after the
# run (see below).
set -euo pipefail
source "$(dirname "$0")/common.sh"

dusklit_setup
dusklit_build

program=$BUILD_DIR/demo/brix.scr
# DUSKLIT_PROGRAM names an example saver to run with the same arguments
# instead: example (examples/starfield) or prism (examples/prism, drawn
# with OpenGL).
example=
case ${DUSKLIT_PROGRAM:-brix} in
  brix) ;;
  example) example=example; program=$BUILD_DIR/examples/starfield/example.scr ;;
  prism) example=prism; program=$BUILD_DIR/examples/prism/prism.scr ;;
  *) echo "run.sh: DUSKLIT_PROGRAM is brix, example or prism, not $DUSKLIT_PROGRAM" >&2; exit 2 ;;
esac
launcher=$BUILD_DIR/tests/driver/dusklit_in_desktop.exe
runshot=$BUILD_DIR/tests/driver/dusklit_runshot.exe
out_dir=${DUSKLIT_OUT_DIR:-$DUSKLIT_ROOT/out}

cleanup() {
  dusklit_stop_wineserver
  dusklit_stop_xvfb
}
trap cleanup EXIT

display_run=
if [ -n "${DUSKLIT_MONITORS:-}" ] || [ -n "${DUSKLIT_DPI:-}" ]; then display_run=yes; fi

if [ -n "${DISPLAY:-}" ] && [ -z "$display_run" ]; then
  dusklit_wine_prefix
  dusklit_install_standins
  dusklit_start_wineserver
  dusklit_start_wine_services
  code=0
  if [ -f "$launcher" ]; then
    # The launcher waits for brix.scr and hands its exit code back.
    WINEDLLOVERRIDES=$(dusklit_standin_overrides) "$DUSKLIT_WINE" "$launcher" --desktop=Dusklit --size=1024x768 --timeout=86399 "$program" "$@" || code=$?
  else
    # Without it the exit code of brix.scr is lost.
    WINEDLLOVERRIDES=$(dusklit_standin_overrides) "$DUSKLIT_WINE" explorer /desktop=Dusklit,1024x768 "$program" "$@" || code=$?
  fi
  echo "exit code: $code"
  exit "$code"
fi

# One headless run on the display and prefix set up now: pictures named
# NAME$1.png. Sets code to the run's exit code.
headless_run() {
  local suffix=$1
  shift
  mkdir -p "$out_dir"
  # An example has no demo to answer: let it draw for a while, take one
  # picture, named after it, and end it (stopping the Wine server ends
  # every program of the prefix).
  if [ -n "$example" ]; then
    "$DUSKLIT_WINE" "$program" "$@" &
    local example_pid=$!
    sleep "${DUSKLIT_EXAMPLE_SECONDS:-15}"
    local shot=$out_dir/$example$suffix.png
    import -display "$DISPLAY" -window root "$shot" && echo "screenshot: $shot"
    dusklit_stop_wineserver
    wait "$example_pid" 2>/dev/null || true
    code=0
    return 0
  fi
  if [ ! -f "$runshot" ]; then
    echo "run.sh: $runshot was not built (configure with DUSKLIT_BUILD_TESTS=ON)" >&2
    code=1
    return 0
  fi

  # dusklit_runshot says "shot NAME" when the screen is worth a picture and
  # waits for one line back; its last line is "exit N".
  local shots=() line shot
  code=2
  coproc RUNSHOT { WINEDLLOVERRIDES=$(dusklit_standin_overrides) "$DUSKLIT_WINE" "$runshot" "$program" "$@" 2>&1; }
  local runshot_pid=$RUNSHOT_PID
  # Our own copies: bash drops the coproc's once it has ended.
  exec {from_runshot}<&"${RUNSHOT[0]}" {to_runshot}>&"${RUNSHOT[1]}"
  while IFS= read -r line <&"$from_runshot"; do
    line=${line%$'\r'}
    echo "runshot: $line"
    case $line in
      "shot "*)
        shot="$out_dir/${line#shot }$suffix.png"
        if import -display "$DISPLAY" -window root "$shot"; then
          shots+=("$shot")
        fi
        echo ok >&"$to_runshot"
        ;;
      "exit "*)
        code=${line#exit }
        code=${code%% *}
        break
        ;;
    esac
  done
  exec {from_runshot}<&- {to_runshot}>&-
  wait "$runshot_pid" 2>/dev/null || true

  for shot in "${shots[@]}"; do
    echo "screenshot: $shot"
  done
}

# DUSKLIT_MONITORS=2 runs on two monitors side by side, DUSKLIT_DPI (a
# list, such as "96 144 192") once per DPI; both headless on a private
# display, in the display prefix, with pictures named after the run
# (example-2monitors.png, prism-2monitors.png, sheet-144.png).
if [ -n "$display_run" ]; then
  monitors=${DUSKLIT_MONITORS:-1}
  case $monitors in
    1|2) ;;
    *) echo "run.sh: DUSKLIT_MONITORS must be 1 or 2" >&2; exit 2 ;;
  esac
  dpis=(${DUSKLIT_DPI:-96})
  for dpi in "${dpis[@]}"; do
    case $dpi in
      ''|*[!0-9]*|0*|?????*) echo "run.sh: not a DPI: $dpi" >&2; exit 2 ;;
    esac
  done
  export WINEPREFIX=$DUSKLIT_DISPLAY_PREFIX
  cleanup() {
    dusklit_stop_wineserver
    dusklit_stop_two_monitors
    dusklit_stop_xvfb
  }
  # Two monitors stay 1024x768 each at every DPI; one monitor gets the
  # screen of its DPI, a new one for each.
  [ "$monitors" = 2 ] && dusklit_start_two_monitors
  status=0
  for dpi in "${dpis[@]}"; do
    if [ "$monitors" = 1 ]; then
      dusklit_stop_xvfb
      dusklit_start_xvfb "$(dusklit_screen_for_dpi "$dpi")"
    fi
    suffix=
    [ "$monitors" = 2 ] && suffix=-2monitors
    [ -n "${DUSKLIT_DPI:-}" ] && suffix=$suffix-$dpi
    echo "run.sh: $monitors monitor(s) at $dpi DPI"
    dusklit_wine_prefix
    dusklit_set_dpi "$dpi"
    dusklit_install_standins
    dusklit_start_wineserver
    dusklit_start_wine_services
    headless_run "$suffix" "$@"
    echo "exit code: $code"
    [ "$status" = 0 ] && status=$code
    # The next DPI needs a new Wine server.
    dusklit_stop_wineserver
  done
  exit "$status"
fi

dusklit_start_xvfb
dusklit_wine_prefix
dusklit_install_standins
dusklit_start_wineserver
dusklit_start_wine_services
headless_run "" "$@"
[ -n "$example" ] || echo "exit code: $code"
exit "$code"
