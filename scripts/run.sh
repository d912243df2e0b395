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
set -euo pipefail
source "$(dirname "$0")/common.sh"

dusklit_setup
dusklit_build

program=$BUILD_DIR/demo/brix.scr
# DUSKLIT_PROGRAM=example runs the example saver (examples/starfield)
# with the same arguments instead.
if [ "${DUSKLIT_PROGRAM:-brix}" = example ]; then
  program=$BUILD_DIR/examples/starfield/example.scr
fi
launcher=$BUILD_DIR/tests/driver/dusklit_in_desktop.exe
runshot=$BUILD_DIR/tests/driver/dusklit_runshot.exe
out_dir=${DUSKLIT_OUT_DIR:-$DUSKLIT_ROOT/out}

cleanup() {
  dusklit_stop_wineserver
  dusklit_stop_xvfb
}
trap cleanup EXIT

if [ -n "${DISPLAY:-}" ]; then
  dusklit_wine_prefix
  dusklit_install_standins
  dusklit_start_wineserver
  dusklit_start_wine_services
  code=0
  if [ -f "$launcher" ]; then
    # The launcher waits for brix.scr and hands its exit code back.
    WINEDLLOVERRIDES=$(dusklit_standin_overrides) wine "$launcher" --desktop=Dusklit --size=1024x768 --timeout=86399 "$program" "$@" || code=$?
  else
    # Without it the exit code of brix.scr is lost.
    WINEDLLOVERRIDES=$(dusklit_standin_overrides) wine explorer /desktop=Dusklit,1024x768 "$program" "$@" || code=$?
  fi
  echo "exit code: $code"
  exit "$code"
fi

dusklit_start_xvfb
dusklit_wine_prefix
dusklit_install_standins
dusklit_start_wineserver
dusklit_start_wine_services
mkdir -p "$out_dir"
# The example has no demo to answer: let it draw for a while, take one
# picture, and end it (the cleanup stops every program of the prefix).
if [ "${DUSKLIT_PROGRAM:-brix}" = example ]; then
  wine "$program" "$@" &
  sleep "${DUSKLIT_EXAMPLE_SECONDS:-15}"
  shot=$out_dir/example.png
  import -display "$DISPLAY" -window root "$shot" && echo "screenshot: $shot"
  exit 0
fi
if [ ! -f "$runshot" ]; then
  echo "run.sh: $runshot was not built (configure with DUSKLIT_BUILD_TESTS=ON)" >&2
  exit 1
fi

# dusklit_runshot says "shot NAME" when the screen is worth a picture and
# waits for one line back; its last line is "exit N".
shots=()
code=2
coproc RUNSHOT { WINEDLLOVERRIDES=$(dusklit_standin_overrides) wine "$runshot" "$program" "$@" 2>&1; }
runshot_pid=$RUNSHOT_PID
# Our own copies: bash drops the coproc's once it has ended.
exec {from_runshot}<&"${RUNSHOT[0]}" {to_runshot}>&"${RUNSHOT[1]}"
while IFS= read -r line <&"$from_runshot"; do
  line=${line%$'\r'}
  echo "runshot: $line"
  case $line in
    "shot "*)
      shot="$out_dir/${line#shot }.png"
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
echo "exit code: $code"
exit "$code"
