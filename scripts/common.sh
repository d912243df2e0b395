# Shared by the run and test commands: where the build lives, how Wine is
# set up for it, and how a private X display is started and stopped.
# Sourced, not run.

DUSKLIT_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Two builds from the same sources, each with its tree and Wine prefixes:
# the 32-bit one in $BUILD_DIR (build/ by default), the 64-bit one in
# $BUILD64_DIR (${BUILD_DIR}64 by default, so build64/). DUSKLIT_ARCH (32
# or 64, default 32) picks the one the commands use; scripts/test.sh runs
# each of DUSKLIT_ARCHES in turn.
DUSKLIT_BUILD32_DIR=${BUILD_DIR:-$DUSKLIT_ROOT/build}
DUSKLIT_BUILD64_DIR=${BUILD64_DIR:-${DUSKLIT_BUILD32_DIR}64}

export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko prompts: nothing here needs them.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# 64-bit Wine's loader. Debian keeps it out of PATH; started directly, a
# 64-bit program does not go through the 32-bit loader first (which may
# run under an emulator, see scripts/setup.sh).
dusklit_wine64() {
  local loader
  for loader in "$(command -v wine64 || true)" /usr/lib/wine/wine64 /usr/lib64/wine/wine64; do
    if [ -n "$loader" ] && [ -x "$loader" ]; then
      echo "$loader"
      return 0
    fi
  done
  echo wine
}

# Selects the build of one architecture: BUILD_DIR, its toolchain, its
# prefixes (WINEARCH win32 or win64) and the Wine loader (DUSKLIT_WINE)
# that runs its programs.
dusklit_use_arch() {
  case $1 in
    32)
      BUILD_DIR=$DUSKLIT_BUILD32_DIR
      DUSKLIT_TOOLCHAIN=$DUSKLIT_ROOT/cmake/mingw-i686.cmake
      export WINEARCH=win32
      DUSKLIT_WINE=wine
      ;;
    64)
      BUILD_DIR=$DUSKLIT_BUILD64_DIR
      DUSKLIT_TOOLCHAIN=$DUSKLIT_ROOT/cmake/mingw-x86_64.cmake
      export WINEARCH=win64
      DUSKLIT_WINE=$(dusklit_wine64)
      ;;
    *)
      echo "not an architecture: $1 (32 or 64)" >&2
      return 1
      ;;
  esac
  DUSKLIT_ARCH=$1
  export WINEPREFIX=$BUILD_DIR/wineprefix
  # The stand-in system components (standins/README.md). The framework
  # takes them from the system directory only, so they are installed
  # there, into this build's prefix.
  DUSKLIT_STANDIN_DIR=$BUILD_DIR/standins/bin
  # The display runs (scripts/on_display.sh, and scripts/run.sh with
  # DUSKLIT_MONITORS or DUSKLIT_DPI) use a prefix of their own, so the DPI
  # they set never leaks into the tests of the main prefix, and a server
  # of their own on a private display.
  DUSKLIT_DISPLAY_PREFIX=$BUILD_DIR/wineprefix-display
}
dusklit_use_arch "${DUSKLIT_ARCH:-32}"

# Wine's own MPR.DLL gives way to the stand-in only under this DLL
# override, given to the runs that want ours.
DUSKLIT_STANDIN_FILES=(PASSWORD.CPL mpr.dll Sage.DLL Cornix.dll vistell)
dusklit_standin_overrides() {
  echo "${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}mpr=n,b"
}

dusklit_setup() {
  bash "$DUSKLIT_ROOT/scripts/setup.sh"
}

