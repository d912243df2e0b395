#!/usr/bin/env bash
# Installs what building and testing need, from Debian packages only.
# Safe to run again: packages already present are skipped, and nothing
# asks a question (CI has no terminal).
set -euo pipefail

export DEBIAN_FRONTEND=noninteractive

packages=(
  cmake ninja-build make g++ clang libclang-rt-14-dev
  g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686
  # The 64-bit build (cmake/mingw-x86_64.cmake), with POSIX threads.
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  googletest
  wine wine32:i386 wine64 fonts-wine
  # OpenGL through Mesa for each Wine: 32-bit Wine loads the i386
  # libraries, 64-bit Wine the amd64 ones.
  libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386 libglu1-mesa:i386
  libgl1:amd64 libglx-mesa0:amd64 libgl1-mesa-dri:amd64 libglu1-mesa:amd64
  xvfb xauth x11-utils imagemagick xdotool
  # Two monitors side by side for the display tests (scripts/on_display.sh):
  # Xorg's dummy driver, xrandr to add the second output, and the RandR
  # and Xinerama libraries of both widths, through which each Wine sees them.
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  libxrandr2:i386 libxinerama1:i386 libxrandr2:amd64 libxinerama1:amd64
  python3
  # The users' installer of brix.scr (installer/brix.nsi).
  nsis
)

sudo_if_needed() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# A mirror in the middle of a sync serves index files that do not match
# their Release file, and apt-get update then fails for a while: try again,
# and if the lists stay stale, let the install say whether what is needed
# can still be had.
# Further arguments go to apt-get (to update one source list alone, say).
update_package_lists() {
  local attempt
  for attempt in 1 2 3; do
    sudo_if_needed apt-get update -qq "$@" && return 0
    echo "setup: apt-get update failed (try $attempt of 3)" >&2
    [ "$attempt" = 3 ] || sleep 10
  done
  echo "setup: going on with the package lists as they are" >&2
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# Some machines run a kernel that cannot execute 32-bit Linux programs,
# and 32-bit Wine is one. There the i386 user-mode emulator runs them: the
# same Wine and the same Win32 API, only slower. QEMU 7 (bookworm) is too
# slow and stalls under Wine; QEMU 10 from bookworm-backports runs it well.
binfmt=/proc/sys/fs/binfmt_misc
emulator=/usr/bin/qemu-i386

native_32bit() {
  [ ! -e "$binfmt/qemu-i386" ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

install_emulator() {
  if [ -x "$emulator" ] && "$emulator" --version | grep -q 'version \(9\|1[0-9]\)\.'; then
    return 0
  fi
  local release
  release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  if [ "$release" = bookworm ]; then
    local list=/etc/apt/sources.list.d/dusklit-backports.list
    echo 'deb http://deb.debian.org/debian bookworm-backports main' | sudo_if_needed tee "$list" >/dev/null
    # Only the new list: the others were read a moment ago, and a mirror
    # in the middle of a sync would fail the whole update once more.
    update_package_lists -o Dir::Etc::sourcelist="$list" -o Dir::Etc::sourceparts=- -o APT::Get::List-Cleanup=0
    sudo_if_needed apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user >/dev/null
  else
    sudo_if_needed apt-get install -y -qq --no-install-recommends qemu-user >/dev/null
  fi
}

register_emulator() {
  [ -e "$binfmt/register" ] || sudo_if_needed mount -t binfmt_misc binfmt_misc "$binfmt"
  if [ -e "$binfmt/qemu-i386" ]; then
    grep -qx "interpreter $emulator" "$binfmt/qemu-i386" && return 0
    echo -1 | sudo_if_needed tee "$binfmt/qemu-i386" >/dev/null
  fi
  # F: the kernel opens the interpreter now, so it works in any mount namespace.
  printf '%s' ":qemu-i386:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$emulator:F" \
    | sudo_if_needed tee "$binfmt/register" >/dev/null
}

ensure_32bit_exec() {
  native_32bit && return 0
  install_emulator
  register_emulator
  /usr/lib/wine/wine --version >/dev/null
}

if [ ${#missing[@]} -eq 0 ]; then
  ensure_32bit_exec
  exit 0
fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  sudo_if_needed dpkg --add-architecture i386
fi
echo "setup: installing ${missing[*]}" >&2
update_package_lists
install_missing() {
  sudo_if_needed apt-get install -y -qq --no-install-recommends "$@" "${missing[@]}" >/dev/null
}
# With one architecture's security list stale, the other's candidates can
# be newer than any it can match, and the i386 packages that must share
# their amd64 twin's version cannot be installed. The release's own
# versions exist for both.
if ! install_missing; then
  release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ -n "$release" ] || exit 1
  echo "setup: trying again with $release's own versions" >&2
  install_missing -o "APT::Default-Release=$release"
fi
ensure_32bit_exec
