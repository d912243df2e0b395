#!/usr/bin/env bash
# Under Wine and Xvfb, measures the demo's frame rate beside a loop that
# only clears and swaps the same window; then the saver runtime: its tick
# periods beside SetTimer's, its timer thread's processor time while
# waiting, and how fast brix.scr /s ends on a mouse move beside a plain
# window's program; then the OpenGL helper: the frame periods of the prism
# example's picture paced by the helper, beside the same frames paced by
# hand and by the driver alone, and the display's refresh period.
# Arguments, for all: seconds per phase and number of rounds (default 2
# and 3).
#
# Each build of DUSKLIT_ARCHES ("32 64" by default) is measured in turn,
# on its own display and Wine prefix; the report then shows the builds'
# lines side by side, each line of the first build's run above the same
# line of the second's.
set -euo pipefail
source "$(dirname "$0")/common.sh"

dusklit_read_arches
arches=("${dusklit_arches[@]}")

dusklit_setup

cleanup() {
  dusklit_stop_wineserver
  dusklit_stop_xvfb
}
trap cleanup EXIT

reports=()
for arch in "${arches[@]}"; do
  dusklit_use_arch "$arch"
  BENCH_DIR=$BUILD_DIR/bench
  if [ ! -f "$BENCH_DIR/CMakeCache.txt" ]; then
    cmake -S "$DUSKLIT_ROOT/tests/bench" -B "$BENCH_DIR" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$DUSKLIT_TOOLCHAIN" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  cmake --build "$BENCH_DIR" --target brix_bench saver_bench gl_bench

  dusklit_start_xvfb
  dusklit_wine_prefix
  dusklit_start_wineserver
  report=$BENCH_DIR/report.txt
  echo "bench.sh: the $arch-bit build" >&2
  {
    "$DUSKLIT_WINE" "$BENCH_DIR/brix_bench.exe" "$@"
    "$DUSKLIT_WINE" "$BENCH_DIR/saver_bench.exe" "$@"
    "$DUSKLIT_WINE" "$BENCH_DIR/gl_bench.exe" "$@"
  } | tr -d '\r' | tee "$report" >&2
  reports+=("$report")
  cleanup
done

echo
if [ ${#reports[@]} -eq 1 ]; then
  cat "${reports[0]}"
elif [ "$(wc -l <"${reports[0]}")" = "$(wc -l <"${reports[1]}")" ]; then
  paste -d '\n' <(sed "s/^/${arches[0]}-bit | /" "${reports[0]}") <(sed "s/^/${arches[1]}-bit | /" "${reports[1]}")
else
  # The runs went different ways (one failed early): one after the other.
  sed "s/^/${arches[0]}-bit | /" "${reports[0]}"
  sed "s/^/${arches[1]}-bit | /" "${reports[1]}"
fi