# The builds a command works on, from DUSKLIT_ARCHES ("32 64" by default),
# into the array dusklit_arches; anything else stops the command.
dusklit_read_arches() {
  local command arch
  command=$(basename "$0")
  read -r -a dusklit_arches <<<"${DUSKLIT_ARCHES:-32 64}"
  for arch in "${dusklit_arches[@]}"; do
    case $arch in
      32|64) ;;
      *) echo "$command: DUSKLIT_ARCHES takes 32 and 64, not $arch" >&2; exit 2 ;;
    esac
  done
  if [ ${#dusklit_arches[@]} -eq 0 ]; then
    echo "$command: DUSKLIT_ARCHES is empty" >&2
    exit 2
  fi
}

# Configures the selected build once; cache settings given as arguments
# (-DNAME=value) also reach a tree configured before.
dusklit_configure() {
  if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
    cmake -S "$DUSKLIT_ROOT" -B "$BUILD_DIR" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$DUSKLIT_TOOLCHAIN" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  elif [ $# -gt 0 ]; then
    cmake "$BUILD_DIR" "$@" >/dev/null
  fi
}

dusklit_build() {
  dusklit_configure "$@"
  cmake --build "$BUILD_DIR" -- -j"$(nproc)"
}

# Builds both widths so that they ship together: the 32-bit build's
# installer carries the 64-bit brix.scr (for System32 of 64-bit Windows),
# and the 64-bit build tests that installer. The 64-bit build comes first;
# it learns the installer's name from the 32-bit configuration. Leaves the
# 32-bit build selected.
dusklit_build_both() {
  local installer
  dusklit_use_arch 32
  dusklit_configure
  installer=$(sed -n 's/^DUSKLIT_INSTALLER:INTERNAL=//p' "$BUILD_DIR/CMakeCache.txt")
  dusklit_use_arch 64
  dusklit_build -DDUSKLIT_INSTALLER="$installer"
  dusklit_use_arch 32
  dusklit_build -DDUSKLIT_BRIX64_SCR="$DUSKLIT_BUILD64_DIR/demo/brix.scr"
}

# A prefix of the build's width, made once per build tree.
dusklit_wine_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$DUSKLIT_WINE" wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
  # Dialogs are laid out for the Windows fonts ("MS Sans Serif" and its
  # kin). Wine's own versions of them come with fonts-wine; a prefix uses
  # them once they are in its Fonts folder, where otherwise wider
  # stand-ins would clip the dialogs' fixed texts.
  local fonts=/usr/share/wine/fonts
  if [ -d "$fonts" ] && [ ! -f "$WINEPREFIX/.dusklit-fonts" ]; then
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -n "$fonts"/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    touch "$WINEPREFIX/.dusklit-fonts"
  fi
  # No window manager runs on the private X display, so Wine draws the
  # windows' title bars and frames itself, as a user would see them.
  if [ ! -f "$WINEPREFIX/.dusklit-decorated" ]; then
    "$DUSKLIT_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 </dev/null || true
    wineserver -w
    touch "$WINEPREFIX/.dusklit-decorated"
  fi
  # For the same reason no window is left to a window manager: Wine would
  # otherwise wait, each time it hides a framed or full-screen window, for
  # that manager's answer, which never comes (2 s, most of many a test).
  if [ ! -f "$WINEPREFIX/.dusklit-unmanaged" ]; then
    "$DUSKLIT_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null || true
    wineserver -w
    touch "$WINEPREFIX/.dusklit-unmanaged"
  fi
}

# Copies the freshly built stand-ins into the prefix's system directory,
# every time (a rebuilt one replaces the last), over Wine's placeholder
# mpr.dll too. Leftovers of a test that moved one aside and died are
# dropped. Needs the prefix and the build; does nothing without stand-ins.
dusklit_install_standins() {
  local system32=$WINEPREFIX/drive_c/windows/system32
  [ -d "$DUSKLIT_STANDIN_DIR" ] && [ -d "$system32" ] || return 0
  local file
  for file in "${DUSKLIT_STANDIN_FILES[@]}"; do
    rm -f "$system32/$file.dusklit-aside"
    if [ -f "$DUSKLIT_STANDIN_DIR/$file" ]; then
      cp -f "$DUSKLIT_STANDIN_DIR/$file" "$system32/$file"
    fi
  done
}

# Starts Xvfb on a free display number and exports DISPLAY. The screen is
# 1024x768 unless a size (WIDTHxHEIGHT) is given.
dusklit_start_xvfb() {
  local size=${1:-1024x768}
  local n=${DUSKLIT_DISPLAY_NUMBER:-77}
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
  DUSKLIT_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "Xvfb did not start on $DISPLAY" >&2
  return 1
}

dusklit_stop_xvfb() {
  if [ -n "${DUSKLIT_XVFB_PID:-}" ]; then
    kill "$DUSKLIT_XVFB_PID" 2>/dev/null || true
    wait "$DUSKLIT_XVFB_PID" 2>/dev/null || true
    DUSKLIT_XVFB_PID=
  fi
}

# A persistent server: each Wine process then starts in a fraction of a second.
dusklit_start_wineserver() {
  wineserver -p
}

# Wine's background programs (services, explorer) start with the first
# process and outlive it. Started here, they do not hold the output pipe of
# whichever test happens to run first.
dusklit_start_wine_services() {
  "$DUSKLIT_WINE" cmd /c exit >/dev/null 2>&1 </dev/null || true
}

dusklit_stop_wineserver() {
  wineserver -k 2>/dev/null || true
}

