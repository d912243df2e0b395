#!/usr/bin/env bash
# Under Wine and Xvfb, measures the demo's frame rate beside a loop that
# only clears and swaps the same window; then the saver runtime: its tick
# periods beside SetTimer's, its timer thread's processor time while
# waiting, and how fast brix.scr /s ends on a mouse move beside a plain
# window's program. Arguments, for both: seconds per phase and number of
# rounds (default 2 and 3).
set -euo pipefail
source "$(dirname "$0")/common.sh"

dusklit_setup
BENCH_DIR=$BUILD_DIR/bench
if [ ! -f "$BENCH_DIR/CMakeCache.txt" ]; then
  cmake -S "$DUSKLIT_ROOT/tests/bench" -B "$BENCH_DIR" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$DUSKLIT_ROOT/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$BENCH_DIR" --target brix_bench saver_bench

cleanup() {
  dusklit_stop_wineserver
  dusklit_stop_xvfb
}
trap cleanup EXIT
dusklit_start_xvfb
dusklit_wine_prefix
dusklit_start_wineserver

wine "$BENCH_DIR/brix_bench.exe" "$@"
echo
wine "$BENCH_DIR/saver_bench.exe" "$@"