# Empty for root, else the sudo that runs a command as root.
dusklit_as_root() {
  [ "$(id -u)" -eq 0 ] || echo "sudo -n"
}

# Two monitors side by side, 1024x768 each: Xorg's dummy driver with a
# second RandR output right of the first (Xvfb cannot place two monitors
# apart). Wine sees them through the XRandR and Xinerama libraries of its
# width.
# Starts on a free display number, exports DISPLAY, and returns once the
# server lists both monitors; its config and log live in the build tree.
dusklit_start_two_monitors() {
  local dir=$BUILD_DIR/display
  mkdir -p "$dir"
  local config=$dir/xorg-dummy.conf
  cat >"$config" <<'CONF'
Section "Device"
  Identifier "dusklit-dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "dusklit-monitor"
  HorizSync 5.0 - 1000.0
  VertRefresh 5.0 - 200.0
EndSection
Section "Screen"
  Identifier "dusklit-screen"
  Device "dusklit-dummy"
  Monitor "dusklit-monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1024x768"
    Virtual 2048 768
  EndSubSection
EndSection
CONF
  local n=${DUSKLIT_DISPLAY_NUMBER:-160} attempt
  # Another run may take a free number between our look and Xorg's start:
  # then Xorg ends at once, and the next number is tried.
  for attempt in 1 2 3 4 5; do
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    # Xorg takes a configuration file of ours (and the dummy driver) only
    # from root; anyone else goes through sudo, as the set-up does, and
    # stopping sudo's process id stops the server with it.
    $(dusklit_as_root) Xorg ":$n" -config "$config" -noreset -nolisten tcp -logfile "$dir/xorg-$n.log" \
      </dev/null >/dev/null 2>&1 &
    DUSKLIT_XORG_PID=$!
    export DISPLAY=":$n"
    if dusklit_wait_for "Xorg on $DISPLAY to answer" 300 \
         sh -c 'xrandr >/dev/null 2>&1 || { kill -0 "$0" 2>/dev/null || exit 2; exit 1; }' "$DUSKLIT_XORG_PID"; then
      break
    fi
    dusklit_stop_two_monitors
    if [ "$attempt" = 5 ]; then
      echo "Xorg did not start; see $dir/xorg-$n.log" >&2
      return 1
    fi
    n=$((n + 1))
  done
  xrandr --addmode DUMMY1 1024x768 &&
    xrandr --output DUMMY1 --mode 1024x768 --right-of DUMMY0 &&
    dusklit_wait_for "two monitors on $DISPLAY" 100 \
      sh -c 'xrandr --listmonitors 2>/dev/null | grep -qx "Monitors: 2"' || {
    echo "the second monitor did not come up on $DISPLAY" >&2
    dusklit_stop_two_monitors
    return 1
  }
}

dusklit_stop_two_monitors() {
  if [ -n "${DUSKLIT_XORG_PID:-}" ]; then
    kill "$DUSKLIT_XORG_PID" 2>/dev/null || true
    wait "$DUSKLIT_XORG_PID" 2>/dev/null || true
    DUSKLIT_XORG_PID=
  fi
}

# Runs the command every tenth of a second until it succeeds (0), gives up
# (2) or the tries run out (1 on each); says what it waited for on failure.
dusklit_wait_for() {
  local what=$1 tries=$2 status
  shift 2
  for _ in $(seq "$tries"); do
    status=0
    "$@" || status=$?
    [ "$status" = 0 ] && return 0
    [ "$status" = 2 ] && break
    sleep 0.1
  done
  echo "gave up waiting for $what" >&2
  return 1
}

# The screen a display of this DPI has: the 1024x768 screen at 96 DPI,
# the same physical size at the higher DPI (1536x1152 at 144, 2048x1536 at
# 192), as a real high-DPI screen is. At 192 DPI a 1024x768 screen could
# not hold the configuration sheet.
dusklit_screen_for_dpi() {
  echo "$((1024 * $1 / 96))x$((768 * $1 / 96))"
}

# Gives the current prefix the DPI (Wine reads LogPixels when its server
# starts, so the server must not be running). Only a change costs a start
# of Wine; the prefix remembers what it was given last.
dusklit_set_dpi() {
  local dpi=$1 mark=$WINEPREFIX/.dusklit-dpi
  case $dpi in
    ''|*[!0-9]*|0*|?????*) echo "not a DPI: $dpi" >&2; return 1 ;;
  esac
  [ -f "$mark" ] && [ "$(cat "$mark")" = "$dpi" ] && return 0
  "$DUSKLIT_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
    >/dev/null 2>&1 </dev/null
  wineserver -w
  echo "$dpi" >"$mark"
}
